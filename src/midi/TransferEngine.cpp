#include "midi/TransferEngine.h"

#include "midi/PortWatch.h"

#include <chrono>

TransferEngine::TransferEngine(const char* module, TransferObserver& observer, Prompter& prompter,
                               const TransferSettings& settings)
    : m_observer(observer), m_prompter(prompter), m_settings(settings), m_module(module) {}

TransferEngine::~TransferEngine() {
    StopWorker();
}

void TransferEngine::StopWorker() {
    if (!m_loopDone)
        m_abort = true;
    if (m_worker.joinable() && m_worker.get_id() != std::this_thread::get_id())
        m_worker.join();
}

void TransferEngine::Start(std::function<void()> finished) {
    if (m_worker.joinable())
        return;
    m_worker = std::thread([this, finished = std::move(finished)] {
        m_workerId = std::this_thread::get_id();
        Sleep(100);
        if (!m_error)
            Loop();
        m_loopDone = true;
        if (finished)
            finished();
    });
}

void TransferEngine::FinishWorker() {
    m_observer.SetText(CtlStatus, "Closing MIDI devices...");
    // Normally the worker has finished; should it still run, it stops at its next pass.
    StopWorker();
    std::vector<std::pair<std::string, std::string>> reports;
    {
        std::lock_guard<std::mutex> lock(m_reportsMutex);
        reports.swap(m_pendingReports);
    }
    for (const auto& report : reports)
        m_prompter.Message(report.first, report.second, Prompter::Icon::Stop);
}

void TransferEngine::Report(const std::string& text, const std::string& caption) {
    m_error = true;
    if (OnWorker()) {
        std::lock_guard<std::mutex> lock(m_reportsMutex);
        m_pendingReports.emplace_back(text, caption);
    } else {
        m_prompter.Message(text, caption, Prompter::Icon::Stop);
    }
}

void TransferEngine::DeviceError(const std::string& errorText, int location) {
    Report("Error: " + errorText + "\nError location: " + m_module + " (" + std::to_string(location) + ")\n",
           "MIDI Device Error");
}

void TransferEngine::ConsistencyError(const std::string& text) {
    Report(text, "Data consistency error");
}

void TransferEngine::PortStalled(MidiOutPort*& port, int location) {
    DeviceError(PortWatch::StalledText(), location);
    OutPortClose(port);
}

void TransferEngine::Sleep(int ms) {
    if (m_sleeper)
        m_sleeper(ms);
    else if (ms >= 0)
        std::this_thread::sleep_for(std::chrono::milliseconds(ms));
}

bool TransferEngine::OpenOutput(MidiOutPort*& port, int location) {
    m_observer.SetText(CtlStatus, "Opening MIDI Output Device...");
    m_observer.SetText(CtlLabel1, " ");
    m_observer.SetText(CtlLabel2, " ");
    uint32_t device = 0;
    if (!ResolveDevice(false, device, location))
        return false;
    const int code = OutPortOpen(port, this, device, OutPortOptionsFor(m_settings.bufferSize));
    if (code != MidiOk) {
        DeviceError(MidiOutErrorText(code), location);
        return false;
    }
    return true;
}

bool TransferEngine::ResolveDevice(bool input, uint32_t& device, int location) {
    const std::string& name = input ? m_settings.inputDeviceName : m_settings.outputDeviceName;
    if (name.empty()) {
        device = input ? m_settings.inputDevice : m_settings.outputDevice;
        return true;
    }
    // A service started since the layer started (or since the preferences were shown) counts.
    MidiPortsRefresh();
    const size_t among = input ? m_settings.inputDeviceNameIndex : m_settings.outputDeviceNameIndex;
    if (input ? MidiInDeviceIndex(name, among, device) : MidiOutDeviceIndex(name, among, device))
        return true;
    DeviceError(std::string(input ? "The MIDI input \"" : "The MIDI output \"") + name +
                    "\" is not connected.",
                location);
    return false;
}

void TransferEngine::DrainOutput(MidiOutPort*& port, int location) {
    PortWatch watch(port);
    const auto waiting = [&](bool busy) {
        if (!busy || !port || m_abort || OutPortError(port) != MidiOk)
            return false;
        if (!watch.Patient()) {
            PortStalled(port, location);
            return false;
        }
        std::this_thread::sleep_for(std::chrono::microseconds(200));
        return true;
    };
    // A message that does not end within the data leaves its last bytes in a buffer that never
    // fills: the end of the transfer sends it as it is.
    while (waiting(port && OutPortFlush(port) == MidiErrNoRoom)) {
    }
    while (waiting(port && !OutPortIdle(port))) {
    }
    if (port && !m_error && OutPortError(port) != MidiOk) {
        DeviceError(MidiOutErrorText(OutPortError(port)), location);
        OutPortClose(port);
    }
}
