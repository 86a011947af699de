#pragma once

#include <QUndoStack>

class SystemDoc;

// The undo stack of one document, shared by all its windows. It keeps the document's modified
// mark in step: back at the state last opened or saved (the clean state) the mark goes, any step
// away from it brings it back. A document that never was in a file (a download) has no clean
// state until it is saved.
class DocUndoStack : public QUndoStack {
    Q_OBJECT
public:
    static constexpr int kStepLimit = 100;

    explicit DocUndoStack(SystemDoc& doc, QObject* parent = nullptr);
    // Quiet: the document may be gone already.
    ~DocUndoStack() override;

    // Saved: this state is the clean one.
    void markSaved();
    // No state on the stack matches a file.
    void markUnsaved();

private:
    SystemDoc& m_doc;
};
