#pragma once

#include "RecordSlot.h"

#include <QDialog>

class ShellServices;
class SystemDoc;

// The "Patch Edit" dialog: edits a copy of one patch of the document; OK stores it through the model,
// whose change notification reaches the pages. Run it modally.
class PatchEditDlg : public QDialog {
    Q_OBJECT
public:
    PatchEditDlg(const RecordSlot& record, SystemDoc& doc, ShellServices& shell, QWidget* parent = nullptr);

private:
    RecordSlot m_record;
    SystemDoc& m_doc;
    ShellServices& m_shell;
};
