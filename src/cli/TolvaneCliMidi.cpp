// The MIDI sub-commands of the command-line tool: port list, download, upload, test send and
// the simulated device on virtual ports.
#include "cli/CliPrompter.h"
#include "cli/CliTransferObserver.h"
#include "cli/TolvaneCliArgs.h"
#include "dump/SystemDoc.h"
#include "fileops/QtFileOps.h"
#include "midi/DownloadEngine.h"
#include "midi/MidiPorts.h"
#include "midi/Riv10Device.h"
#include "midi/RtMidiVirtualDevice.h"
#include "midi/TestSendEngine.h"
#include "midi/UploadEngine.h"
#include "miditext/MidiText.h"

#include <atomic>
#include <chrono>
#include <csignal>
#include <future>
#include <iostream>
#include <ostream>
#include <poll.h>
#include <thread>
#include <unistd.h>

namespace {
std::atomic<bool> g_interrupted{false};

void OnSignal(int) {
    g_interrupted = true;
}

// Ctrl+C asks a transfer to abort, as the dialog's Abort button does.
class SignalScope {
public:
    SignalScope() {
        g_interrupted = false;
        m_int = std::signal(SIGINT, OnSignal);
        m_term = std::signal(SIGTERM, OnSignal);
    }
    ~SignalScope() {
        std::signal(SIGINT, m_int);
        std::signal(SIGTERM, m_term);
    }
    SignalScope(const SignalScope&) = delete;
    SignalScope& operator=(const SignalScope&) = delete;

private:
    void (*m_int)(int);
    void (*m_term)(int);
};

// The MIDI layer for the length of one command.
class MidiLayer {
public:
    MidiLayer() : m_ok(MidiPortsInit() == 1) {}
    ~MidiLayer() {
        if (m_ok)
            MidiPortsTerm();
    }
    MidiLayer(const MidiLayer&) = delete;
    MidiLayer& operator=(const MidiLayer&) = delete;
    bool Ok() const { return m_ok; }

private:
    bool m_ok;
};

// Runs the worker and waits for it, passing Ctrl+C on as Abort.
void RunWorker(TransferEngine& engine) {
    std::promise<void> done;
    std::future<void> finished = done.get_future();
    engine.Start([&done] { done.set_value(); });
    while (finished.wait_for(std::chrono::milliseconds(50)) != std::future_status::ready)
        if (g_interrupted)
            engine.Abort();
}

// --in and --out take an index or a port name exactly as `ports` prints it; a name is looked up
// when the transfer opens the port.
bool PortChoice(const std::map<std::string, std::string>& values, const char* option, uint32_t& index,
                std::string& name) {
    const auto it = values.find(option);
    if (it == values.end() || it->second.empty())
        return false;
    int number = 0;
    if (CliParseInt(it->second, number) && number >= 0)
        index = static_cast<uint32_t>(number);
    else
        name = it->second;
    return true;
}
} // namespace

int TolvaneCli::Ports(Args& a) {
    if (!a.words.empty())
        return UsageError("ports takes no arguments");
    MidiLayer layer;
    if (!layer.Ok())
        return Failure("MIDI Init ERROR");
    const std::vector<std::string> inputs = MidiInDeviceNames();
    const std::vector<std::string> outputs = MidiOutDeviceNames();
    m_out << "Inputs:\n";
    for (size_t i = 0; i < inputs.size(); ++i)
        m_out << "  " << i << ": " << inputs[i] << '\n';
    m_out << "Outputs:\n";
    for (size_t i = 0; i < outputs.size(); ++i)
        m_out << "  " << i << ": " << outputs[i] << '\n';
    return 0;
}

