// The MIDI port layer against a fake back end: input rings and filters, output chunking, the
// outstanding-buffer limit, resets, failures and misuse.
#include "midi/MidiPorts.h"
#include "midi/PortNameMatch.h"
#include "midi/SimulatorBackend.h"
#include "support/FakeMidiBackend.h"

#include <gtest/gtest.h>

#include <algorithm>
#include <chrono>
#include <random>
#include <thread>

namespace {

using Bytes = std::vector<uint8_t>;
using Names = std::vector<std::string>;

constexpr uint32_t kOneByteAgo = 1; // any time but the immediate value queues an event

// A system exclusive message of `length` bytes with a body that differs from message to message.
Bytes Message(size_t length, bool terminated = true, size_t seed = 0) {
    Bytes bytes(length);
    for (size_t i = 0; i < length; ++i)
        bytes[i] = static_cast<uint8_t>((i * 7 + seed * 13) & 0x7F);
    bytes.front() = 0xF0;
    if (terminated)
        bytes.back() = 0xF7;
    return bytes;
}

MidiEvent Event(uint8_t status, uint8_t data1 = 0, uint8_t data2 = 0, uint32_t time = kOneByteAgo) {
    MidiEvent event;
    event.time = time;
    event.status = status;
    event.data1 = data1;
    event.data2 = data2;
    return event;
}

// Waits for a state another thread brings about; the limit is only a safety net.
template <class Condition> bool Eventually(Condition condition) {
    const auto limit = std::chrono::steady_clock::now() + std::chrono::seconds(20);
    while (!condition()) {
        if (std::chrono::steady_clock::now() > limit)
            return false;
        std::this_thread::yield();
    }
    return true;
}

Bytes SysexData(const std::vector<MidiEvent>& events) {
    Bytes bytes;
    for (const MidiEvent& event : events) {
        if (event.status == 0xF0)
            bytes.push_back(event.data1);
    }
    return bytes;
}

Bytes ShortStatuses(const std::vector<MidiEvent>& events) {
    Bytes statuses;
    for (const MidiEvent& event : events) {
        if (event.status != 0xF0)
            statuses.push_back(event.status);
    }
    return statuses;
}

class MidiPortsTest : public ::testing::Test {
protected:
    void SetUp() override {
        auto fake = std::make_unique<FakeMidiBackend>("Fake", Names{"In A", "In B"}, Names{"Out A", "Out B"});
        m_fake = fake.get();
        std::vector<std::unique_ptr<MidiBackend>> backends;
        backends.push_back(std::move(fake));
        ASSERT_EQ(MidiPortsInit(std::move(backends)), 1);
    }

    void TearDown() override {
        m_fake->HoldSysex(false);
        InPortClose(m_in);
        OutPortClose(m_out);
        EXPECT_EQ(MidiPortsTerm(), 1);
    }

    void StartInput(uint32_t options = kDownloadPortOptions) {
        ASSERT_EQ(InPortOpen(m_in, nullptr, 0, options), MidiOk);
        ASSERT_EQ(InPortStart(m_in), MidiOk);
    }

    std::vector<MidiEvent> ReadAll() {
        std::vector<MidiEvent> events;
        MidiEvent event;
        while (InPortNextEvent(m_in, event))
            events.push_back(event);
        return events;
    }

    // Puts as the transfer loops do: an event refused for lack of room is offered again.
    int Put(const MidiEvent& event) {
        int code = MidiErrNoRoom;
        Eventually([&] { return (code = OutPortPut(m_out, event)) != MidiErrNoRoom; });
        return code;
    }

    void PutSysex(const Bytes& bytes) {
        for (uint8_t byte : bytes)
            ASSERT_EQ(Put(Event(0xF0, byte)), MidiOk);
    }

    bool SentEverything() {
        return Eventually([&] { return OutPortIdle(m_out); });
    }

