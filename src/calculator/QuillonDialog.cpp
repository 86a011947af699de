#include "calculator/QuillonDialog.h"

#include "calculator/QuillonLogic.h"
#include "miditext/MidiText.h"
#include "store/StoreCheck.h"

#include <QApplication>
#include <QCheckBox>
#include <QClipboard>
#include <QComboBox>
#include <QCoreApplication>
#include <QDesktopServices>
#include <QDir>
#include <QFileInfo>
#include <QFontDatabase>
#include <QGridLayout>
#include <QGroupBox>
#include <QHBoxLayout>
#include <QLabel>
#include <QLineEdit>
#include <QMenu>
#include <QMenuBar>
#include <QMessageBox>
#include <QPainter>
#include <QPlainTextEdit>
#include <QPushButton>
#include <QRadioButton>
#include <QRegularExpressionValidator>
#include <QSettings>
#include <QSignalBlocker>
#include <QStackedWidget>
#include <QUrl>
#include <QVBoxLayout>
#include <QtEndian>

#include <iterator>
#include <memory>

namespace {

const char* const kCompany = "Morvik";
const char* const kProgram = "Quillon";
const char* const kAutoCopyKey = "AutoCopy";
const char* const kPositionKey = "Position";
const char* const kHelpFileName = "Vurivivu.hlp";
constexpr int kPositionBytes = 16;

QIcon ProgramIcon() {
    QIcon icon;
    for (const int size : {16, 32, 48}) {
        QPixmap pixmap(size, size);
        pixmap.fill(Qt::transparent);
        QPainter painter(&pixmap);
        painter.setRenderHint(QPainter::Antialiasing);
        painter.setBrush(QColor(0x2d, 0x5f, 0x8a));
        painter.setPen(Qt::NoPen);
        painter.drawRoundedRect(QRectF(0, 0, size, size), size / 6.0, size / 6.0);
        QFont font = painter.font();
        font.setBold(true);
        font.setPixelSize(size * 5 / 8);
        painter.setFont(font);
        painter.setPen(Qt::white);
        painter.drawText(QRect(0, 0, size, size), Qt::AlignCenter, QStringLiteral("Q"));
        painter.end();
        icon.addPixmap(pixmap);
    }
    return icon;
}

// The window rectangle as four signed 32-bit numbers, left, top, right, bottom, little-endian
// as the stored value has always been.
QByteArray EncodeRect(const QRect& rect) {
    QByteArray bytes(kPositionBytes, '\0');
    const qint32 values[4] = {rect.left(), rect.top(), rect.left() + rect.width(),
                              rect.top() + rect.height()};
    for (int i = 0; i < 4; ++i)
        qToLittleEndian<qint32>(values[i], bytes.data() + 4 * i);
    return bytes;
}

QComboBox* NumberCombo(int first, int last) {
    auto* combo = new QComboBox;
    for (int i = first; i <= last; ++i)
        combo->addItem(QString::number(i));
    combo->setCurrentIndex(0);
    return combo;
}

// The calculator's store, opened afresh for each read or write. A file that may make Qt
// rebuild a serialised object as it opens is left closed and untouched (see StoreCheck): the
// settings are then the defaults, and what the calculator saves is not kept.
std::unique_ptr<QSettings> OpenStore() {
    return StoreCheck::OpenNative(QString::fromLatin1(kCompany), QString::fromLatin1(kProgram));
}

} // namespace

class QuillonDialog::Updating {
public:
    explicit Updating(bool& flag) : m_flag(flag), m_previous(flag) { m_flag = true; }
    ~Updating() { m_flag = m_previous; }
    Updating(const Updating&) = delete;
    Updating& operator=(const Updating&) = delete;

private:
    bool& m_flag;
    bool m_previous;
};

QuillonDialog::QuillonDialog(QWidget* parent) : QDialog(parent) {
    setObjectName(QStringLiteral("quillonDialog"));
    setWindowTitle(QStringLiteral("Quillon"));
    setWindowIcon(ProgramIcon());
    BuildControls();

    m_autoCopy->setChecked(OpenStore()->value(kAutoCopyKey, 0).toInt() != 0);

    m_controlChange->setChecked(true);
    SetMode(QuillonLogic::ControlChange);
    Compose();
    RestorePosition();
}

