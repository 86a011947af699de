#pragma once

#include "dump/RecordSlot.h"

#include <QDialog>

#include <string>
#include <vector>

class QCheckBox;
class QLineEdit;
class QPlainTextEdit;
class ShellServices;
class SystemDoc;

// The "Bank Edit" dialog: edits a copy of one bank of the document; OK stores it through the model,
// whose change notification reaches the pages. Run it modally.
//
// The patch list is text, one patch number a line; what follows a "|" is a comment. The record
// copy is read through the bounds-checked bank view, so a malformed record shows what fits.
class BankEdit : public QDialog {
    Q_OBJECT
public:
    // Sequence steps that fit a bank record of at most 1024 bytes.
    static constexpr int kMaxSteps = 237;

    BankEdit(const RecordSlot& record, SystemDoc& doc, ShellServices& shell, QWidget* parent = nullptr);

    // Validates and stores; stays open (with the user's input) when the save is refused.
    void accept() override;

private:
    void buildControls();
    void loadControls();
    std::string patchName(int number) const;
    // The numbers the list text stands for, by the reading rule of the mode.
    std::vector<int> readList(bool sequence) const;
    void message(const std::string& text);

    RecordSlot m_record;
    SystemDoc& m_doc;
    ShellServices& m_shell;

    QLineEdit* m_number = nullptr;
    QLineEdit* m_name = nullptr;
    QCheckBox* m_sequence = nullptr;
    QPlainTextEdit* m_patches = nullptr;
    QPlainTextEdit* m_available = nullptr;
};
