// The MIDI port layer: option words, the status filter, the input rings that emulate a driver
// filling prepared buffers, output buffer assembly and the per-port sender threads.
#include "midi/MidiPorts.h"

#include "midi/PortNameMatch.h"
#include "midi/RtMidiBackend.h"
#include "midi/SimulatorBackend.h"

#include <algorithm>
#include <chrono>
#include <condition_variable>
#include <exception>
#include <mutex>
#include <new>
#include <string>
#include <system_error>
#include <thread>
#include <unordered_set>
#include <utility>
#include <vector>

namespace {

constexpr uint8_t kSysexStart = 0xF0;
constexpr uint8_t kSysexEnd = 0xF7;
constexpr uint8_t kFirstRealtime = 0xF8;
// Bits 20 and up of an options word are the layer's own state; they never come from a caller.
constexpr uint32_t kCallerOptionBits = 0x000FFFFF;
// The largest dump the device sends. The input pool always holds one unread, so a reader that
// starts late loses nothing.
constexpr size_t kLargestDump = 65520;
// How long the sender waits before offering a chunk again to a service that had no room.
constexpr std::chrono::milliseconds kRetryPause(1);
// A back end gives a chunk back within its wire time and the pause its service may take; past
// that and this grace it is taken for stuck, and waiting for it ends.
constexpr std::chrono::seconds kHandOffGrace(2);
// A port of a service that has gone is not opened: the service's clients are stale, and a new one
// could tear them down (libjack does). A look by name takes in the service anew once it runs.
constexpr const char* kServiceLostText = "The MIDI service of this port has stopped.";

// Indexes 10-15 fit in the options word but not in the table; they mean the largest entry.
size_t TableEntry(uint32_t index) {
    return static_cast<size_t>(kBufferSizeTable[std::min<uint32_t>(index, 9)]);
}
size_t BufferCountOf(uint32_t options) {
    return options & 0xFF;
}
size_t BufferBytesOf(uint32_t options) {
    return TableEntry(options >> 8 & 0xF);
}
size_t RingCapacityOf(uint32_t options) {
    return TableEntry(options >> 12 & 0xF);
}
bool BufferingOn(uint32_t options) {
    return (options & kPortSysexBuffering) != 0;
}

size_t Advance(size_t index, size_t size) {
    return index + 1 == size ? 0 : index + 1;
}

// A back end's code that means the same as one of ours passes through; any other failure is
// reported as MidiErrBackend with the back end's text.
int LayerCode(int backendCode) {
    if (backendCode == MidiOk || backendCode == MidiErrBadDevice || backendCode == MidiErrNoMemory)
        return backendCode;
    return MidiErrBackend;
}

struct Layer {
    std::mutex inLock;
    std::mutex outLock;
    // Used on the opening thread only: MidiPortsInit and MidiPortsTerm while no port is open,
    // MidiPortsRefresh at any time. Open ports keep no reference into the list.
    bool started = false;
    std::vector<std::unique_ptr<MidiBackend>> backends;
    MidiServiceFinder finder;
    // Guarded by inLock.
    std::unordered_set<const MidiInPort*> liveIn;
    std::string inText;
    // Guarded by outLock.
    std::unordered_set<const MidiOutPort*> liveOut;
    std::string outText;
    // Ports closed while their back end held a chunk; each is freed by its own sender once the
    // back end lets go, and keeps its back end in use until then.
    int orphans = 0;
};

// Never destroyed: a back end's or a sender's thread may still take a lock while the process exits.
Layer& TheLayer() {
    static Layer* layer = new Layer;
    return *layer;
}

bool IsSimulator(const MidiBackend& backend) {
    return dynamic_cast<const SimulatorBackend*>(&backend) != nullptr;
}

// The back end and its own index for a device of the concatenated list; false when out of range.
bool FindDevice(bool input, uint32_t device, MidiBackend*& backend, size_t& index) {
    size_t rest = device;
    for (const std::unique_ptr<MidiBackend>& candidate : TheLayer().backends) {
        const size_t count = input ? candidate->InputNames().size() : candidate->OutputNames().size();
        if (rest < count) {
            backend = candidate.get();
            index = rest;
            return true;
        }
        rest -= count;
    }
    return false;
}

void SetInText(std::string text) {
    std::lock_guard<std::mutex> lock(TheLayer().inLock);
    TheLayer().inText = std::move(text);
}

void SetOutText(std::string text) {
    std::lock_guard<std::mutex> lock(TheLayer().outLock);
    TheLayer().outText = std::move(text);
}

std::string ErrorText(int code, const std::string& backendText) {
    switch (code) {
    case MidiOk:
        return "The specified command was carried out.";
    case MidiErrBackend:
        return backendText.empty() ? "The MIDI service reported an error without describing it."
                                   : backendText;
    case MidiErrBadDevice:
        return "The specified device identifier is out of range.";
    case MidiErrNoMemory:
        return "The system is unable to allocate or lock memory.";
    case MidiErrInputOverflow:
        return "MIDI input arrived faster than it was read, and some of the data was lost.";
    case MidiErrNoRoom:
        return "The MIDI port is not open, or it cannot take more data now.";
    default:
        return "Unknown MIDI error " + std::to_string(code) + ".";
    }
}

// One port of the concatenated list: its service's own name for it, and the name listed.
struct ListedPort {
    PortNameMatch::Port port;
    std::string listed;
};

std::vector<ListedPort> ListPorts(bool input) {
    std::vector<ListedPort> ports;
    try {
        const std::vector<std::unique_ptr<MidiBackend>>& backends = TheLayer().backends;
        // With more than one service the same port can appear under each, so say whose it is.
        const auto services =
            std::count_if(backends.begin(), backends.end(),
                          [](const std::unique_ptr<MidiBackend>& b) { return !IsSimulator(*b); });
        for (const std::unique_ptr<MidiBackend>& backend : backends) {
            const std::string service = IsSimulator(*backend) ? std::string() : backend->Name();
            const std::string prefix = services > 1 && !service.empty() ? service + ": " : "";
            for (const std::string& name : input ? backend->InputNames() : backend->OutputNames())
                ports.push_back({{service, name}, prefix + name});
        }
    } catch (...) {
        // A failing service leaves the ports gathered so far.
    }
    return ports;
}

std::vector<std::string> DeviceNames(bool input) {
    std::vector<std::string> names;
    try {
        for (ListedPort& port : ListPorts(input))
            names.push_back(std::move(port.listed));
    } catch (...) {
    }
    return names;
}

// Every service a stored name may carry as its prefix: those running and those that may start.
std::vector<std::string> ServiceNames() {
    std::vector<std::string> names;
    try {
        names = RtMidiBackend::CompiledServiceNames();
        for (const std::unique_ptr<MidiBackend>& backend : TheLayer().backends) {
            if (!IsSimulator(*backend))
                names.push_back(backend->Name());
        }
    } catch (...) {
    }
    return names;
}

bool DeviceIndex(bool input, const std::string& name, size_t among, uint32_t& index) {
    try {
        std::vector<PortNameMatch::Port> ports;
        for (ListedPort& port : ListPorts(input))
            ports.push_back(std::move(port.port));
        const int found = PortNameMatch::Find(ports, ServiceNames(), name, among);
        if (found < 0)
            return false;
        index = static_cast<uint32_t>(found);
        return true;
    } catch (...) {
        return false;
    }
}

// The length of a short message by its status; 0 for a byte that is no status.
size_t ShortMessageLength(uint8_t status) {
    if (status < 0x80)
        return 0;
    if (status < 0xF0)
        return (status & 0xE0) == 0xC0 ? 2 : 3;
    if (status == 0xF1 || status == 0xF3)
        return 2;
    return status == 0xF2 ? 3 : 1;
}

} // namespace

