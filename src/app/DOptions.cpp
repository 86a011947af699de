#include "app/DOptions.h"

#include "dump/Prompter.h"
#include "midi/MidiPorts.h"
#include "midi/PortNameMatch.h"
#include "widgets/WidgetKit.h"

#include <QCheckBox>
#include <QComboBox>
#include <QDesktopServices>
#include <QDir>
#include <QFileDialog>
#include <QFileInfo>
#include <QFormLayout>
#include <QGridLayout>
#include <QGroupBox>
#include <QHBoxLayout>
#include <QLabel>
#include <QLineEdit>
#include <QPushButton>
#include <QSpinBox>
#include <QUrl>
#include <QVBoxLayout>

#include <string>
#include <vector>

namespace {

const char* const kBufferSizes[] = {"64",   "128",  "256",  "512",   "1024",
                                    "2048", "4096", "8192", "16384", "32768"};
const char* const kDelays[] = {"0",   "10",  "20",  "30",  "40",  "50",  "60",  "70",  "80", "90",
                               "100", "150", "200", "250", "300", "350", "400", "450", "500"};

QString Plain(const QString& caption) {
    QString text = caption;
    return text.remove(QLatin1Char('&'));
}

QCheckBox* MakeCheck(const QString& caption, const char* name, QWidget* parent) {
    auto* box = new QCheckBox(caption, parent);
    box->setObjectName(QLatin1String(name));
    box->setAccessibleName(Plain(caption));
    return box;
}

QPushButton* MakeButton(const QString& caption, const char* name, const QString& accessibleName,
                        QWidget* parent) {
    auto* button = new QPushButton(caption, parent);
    button->setObjectName(QLatin1String(name));
    button->setAccessibleName(accessibleName);
    button->setAutoDefault(false);
    return button;
}

QComboBox* MakeList(const char* name, QWidget* parent) {
    auto* combo = new QComboBox(parent);
    combo->setObjectName(QLatin1String(name));
    return combo;
}

void FillNames(QComboBox* combo, const std::vector<std::string>& names) {
    combo->clear();
    for (const std::string& name : names)
        combo->addItem(QString::fromStdString(name));
}

// Selects the entry that reads as the number, or nothing when none does.
void SelectNumber(QComboBox* combo, int number) {
    combo->setCurrentIndex(combo->findText(QString::number(number)));
}

// An index beyond the list selects nothing, as the stored device may be gone.
void SelectIndex(QComboBox* combo, int index) {
    combo->setCurrentIndex(index >= 0 && index < combo->count() ? index : -1);
}

// The stored port by name when there is one, with or without the service prefix the list shows
// now: a port that is not there now stays chosen, shown as "NAME (not connected)", so accepting
// the preferences does not quietly pick another.
void SelectPort(QComboBox* combo, bool input, const QString& name, int among, int index) {
    if (name.isEmpty()) {
        SelectIndex(combo, index);
        return;
    }
    uint32_t listed = 0;
    const std::string wanted = name.toStdString();
    const size_t which = static_cast<size_t>(among);
    int found = -1;
    if ((input ? MidiInDeviceIndex(wanted, which, listed) : MidiOutDeviceIndex(wanted, which, listed)) &&
        listed < static_cast<uint32_t>(combo->count()))
        found = static_cast<int>(listed);
    if (found < 0) {
        combo->addItem(name + QStringLiteral(" (not connected)"), name);
        found = combo->count() - 1;
    }
    combo->setCurrentIndex(found);
}

// Takes the chosen port into the settings: its index, its name as listed and which of the ports
// of that name it is. A port that is not connected keeps what was stored.
void ReadPort(const QComboBox* combo, int& index, QString& name, int& among) {
    if (combo->currentIndex() >= 0 && combo->currentData().isValid())
        return;
    // -1 when nothing is selected, e.g. when there are no devices.
    index = combo->currentIndex();
    name = index >= 0 ? combo->currentText() : QString();
    std::vector<std::string> names;
    for (int i = 0; i < combo->count(); ++i)
        names.push_back(combo->itemText(i).toStdString());
    among = index >= 0
                ? static_cast<int>(PortNameMatch::IndexAmongSameNames(names, static_cast<size_t>(index)))
                : 0;
}

QString ChooseFileWithDialog(QWidget* parent, const QString& title, const QString& start,
                             const QString& filter, const QString& suffix) {
    QFileDialog dialog(parent, title);
    dialog.setFileMode(QFileDialog::ExistingFile);
    dialog.setNameFilter(filter);
    dialog.setDefaultSuffix(suffix);
    if (!start.isEmpty()) {
        dialog.setDirectory(QFileInfo(start).absolutePath());
        dialog.selectFile(start);
    }
    if (dialog.exec() != QDialog::Accepted)
        return QString();
    return dialog.selectedFiles().value(0);
}

} // namespace

