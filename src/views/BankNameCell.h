#pragma once

#include <QWidget>

class PedalboardView;

// The head of a bank's row on the pedalboard: its number ("%02d") over its name, and for a bank in
// sequence mode how many steps it has. Double-click or Enter opens the bank editor on it.
class BankNameCell : public QWidget {
    Q_OBJECT
public:
    BankNameCell(PedalboardView& board, int bank, QWidget* parent = nullptr);

    int bank() const { return m_bank; }
    QString name() const { return m_name; }
    // Repaints only when the name changed.
    void setName(const QString& name);
    // A bank in sequence mode says so under its name.
    void setSequence(bool sequence, int steps);
    // "Bank 05: CLEAN".
    static QString accessibleText(int bank, const QString& name);

    QSize sizeHint() const override;

protected:
    bool event(QEvent* event) override;
    void paintEvent(QPaintEvent* event) override;
    void mouseDoubleClickEvent(QMouseEvent* event) override;
    void keyPressEvent(QKeyEvent* event) override;
    void focusInEvent(QFocusEvent* event) override;
    void focusOutEvent(QFocusEvent* event) override;

private:
    PedalboardView& m_board;
    int m_bank;
    QString m_name;
    QString m_sequence;
};
