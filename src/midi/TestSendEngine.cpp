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

size_t TestSendEngine::UnclosedSysexStart(const std::vector<uint8_t>& bytes) {
    int depth = 0;
    size_t start = 0;
    for (size_t i = 0; i < bytes.size(); ++i) {
        if (bytes[i] == 0xF0) {
            if (depth++ == 0)
                start = i + 1;
        } else if (bytes[i] == 0xF7 && depth > 0) {
            --depth;
        }
    }
    return depth > 0 ? start : 0;
}

void TestSendEngine::Initialise() {
    m_observer.SetText(CtlBytes, "");
    if (!OpenOutput(m_out, 86))
        return;
    m_observer.SetText(CtlStatus, "Sending MIDI data...");
    m_observer.SetText(CtlLabel1, "Bytes transmitted:");
    m_observer.SetValue(CtlValue1, 0);
}

void TestSendEngine::Consume() {
    ++m_index;
    ++m_transmitted;
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

void TestSendEngine::Loop() {
    const int bufferSize = m_settings.bufferSize > 0 ? m_settings.bufferSize : 256;
    const size_t count = m_bytes.size();
    m_observer.SetText(CtlStatus, "Sending MIDI data...");
    // Checked before anything goes out: the port would hold the open message's last bytes for
    // ever, and the device would wait inside it.
    if (const size_t open = UnclosedSysexStart(m_bytes); open > 0)
        ConsistencyError("Data string consistency error at byte " + std::to_string(open) +
                         ". System exclusive (F0) without an end (F7).");
    if (count > 0 && !Stopping()) {
        int depth = 0;
        MidiEvent event; // keeps the last status used, which running status refers to
        do {
            if (Stopping())
                break;
            const unsigned messageStart = m_transmitted;
            const uint8_t byte = m_bytes[m_index];
            const auto byteNumber = [this] { return std::to_string(m_index + 1); };
            int depthAfter = depth;
            if (depth > 0) {
                event.time = 0;
                event.status = 0xF0;
                event.data1 = byte;
                if (byte == 0xF7)
                    --depthAfter;
                else if (byte == 0xF0)
                    ++depthAfter; // a nested start needs an end of its own
            } else {
                bool running = false;
                int cls = Classify(byte);
                event.time = static_cast<uint32_t>(m_index);
                if (cls < 0) {
                    running = true;
                    cls = Classify(event.status);
                    if (event.status == 0xF0 || event.status == 0xF7 || cls < 0) {
                        ConsistencyError("Error handling data string at byte " + byteNumber() + ".");
                        break;
                    }
                }
                const int dataBytes = DataBytesOf(cls);
                if (dataBytes == 0) {
                    if (running) {
                        ConsistencyError("Error handling running status messages.");
                        break;
                    }
                    event.status = byte;
                    event.data1 = 0;
                    event.data2 = 0;
                } else if (dataBytes == 1 || dataBytes == 2) {
                    if (!running) {
                        event.status = byte;
                        Consume();
                        if (m_index >= count) {
                            ConsistencyError("Data string consistency error at byte " + byteNumber() +
                                             (dataBytes == 1 ? ".  Missing data byte 1."
                                                             : ".  Missing data bytes 1 and 2."));
                            break;
                        }
                    }
                    event.data1 = m_bytes[m_index];
                    event.data2 = 0;
                    if (dataBytes == 2) {
                        Consume();
                        if (m_index >= count) {
                            ConsistencyError("Data string consistency error at byte " + byteNumber() +
                                             ".  Missing data byte 2.");
                            m_transmitted = messageStart;
                            break;
                        }
                        event.data2 = m_bytes[m_index];
                    }
                } else if (byte == 0xF0) {
                    event.time = 0;
                    event.status = 0xF0;
                    event.data1 = 0xF0;
                    depthAfter = 1;
                } else {
                    // An end of exclusive with no start: name where it is rather than pass on the
                    // text of the last (successful) put.
                    ConsistencyError("Data string consistency error at byte " + byteNumber() +
                                     ".  End of system exclusive (F7) without a start (F0).");
                    break;
                }
            }
            if (!Put(event))
                break;
            depth = depthAfter;
            Consume();
            m_observer.SetValue(CtlValue1, m_transmitted);
            if (m_transmitted % static_cast<unsigned>(bufferSize) == 0)
                Sleep(m_settings.delayBetweenBuffers);
        } while (m_transmitted < count);
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
