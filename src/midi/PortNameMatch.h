#pragma once

#include <cstddef>
#include <string>
#include <vector>

// How a stored or typed port name finds its port among the ports of the running services.
//
// The list shows a port as "SERVICE: name" while several services run and as "name" while only
// one does, so a name stored under one of those states must still find its port under the other:
// "ALSA: X" finds ALSA's "X" when ALSA runs alone, and "X" finds "ALSA: X" once JACK runs too.
// Ports listed under the same name are told apart by their index among them (0 for the first).
// Plain functions over the lists; no state, any thread.
class PortNameMatch {
public:
    struct Port {
        std::string service; // empty for a port that is never prefixed (the simulator)
        std::string name;    // the port's own name, without the prefix
    };

    // The index in `ports` of the port `wanted` names, the `among`-th of those it names; -1 when
    // there is none. `wanted` is a port's own name, or "SERVICE: name" when SERVICE is one of
    // `services`: then only that service's ports are taken.
    static int Find(const std::vector<Port>& ports, const std::vector<std::string>& services,
                    const std::string& wanted, size_t among);
    // The index of `names[index]` among the entries of `names` that read the same.
    static size_t IndexAmongSameNames(const std::vector<std::string>& names, size_t index);
};
