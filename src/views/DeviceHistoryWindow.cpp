#include "views/DeviceHistoryWindow.h"

#include "dump/DumpComparison.h"
#include "dump/SystemDoc.h"
#include "fileops/DumpImageFile.h"
#include "views/DifferencesWindow.h"
#include "views/PropSheetFormView.h"
#include "widgets/WidgetKit.h"

#include <QApplication>
#include <QDir>
#include <QEvent>
#include <QHBoxLayout>
#include <QHeaderView>
#include <QKeySequence>
#include <QLabel>
#include <QPushButton>
#include <QShortcut>
#include <QTreeWidget>
#include <QVBoxLayout>

#include <utility>

namespace {
constexpr int kEntryRole = Qt::UserRole;

QPushButton* Button(const QString& text, const char* name, QWidget* parent) {
    auto* button = new QPushButton(text, parent);
    button->setObjectName(QString::fromLatin1(name));
    button->setAccessibleName(QString(text).remove(QLatin1Char('&')));
    button->setAutoDefault(false);
    return button;
}

// A label's text shows '&' as it is.
QString Plain(QString text) {
    return text.replace(QLatin1Char('&'), QStringLiteral("&&"));
}

bool ReadBackup(const QString& path, SystemDoc& doc) {
    std::vector<uint8_t> image;
    QString error;
    return ReadDumpImage(path, image, error) && ParseDumpImage(doc, image, error);
}
} // namespace

DeviceHistoryWindow::DeviceHistoryWindow(const QString& folder, QWidget* parent)
    : QWidget(parent, Qt::Window), m_history(std::make_unique<DeviceHistory>(BackupFolder(folder))) {
    setObjectName(QStringLiteral("deviceHistoryWindow"));
    setAttribute(Qt::WA_DeleteOnClose);
    setWindowTitle(QString::fromLatin1(kTitle));

    m_list = new QTreeWidget(this);
    m_list->setObjectName(QStringLiteral("historyList"));
    m_list->setRootIsDecorated(false);
    m_list->setUniformRowHeights(true);
    m_list->setAllColumnsShowFocus(true);
    m_list->setSelectionMode(QAbstractItemView::SingleSelection);
    m_list->setHeaderLabels({QStringLiteral("Date and time"), QStringLiteral("Kind"),
                             QStringLiteral("Contents"), QStringLiteral("Changes")});
    m_list->header()->setSectionResizeMode(QHeaderView::ResizeToContents);
    m_list->header()->setStretchLastSection(true);

    m_open = Button(QStringLiteral("&Open"), "openBackup", this);
    m_compareActive = Button(QStringLiteral("Compare with &Active Document"), "compareWithActive", this);
    m_comparePrevious = Button(QStringLiteral("Compare with &Previous Backup"), "compareWithPrevious", this);
    QPushButton* close = Button(QStringLiteral("Close"), "closeHistory", this);

    connect(m_list, &QTreeWidget::itemActivated, this, &DeviceHistoryWindow::openSelected);
    connect(m_list, &QTreeWidget::currentItemChanged, this, &DeviceHistoryWindow::updateButtons);
    connect(m_open, &QPushButton::clicked, this, &DeviceHistoryWindow::openSelected);
    connect(m_compareActive, &QPushButton::clicked, this, &DeviceHistoryWindow::compareWithActive);
    connect(m_comparePrevious, &QPushButton::clicked, this, &DeviceHistoryWindow::compareWithPrevious);
    connect(close, &QPushButton::clicked, this, &QWidget::close);
    auto* escape = new QShortcut(QKeySequence(Qt::Key_Escape), this);
    connect(escape, &QShortcut::activated, this, &QWidget::close);

    auto* buttons = new QHBoxLayout;
    buttons->addWidget(m_open);
    buttons->addWidget(m_compareActive);
    buttons->addWidget(m_comparePrevious);
    buttons->addStretch(1);
    buttons->addWidget(close);
    auto* layout = new QVBoxLayout(this);
    layout->addWidget(WidgetKit::BuddyLabel(
        Plain(QStringLiteral("&Backups in %1, newest first:").arg(QDir::toNativeSeparators(folder))), m_list,
        this));
    m_list->setAccessibleName(QStringLiteral("Backups"));
    layout->addWidget(m_list, 1);
    layout->addLayout(buttons);
    resize(720, 420);

    fill();
    m_list->setFocus();
}

DeviceHistoryWindow::~DeviceHistoryWindow() = default;

