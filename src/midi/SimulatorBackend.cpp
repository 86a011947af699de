#include "midi/SimulatorBackend.h"

#include <algorithm>
#include <chrono>
#include <condition_variable>
#include <exception>
#include <mutex>
#include <string>
#include <thread>
#include <utility>

namespace {

// Small enough that the editor's progress moves smoothly, as with a hardware driver's buffers.
constexpr size_t kDeliveryChunkBytes = 32;
// Start bit, eight data bits, stop bit.
constexpr long long kBitsPerByte = 10;

uint32_t SteadyMs() {
    const auto now = std::chrono::steady_clock::now().time_since_epoch();
    return static_cast<uint32_t>(std::chrono::duration_cast<std::chrono::milliseconds>(now).count());
}

std::string BadIndexText(size_t index, const char* direction) {
    return std::string("The RIV 10 Simulator has one ") + direction + " port (index 0), not index " +
           std::to_string(index) + ".";
}

// The simulator's MIDI output as seen from the editor: its input port. Once started, a thread of
// this object sends the device's dump after the configured delay, at the wire rate.
//
// Threads: Start, Stop and destruction come from the thread that opened the port; the sender
// thread calls the receiver. Stop and destruction cancel the send and wait for the sender thread,
// so they must not be called while holding a lock the receiver takes.
class SimulatorInput : public MidiBackendInput {
public:
    // The settings are read at each Start; the back end that owns them outlives its ports.
    SimulatorInput(std::shared_ptr<Riv10Device> device, MidiInputReceiver& receiver,
                   const std::atomic<int>& baud, const std::atomic<int>& sendDelayMs,
                   const std::atomic<bool>& sendOnStart)
        : m_device(std::move(device)), m_receiver(receiver), m_baud(baud), m_sendDelayMs(sendDelayMs),
          m_sendOnStart(sendOnStart) {}

    ~SimulatorInput() override { Cancel(); }

    int Start(std::string& error) override {
        if (m_started)
            return 0;
        if (m_sendOnStart) {
            {
                std::lock_guard<std::mutex> lock(m_mutex);
                m_cancel = false;
            }
            const int baud = m_baud;
            const int delayMs = std::max(0, m_sendDelayMs.load());
            try {
                m_sender = std::thread(
                    [this, dump = m_device->Dump(), baud, delayMs] { Send(dump, baud, delayMs); });
            } catch (const std::exception& e) {
                error = std::string("The RIV 10 Simulator could not start sending: ") + e.what();
                return 1;
            }
        }
        m_started = true;
        return 0;
    }

    int Stop(std::string& /*error*/) override {
        Cancel();
        m_started = false;
        return 0;
    }

private:
    void Cancel() {
        {
            std::lock_guard<std::mutex> lock(m_mutex);
            m_cancel = true;
        }
        m_wake.notify_all();
        if (m_sender.joinable())
            m_sender.join();
    }

    // False when cancelled before `when`.
    bool WaitUntil(std::chrono::steady_clock::time_point when) {
        std::unique_lock<std::mutex> lock(m_mutex);
        return !m_wake.wait_until(lock, when, [this] { return m_cancel; });
    }

    bool Cancelled() {
        std::lock_guard<std::mutex> lock(m_mutex);
        return m_cancel;
    }

    void Send(const std::vector<uint8_t>& dump, int baud, int delayMs) {
        try {
            SendPaced(dump, baud, delayMs);
        } catch (...) {
            // Nothing may leave a thread; the editor sees an incomplete dump and times out.
        }
    }

    void SendPaced(const std::vector<uint8_t>& dump, int baud, int delayMs) {
        using Clock = std::chrono::steady_clock;
        if (!WaitUntil(Clock::now() + std::chrono::milliseconds(delayMs)))
            return;
        const Clock::time_point start = Clock::now();
        for (size_t offset = 0; offset < dump.size();) {
            const size_t count = std::min(kDeliveryChunkBytes, dump.size() - offset);
            if (baud > 0) {
                // A chunk arrives when its last byte has crossed the wire; deadlines from the start
                // keep rounding from adding up over a long dump.
                const long long bits = static_cast<long long>(offset + count) * kBitsPerByte;
                const auto due = start + std::chrono::microseconds(bits * 1000000 / baud);
                if (!WaitUntil(due))
                    return;
            } else if (Cancelled()) {
                return;
            }
            m_receiver.SysexBytes(dump.data() + offset, count, SteadyMs());
            offset += count;
        }
    }

    std::shared_ptr<Riv10Device> m_device;
    MidiInputReceiver& m_receiver;
    const std::atomic<int>& m_baud;
    const std::atomic<int>& m_sendDelayMs;
    const std::atomic<bool>& m_sendOnStart;
    bool m_started = false; // opening thread only
    std::mutex m_mutex;
    std::condition_variable m_wake;
    bool m_cancel = false;
    std::thread m_sender;
};

// The simulator's MIDI input as seen from the editor: its output port. Whatever the editor sends
// goes straight to the device; the port layer paces it by WireTimePerByte.
//
// Threads: any; the device is thread-safe. The back end outlives its ports.
class SimulatorOutput : public MidiBackendOutput {
public:
    SimulatorOutput(std::shared_ptr<Riv10Device> device, const std::atomic<int>& baud)
        : m_device(std::move(device)), m_baud(baud) {}

    // The device does nothing with channel messages.
    int SendShort(const uint8_t* /*bytes*/, size_t /*count*/, std::string& /*error*/) override { return 0; }

    int SendSysex(const uint8_t* bytes, size_t count, std::string& /*error*/) override {
        m_device->Receive(bytes, count);
        return 0;
    }

    std::chrono::microseconds WireTimePerByte() const override {
        const int baud = m_baud;
        if (baud <= 0)
            return std::chrono::microseconds(0);
        return std::chrono::microseconds(kBitsPerByte * 1000000 / baud);
    }

private:
    std::shared_ptr<Riv10Device> m_device;
    const std::atomic<int>& m_baud;
};

} // namespace

SimulatorBackend::SimulatorBackend() : m_device(std::make_shared<Riv10Device>()) {}

SimulatorBackend::SimulatorBackend(std::shared_ptr<Riv10Device> device)
    : m_device(device ? std::move(device) : std::make_shared<Riv10Device>()) {}

SimulatorBackend::~SimulatorBackend() = default;

std::vector<std::string> SimulatorBackend::InputNames() {
    return {kPortName};
}

std::vector<std::string> SimulatorBackend::OutputNames() {
    return {kPortName};
}

int SimulatorBackend::OpenInput(size_t index, MidiInputReceiver& receiver,
                                std::unique_ptr<MidiBackendInput>& input, std::string& error) {
    if (index != 0) {
        error = BadIndexText(index, "input");
        return 2;
    }
    input = std::make_unique<SimulatorInput>(m_device, receiver, m_baud, m_sendDelayMs, m_sendOnStart);
    return 0;
}

int SimulatorBackend::OpenOutput(size_t index, std::unique_ptr<MidiBackendOutput>& output,
                                 std::string& error) {
    if (index != 0) {
        error = BadIndexText(index, "output");
        return 2;
    }
    output = std::make_unique<SimulatorOutput>(m_device, m_baud);
    return 0;
}
