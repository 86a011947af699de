#pragma once

#include "midi/MidiPorts.h"
#include "midi/TransferEngine.h"

#include <cstdint>
#include <vector>

// Sends a patch's MIDI string to the output port message by message, checking on the way that
// the bytes form complete messages (running status accepted). Everything but system exclusive
// data goes out as short messages.
class TestSendEngine : public TransferEngine {
public:
    TestSendEngine(TransferObserver& observer, Prompter& prompter, const TransferSettings& settings,
                   std::vector<uint8_t> bytes);
    ~TestSendEngine() override;

    void Initialise() override;
    // Owner's thread, after the worker finished: shows what the loop reported and closes the
    // port. Returns the error flag.
    bool Complete();

    unsigned TransmittedCount() const { return m_transmitted; }

    // The class of a status byte: 0-6 channel messages, 8-22 system messages, 23 system
    // exclusive start or end, -1 for a data byte.
    static int Classify(uint8_t byte);
    // Data bytes that follow a status of that class (23: -1).
    static int DataBytesOf(int cls);
    // The 1-based position of the 0xF0 whose message the string leaves open (a nested start
    // needs an end of its own), or 0 when every system exclusive message ends.
    static size_t UnclosedSysexStart(const std::vector<uint8_t>& bytes);

protected:
    void Loop() override;

private:
    // Puts one event, waiting while the port has no room; false after a device error or abort.
    bool Put(const MidiEvent& event);
    void Consume();
    void ClosePort();

    std::vector<uint8_t> m_bytes;
    MidiOutPort* m_out = nullptr;
    size_t m_index = 0;
    std::atomic<unsigned> m_transmitted{0};
};
