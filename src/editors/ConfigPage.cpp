#include "editors/ConfigPage.h"
#include "widgets/WidgetKit.h"

#include "dump/Prompter.h"
#include "dump/SystemDoc.h"
#include "dump/ZIVBackupDoc.h"
#include "editors/EditorText.h"
#include "editors/GenericHexEditForm.h"
#include "settings/Settings.h"
#include "widgets/EditStep.h"
#include "widgets/SharedHintComboBox.h"
#include "widgets/ShellServices.h"

#include <QCheckBox>

#include <QComboBox>
#include <QContextMenuEvent>
#include <QCoreApplication>
#include <QGraphicsDropShadowEffect>
#include <QGridLayout>
#include <QGroupBox>
#include <QHBoxLayout>
#include <QLabel>
#include <QLineEdit>
#include <QPointer>
#include <QPushButton>
#include <QRegularExpressionValidator>
#include <QVBoxLayout>

#include <algorithm>

namespace {
// The validator every number field shares: each validator compiles its expression again, which
// took longer than making the field. It lives as long as the application.
QValidator* DigitsOnly() {
    static QPointer<QRegularExpressionValidator> shared;
    if (!shared)
        shared = new QRegularExpressionValidator(QRegularExpression(QStringLiteral("[0-9]*")),
                                                 QCoreApplication::instance());
    return shared;
}

QLineEdit* NumberField(const QString& objectName, QWidget* parent) {
    auto* edit = new QLineEdit(parent);
    edit->setObjectName(objectName);
    edit->setValidator(DigitsOnly());
    edit->setMaximumWidth(70);
    return edit;
}

SharedHintComboBox* Combo(const QString& objectName, QWidget* parent) {
    auto* combo = new SharedHintComboBox(parent);
    combo->setObjectName(objectName);
    combo->setMaxVisibleItems(17);
    return combo;
}

QComboBox* Combo(const QStringList& items, const QString& objectName, QWidget* parent) {
    SharedHintComboBox* combo = Combo(objectName, parent);
    combo->setSharedItems(items);
    return combo;
}

QComboBox* NumberCombo(int first, int last, const QString& objectName, QWidget* parent) {
    SharedHintComboBox* combo = Combo(objectName, parent);
    combo->setSharedNumbers(first, last);
    return combo;
}

QStringList Numbers(int first, int last) {
    QStringList items;
    for (int i = first; i <= last; ++i)
        items << QString::number(i);
    return items;
}

QCheckBox* Option(const QString& caption, const QString& objectName, QWidget* parent) {
    auto* box = new QCheckBox(caption, parent);
    box->setObjectName(objectName);
    box->setAccessibleName(QString(caption).remove(QLatin1Char('&')));
    return box;
}

// Unsigned decimal as typed; anything that is not a number reads as 0.
int FieldNumber(const QLineEdit* edit) {
    return editortext::LeadingDigits(edit->text().toStdString());
}

void Select(QComboBox* combo, int index) {
    combo->setCurrentIndex(index >= 0 && index < combo->count() ? index : -1);
}

// The chosen item index, or what the document holds when nothing is chosen.
int Chosen(const QComboBox* combo, int stored) {
    return combo->currentIndex() >= 0 ? combo->currentIndex() : stored;
}
} // namespace

ConfigPage::ConfigPage(SystemDoc& doc, ShellServices& shell, QWidget* parent)
    : SheetPage(doc, shell, parent) {
    buildControls();
    setFieldsEnabled(false);
    m_cancel->hide();
}

ConfigPage::~ConfigPage() = default;

QString ConfigPage::tabText() const {
    return QStringLiteral("System Configuration");
}

