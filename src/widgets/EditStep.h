#pragma once

#include "dump/SystemDoc.h"

#include <QString>

class ShellServices;

// Records one change to a document as a step on its undo stack: made before the change, committed
// after it.
//
//     EditStep step(shell(), doc());
//     doc().DeletePatch(n, reorder);
//     step.commit(QStringLiteral("Delete Patch %1").arg(n), HintPatches, n);
class EditStep {
public:
    EditStep(ShellServices& shell, SystemDoc& doc);

    // Pushes the step when the dump changed; false when there was nothing to record (or the
    // document keeps no steps).
    bool commit(const QString& text, int hint, int number);

    // Step texts: "Patch 12", "Bank 5", "Set 2".
    static QString recordName(int hint, int number);

private:
    ShellServices& m_shell;
    SystemDoc& m_doc;
    SystemDoc::State m_before;
};
