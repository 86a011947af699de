#include "dump/BankRecord.h"

#include "dump/Encoding.h"
#include "dump/RecordSlot.h"

BankRecord::BankRecord(const RecordSlot& slot) : BankRecord(slot.Data(), slot.Length()) {}

int BankRecord::Number() const {
    return ReadBytePairAt(m_data, m_length, kNumber);
}

std::string BankRecord::Name() const {
    if (m_length < kName + 30)
        return {};
    return DecodeName(m_data + kName, 30);
}

int BankRecord::SequenceMode() const {
    return ReadBytePairAt(m_data, m_length, kSeqMode);
}

int BankRecord::SequenceLength() const {
    return ReadWordQuadAt(m_data, m_length, kSeqLength);
}

int BankRecord::SlotPatch(int slot) const {
    if (slot < 0 || slot >= kSlotCount)
        return -1;
    return ReadWordQuadAt(m_data, m_length, kSlots + 4 * slot);
}

int BankRecord::Step(int step) const {
    if (step < 0)
        return -1;
    return ReadWordQuadAt(m_data, m_length, kSteps + 4 * step);
}

int BankRecord::ActiveCount() const {
    const int mode = SequenceMode();
    if (mode == 0)
        return kSlotCount;
    if (mode < 0)
        return 0;
    const int n = SequenceLength();
    return n < 0 ? 0 : n;
}

int BankRecord::ActiveOffset(int k) const {
    if (k < 0 || k >= ActiveCount())
        return -1;
    const int offset = SequenceMode() == 0 ? kSlots + 4 * k : kSteps + 4 * k;
    return offset <= m_length - 4 ? offset : -1;
}

int BankRecord::ActiveEntry(int k) const {
    const int offset = ActiveOffset(k);
    return offset < 0 ? -1 : ReadWordQuadAt(m_data, m_length, offset);
}

bool BankRecord::ActiveListFits() const {
    if (SequenceMode() < 0)
        return false;
    const int count = ActiveCount();
    return count == 0 || ActiveOffset(count - 1) >= 0;
}

int BankRecord::DeclaredLength() const {
    const int n = SequenceLength();
    return n < 0 ? -1 : kFixedLength + 4 * n;
}
