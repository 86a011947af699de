#pragma once

#include "midi/MidiPorts.h"
#include "midi/SimulatorBackend.h"

#include <memory>
#include <vector>

// Starts the port layer with the simulated device as its only port, unpaced and without the
// start delay, so transfers in tests run as fast as the layer allows. MidiPortsTerm ends it.
inline SimulatorBackend* StartLayerWithSimulator() {
    auto simulator = std::make_unique<SimulatorBackend>();
    simulator->SetBaud(0);
    simulator->SetSendDelayMs(0);
    SimulatorBackend* device = simulator.get();
    std::vector<std::unique_ptr<MidiBackend>> backends;
    backends.push_back(std::move(simulator));
    return MidiPortsInit(std::move(backends)) == 1 ? device : nullptr;
}
