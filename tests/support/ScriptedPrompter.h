#pragma once

#include "dump/Prompter.h"

#include <deque>
#include <string>
#include <vector>

// Records every message and answers questions from a script (No once the script runs out).
class ScriptedPrompter : public Prompter {
public:
    struct Entry {
        std::string kind; // "info", "stop", "exclaim", "ask", "message"
        std::string text;
        std::string caption;
        Icon icon = Icon::None;
    };

    explicit ScriptedPrompter(std::deque<bool> answers = {}) : m_answers(std::move(answers)) {}

    void Info(const std::string& text) override {
        m_messages.push_back({"info", text, "", Icon::Information});
    }
    void Stop(const std::string& text) override { m_messages.push_back({"stop", text, "", Icon::Stop}); }
    void Exclaim(const std::string& text) override {
        m_messages.push_back({"exclaim", text, "", Icon::Exclamation});
    }
    bool AskYesNo(const std::string& text, const std::string& caption, Icon icon) override {
        m_messages.push_back({"ask", text, caption, icon});
        if (m_answers.empty())
            return false;
        const bool answer = m_answers.front();
        m_answers.pop_front();
        return answer;
    }

    void Message(const std::string& text, const std::string& caption, Icon icon) override {
        m_messages.push_back({"message", text, caption, icon});
    }

    const std::vector<Entry>& Messages() const { return m_messages; }
    void Answer(bool yes) { m_answers.push_back(yes); }
    void Clear() { m_messages.clear(); }

private:
    std::deque<bool> m_answers;
    std::vector<Entry> m_messages;
};