// An open input. The back end's threads call the receiver functions, the reader pulls events.
// Fields from `started` on are guarded by the layer's input lock.
//
// The buffer pool stands in for the buffers a driver fills: the back end's bytes go into the
// buffer at fillIndex; a buffer completes when full or at 0xF7, and the reader empties buffers
// from readIndex on, re-arming each completed one after its last byte. Completion and re-arming
// both go round the pool in order, so buffer i always sits at ring position i. Unlike a driver's
// buffer, the one being filled can be read as far as it goes: the reader sees every byte at once,
// and a message that never ends still arrives.
struct MidiInPort final : MidiInputReceiver {
    struct Buffer {
        uint8_t* data = nullptr;
        size_t recorded = 0;
        uint32_t stamp = 0;
    };

    // The back end goes first: destroying its input waits for a delivery in progress and ends
    // delivery, so nothing reaches a half-destroyed port.
    ~MidiInPort() override { input.reset(); }

    void ShortMessage(const uint8_t* bytes, size_t count, uint32_t timeMs) override;
    void SysexBytes(const uint8_t* bytes, size_t count, uint32_t timeMs) override;

    // With the input lock held.
    void Push(const MidiEvent& event);
    void Store(uint8_t byte, uint32_t timeMs);
    void Complete();
    void Rearm();
    bool Next(MidiEvent& event);

    // Fixed at open.
    std::unique_ptr<MidiBackendInput> input;
    const MidiBackend* backend = nullptr;
    void* owner = nullptr;
    uint32_t device = 0;
    uint32_t options = 0;
    uint32_t filter = 0;
    size_t bufferBytes = 0;
    std::unique_ptr<uint8_t[]> pool;
    std::vector<Buffer> buffers; // empty without system exclusive buffering
    std::vector<MidiEvent> ring; // capacity + 1 entries

    bool started = false;
    int error = 0;
    size_t ringWrite = 0;
    size_t ringRead = 0;
    size_t fillIndex = 0;
    size_t readIndex = 0;
    size_t completed = 0; // completed buffers not yet read out; fillIndex is readIndex + completed
    size_t readPos = 0;   // in the buffer at readIndex
};

// An open output. Fields from `queueWrite` on are guarded by the layer's output lock.
//
// The queue carries short messages and completed system exclusive buffers in the order they were
// put. Short messages at its front go out at once on the putting thread; a buffer at its front
// waits for the port's sender thread, and the messages behind it follow once the back end has it.
// So the wire order is the put order, and the back end never sees two calls on one output at once.
// The sender calls SendSysex without the lock, with `handing` set; a reset waits for it to clear
// before it touches the buffers, but no longer than the hand-off may take (`handDeadline`): a back
// end that keeps a chunk past that is given up. A reset's own sends (the end of an open message,
// note-offs) also go out without the lock and with `handing` set, so neither other ports nor the
// window wait behind a service that takes its time.
struct MidiOutPort {
    struct Buffer {
        uint8_t* data = nullptr;
        size_t fill = 0;
        bool held = false; // completed and not yet returned: queued, with the back end or on the wire
    };
    struct Entry {
        int buffer = -1; // a completed buffer's index, or -1 for a short message
        MidiEvent event;
    };

