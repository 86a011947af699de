#pragma once

#include <cstddef>
#include <cstdint>
#include <functional>
#include <mutex>
#include <vector>

// The simulated RIV 10 itself, without any transport: it holds the dump it sends when the user
// starts a dump on its hand programmer, and takes in uploaded system exclusive bytes; each
// complete message (F0 ... F7) is checked like a file the editor opens and kept, so the next
// dump it sends is what was uploaded. Thread-safe.
class Riv10Device {
public:
    // The demo dump that ships with the editor.
    static std::vector<uint8_t> DemoDump();

    Riv10Device();
    explicit Riv10Device(std::vector<uint8_t> dump);

    void SetDump(std::vector<uint8_t> dump);
    std::vector<uint8_t> Dump() const;

    // Bytes as they arrive on the device's MIDI input; bytes outside F0 ... F7 are ignored.
    void Receive(const uint8_t* bytes, size_t count);

    // Called (on the receiving thread) for every complete message with its integrity code.
    void SetOnDumpReceived(std::function<void(const std::vector<uint8_t>& dump, int checkCode)> callback);
    int ReceivedCount() const;
    int LastCheckCode() const;
    std::vector<uint8_t> LastReceived() const;

private:
    mutable std::mutex m_mutex;
    std::vector<uint8_t> m_dump;
    std::vector<uint8_t> m_incoming;
    bool m_inSysex = false;
    int m_receivedCount = 0;
    int m_lastCheckCode = -1;
    std::vector<uint8_t> m_lastReceived;
    std::function<void(const std::vector<uint8_t>&, int)> m_onDumpReceived;
};
