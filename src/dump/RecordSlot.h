#pragma once

#include <cstdint>
#include <vector>

// An owned copy of one set, bank or patch record, in its encoded message form.
//
// The buffer only grows: assigning a shorter record keeps the allocation, and clearing keeps it
// with length 0. Copies get a buffer of their own, sized to the record.
class RecordSlot {
public:
    RecordSlot() = default;
    RecordSlot(const uint8_t* bytes, int length, int number = 0);
    RecordSlot(const RecordSlot& other);
    RecordSlot& operator=(const RecordSlot& other);
    RecordSlot(RecordSlot&& other) noexcept;
    RecordSlot& operator=(RecordSlot&& other) noexcept;
    ~RecordSlot() = default;

    // Copies `length` bytes in; a negative length or a null pointer with a positive length
    // leaves an empty record.
    void Assign(const uint8_t* bytes, int length);
    // Length 0 and number tag 0; the buffer is kept.
    void Clear();

    bool IsPresent() const { return m_length > 0 && !m_data.empty(); }
    // Holds the bytes of `record` (null or absent: holds none), whatever the numbers and spare
    // capacity: what a view compares the record it shows with.
    bool SameBytesAs(const RecordSlot* record) const;
    // Takes a copy of the bytes of `record`, or none.
    void CopyBytesOf(const RecordSlot* record);
    int Length() const { return m_length; }
    int Capacity() const { return static_cast<int>(m_data.size()); }
    int Number() const { return m_number; }
    void SetNumber(int number) { m_number = number; }

    const uint8_t* Data() const { return m_data.empty() ? nullptr : m_data.data(); }
    uint8_t* Data() { return m_data.empty() ? nullptr : m_data.data(); }
    std::vector<uint8_t> Bytes() const;

private:
    int m_length = 0;
    int m_number = 0;
    std::vector<uint8_t> m_data; // size() is the capacity
};
