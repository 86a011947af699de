#pragma once

#include "settings/Settings.h"
#include "support/ScriptedPrompter.h"
#include "widgets/DocUndoStack.h"
#include "widgets/ShellServices.h"

#include <QPoint>
#include <QTemporaryDir>

#include <map>
#include <memory>
#include <vector>

class SystemDoc;

// The editor program as the document windows and dialogs see it: settings in a scratch INI
// file, scripted message boxes, and a log of the shell operations asked for.
class FakeShell : public ShellServices {
public:
    FakeShell()
        : m_settings(
              std::make_unique<Settings>(m_dir.filePath(QStringLiteral("settings.ini")), m_dir.path())) {}

    Settings& settings() override { return *m_settings; }
    Prompter& prompter() override { return m_prompter; }
    void showContextMenu(const QPoint& globalPos, int submenu) override {
        contextMenus.push_back({globalPos, submenu});
    }
    void openHexView(SystemDoc* doc) override { hexViewsOpened.push_back(doc); }
    void launchCalculator() override { ++calculatorLaunches; }
    bool launchMidiHelp() override {
        ++midiHelpLaunches;
        return true;
    }
    // One stack per document, made when first asked for; the records its steps bring forward are
    // logged.
    DocUndoStack* undoStack(SystemDoc& doc) override {
        std::unique_ptr<DocUndoStack>& stack = m_stacks[&doc];
        if (!stack) {
            stack = std::make_unique<DocUndoStack>();
            QObject::connect(stack.get(), &DocUndoStack::revealRequested, [this](int hint, int number) {
                revealed.push_back({hint, number});
            });
        }
        return stack.get();
    }

    ScriptedPrompter& script() { return m_prompter; }

    struct ContextMenuCall {
        QPoint pos;
        int submenu;
    };
    std::vector<ContextMenuCall> contextMenus;
    std::vector<SystemDoc*> hexViewsOpened;
    struct Revealed {
        int hint;
        int number;
        bool operator==(const Revealed& other) const { return hint == other.hint && number == other.number; }
    };
    std::vector<Revealed> revealed;
    int calculatorLaunches = 0;
    int midiHelpLaunches = 0;

private:
    QTemporaryDir m_dir;
    ScriptedPrompter m_prompter;
    std::unique_ptr<Settings> m_settings;
    std::map<const SystemDoc*, std::unique_ptr<DocUndoStack>> m_stacks;
};
