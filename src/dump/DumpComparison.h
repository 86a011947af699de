#pragma once

#include <string>
#include <vector>

class SystemDoc;

// What differs between two dumps, by content: records are matched by their numbers, so the order
// in which the files hold them does not matter. Every field of every record is compared and named
// with the words of the editors; MIDI strings are shown as hex text.
//
// Differences come in the order header, configuration, sets 1-5, banks 1-99, patches 1-500, and
// within a record in the order of its fields. No operation throws or reads outside a record.
class DumpComparison {
public:
    enum class Record { Header, Configuration, Set, Bank, Patch };

    struct Difference {
        Record record = Record::Header;
        int number = 0;     // set, bank or patch number; 0 for the header and the configuration
        std::string change; // "name \"PATCH2B\" -> \"PATCH2C\"", "only in the second", ...

        // "header", "configuration", "set 2", "bank 05", "patch 012".
        std::string Key() const;
        // Key() + ": " + change.
        std::string Line() const;
    };

    DumpComparison(const SystemDoc& first, const SystemDoc& second);

    const std::vector<Difference>& Differences() const { return m_differences; }
    bool Same() const { return m_differences.empty(); }
    // One line for each difference.
    std::vector<std::string> Lines() const;
    // One key for each record that differs.
    std::vector<std::string> Keys() const;

private:
    void CompareHeader(const SystemDoc& a, const SystemDoc& b);
    void CompareConfig(const SystemDoc& a, const SystemDoc& b);
    void CompareSet(int n, const SystemDoc& a, const SystemDoc& b);
    void CompareBank(int n, const SystemDoc& a, const SystemDoc& b);
    void ComparePatch(int n, const SystemDoc& a, const SystemDoc& b);

    std::vector<Difference> m_differences;
};
