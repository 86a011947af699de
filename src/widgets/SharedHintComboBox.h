#pragma once

#include <QComboBox>
#include <QPointer>
#include <QStandardItemModel>
#include <QString>

#include <functional>

// A combo box whose size hints are worked out once for each list of items, font and style, and
// then shared by every such box: a box of 256 numbers otherwise measures each of them, twice,
// every time a window that holds it is made. The hints are the ones QComboBox gives.
class SharedHintComboBox : public QComboBox {
    Q_OBJECT
public:
    explicit SharedHintComboBox(QWidget* parent = nullptr);
    // Quiet: the items go after this box's own members.
    ~SharedHintComboBox() override;

    // Shows these items from a model shared by every box that shows the same list: a window
    // with a dozen boxes of 128 or 256 numbers otherwise makes and frees thousands of items.
    // The box must not change its items afterwards.
    void setSharedItems(const QStringList& items);
    // The same for the numbers first to last, without making their list each time.
    void setSharedNumbers(int first, int last);

    QSize sizeHint() const override;
    QSize minimumSizeHint() const override;

protected:
    void changeEvent(QEvent* event) override;

private:
    // A list of items shown by many boxes: its model, and a number that stands for the list.
    struct SharedItems {
        QPointer<QStandardItemModel> model;
        int id = -1;
    };
    void showShared(SharedItems& shared, const std::function<QStringList()>& items);
    // What the hints depend on.
    QString key() const;
    // This box's hints: once worked out they stay, as QComboBox keeps its own, until the font or
    // the style changes (or, for a box that follows its contents, the items).
    void lookUp() const;
    void forget();
    // Hints of a box that follows its contents go when its items change.
    void followItems();

    QPointer<QStandardItemModel> m_shared;
    int m_sharedId = -1;
    mutable QSize m_size;
    mutable QSize m_minimum;
};
