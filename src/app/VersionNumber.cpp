#include "app/VersionNumber.h"

#include "version/Version.h"

namespace {
constexpr size_t kMaxDigits = 9;
} // namespace

std::optional<VersionNumber> VersionNumber::Parse(std::string_view text) {
    VersionNumber result;
    size_t part = 0;
    size_t digits = 0;
    uint32_t value = 0;
    for (const char c : text) {
        if (c == '.') {
            if (digits == 0 || part == 3)
                return std::nullopt;
            result.m_parts[part++] = value;
            digits = 0;
            value = 0;
        } else if (c >= '0' && c <= '9') {
            if (++digits > kMaxDigits)
                return std::nullopt;
            value = value * 10 + static_cast<uint32_t>(c - '0');
        } else {
            return std::nullopt;
        }
    }
    if (part != 3 || digits == 0)
        return std::nullopt;
    result.m_parts[3] = value;
    return result;
}

VersionNumber VersionNumber::Own() {
    return VersionNumber(TOLVANE_VERSION_MAJOR, TOLVANE_VERSION_MINOR, TOLVANE_VERSION_PATCH, 0);
}

int VersionNumber::Compare(const VersionNumber& other) const {
    for (size_t i = 0; i < m_parts.size(); ++i) {
        if (m_parts[i] != other.m_parts[i])
            return m_parts[i] < other.m_parts[i] ? -1 : 1;
    }
    return 0;
}

std::string VersionNumber::ToString() const {
    return std::to_string(m_parts[0]) + '.' + std::to_string(m_parts[1]) + '.' + std::to_string(m_parts[2]) +
           '.' + std::to_string(m_parts[3]);
}
