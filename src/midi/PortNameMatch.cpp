#include "midi/PortNameMatch.h"

int PortNameMatch::Find(const std::vector<Port>& ports, const std::vector<std::string>& services,
                        const std::string& wanted, size_t among) {
    std::string service;
    std::string name = wanted;
    for (const std::string& candidate : services) {
        const std::string prefix = candidate + ": ";
        if (!candidate.empty() && wanted.size() > prefix.size() &&
            wanted.compare(0, prefix.size(), prefix) == 0) {
            service = candidate;
            name = wanted.substr(prefix.size());
            break;
        }
    }
    size_t seen = 0;
    for (size_t i = 0; i < ports.size(); ++i) {
        if (ports[i].name != name || (!service.empty() && ports[i].service != service))
            continue;
        if (seen++ == among)
            return static_cast<int>(i);
    }
    return -1;
}

size_t PortNameMatch::IndexAmongSameNames(const std::vector<std::string>& names, size_t index) {
    size_t same = 0;
    if (index >= names.size())
        return 0;
    for (size_t i = 0; i < index; ++i)
        same += names[i] == names[index] ? 1 : 0;
    return same;
}
