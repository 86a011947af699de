#include "cli/CliTransferObserver.h"

#include <ostream>

void CliTransferObserver::SetText(int control, const std::string& text) {
    if (control != CtlStatus)
        return;
    std::lock_guard<std::mutex> lock(m_mutex);
    // A dialog flips between "Waiting" and "Receiving", or "Pausing" and "Sending", many times a
    // second; a terminal gets each status line once.
    if (!m_printed.insert(text).second)
        return;
    m_out << text << std::endl;
}

void CliTransferObserver::SetValue(int control, unsigned value) {
    if (control == CtlValue1)
        m_value1 = value;
    else if (control == CtlValue2)
        m_value2 = value;
}
