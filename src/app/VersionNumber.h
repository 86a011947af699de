#pragma once

#include <array>
#include <cstdint>
#include <optional>
#include <string>
#include <string_view>

// A release number "a.b.c.d". Releases are ordered part by part as numbers, so 2.10.0.0 comes
// after 2.5.1.0 (comparing the texts would put it first).
class VersionNumber {
public:
    VersionNumber() = default;
    VersionNumber(uint32_t major, uint32_t minor, uint32_t patch, uint32_t build)
        : m_parts{major, minor, patch, build} {}

    // Exactly four dot-separated decimal numbers, nothing else (no sign, blank or line break);
    // each part at most 9 digits so it cannot overflow.
    static std::optional<VersionNumber> Parse(std::string_view text);

    // This program's own release, from the build's version numbers; the fourth part is 0.
    static VersionNumber Own();

    // Negative, zero or positive as this release comes before, equals or follows other.
    int Compare(const VersionNumber& other) const;
    bool operator==(const VersionNumber& other) const { return Compare(other) == 0; }
    bool operator!=(const VersionNumber& other) const { return Compare(other) != 0; }
    bool operator<(const VersionNumber& other) const { return Compare(other) < 0; }

    std::string ToString() const;
    const std::array<uint32_t, 4>& Parts() const { return m_parts; }

private:
    std::array<uint32_t, 4> m_parts{};
};
