#pragma once

#include <string>

// Everything the model has to tell or ask the user goes through this seam: the GUI answers with
// message boxes, the command-line tool with stderr and fixed answers, tests with a script.
class Prompter {
public:
    enum class Icon { None, Information, Exclamation, Stop, Question };

    virtual ~Prompter() = default;
    virtual void Info(const std::string& text) = 0;
    virtual void Stop(const std::string& text) = 0;
    virtual void Exclaim(const std::string& text) = 0;
    // An empty caption means the application's own title.
    virtual bool AskYesNo(const std::string& text, const std::string& caption, Icon icon) = 0;
    // The same question with No as the default answer, for what is hard to take back.
    virtual bool AskYesNoDefaultNo(const std::string& text, const std::string& caption, Icon icon) {
        return AskYesNo(text, caption, icon);
    }
    // A message box with its own caption; by default the caption is dropped.
    virtual void Message(const std::string& text, const std::string& caption, Icon icon) {
        (void)caption;
        if (icon == Icon::Stop)
            Stop(text);
        else if (icon == Icon::Exclamation)
            Exclaim(text);
        else
            Info(text);
    }
};

// Says nothing and answers No: for scratch documents and checks that must stay quiet.
class SilentPrompter : public Prompter {
public:
    void Info(const std::string&) override {}
    void Stop(const std::string&) override {}
    void Exclaim(const std::string&) override {}
    bool AskYesNo(const std::string&, const std::string&, Icon) override { return false; }
};
