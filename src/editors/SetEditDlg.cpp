#include "SetEditDlg.h"

SetEditDlg::SetEditDlg(const RecordSlot& record, SystemDoc& doc, ShellServices& shell, QWidget* parent)
    : QDialog(parent), m_record(record), m_doc(doc), m_shell(shell) {
    setWindowTitle(QStringLiteral("Set Edit"));
}
