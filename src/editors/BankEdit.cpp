#include "editors/BankEdit.h"
#include "widgets/WidgetKit.h"

#include "dump/BankRecord.h"
#include "dump/Encoding.h"
#include "dump/PatchRecord.h"
#include "dump/Prompter.h"
#include "dump/SystemDoc.h"
#include "editors/EditorText.h"
#include "miditext/MidiText.h"
#include "widgets/ShellServices.h"

#include <QCheckBox>
#include <QDialogButtonBox>
#include <QGridLayout>
#include <QHBoxLayout>
#include <QLabel>
#include <QLineEdit>
#include <QPlainTextEdit>
#include <QPushButton>
#include <QVBoxLayout>

#include <cstdio>
#include <cstring>

namespace {
constexpr int kScratchSize = 1024;
constexpr int kSwitches = 9;
// A number above the largest patch can never name one; a number up to it that the dump does not
// hold is stored after a warning, as the bank pane offers to create the patch it names.
constexpr int kLargestPatch = SystemDoc::kPatches;

} // namespace

BankEdit::BankEdit(const RecordSlot& record, SystemDoc& doc, ShellServices& shell, QWidget* parent)
    : QDialog(parent), m_record(record), m_doc(doc), m_shell(shell) {
    setWindowTitle(QStringLiteral("Bank Edit"));
    buildControls();
    loadControls();

    std::string available;
    for (int p = 1; p <= SystemDoc::kPatches; ++p) {
        if (!m_doc.HasPatch(p))
            continue;
        char number[16];
        std::snprintf(number, sizeof number, "%03d ", p);
        available += number + patchName(p) + "\r\n";
    }
    m_available->setPlainText(editortext::DisplayText(available));
}

void BankEdit::buildControls() {
    m_number = new QLineEdit(this);
    m_number->setObjectName(QStringLiteral("number"));
    m_number->setReadOnly(true);
    m_number->setFrame(false);
    m_number->setMaximumWidth(50);
    m_name = new QLineEdit(this);
    m_name->setObjectName(QStringLiteral("name"));
    m_sequence = new QCheckBox(QStringLiteral("&Sequence mode"), this);
    m_sequence->setObjectName(QStringLiteral("sequenceMode"));
    m_sequence->setAccessibleName(QStringLiteral("Sequence mode"));

    m_patches = new QPlainTextEdit(this);
    m_patches->setObjectName(QStringLiteral("patchList"));
    m_patches->setTabChangesFocus(true);
    m_patches->setLineWrapMode(QPlainTextEdit::NoWrap);
    m_patches->setHorizontalScrollBarPolicy(Qt::ScrollBarAlwaysOff);
    m_patches->setVerticalScrollBarPolicy(Qt::ScrollBarAlwaysOn);
    m_patches->setMinimumSize(220, 300);
    m_available = new QPlainTextEdit(this);
    m_available->setObjectName(QStringLiteral("availableList"));
    m_available->setReadOnly(true);
    m_available->setTabChangesFocus(true);
    m_available->setLineWrapMode(QPlainTextEdit::NoWrap);
    m_available->setHorizontalScrollBarPolicy(Qt::ScrollBarAlwaysOff);
    m_available->setVerticalScrollBarPolicy(Qt::ScrollBarAlwaysOn);
    m_available->setMinimumSize(220, 300);

    // The switch letters stand beside the first nine lines of the list, line for line.
    auto* letters = new QWidget(this);
    auto* letterColumn = new QVBoxLayout(letters);
    letterColumn->setContentsMargins(0, 0, 0, 0);
    letterColumn->setSpacing(0);
    const int lineHeight = m_patches->fontMetrics().lineSpacing();
    const int top = m_patches->frameWidth() + static_cast<int>(m_patches->document()->documentMargin());
    letterColumn->addSpacing(top);
    for (int i = 0; i < kSwitches; ++i) {
        auto* letter = new QLabel(QString(QLatin1Char(static_cast<char>('A' + i))), letters);
        letter->setFixedHeight(lineHeight);
        letter->setAlignment(Qt::AlignRight | Qt::AlignVCenter);
        letterColumn->addWidget(letter);
    }
    letterColumn->addStretch();

    auto* header = new QGridLayout;
    header->addWidget(WidgetKit::BuddyLabel(QStringLiteral("Number"), m_number, this), 0, 0);
    header->addWidget(m_number, 0, 1);
    header->addWidget(WidgetKit::BuddyLabel(QStringLiteral("&Name"), m_name, this), 1, 0);
    header->addWidget(m_name, 1, 1);
    header->addWidget(m_sequence, 2, 1);
    header->setColumnStretch(1, 1);

    auto* lists = new QGridLayout;
    lists->addWidget(WidgetKit::BuddyLabel(QStringLiteral("&Patches in this bank"), m_patches, this), 0, 1);
    lists->addWidget(WidgetKit::BuddyLabel(QStringLiteral("&Available Patches"), m_available, this), 0, 2);
    lists->addWidget(letters, 1, 0);
    lists->addWidget(m_patches, 1, 1);
    lists->addWidget(m_available, 1, 2);
    lists->setHorizontalSpacing(6);
    lists->setColumnMinimumWidth(3, 4);
    lists->setRowStretch(1, 1);

    QDialogButtonBox* buttons = WidgetKit::OkCancelButtons(this);

    auto* layout = new QVBoxLayout(this);
    layout->addLayout(header);
    layout->addLayout(lists, 1);
    layout->addWidget(buttons);
}

