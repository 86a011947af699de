// The download, upload and test-send engines driven end to end through the port layer, against
// the simulated device and a recording back end. Pauses go through an injected sleeper, so the
// tests count them instead of waiting.
#include "dump/SystemDoc.h"
#include "midi/DownloadEngine.h"
#include "midi/MidiPorts.h"
#include "midi/SimulatorBackend.h"
#include "midi/TestSendEngine.h"
#include "midi/UploadEngine.h"
#include "support/DumpBuilder.h"
#include "support/FakeMidiBackend.h"
#include "support/ScriptedPrompter.h"
#include "support/SimulatorLayer.h"

#include <gtest/gtest.h>

#include <algorithm>
#include <chrono>
#include <condition_variable>
#include <future>
#include <mutex>
#include <thread>

using testdump::Bytes;

namespace {

class RecordingObserver : public TransferObserver {
public:
    void SetText(int control, const std::string& text) override {
        std::lock_guard<std::mutex> lock(m_mutex);
        if (control == CtlStatus)
            m_statuses.push_back(text);
        m_texts[control] = text;
    }
    void SetValue(int control, unsigned value) override {
        std::lock_guard<std::mutex> lock(m_mutex);
        m_values[control] = value;
        if (control == CtlValue1)
            m_value1History.push_back(value);
    }
    std::vector<std::string> Statuses() {
        std::lock_guard<std::mutex> lock(m_mutex);
        return m_statuses;
    }
    bool Saw(const std::string& status) {
        const auto s = Statuses();
        return std::find(s.begin(), s.end(), status) != s.end();
    }
    std::string Text(int control) {
        std::lock_guard<std::mutex> lock(m_mutex);
        return m_texts[control];
    }
    unsigned Value(int control) {
        std::lock_guard<std::mutex> lock(m_mutex);
        return m_values[control];
    }
    std::vector<unsigned> Value1History() {
        std::lock_guard<std::mutex> lock(m_mutex);
        return m_value1History;
    }

private:
    std::mutex m_mutex;
    std::vector<std::string> m_statuses;
    std::map<int, std::string> m_texts;
    std::map<int, unsigned> m_values;
    std::vector<unsigned> m_value1History;
};

// An output that records what reaches the wire, optionally slowly or failing.
class RecordingBackend : public MidiBackend {
public:
    struct Wire {
        std::mutex mutex;
        std::vector<Bytes> shortMessages;
        std::vector<Bytes> sysexChunks;
        int failSysexWith = 0;
        std::chrono::microseconds perByte{0};
        Bytes SysexBytes() {
            std::lock_guard<std::mutex> lock(mutex);
            Bytes all;
            for (const Bytes& chunk : sysexChunks)
                all.insert(all.end(), chunk.begin(), chunk.end());
            return all;
        }
    };

    class Output : public MidiBackendOutput {
    public:
        explicit Output(std::shared_ptr<Wire> wire) : m_wire(std::move(wire)) {}
        int SendShort(const uint8_t* bytes, size_t count, std::string&) override {
            std::lock_guard<std::mutex> lock(m_wire->mutex);
            m_wire->shortMessages.emplace_back(bytes, bytes + count);
            return 0;
        }
        int SendSysex(const uint8_t* bytes, size_t count, std::string& error) override {
            std::lock_guard<std::mutex> lock(m_wire->mutex);
            if (m_wire->failSysexWith != 0) {
                error = "The wire is cut.";
                return m_wire->failSysexWith;
            }
            m_wire->sysexChunks.emplace_back(bytes, bytes + count);
            return 0;
        }
        std::chrono::microseconds WireTimePerByte() const override { return m_wire->perByte; }

    private:
        std::shared_ptr<Wire> m_wire;
    };

    explicit RecordingBackend(std::shared_ptr<Wire> wire) : m_wire(std::move(wire)) {}
    std::string Name() const override { return "Recorder"; }
    std::vector<std::string> InputNames() override { return {}; }
    std::vector<std::string> OutputNames() override { return {"Recorder"}; }
    int OpenInput(size_t, MidiInputReceiver&, std::unique_ptr<MidiBackendInput>&,
                  std::string& error) override {
        error = "No inputs here.";
        return 1;
    }
    int OpenOutput(size_t, std::unique_ptr<MidiBackendOutput>& output, std::string&) override {
        output = std::make_unique<Output>(m_wire);
        return 0;
    }

private:
    std::shared_ptr<Wire> m_wire;
};

// An input that plays a script of events once started: sysex pieces and short messages; then,
// if asked, its service goes away.
class ScriptedInputBackend : public MidiBackend {
public:
    struct Step {
        bool sysex;
        Bytes bytes;
    };
    explicit ScriptedInputBackend(std::vector<Step> script, bool lost = false)
        : m_script(std::move(script)), m_lost(lost) {}

