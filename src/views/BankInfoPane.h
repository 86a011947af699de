#pragma once

#include "dump/RecordSlot.h"

#include <QWidget>

class ListCtrlExt;
class QCheckBox;
class QLineEdit;
class ShellServices;
class SystemDoc;

// The right half of the banks page: the selected bank's number, name, sequence mode and length
// (read-only) and its active patch list with the patch names. Double-clicking a patch opens the
// patch editor, creating a deleted patch anew.
class BankInfoPane : public QWidget {
    Q_OBJECT
public:
    BankInfoPane(SystemDoc& doc, ShellServices& shell, QWidget* parent = nullptr);

    // Shows a bank, or clears the pane for an empty record; true when a bank was shown.
    bool ShowBank(const RecordSlot& record);
    const RecordSlot& shownBank() const { return m_bank; }

    QLineEdit* numberEdit() const { return m_number; }
    QLineEdit* nameEdit() const { return m_name; }
    QCheckBox* sequenceModeCheck() const { return m_seqMode; }
    QLineEdit* sequenceLengthEdit() const { return m_seqLength; }
    ListCtrlExt* patchList() const { return m_list; }

    // The name shown for patch number p of a bank's list.
    static QString PatchEntryName(const SystemDoc& doc, int p);

    // Opens the patch editor on the selected row's patch.
    void openPatch();

protected:
    void resizeEvent(QResizeEvent* event) override;

private:
    SystemDoc& m_doc;
    ShellServices& m_shell;
    RecordSlot m_bank;
    QLineEdit* m_number;
    QLineEdit* m_name;
    QCheckBox* m_seqMode;
    QLineEdit* m_seqLength;
    ListCtrlExt* m_list;
};