void ConfigPage::buildControls() {
    m_totalBanks = NumberField(QStringLiteral("totalBanks"), this);
    WidgetKit::MakeReadOnly(m_totalBanks);
    m_totalPatches = NumberField(QStringLiteral("totalPatches"), this);
    WidgetKit::MakeReadOnly(m_totalPatches);
    m_powerupPatch = NumberField(QStringLiteral("powerupPatch"), this);
    m_powerupTimeout = NumberField(QStringLiteral("powerupTimeout"), this);
    m_defaultChannel =
        Combo(QStringList{QStringLiteral("none")} + Numbers(1, 16), QStringLiteral("defaultChannel"), this);
    m_currentBank = NumberField(QStringLiteral("currentBank"), this);
    m_currentPatch = NumberField(QStringLiteral("currentPatch"), this);
    m_currentSet = NumberField(QStringLiteral("currentSet"), this);
    m_deviceChannel = NumberCombo(1, 16, QStringLiteral("deviceChannel"), this);

    auto* fields = new QGridLayout;
    fields->setHorizontalSpacing(8);
    fields->addWidget(WidgetKit::BuddyLabel(QStringLiteral("Total banks"), m_totalBanks, this), 0, 0);
    fields->addWidget(m_totalBanks, 0, 1);
    fields->addWidget(WidgetKit::BuddyLabel(QStringLiteral("Total patches"), m_totalPatches, this), 1, 0);
    fields->addWidget(m_totalPatches, 1, 1);
    fields->addWidget(WidgetKit::BuddyLabel(QStringLiteral("P&owerup patch"), m_powerupPatch, this), 2, 0);
    fields->addWidget(m_powerupPatch, 2, 1);
    fields->addWidget(WidgetKit::BuddyLabel(QStringLiteral("Powerup &timeout"), m_powerupTimeout, this), 3,
                      0);
    fields->addWidget(m_powerupTimeout, 3, 1);
    fields->addWidget(WidgetKit::BuddyLabel(QStringLiteral("&Default channel"), m_defaultChannel, this), 4,
                      0);
    fields->addWidget(m_defaultChannel, 4, 1);
    fields->setColumnMinimumWidth(2, 16);
    fields->addWidget(WidgetKit::BuddyLabel(QStringLiteral("Current &bank"), m_currentBank, this), 0, 3);
    fields->addWidget(m_currentBank, 0, 4);
    fields->addWidget(WidgetKit::BuddyLabel(QStringLiteral("Current &patch"), m_currentPatch, this), 1, 3);
    fields->addWidget(m_currentPatch, 1, 4);
    fields->addWidget(WidgetKit::BuddyLabel(QStringLiteral("Current &set"), m_currentSet, this), 2, 3);
    fields->addWidget(m_currentSet, 2, 4);
    fields->addWidget(WidgetKit::BuddyLabel(QStringLiteral("Device &channel"), m_deviceChannel, this), 3, 3);
    fields->addWidget(m_deviceChannel, 3, 4);

    m_filterRedundant =
        Option(QStringLiteral("&Filter redundant program changes"), QStringLiteral("filterRedundant"), this);
    m_editSysexHex = Option(QStringLiteral("&Edit sysex in hex"), QStringLiteral("editSysexHex"), this);
    m_midiMerging = Option(QStringLiteral("&MIDI merging"), QStringLiteral("midiMerging"), this);
    m_reverseLeds = Option(QStringLiteral("&Reverse footswitch LEDs"), QStringLiteral("reverseLeds"), this);
    auto* options = new QVBoxLayout;
    options->addWidget(m_filterRedundant);
    options->addWidget(m_editSysexHex);
    options->addWidget(m_midiMerging);
    options->addWidget(m_reverseLeds);
    options->addStretch();

    auto* topRow = new QHBoxLayout;
    topRow->addLayout(fields);
    topRow->addSpacing(24);
    topRow->addLayout(options);
    topRow->addStretch();

    auto* global = new QGroupBox(QStringLiteral("Global CC"), this);
    auto* globalGrid = new QGridLayout(global);
    const char* const rows[] = {"Channel", "CC", "Min", "Max", "Flags"};
    for (int r = 0; r < 5; ++r)
        globalGrid->addWidget(new QLabel(QString::fromLatin1(rows[r]), global), 1 + r, 0);
    for (int pedal = 0; pedal < 2; ++pedal) {
        auto* heading = new QLabel(QStringLiteral("Pedal %1").arg(pedal + 1), global);
        heading->setAlignment(Qt::AlignCenter);
        globalGrid->addWidget(heading, 0, 1 + pedal);
        m_globalCCs[static_cast<size_t>(pedal)] =
            std::make_unique<CCAssignmentControls>(global, QStringLiteral("Pedal%1").arg(pedal + 1),
                                                   QStringLiteral("Global CC Pedal %1").arg(pedal + 1));
        m_globalCCs[static_cast<size_t>(pedal)]->addToGrid(globalGrid, 1, 1 + pedal);
    }
    auto* flagText =
        new QLabel(QStringLiteral("Flag values:\nEnabled, Polarity Invert, Immediate, First Time"), global);
    globalGrid->addWidget(flagText, 6, 0, 1, 3);

    auto* calibration = new QGroupBox(QStringLiteral("Pedal Calibration"), this);
    auto* calGrid = new QGridLayout(calibration);
    calGrid->addWidget(new QLabel(QStringLiteral("Min"), calibration), 1, 0);
    calGrid->addWidget(new QLabel(QStringLiteral("Max"), calibration), 2, 0);
    calGrid->addWidget(new QLabel(QStringLiteral("Type"), calibration), 3, 0);
    QStringList types;
    for (int type = 0; type <= 28; type += 4)
        types << QString::asprintf("0x%02x", type);
    for (int pedal = 0; pedal < 2; ++pedal) {
        const size_t p = static_cast<size_t>(pedal);
        auto* heading = new QLabel(QStringLiteral("Pedal %1").arg(pedal + 1), calibration);
        heading->setAlignment(Qt::AlignCenter);
        calGrid->addWidget(heading, 0, 1 + pedal);
        const QString key = QStringLiteral("Pedal%1").arg(pedal + 1);
        const QString title = QStringLiteral("Calibration Pedal %1").arg(pedal + 1);
        m_calMin[p] = NumberCombo(0, 255, QStringLiteral("calMin") + key, calibration);
        m_calMin[p]->setAccessibleName(title + QStringLiteral(" Min"));
        m_calMax[p] = NumberCombo(0, 255, QStringLiteral("calMax") + key, calibration);
        m_calMax[p]->setAccessibleName(title + QStringLiteral(" Max"));
        m_calType[p] = Combo(types, QStringLiteral("calType") + key, calibration);
        m_calType[p]->setAccessibleName(title + QStringLiteral(" Type"));
        calGrid->addWidget(m_calMin[p], 1, 1 + pedal);
        calGrid->addWidget(m_calMax[p], 2, 1 + pedal);
        calGrid->addWidget(m_calType[p], 3, 1 + pedal);
    }
    calGrid->setRowStretch(4, 1);

    m_filters = new QPushButton(QStringLiteral("F&ilters"), this);
    m_filters->setObjectName(QStringLiteral("filters"));
    m_filters->setAccessibleDescription(QStringLiteral("Hex edit of MIDI filters"));
    connect(m_filters, &QPushButton::clicked, this, &ConfigPage::openFilters);
    auto* filtersLabel = new QLabel(QStringLiteral("Hex edit of MIDI filters"), this);
    auto* filtersRow = new QHBoxLayout;
    filtersRow->addWidget(m_filters);
    filtersRow->addWidget(filtersLabel);
    filtersRow->addStretch();

    auto* right = new QVBoxLayout;
    right->addWidget(calibration);
    right->addLayout(filtersRow);
    right->addStretch();

    auto* groups = new QHBoxLayout;
    groups->addWidget(global);
    groups->addLayout(right);
    groups->addStretch();

    m_edit = new QPushButton(QStringLiteral("Edit"), this);
    m_edit->setObjectName(QStringLiteral("edit"));
    connect(m_edit, &QPushButton::clicked, this, [this] { toggleEdit(m_editing); });
    m_cancel = new QPushButton(QStringLiteral("Cancel"), this);
    m_cancel->setObjectName(QStringLiteral("cancel"));
    connect(m_cancel, &QPushButton::clicked, this, [this] { toggleEdit(false); });

    // The engraved title: the text in the shadow colour with a highlight one pixel right and
    // down behind it.
    m_title = new QLabel(QStringLiteral("RIV 10 System Configuration"), this);
    m_title->setObjectName(QStringLiteral("title"));
    QFont titleFont = font();
    titleFont.setPixelSize(20);
    titleFont.setBold(true);
    titleFont.setItalic(true);
    m_title->setFont(titleFont);
    QPalette titlePalette = m_title->palette();
    titlePalette.setColor(QPalette::WindowText, palette().color(QPalette::Dark));
    m_title->setPalette(titlePalette);
    auto* engraving = new QGraphicsDropShadowEffect(m_title);
    engraving->setBlurRadius(0);
    engraving->setOffset(1, 1);
    engraving->setColor(palette().color(QPalette::Light));
    m_title->setGraphicsEffect(engraving);

    auto* bottom = new QHBoxLayout;
    bottom->addWidget(m_title);
    bottom->addStretch();
    bottom->addWidget(m_edit);
    bottom->addWidget(m_cancel);

    auto* layout = new QVBoxLayout(this);
    layout->addLayout(topRow);
    layout->addSpacing(6);
    layout->addLayout(groups);
    layout->addStretch();
    layout->addLayout(bottom);
}