QuillonDialog::~QuillonDialog() {
    SavePosition();
}

void QuillonDialog::BuildControls() {
    auto* menuBar = new QMenuBar(this);
    menuBar->setObjectName(QStringLiteral("menuBar"));
    // Stands in for the window menu entry, which Linux window managers do not let a program extend.
    QMenu* menu = menuBar->addMenu(QStringLiteral("&Quillon"));
    menu->setObjectName(QStringLiteral("quillonMenu"));
    QAction* about = menu->addAction(QStringLiteral("&About Quillon..."));
    about->setObjectName(QStringLiteral("aboutAction"));
    connect(about, &QAction::triggered, this, &QuillonDialog::ShowAbout);

    m_resultLabel = new QLabel(QStringLiteral("&Results:"));
    m_resultLabel->setObjectName(QStringLiteral("resultLabel"));
    m_result = new QLineEdit;
    m_result->setObjectName(QStringLiteral("resultEdit"));
    QFont fixed = QFontDatabase::systemFont(QFontDatabase::FixedFont);
    fixed.setPointSize(10);
    m_result->setFont(fixed);
    m_resultLabel->setBuddy(m_result);

    m_autoCopy = new QCheckBox(QStringLiteral("&Auto copy results to clipboard"));
    m_autoCopy->setObjectName(QStringLiteral("autoCopyCheck"));
    m_midiHelp = new QPushButton(QStringLiteral("MIDI H&elp"));
    m_midiHelp->setObjectName(QStringLiteral("midiHelpButton"));
    m_midiHelp->setAutoDefault(false);

    auto* group = new QGroupBox(QStringLiteral("Operation"));
    group->setObjectName(QStringLiteral("operationGroup"));
    auto* groupLayout = new QVBoxLayout(group);
    auto radio = [groupLayout](QRadioButton*& button, const char* caption, const char* name) {
        button = new QRadioButton(QString::fromLatin1(caption));
        button->setObjectName(QString::fromLatin1(name));
        groupLayout->addWidget(button);
    };
    radio(m_programChange, "&Program Change", "programChangeRadio");
    radio(m_controlChange, "&Control Change", "controlChangeRadio");
    radio(m_noteOn, "&Note On", "noteOnRadio");
    radio(m_noteOff, "Note &Off", "noteOffRadio");
    radio(m_decimal, "&Decimal Number Conversion", "decimalRadio");
    radio(m_hexadecimal, "&Hexidecimal Number Conversion", "hexadecimalRadio");
    radio(m_pitchBend, "Pitch &Bend", "pitchBendRadio");
    radio(m_msbLsb, "&MSB / LSB Conversion", "msbLsbRadio");
    radio(m_decomposer, "He&x Decomposer", "hexDecomposerRadio");
    groupLayout->addStretch();

    m_channelLabel = new QLabel(QStringLiteral("Channel"));
    m_channelLabel->setObjectName(QStringLiteral("channelLabel"));
    m_channel = NumberCombo(1, 16);
    m_channel->setObjectName(QStringLiteral("channelCombo"));
    m_data1Label = new QLabel(QStringLiteral("Data 1"));
    m_data1Label->setObjectName(QStringLiteral("data1Label"));
    m_data1 = NumberCombo(0, 127);
    m_data1->setObjectName(QStringLiteral("data1Combo"));
    m_data2Label = new QLabel(QStringLiteral("Data 2"));
    m_data2Label->setObjectName(QStringLiteral("data2Label"));
    m_data2 = NumberCombo(0, 127);
    m_data2->setObjectName(QStringLiteral("data2Combo"));
    m_msbLsbLabel = new QLabel(QStringLiteral("MSB/LSB"));
    m_msbLsbLabel->setObjectName(QStringLiteral("msbLsbLabel"));
    m_msbLsbEdit = new QLineEdit;
    m_msbLsbEdit->setObjectName(QStringLiteral("msbLsbEdit"));
    m_msbLsbEdit->setValidator(
        new QRegularExpressionValidator(QRegularExpression(QStringLiteral("[0-9]*")), m_msbLsbEdit));
    m_channelLabel->setBuddy(m_channel);
    m_data1Label->setBuddy(m_data1);
    m_data2Label->setBuddy(m_data2);
    m_msbLsbLabel->setBuddy(m_msbLsbEdit);

    m_description = new QPlainTextEdit;
    m_description->setObjectName(QStringLiteral("descriptionEdit"));
    m_description->setAccessibleName(QStringLiteral("Description"));
    m_description->setReadOnly(true);
    m_description->setTabChangesFocus(true);
    m_description->setTextInteractionFlags(Qt::TextSelectableByMouse | Qt::TextSelectableByKeyboard);

    m_exit = new QPushButton(QStringLiteral("Exit"));
    m_exit->setObjectName(QStringLiteral("exitButton"));
    m_exit->setDefault(true);

    auto* resultRow = new QHBoxLayout;
    resultRow->addWidget(m_resultLabel);
    resultRow->addWidget(m_result, 1);

    auto* optionRow = new QHBoxLayout;
    optionRow->addWidget(m_autoCopy);
    optionRow->addStretch();
    optionRow->addWidget(m_midiHelp);

    auto* dataGrid = new QGridLayout;
    dataGrid->addWidget(m_channelLabel, 0, 0);
    dataGrid->addWidget(m_channel, 0, 1);
    dataGrid->addWidget(m_data1Label, 1, 0);
    dataGrid->addWidget(m_data1, 1, 1);
    dataGrid->addWidget(m_data2Label, 2, 0);
    dataGrid->addWidget(m_data2, 2, 1);
    dataGrid->addWidget(m_msbLsbLabel, 3, 0);
    dataGrid->addWidget(m_msbLsbEdit, 3, 1);
    dataGrid->setColumnStretch(1, 1);

    // One page for the data controls, one for the description: the window keeps its size as the
    // mode changes, and the description gets the whole column.
    auto* dataPage = new QWidget;
    dataPage->setObjectName(QStringLiteral("dataPage"));
    auto* dataColumn = new QVBoxLayout(dataPage);
    dataColumn->setContentsMargins(0, 0, 0, 0);
    dataColumn->addLayout(dataGrid);
    dataColumn->addStretch();
    m_rightPages = new QStackedWidget;
    m_rightPages->setObjectName(QStringLiteral("rightPages"));
    m_rightPages->addWidget(dataPage);
    m_rightPages->addWidget(m_description);

    auto* body = new QHBoxLayout;
    body->addWidget(group);
    body->addWidget(m_rightPages, 1);

    auto* buttonRow = new QHBoxLayout;
    buttonRow->addStretch();
    buttonRow->addWidget(m_exit);

    auto* layout = new QVBoxLayout(this);
    layout->setMenuBar(menuBar);
    layout->addLayout(resultRow);
    layout->addLayout(optionRow);
    layout->addLayout(body, 1);
    layout->addLayout(buttonRow);

    // The right column must not jump in width as its controls come and go between modes.
    m_description->setMinimumWidth(m_description->fontMetrics().horizontalAdvance(QLatin1Char('x')) * 28);

    QWidget* const order[] = {m_result,     m_autoCopy,    m_midiHelp, m_programChange, m_controlChange,
                              m_noteOn,     m_noteOff,     m_decimal,  m_hexadecimal,   m_pitchBend,
                              m_msbLsb,     m_decomposer,  m_channel,  m_data1,         m_data2,
                              m_msbLsbEdit, m_description, m_exit};
    for (size_t i = 1; i < std::size(order); ++i)
        setTabOrder(order[i - 1], order[i]);

    connect(m_programChange, &QRadioButton::clicked, this, [this] {
        SetMode(QuillonLogic::ProgramChange);
        Compose();
    });
    connect(m_controlChange, &QRadioButton::clicked, this, [this] {
        SetMode(QuillonLogic::ControlChange);
        Compose();
    });
    // Note On and Note Off share one handler, which reads the mode off the Note On button.
    auto note = [this] {
        SetMode(m_noteOn->isChecked() ? QuillonLogic::NoteOn : QuillonLogic::NoteOff);
        Compose();
    };
    connect(m_noteOn, &QRadioButton::clicked, this, note);
    connect(m_noteOff, &QRadioButton::clicked, this, note);
    connect(m_decimal, &QRadioButton::clicked, this, [this] { Convert(true); });
    connect(m_hexadecimal, &QRadioButton::clicked, this, [this] { Convert(false); });
    connect(m_pitchBend, &QRadioButton::clicked, this, [this] {
        SetMode(QuillonLogic::PitchBend);
        Compose();
    });
    connect(m_msbLsb, &QRadioButton::clicked, this, [this] {
        SetMode(QuillonLogic::MsbLsb);
        Compose();
    });
    connect(m_decomposer, &QRadioButton::clicked, this, [this] {
        SetMode(QuillonLogic::HexDecomposer);
        Decompose();
    });

    for (QComboBox* combo : {m_channel, m_data1, m_data2})
        connect(combo, &QComboBox::currentIndexChanged, this, &QuillonDialog::Compose);
    connect(m_msbLsbEdit, &QLineEdit::textChanged, this, &QuillonDialog::OnMsbLsbEdited);
    connect(m_result, &QLineEdit::textChanged, this, [this] {
        if (m_mode == QuillonLogic::HexDecomposer)
            Decompose();
    });
    connect(m_midiHelp, &QPushButton::clicked, this, &QuillonDialog::OnMidiHelp);
    connect(m_exit, &QPushButton::clicked, this, &QuillonDialog::reject);
}

