#include "miditext/MidiText.h"

#include <climits>
#include <cstddef>

namespace {

constexpr char kDelimiter = '|';
constexpr const char* kLineEnd = "\r\n";
constexpr const char* kErr = "err";
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

bool IsHexDigit(char c) {
    return HexDigitValue(c) >= 0;
}

// Deliberately not isspace(): that depends on the locale and is undefined for negative chars.
bool IsBlank(char c) {
    return c == ' ' || c == '\t' || c == '\n' || c == '\v' || c == '\f' || c == '\r';
}

template <typename ByteAt> std::string FormatHex(int count, bool spaces, bool lineBreaks, ByteAt byteAt) {
    static const char kDigits[] = "0123456789abcdef";
    std::string out;
    if (count <= 0)
        return out;
    out.reserve(static_cast<size_t>(count) * 4);
    for (int i = 0; i < count; ++i) {
        const unsigned value = byteAt(i) & 0xffu;
        out += kDigits[value >> 4];
        out += kDigits[value & 0xf];
        if (spaces)
            out += ' ';
        if (lineBreaks && (i + 1) % 8 == 0)
            out += kLineEnd;
    }
    return out;
}

// Walks packed hex once and builds the annotated layout. Positions are in characters; the
// input may be odd-length or hold anything, so every read is checked against the end.
class MidiDescriber {
public:
    MidiDescriber(const std::string& hex, bool comments) : hex_(hex), comments_(comments) {}

    std::string Run() {
        while (pos_ < hex_.size()) {
            line_.clear();
            bool flush = false;
            if (inSysex_) {
                if (Remaining() >= 1 && hex_[pos_] == 'f' && hex_[pos_ + 1] == '7') {
                    line_ = "f7";
                    EndLine(line_, true, "sysex");
                    pos_ += 2;
                    run_ = 0;
                    inSysex_ = false;
                }
            } else if (TakeMessage()) {
                flush = run_ != 0;
            }
            if (line_.empty())
                TakeUnrecognised();
            if (flush) {
                // A recognised message closes the open run first; an f0 continues its line.
                run_ = 0;
                if (!inSysex_)
                    AppendRunEnd(out_);
            }
            out_ += line_;
        }
        if (inSysex_ && comments_)
            EndLine(out_, false, "incomplete sysex!");
        return out_;
    }

private:
    size_t Remaining() const { return (hex_.size() - pos_) / 2; }

    // Value of the byte `index` bytes ahead; a non-hex character counts as digit 0.
    int ByteAt(size_t index) const {
        const size_t p = pos_ + 2 * index;
        return Nibble(hex_[p]) * 16 + Nibble(hex_[p + 1]);
    }
    static int Nibble(char c) {
        const int v = HexDigitValue(c);
        return v < 0 ? 0 : v;
    }
    int Channel() const { return Nibble(hex_[pos_ + 1]) + 1; }

    // Writes the digits of the next `n` bytes separated by blanks; the caller advances.
    void TakeBytes(size_t n) {
        for (size_t i = 0; i < n; ++i) {
            if (i != 0)
                line_ += ' ';
            line_.append(hex_, pos_ + 2 * i, 2);
        }
    }

    // Recognised messages are decided on the high digit alone (and f only as f0); a message
    // cut short by the end of the string is left to the unrecognised run.
    bool TakeMessage() {
        const char high = hex_[pos_];
        size_t n = 0;
        switch (high) {
        case '8':
        case '9':
        case 'b':
        case 'e':
            n = 3;
            break;
        case 'c':
            n = 2;
            break;
        case 'f':
            n = Remaining() >= 1 && hex_[pos_ + 1] == '0' ? 1 : 0;
            break;
        default:
            break;
        }
        if (n == 0 || Remaining() < n)
            return false;
        TakeBytes(n);
        if (high == 'f') {
            // The sysex body and its f7 stay on this line.
            line_ += ' ';
            inSysex_ = true;
        } else {
            EndLine(line_, true, comments_ ? Comment(high) : std::string());
        }
        pos_ += 2 * n;
        return true;
    }

    std::string Comment(char high) const {
        const std::string ch = std::to_string(Channel());
        const std::string second = std::to_string(ByteAt(1));
        switch (high) {
        case '8':
            return "note off: ch " + ch + " note " + second + " release velocity " +
                   std::to_string(ByteAt(2));
        case '9':
            return "note on: ch " + ch + " note " + second + " velocity " + std::to_string(ByteAt(2));
        case 'b':
            return "cntrl chg: ch " + ch + " controller " + second + " (" + ControllerName(ByteAt(1)) +
                   ") value " + std::to_string(ByteAt(2));
        case 'c':
            return "prog chg: ch " + ch + " patch " + second;
        default:
            return "pitch bend: ch " + ch + " LSB " + second + " MSB " + std::to_string(ByteAt(2));
        }
    }

