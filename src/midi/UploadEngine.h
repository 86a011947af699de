#pragma once

#include "midi/MidiPorts.h"
#include "midi/TransferEngine.h"

#include <cstdint>
#include <vector>

// Sends a dump image to the output port byte by byte; the port layer packs the bytes into system
// exclusive buffers of the BufferSize setting, and the loop pauses DelayBetweenBuffers ms after
// every BufferSize bytes.
class UploadEngine : public TransferEngine {
public:
    UploadEngine(TransferObserver& observer, Prompter& prompter, const TransferSettings& settings,
                 std::vector<uint8_t> bytes);
    ~UploadEngine() override;

    void Initialise() override;
    // Owner's thread, after the worker finished: closes the port. Returns the error flag; the
    // caller then says "An error occurred during the upload.".
    bool Complete();

    unsigned TotalCount() const { return m_total; }
    int EoxCount() const { return m_eoxCount; }

protected:
    void Loop() override;

private:
    void ClosePort();

    std::vector<uint8_t> m_bytes;
    MidiOutPort* m_out = nullptr;
    std::atomic<unsigned> m_total{0};
    size_t m_writeIndex = 0;
    int m_eoxCount = 0;
};
