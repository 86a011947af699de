#include "editors/GenericHexEditForm.h"
#include "widgets/WidgetKit.h"

#include "dump/Prompter.h"
#include "dump/SystemDoc.h"
#include "editors/EditorText.h"
#include "miditext/MidiText.h"

#include <QDialogButtonBox>
#include <QFontDatabase>
#include <QGroupBox>
#include <QHBoxLayout>
#include <QLineEdit>
#include <QPlainTextEdit>
#include <QPushButton>
#include <QRadioButton>
#include <QTextCursor>
#include <QVBoxLayout>

#include <array>
#include <utility>

GenericHexEditForm::GenericHexEditForm(SystemDoc& doc, const std::vector<int>& values, WriteBack writeBack,
                                       Prompter& prompter, QWidget* parent)
    : QDialog(parent), m_doc(doc), m_count(values.size()), m_writeBack(std::move(writeBack)),
      m_prompter(prompter) {
    setWindowTitle(QStringLiteral("Hex Editor"));
    QFont font = QFontDatabase::systemFont(QFontDatabase::FixedFont);
    font.setPointSize(10);

    m_hex = new QPlainTextEdit(this);
    m_hex->setObjectName(QStringLiteral("hexText"));
    m_hex->setAccessibleName(QStringLiteral("Hex text"));
    m_hex->setFont(font);
    m_hex->setLineWrapMode(QPlainTextEdit::NoWrap);
    m_hex->setTabChangesFocus(true);
    m_hex->setHorizontalScrollBarPolicy(Qt::ScrollBarAlwaysOn);
    m_hex->setVerticalScrollBarPolicy(Qt::ScrollBarAlwaysOn);
    m_hex->setMinimumSize(QFontMetrics(font).horizontalAdvance(QLatin1Char('0')) * 28 + 40, 120);

    auto* group = new QGroupBox(QStringLiteral("&Number Conversion"), this);
    m_number = new QLineEdit(group);
    m_number->setObjectName(QStringLiteral("numberField"));
    m_number->setAccessibleName(QStringLiteral("Number"));
    m_number->setFont(font);
    m_decimal = new QRadioButton(QStringLiteral("&Decimal"), group);
    m_decimal->setObjectName(QStringLiteral("decimal"));
    m_hexadecimal = new QRadioButton(QStringLiteral("&Hexidecimal"), group);
    m_hexadecimal->setObjectName(QStringLiteral("hexadecimal"));
    m_decimal->setChecked(true);
    // clicked, not toggled: a press converts also when the button is already ticked.
    connect(m_decimal, &QRadioButton::clicked, this, [this] { convertNumber(true); });
    connect(m_hexadecimal, &QRadioButton::clicked, this, [this] { convertNumber(false); });
    auto* groupLayout = new QVBoxLayout(group);
    groupLayout->addWidget(m_number);
    groupLayout->addWidget(m_decimal);
    groupLayout->addWidget(m_hexadecimal);
    groupLayout->addStretch();

    QDialogButtonBox* buttons = WidgetKit::OkCancelButtons(this, Qt::Vertical);

    auto* side = new QVBoxLayout;
    side->addWidget(buttons);
    side->addWidget(group);
    side->addStretch();
    auto* layout = new QHBoxLayout(this);
    layout->addWidget(m_hex, 1);
    layout->addLayout(side);

    std::vector<uint8_t> bytes;
    bytes.reserve(values.size());
    for (int value : values)
        bytes.push_back(static_cast<uint8_t>(value & 0xFF));
    m_hex->setPlainText(editortext::DisplayText(
        FormatHexBytesPlain(bytes.data(), static_cast<int>(bytes.size()), true, true)));
    m_hex->moveCursor(QTextCursor::Start);
    m_hex->setFocus();
}

std::unique_ptr<GenericHexEditForm> GenericHexEditForm::ForMidiFilters(SystemDoc& doc, Prompter& prompter,
                                                                       QWidget* parent) {
    const std::array<int, 16> filters = doc.GetMidiFilters();
    return std::make_unique<GenericHexEditForm>(
        doc, std::vector<int>(filters.begin(), filters.end()),
        [](SystemDoc& target, const std::vector<uint8_t>& bytes) {
            std::array<int, 16> values{};
            for (size_t i = 0; i < values.size() && i < bytes.size(); ++i)
                values[i] = bytes[i];
            target.SetMidiFilters(values);
        },
        prompter, parent);
}

void GenericHexEditForm::message(const char* text) {
    m_prompter.Message(text, std::string(), Prompter::Icon::None);
}

void GenericHexEditForm::accept() {
    std::vector<uint8_t> bytes;
    const int count = ParseHexBytes(m_hex->toPlainText().toStdString(), bytes);
    if (count < 0) {
        message("Only characters 0-9 and a-f are valid. \n"
                "Each byte must be 2 characters and separated by at least one space.");
        return;
    }
    if (static_cast<size_t>(count) != m_count) {
        message("The length of this data string can't change.");
        return;
    }
    m_writeBack(m_doc, bytes);
    m_doc.SetModifiedFlag(true);
    m_doc.UpdateAllViews(nullptr, HintAll);
    QDialog::accept();
}

void GenericHexEditForm::convertNumber(bool toDecimal) {
    const std::string text = m_number->text().toStdString();
    if (!text.empty())
        m_number->setText(
            QString::fromStdString(toDecimal ? HexToDecimalText(text) : DecimalToHexText(text)));
    m_number->setFocus();
    m_number->selectAll();
}