QString DOptions::InitializeHelpText() {
    return QStringLiteral("The MIDI Help button opens a help file of your choice, at the topic set in the "
                          "preferences.\n\n"
                          "A MIDI reference that your desktop can open serves well; free ones are easy to "
                          "find.\n\n"
                          "Do you have a MIDI help file?");
}

DOptions::DOptions(Prompter& prompter, std::unique_ptr<Settings> settings, QWidget* parent)
    : QDialog(parent), m_prompter(prompter),
      m_settings(settings ? std::move(settings) : std::make_unique<Settings>()),
      m_chooseFile(&ChooseFileWithDialog),
      m_openUrl([](const QUrl& url) { return QDesktopServices::openUrl(url); }),
      m_runPreferences([this] { Run(); }) {
    setObjectName(QStringLiteral("DOptions"));
    setWindowTitle(QString::fromLatin1(kCaption));
    BuildControls();
}

DOptions::~DOptions() {
    m_settings->Save(m_prompter);
}

void DOptions::BuildControls() {
    // Two columns, so the dialog fits a small laptop screen; the keyboard goes down the left
    // column, then down the right one.
    auto* layout = new QVBoxLayout(this);
    auto* columns = new QHBoxLayout;
    auto* left = new QVBoxLayout;
    auto* right = new QVBoxLayout;
    columns->addLayout(left, 1);
    columns->addLayout(right, 1);
    layout->addLayout(columns);

    auto* prompts = new QGroupBox(QStringLiteral("Confirmations and Prompts"), this);
    prompts->setObjectName(QStringLiteral("promptsGroup"));
    auto* promptsLayout = new QVBoxLayout(prompts);
    m_promptBeforeDownload =
        MakeCheck(QStringLiteral("&Display download prompt"), "promptBeforeDownload", prompts);
    m_deletePrompt = MakeCheck(QStringLiteral("&Confirm patch and bank deletes"), "deletePrompt", prompts);
    m_configEditPrompt = MakeCheck(QStringLiteral("Display prompt when &editing system configuration"),
                                   "configEditPrompt", prompts);
    promptsLayout->addWidget(m_promptBeforeDownload);
    promptsLayout->addWidget(m_deletePrompt);
    promptsLayout->addWidget(m_configEditPrompt);
    left->addWidget(prompts);

    auto* midi = new QGroupBox(QStringLiteral("MIDI Settings"), this);
    midi->setObjectName(QStringLiteral("midiGroup"));
    auto* midiLayout = new QFormLayout(midi);
    m_midiInput = MakeList("midiInput", midi);
    m_midiOutput = MakeList("midiOutput", midi);
    m_bufferSize = MakeList("bufferSize", midi);
    for (const char* size : kBufferSizes)
        m_bufferSize->addItem(QLatin1String(size));
    m_delay = MakeList("delayBetweenBuffers", midi);
    for (const char* delay : kDelays)
        m_delay->addItem(QLatin1String(delay));
    midiLayout->addRow(WidgetKit::BuddyLabel(QStringLiteral("MIDI &Input"), m_midiInput, midi), m_midiInput);
    midiLayout->addRow(WidgetKit::BuddyLabel(QStringLiteral("MIDI &Output"), m_midiOutput, midi),
                       m_midiOutput);
    midiLayout->addRow(
        WidgetKit::BuddyLabel(QStringLiteral("&Length of each low-level midi buffer"), m_bufferSize, midi),
        m_bufferSize);
    midiLayout->addRow(
        WidgetKit::BuddyLabel(QStringLiteral("Delay in &ms between sent buffers"), m_delay, midi), m_delay);
    left->addWidget(midi);

    auto* other = new QGroupBox(QStringLiteral("Other Settings"), this);
    other->setObjectName(QStringLiteral("otherGroup"));
    auto* otherLayout = new QGridLayout(other);
    m_hideBlanks =
        MakeCheck(QStringLiteral("Hide empt&y banks and patches (uncheck for Patch and Bank creation)"),
                  "hideBlanks", other);
    m_recycleFiles = MakeCheck(
        QStringLiteral("&Use Recycle Bin (before saves, unmodified versions of files get recycled)"),
        "recycleFiles", other);
    m_displayComments =
        MakeCheck(QStringLiteral("Display byte sequence descriptions in &patch editor MIDI strings"),
                  "displayMidiStringComments", other);
    m_reloadLastFile =
        MakeCheck(QStringLiteral("&Reload last opened file at startup"), "reloadLastFile", other);
    m_background = MakeList("background", other);
    m_background->setEditable(true);
    // Typed paths join the recent list when the preferences are accepted, not on Enter.
    m_background->setInsertPolicy(QComboBox::NoInsert);
    m_background->setSizeAdjustPolicy(QComboBox::AdjustToMinimumContentsLengthWithIcon);
    m_background->setMinimumContentsLength(24);
    m_browseBackground = MakeButton(QStringLiteral("&..."), "browseBackground",
                                    QStringLiteral("Browse for a background image"), other);
    otherLayout->addWidget(m_hideBlanks, 0, 0, 1, 3);
    otherLayout->addWidget(m_recycleFiles, 1, 0, 1, 3);
    otherLayout->addWidget(m_displayComments, 2, 0, 1, 3);
    otherLayout->addWidget(m_reloadLastFile, 3, 0, 1, 3);
    otherLayout->addWidget(WidgetKit::BuddyLabel(QStringLiteral("&Background Image"), m_background, other), 4,
                           0);
    otherLayout->addWidget(m_background, 4, 1);
    otherLayout->addWidget(m_browseBackground, 4, 2);
    otherLayout->setColumnStretch(1, 1);
    left->addWidget(other);

    auto* exports = new QGroupBox(QStringLiteral("Export Settings"), this);
    exports->setObjectName(QStringLiteral("exportGroup"));
    auto* exportsLayout = new QVBoxLayout(exports);
    m_exportTabDelimited =
        MakeCheck(QStringLiteral("Tab-delimit e&xported tables (does not affect Bank Layout Export)"),
                  "exportTabDelimited", exports);
    m_exportMixedCase = MakeCheck(QStringLiteral("&Force mixed case patch and bank names in exports"),
                                  "exportMixedCase", exports);
    exportsLayout->addWidget(m_exportTabDelimited);
    exportsLayout->addWidget(m_exportMixedCase);
    right->addWidget(exports);

    auto* backups = new QGroupBox(QStringLiteral("Download Backups"), this);
    backups->setObjectName(QStringLiteral("backupGroup"));
    auto* backupsLayout = new QGridLayout(backups);
    m_keepBackups =
        MakeCheck(QStringLiteral("Keep a backup of e&very download"), "keepDownloadBackups", backups);
    m_backupsToKeep = new QSpinBox(backups);
    m_backupsToKeep->setObjectName(QStringLiteral("backupsToKeep"));
    m_backupsToKeep->setRange(1, 9999);
    m_openBackupFolder = MakeButton(QStringLiteral("Ope&n backup folder"), "openBackupFolder",
                                    QStringLiteral("Open backup folder"), backups);
    backupsLayout->addWidget(m_keepBackups, 0, 0, 1, 3);
    backupsLayout->addWidget(
        WidgetKit::BuddyLabel(QStringLiteral("Bac&kups to keep"), m_backupsToKeep, backups), 1, 0);
    backupsLayout->addWidget(m_backupsToKeep, 1, 1);
    backupsLayout->addWidget(m_openBackupFolder, 1, 2, Qt::AlignRight);
    backupsLayout->setColumnStretch(2, 1);
    right->addWidget(backups);

    auto* help = new QGroupBox(QStringLiteral("Custom MIDI Help"), this);
    help->setObjectName(QStringLiteral("helpGroup"));
    auto* helpLayout = new QGridLayout(help);
    m_helpFile = new QLineEdit(help);
    m_helpFile->setObjectName(QStringLiteral("midiHelpFile"));
    m_browseHelpFile = MakeButton(QStringLiteral("&..."), "browseMidiHelpFile",
                                  QStringLiteral("Browse for a MIDI help file"), help);
    m_helpKeyword = new QLineEdit(help);
    m_helpKeyword->setObjectName(QStringLiteral("midiHelpKeyword"));
    m_testHelp = MakeButton(QStringLiteral("Test Help"), "testHelp", QStringLiteral("Test Help"), help);
    helpLayout->addWidget(WidgetKit::BuddyLabel(QStringLiteral("MIDI &Help file"), m_helpFile, help), 0, 0);
    helpLayout->addWidget(m_helpFile, 0, 1);
    helpLayout->addWidget(m_browseHelpFile, 0, 2);
    helpLayout->addWidget(WidgetKit::BuddyLabel(QStringLiteral("MIDI Help &topic"), m_helpKeyword, help), 1,
                          0);
    helpLayout->addWidget(m_helpKeyword, 1, 1);
    helpLayout->addWidget(m_testHelp, 1, 2);
    helpLayout->setColumnStretch(1, 1);
    right->addWidget(help);
    left->addStretch(1);
    right->addStretch(1);

    auto* buttons = new QHBoxLayout;
    auto* ok = MakeButton(QStringLiteral("OK"), "ok", QStringLiteral("OK"), this);
    ok->setAutoDefault(true);
    ok->setDefault(true);
    auto* apply = MakeButton(QStringLiteral("Apply"), "apply", QStringLiteral("Apply"), this);
    auto* cancel = MakeButton(QStringLiteral("Cancel"), "cancel", QStringLiteral("Cancel"), this);
    buttons->addStretch(1);
    buttons->addWidget(ok);
    buttons->addWidget(apply);
    buttons->addWidget(cancel);
    layout->addLayout(buttons);

    connect(ok, &QPushButton::clicked, this, &DOptions::accept);
    connect(apply, &QPushButton::clicked, this, &DOptions::Apply);
    connect(cancel, &QPushButton::clicked, this, &DOptions::reject);
    connect(m_browseBackground, &QPushButton::clicked, this, &DOptions::BrowseBackground);
    connect(m_browseHelpFile, &QPushButton::clicked, this, &DOptions::BrowseHelpFile);
    connect(m_testHelp, &QPushButton::clicked, this, &DOptions::TestHelp);
    connect(m_openBackupFolder, &QPushButton::clicked, this, &DOptions::OpenBackupFolder);
}

