#include "midi/JackLink.h"

#include <chrono>
#include <cstdlib>
#include <thread>

#if TOLVANE_WITH_JACK
#include <jack/jack.h>
#include <sys/socket.h>
#include <sys/stat.h>
#include <sys/un.h>
#include <unistd.h>

#include <cerrno>
#include <cstring>
#endif

struct JackLink::Impl {
    std::atomic<bool> dropped{false}; // our client was shut down
    std::atomic<uint64_t> cycles{0};
    // Bytes written to the ring in the cycle counted at `lastCycle` and the two before it.
    uint64_t lastCycle = 0;
    size_t written[3] = {0, 0, 0};

    std::mutex mutex; // what follows
    // When the server's socket was last asked after the shutdown.
    std::chrono::steady_clock::time_point lastAsked{};
    bool gone = false;
    bool watching = false;
    std::string serverSocket; // where the server takes its clients; empty when unknown
#if TOLVANE_WITH_JACK
    jack_client_t* client = nullptr;
#endif

    void Age(uint64_t now) {
        const uint64_t steps = now - lastCycle;
        for (uint64_t i = 0; i < steps && i < 3; ++i) {
            written[2] = written[1];
            written[1] = written[0];
            written[0] = 0;
        }
        lastCycle = now;
    }
    size_t InRing() const {
        return written[0] + written[1] + written[2];
    }

    // With `mutex` held: after a shutdown, whether the server has gone.
    // A server that is dying may still take a connection for a moment after it dropped its
    // clients (its listening socket closes with its last files), so a "still there" is asked
    // again later; a "gone" is final.
    bool Judge() {
        if (!dropped || gone)
            return gone;
        watching = false;
        const auto now = std::chrono::steady_clock::now();
        if (now - lastAsked < std::chrono::milliseconds(100))
            return false;
        lastAsked = now;
        gone = !ServerTakesConnections();
        return gone;
    }

#if TOLVANE_WITH_JACK
    static int OnProcess(jack_nframes_t, void* arg) {
        static_cast<Impl*>(arg)->cycles.fetch_add(1, std::memory_order_relaxed);
        return 0;
    }
    static void OnShutdown(void* arg) {
        // On a JACK thread: only a mark here; the verdict comes when it is asked for.
        static_cast<Impl*>(arg)->dropped = true;
    }

    // The socket a JACK server of this user listens on under /dev/shm, as jackd makes it.
    static std::string SocketPath() {
        const char* named = std::getenv("JACK_DEFAULT_SERVER");
        const std::string server = named != nullptr && *named != '\0' ? named : "default";
        return "/dev/shm/jack_" + server + "_" + std::to_string(getuid()) + "_0";
    }

    // A connection that a stopped (paused) server's socket still takes, and a gone one refuses.
    bool ServerTakesConnections() const {
        if (serverSocket.empty())
            return false; // nothing to ask: a shutdown is all there is to go by
        sockaddr_un address{};
        if (serverSocket.size() >= sizeof(address.sun_path))
            return false;
        address.sun_family = AF_UNIX;
        std::memcpy(address.sun_path, serverSocket.c_str(), serverSocket.size() + 1);
        const int fd = socket(AF_UNIX, SOCK_STREAM | SOCK_CLOEXEC | SOCK_NONBLOCK, 0);
        if (fd < 0)
            return false;
        const bool taken = connect(fd, reinterpret_cast<const sockaddr*>(&address), sizeof(address)) == 0 ||
                           errno == EAGAIN || errno == EINPROGRESS;
        close(fd);
        return taken;
    }
#else
    bool ServerTakesConnections() const {
        return false;
    }
#endif
};

JackLink::JackLink() : m_impl(std::make_unique<Impl>()) {}

JackLink::~JackLink() {
#if TOLVANE_WITH_JACK
    if (m_impl->client != nullptr)
        jack_client_close(m_impl->client);
#endif
}

bool JackLink::Open() {
#if TOLVANE_WITH_JACK
    std::lock_guard<std::mutex> lock(m_impl->mutex);
    if (m_impl->client != nullptr)
        return true;
    jack_status_t status{};
    jack_client_t* client = jack_client_open("Tolvane link", JackNoStartServer, &status);
    if (client == nullptr)
        return false;
    jack_set_process_callback(client, &Impl::OnProcess, m_impl.get());
    jack_on_shutdown(client, &Impl::OnShutdown, m_impl.get());
    if (jack_activate(client) != 0) {
        jack_client_close(client);
        return false;
    }
    m_impl->client = client;
    m_impl->watching = true;
    // Known only where jackd keeps its socket in the usual place.
    const std::string path = Impl::SocketPath();
    struct stat info {};
    if (stat(path.c_str(), &info) == 0 && S_ISSOCK(info.st_mode))
        m_impl->serverSocket = path;
    return true;
#else
    return false;
#endif
}

bool JackLink::Gone() const {
    std::lock_guard<std::mutex> lock(m_impl->mutex);
    return m_impl->Judge();
}

bool JackLink::BeforeSend(size_t bytes, std::string& error) {
    const size_t need = bytes + sizeof(int); // RtMidi puts the length in front
    auto since = std::chrono::steady_clock::now();
    uint64_t seen = m_impl->cycles;
    for (;;) {
        {
            std::lock_guard<std::mutex> lock(m_impl->mutex);
            if (m_impl->Judge()) {
                error = GoneText();
                return false;
            }
            // Not connected, or our client was dropped while the server lives on: nothing to
            // count cycles with.
            if (!m_impl->watching)
                return true;
        }
        const uint64_t now = m_impl->cycles;
        m_impl->Age(now);
        if (m_impl->InRing() + need <= kRingBytes || m_impl->InRing() == 0) {
            m_impl->written[0] += need;
            return true;
        }
        // No cycle while the server pauses: wait for it, but not for ever.
        if (now != seen) {
            seen = now;
            since = std::chrono::steady_clock::now();
        } else if (std::chrono::steady_clock::now() - since > std::chrono::milliseconds(kPauseLimitMs)) {
            error = PausedText();
            return false;
        }
        std::this_thread::sleep_for(std::chrono::milliseconds(1));
    }
}

std::string JackLink::GoneText() {
    return "The JACK server has stopped.";
}

std::string JackLink::PausedText() {
    return "The JACK server has run no process cycle for " + std::to_string(kPauseLimitMs / 1000) + " s.";
}
