#include "midi/RtMidiBackend.h"

#include "midi/JackLink.h"

#include <RtMidi.h>

#include <algorithm>
#include <cctype>
#include <chrono>
#include <climits>
#include <cstdio>
#include <exception>
#include <iostream>
#include <mutex>
#include <thread>
#include <utility>

#if defined(_WIN32)
#include <fcntl.h>
#include <io.h>
#else
#include <fcntl.h>
#include <unistd.h>
#endif

// What each API is given, and why (RtMidi 5.0.0).
//
// ALSA: system exclusive data goes out in pieces of at most 256 bytes, one sequencer event each.
//   - alsa-lib refuses an event whose header (28 bytes) and data reach its 16 KB output buffer
//     (snd_seq_event_output_buffer: -EINVAL), so 16,355 bytes is the hard ceiling.
//   - The kernel copies an event into the receiving client's input pool in 28-byte cells; a user
//     client has 200 cells by default and an event needing more is refused outright, so no event
//     above 5,572 bytes reaches another program at all. When that pool overflows the kernel
//     clears it, losing everything queued there.
//   - A hardware port writes the event into the raw MIDI buffer of its driver (4 KB by default)
//     and drops what does not fit ("MIDI output buffer overrun").
//   - The kernel's own raw-MIDI-to-sequencer bridge delivers system exclusive data in 256-byte
//     events, so every receiver copes with that size.
//   - RtMidi encodes with snd_midi_event, whose buffer grows to the largest message sent and is
//     reset when it grows: a continuation piece larger than any before it would lose the state
//     of the message. Pieces never exceed the first piece of their message, so that cannot
//     happen. A piece smaller than the encoder's buffer is held there ("incomplete message!")
//     and goes out with the next bytes of the message: accepted. When the sequencer refuses a
//     piece (the library buffer is full), the encoder has already consumed it, so only a piece
//     that starts a message may be tried again; a refusal inside a message is an error.
//   - Within one chunk, 10 ms pass after every 2 KB, so that a receiving program has read its
//     input pool before it overflows. Only pacing at the wire rate protects a hardware port.
// JACK: pieces of at most 4,096 bytes, 25 ms apart after every 8 KB of one chunk.
//   - RtMidi passes each message through one ring buffer of 16,384 bytes with a 4-byte length in
//     front; a message with length above 16,379 bytes is dropped without any error (measured).
//     When the ring is full, sendMessage yields until the process cycle has emptied it; it
//     never reports "full", and it waits for ever once the server has gone (observed).
//   - The process cycle copies each message into one JACK MIDI event; jackd2's port buffer holds
//     32,720 bytes of events per cycle (measured) and an event that does not fit is dropped.
//     The cycle goes on copying while the sender refills the ring, so the ring does not bound
//     what one cycle takes: 64 KB handed over at once lost 3 or 4 of its 16 pieces in 2 of 6
//     runs here. The pause lets at most two bursts (16 KB) meet in a cycle of up to 25 ms.
//   - 4,096 bytes keeps several pieces in the ring at once, far below both limits, and within
//     what raw MIDI bridges to hardware take in one event.
//   RtMidi's JACK input joins events of one system exclusive message back together.
// CoreMIDI: one whole message per call, at most 65,535 bytes.
//   RtMidi refuses a message longer than 3 bytes that does not start with 0xF0 ("not sysex but
//   > 3 bytes?"), so continuation pieces cannot be sent: the output collects the message up to
//   its 0xF7. RtMidi builds a single packet list on the stack whose packets carry at most 65,535
//   bytes (MIDIPacket.length is 16 bits); the largest dump (65,520 bytes) is one packet.
// WinMM: one whole message per call, at most 65,535 bytes.
//   RtMidi sends only a message that starts with 0xF0 through midiOutLongMsg and refuses any
//   other message longer than 3 bytes, so the output collects the message up to its 0xF7.
//   midiOutPrepareHeader refuses buffers over 64 KB. RtMidi's sendMessage waits until the
//   driver has played the whole message, so the sender thread is busy for its wire time.
// Every API: a warning that a buffer is full comes back as "no room now" (nothing was sent) when
// the piece can be tried again as it stands; any other report from RtMidi is an error carrying
// RtMidi's text.

