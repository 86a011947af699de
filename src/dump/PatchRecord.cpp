#include "dump/PatchRecord.h"

#include "dump/Encoding.h"
#include "dump/RecordSlot.h"

PatchRecord::PatchRecord(const RecordSlot& slot) : PatchRecord(slot.Data(), slot.Length()) {}

int PatchRecord::Number() const {
    return ReadWordQuadAt(m_data, m_length, kNumber);
}

std::string PatchRecord::Name() const {
    if (m_length < kName + 30)
        return {};
    return DecodeName(m_data + kName, 30);
}

int PatchRecord::Mode() const {
    return ReadBytePairAt(m_data, m_length, kMode);
}

CCAssignment PatchRecord::LocalCC(int pedal, int cc) const {
    CCAssignment a{-1, -1, -1, -1};
    if (pedal < 1 || pedal > 2 || cc < 1 || cc > 3)
        return a;
    const int offset = LocalCCOffset(pedal, cc);
    if (offset + 8 > m_length)
        return a;
    a.flags = ReadBytePair(m_data + offset);
    a.controller = ReadBytePair(m_data + offset + 2);
    a.minimum = ReadBytePair(m_data + offset + 4);
    a.maximum = ReadBytePair(m_data + offset + 6);
    return a;
}

int PatchRecord::StringALength() const {
    return ReadWordQuadAt(m_data, m_length, kStringA);
}

int PatchRecord::StringBLengthOffset() const {
    const int a = StringALength();
    return a < 0 ? -1 : kStringA + 4 + 2 * a;
}

int PatchRecord::StringBLength() const {
    const int offset = StringBLengthOffset();
    return offset < 0 ? -1 : ReadWordQuadAt(m_data, m_length, offset);
}

int PatchRecord::StringBOffset() const {
    const int offset = StringBLengthOffset();
    return offset < 0 ? -1 : offset + 4;
}

const uint8_t* PatchRecord::StringPairs(int which, int* count) const {
    int n = -1;
    int offset = -1;
    if (which == 0) {
        n = StringALength();
        offset = StringAOffset();
    } else if (which == 1) {
        n = StringBLength();
        offset = StringBOffset();
    }
    if (n < 0 || offset < 0 || offset + 2 * n > m_length) {
        if (count)
            *count = 0;
        return nullptr;
    }
    if (count)
        *count = n;
    return m_data + offset;
}

std::string PatchRecord::StringBytes(int which) const {
    int count = 0;
    const uint8_t* pairs = StringPairs(which, &count);
    std::string bytes;
    bytes.reserve(static_cast<size_t>(count));
    for (int i = 0; i < count; ++i)
        bytes += static_cast<char>(ReadBytePair(pairs + 2 * i) & 0xFF);
    return bytes;
}

int PatchRecord::DeclaredLength() const {
    const int a = StringALength();
    const int b = StringBLength();
    return a < 0 || b < 0 ? -1 : kFixedLength + 2 * a + 2 * b;
}
