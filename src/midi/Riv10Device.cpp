#include "midi/Riv10Device.h"

#include "dump/SystemDoc.h"

#include <utility>

namespace {

// Far beyond any dump the device can hold; a sender that never ends its message must not make us
// grow without bound.
constexpr size_t kMaxMessageBytes = size_t{1} << 20;

bool IsRealtime(uint8_t byte) {
    return byte >= 0xF8;
}

} // namespace

Riv10Device::Riv10Device() : m_dump(DemoDump()) {}

Riv10Device::Riv10Device(std::vector<uint8_t> dump) : m_dump(std::move(dump)) {}

void Riv10Device::SetDump(std::vector<uint8_t> dump) {
    std::lock_guard<std::mutex> lock(m_mutex);
    m_dump = std::move(dump);
}

std::vector<uint8_t> Riv10Device::Dump() const {
    std::lock_guard<std::mutex> lock(m_mutex);
    return m_dump;
}

void Riv10Device::Receive(const uint8_t* bytes, size_t count) {
    if (bytes == nullptr || count == 0)
        return;

    // Messages completed by this call, reported after the lock is released so that the callback
    // may ask the device for its state.
    struct Completed {
        std::vector<uint8_t> message;
        int checkCode;
    };
    std::vector<Completed> completed;
    std::function<void(const std::vector<uint8_t>&, int)> callback;
    {
        std::lock_guard<std::mutex> lock(m_mutex);
        for (size_t i = 0; i < count; ++i) {
            const uint8_t byte = bytes[i];
            if (IsRealtime(byte))
                continue; // clock or sensing between data bytes, never part of the message
            if (byte == 0xF0) {
                // A new start abandons an unfinished message, as on the wire.
                m_incoming.assign(1, byte);
                m_inSysex = true;
                continue;
            }
            if (!m_inSysex)
                continue;
            if (byte == 0xF7) {
                m_incoming.push_back(byte);
                const SystemDoc doc(m_incoming.data(), m_incoming.size());
                const int code = doc.CheckIntegrity();
                // Kept whatever the check says: the real device stores what it was sent.
                m_dump = m_incoming;
                m_lastReceived = m_incoming;
                m_lastCheckCode = code;
                ++m_receivedCount;
                completed.push_back({std::move(m_incoming), code});
                m_incoming.clear();
                m_inSysex = false;
                continue;
            }
            if (byte & 0x80 || m_incoming.size() >= kMaxMessageBytes) {
                // Any other status byte ends system exclusive data without completing it.
                m_incoming.clear();
                m_inSysex = false;
                continue;
            }
            m_incoming.push_back(byte);
        }
        if (!completed.empty())
            callback = m_onDumpReceived;
    }
    if (callback) {
        for (const Completed& c : completed)
            callback(c.message, c.checkCode);
    }
}

void Riv10Device::SetOnDumpReceived(
    std::function<void(const std::vector<uint8_t>& dump, int checkCode)> callback) {
    std::lock_guard<std::mutex> lock(m_mutex);
    m_onDumpReceived = std::move(callback);
}

int Riv10Device::ReceivedCount() const {
    std::lock_guard<std::mutex> lock(m_mutex);
    return m_receivedCount;
}

int Riv10Device::LastCheckCode() const {
    std::lock_guard<std::mutex> lock(m_mutex);
    return m_lastCheckCode;
}

std::vector<uint8_t> Riv10Device::LastReceived() const {
    std::lock_guard<std::mutex> lock(m_mutex);
    return m_lastReceived;
}
