#pragma once

#include <cstdint>

// The settings a transfer reads.
struct TransferSettings {
    uint32_t inputDevice = 0;         // "MIDI Input Device"
    uint32_t outputDevice = 0;        // "MIDI Output Device"
    int bufferSize = 256;             // BufferSize: bytes between pauses, and the port's buffers
    int delayBetweenBuffers = 60;     // DelayBetweenBuffers, ms
    bool promptBeforeDownload = true; // PromptBeforeDownload
};
