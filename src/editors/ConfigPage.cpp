#include "ConfigPage.h"

#include "ZIVBackupDoc.h"

ConfigPage::ConfigPage(SystemDoc& doc, ShellServices& shell, QWidget* parent) : SheetPage(doc, shell, parent) {}

QString ConfigPage::tabText() const {
    return QStringLiteral("System Configuration");
}

bool ConfigPage::ignoresHint(int hint) const {
    return hint != HintAll && hint != HintConfig;
}

void ConfigPage::rebuild(int hint) {
    (void)hint;
}
