#pragma once

// A MIDI back end for tests of the port layer. It records what the layer sends, lets a test deliver
// input as a service's thread would, and can hold system exclusive chunks inside SendSysex, as a
// driver holds buffers it has not played yet.
//
// Input is delivered whenever an input is open, started or not, so tests see the layer's own
// gate. Destroying an input waits for a delivery in progress, as the layer requires of back ends.

#include "midi/MidiBackend.h"

#include <chrono>
#include <condition_variable>
#include <cstdint>
#include <deque>
#include <memory>
#include <mutex>
#include <string>
#include <utility>
#include <vector>

class FakeMidiBackend : public MidiBackend {
public:
    struct Sent {
        bool sysex = false;
        std::vector<uint8_t> bytes;
    };

    FakeMidiBackend(std::string name, std::vector<std::string> inputs, std::vector<std::string> outputs)
        : m_name(std::move(name)), m_inputs(std::move(inputs)), m_outputs(std::move(outputs)) {}

    std::string Name() const override { return m_name; }
    bool ServiceLost() override {
        std::lock_guard<std::mutex> lock(m_mutex);
        return m_lost;
    }
    std::vector<std::string> InputNames() override { return m_inputs; }
    std::vector<std::string> OutputNames() override { return m_outputs; }

    int OpenInput(size_t index, MidiInputReceiver& receiver, std::unique_ptr<MidiBackendInput>& input,
                  std::string& error) override {
        std::lock_guard<std::mutex> lock(m_mutex);
        m_openedIndex = index;
        if (m_openCode != 0) {
            error = m_openText;
            return m_openCode;
        }
        input = std::make_unique<Input>(*this);
        std::lock_guard<std::mutex> delivering(m_deliver);
        m_receiver = &receiver;
        return 0;
    }

    int OpenOutput(size_t index, std::unique_ptr<MidiBackendOutput>& output, std::string& error) override {
        std::lock_guard<std::mutex> lock(m_mutex);
        m_openedIndex = index;
        if (m_openCode != 0) {
            error = m_openText;
            return m_openCode;
        }
        output = std::make_unique<Output>(*this);
        return 0;
    }

    // ---- The test's side. ----

    void FailOpens(int code, std::string text) { Set(m_openCode, m_openText, code, std::move(text)); }
    // The service behind the lists has gone.
    void LoseService() {
        std::lock_guard<std::mutex> lock(m_mutex);
        m_lost = true;
    }
    void FailStarts(int code, std::string text) { Set(m_startCode, m_startText, code, std::move(text)); }
    // This back end's own index of the last port opened.
    size_t OpenedIndex() {
        std::lock_guard<std::mutex> lock(m_mutex);
        return m_openedIndex;
    }

    void InjectShort(std::vector<uint8_t> bytes, uint32_t timeMs = 0) {
        std::lock_guard<std::mutex> delivering(m_deliver);
        if (m_receiver != nullptr)
            m_receiver->ShortMessage(bytes.data(), bytes.size(), timeMs);
    }
    void InjectSysex(const uint8_t* bytes, size_t count, uint32_t timeMs = 0) {
        std::lock_guard<std::mutex> delivering(m_deliver);
        if (m_receiver != nullptr)
            m_receiver->SysexBytes(bytes, count, timeMs);
    }
    void InjectSysex(const std::vector<uint8_t>& bytes, uint32_t timeMs = 0) {
        InjectSysex(bytes.data(), bytes.size(), timeMs);
    }

    // While held, SendSysex waits before it takes a chunk.
    void HoldSysex(bool hold) {
        {
            std::lock_guard<std::mutex> lock(m_mutex);
            m_hold = hold;
        }
        m_changed.notify_all();
    }
    // Codes the next SendSysex calls return instead of taking their chunk (-1: no room now).
    void FailSysex(std::vector<int> codes, std::string text = "") {
        std::lock_guard<std::mutex> lock(m_mutex);
        m_sysexCodes.assign(codes.begin(), codes.end());
        m_sysexText = std::move(text);
    }
    void SetWireTimePerByte(std::chrono::microseconds perByte) {
        std::lock_guard<std::mutex> lock(m_mutex);
        m_wire = perByte;
    }
    // Waits until SendSysex was entered `calls` times; false only if the safety limit ran out.
    bool WaitForSysexCalls(size_t calls) {
        std::unique_lock<std::mutex> lock(m_mutex);
        return m_changed.wait_for(lock, std::chrono::seconds(20), [&] { return m_sysexCalls >= calls; });
    }
    size_t SysexCalls() {
        std::lock_guard<std::mutex> lock(m_mutex);
        return m_sysexCalls;
    }

