#include "midi/TestSendEngine.h"

#include "midi/PortWatch.h"

#include <chrono>
#include <thread>

TestSendEngine::TestSendEngine(TransferObserver& observer, Prompter& prompter,
                               const TransferSettings& settings, std::vector<uint8_t> bytes)
    : TransferEngine("DSimpleMidiSend", observer, prompter, settings), m_bytes(std::move(bytes)) {}

TestSendEngine::~TestSendEngine() {
    StopWorker();
    ClosePort();
}

void TestSendEngine::ClosePort() {
    if (m_out)
        OutPortClose(m_out); // silences notes the string left sounding
}

int TestSendEngine::Classify(uint8_t byte) {
    if (byte < 0x80)
        return -1;
    if (byte < 0xF0)
        return (byte >> 4) - 8;
    if (byte == 0xF0 || byte == 0xF7)
        return 23;
    return (byte & 0x0F) + 7;
}

int TestSendEngine::DataBytesOf(int cls) {
    switch (cls) {
    case 0: // note off
    case 1: // note on
    case 2: // key pressure
    case 3: // control change
    case 6: // pitch bend
    case 9: // song position
        return 2;
    case 4:  // program change
    case 5:  // channel pressure
    case 8:  // time code quarter frame
    case 10: // song select
        return 1;
    case 23:
        return -1;
    default:
        return 0;
    }
}

TestSendEngine::Step TestSendEngine::StepAt(const std::vector<uint8_t>& bytes, size_t index, int depth,
                                            uint8_t lastStatus) {
    Step step;
    const size_t count = bytes.size();
    const uint8_t byte = bytes[index];
    step.depth = depth;
    step.next = index + 1;
    if (depth > 0) {
        // Inside system exclusive data every byte is data, realtime bytes included; a nested
        // start needs an end of its own.
        step.event.time = 0;
        step.event.status = 0xF0;
        step.event.data1 = byte;
        if (byte == 0xF7)
            --step.depth;
        else if (byte == 0xF0)
            ++step.depth;
        return step;
    }
    const auto fault = [&](Fault kind, size_t position, size_t counted) {
        step.fault = kind;
        step.byte = position;
        step.next = counted;
        return step;
    };
    // Its time only has to differ from the immediate value.
    step.event.time = static_cast<uint32_t>(index);
    int cls = Classify(byte);
    const bool running = cls < 0;
    if (running) {
        cls = Classify(lastStatus);
        if (lastStatus == 0xF0 || lastStatus == 0xF7 || cls < 0)
            return fault(Fault::DataWhereStatusExpected, index + 1, index);
    }
    const int dataBytes = DataBytesOf(cls);
    if (dataBytes == 0) {
        if (running)
            return fault(Fault::RunningStatusWithoutData, index + 1, index);
        step.event.status = byte;
        return step;
    }
    if (dataBytes < 0) {
        if (byte == 0xF7)
            return fault(Fault::EndWithoutStart, index + 1, index);
        step.event.time = 0;
        step.event.status = 0xF0;
        step.event.data1 = 0xF0;
        step.depth = 1;
        return step;
    }
    size_t at = index;
    step.event.status = running ? lastStatus : byte;
    if (!running && ++at >= count)
        return fault(dataBytes == 1 ? Fault::MissingDataByte1 : Fault::MissingDataBytes1And2, at + 1, at);
    step.event.data1 = bytes[at];
    if (dataBytes == 2) {
        // The whole incomplete message comes back off the count.
        if (++at >= count)
            return fault(Fault::MissingDataByte2, at + 1, index);
        step.event.data2 = bytes[at];
    }
    step.next = at + 1;
    return step;
}

size_t TestSendEngine::UnclosedSysexStart(const std::vector<uint8_t>& bytes) {
    size_t lastStart = 0;
    for (size_t i = 0; i < bytes.size(); ++i) {
        if (bytes[i] == 0xF0)
            lastStart = i + 1;
        else if (bytes[i] == 0xF7)
            lastStart = 0;
    }
    if (lastStart == 0)
        return 0;
    // Only a string the loop sends to its end leaves the receiver there; any other stops at its
    // first fault, which is what is reported.
    int depth = 0;
    uint8_t status = 0;
    for (size_t index = 0; index < bytes.size();) {
        const Step step = StepAt(bytes, index, depth, status);
        if (step.fault != Fault::None)
            return 0;
        status = step.event.status;
        depth = step.depth;
        index = step.next;
    }
    return lastStart;
}

