#pragma once

#include "midi/Riv10Device.h"

#include <memory>
#include <string>

// The simulated RIV 10 on ports of the computer's MIDI service, for the command-line tool: other
// MIDI programs (the editor among them) connect to its input and its output, both named
// "RIV 10 Simulator". What they send reaches the device; SendDump plays the device's dump as the
// real one does when the user starts a dump on its hand programmer.
//
// Threads: construction, Open, SendDump, Close and destruction on one thread; Cancel from any
// thread (a signal watcher). Uploaded bytes reach the device on RtMidi's input thread, so the
// device's callback runs there.
class RtMidiVirtualDevice {
public:
    static constexpr const char* kPortName = "RIV 10 Simulator";
    // The clients that hold the ports where the service groups ports by client (ALSA, JACK); a
    // JACK port's full name is "<client>:RIV 10 Simulator".
    static constexpr const char* kInputClientName = "RIV 10 Simulator In";
    static constexpr const char* kOutputClientName = "RIV 10 Simulator Out";

    // `apiName` is RtMidi's name for the service ("alsa", "jack", "core"); WinMM has no ports
    // that other programs can open. `baud` 0 sends as fast as the service takes the data.
    RtMidiVirtualDevice(std::string apiName, std::shared_ptr<Riv10Device> device, int baud = 31250);
    ~RtMidiVirtualDevice();

    RtMidiVirtualDevice(const RtMidiVirtualDevice&) = delete;
    RtMidiVirtualDevice& operator=(const RtMidiVirtualDevice&) = delete;

    // Creates both ports; false with a text when the service is missing or refuses.
    bool Open(std::string& error);
    void Close();
    bool IsOpen() const;

    // Sends the device's current dump on the output and returns once all of it has crossed the
    // wire at the configured rate; false with a text on failure or when cancelled.
    bool SendDump(std::string& error);
    // After every `bytes` of the dump (0: never), SendDump also sends a timing clock and an
    // active sensing message, as a clock source merged through the device's MIDI merge does.
    void SetRealtimeEvery(size_t bytes);
    // Makes a running SendDump return promptly. A SendDump that starts later runs normally.
    void Cancel();

private:
    struct Impl;
    std::unique_ptr<Impl> m_impl;
};
