#include "widgets/SharedHintComboBox.h"

#include <QAbstractItemModel>
#include <QCoreApplication>
#include <QEvent>
#include <QHash>
#include <QPointer>
#include <QStandardItemModel>
#include <QStyle>

namespace {
struct Hints {
    QSize size;
    QSize minimum;
};

// For the life of the program; a handful of entries, one per kind of box.
QHash<QString, Hints>& SharedHints() {
    static QHash<QString, Hints> hints;
    return hints;
}
} // namespace

SharedHintComboBox::SharedHintComboBox(QWidget* parent) : QComboBox(parent) {
    followItems();
}

void SharedHintComboBox::followItems() {
    QAbstractItemModel* items = model();
    const auto changed = [this] {
        if (sizeAdjustPolicy() == AdjustToContents)
            forget();
    };
    connect(items, &QAbstractItemModel::rowsInserted, this, changed);
    connect(items, &QAbstractItemModel::rowsRemoved, this, changed);
    connect(items, &QAbstractItemModel::dataChanged, this, changed);
    connect(items, &QAbstractItemModel::modelReset, this, changed);
}

void SharedHintComboBox::setSharedItems(const QStringList& items) {
    static QHash<QStringList, SharedItems> lists;
    auto it = lists.find(items);
    if (it == lists.end())
        it = lists.insert(items, SharedItems{});
    showShared(*it, [&items] { return items; });
}

void SharedHintComboBox::setSharedNumbers(int first, int last) {
    static QHash<std::pair<int, int>, SharedItems> lists;
    auto it = lists.find({first, last});
    if (it == lists.end())
        it = lists.insert({first, last}, SharedItems{});
    showShared(*it, [first, last] {
        QStringList numbers;
        for (int n = first; n <= last; ++n)
            numbers << QString::number(n);
        return numbers;
    });
}

void SharedHintComboBox::showShared(SharedItems& shared, const std::function<QStringList()>& items) {
    // The models live as long as the application; one is made again should it have gone.
    static int lists = 0;
    if (!shared.model) {
        shared.model = new QStandardItemModel(QCoreApplication::instance());
        for (const QString& item : items())
            shared.model->appendRow(new QStandardItem(item));
        if (shared.id < 0)
            shared.id = lists++;
    }
    disconnect(model(), nullptr, this, nullptr);
    setModel(shared.model); // frees the box's own model
    m_shared = shared.model;
    m_sharedId = shared.id;
    followItems();
    forget();
}

SharedHintComboBox::~SharedHintComboBox() {
    disconnect(model(), nullptr, this, nullptr);
}

QString SharedHintComboBox::key() const {
    QString key = style()->name() + QLatin1Char('|') + font().key() +
                  QStringLiteral("|%1|%2|%3|%4|%5x%6|%7|")
                      .arg(isEditable())
                      .arg(hasFrame())
                      .arg(static_cast<int>(sizeAdjustPolicy()))
                      .arg(minimumContentsLength())
                      .arg(iconSize().width())
                      .arg(iconSize().height())
                      .arg(placeholderText());
    const QAbstractItemModel* items = model();
    // Shared items never change: their list stands for them.
    if (items == m_shared && rootModelIndex() == QModelIndex())
        return key + QLatin1Char('#') + QString::number(m_sharedId) + QLatin1Char('|') +
               QString::number(modelColumn());
    const int n = items->rowCount(rootModelIndex());
    for (int i = 0; i < n; ++i) {
        const QModelIndex index = items->index(i, modelColumn(), rootModelIndex());
        key += items->data(index, Qt::DisplayRole).toString();
        key += items->data(index, Qt::DecorationRole).isValid() ? QLatin1Char('\t') : QLatin1Char('\n');
    }
    return key;
}

void SharedHintComboBox::lookUp() const {
    if (m_size.isValid())
        return;
    QHash<QString, Hints>& hints = SharedHints();
    const QString k = key();
    auto it = hints.find(k);
    if (it == hints.end())
        it = hints.insert(k, {QComboBox::sizeHint(), QComboBox::minimumSizeHint()});
    m_size = it->size;
    m_minimum = it->minimum;
}

void SharedHintComboBox::forget() {
    m_size = QSize();
    m_minimum = QSize();
}

QSize SharedHintComboBox::sizeHint() const {
    lookUp();
    return m_size;
}

QSize SharedHintComboBox::minimumSizeHint() const {
    lookUp();
    return m_minimum;
}

void SharedHintComboBox::changeEvent(QEvent* event) {
    QComboBox::changeEvent(event);
    if (event->type() == QEvent::StyleChange || event->type() == QEvent::FontChange)
        forget();
}
