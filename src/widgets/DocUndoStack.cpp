#include "widgets/DocUndoStack.h"

#include "dump/SystemDoc.h"

DocUndoStack::DocUndoStack(SystemDoc& doc, QObject* parent) : QUndoStack(parent), m_doc(doc) {
    setUndoLimit(kStepLimit);
    connect(this, &QUndoStack::indexChanged, this, [this] { m_doc.SetModifiedFlag(!isClean()); });
}

DocUndoStack::~DocUndoStack() {
    // The base class clears the steps and tells its listeners so.
    blockSignals(true);
}

void DocUndoStack::markSaved() {
    setClean();
}

void DocUndoStack::markUnsaved() {
    resetClean();
}
