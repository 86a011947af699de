#include "app/CommandGroup.h"

QAction* CommandGroup::action(int id) const {
    for (QAction* command : m_actions)
        if (command->data().toInt() == id)
            return command;
    return nullptr;
}

QAction* CommandGroup::adopt(QAction* command, int id, const QString& prompt, const QKeySequence& keys) {
    command->setObjectName(QStringLiteral("command%1").arg(id));
    command->setData(id);
    const int lineBreak = prompt.indexOf(QLatin1Char('\n'));
    command->setStatusTip(lineBreak < 0 ? prompt : prompt.left(lineBreak));
    if (lineBreak >= 0)
        command->setToolTip(prompt.mid(lineBreak + 1));
    if (!keys.isEmpty())
        command->setShortcut(keys);
    command->setShortcutContext(Qt::WindowShortcut);
    m_actions.push_back(command);
    return command;
}