namespace {

constexpr const char* kClientName = "Tolvane";
constexpr const char* kInPortName = "in";
constexpr const char* kOutPortName = "out";
// Only used by RtMidi when no callback is set; ours is set before the port opens.
constexpr unsigned int kInputQueueLimit = 1024;
// WinMM hands system exclusive input over in these buffers; 64 of 1 KB hold the largest dump
// even if our callback is late. The other APIs grow their buffers as needed.
constexpr unsigned int kSysexBufferBytes = 1024;
constexpr unsigned int kSysexBufferCount = 64;

struct ApiTraits {
    size_t maxMessageBytes;
    bool wholeMessages;   // the API takes no message that continues system exclusive data
    bool statefulEncoder; // the API keeps encoder state from one piece of a message to the next
    // Within one chunk, a pause after each `burstBytes` so that the service drains in between
    // (0: no pause).
    size_t burstBytes;
    std::chrono::milliseconds burstPause;
};

ApiTraits TraitsFor(int api) {
    using std::chrono::milliseconds;
    switch (api) {
    case RtMidi::LINUX_ALSA:
        return {256, false, true, 2048, milliseconds(10)};
    case RtMidi::UNIX_JACK:
        return {4096, false, false, 8192, milliseconds(25)};
    case RtMidi::MACOSX_CORE:
    case RtMidi::WINDOWS_MM:
        return {65535, true, false, 0, milliseconds(0)};
    default:
        return {256, false, false, 0, milliseconds(0)};
    }
}

uint32_t SteadyMs() {
    const auto now = std::chrono::steady_clock::now().time_since_epoch();
    return static_cast<uint32_t>(std::chrono::duration_cast<std::chrono::milliseconds>(now).count());
}

// Sends file descriptor 2 to the null device while an API starts. ALSA, libjack and RtMidi print
// there before (or regardless of) RtMidi's error callback, which can only be set once an RtMidi
// object exists. Process-wide: other threads' error output is lost for that moment.
class StderrSilencer {
public:
    StderrSilencer() {
        std::lock_guard<std::mutex> lock(Mutex());
        if (Depth()++ != 0)
            return;
        std::fflush(stderr);
        std::cerr.flush();
#if defined(_WIN32)
        SavedFd() = _dup(2);
        const int null = _open("NUL", _O_WRONLY);
        if (null >= 0) {
            _dup2(null, 2);
            _close(null);
        }
#else
        SavedFd() = dup(2);
        const int null = open("/dev/null", O_WRONLY | O_CLOEXEC);
        if (null >= 0) {
            dup2(null, 2);
            close(null);
        }
#endif
    }

    ~StderrSilencer() {
        std::lock_guard<std::mutex> lock(Mutex());
        if (--Depth() != 0 || SavedFd() < 0)
            return;
        std::fflush(stderr);
        std::cerr.flush();
#if defined(_WIN32)
        _dup2(SavedFd(), 2);
        _close(SavedFd());
#else
        dup2(SavedFd(), 2);
        close(SavedFd());
#endif
        SavedFd() = -1;
    }

    StderrSilencer(const StderrSilencer&) = delete;
    StderrSilencer& operator=(const StderrSilencer&) = delete;

private:
    static std::mutex& Mutex() {
        static std::mutex mutex;
        return mutex;
    }
    static int& Depth() {
        static int depth = 0;
        return depth;
    }
    static int& SavedFd() {
        static int fd = -1;
        return fd;
    }
};

// The first error RtMidi reported through its callback since the last Clear. RtMidi calls the
// callback on the thread of the failing call, or on its input thread.
class ErrorCapture {
public:
    void Record(RtMidiError::Type type, const std::string& text) {
        if (type == RtMidiError::DEBUG_WARNING)
            return;
        std::lock_guard<std::mutex> lock(m_mutex);
        if (m_has)
            return;
        m_has = true;
        m_type = type;
        m_text = text;
    }

    void Clear() {
        std::lock_guard<std::mutex> lock(m_mutex);
        m_has = false;
        m_text.clear();
    }

