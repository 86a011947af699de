#include "editors/PatchEditDlg.h"
#include "widgets/WaitCursor.h"
#include "widgets/WidgetKit.h"

#include "dump/Encoding.h"
#include "dump/PatchRecord.h"
#include "dump/Prompter.h"
#include "dump/SystemDoc.h"
#include "editors/EditorText.h"
#include "midi/dialogs/DSimpleMidiSend.h"
#include "miditext/MidiText.h"
#include "settings/Settings.h"
#include "widgets/ShellServices.h"

#include <QApplication>
#include <QComboBox>
#include <QDialogButtonBox>
#include <QFontDatabase>
#include <QFormLayout>
#include <QGridLayout>
#include <QGroupBox>
#include <QHBoxLayout>
#include <QLabel>
#include <QLineEdit>
#include <QPlainTextEdit>
#include <QPushButton>
#include <QVBoxLayout>

#include <cstring>

namespace {
constexpr int kScratchSize = 4096;

const char* const kStringFieldMessage =
    "Only characters 0-9 and a-f are valid in the string fields. \n"
    "Each byte must be 2 characters and separated by at least one space.\n"
    "Comments start with | and go to the end of the line.  Comments are not saved.";

QComboBox* NamedCombo(const QStringList& items, const QString& objectName, QWidget* parent) {
    auto* combo = new QComboBox(parent);
    combo->addItems(items);
    combo->setObjectName(objectName);
    return combo;
}

QPlainTextEdit* StringField(const QString& objectName, QWidget* parent) {
    auto* edit = new QPlainTextEdit(parent);
    edit->setObjectName(objectName);
    edit->setLineWrapMode(QPlainTextEdit::NoWrap);
    edit->setTabChangesFocus(true);
    QFont font = QFontDatabase::systemFont(QFontDatabase::FixedFont);
    font.setPointSize(9);
    edit->setFont(font);
    edit->setMinimumSize(QFontMetrics(font).horizontalAdvance(QLatin1Char('0')) * 56, 150);
    return edit;
}

// A MIDI string as the record holds it: its length as a word quad, then a byte pair a byte.
void PutString(uint8_t* scratch, int& used, const std::vector<uint8_t>& bytes) {
    WriteWordQuad(scratch + used, static_cast<int>(bytes.size()));
    used += 4;
    for (uint8_t byte : bytes) {
        WriteBytePair(scratch + used, byte);
        used += 2;
    }
}
} // namespace

PatchEditDlg::PatchEditDlg(const RecordSlot& record, SystemDoc& doc, ShellServices& shell, QWidget* parent)
    : QDialog(parent), m_record(record), m_doc(doc), m_shell(shell) {
    setWindowTitle(QStringLiteral("Patch Edit"));
    const WaitCursor wait;
    buildControls();
    loadControls();
    const int number = PatchRecord(m_record).Number();
    std::string banks = m_doc.BanksUsingPatch(number);
    if (banks.size() >= 2 && banks.compare(banks.size() - 2, 2, "\r\n") == 0)
        banks.resize(banks.size() - 2);
    m_banks->setPlainText(editortext::DisplayText(banks));
}

PatchEditDlg::~PatchEditDlg() = default;