    class Input : public MidiBackendInput {
    public:
        Input(MidiInputReceiver& receiver, const std::vector<Step>& script, bool lost)
            : m_receiver(receiver), m_script(script), m_lost(lost) {}
        bool Lost(std::string& error) override {
            error = "The server has gone.";
            return m_lost;
        }
        int Start(std::string&) override {
            for (const Step& step : m_script) {
                if (step.sysex)
                    m_receiver.SysexBytes(step.bytes.data(), step.bytes.size(), 0);
                else
                    m_receiver.ShortMessage(step.bytes.data(), step.bytes.size(), 0);
            }
            return 0;
        }
        int Stop(std::string&) override { return 0; }

    private:
        MidiInputReceiver& m_receiver;
        const std::vector<Step>& m_script;
        bool m_lost;
    };

    std::string Name() const override { return "Script"; }
    std::vector<std::string> InputNames() override { return {"Script"}; }
    std::vector<std::string> OutputNames() override { return {}; }
    int OpenInput(size_t, MidiInputReceiver& receiver, std::unique_ptr<MidiBackendInput>& input,
                  std::string&) override {
        input = std::make_unique<Input>(receiver, m_script, m_lost);
        return 0;
    }
    int OpenOutput(size_t, std::unique_ptr<MidiBackendOutput>&, std::string& error) override {
        error = "No outputs here.";
        return 1;
    }

private:
    std::vector<Step> m_script;
    bool m_lost;
};

// Counts the pauses instead of sleeping; can run an action at the n-th pause of a given length.
class CountingSleeper {
public:
    void operator()(int ms) {
        std::lock_guard<std::mutex> lock(m_mutex);
        m_calls.push_back(ms);
        if (m_action && ms == m_actionMs && ++m_seen == m_actionAt)
            m_action();
    }
    void At(int ms, int nth, std::function<void()> action) {
        m_actionMs = ms;
        m_actionAt = nth;
        m_action = std::move(action);
    }
    int Count(int ms) {
        std::lock_guard<std::mutex> lock(m_mutex);
        return static_cast<int>(std::count(m_calls.begin(), m_calls.end(), ms));
    }

private:
    std::mutex m_mutex;
    std::vector<int> m_calls;
    std::function<void()> m_action;
    int m_actionMs = -1;
    int m_actionAt = 0;
    int m_seen = 0;
};

// Runs an engine's worker to its end, as a dialog waits for the worker's completion notice.
void RunToEnd(TransferEngine& engine) {
    std::promise<void> done;
    auto finished = done.get_future();
    engine.Start([&done] { done.set_value(); });
    ASSERT_EQ(finished.wait_for(std::chrono::seconds(60)), std::future_status::ready) << "the worker hangs";
}

class EngineTest : public ::testing::Test {
protected:
    void TearDown() override { MidiPortsTerm(); }

    SimulatorBackend& InitSimulator() {
        SimulatorBackend* simulator = StartLayerWithSimulator();
        EXPECT_NE(simulator, nullptr);
        return *simulator;
    }

    std::shared_ptr<RecordingBackend::Wire> InitRecorder() {
        auto wire = std::make_shared<RecordingBackend::Wire>();
        std::vector<std::unique_ptr<MidiBackend>> backends;
        backends.push_back(std::make_unique<RecordingBackend>(wire));
        EXPECT_EQ(MidiPortsInit(std::move(backends)), 1);
        return wire;
    }

    void InitScript(std::vector<ScriptedInputBackend::Step> script, bool lost = false) {
        std::vector<std::unique_ptr<MidiBackend>> backends;
        backends.push_back(std::make_unique<ScriptedInputBackend>(std::move(script), lost));
        EXPECT_EQ(MidiPortsInit(std::move(backends)), 1);
    }

    // A whole download as the dialog runs it; true when a document is to be made.
    bool Download(const TransferSettings& settings, Prompter& prompter, Bytes& received) {
        DownloadEngine engine(m_observer, prompter, settings);
        engine.SetSleeper(std::ref(m_sleeper));
        engine.Initialise();
        RunToEnd(engine);
        return engine.Complete(received);
    }

    static Bytes WithTransmitLength(Bytes image, int length) {
        Bytes quad;
        testdump::PutQuad(quad, length);
        std::copy(quad.begin(), quad.end(), image.begin() + 7);
        return image;
    }

