#pragma once

#include "dump/RecordSlot.h"
#include "editors/CCAssignmentControls.h"

#include <QDialog>

#include <array>
#include <cstdint>
#include <memory>
#include <string>
#include <vector>

class QComboBox;
class QLineEdit;
class QPlainTextEdit;
class QPushButton;
class ShellServices;
class SystemDoc;

// The "Patch Edit" dialog: edits a copy of one patch of the document; OK stores it through the model,
// whose change notification reaches the pages. Run it modally.
//
// The record copy may hold anything that parsed: every field is read through the bounds-checked
// patch view, and what does not fit reads as empty.
class PatchEditDlg : public QDialog {
    Q_OBJECT
public:
    // Strings A and B together: what fits a record of at most 4096 bytes.
    static constexpr int kMaxStringBytes = 2002;

    PatchEditDlg(const RecordSlot& record, SystemDoc& doc, ShellServices& shell, QWidget* parent = nullptr);
    ~PatchEditDlg() override;

    // Validates and stores; stays open (with the user's input) when a check fails.
    void accept() override;

    // The two test buttons.
    void testString(int which);

protected:
    // Sends the bytes in the test-string window; tests replace it.
    virtual void runTestSend(std::vector<uint8_t> bytes);

private:
    void buildControls();
    void loadControls();
    void loadStrings(const std::string& a, const std::string& b);
    // Parses both string fields; false (after the message) when either is malformed or they are
    // too long together.
    bool parseStrings(std::vector<uint8_t>& a, std::vector<uint8_t>& b);
    void message(const std::string& text);

    RecordSlot m_record;
    SystemDoc& m_doc;
    ShellServices& m_shell;

    QLineEdit* m_number = nullptr;
    QLineEdit* m_name = nullptr;
    QPlainTextEdit* m_banks = nullptr;
    QComboBox* m_channelSwitch = nullptr;
    QComboBox* m_pedalType = nullptr;
    QComboBox* m_globalCC = nullptr;
    std::array<std::unique_ptr<CCAssignmentControls>, 6> m_ccs;
    std::array<QPlainTextEdit*, 2> m_strings{};
};