int TolvaneCli::Receive(Args& a) {
    TransferSettings settings;
    if (a.words.size() != 1 || !PortChoice(a.values, "--in", settings.inputDevice, settings.inputDeviceName))
        return UsageError("receive takes --in N and one output file");
    MidiLayer layer;
    if (!layer.Ok())
        return Failure("MIDI Init ERROR");
    SignalScope signals;
    settings.promptBeforeDownload = false;
    CliTransferObserver observer(m_out);
    // "Cancel operation?" after a failed integrity check: Yes unless --force.
    CliPrompter prompter(m_err, a.flags.count("--force") == 0);
    DownloadEngine engine(observer, prompter, settings);
    m_out << "Start the dump on the device (Utilities, MIDI, MIDI Data Dump); Ctrl+C aborts." << std::endl;
    std::vector<uint8_t> bytes;
    engine.Initialise();
    if (engine.ErrorFlag()) {
        engine.Complete(bytes);
        return 2;
    }
    RunWorker(engine);
    const bool got = engine.Complete(bytes);
    m_out << "Received " << engine.TotalCount() << " bytes, " << engine.EoxCount() << " EOX" << std::endl;
    if (engine.ErrorFlag())
        return 2;
    if (!got)
        return 1;
    QtFileOps files;
    std::string error;
    if (!files.WriteAtomically(a.words[0], bytes, error))
        return Failure("cannot write '" + a.words[0] + "': " + error);
    SystemDoc doc(bytes.data(), bytes.size());
    const int code = doc.CheckIntegrity();
    m_out << "Wrote " << a.words[0] << ": " << code << ' ' << DumpErrorText(code) << std::endl;
    return 0;
}

int TolvaneCli::Send(Args& a) {
    TransferSettings settings;
    if (a.words.size() != 1 ||
        !PortChoice(a.values, "--out", settings.outputDevice, settings.outputDeviceName))
        return UsageError("send takes one file and --out N");
    if (a.values.count("--buffer-size")) {
        if (!CliParseInt(a.values["--buffer-size"], settings.bufferSize))
            return UsageError("--buffer-size must be a number");
        // As the settings store does: only the table's sizes are taken.
        bool known = false;
        for (int size : kBufferSizeTable)
            known = known || size == settings.bufferSize;
        if (!known)
            return UsageError("--buffer-size must be 64, 128, 256, ... or 32768");
    }
    if (a.values.count("--delay") && (!CliParseInt(a.values["--delay"], settings.delayBetweenBuffers) ||
                                      settings.delayBetweenBuffers > 1000))
        return UsageError("--delay must be 0-1000 ms");
    SystemDoc doc;
    if (!Open(a.words[0], doc))
        return 2;
    // The device would hold corrupt data: only on request.
    if (const int code = doc.CheckIntegrity(); code != DumpOk && a.flags.count("--force") == 0) {
        m_err << "tolvane-cli: the dump failed the integrity check (" << code << ": " << DumpErrorText(code)
              << "); nothing was sent (--force sends it anyway)" << std::endl;
        return 1;
    }
    MidiLayer layer;
    if (!layer.Ok())
        return Failure("MIDI Init ERROR");
    SignalScope signals;
    CliTransferObserver observer(m_out);
    CliPrompter prompter(m_err, false);
    UploadEngine engine(observer, prompter, settings, doc.BuildImage());
    engine.Initialise();
    if (!engine.ErrorFlag())
        RunWorker(engine);
    const bool error = engine.Complete();
    m_out << "Sent " << engine.TotalCount() << " of " << doc.DumpSize() << " bytes" << std::endl;
    if (error) {
        m_err << "An error occurred during the upload." << std::endl;
        return 1;
    }
    return engine.Aborted() ? 1 : 0;
}

int TolvaneCli::TestSend(Args& a) {
    TransferSettings settings;
    if (a.words.size() != 1 ||
        !PortChoice(a.values, "--out", settings.outputDevice, settings.outputDeviceName))
        return UsageError("test-send takes --out N and one text argument");
    std::vector<uint8_t> bytes;
    if (ParseHexBytes(StripComments(a.words[0]), bytes) <= 0)
        return Failure("Empty or invalid data string.");
    MidiLayer layer;
    if (!layer.Ok())
        return Failure("MIDI Init ERROR");
    SignalScope signals;
    CliTransferObserver observer(m_out);
    CliPrompter prompter(m_err, false);
    TestSendEngine engine(observer, prompter, settings, bytes);
    engine.Initialise();
    if (!engine.ErrorFlag())
        RunWorker(engine);
    const bool error = engine.Complete();
    m_out << "Transmitted " << engine.TransmittedCount() << " of " << bytes.size() << " bytes" << std::endl;
    return error || engine.Aborted() ? 1 : 0;
}