int DOptions::Run() {
    return exec();
}

// Every way of showing the dialog passes here, so the controls always start from the settings.
void DOptions::setVisible(bool visible) {
    if (visible && !isVisible())
        FillControls();
    QDialog::setVisible(visible);
}

void DOptions::FillControls() {
    Settings& values = *m_settings;

    m_settings->LoadRecentBackgrounds();
    m_background->clear();
    for (const QString& path : values.RecentBackgrounds().Entries())
        m_background->addItem(path);
    // A service started since the last look (a JACK server started later) is listed too.
    MidiPortsRefresh();
    FillNames(m_midiInput, MidiInDeviceNames());
    FillNames(m_midiOutput, MidiOutDeviceNames());

    m_promptBeforeDownload->setChecked(values.PromptBeforeDownload());
    m_deletePrompt->setChecked(values.DeletePrompt());
    m_configEditPrompt->setChecked(values.ConfigEditPrompt());
    SelectPort(m_midiInput, true, values.MidiInputDeviceName(), values.MidiInputDeviceNameIndex(),
               values.MidiInputDevice());
    SelectPort(m_midiOutput, false, values.MidiOutputDeviceName(), values.MidiOutputDeviceNameIndex(),
               values.MidiOutputDevice());
    SelectNumber(m_bufferSize, values.BufferSize());
    SelectNumber(m_delay, values.DelayBetweenBuffers());
    m_hideBlanks->setChecked(values.HideBlanks());
    m_recycleFiles->setChecked(values.RecycleFiles());
    m_displayComments->setChecked(values.DisplayMidiStringComments());
    m_reloadLastFile->setChecked(values.ReloadLastFile());
    m_background->setEditText(values.Background());
    m_exportTabDelimited->setChecked(values.ExportTabDelimited());
    m_exportMixedCase->setChecked(values.ExportMixedCase());
    m_helpFile->setText(values.MidiHelpFile());
    m_helpKeyword->setText(values.MidiHelpKeyword());
    m_keepBackups->setChecked(values.KeepDownloadBackups());
    m_backupsToKeep->setValue(values.BackupsToKeep());
}

