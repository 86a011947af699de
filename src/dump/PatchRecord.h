#pragma once

#include "dump/SystemDoc.h"

#include <cstdint>
#include <string>

// Read-only view of an encoded patch record:
//   0 number (word quad), 4 name (30 bytes), 34 mode (byte pair), 36 pedal 1 local CCs 1-3,
//   60 pedal 2 local CCs 1-3 (8 bytes each), 84 length a (word quad), 88 string A (a pairs),
//   88 + 2a length b, 92 + 2a string B.
// Every read is checked against the record's length; a field that does not fit reads as -1.
class PatchRecord {
public:
    static constexpr int kNumber = 0;
    static constexpr int kName = 4;
    static constexpr int kMode = 34;
    static constexpr int kLocalCCs = 36;
    static constexpr int kStringA = 84;
    static constexpr int kFixedLength = 92;

    // Mode byte fields.
    static constexpr int kChannelSwitchMask = 0x07;
    static constexpr int kPedalTypeMask = 0x18;
    static constexpr int kStringASentBit = 0x20;
    static constexpr int kGlobalCC1Bit = 0x40;
    static constexpr int kGlobalCC2Bit = 0x80;

    PatchRecord(const uint8_t* data, int length) : m_data(data), m_length(data ? length : 0) {}
    explicit PatchRecord(const RecordSlot& slot);

    int Number() const;
    std::string Name() const;
    int Mode() const;
    // pedal 1-2, cc 1-3; all fields -1 when it does not fit.
    CCAssignment LocalCC(int pedal, int cc) const;
    static int LocalCCOffset(int pedal, int cc) { return kLocalCCs + (pedal - 1) * 24 + (cc - 1) * 8; }

    int StringALength() const;
    int StringAOffset() const { return kStringA + 4; }
    int StringBLength() const;
    int StringBLengthOffset() const;
    int StringBOffset() const;
    // The byte pairs of a string (0 = A, 1 = B) when they lie inside the record, else null;
    // `count` receives the number of bytes (pairs), 0 when the string does not fit.
    const uint8_t* StringPairs(int which, int* count) const;
    // The plain bytes of a string (each pair combined and cut to 8 bits).
    std::string StringBytes(int which) const;
    // The length the record's own fields call for (92 + 2a + 2b), or -1 when unreadable.
    int DeclaredLength() const;

private:
    const uint8_t* m_data;
    int m_length;
};
