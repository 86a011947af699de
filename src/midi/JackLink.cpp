#include "midi/JackLink.h"

#include <chrono>
#include <condition_variable>
#include <thread>

#if TOLVANE_WITH_JACK
#include <jack/jack.h>
#endif

struct JackLink::Impl {
    std::atomic<bool> gone{false};
    std::atomic<bool> dropped{false}; // our client was shut down; the watcher looks why
    std::atomic<uint64_t> cycles{0};
    // Bytes written to the ring in the cycle counted at `lastCycle` and the two before it.
    uint64_t lastCycle = 0;
    size_t written[3] = {0, 0, 0};

    std::mutex mutex; // the client and the watcher's state
    std::condition_variable wake;
    bool stop = false;
    std::thread watcher;
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

#if TOLVANE_WITH_JACK
    static int OnProcess(jack_nframes_t, void* arg) {
        static_cast<Impl*>(arg)->cycles.fetch_add(1, std::memory_order_relaxed);
        return 0;
    }
    static void OnShutdown(void* arg) {
        // On a JACK thread: only a mark here, the watcher does the rest.
        auto* impl = static_cast<Impl*>(arg);
        impl->dropped = true;
        impl->wake.notify_all();
    }

    // A client of our own on the server, or null when none can connect.
    jack_client_t* Connect() {
        jack_status_t status{};
        jack_client_t* fresh = jack_client_open("Tolvane link", JackNoStartServer, &status);
        if (fresh == nullptr)
            return nullptr;
        jack_set_process_callback(fresh, &Impl::OnProcess, this);
        jack_on_shutdown(fresh, &Impl::OnShutdown, this);
        if (jack_activate(fresh) != 0) {
            jack_client_close(fresh);
            return nullptr;
        }
        return fresh;
    }

    // After a shutdown: a server that takes a new client is still there, and only our client
    // was dropped; one that takes none has gone.
    void Watch() {
        std::unique_lock<std::mutex> lock(mutex);
        for (;;) {
            // The shutdown mark may come without the notice reaching the wait; look now and then.
            wake.wait_for(lock, std::chrono::milliseconds(100), [this] { return stop || dropped.load(); });
            if (stop)
                return;
            if (!dropped)
                continue;
            jack_client_t* old = client;
            client = nullptr;
            lock.unlock();
            if (old != nullptr)
                jack_client_close(old);
            jack_client_t* fresh = Connect();
            lock.lock();
            if (fresh == nullptr) {
                gone = true;
                return; // nothing more to watch
            }
            client = fresh;
            dropped = false;
        }
    }
#endif
};

JackLink::JackLink() : m_impl(std::make_unique<Impl>()) {}

JackLink::~JackLink() {
    {
        std::lock_guard<std::mutex> lock(m_impl->mutex);
        m_impl->stop = true;
    }
    m_impl->wake.notify_all();
    if (m_impl->watcher.joinable())
        m_impl->watcher.join();
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
    m_impl->client = m_impl->Connect();
    if (m_impl->client == nullptr)
        return false;
    try {
        m_impl->watcher = std::thread(&Impl::Watch, m_impl.get());
    } catch (...) {
        // No thread to be had: a shutdown then counts as the server gone, as before any check.
        jack_client_close(m_impl->client);
        m_impl->client = nullptr;
        return false;
    }
    return true;
#else
    return false;
#endif
}

bool JackLink::Gone() const {
    return m_impl->gone;
}

bool JackLink::BeforeSend(size_t bytes, std::string& error) {
    const size_t need = bytes + sizeof(int); // RtMidi puts the length in front
    {
        std::lock_guard<std::mutex> lock(m_impl->mutex);
        if (!m_impl->watcher.joinable())
            return true; // not connected: nothing to wait for
    }
    auto since = std::chrono::steady_clock::now();
    uint64_t seen = m_impl->cycles;
    for (;;) {
        if (m_impl->gone) {
            error = GoneText();
            return false;
        }
        const uint64_t now = m_impl->cycles;
        m_impl->Age(now);
        if (m_impl->InRing() + need <= kRingBytes || m_impl->InRing() == 0) {
            m_impl->written[0] += need;
            return true;
        }
        // No cycle while the server pauses or while our client is being replaced.
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
