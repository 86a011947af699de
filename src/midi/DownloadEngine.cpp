#include "midi/DownloadEngine.h"

#include "dump/Encoding.h"
#include "dump/SystemDoc.h"

#include <chrono>
#include <thread>

namespace {
const char* const kStartDownloadText =
    "You must manually initiate dump downloads using the hand programmer attached to the device.  \n"
    "Close this message and then on the hand programmer select Utilities, MIDI, MIDI Data Dump and then "
    "press "
    "enter.\nWe only support System Dumps in the current version.";
} // namespace

DownloadEngine::DownloadEngine(TransferObserver& observer, Prompter& prompter,
                               const TransferSettings& settings)
    : TransferEngine("DMidiXmit", observer, prompter, settings), m_buffer(kMaxBytes, 0) {}

DownloadEngine::~DownloadEngine() {
    Abort();
    StopWorker();
    ClosePort();
}

void DownloadEngine::ClosePort() {
    if (!m_in)
        return;
    InPortStop(m_in);
    InPortClose(m_in);
}

void DownloadEngine::Initialise() {
    m_observer.SetText(CtlLabel1, " ");
    m_observer.SetText(CtlLabel2, " ");
    m_observer.SetText(CtlStatus, "Opening MIDI Input Device...");
    // A clock merged in by the device or pedals pressed while the start box is up are no part of
    // a dump; the port drops them as they arrive, so only the dump's own data can overflow it.
    uint32_t device = 0;
    if (!ResolveDevice(true, device, 121))
        return;
    int code = InPortOpen(m_in, this, device, kDownloadPortOptions | kPortSysexOnly);
    if (code != MidiOk) {
        DeviceError(MidiInErrorText(code), 121);
        return;
    }
    code = InPortStart(m_in);
    if (code != MidiOk) {
        DeviceError(MidiInErrorText(code), 126);
        InPortClose(m_in);
        return;
    }
    m_observer.SetText(CtlStatus, "Initiate Dump on Unit");
    m_observer.SetText(CtlLabel1, " ");
    m_observer.SetValue(CtlValue1, 0);
    // The port already receives while this is shown: a dump started meanwhile waits in its buffers.
    if (m_settings.promptBeforeDownload)
        m_prompter.Message(kStartDownloadText, "Start Download", Prompter::Icon::Exclamation);
    m_total = 0;
    m_writeIndex = 0;
    m_eoxCount = 0;
    m_statusState = 2;
    m_observer.SetText(CtlStatus, "Waiting for sysex data...");
    m_observer.SetText(CtlLabel1, "Total data received:");
    m_observer.SetText(CtlLabel2, "Number of EOXs received:");
    m_observer.SetValue(CtlValue1, 0);
    m_observer.SetValue(CtlValue2, 0);
}

void DownloadEngine::Loop() {
    MidiEvent event;
    long expected = 0;
    // Input arrives in bursts even while a dump streams in; "Waiting" only after a real pause,
    // or the status line flickers between the two texts.
    constexpr auto kIdle = std::chrono::milliseconds(100);
    auto lastByte = std::chrono::steady_clock::now();
    while (m_total < static_cast<unsigned>(kMaxBytes)) {
        if (Stopping())
            break;
        if (!InPortNextEvent(m_in, event)) {
            if (const int code = InPortError(m_in); code != MidiOk) {
                DeviceError(MidiInErrorText(code),
                            code == MidiErrInputOverflow ? kOverflowLocation : kLostLocation);
                break;
            }
            if (m_statusState != 2 && std::chrono::steady_clock::now() - lastByte >= kIdle) {
                m_observer.SetText(CtlStatus, "Waiting for sysex data...");
                m_statusState = 2;
            }
            // Short enough to keep the 50-byte rhythm of the counters.
            std::this_thread::sleep_for(std::chrono::milliseconds(1));
            continue;
        }
        // Only system exclusive bytes belong to a dump; a running clock or a stray controller
        // must not end up in it.
        if (event.status != 0xF0)
            continue;
        lastByte = std::chrono::steady_clock::now();
        const uint8_t byte = event.data1;
        m_buffer[static_cast<size_t>(m_writeIndex++)] = byte;
        const unsigned total = ++m_total;
        if (total == 11)
            expected = 2L * ReadWordQuad(m_buffer.data() + 7) + 12; // from the header
        if (total % 50 == 0) {
            if (m_statusState != 1) {
                m_observer.SetText(CtlStatus, "Receiving sysex data...");
                m_statusState = 1;
            }
            m_observer.SetValue(CtlValue1, total);
            if (expected > 0)
                m_observer.SetProgress(static_cast<long>(total), expected);
        }
        if (byte == 0xF7) {
            ++m_eoxCount;
            m_observer.SetValue(CtlValue2, static_cast<unsigned>(m_eoxCount));
            break;
        }
    }
    // Bytes lost on the way make a dump that only looks complete.
    if (const int code = InPortError(m_in); !m_error && code != MidiOk)
        DeviceError(MidiInErrorText(code), code == MidiErrInputOverflow ? kOverflowLocation : kLostLocation);
    m_observer.SetValue(CtlValue1, m_total);
    if (expected > 0 && !Stopping())
        m_observer.SetProgress(static_cast<long>(m_total), static_cast<long>(m_total));
    m_observer.SetText(CtlStatus, Stopping() ? "Download incomplete!" : "Download complete.");
    Sleep(500);
}

bool DownloadEngine::Complete(std::vector<uint8_t>& bytes) {
    FinishWorker();
    ClosePort();
    if (m_arrived && m_total > 6 && m_buffer[6] == 0x41)
        m_arrived(std::vector<uint8_t>(m_buffer.begin(), m_buffer.begin() + m_total));
    if (m_error)
        return false;
    if (m_buffer[6] != 0x41) {
        m_prompter.Message("Download aborted.", "MIDI Error", Prompter::Icon::Exclamation);
        return false;
    }
    m_observer.SetText(CtlStatus, "Preparing document...");
    Sleep(500);
    const SystemDoc scratch(m_buffer.data(), m_total);
    const int code = scratch.CheckIntegrity();
    if (code != DumpOk &&
        m_prompter.AskYesNo(
            std::string("The dump failed my data integrity check.\nFirst error encountered: ") +
                DumpErrorText(code) +
                ".\nThis could be caused by missing MIDI data bytes or corrupt ZIV10 memory.\n"
                "You may choose to continue and attempt to fix the data.\n"
                "But if you choose to continue, you might experience a crash trying to view this "
                "dump.\n\nCancel operation?",
            "Incomplete Download", Prompter::Icon::Stop))
        return false;
    bytes.assign(m_buffer.begin(), m_buffer.begin() + m_total);
    return true;
}
