#pragma once

#include "views/HexViewSettings.h"

class Settings;

// The hex windows' two settings, kept in the program's settings object.
class HexSettingsAdapter : public HexViewSettings {
    Q_OBJECT
public:
    explicit HexSettingsAdapter(Settings& settings, QObject* parent = nullptr);
    bool ShowAscii() const override;
    void SetShowAscii(bool on) override;
    bool ShowOffset() const override;
    void SetShowOffset(bool on) override;

private:
    Settings& m_settings;
};
