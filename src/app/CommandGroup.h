#pragma once

#include <QAction>
#include <QKeySequence>
#include <QList>
#include <QObject>
#include <QString>

// What every group of commands shares: its named actions, each known by its command number
// (kept as the action's data and in its object name "command<number>", for the status prompts
// and for tests), and the one update method that sets their enable and check states.
//
// A triggered action asks for a fresh update pass first and runs only while still enabled, then
// asks again, so a shortcut never runs a command whose state went stale.
class CommandGroup : public QObject {
    Q_OBJECT
public:
    explicit CommandGroup(QObject* parent = nullptr) : QObject(parent) {}

    const QList<QAction*>& actions() const { return m_actions; }
    // Null when the group has no such command.
    QAction* action(int id) const;

    // Sets the enable and check states of the group's commands.
    virtual void updateStates() = 0;

signals:
    // The main window's update pass is wanted.
    void statesNeeded();
    // A text for the status bar.
    void statusMessage(const QString& text);

protected:
    // A command carried out by one of the group's member functions. `prompt` goes to the status
    // bar; a part after a line break is the tool tip.
    template <class Group>
    QAction* add(int id, const QString& text, const QString& prompt, void (Group::*slot)(),
                 const QKeySequence& keys = {}) {
        QAction* command = adopt(new QAction(text, this), id, prompt, keys);
        auto* group = static_cast<Group*>(this);
        connect(command, &QAction::triggered, this, [this, command, group, slot] {
            emit statesNeeded();
            if (!command->isEnabled())
                return;
            (group->*slot)();
            emit statesNeeded();
        });
        return command;
    }
    // Names an action made elsewhere (the undo group's) as one of the group's commands.
    QAction* adopt(QAction* command, int id, const QString& prompt, const QKeySequence& keys = {});

private:
    QList<QAction*> m_actions;
};
