#include "cli/CliPrompter.h"

#include <ostream>

void CliPrompter::Info(const std::string& text) {
    m_out << text << '\n';
}
void CliPrompter::Stop(const std::string& text) {
    m_out << text << '\n';
}
void CliPrompter::Exclaim(const std::string& text) {
    m_out << text << '\n';
}

bool CliPrompter::AskYesNo(const std::string& text, const std::string& caption, Icon icon) {
    (void)text;
    (void)caption;
    (void)icon;
    return m_answer;
}
