#pragma once

#include <atomic>
#include <cstddef>
#include <cstdint>
#include <memory>
#include <mutex>
#include <string>

// What RtMidi does not tell about a JACK port: whether the server is still there, and whether
// the port's output ring has room. A small client of our own, with no ports, hears the server's
// shutdown and counts its process cycles.
//
// Three things look alike from a client and are told apart here:
// - the server has gone: our client is shut down and the server's socket takes no connection.
//   Gone() from then on.
// - our own client alone was dropped: it is shut down, but the server still takes connections.
//   Nothing is reported; the link watches no more (a new client in this process would tear down
//   RtMidi's clients with it, as libjack cleans up every client once one was shut down).
// - the server pauses (stopped or starved for a while): no cycles, no shutdown. A send waits for
//   the cycles to come back, for at most kPauseLimitMs; that send then fails, but the server is
//   not taken for gone.
//
// RtMidi's JACK output passes each message through a ring of 16 KB that its process callback
// empties once a cycle; when the ring is full, sendMessage yields until the next cycle, for ever
// once the server has gone. Counting what went in during the last three cycles bounds what the
// ring can hold, so a send that might block waits here instead, where the wait ends.
//
// Threads: Open and destruction on the port's opening thread; Gone from any thread (it may look
// at the server's socket once, which does not block); BeforeSend from the one thread that sends
// on the port (its calls are serialised by the port).
class JackLink {
public:
    // What RtMidi's ring takes: 16,384 bytes less the byte a ring keeps free.
    static constexpr size_t kRingBytes = 16383;
    // How long a send waits for cycles that do not come before it fails.
    static constexpr int kPauseLimitMs = 10000;

    JackLink();
    ~JackLink();
    JackLink(const JackLink&) = delete;
    JackLink& operator=(const JackLink&) = delete;

    // Connects to the server RtMidi uses (JACK_DEFAULT_SERVER applies to both). False without
    // one; the link then never reports the server gone, as there is nothing to watch.
    bool Open();
    // True once the server has shut down for good.
    bool Gone() const;
    // Call before RtMidi's sendMessage with the message size: waits (bounded) until the ring
    // surely has room. False with `error` set when the server is gone or has paused too long.
    bool BeforeSend(size_t bytes, std::string& error);

    static std::string GoneText();
    static std::string PausedText();

private:
    struct Impl;
    std::unique_ptr<Impl> m_impl;
};
