#include "dump/DumpErrors.h"
#include "midi/Riv10Device.h"
#include "midi/RtMidiVirtualDevice.h"
#include "midi/SimulatorBackend.h"

#include <gtest/gtest.h>

#include <algorithm>
#include <chrono>
#include <condition_variable>
#include <memory>
#include <mutex>
#include <string>
#include <vector>

namespace {

using Bytes = std::vector<uint8_t>;

// Collects what an input delivers; the test thread waits on it.
class CollectingReceiver : public MidiInputReceiver {
public:
    void ShortMessage(const uint8_t* /*bytes*/, size_t /*count*/, uint32_t /*timeMs*/) override {
        std::lock_guard<std::mutex> lock(m_mutex);
        ++m_shortMessages;
        m_changed.notify_all();
    }

    void SysexBytes(const uint8_t* bytes, size_t count, uint32_t timeMs) override {
        std::lock_guard<std::mutex> lock(m_mutex);
        m_bytes.insert(m_bytes.end(), bytes, bytes + count);
        m_chunkSizes.push_back(count);
        m_times.push_back(timeMs);
        m_changed.notify_all();
    }

    // False only if the bytes never come; the limit guards against a hang, it measures nothing.
    bool WaitForBytes(size_t count) {
        std::unique_lock<std::mutex> lock(m_mutex);
        return m_changed.wait_for(lock, std::chrono::seconds(30), [&] { return m_bytes.size() >= count; });
    }

    Bytes Received() {
        std::lock_guard<std::mutex> lock(m_mutex);
        return m_bytes;
    }
    size_t ByteCount() {
        std::lock_guard<std::mutex> lock(m_mutex);
        return m_bytes.size();
    }
    std::vector<size_t> ChunkSizes() {
        std::lock_guard<std::mutex> lock(m_mutex);
        return m_chunkSizes;
    }
    std::vector<uint32_t> Times() {
        std::lock_guard<std::mutex> lock(m_mutex);
        return m_times;
    }
    int ShortMessages() {
        std::lock_guard<std::mutex> lock(m_mutex);
        return m_shortMessages;
    }

private:
    std::mutex m_mutex;
    std::condition_variable m_changed;
    Bytes m_bytes;
    std::vector<size_t> m_chunkSizes;
    std::vector<uint32_t> m_times;
    int m_shortMessages = 0;
};

// Header byte 5 is the device id; any other value fails the check with DumpBadDeviceId.
Bytes WithWrongDeviceId(Bytes dump) {
    dump.at(5) = 0x0F;
    return dump;
}

void Feed(Riv10Device& device, const Bytes& bytes, size_t chunk) {
    for (size_t offset = 0; offset < bytes.size(); offset += chunk)
        device.Receive(bytes.data() + offset, std::min(chunk, bytes.size() - offset));
}

// ---- The device ------------------------------------------------------------------------------

TEST(Riv10Device, StartsWithTheDemoDumpAndNothingReceived) {
    const Riv10Device device;
    EXPECT_EQ(device.Dump(), Riv10Device::DemoDump());
    EXPECT_EQ(device.ReceivedCount(), 0);
    EXPECT_EQ(device.LastCheckCode(), -1);
    EXPECT_TRUE(device.LastReceived().empty());
}

TEST(Riv10Device, AssemblesOneMessageWhateverTheChunking) {
    const Bytes demo = Riv10Device::DemoDump();
    for (size_t chunk : {size_t{1}, size_t{7}, size_t{256}, demo.size()}) {
        SCOPED_TRACE(chunk);
        Riv10Device device(Bytes{});
        std::vector<int> codes;
        Bytes reported;
        device.SetOnDumpReceived([&](const Bytes& dump, int code) {
            codes.push_back(code);
            reported = dump;
        });
        Feed(device, demo, chunk);
        EXPECT_EQ(device.ReceivedCount(), 1);
        EXPECT_EQ(device.LastReceived(), demo);
        EXPECT_EQ(device.LastCheckCode(), DumpOk);
        EXPECT_EQ(codes, std::vector<int>{DumpOk});
        EXPECT_EQ(reported, demo);
    }
}

TEST(Riv10Device, IgnoresBytesOutsideAMessageAndRealtimeBytesInside) {
    const Bytes demo = Riv10Device::DemoDump();
    Bytes stream = {0x01, 0x90, 0x40, 0x7F, 0xF7, 0xFE, 0xB0, 0x07};
    for (size_t i = 0; i < demo.size(); ++i) {
        stream.push_back(demo[i]);
        if (i % 100 == 1)
            stream.push_back(0xF8); // clock, right after the start and between data bytes
        if (i % 333 == 2)
            stream.push_back(0xFE); // active sensing
    }
    stream.insert(stream.end(), {0xFF, 0x80, 0x40, 0x00, 0x33});
    Riv10Device device(Bytes{});
    Feed(device, stream, 5);
    EXPECT_EQ(device.ReceivedCount(), 1);
    EXPECT_EQ(device.LastReceived(), demo);
    EXPECT_EQ(device.LastCheckCode(), DumpOk);
}

TEST(Riv10Device, AStatusByteOrANewStartAbandonsAnUnfinishedMessage) {
    const Bytes demo = Riv10Device::DemoDump();
    Riv10Device device(Bytes{});
    device.Receive(demo.data(), 20);
    const Bytes noteOn = {0x90, 0x40, 0x7F, 0x01, 0xF7};
    device.Receive(noteOn.data(), noteOn.size());
    EXPECT_EQ(device.ReceivedCount(), 0);

    device.Receive(demo.data(), 30); // never finished: the next start replaces it
    Feed(device, demo, 64);
    EXPECT_EQ(device.ReceivedCount(), 1);
    EXPECT_EQ(device.LastReceived(), demo);
}

TEST(Riv10Device, ChecksEveryMessageAndKeepsItWhateverTheCode) {
    const Bytes demo = Riv10Device::DemoDump();
    const Bytes wrongId = WithWrongDeviceId(demo);
    const Bytes tiny = {0xF0, 0x01, 0xF7}; // another maker's message
    Riv10Device device;

    Feed(device, wrongId, 100);
    EXPECT_EQ(device.LastCheckCode(), DumpBadDeviceId);
    EXPECT_EQ(device.Dump(), wrongId);

    Feed(device, tiny, 2);
    EXPECT_EQ(device.LastCheckCode(), DumpBadManufacturer0);
    EXPECT_EQ(device.Dump(), tiny);

    Feed(device, demo, 100);
    EXPECT_EQ(device.LastCheckCode(), DumpOk);
    EXPECT_EQ(device.Dump(), demo);
    EXPECT_EQ(device.ReceivedCount(), 3);
}

TEST(Riv10Device, ReportsEachMessageOfAChunkInOrderAndTheCallbackMayReadTheDevice) {
    const Bytes demo = Riv10Device::DemoDump();
    const Bytes wrongId = WithWrongDeviceId(demo);
    Bytes both = wrongId;
    both.insert(both.end(), demo.begin(), demo.end());
    Riv10Device device(Bytes{});
    std::vector<int> codes;
    std::vector<Bytes> keptAtCallback;
    device.SetOnDumpReceived([&](const Bytes&, int code) {
        codes.push_back(code);
        keptAtCallback.push_back(device.Dump()); // would deadlock if called under the device's lock
    });
    device.Receive(both.data(), both.size());
    EXPECT_EQ(codes, (std::vector<int>{DumpBadDeviceId, DumpOk}));
    ASSERT_EQ(keptAtCallback.size(), 2u);
    EXPECT_EQ(keptAtCallback[1], demo);
}

// ---- The simulator back end ------------------------------------------------------------------

class SimulatorBackendTest : public ::testing::Test {
protected:
    void SetUp() override { backend.SetSendDelayMs(0); }

