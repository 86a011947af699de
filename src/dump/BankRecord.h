#pragma once

#include <cstdint>
#include <string>

class RecordSlot;

// Read-only view of an encoded bank record:
//   0 number (byte pair), 2 slots A-I (9 word quads), 38 name (30 bytes), 68 sequence mode
//   (byte pair), 70 sequence length n (word quad), 74 n steps (word quads).
// Every read is checked against the record's length; a field that does not fit reads as -1.
class BankRecord {
public:
    static constexpr int kNumber = 0;
    static constexpr int kSlots = 2;
    static constexpr int kSlotCount = 9;
    static constexpr int kName = 38;
    static constexpr int kSeqMode = 68;
    static constexpr int kSeqLength = 70;
    static constexpr int kSteps = 74;
    static constexpr int kFixedLength = 74;

    BankRecord(const uint8_t* data, int length) : m_data(data), m_length(data ? length : 0) {}
    explicit BankRecord(const RecordSlot& slot);

    int Number() const;
    std::string Name() const;
    int SequenceMode() const;
    int SequenceLength() const;
    int SlotPatch(int slot) const; // slot 0-8 = A-I
    int Step(int step) const;

    // The active patch list: slots A-I, or the sequence steps when sequence mode is on.
    int ActiveCount() const;
    // Offset of active entry k inside the record, or -1 when it lies outside.
    int ActiveOffset(int k) const;
    int ActiveEntry(int k) const;
    // True when every active entry lies inside the record.
    bool ActiveListFits() const;
    // The length the record's own fields call for (74 + 4n), or -1 when it cannot be read.
    int DeclaredLength() const;

private:
    const uint8_t* m_data;
    int m_length;
};
