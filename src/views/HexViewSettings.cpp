#include "views/HexViewSettings.h"

void HexViewSettings::ToggleShowAscii() {
    SetShowAscii(!ShowAscii());
    emit changed();
}

void HexViewSettings::ToggleShowOffset() {
    SetShowOffset(!ShowOffset());
    emit changed();
}
