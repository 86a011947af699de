#pragma once

#include <QDialog>

#include <cstdint>
#include <functional>
#include <memory>
#include <vector>

class Prompter;
class QLineEdit;
class QPlainTextEdit;
class QRadioButton;
class SystemDoc;

// The "Hex Editor" form: a fixed-length run of bytes of the dump as hex text, with a small
// number converter beside it. OK writes the bytes back, marks the document modified and
// refreshes every view; nothing is written until the text parses to exactly as many bytes.
class GenericHexEditForm : public QDialog {
    Q_OBJECT
public:
    using WriteBack = std::function<void(SystemDoc&, const std::vector<uint8_t>&)>;

    // `values` are the bytes as the dump holds them now (each cut to 8 bits for showing); their
    // count is fixed. `writeBack` stores the edited bytes into the document.
    GenericHexEditForm(SystemDoc& doc, const std::vector<int>& values, WriteBack writeBack,
                       Prompter& prompter, QWidget* parent = nullptr);

    // The form on the sixteen MIDI filter bytes of the configuration.
    static std::unique_ptr<GenericHexEditForm> ForMidiFilters(SystemDoc& doc, Prompter& prompter,
                                                              QWidget* parent = nullptr);

    void accept() override;

    // The two radio buttons: convert the number field to decimal or to hex.
    void convertNumber(bool toDecimal);

private:
    void message(const char* text);

    SystemDoc& m_doc;
    size_t m_count;
    WriteBack m_writeBack;
    Prompter& m_prompter;
    QPlainTextEdit* m_hex = nullptr;
    QLineEdit* m_number = nullptr;
    QRadioButton* m_decimal = nullptr;
    QRadioButton* m_hexadecimal = nullptr;
};
