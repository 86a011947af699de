// System exclusive throughput of the port layer end to end, and the pacing of an upload at the
// MIDI wire rate against its ideal duration.
#include "midi/MidiPorts.h"
#include "midi/SimulatorBackend.h"
#include "midi/UploadEngine.h"
#include "support/DumpBuilder.h"

#include <benchmark/benchmark.h>

#include <chrono>
#include <future>
#include <mutex>
#include <thread>

namespace {

// An output wired straight to the input of the same back end, with no wire time.
class LoopbackBackend : public MidiBackend {
public:
    class Input : public MidiBackendInput {
    public:
        Input(LoopbackBackend& owner, MidiInputReceiver& receiver) : m_owner(owner) {
            std::lock_guard<std::mutex> lock(m_owner.m_mutex);
            m_owner.m_receiver = &receiver;
        }
        ~Input() override {
            std::lock_guard<std::mutex> lock(m_owner.m_mutex);
            m_owner.m_receiver = nullptr;
        }
        int Start(std::string&) override { return 0; }
        int Stop(std::string&) override { return 0; }

    private:
        LoopbackBackend& m_owner;
    };

    class Output : public MidiBackendOutput {
    public:
        explicit Output(LoopbackBackend& owner) : m_owner(owner) {}
        int SendShort(const uint8_t*, size_t, std::string&) override { return 0; }
        int SendSysex(const uint8_t* bytes, size_t count, std::string&) override {
            std::lock_guard<std::mutex> lock(m_owner.m_mutex);
            if (m_owner.m_receiver)
                m_owner.m_receiver->SysexBytes(bytes, count, 0);
            return 0;
        }
        std::chrono::microseconds WireTimePerByte() const override { return std::chrono::microseconds(0); }

    private:
        LoopbackBackend& m_owner;
    };

    std::string Name() const override { return "Loopback"; }
    std::vector<std::string> InputNames() override { return {"Loopback"}; }
    std::vector<std::string> OutputNames() override { return {"Loopback"}; }
    int OpenInput(size_t, MidiInputReceiver& receiver, std::unique_ptr<MidiBackendInput>& input,
                  std::string&) override {
        input = std::make_unique<Input>(*this, receiver);
        return 0;
    }
    int OpenOutput(size_t, std::unique_ptr<MidiBackendOutput>& output, std::string&) override {
        output = std::make_unique<Output>(*this);
        return 0;
    }

private:
    std::mutex m_mutex;
    MidiInputReceiver* m_receiver = nullptr;
};

// Put, buffer assembly, sender thread, back end, input buffers and InPortNextEvent.
void BM_SysexThroughTheLayer(benchmark::State& state) {
    std::vector<std::unique_ptr<MidiBackend>> backends;
    backends.push_back(std::make_unique<LoopbackBackend>());
    MidiPortsInit(std::move(backends));
    MidiInPort* in = nullptr;
    MidiOutPort* out = nullptr;
    InPortOpen(in, nullptr, 0, kDownloadPortOptions);
    InPortStart(in);
    OutPortOpen(out, nullptr, 0, OutPortOptionsFor(static_cast<int>(state.range(0))));
    const std::vector<uint8_t> dump = testdump::LargestDump();
    MidiEvent event;
    event.time = 0;
    event.status = 0xF0;
    size_t received = 0;
    for (auto _ : state) {
        size_t sent = 0;
        size_t read = 0;
        while (read < dump.size()) {
            if (sent < dump.size()) {
                event.data1 = dump[sent];
                if (OutPortPut(out, event) == MidiOk)
                    ++sent;
                else
                    std::this_thread::yield(); // all four buffers out: let the sender run
            }
            MidiEvent got;
            while (InPortNextEvent(in, got))
                ++read;
        }
        received += read;
    }
    state.SetBytesProcessed(static_cast<int64_t>(received));
    OutPortClose(out);
    InPortClose(in);
    MidiPortsTerm();
}
BENCHMARK(BM_SysexThroughTheLayer)->Arg(256)->Arg(4096)->Unit(benchmark::kMillisecond);

// A 65,520-byte upload to the simulator at 31,250 baud with BufferSize 256 and
// DelayBetweenBuffers 60: its time from the first byte to "Upload complete." against the wire
// time plus the pauses.
void BM_UploadPacing(benchmark::State& state) {
    const std::vector<uint8_t> dump = testdump::LargestDump();
    const double ideal =
        static_cast<double>(dump.size()) * 320e-6 + static_cast<double>(dump.size() / 256) * 0.060;
    for (auto _ : state) {
        auto simulator = std::make_unique<SimulatorBackend>();
        simulator->SetBaud(31250);
        std::vector<std::unique_ptr<MidiBackend>> backends;
        backends.push_back(std::move(simulator));
        MidiPortsInit(std::move(backends));
        NullTransferObserver observer;
        SilentPrompter prompter;
        TransferSettings settings;
        settings.bufferSize = 256;
        settings.delayBetweenBuffers = 60;
        UploadEngine engine(observer, prompter, settings, dump);
        std::chrono::steady_clock::time_point start;
        std::chrono::steady_clock::time_point end;
        // The start and final waits are the dialog's, not the transfer's: skip them and time
        // between them.
        engine.SetSleeper([&](int ms) {
            if (ms == 100)
                start = std::chrono::steady_clock::now();
            else if (ms == 1000)
                end = std::chrono::steady_clock::now();
            else
                std::this_thread::sleep_for(std::chrono::milliseconds(ms));
        });
        engine.Initialise();
        std::promise<void> done;
        auto finished = done.get_future();
        engine.Start([&done] { done.set_value(); });
        finished.wait();
        engine.Complete();
        MidiPortsTerm();
        const double seconds = std::chrono::duration<double>(end - start).count();
        state.SetIterationTime(seconds);
        state.counters["ideal_s"] = ideal;
        state.counters["vs_ideal_pct"] = (seconds / ideal - 1.0) * 100.0;
    }
}
BENCHMARK(BM_UploadPacing)->UseManualTime()->Iterations(1)->Unit(benchmark::kSecond);

} // namespace
