#pragma once

#include "dump/RecordSlot.h"

#include <QDialog>

#include <string>

class QPlainTextEdit;
class ShellServices;
class SystemDoc;

// The "Set Edit" dialog: edits a copy of one set (tagged with its set index) of the document; OK stores it
// through the model, whose change notification reaches the pages. Run it modally.
//
// The set list is text, one bank number a line; what follows a "|" is a comment. Typing in it is
// limited to digits and line breaks.
class SetEditDlg : public QDialog {
    Q_OBJECT
public:
    // Entries that fit a set record of at most 1024 bytes.
    static constexpr int kMaxEntries = 510;

    SetEditDlg(const RecordSlot& record, SystemDoc& doc, ShellServices& shell, QWidget* parent = nullptr);

    // Validates and stores; stays open (with the user's input) when the save is refused.
    void accept() override;

protected:
    bool eventFilter(QObject* watched, QEvent* event) override;
    void showEvent(QShowEvent* event) override;

private:
    void loadControls();
    std::string bankName(int number) const;
    void focusList();
    void message(const std::string& text);

    RecordSlot m_record;
    SystemDoc& m_doc;
    ShellServices& m_shell;

    QPlainTextEdit* m_banks = nullptr;
    QPlainTextEdit* m_available = nullptr;
};
