#include "SheetPage.h"

SheetPage::SheetPage(SystemDoc& doc, ShellServices& shell, QWidget* parent)
    : QWidget(parent), m_doc(&doc), m_shell(&shell) {}

bool SheetPage::ignoresHint(int hint) const {
    (void)hint;
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