void QuillonDialog::SetMode(int mode) {
    if (mode == m_mode)
        return;
    m_mode = mode;
    // Text composed before stays for the decomposer to take apart.
    if (mode != QuillonLogic::HexDecomposer) {
        Updating updating(m_updating);
        m_result->clear();
    }

    const QuillonLogic::Labels labels = QuillonLogic::LabelsFor(mode);
    ShowLabelled(m_data1Label, m_data1, labels.data1);
    ShowLabelled(m_data2Label, m_data2, labels.data2);
    ShowLabelled(m_msbLsbLabel, m_msbLsbEdit, labels.msbLsb);
    if (!labels.msbLsb.isEmpty()) {
        Updating updating(m_updating);
        m_msbLsbEdit->clear();
    }
    m_channelLabel->setVisible(labels.channel);
    m_channel->setVisible(labels.channel);

    const bool typed = mode == QuillonLogic::NumberConversion || mode == QuillonLogic::HexDecomposer;
    m_result->setReadOnly(!typed);
    m_autoCopy->setEnabled(mode != QuillonLogic::HexDecomposer);
    m_rightPages->setCurrentWidget(mode == QuillonLogic::HexDecomposer ? static_cast<QWidget*>(m_description)
                                                                       : m_rightPages->widget(0));
}

