#pragma once

#include <QString>

#include <climits>
#include <string>
#include <vector>

// Text helpers of the editor dialogs: the one-number-a-line lists of the bank and set editors
// and the line ends of texts shown in edit fields. Values that do not fit an int
// read as INT_MAX (or INT_MIN), which every caller refuses as out of range.
namespace editortext {

// The text cut at every line feed; the part after the last one is a line too.
inline std::vector<std::string> SplitLines(const std::string& text) {
    std::vector<std::string> lines;
    std::string::size_type start = 0;
    for (;;) {
        const std::string::size_type end = text.find('\n', start);
        if (end == std::string::npos) {
            lines.push_back(text.substr(start));
            return lines;
        }
        lines.push_back(text.substr(start, end - start));
        start = end + 1;
    }
}

inline bool IsDigit(char c) {
    return c >= '0' && c <= '9';
}

// The decimal value of the digits from `pos` on; saturates instead of overflowing.
inline int DigitsValue(const std::string& line, std::string::size_type pos, bool negative) {
    long long value = 0;
    for (; pos < line.size() && IsDigit(line[pos]); ++pos) {
        value = value * 10 + (line[pos] - '0');
        if (value > INT_MAX)
            return negative ? INT_MIN : INT_MAX;
    }
    return static_cast<int>(negative ? -value : value);
}

// The line's leading digits when it starts with a digit, else 0.
inline int LeadingDigits(const std::string& line) {
    return !line.empty() && IsDigit(line[0]) ? DigitsValue(line, 0, false) : 0;
}

// The number at the line's start after any white space and an optional sign; 0 when there is
// none.
inline int LeadingInteger(const std::string& line) {
    std::string::size_type pos = 0;
    while (pos < line.size() && (line[pos] == ' ' || line[pos] == '\t' || line[pos] == '\r' ||
                                 line[pos] == '\v' || line[pos] == '\f'))
        ++pos;
    bool negative = false;
    if (pos < line.size() && (line[pos] == '+' || line[pos] == '-')) {
        negative = line[pos] == '-';
        ++pos;
    }
    return DigitsValue(line, pos, negative);
}

// Texts made with "\r\n" line ends as an edit field shows them (the fields hold line feeds).
inline QString DisplayText(const std::string& text) {
    QString shown = QString::fromStdString(text);
    shown.replace(QStringLiteral("\r\n"), QStringLiteral("\n"));
    return shown;
}

} // namespace editortext
