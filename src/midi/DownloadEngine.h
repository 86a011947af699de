#pragma once

#include "midi/MidiPorts.h"
#include "midi/TransferEngine.h"

#include <cstdint>
#include <functional>
#include <vector>

// Receives one system dump from the input port: waits for the user to start the dump on the
// device, collects system exclusive bytes up to the first 0xF7, an Abort or 65,520 bytes, and
// judges the result before the caller makes a document of it.
class DownloadEngine : public TransferEngine {
public:
    static constexpr int kMaxBytes = 65520;
    // Device error location for system exclusive input lost because the reader fell behind.
    static constexpr int kOverflowLocation = 131;
    // Device error location for an input whose service has gone.
    static constexpr int kLostLocation = 136;

    DownloadEngine(TransferObserver& observer, Prompter& prompter, const TransferSettings& settings);
    ~DownloadEngine() override;

    void Initialise() override;
    // Owner's thread, after the worker finished (or to cut it short): closes the port, checks
    // the seventh byte and the integrity of the data, asks the "Incomplete Download" question.
    // True when `bytes` received a dump to open as a new, modified document.
    bool Complete(std::vector<uint8_t>& bytes);
    // Called by Complete on the owner's thread with the bytes of a system dump exactly as they
    // arrived, before any check or question: also for a dump the user then throws away or that
    // an error cut short.
    using ArrivalHook = std::function<void(const std::vector<uint8_t>& bytes)>;
    void SetArrivalHook(ArrivalHook hook) { m_arrived = std::move(hook); }

    unsigned TotalCount() const { return m_total; }
    int EoxCount() const { return m_eoxCount; }

protected:
    void Loop() override;

private:
    void ClosePort();

    MidiInPort* m_in = nullptr;
    ArrivalHook m_arrived;
    std::vector<uint8_t> m_buffer; // the receive buffer, zeroed at construction
    std::atomic<unsigned> m_total{0};
    int m_writeIndex = 0;
    int m_eoxCount = 0;
    int m_statusState = 0; // 1 after "Receiving sysex data...", 2 after "Waiting for sysex data..."
};