int TolvaneCli::Simulate(Args& a) {
    if (!a.words.empty())
        return UsageError("simulate takes only options");
    int baud = 31250;
    int sendAfter = -1;
    int realtimeEvery = 0;
    if (a.values.count("--realtime-every") &&
        (!CliParseInt(a.values["--realtime-every"], realtimeEvery) || realtimeEvery < 0))
        return UsageError("--realtime-every must be a number of bytes (0: none)");
    if (a.values.count("--baud") && !CliParseInt(a.values["--baud"], baud))
        return UsageError("--baud must be a number (0 sends as fast as possible)");
    if (a.values.count("--send-after") && !CliParseInt(a.values["--send-after"], sendAfter))
        return UsageError("--send-after must be a number of milliseconds");
    auto device = std::make_shared<Riv10Device>();
    if (a.values.count("--dump")) {
        std::vector<uint8_t> dump;
        std::string error;
        QtFileOps files;
        if (!files.ReadPrefix(a.values["--dump"], SystemDoc::kMaxFileBytes, dump, error))
            return Failure("cannot read '" + a.values["--dump"] + "': " + error);
        device->SetDump(dump);
    }
    std::mutex printMutex;
    device->SetOnDumpReceived([this, &printMutex](const std::vector<uint8_t>& dump, int code) {
        std::lock_guard<std::mutex> lock(printMutex);
        m_out << "Received " << dump.size() << " bytes: " << code << ' ' << DumpErrorText(code) << std::endl;
    });
    const std::string api = a.values.count("--api") ? a.values["--api"] : std::string("jack");
    RtMidiVirtualDevice ports(api, device, baud);
    ports.SetRealtimeEvery(static_cast<size_t>(realtimeEvery));
    std::string error;
    if (!ports.Open(error))
        return Failure("cannot open virtual MIDI ports: " + error);
    SignalScope signals;
    {
        std::lock_guard<std::mutex> lock(printMutex);
        m_out << "RIV 10 Simulator running on " << api << " ports \"" << RtMidiVirtualDevice::kPortName
              << "\"; "
              << "press Enter to send its dump (" << device->Dump().size()
              << " bytes), end input or Ctrl+C to stop." << std::endl;
    }
    // Sends on a thread of its own, so Ctrl+C still stops the simulator in the middle of a dump.
    const auto sendDump = [&] {
        std::string sendError;
        auto sending = std::async(std::launch::async, [&] { return ports.SendDump(sendError); });
        while (sending.wait_for(std::chrono::milliseconds(20)) != std::future_status::ready)
            if (g_interrupted)
                ports.Cancel();
        const bool sent = sending.get();
        std::lock_guard<std::mutex> lock(printMutex);
        if (sent)
            m_out << "Sent the dump" << std::endl;
        else
            m_err << "tolvane-cli: the dump was not sent: " << sendError << std::endl;
    };
    const auto start = std::chrono::steady_clock::now();
    bool stdinOpen = true;
    while (!g_interrupted) {
        if (sendAfter >= 0 &&
            std::chrono::steady_clock::now() - start >= std::chrono::milliseconds(sendAfter)) {
            sendAfter = -1;
            sendDump();
        }
        if (!stdinOpen) {
            std::this_thread::sleep_for(std::chrono::milliseconds(20));
            continue;
        }
        pollfd pfd{STDIN_FILENO, POLLIN, 0};
        if (::poll(&pfd, 1, 20) <= 0)
            continue;
        char buffer[256];
        const ssize_t n = ::read(STDIN_FILENO, buffer, sizeof buffer);
        if (n <= 0) {
            // End of input stops the simulator, unless it still has a timed send to do.
            if (sendAfter < 0)
                break;
            stdinOpen = false;
            continue;
        }
        for (ssize_t i = 0; i < n; ++i)
            if (buffer[i] == '\n')
                sendDump();
    }
    return 0;
}