    FakeMidiBackend* m_fake = nullptr;
    MidiInPort* m_in = nullptr;
    MidiOutPort* m_out = nullptr;
};

// ---- The layer -------------------------------------------------------------------------------

std::vector<std::unique_ptr<MidiBackend>> Backends(std::unique_ptr<MidiBackend> a,
                                                   std::unique_ptr<MidiBackend> b,
                                                   std::unique_ptr<MidiBackend> c = nullptr) {
    std::vector<std::unique_ptr<MidiBackend>> backends;
    backends.push_back(std::move(a));
    backends.push_back(std::move(b));
    backends.push_back(std::move(c)); // the layer skips a null entry
    return backends;
}

TEST(MidiPortsLayer, ServicePortsArePrefixedOnlyWhenThereAreSeveralServices) {
    const Names through = {"Midi Through"};
    ASSERT_EQ(MidiPortsInit(Backends(std::make_unique<FakeMidiBackend>("ALSA", through, through),
                                     std::make_unique<SimulatorBackend>())),
              1);
    EXPECT_EQ(MidiInDeviceNames(), (Names{"Midi Through", SimulatorBackend::kPortName}));
    ASSERT_EQ(MidiPortsTerm(), 1);

    auto alsa = std::make_unique<FakeMidiBackend>("ALSA", through, through);
    auto jack = std::make_unique<FakeMidiBackend>("JACK", Names{}, Names{"system:playback", "synth"});
    FakeMidiBackend* alsaFake = alsa.get();
    FakeMidiBackend* jackFake = jack.get();
    ASSERT_EQ(MidiPortsInit(Backends(std::move(alsa), std::move(jack), std::make_unique<SimulatorBackend>())),
              1);
    EXPECT_EQ(MidiInDeviceNames(), (Names{"ALSA: Midi Through", SimulatorBackend::kPortName}));
    EXPECT_EQ(MidiOutDeviceNames(), (Names{"ALSA: Midi Through", "JACK: system:playback", "JACK: synth",
                                           SimulatorBackend::kPortName}));
    EXPECT_EQ(MidiPortsBackend("JACK"), jackFake);
    EXPECT_EQ(MidiPortsBackend("CoreMIDI"), nullptr);

    // A device index runs through the services in list order.
    MidiOutPort* out = nullptr;
    ASSERT_EQ(OutPortOpen(out, nullptr, 2, OutPortOptionsFor(256)), MidiOk);
    EXPECT_EQ(jackFake->OpenedIndex(), 1u);
    EXPECT_EQ(alsaFake->OpenedIndex(), SIZE_MAX);
    EXPECT_EQ(OutPortClose(out), MidiOk);
    EXPECT_EQ(MidiPortsTerm(), 1);
}

TEST(MidiPortsLayer, StoredNamesFindTheirPortWithOrWithoutTheServicePrefix) {
    const std::vector<PortNameMatch::Port> ports = {{"ALSA", "X"},     {"ALSA", "Dup"},
                                                    {"ALSA", "Dup"},   {"JACK", "X"},
                                                    {"JACK", "synth"}, {"", "RIV 10 Simulator"}};
    const Names services = {"ALSA", "JACK", "CoreMIDI"};
    struct Row {
        const char* wanted;
        size_t among;
        int found;
    };
    const Row rows[] = {
        {"ALSA: X", 0, 0},
        {"JACK: X", 0, 3},
        {"X", 0, 0},
        {"X", 1, 3},
        {"Dup", 1, 2},
        {"ALSA: Dup", 1, 2},
        {"Dup", 2, -1},
        {"JACK: Dup", 0, -1},
        {"CoreMIDI: X", 0, -1},
        {"synth", 0, 4},
        {"Other: X", 0, -1},
        {"ALSA: ", 0, -1},
        {"RIV 10 Simulator", 0, 5},
        {"JACK: RIV 10 Simulator", 0, -1},
    };
    for (const Row& row : rows)
        EXPECT_EQ(PortNameMatch::Find(ports, services, row.wanted, row.among), row.found)
            << row.wanted << " #" << row.among;

    const Names listed = {"a", "b", "a", "a"};
    EXPECT_EQ(PortNameMatch::IndexAmongSameNames(listed, 0), 0u);
    EXPECT_EQ(PortNameMatch::IndexAmongSameNames(listed, 1), 0u);
    EXPECT_EQ(PortNameMatch::IndexAmongSameNames(listed, 3), 2u);
    EXPECT_EQ(PortNameMatch::IndexAmongSameNames(listed, 4), 0u);
}

// A service that starts after the layer (a JACK server started later) is taken in on the next
// look, before the simulator; one that has gone is looked for afresh once no port uses it.
TEST(MidiPortsLayer, ServicesStartedLaterAreFoundOnTheNextLook) {
    bool jackRunning = false;
    std::vector<Names> asked;
    FakeMidiBackend* jack = nullptr;
    const auto finder = [&](const Names& running) {
        asked.push_back(running);
        std::vector<std::unique_ptr<MidiBackend>> found;
        if (jackRunning && std::find(running.begin(), running.end(), "JACK") == running.end()) {
            auto fresh = std::make_unique<FakeMidiBackend>("JACK", Names{}, Names{"synth"});
            jack = fresh.get();
            found.push_back(std::move(fresh));
        }
        return found;
    };
    ASSERT_EQ(MidiPortsInit(Backends(std::make_unique<FakeMidiBackend>("ALSA", Names{}, Names{"X"}),
                                     std::make_unique<SimulatorBackend>()),
                            finder),
              1);
    MidiPortsRefresh();
    EXPECT_EQ(MidiOutDeviceNames(), (Names{"X", SimulatorBackend::kPortName}));
    jackRunning = true;
    MidiPortsRefresh();
    MidiPortsRefresh(); // nothing new: nothing twice
    EXPECT_EQ(asked.back(), (Names{"ALSA", "JACK", "Simulator"}));
    const Names both = {"ALSA: X", "JACK: synth", SimulatorBackend::kPortName};
    EXPECT_EQ(MidiOutDeviceNames(), both);

    // The server goes while a port of it is open: no new port opens on it, and the service stays
    // until the port is closed.
    FakeMidiBackend* first = jack;
    MidiOutPort* out = nullptr;
    MidiOutPort* another = nullptr;
    ASSERT_EQ(OutPortOpen(out, nullptr, 1, OutPortOptionsFor(256)), MidiOk);
    first->LoseService();
    EXPECT_EQ(OutPortOpen(another, nullptr, 1, OutPortOptionsFor(256)), MidiErrBackend);
    MidiPortsRefresh();
    EXPECT_EQ(MidiPortsBackend("JACK"), first);
    EXPECT_EQ(OutPortClose(out), MidiOk);
    MidiPortsRefresh();
    EXPECT_EQ(asked.back(), (Names{"ALSA", "Simulator"}));
    ASSERT_NE(MidiPortsBackend("JACK"), nullptr);
    EXPECT_FALSE(MidiPortsBackend("JACK")->ServiceLost());
    EXPECT_EQ(MidiOutDeviceNames(), both);
    EXPECT_EQ(MidiPortsTerm(), 1);
}

// A back end that never gives a chunk back is given up once the hand-off has had its time, and
// nobody waits behind it meanwhile: another port sends, the stuck port answers questions. A reset's
// own send (the end of a message left open) goes out without the layer's output lock.
TEST(MidiPortsLayer, ABackEndThatNeverGivesAChunkBackHoldsNobodyUp) {
    auto stuckFake = std::make_unique<FakeMidiBackend>("Stuck", Names{}, Names{"S"});
    auto wellFake = std::make_unique<FakeMidiBackend>("Well", Names{}, Names{"W"});
    FakeMidiBackend& stuck = *stuckFake;
    FakeMidiBackend& well = *wellFake;
    ASSERT_EQ(MidiPortsInit(Backends(std::move(stuckFake), std::move(wellFake))), 1);
    MidiOutPort* s = nullptr;
    MidiOutPort* w = nullptr;
    ASSERT_EQ(OutPortOpen(s, nullptr, 0, OutPortOptionsFor(256)), MidiOk);
    ASSERT_EQ(OutPortOpen(w, nullptr, 1, OutPortOptionsFor(256)), MidiOk);
    const auto put = [](MidiOutPort* port, const Bytes& sysex) {
        for (uint8_t byte : sysex)
            ASSERT_EQ(OutPortPut(port, Event(0xF0, byte)), MidiOk);
    };

    // The end of a message left open, sent by a reset while the back end takes its time.
    put(w, {0xF0, 0x01});
    ASSERT_EQ(OutPortFlush(w), MidiOk);
    ASSERT_TRUE(Eventually([&] { return well.SysexSent().size() == 2; }));
    well.HoldSysex(true);
    std::thread resetting([&] { EXPECT_EQ(OutPortReset(w), MidiOk); });
    ASSERT_TRUE(well.WaitForSysexCalls(2));
    EXPECT_EQ(OutPortPut(s, Event(0xC0, 0x05)), MidiOk);        // the lock is free
    EXPECT_EQ(OutPortPut(w, Event(0xC0, 0x06)), MidiErrNoRoom); // the reset is not over
    well.HoldSysex(false);
    resetting.join();
    EXPECT_EQ(well.SysexSent(), (Bytes{0xF0, 0x01, 0xF7}));

    // A chunk the back end never gives back.
    stuck.HoldSysex(true);
    put(s, {0xF0, 0x02, 0xF7});
    ASSERT_TRUE(stuck.WaitForSysexCalls(1));
    put(w, {0xF0, 0x03, 0xF7});
    ASSERT_TRUE(Eventually([&] { return OutPortIdle(w); }));
    EXPECT_FALSE(OutPortIdle(s));
    EXPECT_EQ(OutPortReset(s), MidiErrBackend);
    EXPECT_EQ(OutPortPut(s, Event(0xC0, 0x07)), MidiErrBackend);
    EXPECT_EQ(MidiOutErrorText(MidiErrBackend),
              "The MIDI output did not give back the data it was handed; it was given up.");
    EXPECT_EQ(OutPortClose(s), MidiErrBackend);
    EXPECT_EQ(s, nullptr);
    EXPECT_EQ(OutPortClose(w), MidiOk);
    // The given-up port still uses its back end until the back end lets go.
    EXPECT_EQ(MidiPortsTerm(), 0);
    stuck.HoldSysex(false);
    EXPECT_TRUE(Eventually([] { return MidiPortsTerm() == 1; }));
}

TEST_F(MidiPortsTest, ErrorTextsAreFixedExceptTheBackEndsOwnPerDirection) {
    for (auto text : {MidiInErrorText, MidiOutErrorText}) {
        EXPECT_EQ(text(MidiOk), "The specified command was carried out.");
        EXPECT_EQ(text(MidiErrBadDevice), "The specified device identifier is out of range.");
        EXPECT_EQ(text(MidiErrNoMemory), "The system is unable to allocate or lock memory.");
        EXPECT_NE(text(MidiErrInputOverflow).find("lost"), std::string::npos);
        EXPECT_FALSE(text(MidiErrNoRoom).empty());
    }

    m_fake->FailOpens(42, "port busy");
    EXPECT_EQ(OutPortOpen(m_out, nullptr, 0, OutPortOptionsFor(256)), MidiErrBackend);
    EXPECT_EQ(m_out, nullptr);
    EXPECT_EQ(MidiOutErrorText(MidiErrBackend), "port busy");
    EXPECT_NE(MidiInErrorText(MidiErrBackend), "port busy");

    m_fake->FailOpens(MidiErrNoMemory, "out of handles"); // a code of ours passes through
    EXPECT_EQ(InPortOpen(m_in, nullptr, 0, kDownloadPortOptions), MidiErrNoMemory);

    m_fake->FailOpens(0, "");
    m_fake->FailStarts(9, "no sequencer");
    ASSERT_EQ(InPortOpen(m_in, nullptr, 0, kDownloadPortOptions), MidiOk);
    EXPECT_EQ(InPortStart(m_in), MidiErrBackend);
    EXPECT_EQ(MidiInErrorText(MidiErrBackend), "no sequencer");
}

TEST_F(MidiPortsTest, DeviceIndexMustBeBelowTheCountAndTheMapperMeansOutputZero) {
    EXPECT_EQ(InPortOpen(m_in, nullptr, 2, kDownloadPortOptions), MidiErrBadDevice);
    EXPECT_EQ(InPortOpen(m_in, nullptr, kMidiMapper, kDownloadPortOptions), MidiErrBadDevice);
    EXPECT_EQ(OutPortOpen(m_out, nullptr, 2, OutPortOptionsFor(256)), MidiErrBadDevice);
    EXPECT_EQ(m_in, nullptr);
    EXPECT_EQ(m_out, nullptr);

    ASSERT_EQ(OutPortOpen(m_out, nullptr, 1, OutPortOptionsFor(256)), MidiOk);
    ASSERT_EQ(OutPortClose(m_out), MidiOk);
    ASSERT_EQ(OutPortOpen(m_out, nullptr, kMidiMapper, OutPortOptionsFor(256)), MidiOk);
    EXPECT_EQ(m_fake->OpenedIndex(), 0u);
}

TEST_F(MidiPortsTest, NullAndStalePortsAreRefusedWithoutHarm) {
    ASSERT_EQ(InPortOpen(m_in, nullptr, 0, kDownloadPortOptions), MidiOk);
    ASSERT_EQ(OutPortOpen(m_out, nullptr, 0, OutPortOptionsFor(256)), MidiOk);
    MidiInPort* staleIn = m_in;
    MidiOutPort* staleOut = m_out;
    // An open port in the variable stays open and in place, and keeps the layer up.
    EXPECT_EQ(InPortOpen(m_in, nullptr, 0, kDownloadPortOptions), MidiErrNoRoom);
    EXPECT_EQ(m_in, staleIn);
    EXPECT_EQ(MidiPortsTerm(), 0);

    ASSERT_EQ(InPortClose(m_in), MidiOk);
    ASSERT_EQ(OutPortClose(m_out), MidiOk);
    EXPECT_EQ(m_in, nullptr);
    EXPECT_EQ(InPortClose(m_in), MidiErrNoRoom);
    for (MidiInPort* port : {staleIn, static_cast<MidiInPort*>(nullptr)}) {
        MidiEvent event;
        EXPECT_EQ(InPortStart(port), MidiErrNoRoom);
        EXPECT_EQ(InPortStop(port), MidiErrNoRoom);
        EXPECT_EQ(InPortError(port), MidiErrNoRoom);
        EXPECT_FALSE(InPortNextEvent(port, event));
    }
    for (MidiOutPort* port : {staleOut, static_cast<MidiOutPort*>(nullptr)}) {
        EXPECT_EQ(OutPortPut(port, Event(0xF0, 0xF0)), MidiErrNoRoom);
        EXPECT_EQ(OutPortReset(port), MidiErrNoRoom);
        EXPECT_TRUE(OutPortIdle(port));
    }
    EXPECT_EQ(OutPortClose(staleOut), MidiErrNoRoom);
    EXPECT_EQ(staleOut, nullptr);
    EXPECT_EQ(InPortOpen(staleIn, nullptr, 0, kDownloadPortOptions), MidiErrNoRoom);
    EXPECT_EQ(staleIn, nullptr);
}

// ---- Input -----------------------------------------------------------------------------------

TEST_F(MidiPortsTest, MessagesLongerThanABufferReadBackInOrderRoundAfterRound) {
    StartInput(0x10002); // two 64-byte buffers asked for
    // Three rounds hold more than the pool, so buffers must come back as they are read.
    for (uint32_t round = 0; round < 3; ++round) {
        const Bytes message = Message(30000, true, round);
        m_fake->InjectSysex(message, 1000 + round);
        const std::vector<MidiEvent> events = ReadAll();
        EXPECT_EQ(SysexData(events), message);
        ASSERT_FALSE(events.empty());
        EXPECT_EQ(events.front().time, 1000 + round); // a message start carries its arrival time
        EXPECT_TRUE(
            std::all_of(events.begin() + 1, events.end(), [](const MidiEvent& e) { return e.time == 0; }));
    }
    EXPECT_EQ(InPortError(m_in), MidiOk);
}

TEST_F(MidiPortsTest, DeliveryOnlyWhileStartedAndUnfinishedMessagesAreReadable) {
    ASSERT_EQ(InPortOpen(m_in, nullptr, 0, kDownloadPortOptions), MidiOk);
    m_fake->InjectSysex({0xF0, 0x01});
    m_fake->InjectShort({0x90, 60, 1});
    EXPECT_TRUE(ReadAll().empty());

    ASSERT_EQ(InPortStart(m_in), MidiOk);
    m_fake->InjectSysex({0xF0, 0x02, 0x03}, 7);
    std::vector<MidiEvent> events = ReadAll(); // neither full nor ended, yet readable
    EXPECT_EQ(SysexData(events), (Bytes{0xF0, 0x02, 0x03}));
    EXPECT_EQ(events.front().time, 7u);
    // A new message after one that never ended starts with its own time.
    m_fake->InjectSysex({0xF0, 0x04, 0xF7, 0xF0}, 9);
    events = ReadAll();
    EXPECT_EQ(SysexData(events), (Bytes{0xF0, 0x04, 0xF7, 0xF0}));
    EXPECT_EQ(events.front().time, 9u);

    ASSERT_EQ(InPortStop(m_in), MidiOk);
    m_fake->InjectSysex({0x05, 0xF7});
    EXPECT_TRUE(ReadAll().empty());
}

TEST_F(MidiPortsTest, ReaderNeverSeesSensingResetOrUndefinedStatusesNorRealtimeAsData) {
    StartInput();
    Bytes statuses = {0x80, 0x91, 0xA2, 0xB3, 0xC4, 0xD5, 0xEF};
    for (int status = 0xF1; status <= 0xFF; ++status) {
        if (status != 0xF7)
            statuses.push_back(static_cast<uint8_t>(status));
    }
    for (uint8_t status : statuses)
        m_fake->InjectShort({status, 0x12, 0x34}, status);
    m_fake->InjectSysex({0xF0, 0x01, 0xF8, 0x02, 0xFE, 0x03, 0xF7}, 55);

    const std::vector<MidiEvent> events = ReadAll();
    EXPECT_EQ(SysexData(events), (Bytes{0xF0, 0x01, 0x02, 0x03, 0xF7}));
    EXPECT_EQ(ShortStatuses(events), (Bytes{0x80, 0x91, 0xA2, 0xB3, 0xC4, 0xD5, 0xEF, 0xF1, 0xF2, 0xF3, 0xF8,
                                            0xFA, 0xFB, 0xFC, 0xF8}));
    ASSERT_EQ(events.size(), 20u);
    const MidiEvent& first = events[5]; // after the system exclusive bytes, which are read first
    EXPECT_EQ(first.Packed(), 0x341280u);
    EXPECT_EQ(first.time, 0x80u);
    EXPECT_EQ(events.back().time, 55u);
}

TEST_F(MidiPortsTest, InputBeyondTheRingOrThePoolIsReportedAndWhatWasKeptIsIntact) {
    StartInput(); // 64 ring entries
    for (uint8_t note = 0; note < 70; ++note)
        m_fake->InjectShort({0x90, note, 1});
    const Bytes stream = Message(70000);
    m_fake->InjectSysex(stream);
    EXPECT_EQ(InPortError(m_in), MidiErrInputOverflow);

    const std::vector<MidiEvent> events = ReadAll();
    const Bytes kept = SysexData(events);
    EXPECT_GE(kept.size(), 65520u);
    ASSERT_LT(kept.size(), stream.size());
    EXPECT_TRUE(std::equal(kept.begin(), kept.end(), stream.begin()));
    ASSERT_EQ(events.size(), kept.size() + 64);
    for (uint8_t note = 0; note < 64; ++note)
        EXPECT_EQ(events[kept.size() + note].data1, note);
}

class WholeDumpTest : public MidiPortsTest, public ::testing::WithParamInterface<uint32_t> {};

TEST_P(WholeDumpTest, DumpDeliveredBeforeAnyReadIsKeptWhole) {
    StartInput(GetParam());
    Bytes expected = {0xF0, 0x7E}; // an unfinished message just before the dump
    m_fake->InjectSysex(expected);
    const Bytes dump = Message(65520);
    m_fake->InjectSysex(dump);
    expected.insert(expected.end(), dump.begin(), dump.end());
    EXPECT_EQ(SysexData(ReadAll()), expected);
    EXPECT_EQ(InPortError(m_in), MidiOk);
}

// The download's options, 64-byte buffers, one large buffer, and a size index past the table.
INSTANTIATE_TEST_SUITE_P(Options, WholeDumpTest,
                         ::testing::Values(kDownloadPortOptions, 0x100C8u, 0x10901u, 0x10F01u));

TEST_F(MidiPortsTest, InputFromAnotherThreadArrivesIntactAndInOrder) {
    StartInput();
    const Bytes dump = Message(65520); // fits the pool, so no pace of the reader can lose data
    std::thread service([&] {
        std::mt19937 random(20240501);
        std::uniform_int_distribution<size_t> chunk(1, 700);
        for (size_t at = 0, count; at < dump.size(); at += count) {
            count = std::min(chunk(random), dump.size() - at);
            m_fake->InjectSysex(dump.data() + at, count, static_cast<uint32_t>(at));
        }
    });
    Bytes received;
    EXPECT_TRUE(Eventually([&] {
        MidiEvent event;
        while (InPortNextEvent(m_in, event))
            received.push_back(event.data1);
        return received.size() >= dump.size();
    }));
    service.join();
    EXPECT_EQ(received, dump);
    EXPECT_EQ(InPortError(m_in), MidiOk);
}

// ---- Output ----------------------------------------------------------------------------------

struct ChunkRow {
    int bufferSize;
    uint32_t options;
    std::vector<size_t> messages;
    bool lastEnded;
    std::vector<size_t> chunks;
};

class ChunkTest : public MidiPortsTest, public ::testing::WithParamInterface<ChunkRow> {};

TEST_P(ChunkTest, ChunksEndAtF7OrWhenTheBufferIsFull) {
    const ChunkRow& row = GetParam();
    EXPECT_EQ(OutPortOptionsFor(row.bufferSize), row.options);
    ASSERT_EQ(OutPortOpen(m_out, nullptr, 0, row.options), MidiOk);
    Bytes stream;
    for (size_t i = 0; i < row.messages.size(); ++i) {
        const Bytes message = Message(row.messages[i], i + 1 < row.messages.size() || row.lastEnded, i);
        stream.insert(stream.end(), message.begin(), message.end());
    }
    PutSysex(stream);
    ASSERT_TRUE(SentEverything());
    EXPECT_EQ(m_fake->ChunkSizes(), row.chunks);
    EXPECT_EQ(m_fake->SysexSent(), stream);
}

INSTANTIATE_TEST_SUITE_P(
    Rows, ChunkTest,
    ::testing::Values(ChunkRow{128, 0x122C8, {600}, true, {256, 256, 88}}, // 128 is not in the table
                      ChunkRow{64, 0x100C8, {10, 10}, true, {10, 10}},
                      ChunkRow{64, 0x100C8, {64}, false, {64}}, // full without an F7
                      ChunkRow{512, 0x133C8, {3, 700}, true, {3, 512, 188}},
                      ChunkRow{32768, 0x199C8, {65520}, true, {32768, 32752}},
                      ChunkRow{1000, 0x122C8, {300, 2}, true, {256, 44, 2}}));

TEST_F(MidiPortsTest, ImmediateSysexAndSysexWithoutBufferingAreDroppedAsSuccess) {
    ASSERT_EQ(OutPortOpen(m_out, nullptr, 0, OutPortOptionsFor(256)), MidiOk);
    EXPECT_EQ(OutPortPut(m_out, Event(0xF0, 0xF0, 0, kMidiTimeImmediate)), MidiOk);
    EXPECT_TRUE(OutPortIdle(m_out)); // nothing went into a buffer
    ASSERT_EQ(OutPortClose(m_out), MidiOk);

    ASSERT_EQ(OutPortOpen(m_out, nullptr, 0, OutPortOptionsFor(256) & ~kPortSysexBuffering), MidiOk);
    EXPECT_EQ(OutPortPut(m_out, Event(0xF0, 0xF0)), MidiOk);
    EXPECT_EQ(OutPortPut(m_out, Event(0xC0, 5, 0, kMidiTimeImmediate)), MidiOk);
    EXPECT_TRUE(OutPortIdle(m_out));
    const std::vector<FakeMidiBackend::Sent> sent = m_fake->SentMessages();
    ASSERT_EQ(sent.size(), 1u);
    EXPECT_FALSE(sent[0].sysex);
    EXPECT_EQ(sent[0].bytes, (Bytes{0xC0, 5}));
}

TEST_F(MidiPortsTest, FourChunksAtTheBackEndHoldSysexButShortMessagesAreTakenInOrder) {
    ASSERT_EQ(OutPortOpen(m_out, nullptr, 0, OutPortOptionsFor(64)), MidiOk);
    m_fake->HoldSysex(true);
    const Bytes message = Message(4 * 64 + 10);
    PutSysex(Bytes(message.begin(), message.begin() + 4 * 64));
    ASSERT_TRUE(m_fake->WaitForSysexCalls(1));

    EXPECT_EQ(OutPortPut(m_out, Event(0xF0, message[256])), MidiErrNoRoom);
    EXPECT_EQ(OutPortPut(m_out, Event(0x90, 60, 100)), MidiOk);
    EXPECT_EQ(OutPortPut(m_out, Event(0xB0, 7, 90, kMidiTimeImmediate)), MidiOk);
    EXPECT_FALSE(OutPortIdle(m_out));

    m_fake->HoldSysex(false);
    PutSysex(Bytes(message.begin() + 256, message.end()));
    ASSERT_TRUE(SentEverything());
    // The short messages go out behind the chunks put before them, not past them.
    const std::vector<FakeMidiBackend::Sent> sent = m_fake->SentMessages();
    ASSERT_EQ(sent.size(), 7u);
    for (size_t i = 0; i < 4; ++i)
        EXPECT_TRUE(sent[i].sysex && sent[i].bytes.size() == 64) << i;
    EXPECT_EQ(sent[4].bytes, (Bytes{0x90, 60, 100}));
    EXPECT_EQ(sent[5].bytes, (Bytes{0xB0, 7, 90}));
    EXPECT_EQ(m_fake->SysexSent(), message);
}

TEST_F(MidiPortsTest, ChunkRefusedForLackOfRoomIsOfferedAgainAndAFailureStaysUntilReset) {
    ASSERT_EQ(OutPortOpen(m_out, nullptr, 0, OutPortOptionsFor(256)), MidiOk);
    m_fake->FailSysex({MidiErrNoRoom, MidiErrNoRoom});
    PutSysex(Message(20));
    ASSERT_TRUE(SentEverything());
    EXPECT_EQ(m_fake->SysexCalls(), 3u);
    EXPECT_EQ(m_fake->SysexSent(), Message(20));

    m_fake->FailSysex({5}, "cable pulled");
    PutSysex(Message(30));
    ASSERT_TRUE(SentEverything());
    EXPECT_EQ(OutPortPut(m_out, Event(0xF0, 0xF0)), MidiErrBackend);
    EXPECT_EQ(OutPortPut(m_out, Event(0x90, 60, 1)), MidiErrBackend);
    EXPECT_EQ(MidiOutErrorText(MidiErrBackend), "cable pulled");

    EXPECT_EQ(OutPortReset(m_out), MidiOk);
    PutSysex(Message(5));
    ASSERT_TRUE(SentEverything());
    EXPECT_EQ(m_fake->ChunkSizes(), (std::vector<size_t>{20, 5}));
}

TEST_F(MidiPortsTest, CloseSilencesSoundingNotesAndAbandonsWaitingChunksAtOnce) {
    // A chunk would stay on the wire far longer than any test run: close must not wait it out.
    m_fake->SetWireTimePerByte(std::chrono::minutes(10));
    ASSERT_EQ(OutPortOpen(m_out, nullptr, 0, OutPortOptionsFor(64)), MidiOk);
    const std::vector<MidiEvent> notes = {Event(0x90, 60, 100), Event(0x93, 60, 100, kMidiTimeImmediate),
                                          Event(0x90, 61, 100), Event(0x90, 62, 100),
                                          Event(0x80, 61, 0),   Event(0x90, 62, 0)};
    for (const MidiEvent& note : notes)
        ASSERT_EQ(OutPortPut(m_out, note), MidiOk);
    PutSysex(Message(150)); // three chunks; the first goes out, two wait behind it
    ASSERT_TRUE(m_fake->WaitForSysexCalls(1));

    EXPECT_EQ(OutPortClose(m_out), MidiOk);
    EXPECT_EQ(m_out, nullptr);
    const std::vector<FakeMidiBackend::Sent> sent = m_fake->SentMessages();
    // The message cut off on the wire is ended before the notes go off.
    ASSERT_EQ(sent.size(), notes.size() + 4);
    EXPECT_TRUE(sent[notes.size()].sysex);
    EXPECT_EQ(sent[notes.size() + 1].bytes, (Bytes{0xF7}));
    EXPECT_EQ(sent[notes.size() + 2].bytes, (Bytes{0x90, 60, 0}));
    EXPECT_EQ(sent[notes.size() + 3].bytes, (Bytes{0x93, 60, 0}));
}

} // namespace