    // True (and cleared) when an error was recorded.
    bool Take(RtMidiError::Type& type, std::string& text) {
        std::lock_guard<std::mutex> lock(m_mutex);
        if (!m_has)
            return false;
        m_has = false;
        type = m_type;
        text = std::move(m_text);
        m_text.clear();
        return true;
    }

private:
    std::mutex m_mutex;
    bool m_has = false;
    RtMidiError::Type m_type = RtMidiError::UNSPECIFIED;
    std::string m_text;
};

void OnRtMidiError(RtMidiError::Type type, const std::string& text, void* userData) {
    try {
        static_cast<ErrorCapture*>(userData)->Record(type, text);
    } catch (...) {
        // Out of memory for the text: the caller then sees no error, as without a callback.
    }
}

// The code for an error RtMidi reported while opening a port.
int OpenFailureCode(RtMidiError::Type type) {
    switch (type) {
    case RtMidiError::INVALID_PARAMETER:
    case RtMidiError::INVALID_DEVICE:
    case RtMidiError::NO_DEVICES_FOUND:
        return 2; // the port is gone since it was listed
    default:
        return 1;
    }
}

// True when `text` has "full" as a word ("buffer is full", "ringbuffer full").
bool MentionsFull(const std::string& text) {
    for (size_t at = text.find("full"); at != std::string::npos; at = text.find("full", at + 1)) {
        const bool startsWord = at == 0 || !std::isalpha(static_cast<unsigned char>(text[at - 1]));
        const bool endsWord =
            at + 4 == text.size() || !std::isalpha(static_cast<unsigned char>(text[at + 4]));
        if (startsWord && endsWord)
            return true;
    }
    return false;
}

size_t ShortMessageLength(uint8_t status) {
    if (status >= 0xF8)
        return 1;
    switch (status & 0xF0) {
    case 0xC0:
    case 0xD0:
        return 2;
    case 0xF0:
        return status == 0xF1 || status == 0xF3 ? 2 : status == 0xF2 ? 3 : 1;
    default:
        return 3;
    }
}

// An open RtMidi input. Threads: see RtMidiBackend.
class RtMidiInputPort : public MidiBackendInput {
public:
    explicit RtMidiInputPort(MidiInputReceiver& receiver) : m_receiver(receiver) {}

    ~RtMidiInputPort() override {
        // Closing joins RtMidi's input thread, so no callback runs once this returns.
        StderrSilencer quiet;
        m_in.reset();
    }

    RtMidiInputPort(const RtMidiInputPort&) = delete;
    RtMidiInputPort& operator=(const RtMidiInputPort&) = delete;

    bool Lost(std::string& error) override {
        if (!m_link || !m_link->Gone())
            return false;
        error = JackLink::GoneText();
        return true;
    }

    // `index` is ignored for a virtual port.
    int Open(int api, const std::string& clientName, const std::string& portName, bool isVirtual,
             unsigned index, std::string& error) {
        StderrSilencer quiet;
        try {
            m_in = std::make_unique<RtMidiIn>(static_cast<RtMidi::Api>(api), clientName, kInputQueueLimit);
            m_in->setErrorCallback(&OnRtMidiError, &m_errors);
            // Everything comes through; the port layer applies its own filter.
            m_in->ignoreTypes(false, false, false);
            // Only taken before the port opens.
            m_in->setBufferSize(kSysexBufferBytes, kSysexBufferCount);
            m_in->setCallback(&OnMessage, this);
            if (isVirtual)
                m_in->openVirtualPort(portName);
            else
                m_in->openPort(index, portName);
            if (api == RtMidi::UNIX_JACK) {
                // A JACK input just falls silent when the server goes; the link hears it.
                m_link = std::make_unique<JackLink>();
                if (!m_link->Open())
                    m_link.reset();
            }
            RtMidiError::Type type;
            if (!m_errors.Take(type, error))
                return 0;
            m_in.reset();
            return OpenFailureCode(type);
        } catch (const RtMidiError& e) {
            error = e.getMessage();
        } catch (const std::exception& e) {
            error = e.what();
        }
        m_in.reset();
        return 1;
    }

    int Start(std::string& /*error*/) override {
        std::lock_guard<std::mutex> lock(m_deliverMutex);
        m_started = true;
        return 0;
    }

    int Stop(std::string& /*error*/) override {
        // Taking the delivery lock waits for a delivery in progress.
        std::lock_guard<std::mutex> lock(m_deliverMutex);
        m_started = false;
        return 0;
    }

private:
    static void OnMessage(double /*deltaSeconds*/, std::vector<unsigned char>* message, void* userData) {
        if (message == nullptr || message->empty())
            return;
        try {
            static_cast<RtMidiInputPort*>(userData)->Deliver(message->data(), message->size());
        } catch (...) {
            // Nothing may leave RtMidi's thread; the lost bytes show up as an incomplete transfer.
        }
    }