std::string BankEdit::patchName(int number) const {
    const RecordSlot* slot = m_doc.PeekPatch(number);
    return slot && slot->IsPresent() ? PatchRecord(*slot).Name() : std::string();
}

void BankEdit::loadControls() {
    const BankRecord bank(m_record);
    m_name->setText(QString::fromStdString(bank.Name()));
    m_number->setText(QString::number(bank.Number() < 0 ? 0 : bank.Number()));
    const bool sequence = bank.SequenceMode() > 0;
    m_sequence->setChecked(sequence);

    const int count = sequence ? bank.SequenceLength() : kSwitches;
    std::string text;
    for (int k = 0; k < count; ++k) {
        const int number = sequence ? bank.Step(k) : bank.SlotPatch(k);
        if (number < 0)
            break; // the rest of the list lies outside the record
        char line[16];
        std::snprintf(line, sizeof line, "%03d", number);
        text += line;
        if (m_doc.HasPatch(number))
            text += " | " + patchName(number);
        text += "\r\n";
    }
    m_patches->setPlainText(editortext::DisplayText(text));
}

std::vector<int> BankEdit::readList(bool sequence) const {
    const std::vector<std::string> lines =
        editortext::SplitLines(StripComments(m_patches->toPlainText().toStdString()));
    std::vector<int> numbers;
    if (sequence) {
        for (const std::string& line : lines) {
            const int number = editortext::LeadingDigits(line);
            if (number != 0)
                numbers.push_back(number);
        }
    } else {
        for (size_t i = 0; i < static_cast<size_t>(kSwitches); ++i)
            numbers.push_back(i < lines.size() ? editortext::LeadingInteger(lines[i]) : 0);
    }
    return numbers;
}

void BankEdit::message(const std::string& text) {
    m_shell.prompter().Message(text, std::string(), Prompter::Icon::None);
}

void BankEdit::accept() {
    const QByteArray typed = m_name->text().toUpper().toLatin1();
    const std::string name(typed.constData(), static_cast<size_t>(typed.size()));
    if (name.size() > static_cast<size_t>(kNameLength)) {
        message("Maximum name length is 15 characters.");
        return;
    }

    // Refusals come before anything is said about the list: a number that can name no patch
    // would leave the bank pointing nowhere for good, and a longer sequence does not fit the record.
    const bool sequence = m_sequence->isChecked();
    const std::vector<int> numbers = readList(sequence);
    for (int number : numbers)
        if (number < 0 || number > kLargestPatch) {
            message("Patch number " + std::to_string(number) +
                    " can't be stored in a bank.\nPatch numbers are 1 - 500; 0 is an empty switch.");
            return;
        }
    if (sequence && numbers.size() > static_cast<size_t>(kMaxSteps)) {
        message("This sequence has " + std::to_string(numbers.size()) +
                " patches.\nA sequence can hold at most " + std::to_string(kMaxSteps) + " patches.");
        return;
    }

    std::vector<uint8_t> scratch(kScratchSize, 0);
    m_doc.EncodeName(scratch.data() + BankRecord::kName, name, kNameFieldSize, true);
    const int bankNumber = BankRecord(m_record).Number();
    if (m_record.Length() >= 2)
        std::memcpy(scratch.data(), m_record.Data(), 2);

    // Said once for every line that names it; the save goes on.
    for (int number : numbers)
        if (number != 0 && !m_doc.HasPatch(number))
            message("Invalid patch number (" + std::to_string(number) + ") in bank.");

    int used = BankRecord::kFixedLength;
    if (sequence) {
        WriteBytePair(scratch.data() + BankRecord::kSeqMode, 1);
        WriteWordQuad(scratch.data() + BankRecord::kSeqLength, static_cast<int>(numbers.size()));
        for (int number : numbers) {
            WriteWordQuad(scratch.data() + used, number);
            used += 4;
        }
    } else {
        for (size_t k = 0; k < numbers.size(); ++k)
            WriteWordQuad(scratch.data() + BankRecord::kSlots + 4 * k, numbers[k]);
    }

    const int size = m_doc.SizeAfterReplacing(m_doc.PeekBank(bankNumber), used);
    if (size > SystemDoc::kMaxFileBytes) {
        message(DumpTooLargeText(size, true));
        return;
    }
    m_record.Assign(scratch.data(), used);
    if (m_doc.ReplaceBank(bankNumber, m_record) != DumpOk) {
        message("Bank contains an invalid patch number.");
        return;
    }
    QDialog::accept();
}
