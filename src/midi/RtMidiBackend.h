#pragma once

#include "midi/MidiBackend.h"

#include <memory>
#include <string>
#include <vector>

// The ports of one RtMidi API (ALSA, JACK, CoreMIDI or WinMM). Everything specific to an API,
// including what it can carry in one message, stays in this class.
//
// Threads: enumeration and opening come from one thread (the user-interface thread, or the
// simulator tool's main thread). An open input delivers on RtMidi's own thread (the ALSA input
// thread, the JACK process thread, the CoreMIDI or WinMM callback); its Stop and destruction wait
// for a delivery in progress, so they must not be called while holding a lock the receiver takes.
// An open output may be used from several threads; calls into RtMidi are serialised per port.
class RtMidiBackend : public MidiBackend {
public:
    // One back end per compiled API that can start here; an API that cannot start (no ALSA
    // sequencer, no JACK server) is left out without printing anything, and so is one whose name
    // is in `skip` (the services the layer already has).
    static std::vector<std::unique_ptr<MidiBackend>>
    AvailableBackends(const std::vector<std::string>& skip = {});
    // The names of every compiled API, whether it runs or not ("ALSA", "JACK", ...).
    static std::vector<std::string> CompiledServiceNames();
    // The back end for one API by RtMidi's name for it ("alsa", "jack", "core", "winmm"); null
    // when it is not compiled in or cannot start.
    static std::unique_ptr<RtMidiBackend> ForApi(const std::string& apiName);

    ~RtMidiBackend() override;
    std::string Name() const override;
    std::vector<std::string> InputNames() override;
    std::vector<std::string> OutputNames() override;
    int OpenInput(size_t index, MidiInputReceiver& receiver, std::unique_ptr<MidiBackendInput>& input,
                  std::string& error) override;
    int OpenOutput(size_t index, std::unique_ptr<MidiBackendOutput>& output, std::string& error) override;
    // JACK: the server this back end lists the ports of has gone.
    bool ServiceLost() override;

    // Ports that other programs connect to (ALSA, JACK and CoreMIDI; WinMM has none), for the
    // simulated device of the command-line tool. `clientName` groups the port where the API has
    // clients (ALSA, JACK). Same codes and delivery as OpenInput and OpenOutput.
    int OpenVirtualInput(const std::string& clientName, const std::string& portName,
                         MidiInputReceiver& receiver, std::unique_ptr<MidiBackendInput>& input,
                         std::string& error);
    int OpenVirtualOutput(const std::string& clientName, const std::string& portName,
                          std::unique_ptr<MidiBackendOutput>& output, std::string& error);

    // The largest single message this API carries safely; longer system exclusive chunks are
    // split into pieces of this size (the receiving side reassembles them). For CoreMIDI and
    // WinMM, which take no message that continues system exclusive data, it is the largest whole
    // message: the output collects a message up to its 0xF7 and sends it at once.
    size_t MaxMessageBytes() const;

private:
    struct Impl;

    explicit RtMidiBackend(int api);
    static std::string NameOf(int api);
    int m_api; // RtMidi::Api
    // The RtMidi objects kept for enumeration, so that listing ports does not open new clients.
    std::unique_ptr<Impl> m_impl;
};