    // Splits one RtMidi message into system exclusive runs and short messages. APIs that hand
    // over a long system exclusive message in several parts (JACK events, WinMM buffers) give
    // continuation parts that start with a data byte or with 0xF7; realtime bytes may sit among
    // the data and stay there for the layer to take out.
    void Deliver(const uint8_t* bytes, size_t count) {
        const uint32_t time = SteadyMs();
        std::lock_guard<std::mutex> lock(m_deliverMutex);
        size_t i = 0;
        while (i < count) {
            const uint8_t first = bytes[i];
            if (first >= 0xF8) {
                if (m_started)
                    m_receiver.ShortMessage(bytes + i, 1, time);
                ++i;
                continue;
            }
            if (first == 0xF0 || (m_inSysex && (first < 0x80 || first == 0xF7))) {
                size_t end = i + 1;
                bool open = first != 0xF7;
                while (open && end < count) {
                    const uint8_t byte = bytes[end];
                    if (byte == 0xF7) {
                        ++end;
                        open = false;
                    } else if (byte >= 0x80 && byte < 0xF8) {
                        open = false; // a status byte ends the message unfinished
                    } else {
                        ++end;
                    }
                }
                m_inSysex = open;
                if (m_started)
                    m_receiver.SysexBytes(bytes + i, end - i, time);
                i = end;
                continue;
            }
            m_inSysex = false;
            if (first < 0x80 || first == 0xF7) {
                ++i; // data without a status, or an end without a start: nothing to attach it to
                continue;
            }
            const size_t length = std::min(ShortMessageLength(first), count - i);
            if (m_started)
                m_receiver.ShortMessage(bytes + i, length, time);
            i += length;
        }
    }

    MidiInputReceiver& m_receiver;
    ErrorCapture m_errors; // outlives m_in, which may report while closing
    std::mutex m_deliverMutex;
    bool m_started = false;
    bool m_inSysex = false;           // RtMidi's thread, under m_deliverMutex
    std::unique_ptr<JackLink> m_link; // JACK only
    std::unique_ptr<RtMidiIn> m_in;
};

// An open RtMidi output. Threads: any; calls into RtMidi are serialised here, since the ALSA
// encoder and output buffer are not safe to share.
class RtMidiOutputPort : public MidiBackendOutput {
public:
    explicit RtMidiOutputPort(int api) : m_api(api), m_traits(TraitsFor(api)) {}

    ~RtMidiOutputPort() override {
        std::lock_guard<std::mutex> lock(m_sendMutex);
        StderrSilencer quiet;
        m_out.reset();
    }

    RtMidiOutputPort(const RtMidiOutputPort&) = delete;
    RtMidiOutputPort& operator=(const RtMidiOutputPort&) = delete;

    int Open(const std::string& clientName, const std::string& portName, bool isVirtual, unsigned index,
             std::string& error) {
        std::lock_guard<std::mutex> lock(m_sendMutex);
        StderrSilencer quiet;
        try {
            m_out = std::make_unique<RtMidiOut>(static_cast<RtMidi::Api>(m_api), clientName);
            m_out->setErrorCallback(&OnRtMidiError, &m_errors);
            if (isVirtual)
                m_out->openVirtualPort(portName);
            else
                m_out->openPort(index, portName);
            if (m_api == RtMidi::UNIX_JACK) {
                // RtMidi's JACK send spins for ever once the server has gone; the link keeps
                // every send short of a full ring and hears the server go.
                m_link = std::make_unique<JackLink>();
                if (!m_link->Open())
                    m_link.reset();
            }
            RtMidiError::Type type;
            if (!m_errors.Take(type, error))
                return 0;
            m_out.reset();
            return OpenFailureCode(type);
        } catch (const RtMidiError& e) {
            error = e.getMessage();
        } catch (const std::exception& e) {
            error = e.what();
        }
        m_out.reset();
        return 1;
    }

    int SendShort(const uint8_t* bytes, size_t count, std::string& error) override {
        if (bytes == nullptr || count == 0)
            return 0;
        std::lock_guard<std::mutex> lock(m_sendMutex);
        // A channel message abandons an unfinished system exclusive message, as on the wire.
        if (bytes[0] < 0xF8)
            m_pending.clear();
        return Send(bytes, count, true, true, error);
    }