void QuillonDialog::ShowLabelled(QLabel* label, QWidget* control, const QString& caption) {
    if (!caption.isEmpty())
        label->setText(caption);
    label->setVisible(!caption.isEmpty());
    control->setVisible(!caption.isEmpty());
}

void QuillonDialog::Compose() {
    if (!QuillonLogic::Composes(m_mode))
        return;
    // While reacting to typing in the MSB/LSB field, the typed number stays as it is.
    const bool fromMsbLsbTyping = m_updating;
    const QString text = QuillonLogic::Compose(m_mode, m_channel->currentIndex(), m_data1->currentIndex(),
                                               m_data2->currentIndex());
    if (text.isEmpty())
        return;
    QString msbLsb;
    if (m_mode == QuillonLogic::MsbLsb && !fromMsbLsbTyping)
        msbLsb = QString::number(QuillonLogic::MsbLsbValue(m_data1->currentIndex(), m_data2->currentIndex()));
    OutputResult(text, msbLsb);
}

void QuillonDialog::Convert(bool toDecimal) {
    SetMode(QuillonLogic::NumberConversion);
    const QString text = m_result->text();
    if (text.isEmpty())
        return;
    const std::string digits = text.toStdString();
    OutputResult(QString::fromStdString(toDecimal ? HexToDecimalText(digits) : DecimalToHexText(digits)));
}

