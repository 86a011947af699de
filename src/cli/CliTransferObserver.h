#pragma once

#include "midi/TransferObserver.h"

#include <atomic>
#include <iosfwd>
#include <mutex>
#include <set>
#include <string>

// Prints each status line of a transfer once; keeps the counters for a summary at the end.
class CliTransferObserver : public TransferObserver {
public:
    explicit CliTransferObserver(std::ostream& out) : m_out(out) {}
    void SetText(int control, const std::string& text) override;
    void SetValue(int control, unsigned value) override;

    unsigned Value1() const { return m_value1; }
    unsigned Value2() const { return m_value2; }

private:
    std::ostream& m_out;
    std::mutex m_mutex;
    std::set<std::string> m_printed;
    std::atomic<unsigned> m_value1{0};
    std::atomic<unsigned> m_value2{0};
};