    ~MidiOutPort();

    // With the output lock held.
    int Append(uint8_t byte);
    void CompleteFilling();
    int Queue(const MidiEvent& event);
    int Drain();
    int SendShort(const MidiEvent& event);
    void ReturnSlot(size_t index);
    void Abandon();
    int Reset(std::unique_lock<std::mutex>& lock);
    void Fail(int code);
    bool QueueEmpty() const { return queueRead == queueWrite; }

    void SenderLoop();
    // The sender thread: runs the loop, then frees a port given up by its closer.
    void SenderMain();
    // With the output lock held: `handing` set until `deadline`, a chunk's wire time plus what
    // the back end may pause, plus the grace.
    void StartHandOff(size_t bytes);

    // Fixed at open.
    std::unique_ptr<MidiBackendOutput> output;
    const MidiBackend* backend = nullptr;
    void* owner = nullptr;
    uint32_t device = 0;
    uint32_t options = 0;
    uint32_t filter = 0;
    size_t bufferBytes = 0;
    size_t shortCapacity = 0;
    std::unique_ptr<uint8_t[]> pool;
    std::vector<Buffer> buffers; // empty without system exclusive buffering
    std::vector<Entry> queue;    // room for shortCapacity messages and every outstanding buffer, + 1
    std::thread sender;

    std::condition_variable wake; // used with the output lock
    size_t queueWrite = 0;
    size_t queueRead = 0;
    size_t shortCount = 0;
    uint16_t sounding[128] = {}; // bit c of entry n: note n is on on channel c
    size_t filling = 0;
    int freeSlots = kOutstandingBufferLimit;
    bool outstanding = false;                           // some buffer is held
    bool handing = false;                               // the back end is being called outside the lock
    std::chrono::steady_clock::time_point handDeadline; // while handing: when to give up on it
    bool orphaned = false;                              // closed while handing: the sender frees the port
    uint64_t generation = 0; // a reset moves it on; the sender then forgets the buffer it had
    int resetting = 0;       // resets waiting for the sender; it takes no new work meanwhile
    bool stopping = false;
    int error = 0;         // a failure on the sender thread, reported by the next put
    bool wireOpen = false; // what reached the back end leaves a system exclusive message open
    uint64_t progress = 0; // see OutPortProgress
};

// ---- Input -----------------------------------------------------------------------------------

void MidiInPort::ShortMessage(const uint8_t* bytes, size_t count, uint32_t timeMs) {
    if (bytes == nullptr || count == 0)
        return;
    if (bytes[0] == kSysexStart || bytes[0] == kSysexEnd) {
        // A service that passes system exclusive data as a message of its own.
        SysexBytes(bytes, count, timeMs);
        return;
    }
    MidiEvent event;
    event.time = timeMs;
    event.status = bytes[0];
    event.data1 = count > 1 ? bytes[1] : 0;
    event.data2 = count > 2 ? bytes[2] : 0;
    std::lock_guard<std::mutex> lock(TheLayer().inLock);
    if (started)
        Push(event);
}

void MidiInPort::SysexBytes(const uint8_t* bytes, size_t count, uint32_t timeMs) {
    if (bytes == nullptr)
        return;
    std::lock_guard<std::mutex> lock(TheLayer().inLock);
    if (!started)
        return;
    for (size_t i = 0; i < count; ++i) {
        if (bytes[i] >= kFirstRealtime) {
            // Realtime messages may fall between any two bytes; they are messages, not data.
            MidiEvent event;
            event.time = timeMs;
            event.status = bytes[i];
            Push(event);
        } else if (!buffers.empty()) {
            Store(bytes[i], timeMs);
        }
    }
}

void MidiInPort::Push(const MidiEvent& event) {
    if (MidiStatusFiltered(filter, event.status))
        return;
    const size_t next = Advance(ringWrite, ring.size());
    if (next == ringRead) {
        // Full: what is unread stays, the newcomer is lost and the reader is told.
        error = MidiErrInputOverflow;
        return;
    }
    ring[ringWrite] = event;
    ringWrite = next;
}

void MidiInPort::Store(uint8_t byte, uint32_t timeMs) {
    // A message start opens a buffer of its own, so it carries its arrival time even when the
    // message before it never ended.
    if (byte == kSysexStart && completed < buffers.size() && buffers[fillIndex].recorded > 0)
        Complete();
    if (completed == buffers.size()) {
        error = MidiErrInputOverflow;
        return;
    }
    Buffer& buffer = buffers[fillIndex];
    if (buffer.recorded == 0)
        buffer.stamp = byte == kSysexStart ? timeMs : 0;
    buffer.data[buffer.recorded++] = byte;
    if (buffer.recorded == bufferBytes || byte == kSysexEnd)
        Complete();
}

void MidiInPort::Complete() {
    fillIndex = Advance(fillIndex, buffers.size());
    ++completed;
}

void MidiInPort::Rearm() {
    buffers[readIndex].recorded = 0;
    buffers[readIndex].stamp = 0;
    readPos = 0;
    readIndex = Advance(readIndex, buffers.size());
    --completed;
}