void PatchEditDlg::buildControls() {
    m_number = new QLineEdit(this);
    m_number->setObjectName(QStringLiteral("number"));
    m_number->setReadOnly(true);
    m_number->setAlignment(Qt::AlignRight);
    m_number->setMaximumWidth(60);
    m_name = new QLineEdit(this);
    m_name->setObjectName(QStringLiteral("name"));
    m_channelSwitch = NamedCombo({"inactive", "off", "on", "momentary off", "momentary on", "toggle"},
                                 QStringLiteral("channelSwitch"), this);
    m_pedalType =
        NamedCombo({"enhanced", "momentary", "toggle", "normal"}, QStringLiteral("pedalType"), this);
    m_globalCC = NamedCombo({"none", "Pedal 1", "Pedal 2", "Pedal 1 & 2"}, QStringLiteral("globalCC"), this);

    auto* fields = new QFormLayout;
    fields->addRow(WidgetKit::BuddyLabel(QStringLiteral("Number"), m_number, this), m_number);
    fields->addRow(WidgetKit::BuddyLabel(QStringLiteral("&Name"), m_name, this), m_name);
    fields->addRow(WidgetKit::BuddyLabel(QStringLiteral("Channel S&witch"), m_channelSwitch, this),
                   m_channelSwitch);
    fields->addRow(WidgetKit::BuddyLabel(QStringLiteral("Pedal T&ype"), m_pedalType, this), m_pedalType);
    fields->addRow(WidgetKit::BuddyLabel(QStringLiteral("&Global CC"), m_globalCC, this), m_globalCC);

    m_banks = new QPlainTextEdit(this);
    m_banks->setObjectName(QStringLiteral("banksList"));
    m_banks->setReadOnly(true);
    m_banks->setTabChangesFocus(true);
    m_banks->setHorizontalScrollBarPolicy(Qt::ScrollBarAlwaysOff);
    m_banks->setVerticalScrollBarPolicy(Qt::ScrollBarAlwaysOn);
    auto* banksBox = new QVBoxLayout;
    banksBox->addWidget(WidgetKit::BuddyLabel(QStringLiteral("Banks that use this patch"), m_banks, this));
    banksBox->addWidget(m_banks);

    QDialogButtonBox* buttons = WidgetKit::OkCancelButtons(this, Qt::Vertical);
    auto* calc = new QPushButton(QStringLiteral("MIDI &Calc"), this);
    calc->setObjectName(QStringLiteral("midiCalc"));
    calc->setAutoDefault(false);
    connect(calc, &QPushButton::clicked, this, [this] { m_shell.launchCalculator(); });
    auto* help = new QPushButton(QStringLiteral("MIDI H&elp"), this);
    help->setObjectName(QStringLiteral("midiHelp"));
    help->setAutoDefault(false);
    connect(help, &QPushButton::clicked, this, [this] { m_shell.launchMidiHelp(); });
    auto* side = new QVBoxLayout;
    side->addWidget(buttons);
    side->addStretch();
    side->addWidget(calc);
    side->addWidget(help);

    auto* top = new QHBoxLayout;
    top->addLayout(fields);
    top->addSpacing(12);
    top->addLayout(banksBox, 1);
    top->addSpacing(12);
    top->addLayout(side);

    // Local CC: six columns in record order, Pedal 1 CC 1-3 then Pedal 2 CC 1-3.
    auto* group = new QGroupBox(QStringLiteral("&Local CC"), this);
    auto* grid = new QGridLayout(group);
    grid->setHorizontalSpacing(8);
    grid->setVerticalSpacing(4);
    for (int pedal = 0; pedal < 2; ++pedal) {
        auto* pedalLabel = new QLabel(QStringLiteral("Pedal %1").arg(pedal + 1), group);
        pedalLabel->setAlignment(Qt::AlignCenter);
        grid->addWidget(pedalLabel, 0, 1 + 3 * pedal, 1, 3);
        for (int cc = 0; cc < 3; ++cc) {
            auto* ccLabel = new QLabel(QStringLiteral("CC %1").arg(cc + 1), group);
            ccLabel->setAlignment(Qt::AlignCenter);
            grid->addWidget(ccLabel, 1, 1 + 3 * pedal + cc);
            const int k = 3 * pedal + cc;
            m_ccs[static_cast<size_t>(k)] = std::make_unique<CCAssignmentControls>(
                group, QStringLiteral("Pedal%1CC%2").arg(pedal + 1).arg(cc + 1),
                QStringLiteral("Pedal %1 CC %2").arg(pedal + 1).arg(cc + 1));
            m_ccs[static_cast<size_t>(k)]->addToGrid(grid, 2, 1 + k);
        }
    }
    const char* const rows[] = {"Channel", "CC", "Min", "Max", "Flags"};
    for (int r = 0; r < 5; ++r)
        grid->addWidget(new QLabel(QString::fromLatin1(rows[r]), group), 2 + r, 0);
    auto* flagText =
        new QLabel(QStringLiteral("Flag values:\nEnabled/Disabled, Invert pedal polarity, Immediate "
                                  "send, First time (reserved for ZIV internal use)"),
                   group);
    grid->addWidget(flagText, 7, 0, 1, 7);

    m_strings[0] = StringField(QStringLiteral("stringA"), this);
    m_strings[1] = StringField(QStringLiteral("stringB"), this);
    auto* testA = new QPushButton(QStringLiteral("&Test String A"), this);
    testA->setObjectName(QStringLiteral("testA"));
    testA->setAutoDefault(false);
    connect(testA, &QPushButton::clicked, this, [this] { testString(0); });
    auto* testB = new QPushButton(QStringLiteral("Test &String B"), this);
    testB->setObjectName(QStringLiteral("testB"));
    testB->setAutoDefault(false);
    connect(testB, &QPushButton::clicked, this, [this] { testString(1); });
    auto* strings = new QGridLayout;
    strings->addWidget(WidgetKit::BuddyLabel(QStringLiteral("MIDI String &A"), m_strings[0], this), 0, 0);
    strings->addWidget(WidgetKit::BuddyLabel(QStringLiteral("MIDI String &B"), m_strings[1], this), 0, 1);
    strings->addWidget(m_strings[0], 1, 0);
    strings->addWidget(m_strings[1], 1, 1);
    strings->addWidget(testA, 2, 0, Qt::AlignLeft);
    strings->addWidget(testB, 2, 1, Qt::AlignLeft);
    strings->setRowStretch(1, 1);

    auto* layout = new QVBoxLayout(this);
    layout->addLayout(top);
    layout->addWidget(group);
    layout->addLayout(strings, 1);
}

