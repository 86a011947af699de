#include "app/HexSettingsAdapter.h"

#include "settings/Settings.h"

HexSettingsAdapter::HexSettingsAdapter(Settings& settings, QObject* parent) : m_settings(settings) {
    setParent(parent);
}

bool HexSettingsAdapter::ShowAscii() const {
    return m_settings.HexShowAscii();
}

void HexSettingsAdapter::SetShowAscii(bool on) {
    m_settings.SetHexShowAscii(on);
}

bool HexSettingsAdapter::ShowOffset() const {
    return m_settings.HexShowOffset();
}

void HexSettingsAdapter::SetShowOffset(bool on) {
    m_settings.SetHexShowOffset(on);
}
