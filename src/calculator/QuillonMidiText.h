#pragma once

#include <QString>

// Quillon's own copies of the editor's MIDI text helpers: the calculator is a separate program and
// links nothing of the editor, but must name controllers and convert numbers exactly as it does.
class QuillonMidiText {
public:
    // "invalid controller value" outside 0-127.
    static QString ControllerName(int number);
    // Hex digits (either case) to decimal; "err" for empty text, any other character, or a value
    // above 32 bits.
    static QString HexToDecimalText(const QString& text);
    // Decimal digits to lower-case hex; "err" under the same rules.
    static QString DecimalToHexText(const QString& text);
    // The value of a hex digit of either case, -1 for any other character.
    static int HexDigitValue(QChar c);
};
