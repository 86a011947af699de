#include "midi/UploadEngine.h"

#include "midi/PortWatch.h"

#include <chrono>
#include <thread>

namespace {
// Waiting for a busy port: long enough not to spin a core, short next to a buffer's wire time.
void Breathe() {
    std::this_thread::sleep_for(std::chrono::microseconds(200));
}
} // namespace

UploadEngine::UploadEngine(TransferObserver& observer, Prompter& prompter, const TransferSettings& settings,
                           std::vector<uint8_t> bytes)
    : TransferEngine("DMidiXmit", observer, prompter, settings), m_bytes(std::move(bytes)) {}

UploadEngine::~UploadEngine() {
    StopWorker();
    ClosePort();
}

void UploadEngine::ClosePort() {
    if (m_out)
        OutPortClose(m_out);
}

void UploadEngine::Initialise() {
    m_total = 0;
    m_writeIndex = 0;
    m_eoxCount = 0;
    if (!OpenOutput(m_out, 217))
        return;
    m_observer.SetText(CtlStatus, "Sending MIDI sysex upload...");
    m_observer.SetText(CtlLabel1, "Total data transmitted:");
    m_observer.SetText(CtlLabel2, "Number of programs transmitted:");
    m_observer.SetValue(CtlValue1, 0);
    m_observer.SetValue(CtlValue2, 0);
}

void UploadEngine::Loop() {
    const int bufferSize = m_settings.bufferSize > 0 ? m_settings.bufferSize : 256;
    const int delay = m_settings.delayBetweenBuffers;
    const long count = static_cast<long>(m_bytes.size());
    MidiEvent event;
    event.time = 0;
    event.status = 0xF0;
    bool showingSend = false;
    PortWatch watch(m_out);
    while (static_cast<long>(m_total) < count) {
        if (Stopping())
            break;
        if (!showingSend) {
            m_observer.SetText(CtlStatus, "Sending MIDI sysex upload...");
            showingSend = true;
            std::this_thread::yield();
        }
        const uint8_t byte = m_bytes[m_writeIndex];
        event.data1 = byte;
        const int result = OutPortPut(m_out, event);
        if (result == MidiOk) {
            watch.Done();
            ++m_writeIndex;
            const unsigned total = ++m_total;
            if (total % 50 == 0) {
                m_observer.SetValue(CtlValue1, total);
                m_observer.SetProgress(static_cast<long>(total), count);
            }
            if (byte == 0xF7) {
                ++m_eoxCount;
                m_observer.SetValue(CtlValue2, static_cast<unsigned>(m_eoxCount));
            }
            if (total % static_cast<unsigned>(bufferSize) == 0 && delay > 0) {
                // The pause is for a device that needs time after each buffer: it starts once the
                // buffers have left the wire, or the port would send them back to back meanwhile.
                bool stalled = false;
                while (!Stopping() && !OutPortDrained(m_out) && OutPortError(m_out) == MidiOk) {
                    if (!watch.Patient()) {
                        stalled = true;
                        break;
                    }
                    Breathe();
                }
                watch.Done();
                if (stalled) {
                    PortStalled(m_out, 256);
                    break;
                }
                Sleep(delay);
            }
        } else if (result == MidiErrNoRoom) {
            if (!watch.Patient()) {
                PortStalled(m_out, 256);
                break;
            }
            m_observer.SetText(CtlStatus, "Pausing to clear buffer...");
            showingSend = false;
            Breathe();
        } else {
            DeviceError(MidiOutErrorText(result), 256);
            OutPortClose(m_out);
            break;
        }
    }
    // Every byte accepted is not every byte sent: closing the port abandons what is still
    // outstanding, so the upload only counts as complete once the port has sent it all.
    DrainOutput(m_out, 256);
    m_observer.SetValue(CtlValue1, m_total);
    if (!Stopping())
        m_observer.SetProgress(count, count);
    m_observer.SetText(CtlStatus, Stopping() ? "Upload incomplete!" : "Upload complete.");
    Sleep(1000);
}

bool UploadEngine::Complete() {
    FinishWorker();
    ClosePort();
    return m_error;
}
