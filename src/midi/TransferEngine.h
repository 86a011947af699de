#pragma once

#include "dump/Prompter.h"
#include "midi/MidiPorts.h"
#include "midi/TransferObserver.h"
#include "midi/TransferSettings.h"

#include <atomic>
#include <functional>
#include <mutex>
#include <string>
#include <thread>
#include <vector>

// What the transfer dialogs share: the worker thread, the abort and error flags, the device
// error report and the pauses.
//
// Threads: the owner (the user-interface thread) calls Initialise, Start, Abort and the
// completion step. The worker runs the transfer loop and talks to the observer only. Message
// boxes are shown only on the owner's thread: a report that arises on the worker sets the error
// flag at once and is shown by the completion step, so the owner can join the worker without
// either waiting for the other.
class TransferEngine {
public:
    using Sleeper = std::function<void(int ms)>;

    TransferEngine(const char* module, TransferObserver& observer, Prompter& prompter,
                   const TransferSettings& settings);
    virtual ~TransferEngine();
    TransferEngine(const TransferEngine&) = delete;
    TransferEngine& operator=(const TransferEngine&) = delete;

    // Owner's thread: opens the port and prepares the dialog's texts. A device error here is
    // shown at once and sets the error flag.
    virtual void Initialise() = 0;
    // Starts the worker: it waits 100 ms, runs the loop unless the error flag is set, and then
    // calls `finished` on the worker thread (a dialog posts its completion from there).
    void Start(std::function<void()> finished = {});
    // Sets the abort flag and nothing else.
    void Abort() { m_abort = true; }
    bool Aborted() const { return m_abort; }
    bool ErrorFlag() const { return m_error; }

    // The pauses of the loops (DelayBetweenBuffers and the final waits) go through this, so
    // tests can count them instead of waiting.
    void SetSleeper(Sleeper sleeper) { m_sleeper = std::move(sleeper); }

protected:
    virtual void Loop() = 0;
    // Owner's thread, first thing of every completion: "Closing MIDI devices...", stop the
    // worker and show what it left to report.
    void FinishWorker();
    // Stops and joins the worker without a word (destruction). The join is bounded because every
    // wait of the worker is: the loops look at the abort flag on each pass, a port that takes no
    // data ends its wait within its wire time, its service's stall allowance and PortWatch's
    // grace, and closing a port waits no longer for a back end that keeps a chunk (see
    // OutPortClose). The worker is never left running, as it works on this object.
    void StopWorker();
    // The "MIDI Device Error" report. On the owner's thread it is shown at once; on the worker
    // it is kept for FinishWorker. Either way the error flag is set.
    void DeviceError(const std::string& errorText, int location);
    // A "Data consistency error" box (error icon); sets the error flag.
    void ConsistencyError(const std::string& text);
    void Sleep(int ms);
    // Owner's thread: "Opening MIDI Output Device...", blank counter labels, then the port; a
    // failure is the device error at `location`. False when the port could not be opened.
    bool OpenOutput(MidiOutPort*& port, int location);
    // Worker: hands out a partly filled buffer and waits until everything put has left the port
    // (closing it would abandon pending buffers), then reports a failure the sender met after the
    // last put at `location`. A port that stops making progress ends the wait with a device error.
    void DrainOutput(MidiOutPort*& port, int location);
    // Worker: the device error for a port that stopped taking data; closes the port.
    void PortStalled(MidiOutPort*& port, int location);
    // Owner's thread: the device to open, by name when the settings have one. A port that is
    // not there is the device error at `location`; nothing else is tried in its place.
    bool ResolveDevice(bool input, uint32_t& device, int location);
    bool Stopping() const { return m_abort || m_error; }
    bool OnWorker() const { return std::this_thread::get_id() == m_workerId; }

    TransferObserver& m_observer;
    Prompter& m_prompter;
    TransferSettings m_settings;
    std::atomic<bool> m_abort{false};
    std::atomic<bool> m_error{false};

private:
    void Report(const std::string& text, const std::string& caption);

    const char* m_module;
    Sleeper m_sleeper;
    std::thread m_worker;
    std::atomic<bool> m_loopDone{false};
    std::atomic<std::thread::id> m_workerId{};
    std::mutex m_reportsMutex;
    std::vector<std::pair<std::string, std::string>> m_pendingReports; // text, caption
};