void DeviceHistoryWindow::setActiveView(ActiveView activeView) {
    m_activeView = std::move(activeView);
    updateButtons();
}

int DeviceHistoryWindow::selectedEntry() const {
    const QTreeWidgetItem* item = m_list->currentItem();
    return item ? item->data(0, kEntryRole).toInt() : -1;
}

void DeviceHistoryWindow::reload() {
    const int selected = selectedEntry();
    const QString name = selected >= 0 ? m_history->Entries()[static_cast<size_t>(selected)].name : QString();
    m_history = std::make_unique<DeviceHistory>(BackupFolder(m_history->Path()));
    fill();
    const auto& entries = m_history->Entries();
    for (size_t i = 0; i < entries.size(); ++i)
        if (entries[i].name == name)
            m_list->setCurrentItem(m_list->topLevelItem(static_cast<int>(i)));
}

void DeviceHistoryWindow::fill() {
    m_list->clear();
    const auto& entries = m_history->Entries();
    QList<QTreeWidgetItem*> items;
    for (size_t i = 0; i < entries.size(); ++i) {
        const DeviceHistory::Entry& e = entries[i];
        auto* item = new QTreeWidgetItem({e.TimeText(), e.KindText(), e.ContentsText(), e.ChangesText()});
        item->setData(0, kEntryRole, static_cast<int>(i));
        item->setToolTip(0, QDir::toNativeSeparators(e.path));
        items << item;
    }
    m_list->addTopLevelItems(items);
    if (!items.isEmpty())
        m_list->setCurrentItem(items.first());
    updateButtons();
}

void DeviceHistoryWindow::updateButtons() {
    const int selected = selectedEntry();
    const DeviceHistory::Entry* entry =
        selected >= 0 ? &m_history->Entries()[static_cast<size_t>(selected)] : nullptr;
    m_open->setEnabled(entry != nullptr);
    m_compareActive->setEnabled(entry && entry->readable && m_activeView && m_activeView());
    m_comparePrevious->setEnabled(entry && entry->previous >= 0);
}

void DeviceHistoryWindow::changeEvent(QEvent* event) {
    // The active document may have changed while another window was active.
    if (event->type() == QEvent::ActivationChange)
        updateButtons();
    QWidget::changeEvent(event);
}

bool DeviceHistoryWindow::openSelected() {
    const int selected = selectedEntry();
    if (selected < 0) {
        QApplication::beep();
        return false;
    }
    emit openRequested(m_history->Entries()[static_cast<size_t>(selected)].path);
    return true;
}

DifferencesWindow* DeviceHistoryWindow::compareWithActive() {
    const int selected = selectedEntry();
    PropSheetFormView* view = m_activeView ? m_activeView() : nullptr;
    SystemDoc backup;
    if (selected < 0 || !view) {
        QApplication::beep();
        return nullptr;
    }
    const DeviceHistory::Entry& entry = m_history->Entries()[static_cast<size_t>(selected)];
    if (!ReadBackup(entry.path, backup)) {
        QApplication::beep();
        return nullptr;
    }
    return showDifferences(view->doc(), backup, QString::fromStdString(view->doc().GetTitle()), entry.name,
                           view);
}

DifferencesWindow* DeviceHistoryWindow::compareWithPrevious() {
    const int selected = selectedEntry();
    const auto& entries = m_history->Entries();
    SystemDoc before;
    SystemDoc after;
    if (selected < 0 || entries[static_cast<size_t>(selected)].previous < 0) {
        QApplication::beep();
        return nullptr;
    }
    const DeviceHistory::Entry& entry = entries[static_cast<size_t>(selected)];
    const DeviceHistory::Entry& previous = entries[static_cast<size_t>(entry.previous)];
    if (!ReadBackup(previous.path, before) || !ReadBackup(entry.path, after)) {
        QApplication::beep();
        return nullptr;
    }
    return showDifferences(before, after, previous.name, entry.name, nullptr);
}

DifferencesWindow* DeviceHistoryWindow::showDifferences(const SystemDoc& first, const SystemDoc& second,
                                                        const QString& firstName, const QString& secondName,
                                                        PropSheetFormView* view) {
    const QString description = Plain(QStringLiteral("First: %1, second: %2").arg(firstName, secondName));
    const DumpComparison comparison(first, second);
    auto* window = view ? new DifferencesWindow(*view, comparison, description, this)
                        : new DifferencesWindow(comparison, description, this);
    window->show();
    window->raise();
    window->activateWindow();
    return window;
}
