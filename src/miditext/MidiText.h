#pragma once

#include <cstdint>
#include <string>
#include <vector>

// Text forms of a patch's MIDI byte strings: hex text written two lower-case digits a byte,
// "|" comments behind the bytes, and the one-message-per-line layout of the patch editor.
// Pure functions, standard library only.

// Hex text of `count` bytes held in the dump's byte-pair form (value = first * 128 + second).
// Each value is masked to 8 bits, so a malformed pair still prints as two digits. With `spaces`
// every byte is followed by a blank (the text ends in one); with `lineBreaks` "\r\n" follows
// every eighth byte. A null pointer or a count <= 0 gives empty text.
std::string FormatHexBytes(const uint8_t* pairs, int count, bool spaces, bool lineBreaks);

// The same for plain bytes.
std::string FormatHexBytesPlain(const uint8_t* bytes, int count, bool spaces, bool lineBreaks);

// Drops every comment: from `delimiter` up to, not including, the next line feed. A carriage
// return in front of that line feed goes with the comment. Never longer than `text`.
std::string StripComments(const std::string& text, char delimiter = '|');

// Reads hex text: byte pairs of hex digits (either case), separated by any whitespace or by
// nothing at all. Returns the number of bytes read (0 for empty or blank text) and leaves
// exactly those in `bytes`; returns -1 and leaves `bytes` empty when the text is malformed
// (a lone digit, a split pair, any other character).
int ParseHexBytes(const std::string& text, std::vector<uint8_t>& bytes);

// Lays out packed lower-case hex (two digits a byte, as FormatHexBytes without spaces or line
// breaks writes it) one recognised message a line: note off/on, control change, program change,
// pitch bend and system exclusive; anything else goes into runs of unrecognised bytes, eight to
// a line. With `comments` each line carries a "|" comment describing it. Every input character
// appears in the output unchanged, whatever the input holds.
std::string DescribeMidiString(const std::string& packedHex, bool comments);

// The value of a hex digit of either case, -1 for any other character.
int HexDigitValue(char c);

// Name of a control-change controller 0-127; "invalid controller value" for any other number.
std::string ControllerName(int number);

// Number conversions for the hex edit form: hex digits (either case) to decimal, decimal digits
// to lower-case hex. Empty text, any other character, or a value above 0xffffffff gives "err".
std::string HexToDecimalText(const std::string& text);
std::string DecimalToHexText(const std::string& text);