void QuillonDialog::Decompose() {
    // The descriptions carry the "\r\n" line ends of the stored texts; the text field wants "\n".
    QString description = QuillonLogic::Decompose(m_result->text());
    description.replace(QStringLiteral("\r\n"), QStringLiteral("\n"));
    m_description->setPlainText(description);
}

void QuillonDialog::OnMsbLsbEdited() {
    if (m_updating)
        return;
    const int value = QuillonLogic::ReadMsbLsbText(m_msbLsbEdit->text());
    {
        // One composition for both combos, below, instead of one per combo.
        const QSignalBlocker block1(m_data1);
        const QSignalBlocker block2(m_data2);
        m_data2->setCurrentIndex(value & 0x7f);
        m_data1->setCurrentIndex((value >> 7) & 0x7f);
    }
    Updating updating(m_updating);
    Compose();
}

void QuillonDialog::OutputResult(const QString& text, const QString& msbLsb) {
    Updating updating(m_updating);
    m_result->setText(text);
    if (m_autoCopy->isChecked()) {
        if (QClipboard* clipboard = QGuiApplication::clipboard())
            clipboard->setText(text);
    }
    if (!msbLsb.isEmpty())
        m_msbLsbEdit->setText(msbLsb);
}

void QuillonDialog::OnMidiHelp() {
    if (!m_helpPath.isEmpty() && !QFileInfo(m_helpPath).isFile())
        m_helpPath.clear();
    if (m_helpPath.isEmpty()) {
        const QString candidate = QDir(QCoreApplication::applicationDirPath()).filePath(kHelpFileName);
        if (QFileInfo(candidate).isFile())
            m_helpPath = candidate;
    }
    if (m_helpPath.isEmpty()) {
        QMessageBox::critical(this, QStringLiteral("MIDI Help"), QStringLiteral("Help file not found."));
        return;
    }
    QDesktopServices::openUrl(QUrl::fromLocalFile(m_helpPath));
}

void QuillonDialog::ShowAbout() {
    QMessageBox box(this);
    box.setObjectName(QStringLiteral("aboutBox"));
    box.setWindowTitle(QStringLiteral("About Quillon"));
    box.setIconPixmap(windowIcon().pixmap(48, 48));
    box.setText(QStringLiteral("Quillon Version 1.2.0.1"));
    box.setInformativeText(QStringLiteral("Composes MIDI channel messages as hex bytes, takes them apart, "
                                          "and converts numbers for the patch strings of Tolvane."));
    box.setStandardButtons(QMessageBox::Ok);
    box.exec();
}

void QuillonDialog::BringForward() {
    if (isMinimized())
        showNormal();
    raise();
    activateWindow();
}

void QuillonDialog::reject() {
    OpenStore()->setValue(kAutoCopyKey, m_autoCopy->isChecked() ? 1 : 0);
    QDialog::reject();
}

void QuillonDialog::RestorePosition() {
    const QByteArray bytes = OpenStore()->value(kPositionKey).toByteArray();
    if (bytes.size() != kPositionBytes)
        return;
    const qint32 left = qFromLittleEndian<qint32>(bytes.constData());
    const qint32 top = qFromLittleEndian<qint32>(bytes.constData() + 4);
    const qint32 right = qFromLittleEndian<qint32>(bytes.constData() + 8);
    const qint32 bottom = qFromLittleEndian<qint32>(bytes.constData() + 12);
    if (top != bottom && left != right)
        move(left, top);
}

void QuillonDialog::SavePosition() {
    const QRect rect = frameGeometry();
    if (rect.width() == 0 || rect.height() == 0)
        return;
    OpenStore()->setValue(kPositionKey, EncodeRect(rect));
}
