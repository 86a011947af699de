#pragma once

#include <QUndoStack>

// The undo stack of one document, shared by all its windows. Its clean state is the document's
// modified mark: back at the state last opened or saved the mark goes, any step away from it
// brings it back. A document that never was in a file (a download) has no clean state until it is
// saved.
//
// A step taken back or made again asks, through revealRequested(), for its record to be brought
// forward; the document's owner decides which window shows it.
class DocUndoStack : public QUndoStack {
    Q_OBJECT
public:
    static constexpr int kStepLimit = 100;

    explicit DocUndoStack(QObject* parent = nullptr);

    // The document differs from the state last opened or saved.
    bool isModified() const { return !isClean(); }
    // Saved: this state is the clean one.
    void markSaved();
    // No state on the stack matches a file.
    void markUnsaved();

    // Sent by the steps: show the record of a kind (an update hint) and number.
    void requestReveal(int hint, int number) { emit revealRequested(hint, number); }

signals:
    void revealRequested(int hint, int number);
};