void PatchEditDlg::loadControls() {
    const PatchRecord patch(m_record);
    m_number->setText(QString::asprintf("%2d", patch.Number() < 0 ? 0 : patch.Number()));
    m_name->setText(QString::fromStdString(patch.Name()));

    const int mode = patch.Mode();
    auto selectByPrefix = [](QComboBox* combo, const std::string& name) {
        combo->setCurrentIndex(
            name.empty() ? -1 : combo->findText(QString::fromStdString(name), Qt::MatchStartsWith));
    };
    selectByPrefix(m_channelSwitch, mode < 0 ? std::string() : ChannelSwitchName(mode & 0x07));
    selectByPrefix(m_pedalType, mode < 0 ? std::string() : PedalTypeName(mode & 0x18));
    selectByPrefix(m_globalCC, mode < 0 ? std::string() : GlobalCCName(mode & 0xC0));

    for (int k = 0; k < 6; ++k)
        m_ccs[static_cast<size_t>(k)]->load(patch.LocalCC(1 + k / 3, 1 + k % 3));

    loadStrings(patch.StringBytes(0), patch.StringBytes(1));
}

void PatchEditDlg::loadStrings(const std::string& a, const std::string& b) {
    const bool comments = m_shell.settings().DisplayMidiStringComments();
    const std::string* strings[] = {&a, &b};
    for (size_t i = 0; i < 2; ++i) {
        const std::string& bytes = *strings[i];
        const std::string packed = FormatHexBytesPlain(reinterpret_cast<const uint8_t*>(bytes.data()),
                                                       static_cast<int>(bytes.size()), false, false);
        m_strings[i]->setPlainText(editortext::DisplayText(DescribeMidiString(packed, comments)));
    }
}

void PatchEditDlg::message(const std::string& text) {
    m_shell.prompter().Message(text, std::string(), Prompter::Icon::None);
}

