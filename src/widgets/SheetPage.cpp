#include "widgets/SheetPage.h"

#include "dump/RecordSlot.h"
#include "dump/SystemDoc.h"

#include <QApplication>
#include <QLineEdit>
#include <QTabBar>
#include <QTabWidget>

SheetPage::SheetPage(SystemDoc& doc, ShellServices& shell, QWidget* parent)
    : QWidget(parent), m_doc(&doc), m_shell(&shell) {}

bool SheetPage::ignoresHint(int hint) const {
    (void)hint;
    return false;
}

bool SheetPage::handleCommand(EditCommand command) {
    (void)command;
    return false;
}

bool SheetPage::commandState(EditCommand command, bool& enabled) const {
    (void)command;
    (void)enabled;
    return false;
}

bool SheetPage::tabCycle(bool forward) {
    (void)forward;
    return false;
}

void SheetPage::Refresh(DocListener* sender, int hint) {
    (void)sender;
    if (!m_built) // never shown: it builds when first shown
        return;
    if (ignoresHint(hint))
        return;
    if (!m_active) {
        m_refreshPending = true;
        return;
    }
    m_refreshPending = false;
    runRebuild(hint);
}

void SheetPage::activate() {
    m_active = true;
    if (!m_built) {
        m_built = true;
        m_refreshPending = false;
        runRebuild(0);
    } else if (m_refreshPending) {
        Refresh(nullptr, 0);
    }
}

void SheetPage::deactivate() {
    m_active = false;
}

void SheetPage::runRebuild(int hint) {
    ++m_rebuilds;
    rebuild(hint);
}

bool SheetPage::cycleFocus(const QList<QWidget*>& controls, bool forward) {
    QList<QWidget*> ring;
    for (QWidget* w = parentWidget(); w; w = w->parentWidget()) {
        if (auto* tabs = qobject_cast<QTabWidget*>(w)) {
            ring.push_back(tabs->tabBar());
            break;
        }
    }
    ring.append(controls);
    const int size = static_cast<int>(ring.size());
    if (size == 0)
        return false;
    int at = forward ? -1 : 0;
    QWidget* start = QApplication::focusWidget();
    if (!start) // between a modal editor's end and the window's reactivation
        start = window()->focusWidget();
    for (QWidget* focus = start; focus; focus = focus->parentWidget()) {
        const int index = static_cast<int>(ring.indexOf(focus));
        if (index >= 0) {
            at = index;
            break;
        }
    }
    for (int step = 1; step <= size; ++step) {
        QWidget* next = ring.at(((forward ? at + step : at - step) % size + size) % size);
        if (!next || !next->isEnabled() || !next->isVisibleTo(window()))
            continue;
        next->setFocus(Qt::TabFocusReason);
        if (auto* edit = qobject_cast<QLineEdit*>(next))
            edit->selectAll();
        return true;
    }
    return true;
}

bool SheetPage::replacementFits(const RecordSlot* old, const RecordSlot& record, int absentLength) const {
    return doc().SizeAfterReplacing(old, record.Length(), absentLength) <= SystemDoc::kMaxFileBytes;
}