bool MidiInPort::Next(MidiEvent& event) {
    if (!buffers.empty()) {
        // A buffer read out while it was still being filled goes back once it completes.
        while (completed > 0 && readPos >= buffers[readIndex].recorded)
            Rearm();
        const Buffer& buffer = buffers[readIndex];
        if (readPos < buffer.recorded) {
            event = MidiEvent();
            event.time = readPos == 0 ? buffer.stamp : 0;
            event.status = kSysexStart;
            event.data1 = buffer.data[readPos++];
            // A completed buffer goes back to the back end's side as soon as its last byte is out.
            if (completed > 0 && readPos >= buffer.recorded)
                Rearm();
            return true;
        }
    }
    if (ringRead != ringWrite) {
        event = ring[ringRead];
        ringRead = Advance(ringRead, ring.size());
        return true;
    }
    return false;
}

namespace {

// With the input lock held.
bool LiveIn(const MidiInPort* port) {
    return port != nullptr && TheLayer().liveIn.count(port) > 0;
}

} // namespace

int InPortOpen(MidiInPort*& port, void* owner, uint32_t device, uint32_t options) {
    Layer& layer = TheLayer();
    {
        std::lock_guard<std::mutex> lock(layer.inLock);
        if (port != nullptr) {
            // An open port stays as it is; a reference to a closed one is dropped.
            if (!LiveIn(port))
                port = nullptr;
            return MidiErrNoRoom;
        }
    }
    try {
        MidiBackend* backend = nullptr;
        size_t index = 0;
        if (!FindDevice(true, device, backend, index))
            return MidiErrBadDevice;
        if (backend->ServiceLost()) {
            SetInText(kServiceLostText);
            return MidiErrBackend;
        }

        auto opened = std::make_unique<MidiInPort>();
        opened->backend = backend;
        opened->owner = owner;
        opened->device = device;
        opened->options = options & kCallerOptionBits;
        const bool buffering = BufferingOn(options);
        opened->filter = (options & kPortSysexOnly) != 0 ? kInputFilterMaskSysexOnly
                         : buffering                     ? kInputFilterMask
                                                         : kInputFilterMaskNoSysex;
        opened->bufferBytes = BufferBytesOf(options);
        if (buffering) {
            // Whatever the options ask for, one largest dump fits, with a buffer to spare for an
            // unfinished message in front of it.
            const size_t dumpBuffers = (kLargestDump + opened->bufferBytes - 1) / opened->bufferBytes + 1;
            const size_t count = std::max(BufferCountOf(options), dumpBuffers);
            opened->pool.reset(new uint8_t[count * opened->bufferBytes]());
            opened->buffers.resize(count);
            for (size_t i = 0; i < count; ++i)
                opened->buffers[i].data = opened->pool.get() + i * opened->bufferBytes;
        }
        opened->ring.resize(RingCapacityOf(options) + 1);

        std::string text;
        std::unique_ptr<MidiBackendInput> input;
        const int code = backend->OpenInput(index, *opened, input, text);
        if (code != MidiOk || !input) {
            SetInText(text);
            return code != MidiOk ? LayerCode(code) : MidiErrBackend;
        }
        opened->input = std::move(input);
        {
            std::lock_guard<std::mutex> lock(layer.inLock);
            layer.liveIn.insert(opened.get());
        }
        port = opened.release();
        return MidiOk;
    } catch (const std::bad_alloc&) {
        return MidiErrNoMemory;
    } catch (const std::exception& e) {
        SetInText(e.what());
        return MidiErrBackend;
    } catch (...) {
        SetInText("");
        return MidiErrBackend;
    }
}

int InPortStart(MidiInPort* port) {
    Layer& layer = TheLayer();
    {
        std::lock_guard<std::mutex> lock(layer.inLock);
        if (!LiveIn(port))
            return MidiErrNoRoom;
        if (port->started)
            return MidiOk;
        port->ringRead = port->ringWrite = 0;
        // Set before the back end starts, so its first bytes are not turned away.
        port->started = true;
    }
    std::string text;
    const int code = port->input->Start(text);
    if (code == MidiOk)
        return MidiOk;
    std::lock_guard<std::mutex> lock(layer.inLock);
    port->started = false;
    layer.inText = text;
    return LayerCode(code);
}

int InPortStop(MidiInPort* port) {
    Layer& layer = TheLayer();
    {
        std::lock_guard<std::mutex> lock(layer.inLock);
        if (!LiveIn(port))
            return MidiErrNoRoom;
        if (!port->started)
            return MidiOk;
        port->started = false;
    }
    std::string text;
    const int code = port->input->Stop(text);
    if (code == MidiOk)
        return MidiOk;
    std::lock_guard<std::mutex> lock(layer.inLock);
    port->started = true;
    layer.inText = text;
    return LayerCode(code);
}

bool InPortNextEvent(MidiInPort* port, MidiEvent& event) {
    std::lock_guard<std::mutex> lock(TheLayer().inLock);
    return LiveIn(port) && port->Next(event);
}

int InPortError(MidiInPort* port) {
    std::lock_guard<std::mutex> lock(TheLayer().inLock);
    if (!LiveIn(port))
        return MidiErrNoRoom;
    std::string text;
    if (port->error == MidiOk && port->input->Lost(text)) {
        port->error = MidiErrBackend;
        TheLayer().inText = text;
    }
    return port->error;
}