bool PatchEditDlg::parseStrings(std::vector<uint8_t>& a, std::vector<uint8_t>& b) {
    const int countA = ParseHexBytes(StripComments(m_strings[0]->toPlainText().toStdString()), a);
    const int countB = ParseHexBytes(StripComments(m_strings[1]->toPlainText().toStdString()), b);
    if (countA < 0 || countB < 0) {
        message(kStringFieldMessage);
        return false;
    }
    if (countA + countB > kMaxStringBytes) {
        message("The MIDI strings are too long: strings A and B together hold " +
                std::to_string(countA + countB) + " bytes.\nA patch can hold at most " +
                std::to_string(kMaxStringBytes) + " string bytes.");
        return false;
    }
    return true;
}

void PatchEditDlg::accept() {
    const QByteArray typed = m_name->text().toUpper().toLatin1();
    const std::string name(typed.constData(), static_cast<size_t>(typed.size()));
    if (name.size() > static_cast<size_t>(kNameLength)) {
        message("Maximum name length is 15 characters.");
        return;
    }

    std::vector<uint8_t> scratch(kScratchSize, 0);
    m_doc.EncodeName(scratch.data() + PatchRecord::kName, name, kNameFieldSize, true);
    const PatchRecord original(m_record);
    const int number = original.Number();
    if (m_record.Length() >= 4)
        std::memcpy(scratch.data(), m_record.Data(), 4);
    int used = PatchRecord::kFixedLength;

    const int mode = original.Mode();
    const int flags = (mode < 0 ? 0 : mode & PatchRecord::kStringASentBit) |
                      ChannelSwitchValue(m_channelSwitch->currentText().toStdString()) |
                      PedalTypeValue(m_pedalType->currentText().toStdString()) |
                      GlobalCCValue(m_globalCC->currentText().toStdString());
    WriteBytePair(scratch.data() + PatchRecord::kMode, flags);

    for (int k = 0; k < 6; ++k) {
        const CCAssignmentControls& cc = *m_ccs[static_cast<size_t>(k)];
        uint8_t* p = scratch.data() + PatchRecord::LocalCCOffset(1 + k / 3, 1 + k % 3);
        if (cc.maxBelowMin()) {
            message("Pedal max value must >= min value.");
            return;
        }
        WriteBytePair(p, cc.flags());
        WriteBytePair(p + 2, cc.controller());
        WriteBytePair(p + 4, cc.minimum());
        WriteBytePair(p + 6, cc.maximum());
    }

    std::vector<uint8_t> a;
    std::vector<uint8_t> b;
    if (!parseStrings(a, b))
        return;
    used = PatchRecord::kStringA;
    PutString(scratch.data(), used, a);
    PutString(scratch.data(), used, b);

    const int size = m_doc.SizeAfterReplacing(m_doc.PeekPatch(number), used);
    if (size > SystemDoc::kMaxFileBytes) {
        message(DumpTooLargeText(size, true));
        return;
    }
    m_record.Assign(scratch.data(), used);
    if (m_doc.ReplacePatch(number, m_record) != DumpOk) {
        message("Patch data error.");
        return;
    }
    QDialog::accept();
}

void PatchEditDlg::testString(int which) {
    if (which < 0 || which > 1)
        return;
    const bool wasEmpty = m_strings[static_cast<size_t>(which)]->toPlainText().isEmpty();
    std::vector<uint8_t> a;
    std::vector<uint8_t> b;
    if (!parseStrings(a, b))
        return;
    loadStrings(std::string(a.begin(), a.end()), std::string(b.begin(), b.end()));
    if (wasEmpty)
        return;
    std::vector<uint8_t> bytes;
    const std::string text = m_strings[static_cast<size_t>(which)]->toPlainText().toStdString();
    if (ParseHexBytes(StripComments(text), bytes) <= 0) {
        message("Empty or invalid data string.");
        return;
    }
    runTestSend(std::move(bytes));
}

void PatchEditDlg::runTestSend(std::vector<uint8_t> bytes) {
    DSimpleMidiSend sender(std::move(bytes), m_shell.settings().Transfer(), m_shell.prompter(), this);
    sender.exec();
}