void DOptions::ReadControls() {
    Settings& values = *m_settings;
    values.SetPromptBeforeDownload(m_promptBeforeDownload->isChecked());
    values.SetDeletePrompt(m_deletePrompt->isChecked());
    values.SetConfigEditPrompt(m_configEditPrompt->isChecked());
    int index = values.MidiInputDevice();
    QString name = values.MidiInputDeviceName();
    int among = values.MidiInputDeviceNameIndex();
    ReadPort(m_midiInput, index, name, among);
    values.SetMidiInputDevice(index);
    values.SetMidiInputDeviceName(name);
    values.SetMidiInputDeviceNameIndex(among);
    index = values.MidiOutputDevice();
    name = values.MidiOutputDeviceName();
    among = values.MidiOutputDeviceNameIndex();
    ReadPort(m_midiOutput, index, name, among);
    values.SetMidiOutputDevice(index);
    values.SetMidiOutputDeviceName(name);
    values.SetMidiOutputDeviceNameIndex(among);
    // Nothing selected reads as 0: not an offered size (so 256), but a valid delay.
    values.SetBufferSize(m_bufferSize->currentText().toInt());
    values.SetDelayBetweenBuffers(m_delay->currentText().toInt());
    values.SetHideBlanks(m_hideBlanks->isChecked());
    values.SetRecycleFiles(m_recycleFiles->isChecked());
    values.SetDisplayMidiStringComments(m_displayComments->isChecked());
    values.SetReloadLastFile(m_reloadLastFile->isChecked());
    values.SetBackground(m_background->currentText());
    values.SetExportTabDelimited(m_exportTabDelimited->isChecked());
    values.SetExportMixedCase(m_exportMixedCase->isChecked());
    values.SetMidiHelpFile(m_helpFile->text());
    values.SetMidiHelpKeyword(m_helpKeyword->text());
    values.SetKeepDownloadBackups(m_keepBackups->isChecked());
    values.SetBackupsToKeep(m_backupsToKeep->value());
}