int InPortClose(MidiInPort*& port) {
    Layer& layer = TheLayer();
    bool wasStarted = false;
    {
        std::lock_guard<std::mutex> lock(layer.inLock);
        if (!LiveIn(port)) {
            port = nullptr;
            return MidiErrNoRoom;
        }
        layer.liveIn.erase(port);
        wasStarted = port->started;
        port->started = false;
    }
    int code = MidiOk;
    if (wasStarted) {
        std::string text;
        code = port->input->Stop(text);
        if (code != MidiOk) {
            SetInText(text);
            code = LayerCode(code);
        }
    }
    delete port;
    port = nullptr;
    return code;
}

// ---- Output ----------------------------------------------------------------------------------

MidiOutPort::~MidiOutPort() {
    if (sender.joinable()) {
        {
            std::lock_guard<std::mutex> lock(TheLayer().outLock);
            stopping = true;
        }
        wake.notify_all();
        sender.join();
    }
    output.reset();
}

int MidiOutPort::Append(uint8_t byte) {
    if (freeSlots == 0)
        return MidiErrNoRoom;
    if (buffers.empty())
        return MidiOk; // without buffering the filter has already dropped system exclusive data
    Buffer& buffer = buffers[filling];
    if (buffer.held)
        return MidiErrNoRoom; // fewer buffers than the limit: this one is not back yet
    buffer.data[buffer.fill++] = byte;
    if (buffer.fill == bufferBytes || byte == kSysexEnd)
        CompleteFilling();
    return MidiOk;
}

// Queues the buffer being filled for the sender; a free slot and an unheld buffer are the
// caller's to make sure of.
void MidiOutPort::CompleteFilling() {
    buffers[filling].held = true;
    --freeSlots;
    outstanding = true;
    queue[queueWrite].buffer = static_cast<int>(filling);
    queueWrite = Advance(queueWrite, queue.size());
    filling = Advance(filling, buffers.size());
    wake.notify_all();
}

int MidiOutPort::Queue(const MidiEvent& event) {
    if (shortCount == shortCapacity)
        return MidiErrNoRoom;
    queue[queueWrite].buffer = -1;
    queue[queueWrite].event = event;
    queueWrite = Advance(queueWrite, queue.size());
    ++shortCount;
    return Drain();
}

int MidiOutPort::Drain() {
    int code = MidiOk;
    while (!QueueEmpty() && queue[queueRead].buffer < 0) {
        const MidiEvent event = queue[queueRead].event;
        queueRead = Advance(queueRead, queue.size());
        --shortCount;
        const int sent = SendShort(event);
        if (code == MidiOk)
            code = sent;
    }
    return code;
}

int MidiOutPort::SendShort(const MidiEvent& event) {
    const size_t length = ShortMessageLength(event.status);
    if (length == 0)
        return MidiOk; // no message without a status byte
    const uint8_t bytes[3] = {event.status, event.data1, event.data2};
    std::string text;
    const int code = output->SendShort(bytes, length, text);
    if (code != MidiOk) {
        TheLayer().outText = text;
        return LayerCode(code);
    }
    // Any status but a realtime one ends a system exclusive message on the wire.
    if (event.status < kFirstRealtime)
        wireOpen = false;
    const uint8_t kind = event.status & 0xF0;
    const uint16_t channelBit = static_cast<uint16_t>(1u << (event.status & 0x0F));
    uint16_t& note = sounding[event.data1 & 0x7F];
    if (kind == 0x90 && event.data2 != 0)
        note = static_cast<uint16_t>(note | channelBit);
    else if (kind == 0x80 || kind == 0x90)
        note = static_cast<uint16_t>(note & ~channelBit);
    return MidiOk;
}

void MidiOutPort::ReturnSlot(size_t index) {
    ++progress;
    buffers[index].fill = 0;
    buffers[index].held = false;
    if (++freeSlots == kOutstandingBufferLimit)
        outstanding = false;
}

// Takes back every buffer, including the partly filled one, and empties the queue. The sender
// sees the new generation and forgets the buffer it had.
void MidiOutPort::Abandon() {
    ++generation;
    wake.notify_all();
    queueRead = queueWrite = shortCount = 0;
    for (Buffer& buffer : buffers) {
        buffer.fill = 0;
        buffer.held = false;
    }
    freeSlots = kOutstandingBufferLimit;
    outstanding = false;
}

void MidiOutPort::StartHandOff(size_t bytes) {
    handing = true;
    handDeadline = std::chrono::steady_clock::now() +
                   output->WireTimePerByte() * static_cast<std::chrono::microseconds::rep>(bytes) +
                   output->StallAllowance() + kHandOffGrace;
}

