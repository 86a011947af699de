#pragma once

#include <cstdint>
#include <string>

// The settings a transfer reads.
struct TransferSettings {
    uint32_t inputDevice = 0;         // "MIDI Input Device"
    uint32_t outputDevice = 0;        // "MIDI Output Device"
    // "MIDI Input Device Name" and "MIDI Output Device Name": when set, the port is looked up by
    // name at the start of each transfer and the index is not used.
    std::string inputDeviceName;
    std::string outputDeviceName;
    int bufferSize = 256;             // BufferSize: bytes between pauses, and the port's buffers
    int delayBetweenBuffers = 60;     // DelayBetweenBuffers, ms
    bool promptBeforeDownload = true; // PromptBeforeDownload
};
