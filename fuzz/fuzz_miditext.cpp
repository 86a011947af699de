// Fuzzes the MIDI text functions with arbitrary text and checks the properties the editors rely
// on: no crash, comments only ever shrink text, and hex text written by us reads back unchanged.

#include "miditext/MidiText.h"

#include <cstddef>
#include <cstdint>
#include <string>
#include <vector>

namespace {

void Check(bool ok) {
    if (!ok)
        __builtin_trap();
}

bool IsLayoutBreak(char c) {
    return c == ' ' || c == '\r' || c == '\n';
}

std::string WithoutLayoutBreaks(const std::string& s) {
    std::string out;
    for (const char c : s)
        if (!IsLayoutBreak(c))
            out += c;
    return out;
}

std::string Lower(std::string s) {
    for (char& c : s)
        if (c >= 'A' && c <= 'Z')
            c = static_cast<char>(c - 'A' + 'a');
    return s;
}

std::string WithoutLeadingZeros(const std::string& s) {
    const size_t first = s.find_first_not_of('0');
    return first == std::string::npos ? "0" : s.substr(first);
}

int Count(const std::vector<uint8_t>& bytes) {
    return static_cast<int>(bytes.size());
}

// Text we wrote from `bytes` must read back as exactly those bytes.
void CheckReadsBack(const std::string& text, const std::vector<uint8_t>& bytes) {
    std::vector<uint8_t> back;
    Check(ParseHexBytes(StripComments(text), back) == Count(bytes));
    Check(back == bytes);
}

} // namespace

extern "C" int LLVMFuzzerTestOneInput(const uint8_t* data, size_t size) {
    const std::string text(reinterpret_cast<const char*>(data), size);

    const std::string stripped = StripComments(text);
    Check(stripped.size() <= text.size());
    Check(stripped.find('|') == std::string::npos);
    if (text.find('|') == std::string::npos)
        Check(stripped == text);

    std::vector<uint8_t> bytes;
    const int count = ParseHexBytes(stripped, bytes);
    Check(count == -1 ? bytes.empty() : count == Count(bytes));
    Check(bytes.size() <= stripped.size() / 2);

    // Arbitrary input is shown character for character; comments off adds only blanks and line ends.
    for (const bool comments : {false, true}) {
        const std::string described = DescribeMidiString(text, comments);
        if (!comments)
            Check(WithoutLayoutBreaks(described) == WithoutLayoutBreaks(text));
    }

    // Round trips through every text form the editors write.
    const std::string spaced = FormatHexBytesPlain(bytes.data(), Count(bytes), true, true);
    CheckReadsBack(spaced, bytes);
    const std::string packed = FormatHexBytesPlain(bytes.data(), Count(bytes), false, false);
    Check(packed.size() == 2 * bytes.size());
    CheckReadsBack(packed, bytes);
    for (const bool comments : {false, true}) {
        const std::string described = DescribeMidiString(packed, comments);
        if (!comments)
            Check(described.find_first_not_of("0123456789abcdef \r\n") == std::string::npos);
        CheckReadsBack(described, bytes);
    }

    // The raw data as byte pairs: every value masked to one byte, in the usual layout.
    const int pairCount = static_cast<int>(size / 2);
    std::vector<uint8_t> masked;
    for (int i = 0; i < pairCount; ++i)
        masked.push_back(static_cast<uint8_t>(data[2 * i] * 128 + data[2 * i + 1]));
    for (const bool spaces : {false, true}) {
        for (const bool lineBreaks : {false, true}) {
            const std::string fromPairs = FormatHexBytes(data, pairCount, spaces, lineBreaks);
            Check(fromPairs == FormatHexBytesPlain(masked.data(), Count(masked), spaces, lineBreaks));
            const size_t perByte = spaces ? 3 : 2;
            const size_t breaks = lineBreaks ? 2 * (masked.size() / 8) : 0;
            Check(fromPairs.size() == perByte * masked.size() + breaks);
            CheckReadsBack(fromPairs, masked);
        }
    }

    // Conversions that succeed must invert each other.
    const std::string decimal = HexToDecimalText(text);
    if (decimal != "err")
        Check(DecimalToHexText(decimal) == WithoutLeadingZeros(Lower(text)));
    const std::string hex = DecimalToHexText(text);
    if (hex != "err")
        Check(HexToDecimalText(hex) == WithoutLeadingZeros(text));

    for (size_t i = 0; i < size; ++i) {
        const std::string name = ControllerName(data[i]);
        Check(!name.empty());
        Check((data[i] >= 128) == (name == "invalid controller value"));
    }
    return 0;
}
