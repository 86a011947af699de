#include "views/ZIVPropSheet.h"

#include "editors/ConfigPage.h"
#include "views/BanksPage.h"
#include "views/PatchesPage.h"
#include "views/RecordClipboard.h"
#include "views/SetsPage.h"

#include <QApplication>
#include <QKeyEvent>
#include <QLayout>
#include <QLineEdit>
#include <QPlainTextEdit>
#include <QStyle>
#include <QTabBar>
#include <QTextEdit>

#include <map>

namespace {
// The current tab's mark, loaded once for each style: the style reads it from several image
// files each time it is asked.
QIcon CurrentTabIcon(const QStyle* style) {
    static std::map<QString, QIcon> icons;
    auto it = icons.find(style->name());
    if (it == icons.end())
        it = icons.emplace(style->name(), style->standardIcon(QStyle::SP_ArrowRight)).first;
    return it->second;
}
} // namespace

ZIVPropSheet::ZIVPropSheet(SystemDoc& doc, ShellServices& shell, QWidget* parent)
    : QTabWidget(parent), m_config(new ConfigPage(doc, shell, this)),
      m_patches(new PatchesPage(doc, shell, this)), m_banks(new BanksPage(doc, shell, this)),
      m_sets(new SetsPage(doc, shell, this)), m_currentIcon(CurrentTabIcon(style())) {
    setObjectName(QStringLiteral("propSheet"));
    setDocumentMode(true);
    tabBar()->setObjectName(QStringLiteral("sheetTabs"));
    tabBar()->setAccessibleName(QStringLiteral("Data window tabs"));
    tabBar()->setProperty("controlId", 200);
    // Clicking a tab leaves the keyboard focus where it was; Tab still reaches the strip.
    tabBar()->setFocusPolicy(Qt::TabFocus);
    setIconSize(QSize(16, 16));
    // The configuration page's layout waits for the window's size: the first tab added is shown
    // at once, and laying its seventy controls out at a size it never has costs as much again.
    QLayout* configLayout = m_config->layout();
    if (configLayout)
        configLayout->setEnabled(false);
    for (SheetPage* p : {m_config, static_cast<SheetPage*>(m_patches), static_cast<SheetPage*>(m_banks),
                         static_cast<SheetPage*>(m_sets)}) {
        addTab(p, p->tabText());
        connect(p, &SheetPage::commandStatesChanged, this, &ZIVPropSheet::commandStatesChanged);
    }
    if (configLayout)
        configLayout->setEnabled(true);
    connect(this, &QTabWidget::currentChanged, this, &ZIVPropSheet::currentTabChanged);
    setCurrentIndex(TabConfig);
    currentTabChanged(TabConfig);
    qApp->installEventFilter(this);
}

ZIVPropSheet::~ZIVPropSheet() {
    qApp->removeEventFilter(this);
    // The pages go after this destructor has run; nothing they or the tabs say may reach it.
    blockSignals(true);
    disconnect(this, &QTabWidget::currentChanged, this, &ZIVPropSheet::currentTabChanged);
}

SheetPage* ZIVPropSheet::page(int tab) const {
    switch (tab) {
    case TabConfig:
        return m_config;
    case TabPatches:
        return m_patches;
    case TabBanks:
        return m_banks;
    case TabSets:
        return m_sets;
    default:
        return nullptr;
    }
}

void ZIVPropSheet::Refresh(DocListener* sender, int hint) {
    for (SheetPage* p : {m_config, static_cast<SheetPage*>(m_banks), static_cast<SheetPage*>(m_patches),
                         static_cast<SheetPage*>(m_sets)})
        p->Refresh(sender, hint);
}

void ZIVPropSheet::currentTabChanged(int index) {
    if (index == m_current)
        return;
    if (SheetPage* old = page(m_current)) {
        setTabIcon(m_current, QIcon());
        old->deactivate();
    }
    m_current = index;
    if (SheetPage* now = page(index)) {
        setTabIcon(index, m_currentIcon);
        now->activate();
    }
    emit commandStatesChanged();
}

QWidget* ZIVPropSheet::focusedTextField() const {
    QWidget* focus = QApplication::focusWidget();
    if (!focus || !isAncestorOf(focus))
        return nullptr;
    if (qobject_cast<QLineEdit*>(focus) || qobject_cast<QTextEdit*>(focus) ||
        qobject_cast<QPlainTextEdit*>(focus))
        return focus;
    return nullptr;
}

SheetPage* ZIVPropSheet::pasteTarget() const {
    if (RecordClipboard::available(RecordClipboard::Kind::Bank))
        return m_banks;
    if (RecordClipboard::available(RecordClipboard::Kind::Patch))
        return m_patches;
    if (RecordClipboard::available(RecordClipboard::Kind::Set))
        return m_sets;
    return nullptr;
}

