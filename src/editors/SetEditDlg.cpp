#include "editors/SetEditDlg.h"
#include "widgets/WidgetKit.h"

#include "dump/BankRecord.h"
#include "dump/Encoding.h"
#include "dump/Prompter.h"
#include "dump/SystemDoc.h"
#include "editors/EditorText.h"
#include "miditext/MidiText.h"
#include "widgets/ShellServices.h"

#include <QApplication>
#include <QDialogButtonBox>
#include <QGridLayout>
#include <QKeyEvent>
#include <QLabel>
#include <QPlainTextEdit>
#include <QPushButton>
#include <QTextCursor>
#include <QVBoxLayout>

#include <cstdio>
#include <vector>

namespace {
constexpr int kScratchSize = 1024;
constexpr int kLargestStored = 255; // a set entry is a byte pair

QPlainTextEdit* ListField(const QString& objectName, bool readOnly, QWidget* parent) {
    auto* edit = new QPlainTextEdit(parent);
    edit->setObjectName(objectName);
    edit->setReadOnly(readOnly);
    edit->setTabChangesFocus(true);
    edit->setLineWrapMode(QPlainTextEdit::NoWrap);
    edit->setHorizontalScrollBarPolicy(Qt::ScrollBarAlwaysOff);
    edit->setVerticalScrollBarPolicy(Qt::ScrollBarAlwaysOn);
    edit->setMinimumSize(220, 300);
    return edit;
}
} // namespace

SetEditDlg::SetEditDlg(const RecordSlot& record, SystemDoc& doc, ShellServices& shell, QWidget* parent)
    : QDialog(parent), m_record(record), m_doc(doc), m_shell(shell) {
    setWindowTitle(QStringLiteral("Set Edit"));
    m_banks = ListField(QStringLiteral("setList"), false, this);
    m_banks->installEventFilter(this);
    m_available = ListField(QStringLiteral("availableList"), true, this);

    auto* lists = new QGridLayout;
    lists->addWidget(WidgetKit::BuddyLabel(QStringLiteral("&Banks in this Set"), m_banks, this), 0, 0);
    lists->addWidget(WidgetKit::BuddyLabel(QStringLiteral("&Available Banks"), m_available, this), 0, 1);
    lists->addWidget(m_banks, 1, 0);
    lists->addWidget(m_available, 1, 1);
    lists->setRowStretch(1, 1);

    QDialogButtonBox* buttons = WidgetKit::OkCancelButtons(this);

    auto* layout = new QVBoxLayout(this);
    layout->addLayout(lists, 1);
    layout->addWidget(buttons);

    loadControls();
    focusList();

    std::string available;
    for (int b = 1; b <= SystemDoc::kBanks; ++b) {
        if (!m_doc.HasBank(b))
            continue;
        char number[16];
        std::snprintf(number, sizeof number, "%02d ", b);
        available += number + bankName(b) + "\r\n";
    }
    m_available->setPlainText(editortext::DisplayText(available));
}

std::string SetEditDlg::bankName(int number) const {
    const RecordSlot* slot = m_doc.PeekBank(number);
    return slot && slot->IsPresent() ? BankRecord(*slot).Name() : std::string();
}

void SetEditDlg::loadControls() {
    const int length = m_record.Length();
    const uint8_t* data = m_record.Data();
    const int count = ReadWordQuadAt(data, length, 0, 0);
    std::string text;
    for (int i = 0; i < count; ++i) {
        const int number = ReadBytePairAt(data, length, 4 + 2 * i);
        if (number < 0)
            break; // the rest of the list lies outside the record
        char line[16];
        std::snprintf(line, sizeof line, "%02d", number);
        text += line;
        if (m_doc.HasBank(number))
            text += " | " + bankName(number);
        text += "\r\n";
    }
    m_banks->setPlainText(editortext::DisplayText(text));
}

void SetEditDlg::focusList() {
    m_banks->setFocus();
    m_banks->moveCursor(QTextCursor::End);
    m_banks->ensureCursorVisible();
}

void SetEditDlg::showEvent(QShowEvent* event) {
    QDialog::showEvent(event);
    if (!event->spontaneous())
        focusList();
}

bool SetEditDlg::eventFilter(QObject* watched, QEvent* event) {
    if (watched == m_banks && event->type() == QEvent::KeyPress) {
        const auto* key = static_cast<QKeyEvent*>(event);
        const QString text = key->text();
        const bool printable = !text.isEmpty() && text.at(0).isPrint();
        const bool shortcut = (key->modifiers() & (Qt::ControlModifier | Qt::AltModifier)) != 0;
        if (printable && !shortcut) {
            for (QChar c : text)
                if (c < QLatin1Char('0') || c > QLatin1Char('9')) {
                    QApplication::beep();
                    return true;
                }
        }
    }
    return QDialog::eventFilter(watched, event);
}

void SetEditDlg::message(const std::string& text) {
    m_shell.prompter().Message(text, std::string(), Prompter::Icon::None);
}

void SetEditDlg::accept() {
    std::vector<int> numbers;
    for (const std::string& line :
         editortext::SplitLines(StripComments(m_banks->toPlainText().toStdString()))) {
        const int number = editortext::LeadingDigits(line);
        if (number != 0)
            numbers.push_back(number);
    }
    // Refusals come before anything is said about the list: an entry holds 8 bits, so a larger
    // number would be stored as another bank, and a longer list does not fit the record.
    for (int number : numbers)
        if (number > kLargestStored) {
            message("Bank number " + std::to_string(number) +
                    " can't be stored in a set.\nBank numbers are 1 - 99.");
            return;
        }
    if (numbers.size() > static_cast<size_t>(kMaxEntries)) {
        message("This set has " + std::to_string(numbers.size()) + " entries.\nA set can hold at most " +
                std::to_string(kMaxEntries) + " banks.");
        return;
    }

    // A number above 99 names no bank: the dialog stays open so it can be corrected.
    for (int number : numbers)
        if (number > SystemDoc::kBanks) {
            message("Invalid bank number (" + std::to_string(number) + ") in set.");
            return;
        }

    std::vector<uint8_t> scratch(kScratchSize, 0);
    int used = 4;
    for (int number : numbers) {
        WriteBytePair(scratch.data() + used, number);
        used += 2;
    }
    WriteWordQuad(scratch.data(), static_cast<int>(numbers.size()));

    const int size = m_doc.SizeAfterReplacing(m_doc.PeekSet(m_record.Number()), used, SystemDoc::kEmptySetLength);
    if (size > SystemDoc::kMaxFileBytes) {
        message(DumpTooLargeText(size, true));
        return;
    }
    m_record.Assign(scratch.data(), used);
    if (m_doc.ReplaceSet(m_record.Number(), m_record) != DumpOk) {
        message("Set contains an invalid bank number.");
        return;
    }
    QDialog::accept();
}
