#pragma once

#include <cstddef>
#include <cstdint>
#include <string>

// The settings a transfer reads.
struct TransferSettings {
    uint32_t inputDevice = 0;  // "MIDI Input Device"
    uint32_t outputDevice = 0; // "MIDI Output Device"
    // "MIDI Input Device Name" and "MIDI Output Device Name": when set, the port is looked up by
    // name at the start of each transfer and the index is not used; the name index tells ports
    // of the same name apart ("MIDI Input Device Name Index", "MIDI Output Device Name Index").
    std::string inputDeviceName;
    std::string outputDeviceName;
    size_t inputDeviceNameIndex = 0;
    size_t outputDeviceNameIndex = 0;
    int bufferSize = 256;             // BufferSize: bytes between pauses, and the port's buffers
    int delayBetweenBuffers = 60;     // DelayBetweenBuffers, ms
    bool promptBeforeDownload = true; // PromptBeforeDownload
};
