#pragma once

// The MIDI port layer: input ports as a pull-style stream of events in which system exclusive
// data arrives byte by byte, output ports as a push-style sink that packs system exclusive bytes
// into buffers handed to the back end in the background.
//
// Threads: ports are opened and closed on one thread (the user-interface thread); one transfer
// worker reads or puts events; back ends deliver input on their own threads. One process-wide
// input lock guards all input state and one output lock all output state; no operation takes
// both. Each output port owns a sender thread that hands completed system exclusive buffers to
// the back end and returns their slots, so the caller's thread never blocks on the wire.

#include "midi/MidiBackend.h"
#include "midi/MidiEvent.h"

#include <chrono>
#include <cstdint>
#include <functional>
#include <memory>
#include <string>
#include <vector>

struct MidiInPort;
struct MidiOutPort;

// Result codes. Back-end failures report MidiErrBackend with the back end's text.
enum MidiResult {
    MidiOk = 0,
    MidiErrBackend = 1,
    MidiErrBadDevice = 2,
    MidiErrNoMemory = 7,
    MidiErrInputOverflow = 72, // the reader fell behind and input data was lost
    MidiErrNoRoom = -1,        // also: a stale port reference
};

// PortOptions: bits 0-7 buffer count, 8-11 buffer size index, 12-15 ring/queue size index,
// bit 16 system exclusive buffering, bit 17 (inputs) nothing but system exclusive data.
constexpr uint32_t kPortSysexBuffering = 0x10000;
// An input that keeps only system exclusive data: channel, system common and realtime messages
// are dropped as they arrive, so a merged clock or a pedal never fills the short-message ring.
constexpr uint32_t kPortSysexOnly = 0x20000;
constexpr int kBufferSizeTable[10] = {64, 128, 256, 512, 1024, 2048, 4096, 8192, 16384, 32768};
constexpr int kOutstandingBufferLimit = 4;
constexpr uint32_t kDownloadPortOptions = 0x102C8;
constexpr uint32_t kInputFilterMask = 0x38B800;
constexpr uint32_t kInputFilterMaskNoSysex = 0x38B880;
constexpr uint32_t kInputFilterMaskSysexOnly = 0x3FFF7F;
constexpr uint32_t kMidiMapper = 0xFFFFFFFFu;

// The options for upload and test-send ports for a BufferSize setting.
uint32_t OutPortOptionsFor(int bufferSize);
// True when the status byte is dropped by the filter mask.
bool MidiStatusFiltered(uint32_t mask, uint8_t status);

// Looks for services that run now but not when the layer started: given the names of those in
// the layer, the back ends of others that can start now.
using MidiServiceFinder =
    std::function<std::vector<std::unique_ptr<MidiBackend>>(const std::vector<std::string>& running)>;

// Starts the layer with the default back ends: every compiled and available RtMidi API, then
// the RIV 10 simulator, always last. 1 on success, 0 on failure.
int MidiPortsInit();
// Starts the layer with the given back ends, in list order (tests, the simulator tool); `finder`
// looks for services that start later (none without one).
int MidiPortsInit(std::vector<std::unique_ptr<MidiBackend>> backends, MidiServiceFinder finder = {});
// Opening thread: takes in the services started since the layer started or last looked (a JACK
// server started later), before the simulator, and drops one that has gone and that no open port
// uses. Indices of the device lists may move; names do not. Called when the preferences open and
// when a transfer looks its port up by name.
void MidiPortsRefresh();
// Closes nothing that is still open; 1 when every step succeeded.
int MidiPortsTerm();
// A back end of the running layer, e.g. to configure the simulator; null when absent.
MidiBackend* MidiPortsBackend(const std::string& name);

std::vector<std::string> MidiInDeviceNames();
std::vector<std::string> MidiOutDeviceNames();
// The index of the port a stored or typed name stands for, with or without its service prefix
// (see PortNameMatch); `among` tells ports listed under the same name apart (0: the first).
// False when no such port is listed: nothing else is taken in its place.
bool MidiInDeviceIndex(const std::string& name, size_t among, uint32_t& index);
bool MidiOutDeviceIndex(const std::string& name, size_t among, uint32_t& index);
// The text for a result code; for MidiErrBackend the back end's last text.
std::string MidiInErrorText(int code);
std::string MidiOutErrorText(int code);

int InPortOpen(MidiInPort*& port, void* owner, uint32_t device, uint32_t options);
int InPortStart(MidiInPort* port);
int InPortStop(MidiInPort* port);
// The next event, or false when none is waiting. Never blocks.
bool InPortNextEvent(MidiInPort* port, MidiEvent& event);
// MidiErrInputOverflow once input was lost because the reader fell behind, MidiErrBackend once
// the service behind the port has gone, else 0.
int InPortError(MidiInPort* port);
int InPortClose(MidiInPort*& port);

int OutPortOpen(MidiOutPort*& port, void* owner, uint32_t device, uint32_t options);
// 0 when the event was sent, buffered or dropped by the filter; -1 when there is no room now
// (the caller retries the same event later) or the port is null; a back-end code on failure.
int OutPortPut(MidiOutPort* port, const MidiEvent& event);
// Neither waits longer than a back end may take to give back the chunk it was handed (its wire
// time, its stall allowance and a grace of 2 s). A back end that keeps it longer is given up:
// Reset then fails with MidiErrBackend and the port reports it to every put until the next reset;
// Close returns at once and the port is freed once the back end lets go, keeping the layer up.
int OutPortReset(MidiOutPort* port);
int OutPortClose(MidiOutPort*& port);
// True when no system exclusive buffer is outstanding or being filled with unsent bytes.
bool OutPortIdle(MidiOutPort* port);
// True when no completed system exclusive buffer is waiting or on the wire; a buffer still
// being filled does not count.
bool OutPortDrained(MidiOutPort* port);
// Hands a partly filled system exclusive buffer to the sender as it stands, as the end of a
// transfer must: a message that never ends would otherwise never leave. 0, or -1 while every
// buffer is outstanding (try again).
int OutPortFlush(MidiOutPort* port);
// Moves on whenever the port hands data to the back end or the wire gives a buffer back; a
// waiting caller sees from it whether the port makes progress.
uint64_t OutPortProgress(MidiOutPort* port);
// The wire time of everything the port holds and has not yet given back.
std::chrono::microseconds OutPortBacklogTime(MidiOutPort* port);
// How long the service behind the port may pause without having failed (see
// MidiBackendOutput::StallAllowance).
std::chrono::milliseconds OutPortStallAllowance(MidiOutPort* port);
// The failure the sender thread met handing a buffer to the back end (reported by every put
// until a reset), or 0.
int OutPortError(MidiOutPort* port);
