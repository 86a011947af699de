#include "widgets/DocStep.h"

#include "widgets/DocUndoStack.h"

#include <utility>

DocStep::DocStep(DocUndoStack& stack, SystemDoc& doc, SystemDoc::State before, SystemDoc::State after,
                 int hint, int number, const QString& text)
    : QUndoCommand(text), m_stack(stack), m_doc(doc), m_before(std::move(before)), m_after(std::move(after)),
      m_hint(hint), m_number(number) {}

void DocStep::undo() {
    m_done = false;
    apply(m_before);
}

void DocStep::redo() {
    if (m_done)
        return; // the change is already in the document
    m_done = true;
    apply(m_after);
}

void DocStep::apply(const SystemDoc::State& state) {
    m_doc.RestoreState(state);
    // A step may touch more than its own record (a reorder renumbers references), so every
    // page refreshes.
    m_doc.UpdateAllViews(nullptr, HintAll);
    m_stack.requestReveal(m_hint, m_number);
}