void ConfigPage::rebuild(int hint) {
    (void)hint;
    // Every change can move the counts and the current selections (a delete with reorder
    // renumbers them). While editing, the user's input stays and only the read-only counts
    // follow; leaving edit mode reloads the rest.
    if (m_editing) {
        loadCounts();
        return;
    }
    const SystemDoc& d = doc();
    if (updatesInPlace() && m_loaded && d.GetDeviceChannel() == m_loadedChannel &&
        std::equal(m_loadedConfig.begin(), m_loadedConfig.end(), d.Config()))
        return; // nothing the fields show has changed
    loadControls();
}

void ConfigPage::loadCounts() {
    const QString banks = QString::number(doc().GetBankCount());
    const QString patches = QString::number(doc().GetPatchCount());
    if (m_totalBanks->text() != banks)
        m_totalBanks->setText(banks);
    if (m_totalPatches->text() != patches)
        m_totalPatches->setText(patches);
}

void ConfigPage::loadControls() {
    const SystemDoc& d = doc();
    m_loaded = true;
    std::copy(d.Config(), d.Config() + SystemDoc::kConfigSize, m_loadedConfig.begin());
    m_loadedChannel = d.GetDeviceChannel();
    loadCounts();
    m_powerupPatch->setText(QString::number(d.GetPowerUpPatch()));
    m_powerupTimeout->setText(QString::number(d.GetPowerUpTimeout()));
    Select(m_defaultChannel, d.GetDefaultChannel());
    m_currentBank->setText(QString::number(d.GetCurrentBank()));
    m_currentPatch->setText(QString::number(d.GetCurrentPatch()));
    m_currentSet->setText(QString::number(d.GetCurrentSet()));
    m_filterRedundant->setChecked(d.GetFilterOff() != 1);
    m_editSysexHex->setChecked(d.GetEditSysexHex() != 0);
    m_midiMerging->setChecked(d.GetMergeOff() != 1);
    m_reverseLeds->setChecked(d.GetReverseLeds() != 0);
    Select(m_deviceChannel, d.GetDeviceChannel());
    for (int pedal = 1; pedal <= 2; ++pedal) {
        const size_t p = static_cast<size_t>(pedal - 1);
        m_globalCCs[p]->load(d.GetGlobalCC(pedal));
        Select(m_calMin[p], d.GetPedalCalMin(pedal));
        Select(m_calMax[p], d.GetPedalCalMax(pedal));
        const int type = d.GetPedalCalType(pedal);
        Select(m_calType[p], type % 4 == 0 ? type / 4 : -1);
    }
}

