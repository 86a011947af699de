#pragma once

// The back-end interface of the port layer: one implementation per MIDI service (RtMidi and its
// APIs) plus the in-process RIV 10 simulator. The layer concatenates the ports of all back ends
// into one input list and one output list addressed by index.

#include <chrono>
#include <cstddef>
#include <cstdint>
#include <memory>
#include <string>
#include <vector>

// Receives what an open input delivers. Called on the back end's own thread (or threads); the
// layer's implementation only moves bytes under its input lock and never blocks for long.
class MidiInputReceiver {
public:
    virtual ~MidiInputReceiver() = default;
    // One complete channel or system message other than system exclusive, 1-3 bytes.
    virtual void ShortMessage(const uint8_t* bytes, size_t count, uint32_t timeMs) = 0;
    // System exclusive bytes in arrival order. A message may arrive in many calls; one call may
    // end a message and start the next. Realtime bytes (0xF8-0xFF) found here are realtime
    // messages, not data: the layer takes them out of the stream.
    virtual void SysexBytes(const uint8_t* bytes, size_t count, uint32_t timeMs) = 0;
};

class MidiBackendInput {
public:
    virtual ~MidiBackendInput() = default;
    // Delivery to the receiver happens only between Start and Stop.
    virtual int Start(std::string& error) = 0;
    virtual int Stop(std::string& error) = 0;
    // True once the service behind the port has gone (a server stopped, an interface pulled):
    // nothing more will arrive. Sets `error` to what happened. Any thread; takes no lock the
    // receiver takes.
    virtual bool Lost(std::string& /*error*/) { return false; }
};

class MidiBackendOutput {
public:
    virtual ~MidiBackendOutput() = default;
    // A complete short message, sent at once.
    virtual int SendShort(const uint8_t* bytes, size_t count, std::string& error) = 0;
    // One chunk of system exclusive data as the layer cut it (a chunk ends at 0xF7 or when the
    // buffer is full). Called only from the output port's sender thread; hands the bytes to the
    // service and returns. Returns 0, -1 when the service has no room now (nothing was sent; the
    // sender tries the same chunk again), or another code with `error` set.
    virtual int SendSysex(const uint8_t* bytes, size_t count, std::string& error) = 0;
    // Ends a system exclusive message that an abort left open on the wire, so the receiver does
    // not swallow what comes next as part of it. Same thread and codes as SendSysex.
    virtual int CloseSysex(std::string& error) {
        static const uint8_t kEnd = 0xF7;
        return SendSysex(&kEnd, 1, error);
    }
    // How long one byte takes on the wire behind this port. The layer keeps a chunk outstanding
    // for its length times this after it went out, as a hardware driver holds a buffer until the
    // wire has carried it; services that accept bytes at once would otherwise overflow silently.
    // 320 us is the 31,250-baud MIDI wire; zero means no pacing.
    virtual std::chrono::microseconds WireTimePerByte() const { return std::chrono::microseconds(320); }
    // How long the service may hold a chunk beyond its wire time without having failed, as a
    // JACK server between process cycles. Waits for the port allow for it before they end.
    virtual std::chrono::milliseconds StallAllowance() const { return std::chrono::milliseconds(0); }
};

class MidiBackend {
public:
    virtual ~MidiBackend() = default;
    // A short name for messages and for prefixing port names ("ALSA", "JACK", "Simulator").
    virtual std::string Name() const = 0;
    virtual std::vector<std::string> InputNames() = 0;
    virtual std::vector<std::string> OutputNames() = 0;
    // `index` is within this back end's own list. On failure returns a non-zero code and sets
    // `error` to the service's own text.
    virtual int OpenInput(size_t index, MidiInputReceiver& receiver, std::unique_ptr<MidiBackendInput>& input,
                          std::string& error) = 0;
    virtual int OpenOutput(size_t index, std::unique_ptr<MidiBackendOutput>& output, std::string& error) = 0;
    // True once the service behind the lists has gone for good (a JACK server stopped): the lists
    // stay empty even when it runs again, so the layer looks for the service afresh. Opening
    // thread.
    virtual bool ServiceLost() { return false; }
};