    std::unique_ptr<MidiBackendInput> OpenInput() {
        std::unique_ptr<MidiBackendInput> input;
        std::string error;
        EXPECT_EQ(backend.OpenInput(0, receiver, input, error), 0) << error;
        return input;
    }

    std::shared_ptr<Riv10Device> device = std::make_shared<Riv10Device>();
    SimulatorBackend backend{device};
    CollectingReceiver receiver;
    std::string error;
};

TEST_F(SimulatorBackendTest, HasOnePortEachWayAndRefusesOtherIndexes) {
    EXPECT_EQ(backend.InputNames(), std::vector<std::string>{"RIV 10 Simulator"});
    EXPECT_EQ(backend.OutputNames(), std::vector<std::string>{"RIV 10 Simulator"});

    std::unique_ptr<MidiBackendInput> input;
    EXPECT_EQ(backend.OpenInput(1, receiver, input, error), 2);
    EXPECT_FALSE(error.empty());
    EXPECT_EQ(input, nullptr);

    error.clear();
    std::unique_ptr<MidiBackendOutput> output;
    EXPECT_EQ(backend.OpenOutput(1, output, error), 2);
    EXPECT_FALSE(error.empty());
    EXPECT_EQ(output, nullptr);
}

TEST_F(SimulatorBackendTest, SendsTheDumpOnlyOnceStartedInSmallTimedChunks) {
    backend.SetBaud(0);
    auto input = OpenInput();
    ASSERT_NE(input, nullptr);
    EXPECT_EQ(receiver.ByteCount(), 0u);

    ASSERT_EQ(input->Start(error), 0);
    const Bytes demo = Riv10Device::DemoDump();
    ASSERT_TRUE(receiver.WaitForBytes(demo.size()));
    ASSERT_EQ(input->Stop(error), 0);
    EXPECT_EQ(receiver.Received(), demo);
    const std::vector<size_t> sizes = receiver.ChunkSizes();
    EXPECT_GT(sizes.size(), 1u);
    EXPECT_LE(*std::max_element(sizes.begin(), sizes.end()), 32u);
    const std::vector<uint32_t> times = receiver.Times();
    EXPECT_TRUE(std::is_sorted(times.begin(), times.end()));
}

TEST_F(SimulatorBackendTest, PacedSendingDeliversTheWholeDumpInOrder) {
    backend.SetBaud(312500); // ten times the MIDI wire, to keep the test short
    auto input = OpenInput();
    ASSERT_EQ(input->Start(error), 0);
    const Bytes demo = Riv10Device::DemoDump();
    ASSERT_TRUE(receiver.WaitForBytes(demo.size()));
    input.reset();
    EXPECT_EQ(receiver.Received(), demo);
}

TEST_F(SimulatorBackendTest, SendsNothingWhenTheUserNeverStartsADump) {
    backend.SetBaud(0);
    backend.SetSendOnStart(false);
    auto input = OpenInput();
    ASSERT_EQ(input->Start(error), 0);
    ASSERT_EQ(input->Stop(error), 0);
    EXPECT_EQ(receiver.ByteCount(), 0u);
}

TEST_F(SimulatorBackendTest, StopCancelsASendInProgressAndStartingAgainSendsAfresh) {
    backend.SetBaud(1200); // the demo dump would take about 12 s
    auto input = OpenInput();
    ASSERT_EQ(input->Start(error), 0);
    ASSERT_TRUE(receiver.WaitForBytes(1));
    ASSERT_EQ(input->Stop(error), 0);
    const size_t before = receiver.ByteCount();
    const Bytes demo = Riv10Device::DemoDump();
    EXPECT_LT(before, demo.size());

    backend.SetBaud(0);
    ASSERT_EQ(input->Start(error), 0);
    ASSERT_TRUE(receiver.WaitForBytes(before + demo.size()));
    input.reset();
    const Bytes all = receiver.Received();
    EXPECT_EQ(Bytes(all.begin() + static_cast<std::ptrdiff_t>(before), all.end()), demo);
}

TEST_F(SimulatorBackendTest, DestroyingAStartedInputCancelsTheSend) {
    backend.SetBaud(1200);
    auto input = OpenInput();
    ASSERT_EQ(input->Start(error), 0);
    ASSERT_TRUE(receiver.WaitForBytes(1));
    input.reset();
    EXPECT_LT(receiver.ByteCount(), Riv10Device::DemoDump().size());
}

TEST_F(SimulatorBackendTest, OutputPacesAtTheBaudRate) {
    std::unique_ptr<MidiBackendOutput> output;
    ASSERT_EQ(backend.OpenOutput(0, output, error), 0);
    EXPECT_EQ(output->WireTimePerByte(), std::chrono::microseconds(320));
    backend.SetBaud(9600);
    EXPECT_EQ(output->WireTimePerByte(), std::chrono::microseconds(1041));
    backend.SetBaud(0);
    EXPECT_EQ(output->WireTimePerByte(), std::chrono::microseconds(0));
}

TEST_F(SimulatorBackendTest, AnUploadedDumpIsTheNextOneSent) {
    backend.SetBaud(0);
    const Bytes uploaded = WithWrongDeviceId(Riv10Device::DemoDump());
    std::unique_ptr<MidiBackendOutput> output;
    ASSERT_EQ(backend.OpenOutput(0, output, error), 0);
    const uint8_t noteOn[] = {0x90, 0x40, 0x7F};
    EXPECT_EQ(output->SendShort(noteOn, 3, error), 0);
    for (size_t offset = 0; offset < uploaded.size(); offset += 256) {
        const size_t count = std::min<size_t>(256, uploaded.size() - offset);
        ASSERT_EQ(output->SendSysex(uploaded.data() + offset, count, error), 0);
    }
    EXPECT_EQ(device->ReceivedCount(), 1);
    EXPECT_EQ(device->LastCheckCode(), DumpBadDeviceId);

    auto input = OpenInput();
    ASSERT_EQ(input->Start(error), 0);
    ASSERT_TRUE(receiver.WaitForBytes(uploaded.size()));
    input.reset();
    EXPECT_EQ(receiver.Received(), uploaded);
}

// ---- The device on the computer's MIDI service ----------------------------------------------

TEST(RtMidiVirtualDevice, AnUnknownServiceDoesNotOpenAndNothingIsSent) {
    RtMidiVirtualDevice simulator("no such service", std::make_shared<Riv10Device>(), 0);
    std::string error;
    EXPECT_FALSE(simulator.Open(error));
    EXPECT_FALSE(error.empty());
    EXPECT_FALSE(simulator.IsOpen());

    error.clear();
    EXPECT_FALSE(simulator.SendDump(error));
    EXPECT_FALSE(error.empty());
}

} // namespace
