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

    // What the loop meets at a byte: a message (or one byte of system exclusive data) to put,
    // or the fault that stops it.
    enum class Fault {
        None,
        DataWhereStatusExpected,
        RunningStatusWithoutData,
        MissingDataByte1,
        MissingDataBytes1And2,
        MissingDataByte2,
        EndWithoutStart
    };
    struct Step {
        Fault fault = Fault::None;
        MidiEvent event; // to put, when there is no fault
        size_t next = 0; // index after the message; with a fault, the bytes it leaves counted
        int depth = 0;   // system exclusive depth after the message
        size_t byte = 0; // the 1-based position a fault names
    };
    // The step at `index`, inside system exclusive data `depth` deep, after a message whose
    // status was `lastStatus` (0: none yet).
    static Step StepAt(const std::vector<uint8_t>& bytes, size_t index, int depth, uint8_t lastStatus);
    // The 1-based position of the 0xF0 that the string would leave the receiver inside, when the
    // loop would send the string to its end: a string whose last 0xF0 has no 0xF7 after it and
    // that holds no fault before. 0 for every other string, which the loop sends as far as it goes.
    static size_t UnclosedSysexStart(const std::vector<uint8_t>& bytes);

protected:
    void Loop() override;

private:
    // Puts one event, waiting while the port has no room; false after a device error or abort.
    bool Put(const MidiEvent& event);
    void ReportFault(const Step& step);
    void ClosePort();

    std::vector<uint8_t> m_bytes;
    MidiOutPort* m_out = nullptr;
    std::atomic<unsigned> m_transmitted{0};
};
