#pragma once

#include <cstdint>

// The unit the port layer exchanges with its callers. For a short message, status, data1, data2
// and spare are the packed little-endian word of the message; a system exclusive byte travels as
// status 0xF0 with the byte itself in data1.
struct MidiEvent {
    uint32_t time = 0; // ms; on output 0xFFFFFFFF means "immediate"
    uint8_t status = 0;
    uint8_t data1 = 0;
    uint8_t data2 = 0;
    uint8_t spare = 0;

    uint32_t Packed() const {
        return static_cast<uint32_t>(status) | static_cast<uint32_t>(data1) << 8 |
               static_cast<uint32_t>(data2) << 16;
    }
};

constexpr uint32_t kMidiTimeImmediate = 0xFFFFFFFFu;
