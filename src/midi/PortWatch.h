#pragma once

#include "midi/MidiPorts.h"

#include <chrono>
#include <cstdint>

// Bounds a wait for an output port: the wait may last as long as the wire needs for what the port
// holds, plus a grace of 2 s, counted from the last time the port made progress. A port that
// stops taking data (a service that has gone, a device that holds the line) therefore ends the
// transfer instead of hanging it.
//
// Threads: used by one transfer worker; it only asks the port layer, which has its own locks.
class PortWatch {
public:
    static constexpr std::chrono::seconds kGrace{2};

    explicit PortWatch(MidiOutPort* port) : m_port(port) {}

    // Call on each pass of a wait. False once the port has made no progress for its allowance.
    bool Patient();
    // The wait is over; the next one starts its count afresh.
    void Done() { m_waiting = false; }

    // The text of the device error for a port that ran out of patience.
    static const char* StalledText();

private:
    using Clock = std::chrono::steady_clock;

    MidiOutPort* m_port;
    bool m_waiting = false;
    uint64_t m_progress = 0;
    Clock::time_point m_since;
    Clock::duration m_allowance{};
};