void ConfigPage::setFieldsEnabled(bool enabled) {
    for (QWidget* w : {static_cast<QWidget*>(m_currentPatch), static_cast<QWidget*>(m_currentBank),
                       static_cast<QWidget*>(m_currentSet), static_cast<QWidget*>(m_powerupPatch),
                       static_cast<QWidget*>(m_powerupTimeout), static_cast<QWidget*>(m_defaultChannel),
                       static_cast<QWidget*>(m_deviceChannel), static_cast<QWidget*>(m_filterRedundant),
                       static_cast<QWidget*>(m_editSysexHex), static_cast<QWidget*>(m_midiMerging),
                       static_cast<QWidget*>(m_reverseLeds)})
        w->setEnabled(enabled);
    for (size_t p = 0; p < 2; ++p) {
        m_globalCCs[p]->setEnabled(enabled);
        m_calMin[p]->setEnabled(enabled);
        m_calMax[p]->setEnabled(enabled);
        m_calType[p]->setEnabled(enabled);
    }
}

void ConfigPage::toggleEdit(bool commit) {
    if (m_editing) {
        if (commit && !validateAndSave())
            return;
        m_editing = false;
        m_edit->setText(QStringLiteral("Edit"));
        m_cancel->hide();
        m_filters->setEnabled(true);
        loadControls();
        setFieldsEnabled(false);
    } else {
        if (shell().settings().ConfigEditPrompt())
            shell().prompter().Message("Commit your changes by pressing OK before you try to upload them.",
                                       "Tolvane", Prompter::Icon::Information);
        m_editing = true;
        m_edit->setText(QStringLiteral("OK"));
        m_cancel->show();
        m_filters->setEnabled(false);
        setFieldsEnabled(true);
        loadControls();
    }
}