    int SendSysex(const uint8_t* bytes, size_t count, std::string& error) override {
        if (bytes == nullptr || count == 0)
            return 0;
        std::lock_guard<std::mutex> lock(m_sendMutex);
        try {
            return m_traits.wholeMessages ? SendWhole(bytes, count, error) : SendPieces(bytes, count, error);
        } catch (const std::exception& e) {
            m_pending.clear();
            error = e.what();
            return 1;
        }
    }

    // A JACK server may pause between cycles that long before a send gives up on it.
    std::chrono::milliseconds StallAllowance() const override {
        return m_link ? std::chrono::milliseconds(JackLink::kPauseLimitMs) : std::chrono::milliseconds(0);
    }

    int CloseSysex(std::string& error) override {
        std::lock_guard<std::mutex> lock(m_sendMutex);
        if (m_traits.wholeMessages) {
            // Nothing of the message has gone out yet: drop it rather than send a torn one.
            m_pending.clear();
            return 0;
        }
        static const uint8_t kEnd = 0xF7;
        return Send(&kEnd, 1, true, true, error);
    }

private:
    int SendPieces(const uint8_t* bytes, size_t count, std::string& error) {
        size_t sinceLastPause = 0;
        for (size_t offset = 0; offset < count;) {
            if (m_traits.burstBytes != 0 && sinceLastPause >= m_traits.burstBytes) {
                std::this_thread::sleep_for(m_traits.burstPause);
                sinceLastPause = 0;
            }
            const size_t n = std::min(m_traits.maxMessageBytes, count - offset);
            const bool endsMessage = bytes[offset + n - 1] == 0xF7;
            // After the first piece part of the chunk is out. ALSA's encoder has also consumed a
            // refused piece, which only a fresh start (a status byte) makes harmless to repeat.
            const bool retrySafe = offset == 0 && (!m_traits.statefulEncoder || bytes[0] >= 0x80);
            const int code = Send(bytes + offset, n, endsMessage, retrySafe, error);
            if (code != 0)
                return code;
            offset += n;
            sinceLastPause += n;
        }
        return 0;
    }

    // The layer ends a chunk at 0xF7, so a message is complete when a chunk ends with it.
    int SendWhole(const uint8_t* bytes, size_t count, std::string& error) {
        if (bytes[0] == 0xF0) {
            m_pending.clear();
        } else if (m_pending.empty()) {
            error = "System exclusive data without its start (0xF0) cannot be sent through " +
                    RtMidi::getApiDisplayName(static_cast<RtMidi::Api>(m_api)) + ".";
            return 1;
        }
        const size_t before = m_pending.size();
        if (count > m_traits.maxMessageBytes - before) {
            m_pending.clear();
            error = "A system exclusive message longer than " + std::to_string(m_traits.maxMessageBytes) +
                    " bytes cannot be sent through " +
                    RtMidi::getApiDisplayName(static_cast<RtMidi::Api>(m_api)) + ".";
            return 1;
        }
        m_pending.insert(m_pending.end(), bytes, bytes + count);
        if (m_pending.back() != 0xF7)
            return 0;
        const int code = Send(m_pending.data(), m_pending.size(), true, true, error);
        if (code == -1)
            m_pending.resize(before); // the layer hands over the same chunk again
        else
            m_pending.clear();
        return code;
    }

    // One call into RtMidi; m_sendMutex is held.
    int Send(const uint8_t* bytes, size_t count, bool endsMessage, bool retrySafe, std::string& error) {
        if (!m_out) {
            error = "The MIDI output is not open.";
            return 1;
        }
        if (m_link && !m_link->BeforeSend(count, error))
            return 1;
        m_errors.Clear();
        try {
            m_out->sendMessage(bytes, count);
        } catch (const RtMidiError& e) {
            error = e.getMessage();
            return 1;
        } catch (const std::exception& e) {
            error = e.what();
            return 1;
        }
        RtMidiError::Type type;
        std::string text;
        if (!m_errors.Take(type, text))
            return 0;
        if (type == RtMidiError::WARNING) {
            if (m_api == RtMidi::LINUX_ALSA && !endsMessage &&
                text.find("incomplete message") != std::string::npos)
                return 0; // held by ALSA's encoder until the rest of the message comes
            const bool noRoom = MentionsFull(text) || (m_api == RtMidi::LINUX_ALSA &&
                                                       text.find("error sending") != std::string::npos);
            if (noRoom && retrySafe)
                return -1;
            if (noRoom) {
                error = text + " (part of the system exclusive message had already gone out)";
                return 1;
            }
        }
        error = std::move(text);
        return 1;
    }