void DOptions::Commit() {
    ReadControls();
    m_settings->RecentBackgrounds().Add(m_settings->Background());
    m_settings->SaveRecentBackgrounds();
    m_settings->Save(m_prompter);
    emit SettingsApplied();
}

void DOptions::accept() {
    // A failed write has been reported; the dialog closes all the same.
    Commit();
    QDialog::accept();
}

void DOptions::reject() {
    QDialog::reject();
}

void DOptions::Apply() {
    Commit();
}

void DOptions::BrowseBackground() {
    const QString chosen = m_chooseFile(this, QStringLiteral("Select Bitmap"), m_settings->Background(),
                                        QStringLiteral("Bitmap Files (*.bmp)"), QStringLiteral("bmp"));
    if (chosen.isEmpty())
        return;
    // Taken at once: Cancel keeps it, and the next write stores it.
    m_settings->SetBackground(chosen);
    m_background->setEditText(chosen);
}

void DOptions::BrowseHelpFile() {
    const QString chosen =
        m_chooseFile(this, QStringLiteral("Select MIDI help file"), m_settings->MidiHelpFile(),
                     QStringLiteral("Help files (*.hlp)"), QStringLiteral("hlp"));
    if (chosen.isEmpty())
        return;
    m_settings->SetMidiHelpFile(chosen);
    m_helpFile->setText(chosen);
}

void DOptions::TestHelp() {
    const QString file = m_settings->MidiHelpFile();
    const QString keyword = m_settings->MidiHelpKeyword();
    m_settings->SetMidiHelpFile(m_helpFile->text());
    m_settings->SetMidiHelpKeyword(m_helpKeyword->text());
    LaunchMidiHelp();
    m_settings->SetMidiHelpFile(file);
    m_settings->SetMidiHelpKeyword(keyword);
}

void DOptions::OpenBackupFolder() {
    // A folder no download has made yet is made now, so the file manager has something to show.
    if (m_backupFolder.isEmpty())
        return;
    QDir().mkpath(m_backupFolder);
    m_openUrl(QUrl::fromLocalFile(m_backupFolder));
}

bool DOptions::LaunchMidiHelp() {
    // Inside the dialog the user is already where a help file is chosen.
    if (m_settings->MidiHelpFile().isEmpty() && !isVisible()) {
        if (m_prompter.AskYesNo(InitializeHelpText().toStdString(), kInitializeHelpCaption,
                                Prompter::Icon::Question))
            m_runPreferences();
    }
    const QString file = m_settings->MidiHelpFile();
    if (file.isEmpty())
        return false;
    QUrl url = QUrl::fromLocalFile(file);
    // Kept for help formats that take an anchor.
    if (!m_settings->MidiHelpKeyword().isEmpty())
        url.setFragment(m_settings->MidiHelpKeyword());
    if (m_openUrl(url))
        return true;
    m_settings->SetMidiHelpFile(QString());
    return false;
}
