#include "dump/Encoding.h"

const char* const kBadDataName = "** BAD DATA **";

int ReadBytePair(const uint8_t* p) {
    return p[0] * 128 + p[1];
}

void WriteBytePair(uint8_t* p, int value) {
    p[0] = static_cast<uint8_t>((value >> 7) & 1);
    p[1] = static_cast<uint8_t>(value & 0x7F);
}

int ReadWordQuad(const uint8_t* p) {
    const int high = (p[0] * 128 + p[1]) & 0xFF;
    const int low = (p[2] * 128 + p[3]) & 0xFF;
    return high * 256 + low;
}

void WriteWordQuad(uint8_t* p, int value) {
    WriteBytePair(p, (value >> 8) & 0xFF);
    WriteBytePair(p + 2, value & 0xFF);
}

int ReadBytePairAt(const uint8_t* data, int length, int offset, int fallback) {
    if (!data || offset < 0 || length < 2 || offset > length - 2)
        return fallback;
    return ReadBytePair(data + offset);
}

int ReadWordQuadAt(const uint8_t* data, int length, int offset, int fallback) {
    if (!data || offset < 0 || length < 4 || offset > length - 4)
        return fallback;
    return ReadWordQuad(data + offset);
}

std::string DecodeName(const uint8_t* field, int size) {
    std::string text;
    if (!field)
        return text;
    for (int i = 0; i < size; ++i) {
        const uint8_t c = field[i];
        if (c == 0)
            continue;
        if ((c >= 0x20 && c <= 0x5C) || c == '\t' || c == '\n' || c == '\r')
            text += static_cast<char>(c);
        else
            return kBadDataName;
    }
    // Trailing white space goes, but a name of blanks keeps its first character.
    size_t end = text.size();
    while (end > 1) {
        const char c = text[end - 1];
        if (c != ' ' && c != '\t' && c != '\n' && c != '\r')
            break;
        --end;
    }
    text.resize(end);
    return text;
}

namespace {
const char* const kChannelSwitchNames[] = {"inactive",      "off",          "on",
                                           "momentary off", "momentary on", "toggle"};
const char* const kPedalTypeNames[] = {"enhanced", "momentary", "toggle", "normal"};
const char* const kGlobalCCNames[] = {"none", "Pedal 1", "Pedal 2", "Pedal 1 & 2"};
} // namespace

std::string ChannelSwitchName(int value) {
    if (value < 0 || value > 5)
        return {};
    return kChannelSwitchNames[value];
}

int ChannelSwitchValue(const std::string& text) {
    for (int i = 0; i <= 5; ++i)
        if (text == kChannelSwitchNames[i])
            return i;
    return 0;
}

std::string PedalTypeName(int value) {
    if (value < 0 || value > 24 || value % 8 != 0)
        return {};
    return kPedalTypeNames[value / 8];
}

int PedalTypeValue(const std::string& text) {
    for (int i = 0; i < 4; ++i)
        if (text == kPedalTypeNames[i])
            return i * 8;
    return 0;
}

std::string GlobalCCName(int value) {
    if (value < 0 || value > 192 || value % 64 != 0)
        return {};
    return kGlobalCCNames[value / 64];
}

int GlobalCCValue(const std::string& text) {
    for (int i = 0; i < 4; ++i)
        if (text == kGlobalCCNames[i])
            return i * 64;
    return 0;
}

std::string GlobalCCIndexName(int index) {
    if (index < 0 || index > 3)
        return {};
    return kGlobalCCNames[index];
}