    const int m_api;
    const ApiTraits m_traits;
    std::mutex m_sendMutex;
    std::vector<uint8_t> m_pending;   // whole-message APIs: the message collected so far
    ErrorCapture m_errors;            // outlives m_out, which may report while closing
    std::unique_ptr<JackLink> m_link; // JACK only
    std::unique_ptr<RtMidiOut> m_out;
};

template <class Port> std::vector<std::string> ListPorts(Port* port, ErrorCapture& errors) {
    std::vector<std::string> names;
    if (port == nullptr)
        return names;
    // A JACK client whose server has gone tries to reconnect here, and libjack prints.
    StderrSilencer quiet;
    try {
        const unsigned int count = port->getPortCount();
        for (unsigned int i = 0; i < count; ++i)
            names.push_back(port->getPortName(i));
    } catch (...) {
        names.clear();
    }
    errors.Clear();
    return names;
}

} // namespace

struct RtMidiBackend::Impl {
    ErrorCapture errors; // outlives the RtMidi objects below
    std::unique_ptr<RtMidiIn> in;
    std::unique_ptr<RtMidiOut> out;
    // JACK: RtMidi's listing clients stay with the server they met; this hears it go.
    std::unique_ptr<JackLink> link;

    ~Impl() {
        StderrSilencer quiet;
        link.reset();
        in.reset();
        out.reset();
    }

    // False when the API cannot start here; prints nothing either way.
    bool Start(RtMidi::Api api) {
        StderrSilencer quiet;
        try {
            RtMidiError::Type type;
            std::string text;
            in = std::make_unique<RtMidiIn>(api, kClientName, kInputQueueLimit);
            in->setErrorCallback(&OnRtMidiError, &errors);
            // JACK reports a missing server only as a warning from the constructor, printed before
            // the callback could be set; asking for the ports makes it try again and report here.
            // The output is only made once the input works: RtMidi's JACK output leaks its ring
            // buffer on every failed connection attempt.
            in->getPortCount();
            if (!errors.Take(type, text)) {
                out = std::make_unique<RtMidiOut>(api, kClientName);
                out->setErrorCallback(&OnRtMidiError, &errors);
                out->getPortCount();
                if (!errors.Take(type, text)) {
                    if (api == RtMidi::UNIX_JACK) {
                        link = std::make_unique<JackLink>();
                        if (!link->Open())
                            link.reset();
                    }
                    return true;
                }
            }
        } catch (...) {
        }
        in.reset();
        out.reset();
        return false;
    }
};

std::vector<std::unique_ptr<MidiBackend>>
RtMidiBackend::AvailableBackends(const std::vector<std::string>& skip) {
    std::vector<std::unique_ptr<MidiBackend>> backends;
    try {
        std::vector<RtMidi::Api> apis;
        RtMidi::getCompiledApi(apis);
        for (RtMidi::Api api : apis) {
            if (api == RtMidi::RTMIDI_DUMMY || api == RtMidi::UNSPECIFIED ||
                std::find(skip.begin(), skip.end(), NameOf(api)) != skip.end())
                continue;
            std::unique_ptr<RtMidiBackend> backend(new RtMidiBackend(api));
            if (backend->m_impl->Start(api))
                backends.push_back(std::move(backend));
        }
    } catch (...) {
        // Out of memory while probing: the back ends found so far.
    }
    return backends;
}

std::unique_ptr<RtMidiBackend> RtMidiBackend::ForApi(const std::string& apiName) {
    try {
        const RtMidi::Api api = RtMidi::getCompiledApiByName(apiName);
        std::vector<RtMidi::Api> apis;
        RtMidi::getCompiledApi(apis);
        // An API that is not compiled in would make RtMidi print and fall back to another one.
        if (api == RtMidi::UNSPECIFIED || api == RtMidi::RTMIDI_DUMMY ||
            std::find(apis.begin(), apis.end(), api) == apis.end())
            return nullptr;
        std::unique_ptr<RtMidiBackend> backend(new RtMidiBackend(api));
        if (backend->m_impl->Start(api))
            return backend;
    } catch (...) {
    }
    return nullptr;
}

