#include "calculator/QuillonLogic.h"

#include "miditext/MidiText.h"

#include <new>

namespace {

bool IsBlank(QChar c) {
    const char16_t u = c.unicode();
    return u == u' ' || u == u'\t' || u == u'\n' || u == u'\v' || u == u'\f' || u == u'\r';
}

int HexDigitValue(QChar c) {
    return c.unicode() < 0x80 ? ::HexDigitValue(static_cast<char>(c.unicode())) : -1;
}

QString Hex2(int value) {
    return QStringLiteral("%1").arg(value & 0xff, 2, 16, QLatin1Char('0'));
}

QString Hex1(int value) {
    return QString::number(value & 0xf, 16);
}

} // namespace

QuillonLogic::Labels QuillonLogic::LabelsFor(int mode) {
    switch (mode) {
    case ProgramChange:
        return {QStringLiteral("Program"), QString(), QString(), true};
    case ControlChange:
        return {QStringLiteral("Controller"), QStringLiteral("Value"), QString(), true};
    case NoteOn:
        return {QStringLiteral("Note"), QStringLiteral("Velocity"), QString(), true};
    case NoteOff:
        return {QStringLiteral("Note"), QStringLiteral("Release Velocity"), QString(), true};
    case PitchBend:
        return {QStringLiteral("LSB"), QStringLiteral("MSB"), QString(), true};
    case MsbLsb:
        return {QStringLiteral("MSB"), QStringLiteral("LSB"), QStringLiteral("2 byte decimal value"), false};
    default:
        return {};
    }
}

bool QuillonLogic::Composes(int mode) {
    return mode == ProgramChange || mode == ControlChange || mode == NoteOn || mode == NoteOff ||
           mode == PitchBend || mode == MsbLsb;
}

QString QuillonLogic::Compose(int mode, int channel, int data1, int data2) {
    const bool needsChannel = mode != MsbLsb;
    const bool needsData2 = mode != ProgramChange;
    if (!Composes(mode) || (needsChannel && channel < 0) || data1 < 0 || (needsData2 && data2 < 0))
        return QString();
    switch (mode) {
    case ProgramChange:
        return QLatin1Char('c') + Hex1(channel) + QLatin1Char(' ') + Hex2(data1);
    case ControlChange:
        return QLatin1Char('b') + Hex1(channel) + QLatin1Char(' ') + Hex2(data1) + QLatin1Char(' ') +
               Hex2(data2);
    case NoteOn:
    case NoteOff:
        return QLatin1Char(mode == NoteOn ? '9' : '8') + Hex1(channel) + QLatin1Char(' ') + Hex2(data1) +
               QLatin1Char(' ') + Hex2(data2);
    case PitchBend:
        return QLatin1Char('e') + Hex1(channel) + QLatin1Char(' ') + Hex2(data1) + QLatin1Char(' ') +
               Hex2(data2);
    default:
        return Hex2(data1) + QLatin1Char(' ') + Hex2(data2);
    }
}

int QuillonLogic::MsbLsbValue(int msb, int lsb) {
    return ((msb << 7) & 0x3fff) | (lsb & 0x7f);
}

int QuillonLogic::ReadMsbLsbText(const QString& text) {
    // Only the low 14 bits are ever used, so wrapping while reading keeps any length of digits exact.
    int value = 0;
    for (const QChar c : text) {
        if (c < u'0' || c > u'9')
            break;
        value = (value * 10 + (c.unicode() - u'0')) & 0x3fff;
    }
    return value;
}

QuillonLogic::ReadOutcome QuillonLogic::ReadHexBytes(const QString& text, std::vector<uint8_t>& bytes) {
    bytes.clear();
    const qsizetype n = text.size();
    if (n == 0)
        return ReadOutcome::Empty;
    qsizetype pos = 0;
    for (;;) {
        if (pos == n - 1)
            return ReadOutcome::Incomplete;
        const int high = HexDigitValue(text[pos]);
        const int low = HexDigitValue(text[pos + 1]);
        if (high < 0 || low < 0)
            return ReadOutcome::NonHex;
        bytes.push_back(static_cast<uint8_t>(high * 16 + low));
        pos += 2;
        while (pos < n && IsBlank(text[pos]))
            ++pos;
        if (pos == n)
            return ReadOutcome::Bytes;
        if (HexDigitValue(text[pos]) < 0)
            return ReadOutcome::NonHex;
    }
}

QString QuillonLogic::Decompose(const QString& text) {
    std::vector<uint8_t> bytes;
    ReadOutcome outcome;
    try {
        outcome = ReadHexBytes(text, bytes);
    } catch (const std::bad_alloc&) {
        return QStringLiteral("Internal memory error.");
    }
    switch (outcome) {
    case ReadOutcome::Empty:
        return QString();
    case ReadOutcome::Incomplete:
        return QStringLiteral("Incomplete string \r\n(odd number of digits).");
    case ReadOutcome::NonHex:
        return QStringLiteral("Invalid string (non-hex digits).");
    case ReadOutcome::Bytes:
        break;
    }

    const size_t count = bytes.size();
    const int status = bytes[0];
    const int channel = (status & 0x0f) + 1;
    const int second = count > 1 ? bytes[1] : 0;
    const int third = count > 2 ? bytes[2] : 0;
    switch (status & 0xf0) {
    case 0x80:
        if (count != 3)
            return QStringLiteral("Invalid Note off \r\ncommand string.");
        return QStringLiteral("Note Off command:\r\nChannel %1\r\nNote %2\r\nRelease velocity %3")
            .arg(channel)
            .arg(second)
            .arg(third);
    case 0x90:
        if (count != 3)
            return QStringLiteral("Invalid Note on \r\ncommand string.");
        return QStringLiteral("Note On command:\r\nChannel %1\r\nNote %2\r\nVelocity %3")
            .arg(channel)
            .arg(second)
            .arg(third);
    case 0xb0:
        if (count != 3)
            return QStringLiteral("Invalid control change\r\ncommand string.");
        // One arg() call, so a "%" in a controller name could never be taken for a placeholder.
        return QStringLiteral("Control Change command:\r\nChannel %1\r\nController %2 (%3)\r\nValue %4")
            .arg(QString::number(channel), QString::number(second), QString::fromStdString(ControllerName(second)),
                 QString::number(third));
    case 0xc0:
        if (count != 2)
            return QStringLiteral("Invalid program change\r\ncommand string.");
        return QStringLiteral("Program Change command:\r\nChannel %1\r\nPatch %2").arg(channel).arg(second);
    case 0xe0:
        if (count != 3)
            return QStringLiteral("Invalid pitch bend\r\ncommand string.");
        return QStringLiteral("Pitch Bend command:\r\nChannel %1\r\nLSB %2\r\nMSB %3")
            .arg(channel)
            .arg(second)
            .arg(third);
    default:
        return QStringLiteral("Unrecognized MIDI command.");
    }
}