    std::vector<Sent> SentMessages() {
        std::lock_guard<std::mutex> lock(m_mutex);
        return m_sent;
    }
    std::vector<size_t> ChunkSizes() {
        std::vector<size_t> sizes;
        for (const Sent& sent : SentMessages()) {
            if (sent.sysex)
                sizes.push_back(sent.bytes.size());
        }
        return sizes;
    }
    std::vector<uint8_t> SysexSent() {
        std::vector<uint8_t> bytes;
        for (const Sent& sent : SentMessages()) {
            if (sent.sysex)
                bytes.insert(bytes.end(), sent.bytes.begin(), sent.bytes.end());
        }
        return bytes;
    }

private:
    class Input : public MidiBackendInput {
    public:
        explicit Input(FakeMidiBackend& owner) : m_owner(owner) {}
        ~Input() override {
            std::lock_guard<std::mutex> delivering(m_owner.m_deliver);
            m_owner.m_receiver = nullptr;
        }
        int Start(std::string& error) override {
            std::lock_guard<std::mutex> lock(m_owner.m_mutex);
            error = m_owner.m_startText;
            return m_owner.m_startCode;
        }
        int Stop(std::string&) override { return 0; }

    private:
        FakeMidiBackend& m_owner;
    };

    class Output : public MidiBackendOutput {
    public:
        explicit Output(FakeMidiBackend& owner) : m_owner(owner) {}
        int SendShort(const uint8_t* bytes, size_t count, std::string&) override {
            std::lock_guard<std::mutex> lock(m_owner.m_mutex);
            m_owner.m_sent.push_back({false, std::vector<uint8_t>(bytes, bytes + count)});
            return 0;
        }
        int SendSysex(const uint8_t* bytes, size_t count, std::string& error) override {
            std::unique_lock<std::mutex> lock(m_owner.m_mutex);
            ++m_owner.m_sysexCalls;
            m_owner.m_changed.notify_all();
            m_owner.m_changed.wait(lock, [this] { return !m_owner.m_hold; });
            if (!m_owner.m_sysexCodes.empty()) {
                const int code = m_owner.m_sysexCodes.front();
                m_owner.m_sysexCodes.pop_front();
                error = m_owner.m_sysexText;
                return code;
            }
            m_owner.m_sent.push_back({true, std::vector<uint8_t>(bytes, bytes + count)});
            return 0;
        }
        std::chrono::microseconds WireTimePerByte() const override {
            std::lock_guard<std::mutex> lock(m_owner.m_mutex);
            return m_owner.m_wire;
        }

    private:
        FakeMidiBackend& m_owner;
    };

    void Set(int& code, std::string& text, int newCode, std::string newText) {
        std::lock_guard<std::mutex> lock(m_mutex);
        code = newCode;
        text = std::move(newText);
    }

    const std::string m_name;
    const std::vector<std::string> m_inputs;
    const std::vector<std::string> m_outputs;

    std::mutex m_deliver; // held while input is delivered
    MidiInputReceiver* m_receiver = nullptr;

    std::mutex m_mutex; // everything below
    std::condition_variable m_changed;
    int m_openCode = 0;
    std::string m_openText;
    int m_startCode = 0;
    std::string m_startText;
    size_t m_openedIndex = SIZE_MAX; // none opened yet
    bool m_lost = false;
    bool m_hold = false;
    std::deque<int> m_sysexCodes;
    std::string m_sysexText;
    size_t m_sysexCalls = 0;
    std::chrono::microseconds m_wire{0};
    std::vector<Sent> m_sent;
};