RtMidiBackend::RtMidiBackend(int api) : m_api(api), m_impl(std::make_unique<Impl>()) {}

RtMidiBackend::~RtMidiBackend() = default;

std::vector<std::string> RtMidiBackend::CompiledServiceNames() {
    std::vector<std::string> names;
    try {
        std::vector<RtMidi::Api> apis;
        RtMidi::getCompiledApi(apis);
        for (RtMidi::Api api : apis) {
            if (api != RtMidi::RTMIDI_DUMMY && api != RtMidi::UNSPECIFIED)
                names.push_back(NameOf(api));
        }
    } catch (...) {
    }
    return names;
}

bool RtMidiBackend::ServiceLost() {
    return m_impl->link && m_impl->link->Gone();
}

std::string RtMidiBackend::Name() const {
    return NameOf(m_api);
}

std::string RtMidiBackend::NameOf(int api) {
    switch (api) {
    case RtMidi::LINUX_ALSA:
        return "ALSA";
    case RtMidi::UNIX_JACK:
        return "JACK";
    case RtMidi::MACOSX_CORE:
        return "CoreMIDI";
    case RtMidi::WINDOWS_MM:
        return "WinMM";
    default:
        try {
            return RtMidi::getApiDisplayName(static_cast<RtMidi::Api>(api));
        } catch (...) {
            return "MIDI";
        }
    }
}

std::vector<std::string> RtMidiBackend::InputNames() {
    try {
        return ListPorts(m_impl->in.get(), m_impl->errors);
    } catch (...) {
        return {};
    }
}

std::vector<std::string> RtMidiBackend::OutputNames() {
    try {
        return ListPorts(m_impl->out.get(), m_impl->errors);
    } catch (...) {
        return {};
    }
}

namespace {

int OpenInputPort(int api, const std::string& clientName, const std::string& portName, bool isVirtual,
                  size_t index, MidiInputReceiver& receiver, std::unique_ptr<MidiBackendInput>& input,
                  std::string& error) {
    if (index > UINT_MAX) {
        error = "No MIDI input with index " + std::to_string(index) + ".";
        return 2;
    }
    try {
        auto port = std::make_unique<RtMidiInputPort>(receiver);
        const int code =
            port->Open(api, clientName, portName, isVirtual, static_cast<unsigned>(index), error);
        if (code != 0)
            return code;
        input = std::move(port);
        return 0;
    } catch (const std::exception& e) {
        error = e.what();
        return 1;
    }
}

int OpenOutputPort(int api, const std::string& clientName, const std::string& portName, bool isVirtual,
                   size_t index, std::unique_ptr<MidiBackendOutput>& output, std::string& error) {
    if (index > UINT_MAX) {
        error = "No MIDI output with index " + std::to_string(index) + ".";
        return 2;
    }
    try {
        auto port = std::make_unique<RtMidiOutputPort>(api);
        const int code = port->Open(clientName, portName, isVirtual, static_cast<unsigned>(index), error);
        if (code != 0)
            return code;
        output = std::move(port);
        return 0;
    } catch (const std::exception& e) {
        error = e.what();
        return 1;
    }
}

} // namespace

int RtMidiBackend::OpenInput(size_t index, MidiInputReceiver& receiver,
                             std::unique_ptr<MidiBackendInput>& input, std::string& error) {
    return OpenInputPort(m_api, kClientName, kInPortName, false, index, receiver, input, error);
}

int RtMidiBackend::OpenOutput(size_t index, std::unique_ptr<MidiBackendOutput>& output, std::string& error) {
    return OpenOutputPort(m_api, kClientName, kOutPortName, false, index, output, error);
}

int RtMidiBackend::OpenVirtualInput(const std::string& clientName, const std::string& portName,
                                    MidiInputReceiver& receiver, std::unique_ptr<MidiBackendInput>& input,
                                    std::string& error) {
    return OpenInputPort(m_api, clientName, portName, true, 0, receiver, input, error);
}

int RtMidiBackend::OpenVirtualOutput(const std::string& clientName, const std::string& portName,
                                     std::unique_ptr<MidiBackendOutput>& output, std::string& error) {
    return OpenOutputPort(m_api, clientName, portName, true, 0, output, error);
}

size_t RtMidiBackend::MaxMessageBytes() const {
    return TraitsFor(m_api).maxMessageBytes;
}