    // One byte of an unrecognised run (or of a sysex body); a final lone digit counts as a byte.
    void TakeUnrecognised() {
        ++run_;
        line_.append(hex_, pos_, 2);
        line_ += ' ';
        pos_ += Remaining() >= 1 ? 2 : 1;
        if (run_ % 8 == 0) {
            if (!inSysex_)
                AppendRunEnd(line_);
            run_ = 0;
        }
    }

    void AppendRunEnd(std::string& s) const { EndLine(s, false, "?"); }

    // With comments on, the comment goes behind the delimiter (after a blank if `blank`).
    void EndLine(std::string& s, bool blank, const std::string& comment) const {
        if (comments_) {
            if (blank)
                s += ' ';
            s += kDelimiter;
            s += comment;
        }
        s += kLineEnd;
    }

    const std::string& hex_;
    const bool comments_;
    size_t pos_ = 0;
    bool inSysex_ = false;
    int run_ = 0;
    std::string line_;
    std::string out_;
};

} // namespace

int HexDigitValue(char c) {
    if (c >= '0' && c <= '9')
        return c - '0';
    if (c >= 'a' && c <= 'f')
        return c - 'a' + 10;
    if (c >= 'A' && c <= 'F')
        return c - 'A' + 10;
    return -1;
}

std::string FormatHexBytes(const uint8_t* pairs, int count, bool spaces, bool lineBreaks) {
    if (pairs == nullptr)
        return std::string();
    return FormatHex(count, spaces, lineBreaks, [pairs](int i) {
        return pairs[2 * static_cast<size_t>(i)] * 128u + pairs[2 * static_cast<size_t>(i) + 1];
    });
}

std::string FormatHexBytesPlain(const uint8_t* bytes, int count, bool spaces, bool lineBreaks) {
    if (bytes == nullptr)
        return std::string();
    return FormatHex(count, spaces, lineBreaks, [bytes](int i) { return static_cast<unsigned>(bytes[i]); });
}

std::string StripComments(const std::string& text, char delimiter) {
    std::string out;
    out.reserve(text.size());
    bool inComment = false;
    for (const char c : text) {
        if (inComment) {
            // A comment ends at the line feed, which stays; a CR before it goes with the comment.
            if (c == '\n') {
                out += c;
                inComment = false;
            }
        } else if (c == delimiter) {
            inComment = true;
        } else {
            out += c;
        }
    }
    return out;
}

int ParseHexBytes(const std::string& text, std::vector<uint8_t>& bytes) {
    bytes.clear();
    if (text.size() / 2 > static_cast<size_t>(INT_MAX))
        return -1;
    bytes.reserve(text.size() / 2);
    size_t pos = 0;
    while (pos < text.size()) {
        if (IsBlank(text[pos])) {
            ++pos;
            continue;
        }
        if (pos + 1 >= text.size() || !IsHexDigit(text[pos]) || !IsHexDigit(text[pos + 1])) {
            bytes.clear();
            return -1;
        }
        bytes.push_back(static_cast<uint8_t>(HexDigitValue(text[pos]) * 16 + HexDigitValue(text[pos + 1])));
        pos += 2;
    }
    return static_cast<int>(bytes.size());
}

std::string DescribeMidiString(const std::string& packedHex, bool comments) {
    return MidiDescriber(packedHex, comments).Run();
}

std::string ControllerName(int number) {
    if (number < 0 || number > 127)
        return "invalid controller value";
    return kControllerNames[number];
}

std::string HexToDecimalText(const std::string& text) {
    if (text.empty())
        return kErr;
    uint64_t value = 0;
    for (const char c : text) {
        const int digit = HexDigitValue(c);
        if (digit < 0)
            return kErr;
        // Leading zeros are fine; only the value itself is limited to 32 bits.
        value = value * 16 + static_cast<uint64_t>(digit);
        if (value > kMaxConvertible)
            return kErr;
    }
    return std::to_string(value);
}

std::string DecimalToHexText(const std::string& text) {
    if (text.empty())
        return kErr;
    uint64_t value = 0;
    for (const char c : text) {
        if (c < '0' || c > '9')
            return kErr;
        value = value * 10 + static_cast<uint64_t>(c - '0');
        if (value > kMaxConvertible)
            return kErr;
    }
    static const char kDigits[] = "0123456789abcdef";
    std::string out;
    do {
        out.insert(out.begin(), kDigits[value & 0xf]);
        value >>= 4;
    } while (value != 0);
    return out;
}
