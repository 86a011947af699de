#include "QuillonMidiText.h"

#include <cstdint>

namespace {

const QString kErr = QStringLiteral("err");
constexpr uint64_t kMaxConvertible = 0xffffffffu;

const char* const kControllerNames[128] = {
    "Bank Select",
    "Modulation Wheel",
    "Breath Controller",
    "Undefined",
    "Foot Controller",
    "Portamento Time",
    "Data Entry MSB",
    "Channel Volume",
    "Balance",
    "Undefined",
    "Pan",
    "Expression Controller",
    "Effect Control 1",
    "Effect Control 2",
    "Undefined",
    "Undefined",
    "General Purpose Controller 1",
    "General Purpose Controller 2",
    "General Purpose Controller 3",
    "General Purpose Controller 4",
    "Undefined", // 20
    "Undefined",
    "Undefined",
    "Undefined",
    "Undefined",
    "Undefined",
    "Undefined",
    "Undefined",
    "Undefined",
    "Undefined",
    "Undefined",
    "Undefined", // 31
    "LSB for Control 0 (Bank Select)",
    "LSB for Control 1 (Modulation Wheel)",
    "LSB for Control 2 (Breath Controller)",
    "LSB for Control 3 (Undefined)",
    "LSB for Control 4 (Foot Controller)",
    "LSB for Control 5 (Portamento Time)",
    "LSB for Control 6 (Data Entry)",
    "LSB for Control 7 (Channel Volume)",
    "LSB for Control 8 (Balance)",
    "LSB for Control 9 (Undefined)",
    "LSB for Control 10 (Pan)",
    "LSB for Control 11 (Expression Controller)",
    "LSB for Control 12 (Effect control 1)",
    "LSB for Control 13 (Effect control 2)",
    "LSB for Control 14 (Undefined)",
    "LSB for Control 15 (Undefined)",
    "LSB for Control 16 (General Purpose Controller 1)",
    "LSB for Control 17 (General Purpose Controller 2)",
    "LSB for Control 18 (General Purpose Controller 3)",
    "LSB for Control 19 (General Purpose Controller 4)",
    "LSB for Control 20 (Undefined)",
    "LSB for Control 21 (Undefined)",
    "LSB for Control 22 (Undefined)",
    "LSB for Control 23 (Undefined)",
    "LSB for Control 24 (Undefined)",
    "LSB for Control 25 (Undefined)",
    "LSB for Control 26 (Undefined)",
    "LSB for Control 27 (Undefined)",
    "LSB for Control 28 (Undefined)",
    "LSB for Control 29 (Undefined)",
    "LSB for Control 30 (Undefined)",
    "LSB for Control 31 (Undefined)",
    "Damper Pedal On/Off (Sustain)", // 64
    "Portamento On/Off",
    "Sustenuto On/Off",
    "Soft Pedal On/Off",
    "Legato Footswitch",
    "Hold 2",
    "Sound Controller 1 (default: Sound Variation)",
    "Sound Controller 2 (default: Timbre/Harmonic Intens.)",
    "Sound Controller 3 (default: Release Time)",
    "Sound Controller 4 (default: Attack Time)",
    "Sound Controller 5 (default: Brightness)",
    "Sound Controller 6 (default: Decay Time)",
    "Sound Controller 7 (default: Vibrato Rate)",
    "Sound Controller 8 (default: Vibrato Depth)",
    "Sound Controller 9 (default: Vibrato Delay)",
    "Sound Controller 10 (default undefined)",
    "General Purpose Controller 5", // 80
    "General Purpose Controller 6",
    "General Purpose Controller 7",
    "General Purpose Controller 8",
    "Portamento Control",
    "Undefined", // 85
    "Undefined",
    "Undefined",
    "Undefined",
    "Undefined",
    "Undefined",
    "Effects 1 Depth", // 91
    "Effects 2 Depth",
    "Effects 3 Depth",
    "Effects 4 Depth",
    "Effects 5 Depth",
    "Data Increment (Data Entry +1)",
    "Data Decrement (Data Entry -1)",
    "Non-Registered Parameter Number (NRPN) LSB",
    "Non-Registered Parameter Number (NRPN) MSB",
    "Registered Parameter Number (RPN) LSB",
    "Registered Parameter Number (RPN) MSB",
    "Undefined", // 102
    "Undefined",
    "Undefined",
    "Undefined",
    "Undefined",
    "Undefined",
    "Undefined",
    "Undefined",
    "Undefined",
    "Undefined",
    "Undefined",
    "Undefined",
    "Undefined",
    "Undefined",
    "Undefined",
    "Undefined",
    "Undefined",
    "Undefined", // 119
    "[Channel Mode Message] All Sound Off",
    "[Channel Mode Message] Reset All Controllers",
    "[Channel Mode Message] Local Control On/Off",
    "[Channel Mode Message] All Notes Off",
    "[Channel Mode Message] Omni Mode Off (+ all notes off)",
    "[Channel Mode Message] Omni Mode On (+ all notes off)",
    "[Channel Mode Message] Poly Mode On/Off (+ all notes off)",
    "[Channel Mode Message] Poly Mode On (+ mono off +all notes off)",
};

} // namespace

int QuillonMidiText::HexDigitValue(QChar c) {
    const char16_t u = c.unicode();
    if (u >= u'0' && u <= u'9')
        return u - u'0';
    if (u >= u'a' && u <= u'f')
        return u - u'a' + 10;
    if (u >= u'A' && u <= u'F')
        return u - u'A' + 10;
    return -1;
}

QString QuillonMidiText::ControllerName(int number) {
    if (number < 0 || number > 127)
        return QStringLiteral("invalid controller value");
    return QString::fromLatin1(kControllerNames[number]);
}

QString QuillonMidiText::HexToDecimalText(const QString& text) {
    if (text.isEmpty())
        return kErr;
    uint64_t value = 0;
    for (const QChar c : text) {
        const int digit = HexDigitValue(c);
        if (digit < 0)
            return kErr;
        // Leading zeros are fine; only the value itself is limited to 32 bits.
        value = value * 16 + static_cast<uint64_t>(digit);
        if (value > kMaxConvertible)
            return kErr;
    }
    return QString::number(value);
}

QString QuillonMidiText::DecimalToHexText(const QString& text) {
    if (text.isEmpty())
        return kErr;
    uint64_t value = 0;
    for (const QChar c : text) {
        if (c < u'0' || c > u'9')
            return kErr;
        value = value * 10 + static_cast<uint64_t>(c.unicode() - u'0');
        if (value > kMaxConvertible)
            return kErr;
    }
    return QString::number(value, 16);
}
