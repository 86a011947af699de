#pragma once

#include "dump/Prompter.h"

class QWidget;

// The program's message boxes: modal, on the user-interface thread, with the application's
// title where the caller gives no caption.
class MessageBoxPrompter : public Prompter {
public:
    explicit MessageBoxPrompter(QWidget* parent = nullptr) : m_parent(parent) {}
    void SetParent(QWidget* parent) { m_parent = parent; }

    void Info(const std::string& text) override;
    void Stop(const std::string& text) override;
    void Exclaim(const std::string& text) override;
    bool AskYesNo(const std::string& text, const std::string& caption, Icon icon) override;
    bool AskYesNoDefaultNo(const std::string& text, const std::string& caption, Icon icon) override;
    void Message(const std::string& text, const std::string& caption, Icon icon) override;

private:
    QWidget* m_parent;
};