void ConfigPage::message(const std::string& text) {
    shell().prompter().Message(text, std::string(), Prompter::Icon::None);
}

bool ConfigPage::validateAndSave() {
    SystemDoc& d = doc();
    EditStep step(shell(), d);
    const int currentPatch = FieldNumber(m_currentPatch);
    if (currentPatch != 0 && !d.HasPatch(currentPatch)) {
        message("Invalid patch number in Current Patch field.");
        return false;
    }
    const int currentBank = FieldNumber(m_currentBank);
    if (currentBank != 0 && !d.HasBank(currentBank)) {
        message("Invalid bank number in Current Bank field.");
        return false;
    }
    const int currentSet = FieldNumber(m_currentSet);
    if (currentSet > SystemDoc::kSets) {
        message("Invalid set number in Current Set field.");
        return false;
    }
    const int powerupPatch = FieldNumber(m_powerupPatch);
    if (powerupPatch != 0 && !d.HasPatch(powerupPatch)) {
        message("Invalid patch number in Powerup Patch field.");
        return false;
    }
    const int timeout = FieldNumber(m_powerupTimeout);
    if (timeout > 255) {
        message("Invalid value in Powerup Timeout field.\nValid range is 0 - 255.");
        return false;
    }
    std::array<int, 2> calMin{};
    std::array<int, 2> calMax{};
    std::array<int, 2> calType{};
    for (int pedal = 1; pedal <= 2; ++pedal) {
        if (m_globalCCs[static_cast<size_t>(pedal - 1)]->maxBelowMin()) {
            message("Pedal max value must >= min value.");
            return false;
        }
    }
    for (int pedal = 1; pedal <= 2; ++pedal) {
        const size_t p = static_cast<size_t>(pedal - 1);
        calMin[p] = Chosen(m_calMin[p], d.GetPedalCalMin(pedal) & 0xFF);
        calMax[p] = Chosen(m_calMax[p], d.GetPedalCalMax(pedal) & 0xFF);
        calType[p] =
            m_calType[p]->currentIndex() >= 0 ? m_calType[p]->currentIndex() * 4 : d.GetPedalCalType(pedal);
        if (calMax[p] < calMin[p]) {
            message("Pedal max value must >= min value.");
            return false;
        }
    }

    // Every check passed: now write, each value only when it differs.
    auto store = [&d](int (SystemDoc::*get)() const, void (SystemDoc::*set)(int), int value) {
        if ((d.*get)() != value)
            (d.*set)(value);
    };
    store(&SystemDoc::GetCurrentPatch, &SystemDoc::SetCurrentPatch, currentPatch);
    store(&SystemDoc::GetCurrentBank, &SystemDoc::SetCurrentBank, currentBank);
    store(&SystemDoc::GetCurrentSet, &SystemDoc::SetCurrentSet, currentSet);
    store(&SystemDoc::GetPowerUpPatch, &SystemDoc::SetPowerUpPatch, powerupPatch);
    store(&SystemDoc::GetPowerUpTimeout, &SystemDoc::SetPowerUpTimeout, timeout);
    store(&SystemDoc::GetDefaultChannel, &SystemDoc::SetDefaultChannel,
          Chosen(m_defaultChannel, d.GetDefaultChannel()));
    store(&SystemDoc::GetDeviceChannel, &SystemDoc::SetDeviceChannel,
          Chosen(m_deviceChannel, d.GetDeviceChannel()));
    store(&SystemDoc::GetFilterOff, &SystemDoc::SetFilterOff, m_filterRedundant->isChecked() ? 0 : 1);
    store(&SystemDoc::GetEditSysexHex, &SystemDoc::SetEditSysexHex, m_editSysexHex->isChecked() ? 1 : 0);
    store(&SystemDoc::GetMergeOff, &SystemDoc::SetMergeOff, m_midiMerging->isChecked() ? 0 : 1);
    store(&SystemDoc::GetReverseLeds, &SystemDoc::SetReverseLeds, m_reverseLeds->isChecked() ? 1 : 0);
    for (int pedal = 1; pedal <= 2; ++pedal) {
        const size_t p = static_cast<size_t>(pedal - 1);
        const CCAssignment cc = m_globalCCs[p]->value();
        const CCAssignment old = d.GetGlobalCC(pedal);
        if (cc.flags != old.flags || cc.controller != old.controller || cc.minimum != old.minimum ||
            cc.maximum != old.maximum)
            d.SetGlobalCC(pedal, cc);
        if (d.GetPedalCalType(pedal) != calType[p])
            d.SetPedalCalType(pedal, calType[p]);
        if (d.GetPedalCalMax(pedal) != calMax[p])
            d.SetPedalCalMax(pedal, calMax[p]);
        if (d.GetPedalCalMin(pedal) != calMin[p])
            d.SetPedalCalMin(pedal, calMin[p]);
    }
    d.SetModifiedFlag(true);
    d.UpdateAllViews(nullptr, HintConfig);
    step.commit(QStringLiteral("Edit Configuration"), HintConfig, 0);
    return true;
}

void ConfigPage::openFilters() {
    const std::unique_ptr<GenericHexEditForm> form =
        GenericHexEditForm::ForMidiFilters(doc(), shell().prompter(), this);
    EditStep step(shell(), doc());
    form->exec();
    step.commit(QStringLiteral("Edit MIDI Filters"), HintConfig, 0);
}

void ConfigPage::contextMenuEvent(QContextMenuEvent* event) {
    shell().showContextMenu(event->globalPos(), ShellServices::MenuConfig);
    event->accept();
}