int MidiOutPort::Reset(std::unique_lock<std::mutex>& lock) {
    ++generation;
    ++resetting;
    wake.notify_all();
    // A chunk in the back end's hands comes back within the call; a wire wait ends at once.
    while (handing && std::chrono::steady_clock::now() < handDeadline)
        wake.wait_until(lock, handDeadline);
    queueRead = queueWrite = shortCount = 0;
    if (handing) {
        // The back end keeps the chunk: nothing more can be sent through it, and what is queued
        // goes. The next put says so.
        --resetting;
        wake.notify_all();
        Abandon();
        TheLayer().outText = "The MIDI output did not give back the data it was handed; it was given up.";
        error = MidiErrBackend;
        return MidiErrBackend;
    }
    // Cut off inside a message: end it, or the receiver takes what comes next as its data.
    const bool closeMessage = wireOpen;
    wireOpen = false;
    std::vector<MidiEvent> offs;
    for (uint8_t note = 0; note < 128; ++note) {
        for (uint8_t channel = 0; channel < 16; ++channel) {
            if ((sounding[note] >> channel & 1) == 0)
                continue;
            MidiEvent off;
            off.status = static_cast<uint8_t>(0x90 | channel);
            off.data1 = note;
            offs.push_back(off);
        }
        sounding[note] = 0;
    }
    int code = MidiOk;
    std::string text;
    if (closeMessage || !offs.empty()) {
        StartHandOff(1 + 3 * offs.size());
        lock.unlock();
        if (closeMessage)
            code = output->CloseSysex(text);
        for (const MidiEvent& off : offs) {
            const uint8_t bytes[3] = {off.status, off.data1, off.data2};
            std::string failure;
            const int sent = output->SendShort(bytes, 3, failure);
            if (code == MidiOk && sent != MidiOk) {
                code = sent;
                text = failure;
            }
        }
        lock.lock();
        handing = false;
    }
    --resetting;
    wake.notify_all();
    if (code != MidiOk) {
        TheLayer().outText = text;
        code = LayerCode(code);
    }
    Abandon();
    error = MidiOk;
    return code;
}

// A failure nobody was waiting for: everything queued goes, and the next put reports it.
void MidiOutPort::Fail(int code) {
    if (code == MidiOk)
        return;
    if (error == MidiOk)
        error = code;
    Abandon();
}

void MidiOutPort::SenderLoop() {
    std::unique_lock<std::mutex> lock(TheLayer().outLock);
    for (;;) {
        wake.wait(lock, [this] { return stopping || (resetting == 0 && !QueueEmpty()); });
        if (stopping)
            return;
        if (queue[queueRead].buffer < 0) {
            Fail(Drain());
            continue;
        }
        const uint64_t mine = generation;
        const auto ended = [this, mine] { return stopping || generation != mine; };
        const size_t index = static_cast<size_t>(queue[queueRead].buffer);
        const uint8_t* data = buffers[index].data;
        const size_t count = buffers[index].fill;
        int code = MidiErrNoRoom;
        std::string text;
        std::chrono::microseconds wire(0);
        for (;;) {
            StartHandOff(count);
            lock.unlock();
            code = output->SendSysex(data, count, text);
            if (code == MidiOk)
                wire = output->WireTimePerByte() * static_cast<std::chrono::microseconds::rep>(count);
            lock.lock();
            if (code == MidiOk) {
                // Before a waiting reset looks at it: the chunk is out whatever happens next.
                ++progress;
                for (size_t i = 0; i < count; ++i) {
                    if (data[i] == kSysexStart)
                        wireOpen = true;
                    else if (data[i] == kSysexEnd)
                        wireOpen = false;
                }
            }
            handing = false;
            wake.notify_all();
            if (code != MidiErrNoRoom || ended())
                break;
            // The service has no room now: offer the same chunk again shortly.
            if (wake.wait_for(lock, kRetryPause, ended))
                break;
        }
        if (ended())
            continue; // a reset took every buffer back
        if (code != MidiOk) {
            TheLayer().outText = text;
            Fail(LayerCode(code));
            continue;
        }
        queueRead = Advance(queueRead, queue.size());
        Fail(Drain());
        // As a driver holds a buffer until the wire has carried it.
        if (wire.count() > 0 && wake.wait_until(lock, std::chrono::steady_clock::now() + wire, ended))
            continue;
        ReturnSlot(index);
    }
}

void MidiOutPort::SenderMain() {
    SenderLoop();
    bool given = false;
    {
        std::lock_guard<std::mutex> lock(TheLayer().outLock);
        given = orphaned;
    }
    if (!given)
        return;
    delete this; // the sender is detached: this closes the back end's port and nothing else
    std::lock_guard<std::mutex> lock(TheLayer().outLock);
    --TheLayer().orphans;
}

namespace {

// With the output lock held.
bool LiveOut(const MidiOutPort* port) {
    return port != nullptr && TheLayer().liveOut.count(port) > 0;
}

} // namespace

