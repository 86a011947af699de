#include "midi/PortWatch.h"

bool PortWatch::Patient() {
    const Clock::time_point now = Clock::now();
    const uint64_t progress = OutPortProgress(m_port);
    if (!m_waiting || progress != m_progress) {
        m_waiting = true;
        m_progress = progress;
        m_since = now;
        m_allowance = OutPortBacklogTime(m_port) + OutPortStallAllowance(m_port) + kGrace;
        return true;
    }
    return now - m_since <= m_allowance;
}

const char* PortWatch::StalledText() {
    return "The MIDI output stopped taking data; the transfer was ended.";
}
