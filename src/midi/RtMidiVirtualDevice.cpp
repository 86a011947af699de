#include "midi/RtMidiVirtualDevice.h"

#include "midi/MidiBackend.h"
#include "midi/RtMidiBackend.h"

#include <algorithm>
#include <chrono>
#include <condition_variable>
#include <exception>
#include <mutex>
#include <utility>

namespace {

// Paced sending hands the service this much at a time, so no burst outruns a receiver's buffers.
constexpr size_t kPacedChunkBytes = 256;
// Start bit, eight data bits, stop bit.
constexpr long long kBitsPerByte = 10;
// How long the service may refuse data before the send gives up.
constexpr auto kNoRoomLimit = std::chrono::seconds(10);
constexpr auto kNoRoomRetry = std::chrono::milliseconds(2);

// The device is the receiver: a status byte ends an unfinished message there as on its real
// input, and continuation parts of a long message have been joined by the back end's input.
class DeviceReceiver : public MidiInputReceiver {
public:
    explicit DeviceReceiver(std::shared_ptr<Riv10Device> device) : m_device(std::move(device)) {}
    void ShortMessage(const uint8_t* bytes, size_t count, uint32_t /*timeMs*/) override {
        m_device->Receive(bytes, count);
    }
    void SysexBytes(const uint8_t* bytes, size_t count, uint32_t /*timeMs*/) override {
        m_device->Receive(bytes, count);
    }

private:
    std::shared_ptr<Riv10Device> m_device;
};

} // namespace

struct RtMidiVirtualDevice::Impl {
    Impl(std::string api, std::shared_ptr<Riv10Device> dev, int rate)
        : apiName(std::move(api)), device(dev ? std::move(dev) : std::make_shared<Riv10Device>()),
          baud(std::max(0, rate)), receiver(device) {}

    // False when cancelled before `when`.
    bool WaitUntil(std::chrono::steady_clock::time_point when) {
        std::unique_lock<std::mutex> lock(mutex);
        return !wake.wait_until(lock, when, [this] { return cancel; });
    }

    bool Cancelled() {
        std::lock_guard<std::mutex> lock(mutex);
        return cancel;
    }

    bool Send(std::string& error) {
        using Clock = std::chrono::steady_clock;
        const std::vector<uint8_t> dump = device->Dump();
        size_t step = baud > 0 ? std::min(kPacedChunkBytes, maxMessageBytes) : dump.size();
        if (realtimeEvery > 0)
            step = std::min(step, realtimeEvery);
        const Clock::time_point start = Clock::now();
        Clock::time_point refusedSince{};
        for (size_t offset = 0; offset < dump.size();) {
            const size_t count = std::min(step, dump.size() - offset);
            std::string sendError;
            const int code = output->SendSysex(dump.data() + offset, count, sendError);
            if (code == -1) {
                const Clock::time_point now = Clock::now();
                if (refusedSince == Clock::time_point{})
                    refusedSince = now;
                else if (now - refusedSince > kNoRoomLimit) {
                    error = "The MIDI service took no data for 10 seconds.";
                    return false;
                }
                if (!WaitUntil(now + kNoRoomRetry))
                    break;
                continue;
            }
            if (code != 0) {
                error = sendError;
                return false;
            }
            refusedSince = Clock::time_point{};
            offset += count;
            if (realtimeEvery > 0) {
                for (const uint8_t status : {uint8_t{0xF8}, uint8_t{0xFE}}) {
                    if (output->SendShort(&status, 1, sendError) != 0) {
                        error = sendError;
                        return false;
                    }
                }
            }
            if (baud > 0) {
                const long long bits = static_cast<long long>(offset) * kBitsPerByte;
                if (!WaitUntil(start + std::chrono::microseconds(bits * 1000000 / baud)))
                    break;
            } else if (Cancelled()) {
                break;
            }
        }
        if (Cancelled()) {
            error = "Sending the dump was cancelled.";
            return false;
        }
        return true;
    }

    const std::string apiName;
    const std::shared_ptr<Riv10Device> device;
    const int baud;
    size_t realtimeEvery = 0;
    DeviceReceiver receiver; // outlives the input, whose thread calls it
    size_t maxMessageBytes = 256;
    std::unique_ptr<MidiBackendInput> input;
    std::unique_ptr<MidiBackendOutput> output;
    std::mutex mutex;
    std::condition_variable wake;
    bool cancel = false;
};

RtMidiVirtualDevice::RtMidiVirtualDevice(std::string apiName, std::shared_ptr<Riv10Device> device, int baud)
    : m_impl(std::make_unique<Impl>(std::move(apiName), std::move(device), baud)) {}

RtMidiVirtualDevice::~RtMidiVirtualDevice() {
    Close();
}

bool RtMidiVirtualDevice::Open(std::string& error) {
    if (IsOpen())
        return true;
    Close();
    try {
        // The back end is only needed to open the ports; dropping it afterwards closes the
        // clients it keeps for listing ports.
        const std::unique_ptr<RtMidiBackend> backend = RtMidiBackend::ForApi(m_impl->apiName);
        if (!backend) {
            error =
                "The MIDI service \"" + m_impl->apiName +
                "\" is not available: it is not built in or cannot start (for JACK, is the server running?).";
            return false;
        }
        m_impl->maxMessageBytes = backend->MaxMessageBytes();
        if (backend->OpenVirtualInput(kInputClientName, kPortName, m_impl->receiver, m_impl->input, error) !=
                0 ||
            m_impl->input->Start(error) != 0 ||
            backend->OpenVirtualOutput(kOutputClientName, kPortName, m_impl->output, error) != 0) {
            Close();
            return false;
        }
        return true;
    } catch (const std::exception& e) {
        error = e.what();
    }
    Close();
    return false;
}

void RtMidiVirtualDevice::Close() {
    m_impl->output.reset();
    if (m_impl->input) {
        std::string ignored;
        m_impl->input->Stop(ignored);
        m_impl->input.reset();
    }
}

bool RtMidiVirtualDevice::IsOpen() const {
    return m_impl->input && m_impl->output;
}

bool RtMidiVirtualDevice::SendDump(std::string& error) {
    if (!IsOpen()) {
        error = "The simulator's ports are not open.";
        return false;
    }
    {
        std::lock_guard<std::mutex> lock(m_impl->mutex);
        m_impl->cancel = false;
    }
    try {
        return m_impl->Send(error);
    } catch (const std::exception& e) {
        error = e.what();
        return false;
    }
}

void RtMidiVirtualDevice::SetRealtimeEvery(size_t bytes) {
    m_impl->realtimeEvery = bytes;
}

void RtMidiVirtualDevice::Cancel() {
    {
        std::lock_guard<std::mutex> lock(m_impl->mutex);
        m_impl->cancel = true;
    }
    m_impl->wake.notify_all();
}
