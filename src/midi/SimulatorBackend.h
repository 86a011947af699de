#pragma once

#include "midi/MidiBackend.h"
#include "midi/Riv10Device.h"

#include <atomic>
#include <memory>

// The in-process RIV 10: one input and one output port, both named "RIV 10 Simulator". Once the
// editor starts its input port, the device sends its dump after a short delay, as the real one
// does after the user starts a dump on its hand programmer. Uploaded dumps are checked and kept.
// Bytes travel at a configurable wire rate (31,250 baud by default; 0 sends as fast as possible).
class SimulatorBackend : public MidiBackend {
public:
    static constexpr const char* kPortName = "RIV 10 Simulator";

    SimulatorBackend();
    explicit SimulatorBackend(std::shared_ptr<Riv10Device> device);
    ~SimulatorBackend() override;

    Riv10Device& Device() { return *m_device; }
    std::shared_ptr<Riv10Device> SharedDevice() { return m_device; }
    void SetBaud(int baud) { m_baud = baud; }
    int Baud() const { return m_baud; }
    // Delay between the start of the editor's input and the first byte of the dump.
    void SetSendDelayMs(int ms) { m_sendDelayMs = ms; }
    int SendDelayMs() const { return m_sendDelayMs; }
    // When off, starting the input sends nothing (a device whose user never starts a dump).
    void SetSendOnStart(bool send) { m_sendOnStart = send; }

    std::string Name() const override { return "Simulator"; }
    std::vector<std::string> InputNames() override;
    std::vector<std::string> OutputNames() override;
    int OpenInput(size_t index, MidiInputReceiver& receiver, std::unique_ptr<MidiBackendInput>& input,
                  std::string& error) override;
    int OpenOutput(size_t index, std::unique_ptr<MidiBackendOutput>& output, std::string& error) override;

private:
    std::shared_ptr<Riv10Device> m_device;
    std::atomic<int> m_baud{31250};
    std::atomic<int> m_sendDelayMs{300};
    std::atomic<bool> m_sendOnStart{true};
};