int OutPortOpen(MidiOutPort*& port, void* owner, uint32_t device, uint32_t options) {
    Layer& layer = TheLayer();
    {
        std::lock_guard<std::mutex> lock(layer.outLock);
        if (port != nullptr) {
            if (!LiveOut(port))
                port = nullptr;
            return MidiErrNoRoom;
        }
    }
    try {
        if (device == kMidiMapper)
            device = 0;
        MidiBackend* backend = nullptr;
        size_t index = 0;
        if (!FindDevice(false, device, backend, index))
            return MidiErrBadDevice;
        if (backend->ServiceLost()) {
            SetOutText(kServiceLostText);
            return MidiErrBackend;
        }

        auto opened = std::make_unique<MidiOutPort>();
        opened->backend = backend;
        opened->owner = owner;
        opened->device = device;
        opened->options = options & kCallerOptionBits;
        const bool buffering = BufferingOn(options);
        opened->filter = buffering ? 0 : 0x80;
        opened->bufferBytes = BufferBytesOf(options);
        opened->shortCapacity = RingCapacityOf(options);
        opened->queue.resize(opened->shortCapacity + kOutstandingBufferLimit + 1);
        if (buffering) {
            // A buffering port with no buffers would drop its data without a word.
            const size_t count = std::max<size_t>(BufferCountOf(options), 1);
            opened->pool.reset(new uint8_t[count * opened->bufferBytes]());
            opened->buffers.resize(count);
            for (size_t i = 0; i < count; ++i)
                opened->buffers[i].data = opened->pool.get() + i * opened->bufferBytes;
        }

        std::string text;
        std::unique_ptr<MidiBackendOutput> output;
        const int code = backend->OpenOutput(index, output, text);
        if (code != MidiOk || !output) {
            SetOutText(text);
            return code != MidiOk ? LayerCode(code) : MidiErrBackend;
        }
        opened->output = std::move(output);
        opened->sender = std::thread(&MidiOutPort::SenderMain, opened.get());
        {
            std::lock_guard<std::mutex> lock(layer.outLock);
            layer.liveOut.insert(opened.get());
        }
        port = opened.release();
        return MidiOk;
    } catch (const std::bad_alloc&) {
        return MidiErrNoMemory;
    } catch (const std::system_error&) {
        return MidiErrNoMemory; // no thread to be had
    } catch (const std::exception& e) {
        SetOutText(e.what());
        return MidiErrBackend;
    } catch (...) {
        SetOutText("");
        return MidiErrBackend;
    }
}

int OutPortPut(MidiOutPort* port, const MidiEvent& event) {
    std::lock_guard<std::mutex> lock(TheLayer().outLock);
    if (!LiveOut(port))
        return MidiErrNoRoom;
    if (port->error != MidiOk)
        return port->error;
    if (port->resetting > 0)
        return MidiErrNoRoom; // a reset is sending; the same event goes again after it
    if (MidiStatusFiltered(port->filter, event.status))
        return MidiOk;
    if (event.status == kSysexStart)
        return event.time == kMidiTimeImmediate ? MidiOk : port->Append(event.data1);
    return port->Queue(event);
}

int OutPortReset(MidiOutPort* port) {
    std::unique_lock<std::mutex> lock(TheLayer().outLock);
    if (!LiveOut(port))
        return MidiErrNoRoom;
    return port->Reset(lock);
}

int OutPortClose(MidiOutPort*& port) {
    Layer& layer = TheLayer();
    std::unique_lock<std::mutex> lock(layer.outLock);
    if (!LiveOut(port)) {
        port = nullptr;
        return MidiErrNoRoom;
    }
    layer.liveOut.erase(port); // no put gets in while the reset waits for the sender
    const int code = port->Reset(lock);
    if (port->handing) {
        // The back end still holds a chunk and may never give it back: the sender frees the port
        // when it does, and the caller goes on now.
        port->orphaned = true;
        port->stopping = true;
        ++layer.orphans;
        port->sender.detach();
        port->wake.notify_all();
        port = nullptr;
        return code;
    }
    lock.unlock();
    delete port; // stops and joins the sender, then closes the back end's port
    port = nullptr;
    return code;
}

bool OutPortDrained(MidiOutPort* port) {
    std::lock_guard<std::mutex> lock(TheLayer().outLock);
    return !LiveOut(port) || !port->outstanding;
}

int OutPortError(MidiOutPort* port) {
    std::lock_guard<std::mutex> lock(TheLayer().outLock);
    return LiveOut(port) ? port->error : MidiErrNoRoom;
}

bool OutPortIdle(MidiOutPort* port) {
    std::lock_guard<std::mutex> lock(TheLayer().outLock);
    if (!LiveOut(port))
        return true;
    const bool filling = !port->buffers.empty() && port->buffers[port->filling].fill > 0;
    return !port->outstanding && !filling && port->QueueEmpty();
}

int OutPortFlush(MidiOutPort* port) {
    std::lock_guard<std::mutex> lock(TheLayer().outLock);
    if (!LiveOut(port))
        return MidiErrNoRoom;
    if (port->buffers.empty() || port->buffers[port->filling].fill == 0 || port->buffers[port->filling].held)
        return MidiOk;
    if (port->freeSlots == 0)
        return MidiErrNoRoom;
    port->CompleteFilling();
    return MidiOk;
}

uint64_t OutPortProgress(MidiOutPort* port) {
    std::lock_guard<std::mutex> lock(TheLayer().outLock);
    return LiveOut(port) ? port->progress : 0;
}

std::chrono::milliseconds OutPortStallAllowance(MidiOutPort* port) {
    std::lock_guard<std::mutex> lock(TheLayer().outLock);
    return LiveOut(port) ? port->output->StallAllowance() : std::chrono::milliseconds(0);
}

std::chrono::microseconds OutPortBacklogTime(MidiOutPort* port) {
    std::lock_guard<std::mutex> lock(TheLayer().outLock);
    if (!LiveOut(port))
        return std::chrono::microseconds(0);
    size_t bytes = 0;
    for (const MidiOutPort::Buffer& buffer : port->buffers)
        bytes += buffer.fill;
    return port->output->WireTimePerByte() * static_cast<std::chrono::microseconds::rep>(bytes);
}

