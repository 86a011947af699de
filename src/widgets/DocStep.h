#pragma once

#include "dump/SystemDoc.h"

#include <QUndoCommand>

class DocUndoStack;

// One change to a document as its undo stack keeps it: the dump before and after, and the record
// to bring forward when the change is taken back or made again. The step is pushed after the
// change was made, so its first redo does nothing.
class DocStep : public QUndoCommand {
public:
    DocStep(DocUndoStack& stack, SystemDoc& doc, SystemDoc::State before, SystemDoc::State after, int hint,
            int number, const QString& text);

    void undo() override;
    void redo() override;

private:
    void apply(const SystemDoc::State& state);

    DocUndoStack& m_stack;
    SystemDoc& m_doc;
    SystemDoc::State m_before;
    SystemDoc::State m_after;
    int m_hint;
    int m_number;
    bool m_done = true;
};
