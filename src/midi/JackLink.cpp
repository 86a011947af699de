#include "midi/JackLink.h"

#include <chrono>
#include <thread>

#if TOLVANE_WITH_JACK
#include <jack/jack.h>
#endif

struct JackLink::Impl {
#if TOLVANE_WITH_JACK
    jack_client_t* client = nullptr;
#endif
    std::atomic<bool> gone{false};
    std::atomic<uint64_t> cycles{0};
    // Bytes written to the ring in the cycle counted at `lastCycle` and the two before it.
    uint64_t lastCycle = 0;
    size_t written[3] = {0, 0, 0};

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
        static_cast<Impl*>(arg)->gone = true;
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
    if (m_impl->client != nullptr)
        return true;
    jack_status_t status{};
    m_impl->client = jack_client_open("Tolvane link", JackNoStartServer, &status);
    if (m_impl->client == nullptr)
        return false;
    jack_set_process_callback(m_impl->client, &Impl::OnProcess, m_impl.get());
    jack_on_shutdown(m_impl->client, &Impl::OnShutdown, m_impl.get());
    if (jack_activate(m_impl->client) != 0) {
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
#if TOLVANE_WITH_JACK
    const bool watching = m_impl->client != nullptr;
#else
    const bool watching = false;
#endif
    if (!watching)
        return true;
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
        if (now != seen) {
            seen = now;
            since = std::chrono::steady_clock::now();
        } else if (std::chrono::steady_clock::now() - since > std::chrono::milliseconds(kStallMs)) {
            m_impl->gone = true;
            error = GoneText();
            return false;
        }
        std::this_thread::sleep_for(std::chrono::milliseconds(1));
    }
}

std::string JackLink::GoneText() {
    return "The JACK server has stopped.";
}