// ---- The layer -------------------------------------------------------------------------------

uint32_t OutPortOptionsFor(int bufferSize) {
    // 200 buffers, buffering on, one table index for buffer and queue; 128 is not offered.
    for (uint32_t index : {0, 3, 4, 5, 6, 7, 8, 9}) {
        if (bufferSize == kBufferSizeTable[index])
            return 0x100C8 | index << 8 | index << 12;
    }
    return 0x122C8;
}

bool MidiStatusFiltered(uint32_t mask, uint8_t status) {
    int bit;
    if (status >= 0x80 && status < 0xF0)
        bit = (status >> 4) - 8;
    else if (status >= 0xF0 && status <= 0xF6)
        bit = 7 + (status - 0xF0);
    else if (status >= kFirstRealtime)
        bit = 14 + (status - kFirstRealtime);
    else
        return false; // 0xF7, a status of 0 and data bytes pass every mask
    return (mask >> bit & 1) != 0;
}

int MidiPortsInit() {
    try {
        std::vector<std::unique_ptr<MidiBackend>> backends = RtMidiBackend::AvailableBackends();
        backends.push_back(std::make_unique<SimulatorBackend>());
        return MidiPortsInit(std::move(backends), [](const std::vector<std::string>& running) {
            return RtMidiBackend::AvailableBackends(running);
        });
    } catch (...) {
        return 0;
    }
}

int MidiPortsInit(std::vector<std::unique_ptr<MidiBackend>> backends, MidiServiceFinder finder) {
    Layer& layer = TheLayer();
    if (layer.started)
        return 0;
    try {
        layer.backends.clear();
        for (std::unique_ptr<MidiBackend>& backend : backends) {
            if (backend)
                layer.backends.push_back(std::move(backend));
        }
        layer.finder = std::move(finder);
    } catch (...) {
        layer.backends.clear();
        layer.finder = nullptr;
        return 0;
    }
    layer.started = true;
    return 1;
}

namespace {
// True while an open port came from `backend`.
bool InUse(const MidiBackend* backend) {
    Layer& layer = TheLayer();
    {
        std::lock_guard<std::mutex> lock(layer.inLock);
        for (const MidiInPort* port : layer.liveIn)
            if (port->backend == backend)
                return true;
    }
    std::lock_guard<std::mutex> lock(layer.outLock);
    for (const MidiOutPort* port : layer.liveOut)
        if (port->backend == backend)
            return true;
    return false;
}
} // namespace

void MidiPortsRefresh() {
    Layer& layer = TheLayer();
    if (!layer.started || !layer.finder)
        return;
    try {
        std::vector<std::unique_ptr<MidiBackend>>& backends = layer.backends;
        // A service that has gone (a server stopped) lists nothing any more, even once it runs
        // again; it is looked for afresh below.
        backends.erase(std::remove_if(backends.begin(), backends.end(),
                                      [](const std::unique_ptr<MidiBackend>& backend) {
                                          return backend->ServiceLost() && !InUse(backend.get());
                                      }),
                       backends.end());
        std::vector<std::string> running;
        for (const std::unique_ptr<MidiBackend>& backend : backends)
            running.push_back(backend->Name());
        std::vector<std::unique_ptr<MidiBackend>> found = layer.finder(running);
        // The simulator stays last.
        auto at = std::find_if(backends.begin(), backends.end(),
                               [](const std::unique_ptr<MidiBackend>& b) { return IsSimulator(*b); });
        for (std::unique_ptr<MidiBackend>& backend : found) {
            if (backend)
                at = backends.insert(at, std::move(backend)) + 1;
        }
    } catch (...) {
        // Out of memory while looking: the services found so far.
    }
}

int MidiPortsTerm() {
    Layer& layer = TheLayer();
    if (!layer.started)
        return 0;
    // A port still open uses its back end; the layer stays up rather than pull it away.
    {
        std::lock_guard<std::mutex> lock(layer.inLock);
        if (!layer.liveIn.empty())
            return 0;
        layer.inText.clear();
    }
    {
        std::lock_guard<std::mutex> lock(layer.outLock);
        if (!layer.liveOut.empty() || layer.orphans > 0)
            return 0;
        layer.outText.clear();
    }
    layer.backends.clear();
    layer.finder = nullptr;
    layer.started = false;
    return 1;
}

MidiBackend* MidiPortsBackend(const std::string& name) {
    for (const std::unique_ptr<MidiBackend>& backend : TheLayer().backends) {
        if (backend->Name() == name)
            return backend.get();
    }
    return nullptr;
}

std::vector<std::string> MidiInDeviceNames() {
    return DeviceNames(true);
}
std::vector<std::string> MidiOutDeviceNames() {
    return DeviceNames(false);
}

bool MidiInDeviceIndex(const std::string& name, size_t among, uint32_t& index) {
    return DeviceIndex(true, name, among, index);
}
bool MidiOutDeviceIndex(const std::string& name, size_t among, uint32_t& index) {
    return DeviceIndex(false, name, among, index);
}

std::string MidiInErrorText(int code) {
    std::lock_guard<std::mutex> lock(TheLayer().inLock);
    return ErrorText(code, TheLayer().inText);
}

std::string MidiOutErrorText(int code) {
    std::lock_guard<std::mutex> lock(TheLayer().outLock);
    return ErrorText(code, TheLayer().outText);
}