bool ZIVPropSheet::isCommandEnabled(EditCommand command) const {
    bool enabled = false;
    switch (command) {
    case EditCommand::Cut:
        // Copy and Delete on the same focused list.
        for (SheetPage* p : {static_cast<SheetPage*>(m_banks), static_cast<SheetPage*>(m_patches)}) {
            bool copy = false;
            bool remove = false;
            if (p->commandState(EditCommand::Copy, copy) && p->commandState(EditCommand::Delete, remove))
                return copy && remove;
        }
        return false;
    case EditCommand::Copy:
        for (SheetPage* p : {static_cast<SheetPage*>(m_banks), static_cast<SheetPage*>(m_patches),
                             static_cast<SheetPage*>(m_sets)})
            if (p->commandState(command, enabled))
                return enabled;
        return focusedTextField() != nullptr;
    case EditCommand::Paste: {
        SheetPage* target = pasteTarget();
        return target && target->commandState(command, enabled) && enabled;
    }
    case EditCommand::Delete:
    case EditCommand::DeleteReorder:
    case EditCommand::Insert:
    case EditCommand::InsertReorder:
        for (SheetPage* p : {static_cast<SheetPage*>(m_banks), static_cast<SheetPage*>(m_patches)})
            if (p->commandState(command, enabled))
                return enabled;
        return false;
    }
    return false;
}

void ZIVPropSheet::executeCommand(EditCommand command) {
    if (!isCommandEnabled(command))
        return;
    switch (command) {
    case EditCommand::Copy:
        for (SheetPage* p : {static_cast<SheetPage*>(m_banks), static_cast<SheetPage*>(m_patches),
                             static_cast<SheetPage*>(m_sets)})
            if (p->handleCommand(command))
                return;
        if (QWidget* field = focusedTextField()) {
            if (auto* line = qobject_cast<QLineEdit*>(field))
                line->copy();
            else if (auto* text = qobject_cast<QTextEdit*>(field))
                text->copy();
            else if (auto* plain = qobject_cast<QPlainTextEdit*>(field))
                plain->copy();
        }
        return;
    case EditCommand::Paste:
        if (SheetPage* target = pasteTarget())
            target->handleCommand(command);
        return;
    case EditCommand::Cut:
    case EditCommand::Delete:
    case EditCommand::DeleteReorder:
    case EditCommand::Insert:
    case EditCommand::InsertReorder:
        for (SheetPage* p : {static_cast<SheetPage*>(m_banks), static_cast<SheetPage*>(m_patches)})
            if (p->handleCommand(command))
                return;
        return;
    }
}

void ZIVPropSheet::revealRecord(int hint, int number) {
    switch (hint) {
    case HintPatches:
        setCurrentIndex(TabPatches);
        m_patches->selectPatch(number);
        break;
    case HintBanks:
        setCurrentIndex(TabBanks);
        m_banks->selectBank(number);
        break;
    case HintSets:
        setCurrentIndex(TabSets);
        m_sets->selectSet(number);
        break;
    case HintConfig:
        setCurrentIndex(TabConfig);
        break;
    default:
        break;
    }
}

bool ZIVPropSheet::focusNextPrevChild(bool next) {
    if (m_banks->isVisible() && m_banks->tabCycle(next))
        return true;
    if (m_sets->isVisible() && m_sets->tabCycle(next))
        return true;
    return QTabWidget::focusNextPrevChild(next);
}

bool ZIVPropSheet::isTabSwitchKey(const QKeyEvent* event) const {
    if (!(event->modifiers() & Qt::ControlModifier))
        return false;
    switch (event->key()) {
    case Qt::Key_Tab:
    case Qt::Key_Backtab:
    case Qt::Key_PageUp:
    case Qt::Key_PageDown:
        return true;
    default:
        return false;
    }
}

bool ZIVPropSheet::eventFilter(QObject* watched, QEvent* event) {
    const QEvent::Type type = event->type();
    if (type != QEvent::KeyPress && type != QEvent::ShortcutOverride)
        return false;
    auto* widget = qobject_cast<QWidget*>(watched);
    if (!widget || (widget != this && !isAncestorOf(widget)))
        return false;
    auto* key = static_cast<QKeyEvent*>(event);
    if (key->matches(QKeySequence::Find)) {
        // Find a patch, from wherever the focus is in the window.
        event->accept();
        if (type == QEvent::KeyPress) {
            setCurrentIndex(TabPatches);
            m_patches->focusFilter();
        }
        return true;
    }
    if (!isTabSwitchKey(key))
        return false;
    event->accept();
    if (type == QEvent::KeyPress) {
        const bool back = key->key() == Qt::Key_PageUp || key->key() == Qt::Key_Backtab ||
                          (key->key() == Qt::Key_Tab && (key->modifiers() & Qt::ShiftModifier));
        const int n = count();
        setCurrentIndex((currentIndex() + (back ? n - 1 : 1)) % n);
    }
    return true;
}
