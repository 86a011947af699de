#include "dump/RecordSlot.h"

#include <algorithm>

#include <cstring>
#include <utility>

RecordSlot::RecordSlot(const uint8_t* bytes, int length, int number) : m_number(number) {
    Assign(bytes, length);
}

RecordSlot::RecordSlot(const RecordSlot& other)
    : m_length(other.m_length), m_number(other.m_number),
      m_data(other.m_data.begin(), other.m_data.begin() + other.m_length) {}

RecordSlot& RecordSlot::operator=(const RecordSlot& other) {
    if (this != &other) {
        m_data.assign(other.m_data.begin(), other.m_data.begin() + other.m_length);
        m_length = other.m_length;
        m_number = other.m_number;
    }
    return *this;
}

RecordSlot::RecordSlot(RecordSlot&& other) noexcept
    : m_length(std::exchange(other.m_length, 0)), m_number(std::exchange(other.m_number, 0)),
      m_data(std::move(other.m_data)) {
    other.m_data.clear();
}

RecordSlot& RecordSlot::operator=(RecordSlot&& other) noexcept {
    if (this != &other) {
        m_length = std::exchange(other.m_length, 0);
        m_number = std::exchange(other.m_number, 0);
        m_data = std::move(other.m_data);
        other.m_data.clear();
    }
    return *this;
}

void RecordSlot::Assign(const uint8_t* bytes, int length) {
    if (length <= 0 || !bytes) {
        m_length = 0;
        return;
    }
    if (length > Capacity())
        m_data.resize(static_cast<size_t>(length));
    std::memmove(m_data.data(), bytes, static_cast<size_t>(length));
    m_length = length;
}

void RecordSlot::Clear() {
    m_length = 0;
    m_number = 0;
}

std::vector<uint8_t> RecordSlot::Bytes() const {
    return {m_data.begin(), m_data.begin() + m_length};
}

bool RecordSlot::SameBytesAs(const RecordSlot* record) const {
    if (!record || !record->IsPresent())
        return !IsPresent();
    return IsPresent() && m_length == record->Length() &&
           std::equal(record->Data(), record->Data() + record->Length(), Data());
}

void RecordSlot::CopyBytesOf(const RecordSlot* record) {
    if (record && record->IsPresent())
        Assign(record->Data(), record->Length());
    else
        Clear();
}
