#pragma once

#include "dump/Prompter.h"

#include <iosfwd>

// Messages as lines on a stream; questions get a fixed answer, since a script cannot reply.
class CliPrompter : public Prompter {
public:
    CliPrompter(std::ostream& out, bool answer) : m_out(out), m_answer(answer) {}
    void Info(const std::string& text) override;
    void Stop(const std::string& text) override;
    void Exclaim(const std::string& text) override;
    bool AskYesNo(const std::string& text, const std::string& caption, Icon icon) override;

private:
    std::ostream& m_out;
    bool m_answer;
};
