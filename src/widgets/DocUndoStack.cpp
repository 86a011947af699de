#include "widgets/DocUndoStack.h"

DocUndoStack::DocUndoStack(QObject* parent) : QUndoStack(parent) {
    setUndoLimit(kStepLimit);
}

void DocUndoStack::markSaved() {
    setClean();
}

void DocUndoStack::markUnsaved() {
    resetClean();
}
