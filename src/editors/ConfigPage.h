#pragma once

#include "SheetPage.h"

// Tab 0 of the data window: the system configuration.
class ConfigPage : public SheetPage {
    Q_OBJECT
public:
    ConfigPage(SystemDoc& doc, ShellServices& shell, QWidget* parent = nullptr);
    QString tabText() const override;

protected:
    bool ignoresHint(int hint) const override;
    void rebuild(int hint) override;
};