    RecordingObserver m_observer;
    ScriptedPrompter m_prompter;
    CountingSleeper m_sleeper;
};

// --- download -------------------------------------------------------------------------------

TEST_F(EngineTest, DownloadReceivesTheDeviceDumpWholly) {
    SimulatorBackend& simulator = InitSimulator();
    const Bytes dump = testdump::LargestDump();
    simulator.Device().SetDump(dump);
    TransferSettings settings;
    settings.inputDevice = 0;
    DownloadEngine engine(m_observer, m_prompter, settings);
    engine.SetSleeper(std::ref(m_sleeper));
    engine.Initialise();
    ASSERT_FALSE(engine.ErrorFlag());
    ASSERT_EQ(m_prompter.Messages().size(), 1u);
    EXPECT_EQ(m_prompter.Messages()[0].caption, "Start Download");
    EXPECT_EQ(m_prompter.Messages()[0].icon, Prompter::Icon::Exclamation);
    EXPECT_EQ(m_observer.Text(CtlLabel1), "Total data received:");
    EXPECT_EQ(m_observer.Text(CtlLabel2), "Number of EOXs received:");
    RunToEnd(engine);
    Bytes received;
    ASSERT_TRUE(engine.Complete(received));
    EXPECT_EQ(received, dump);
    EXPECT_EQ(engine.EoxCount(), 1);
    EXPECT_EQ(m_observer.Value(CtlValue1), dump.size());
    EXPECT_EQ(m_observer.Value(CtlValue2), 1u);
    EXPECT_TRUE(m_observer.Saw("Receiving sysex data..."));
    EXPECT_TRUE(m_observer.Saw("Download complete."));
    EXPECT_EQ(m_observer.Statuses().back(), "Preparing document...");
    for (unsigned shown : m_observer.Value1History())
        EXPECT_TRUE(shown % 50 == 0 || shown == dump.size()) << shown;
    EXPECT_EQ(m_prompter.Messages().size(), 1u) << "no box after the start instructions";
}

TEST_F(EngineTest, DownloadWithoutPromptShowsNoStartBox) {
    InitSimulator();
    TransferSettings settings;
    settings.promptBeforeDownload = false;
    Bytes received;
    EXPECT_TRUE(Download(settings, m_prompter, received));
    EXPECT_EQ(received, Riv10Device::DemoDump());
    EXPECT_TRUE(m_prompter.Messages().empty());
}

TEST_F(EngineTest, AbortBeforeAnyByteSaysDownloadAborted) {
    SimulatorBackend& simulator = InitSimulator();
    simulator.SetSendOnStart(false);
    TransferSettings settings;
    settings.promptBeforeDownload = false;
    DownloadEngine engine(m_observer, m_prompter, settings);
    engine.SetSleeper(std::ref(m_sleeper));
    engine.Initialise();
    m_sleeper.At(100, 1, [&engine] { engine.Abort(); });
    RunToEnd(engine);
    Bytes received;
    EXPECT_FALSE(engine.Complete(received));
    EXPECT_TRUE(m_observer.Saw("Download incomplete!"));
    ASSERT_EQ(m_prompter.Messages().size(), 1u);
    EXPECT_EQ(m_prompter.Messages()[0].text, "Download aborted.");
    EXPECT_EQ(m_prompter.Messages()[0].caption, "MIDI Error");
}

TEST_F(EngineTest, DownloadOfSomethingElseThanASystemDumpIsAborted) {
    SimulatorBackend& simulator = InitSimulator();
    Bytes other = Riv10Device::DemoDump();
    other[6] = 0x42;
    simulator.Device().SetDump(other);
    TransferSettings settings;
    settings.promptBeforeDownload = false;
    Bytes received;
    EXPECT_FALSE(Download(settings, m_prompter, received));
    ASSERT_EQ(m_prompter.Messages().size(), 1u);
    EXPECT_EQ(m_prompter.Messages()[0].text, "Download aborted.");
}

TEST_F(EngineTest, FailedIntegrityCheckAsksWhetherToCancel) {
    for (const bool cancel : {true, false}) {
        SCOPED_TRACE(cancel ? "Yes" : "No");
        SimulatorBackend& simulator = InitSimulator();
        const Bytes broken = WithTransmitLength(Riv10Device::DemoDump(), 7);
        simulator.Device().SetDump(broken);
        TransferSettings settings;
        settings.promptBeforeDownload = false;
        ScriptedPrompter prompter({cancel});
        Bytes received;
        EXPECT_EQ(Download(settings, prompter, received), !cancel);
        ASSERT_EQ(prompter.Messages().size(), 1u);
        EXPECT_EQ(prompter.Messages()[0].caption, "Incomplete Download");
        EXPECT_EQ(prompter.Messages()[0].icon, Prompter::Icon::Stop);
        EXPECT_EQ(
            prompter.Messages()[0].text,
            "The dump failed my data integrity check.\nFirst error encountered: Data transmit length does "
            "not "
            "match actual data length.\nThis could be caused by missing MIDI data bytes or corrupt ZIV10 "
            "memory.\nYou may choose to continue and attempt to fix the data.\nBut if you choose to "
            "continue, "
            "you might experience a crash trying to view this dump.\n\nCancel operation?");
        if (!cancel) {
            EXPECT_EQ(received, broken);
        }
        MidiPortsTerm();
    }
}

TEST_F(EngineTest, BadInputDeviceIsADeviceErrorAndNothingElse) {
    InitSimulator();
    TransferSettings settings;
    settings.inputDevice = 1; // one input only
    DownloadEngine engine(m_observer, m_prompter, settings);
    engine.Initialise();
    EXPECT_TRUE(engine.ErrorFlag());
    RunToEnd(engine);
    Bytes received;
    EXPECT_FALSE(engine.Complete(received));
    ASSERT_EQ(m_prompter.Messages().size(), 1u);
    EXPECT_EQ(m_prompter.Messages()[0].caption, "MIDI Device Error");
    EXPECT_EQ(m_prompter.Messages()[0].text,
              "Error: " + MidiInErrorText(MidiErrBadDevice) + "\nError location: DMidiXmit (121)\n");
}

TEST_F(EngineTest, AbortAfterTenBytesChecksWhatArrived) {
    const Bytes dump = Riv10Device::DemoDump();
    InitScript({{true, Bytes(dump.begin(), dump.begin() + 10)}});
    TransferSettings settings;
    settings.promptBeforeDownload = false;
    ScriptedPrompter prompter({true});
    DownloadEngine engine(m_observer, prompter, settings);
    // The script has been delivered when the worker starts reading; abort once it waits for more.
    bool aborted = false;
    engine.SetSleeper([&](int ms) {
        if (ms == 100 && !aborted) {
            aborted = true;
            std::thread([&engine] {
                std::this_thread::sleep_for(std::chrono::milliseconds(50));
                engine.Abort();
            }).detach();
        }
    });
    engine.Initialise();
    RunToEnd(engine);
    Bytes received;
    EXPECT_FALSE(engine.Complete(received));
    EXPECT_EQ(engine.TotalCount(), 10u);
    EXPECT_TRUE(m_observer.Saw("Download incomplete!"));
    ASSERT_EQ(prompter.Messages().size(), 1u);
    EXPECT_EQ(prompter.Messages()[0].caption, "Incomplete Download");
}

TEST_F(EngineTest, OnlySystemExclusiveBytesEnterTheDump) {
    const Bytes dump = Riv10Device::DemoDump();
    const size_t half = dump.size() / 2;
    InitScript({{false, {0xF8}},
                {true, Bytes(dump.begin(), dump.begin() + static_cast<long>(half))},
                {false, {0xB0, 0x07, 0x64}},
                {false, {0xF8}},
                {true, Bytes(dump.begin() + static_cast<long>(half), dump.end())}});
    TransferSettings settings;
    settings.promptBeforeDownload = false;
    Bytes received;
    ASSERT_TRUE(Download(settings, m_prompter, received));
    EXPECT_EQ(received, dump);
}

TEST_F(EngineTest, MergedClockAndPedalsNeverFailADownload) {
    // Pedals pressed while the start box is up, then a dump with a merged clock and active
    // sensing in and between its pieces: far more than the short-message ring holds.
    const Bytes dump = testdump::LargestDump();
    std::vector<ScriptedInputBackend::Step> script;
    for (int i = 0; i < 200; ++i)
        script.push_back({false, {static_cast<uint8_t>(0xC0 | (i & 0x0F)), static_cast<uint8_t>(i & 0x7F)}});
    for (size_t at = 0; at < dump.size(); at += 256) {
        Bytes piece(dump.begin() + static_cast<long>(at),
                    dump.begin() + static_cast<long>(std::min(at + 256, dump.size())));
        piece.insert(piece.begin() + static_cast<long>(piece.size() / 2), 0xF8);
        script.push_back({true, piece});
        script.push_back({false, {0xF8}});
        script.push_back({false, {0xFE}});
        script.push_back({false, {0xB0, 0x40, 0x7F}});
    }
    InitScript(std::move(script));
    TransferSettings settings;
    settings.promptBeforeDownload = false;
    Bytes received;
    ASSERT_TRUE(Download(settings, m_prompter, received));
    EXPECT_EQ(received, dump);
    EXPECT_TRUE(m_prompter.Messages().empty());
}

TEST_F(EngineTest, AServiceGoneInTheMiddleEndsTheDownloadWithADeviceError) {
    const Bytes dump = Riv10Device::DemoDump();
    InitScript({{true, Bytes(dump.begin(), dump.begin() + 100)}}, true);
    TransferSettings settings;
    settings.promptBeforeDownload = false;
    Bytes received;
    EXPECT_FALSE(Download(settings, m_prompter, received));
    ASSERT_EQ(m_prompter.Messages().size(), 1u);
    EXPECT_EQ(m_prompter.Messages()[0].caption, "MIDI Device Error");
    EXPECT_EQ(m_prompter.Messages()[0].text,
              "Error: The server has gone.\nError location: DMidiXmit (136)\n");
}

TEST_F(EngineTest, InputLostToAnOverflowIsADeviceErrorNotADocument) {
    // More than the input holds arrives before the reader starts.
    Bytes flood = {0xF0};
    flood.resize(70000, 0x01);
    InitScript({{true, flood}});
    TransferSettings settings;
    settings.promptBeforeDownload = false;
    Bytes received;
    EXPECT_FALSE(Download(settings, m_prompter, received));
    ASSERT_FALSE(m_prompter.Messages().empty());
    EXPECT_EQ(m_prompter.Messages()[0].caption, "MIDI Device Error");
    EXPECT_NE(m_prompter.Messages()[0].text.find("DMidiXmit (131)"), std::string::npos);
}

// --- upload ---------------------------------------------------------------------------------

TEST_F(EngineTest, UploadSendsEveryByteOnceAndPausesEveryBuffer) {
    auto wire = InitRecorder();
    const Bytes image = testdump::LargestDump();
    TransferSettings settings;
    settings.bufferSize = 256;
    settings.delayBetweenBuffers = 60;
    UploadEngine engine(m_observer, m_prompter, settings, image);
    engine.SetSleeper(std::ref(m_sleeper));
    engine.Initialise();
    EXPECT_EQ(m_observer.Text(CtlLabel1), "Total data transmitted:");
    EXPECT_EQ(m_observer.Text(CtlLabel2), "Number of programs transmitted:");
    RunToEnd(engine);
    EXPECT_FALSE(engine.Complete());
    EXPECT_EQ(wire->SysexBytes(), image);
    EXPECT_EQ(engine.TotalCount(), image.size());
    EXPECT_EQ(engine.EoxCount(), 1);
    EXPECT_EQ(m_sleeper.Count(60), static_cast<int>(image.size() / 256));
    EXPECT_EQ(m_sleeper.Count(1000), 1);
    EXPECT_TRUE(m_observer.Saw("Upload complete."));
    EXPECT_TRUE(m_prompter.Messages().empty());
    for (const Bytes& chunk : wire->sysexChunks)
        EXPECT_LE(chunk.size(), 256u);
}

TEST_F(EngineTest, UploadPausesWhileBuffersAreBusyAndLosesNothing) {
    auto wire = InitRecorder();
    wire->perByte = std::chrono::microseconds(20); // a slow device
    const Bytes image = testdump::LargestDump();
    TransferSettings settings;
    settings.bufferSize = 64;
    settings.delayBetweenBuffers = 0;
    UploadEngine engine(m_observer, m_prompter, settings, Bytes(image.begin(), image.begin() + 8000));
    engine.SetSleeper(std::ref(m_sleeper));
    engine.Initialise();
    RunToEnd(engine);
    EXPECT_FALSE(engine.Complete());
    Bytes expected(image.begin(), image.begin() + 8000);
    expected.push_back(0xF7); // closing the port ends the message the part left open
    EXPECT_EQ(wire->SysexBytes(), expected);
    const auto statuses = m_observer.Statuses();
    const auto pause = std::find(statuses.begin(), statuses.end(), "Pausing to clear buffer...");
    ASSERT_NE(pause, statuses.end());
    EXPECT_NE(std::find(pause, statuses.end(), "Sending MIDI sysex upload..."), statuses.end());
}

TEST_F(EngineTest, AbortedUploadIsIncompleteButNoError) {
    auto wire = InitRecorder();
    const Bytes image = testdump::LargestDump();
    TransferSettings settings;
    UploadEngine engine(m_observer, m_prompter, settings, image);
    engine.SetSleeper(std::ref(m_sleeper));
    m_sleeper.At(60, 3, [&engine] { engine.Abort(); });
    engine.Initialise();
    RunToEnd(engine);
    EXPECT_FALSE(engine.Complete());
    EXPECT_TRUE(engine.Aborted());
    EXPECT_EQ(engine.TotalCount(), 3u * 256u);
    EXPECT_TRUE(m_observer.Saw("Upload incomplete!"));
    EXPECT_TRUE(m_prompter.Messages().empty());
    // The device is not left inside the message.
    Bytes expected(image.begin(), image.begin() + 3 * 256);
    expected.push_back(0xF7);
    EXPECT_EQ(wire->SysexBytes(), expected);
}

// An image that does not end on 0xF7 (a dump whose records fall short of its size) still goes
// out whole; a port that takes nothing more ends the upload with a device error.
TEST_F(EngineTest, UploadEndsWhateverTheImageAndThePortDo) {
    struct Case {
        const char* name;
        int failSysexWith;
        bool error;
    };
    Bytes image = Riv10Device::DemoDump();
    image.back() = 0x00;
    image.insert(image.end(), 300, 0x00);
    Bytes closed = image;
    closed.push_back(0xF7); // closing the port ends the message the image left open
    for (const Case& c : {Case{"unended image", 0, false}, Case{"port refuses for ever", -1, true}}) {
        SCOPED_TRACE(c.name);
        m_prompter.Clear();
        auto wire = InitRecorder();
        wire->failSysexWith = c.failSysexWith;
        UploadEngine engine(m_observer, m_prompter, TransferSettings(), image);
        engine.SetSleeper(std::ref(m_sleeper));
        engine.Initialise();
        RunToEnd(engine);
        EXPECT_EQ(engine.Complete(), c.error);
        if (c.error) {
            ASSERT_EQ(m_prompter.Messages().size(), 1u);
            EXPECT_EQ(m_prompter.Messages()[0].caption, "MIDI Device Error");
            EXPECT_NE(m_prompter.Messages()[0].text.find("DMidiXmit (256)"), std::string::npos);
        } else {
            EXPECT_EQ(wire->SysexBytes(), closed);
            EXPECT_EQ(engine.TotalCount(), image.size());
            EXPECT_TRUE(m_prompter.Messages().empty());
        }
        MidiPortsTerm();
    }
}

TEST_F(EngineTest, UploadDeviceErrorsNameTheirLocation) {
    auto wire = InitRecorder();
    TransferSettings settings;
    settings.outputDevice = 5;
    {
        UploadEngine engine(m_observer, m_prompter, settings, Riv10Device::DemoDump());
        engine.Initialise();
        RunToEnd(engine);
        EXPECT_TRUE(engine.Complete());
        ASSERT_EQ(m_prompter.Messages().size(), 1u);
        EXPECT_NE(m_prompter.Messages()[0].text.find("Error location: DMidiXmit (217)"), std::string::npos);
    }
    m_prompter.Clear();
    settings.outputDevice = 0;
    wire->failSysexWith = 1;
    UploadEngine engine(m_observer, m_prompter, settings, testdump::LargestDump());
    engine.SetSleeper(std::ref(m_sleeper));
    engine.Initialise();
    RunToEnd(engine);
    EXPECT_TRUE(engine.Complete());
    ASSERT_EQ(m_prompter.Messages().size(), 1u);
    EXPECT_EQ(m_prompter.Messages()[0].text, "Error: The wire is cut.\nError location: DMidiXmit (256)\n");
    EXPECT_TRUE(m_observer.Saw("Upload incomplete!"));
}

TEST_F(EngineTest, UploadToTheSimulatorReplacesItsDump) {
    SimulatorBackend& simulator = InitSimulator();
    const Bytes image = testdump::LargestDump();
    UploadEngine engine(m_observer, m_prompter, TransferSettings(), image);
    engine.SetSleeper(std::ref(m_sleeper));
    engine.Initialise();
    RunToEnd(engine);
    EXPECT_FALSE(engine.Complete());
    EXPECT_EQ(simulator.Device().ReceivedCount(), 1);
    EXPECT_EQ(simulator.Device().LastCheckCode(), 0);
    EXPECT_EQ(simulator.Device().Dump(), image);
}

// --- test send ------------------------------------------------------------------------------

struct TestSendCase {
    const char* name;
    Bytes bytes;
    std::vector<Bytes> shortMessages; // in order, before the port is closed
    Bytes sysex;
    std::string caption; // of the one message shown; empty: none
    std::string text;
    unsigned transmitted;
};

const std::string kConsistency = "Data consistency error";
const std::string kDevice = "MIDI Device Error";

class TestSendTest : public EngineTest, public ::testing::WithParamInterface<TestSendCase> {};

TEST_P(TestSendTest, SendsMessagesOrNamesTheFault) {
    const TestSendCase& c = GetParam();
    auto wire = InitRecorder();
    TestSendEngine engine(m_observer, m_prompter, TransferSettings(), c.bytes);
    engine.SetSleeper(std::ref(m_sleeper));
    engine.Initialise();
    EXPECT_EQ(m_observer.Text(CtlLabel1), "Bytes transmitted:");
    RunToEnd(engine);
    const size_t sentBeforeClose = [&] {
        std::lock_guard<std::mutex> lock(wire->mutex);
        return wire->shortMessages.size();
    }();
    EXPECT_EQ(engine.Complete(), !c.caption.empty());
    {
        std::lock_guard<std::mutex> lock(wire->mutex);
        EXPECT_EQ(std::vector<Bytes>(wire->shortMessages.begin(),
                                     wire->shortMessages.begin() + static_cast<long>(sentBeforeClose)),
                  c.shortMessages);
    }
    EXPECT_EQ(wire->SysexBytes(), c.sysex);
    EXPECT_EQ(m_observer.Value(CtlValue1), c.transmitted);
    if (c.caption.empty()) {
        EXPECT_TRUE(m_prompter.Messages().empty());
        EXPECT_TRUE(m_observer.Saw("Transmission complete."));
    } else {
        ASSERT_EQ(m_prompter.Messages().size(), 1u);
        EXPECT_EQ(m_prompter.Messages()[0].caption, c.caption);
        EXPECT_EQ(m_prompter.Messages()[0].icon, Prompter::Icon::Stop);
        EXPECT_EQ(m_prompter.Messages()[0].text, c.text);
        EXPECT_TRUE(m_observer.Saw("Transmission incomplete!"));
    }
}

INSTANTIATE_TEST_SUITE_P(
    Strings, TestSendTest,
    ::testing::Values(
        TestSendCase{"RunningStatus",
                     {0x90, 0x3C, 0x40, 0x3C, 0x00},
                     {{0x90, 0x3C, 0x40}, {0x90, 0x3C, 0x00}},
                     {},
                     "",
                     "",
                     5},
        TestSendCase{
            "DataFirst", {0x3C, 0x40}, {}, {}, kConsistency, "Error handling data string at byte 1.", 0},
        TestSendCase{"MissingSecondDataByte",
                     {0x90, 0x3C},
                     {},
                     {},
                     kConsistency,
                     "Data string consistency error at byte 3.  Missing data byte 2.",
                     0},
        TestSendCase{"MissingDataByte",
                     {0xC0},
                     {},
                     {},
                     kConsistency,
                     "Data string consistency error at byte 2.  Missing data byte 1.",
                     1},
        TestSendCase{"MissingBothDataBytes",
                     {0xC1, 0x05, 0xB0},
                     {{0xC1, 0x05}},
                     {},
                     kConsistency,
                     "Data string consistency error at byte 4.  Missing data bytes 1 and 2.",
                     3},
        TestSendCase{"RunningStatusAfterRealtime",
                     {0xF8, 0x3C},
                     {{0xF8}},
                     {},
                     kConsistency,
                     "Error handling running status messages.",
                     1},
        TestSendCase{"SysexThenControlChange",
                     {0xF0, 0x7E, 0x7F, 0x09, 0x01, 0xF7, 0xB0, 0x07, 0x64},
                     {{0xB0, 0x07, 0x64}},
                     {0xF0, 0x7E, 0x7F, 0x09, 0x01, 0xF7},
                     "",
                     "",
                     9},
        TestSendCase{"DataAfterSysex",
                     {0xF0, 0x01, 0xF7, 0x05},
                     {},
                     {0xF0, 0x01, 0xF7},
                     kConsistency,
                     "Error handling data string at byte 4.",
                     3},
        TestSendCase{"NestedSysex",
                     {0xF0, 0xF0, 0x01, 0xF7, 0x02, 0xF7, 0xC0, 0x01},
                     {{0xC0, 0x01}},
                     {0xF0, 0xF0, 0x01, 0xF7, 0x02, 0xF7},
                     "",
                     "",
                     8},
        // Only a string whose last 0xF0 has no 0xF7 after it, and that the loop would send to its
        // end, is refused before sending; any other meets its first fault where it lies.
        TestSendCase{"UnclosedSysex",
                     {0xF0, 0x7E, 0x7F, 0x09, 0x01},
                     {},
                     {},
                     kConsistency,
                     "Data string consistency error at byte 1. System exclusive (F0) without an end (F7).",
                     0},
        TestSendCase{"InnerStartLeftOpen",
                     {0xC0, 0x01, 0xF0, 0x01, 0xF7, 0xF0, 0x02},
                     {},
                     {},
                     kConsistency,
                     "Data string consistency error at byte 6. System exclusive (F0) without an end (F7).",
                     0},
        TestSendCase{"DataFirstThenUnclosedSysex",
                     {0x3C, 0x40, 0xF0, 0x01},
                     {},
                     {},
                     kConsistency,
                     "Error handling data string at byte 1.",
                     0},
        TestSendCase{
            "NestedStartEndsOnTheWire", {0xF0, 0xF0, 0x01, 0xF7}, {}, {0xF0, 0xF0, 0x01, 0xF7}, "", "", 4},
        TestSendCase{"StrayEndOfExclusive",
                     {0xC0, 0x01, 0xF7},
                     {{0xC0, 0x01}},
                     {},
                     kDevice,
                     "Error: The specified command was carried out.\nError location: DSimpleMidiSend (254)\n",
                     2},
        TestSendCase{"StrayEndBeforeUnclosedSysex",
                     {0xF7, 0xF0, 0x01},
                     {},
                     {},
                     kDevice,
                     "Error: The specified command was carried out.\nError location: DSimpleMidiSend (254)\n",
                     0}),
    [](const ::testing::TestParamInfo<TestSendCase>& info) { return std::string(info.param.name); });

TEST_F(EngineTest, TestSendSilencesNotesLeftSounding) {
    auto wire = InitRecorder();
    TestSendEngine engine(m_observer, m_prompter, TransferSettings(), {0x91, 0x3C, 0x40});
    engine.SetSleeper(std::ref(m_sleeper));
    engine.Initialise();
    RunToEnd(engine);
    EXPECT_FALSE(engine.Complete());
    std::lock_guard<std::mutex> lock(wire->mutex);
    EXPECT_EQ(wire->shortMessages, (std::vector<Bytes>{{0x91, 0x3C, 0x40}, {0x91, 0x3C, 0x00}}));
}

TEST_F(EngineTest, AbortedTestSendEndsTheMessageOnTheWire) {
    auto wire = InitRecorder();
    Bytes text(600, 0x01);
    text.front() = 0xF0;
    text.back() = 0xF7;
    TestSendEngine engine(m_observer, m_prompter, TransferSettings(), text);
    engine.SetSleeper(std::ref(m_sleeper));
    // At the first pause, once the first buffer has reached the wire.
    m_sleeper.At(60, 1, [&] {
        while (wire->SysexBytes().size() < 256)
            std::this_thread::yield();
        engine.Abort();
    });
    engine.Initialise();
    RunToEnd(engine);
    EXPECT_FALSE(engine.Complete());
    Bytes expected(text.begin(), text.begin() + 256);
    expected.push_back(0xF7);
    EXPECT_EQ(wire->SysexBytes(), expected);
}

TEST_F(EngineTest, TestSendToAMissingPortIsLocation86) {
    InitRecorder();
    TransferSettings settings;
    settings.outputDevice = 3;
    TestSendEngine engine(m_observer, m_prompter, settings, {0xC0, 0x01});
    engine.Initialise();
    RunToEnd(engine);
    EXPECT_TRUE(engine.Complete());
    ASSERT_EQ(m_prompter.Messages().size(), 1u);
    EXPECT_EQ(m_prompter.Messages()[0].text,
              "Error: " + MidiOutErrorText(MidiErrBadDevice) + "\nError location: DSimpleMidiSend (86)\n");
}

// A service that starts after the layer (a JACK server started later) is found by name when a
// transfer starts.
TEST_F(EngineTest, TransferFindsItsPortOnAServiceStartedLater) {
    FakeMidiBackend* jack = nullptr;
    std::vector<std::unique_ptr<MidiBackend>> backends;
    backends.push_back(std::make_unique<SimulatorBackend>());
    ASSERT_EQ(MidiPortsInit(std::move(backends),
                            [&](const std::vector<std::string>& names) {
                                std::vector<std::unique_ptr<MidiBackend>> found;
                                if (names.size() == 1)
                                    found.push_back(
                                        std::make_unique<FakeMidiBackend>("JACK", std::vector<std::string>{},
                                                                          std::vector<std::string>{"synth"}));
                                jack = found.empty() ? jack : static_cast<FakeMidiBackend*>(found[0].get());
                                return found;
                            }),
              1);
    TransferSettings settings;
    settings.outputDeviceName = "JACK: synth";
    TestSendEngine engine(m_observer, m_prompter, settings, {0xC0, 0x01});
    engine.SetSleeper(std::ref(m_sleeper));
    engine.Initialise();
    RunToEnd(engine);
    EXPECT_FALSE(engine.Complete());
    ASSERT_NE(jack, nullptr);
    ASSERT_EQ(jack->SentMessages().size(), 1u);
    EXPECT_EQ(jack->SentMessages()[0].bytes, (Bytes{0xC0, 0x01}));
}

// A back end whose send never returns ends the transfer with the device error: the worker's waits
// all end, so the completion comes and the caller's window closes.
TEST_F(EngineTest, ASendThatNeverReturnsEndsTheTransferWithADeviceError) {
    auto fake =
        std::make_unique<FakeMidiBackend>("Stuck", std::vector<std::string>{}, std::vector<std::string>{"S"});
    FakeMidiBackend& stuck = *fake;
    std::vector<std::unique_ptr<MidiBackend>> backends;
    backends.push_back(std::move(fake));
    ASSERT_EQ(MidiPortsInit(std::move(backends)), 1);
    stuck.HoldSysex(true);
    Bytes text(2000, 0x01);
    text.front() = 0xF0;
    text.back() = 0xF7;
    {
        TestSendEngine engine(m_observer, m_prompter, TransferSettings(), text);
        engine.SetSleeper(std::ref(m_sleeper));
        engine.Initialise();
        RunToEnd(engine);
        EXPECT_TRUE(engine.Complete());
    }
    ASSERT_EQ(m_prompter.Messages().size(), 1u);
    EXPECT_EQ(m_prompter.Messages()[0].caption, "MIDI Device Error");
    EXPECT_EQ(m_prompter.Messages()[0].text, "Error: The MIDI output stopped taking data; the transfer was "
                                             "ended.\nError location: DSimpleMidiSend (287)\n");
    EXPECT_TRUE(m_observer.Saw("Transmission incomplete!"));
    stuck.HoldSysex(false);
    const auto limit = std::chrono::steady_clock::now() + std::chrono::seconds(20);
    while (MidiPortsTerm() != 1 && std::chrono::steady_clock::now() < limit)
        std::this_thread::yield();
}

} // namespace
