#include "widgets/EditStep.h"

#include "widgets/DocStep.h"
#include "widgets/DocUndoStack.h"
#include "widgets/ShellServices.h"

EditStep::EditStep(ShellServices& shell, SystemDoc& doc)
    : m_shell(shell), m_doc(doc), m_before(doc.SaveState()) {}

bool EditStep::commit(const QString& text, int hint, int number) {
    DocUndoStack* stack = m_shell.undoStack(m_doc);
    if (!stack)
        return false;
    SystemDoc::State after = m_doc.SaveState();
    if (after.SameContent(m_before))
        return false;
    stack->push(new DocStep(*stack, m_doc, std::move(m_before), std::move(after), hint, number, text));
    return true;
}

QString EditStep::recordName(int hint, int number) {
    switch (hint) {
    case HintPatches:
        return QStringLiteral("Patch %1").arg(number);
    case HintBanks:
        return QStringLiteral("Bank %1").arg(number);
    case HintSets:
        return QStringLiteral("Set %1").arg(number);
    default:
        return QStringLiteral("Configuration");
    }
}