void TestSendEngine::Initialise() {
    m_observer.SetText(CtlBytes, "");
    if (!OpenOutput(m_out, 86))
        return;
    m_observer.SetText(CtlStatus, "Sending MIDI data...");
    m_observer.SetText(CtlLabel1, "Bytes transmitted:");
    m_observer.SetValue(CtlValue1, 0);
}

bool TestSendEngine::Put(const MidiEvent& event) {
    PortWatch watch(m_out);
    for (;;) {
        const int result = OutPortPut(m_out, event);
        if (result == MidiOk)
            return true;
        if (result != MidiErrNoRoom) {
            DeviceError(MidiOutErrorText(result), 287);
            OutPortClose(m_out);
            return false;
        }
        // Only system exclusive bytes can be refused; nothing was consumed, so the same byte
        // goes again once a buffer is free.
        m_observer.SetText(CtlStatus, "Pausing to clear buffer...");
        if (Stopping())
            return false;
        if (!watch.Patient()) {
            PortStalled(m_out, 287);
            return false;
        }
        std::this_thread::sleep_for(std::chrono::milliseconds(50));
    }
}

void TestSendEngine::ReportFault(const Step& step) {
    const std::string at = std::to_string(step.byte);
    switch (step.fault) {
    case Fault::DataWhereStatusExpected:
        ConsistencyError("Error handling data string at byte " + at + ".");
        break;
    case Fault::RunningStatusWithoutData:
        ConsistencyError("Error handling running status messages.");
        break;
    case Fault::MissingDataByte1:
        ConsistencyError("Data string consistency error at byte " + at + ".  Missing data byte 1.");
        break;
    case Fault::MissingDataBytes1And2:
        ConsistencyError("Data string consistency error at byte " + at + ".  Missing data bytes 1 and 2.");
        break;
    case Fault::MissingDataByte2:
        ConsistencyError("Data string consistency error at byte " + at + ".  Missing data byte 2.");
        break;
    case Fault::EndWithoutStart:
        // The port's text for the last put, which the loop only passes after a success.
        DeviceError(MidiOutErrorText(MidiOk), 254);
        ClosePort();
        break;
    case Fault::None:
        break;
    }
}

void TestSendEngine::Loop() {
    const int bufferSize = m_settings.bufferSize > 0 ? m_settings.bufferSize : 256;
    const size_t count = m_bytes.size();
    m_observer.SetText(CtlStatus, "Sending MIDI data...");
    // Refused before anything goes out: the receiver would wait inside the message for ever.
    if (const size_t open = UnclosedSysexStart(m_bytes); open > 0)
        ConsistencyError("Data string consistency error at byte " + std::to_string(open) +
                         ". System exclusive (F0) without an end (F7).");
    size_t index = 0;
    int depth = 0;
    uint8_t status = 0; // the last status used, which running status refers to
    while (index < count && !Stopping()) {
        const Step step = StepAt(m_bytes, index, depth, status);
        if (step.fault != Fault::None) {
            m_transmitted = static_cast<unsigned>(step.next);
            ReportFault(step);
            break;
        }
        if (!Put(step.event))
            break;
        status = step.event.status;
        depth = step.depth;
        index = step.next;
        m_transmitted = static_cast<unsigned>(index);
        m_observer.SetValue(CtlValue1, m_transmitted);
        if (m_transmitted % static_cast<unsigned>(bufferSize) == 0)
            Sleep(m_settings.delayBetweenBuffers);
    }
    DrainOutput(m_out, 287);
    m_observer.SetValue(CtlValue1, m_transmitted);
    m_observer.SetText(CtlStatus, Stopping() ? "Transmission incomplete!" : "Transmission complete.");
    Sleep(500);
}

bool TestSendEngine::Complete() {
    FinishWorker();
    ClosePort();
    return m_error;
}
