// The settings holder and the preferences dialog: defaults, load corrections, the store's value
// names and types, the unwritable store, the recent lists, and the dialog's exchange with the
// settings. Every test works on its own INI file in a fresh temporary directory.
#include "app/DOptions.h"
#include "midi/MidiPorts.h"
#include "midi/SimulatorBackend.h"
#include "settings/RecentList.h"
#include "settings/Settings.h"
#include "store/StoreCheck.h"
#include "support/FakeMidiBackend.h"
#include "support/ScriptedPrompter.h"
#include "support/SimulatorLayer.h"

#include <gtest/gtest.h>

#include <QAbstractButton>
#include <QCheckBox>
#include <QComboBox>
#include <QDir>
#include <QFile>
#include <QFileInfo>
#include <QLineEdit>
#include <QPushButton>
#include <QSettings>
#include <QSignalSpy>
#include <QSpinBox>
#include <QStandardPaths>
#include <QTemporaryDir>
#include <QTest>
#include <QUrl>

#include <functional>
#include <map>
#include <memory>

namespace {

using Values = std::map<QString, QVariant>;

class DOptionsStore : public ::testing::Test {
protected:
    void SetUp() override { ASSERT_TRUE(m_dir.isValid()); }

    QString IniPath() const { return m_dir.filePath(QStringLiteral("Tolvane.ini")); }
    QString ProgramDir() const { return m_dir.path(); }

    void Store(const Values& values, const QString& group = QStringLiteral("Settings")) {
        QSettings store(IniPath(), QSettings::IniFormat);
        store.beginGroup(group);
        for (const auto& [key, value] : values)
            store.setValue(key, value);
        store.endGroup();
        store.sync();
        ASSERT_EQ(store.status(), QSettings::NoError);
    }

    QVariant Stored(const QString& key, const QString& group = QStringLiteral("Settings")) const {
        QSettings store(IniPath(), QSettings::IniFormat);
        return store.value(group + QLatin1Char('/') + key);
    }

    QStringList StoredKeys(const QString& group = QStringLiteral("Settings")) const {
        QSettings store(IniPath(), QSettings::IniFormat);
        store.beginGroup(group);
        return store.childKeys();
    }

    // The store's own text: types show there (an integer flag is "1", not "true").
    QString StoreText() const {
        QFile file(IniPath());
        return file.open(QIODevice::ReadOnly) ? QString::fromUtf8(file.readAll()) : QString();
    }

    QString MakeHelpFile(const QString& name = QStringLiteral("Vurivivu.hlp")) {
        const QString path = m_dir.filePath(name);
        QFile file(path);
        EXPECT_TRUE(file.open(QIODevice::WriteOnly));
        file.write("help");
        return path;
    }

    std::unique_ptr<Settings> Load() { return std::make_unique<Settings>(IniPath(), ProgramDir()); }

    QTemporaryDir m_dir;
    ScriptedPrompter m_prompter;
};

// ---- defaults and load corrections

using DOptionsSettings = DOptionsStore;

TEST_F(DOptionsSettings, EmptyStoreGivesEveryDefaultAndTheFirstRun) {
    const auto settings = Load();
    EXPECT_TRUE(settings->IsFirstRun());
    EXPECT_EQ(settings->MidiChannel(), 1);
    EXPECT_EQ(settings->MidiInputDevice(), 0);
    EXPECT_EQ(settings->MidiOutputDevice(), 0);
    EXPECT_EQ(settings->Background(), QString());
    EXPECT_TRUE(settings->HexShowAscii());
    EXPECT_TRUE(settings->HexShowOffset());
    EXPECT_TRUE(settings->PromptBeforeDownload());
    EXPECT_FALSE(settings->HideBlanks());
    EXPECT_TRUE(settings->DeletePrompt());
    EXPECT_TRUE(settings->ReloadLastFile());
    EXPECT_EQ(settings->VersionFile(), QStringLiteral("/Orlen/ziv/version.txt"));
    EXPECT_FALSE(settings->Hostname().isEmpty());
    EXPECT_TRUE(settings->ConfigEditPrompt());
    EXPECT_FALSE(settings->ExportMixedCase());
    EXPECT_FALSE(settings->ExportTabDelimited());
    EXPECT_FALSE(settings->RecycleFiles());
    EXPECT_TRUE(settings->DisplayMidiStringComments());
    EXPECT_EQ(settings->DelayBetweenBuffers(), 60);
    EXPECT_EQ(settings->BufferSize(), 256);
    const Settings::WindowRect display = settings->Display();
    EXPECT_EQ(display.left | display.top | display.right | display.bottom, 0);
    // No help file beside the program: no file and no topic.
    EXPECT_EQ(settings->MidiHelpFile(), QString());
    EXPECT_EQ(settings->MidiHelpKeyword(), QString());
    EXPECT_TRUE(settings->DownloadUrl().startsWith(settings->Hostname()));
    EXPECT_FALSE(settings->DownloadUrl().contains(QStringLiteral("://")));
    EXPECT_TRUE(settings->RecentFiles().IsEmpty());
    EXPECT_TRUE(settings->KeepDownloadBackups());
    EXPECT_EQ(settings->BackupsToKeep(), 50);
}

struct NumberRow {
    const char* key;
    QVariant stored;
    int expected;
};

class DOptionsNumbers : public DOptionsStore, public ::testing::WithParamInterface<NumberRow> {};

TEST_P(DOptionsNumbers, LoadCorrectsStoredNumbers) {
    const NumberRow& row = GetParam();
    Store({{QString::fromLatin1(row.key), row.stored}, {QStringLiteral("MIDI Channel"), 3}});
    const auto settings = Load();
    const int loaded = QString::fromLatin1(row.key) == QStringLiteral("BufferSize")
                           ? settings->BufferSize()
                           : settings->DelayBetweenBuffers();
    EXPECT_EQ(loaded, row.expected);
}

INSTANTIATE_TEST_SUITE_P(
    DOptionsRows, DOptionsNumbers,
    ::testing::Values(NumberRow{"BufferSize", 100, 256}, NumberRow{"BufferSize", 64, 64},
                      NumberRow{"BufferSize", 32768, 32768}, NumberRow{"BufferSize", 65536, 256},
                      NumberRow{"BufferSize", 0, 256}, NumberRow{"BufferSize", QStringLiteral("big"), 256},
                      NumberRow{"DelayBetweenBuffers", 1001, 60},
                      NumberRow{"DelayBetweenBuffers", 1000, 1000}, NumberRow{"DelayBetweenBuffers", 0, 0},
                      NumberRow{"DelayBetweenBuffers", 35, 35}, NumberRow{"DelayBetweenBuffers", -5, 60}));

struct ChannelRow {
    QVariant stored; // invalid: absent
    int channel;
    bool firstRun;
};

class DOptionsChannel : public DOptionsStore, public ::testing::WithParamInterface<ChannelRow> {};

TEST_P(DOptionsChannel, AbsentChannelMeansFirstRun) {
    const ChannelRow& row = GetParam();
    if (row.stored.isValid())
        Store({{QStringLiteral("MIDI Channel"), row.stored}});
    const auto settings = Load();
    EXPECT_EQ(settings->MidiChannel(), row.channel);
    EXPECT_EQ(settings->IsFirstRun(), row.firstRun);
}

INSTANTIATE_TEST_SUITE_P(DOptionsRows, DOptionsChannel,
                         ::testing::Values(ChannelRow{QVariant(), 1, true}, ChannelRow{5, 5, false},
                                           ChannelRow{16, 16, false}, ChannelRow{255, 1, true},
                                           // Held in 8 bits.
                                           ChannelRow{258, 2, false}));

struct DisplayRow {
    QByteArray stored;
    Settings::WindowRect expected;
};

class DOptionsDisplay : public DOptionsStore, public ::testing::WithParamInterface<DisplayRow> {};

TEST_P(DOptionsDisplay, StoredBytesFillTheLeadingFields) {
    Store({{QStringLiteral("Display"), GetParam().stored}});
    const Settings::WindowRect rect = Load()->Display();
    const Settings::WindowRect& expected = GetParam().expected;
    EXPECT_EQ(rect.left, expected.left);
    EXPECT_EQ(rect.top, expected.top);
    EXPECT_EQ(rect.right, expected.right);
    EXPECT_EQ(rect.bottom, expected.bottom);
}

INSTANTIATE_TEST_SUITE_P(
    DOptionsRows, DOptionsDisplay,
    ::testing::Values(
        DisplayRow{QByteArray("\x10\x00\x00\x00\x20\x01", 6), {0x10, 0x120, 0, 0}},
        DisplayRow{QByteArray("\x01\x02\x03\x04\x05\x06\x07\x08\x09\x0A\x0B\x0C\x0D\x0E\x0F\x10", 16),
                   {0x04030201, 0x08070605, 0x0C0B0A09, 0x100F0E0D}},
        DisplayRow{QByteArray("\xF6\xFF\xFF\xFF\xEC\xFF\xFF\xFF\x00\x04\x00\x00\x00\x03\x00\x00\x55\x66", 18),
                   {-10, -20, 1024, 768}},
        DisplayRow{QByteArray(), {0, 0, 0, 0}}));

TEST_F(DOptionsSettings, HelpFileDefaultsToTheFileBesideTheProgram) {
    const QString beside = MakeHelpFile();
    const auto settings = Load();
    EXPECT_EQ(settings->MidiHelpFile(), beside);
    EXPECT_EQ(settings->MidiHelpKeyword(), QStringLiteral("Tables"));
}

TEST_F(DOptionsSettings, StoredHelpFileKeepsItsTopicOnlyWhileTheFileExists) {
    const QString own = MakeHelpFile(QStringLiteral("Own.hlp"));
    Store({{QStringLiteral("MIDIHelpFile"), own},
           {QStringLiteral("MIDIHelpKeyword"), QStringLiteral("Notes")}});
    EXPECT_EQ(Load()->MidiHelpKeyword(), QStringLiteral("Notes"));

    ASSERT_TRUE(QFile::remove(own));
    MakeHelpFile(); // the default one does not stand in for a missing chosen file
    const auto settings = Load();
    EXPECT_EQ(settings->MidiHelpFile(), QString());
    EXPECT_EQ(settings->MidiHelpKeyword(), QString());
}

// ---- writing

TEST_F(DOptionsSettings, SaveRoundTripsEveryWrittenValueWithItsType) {
    {
        auto settings = Load();
        settings->SetMidiChannel(7);
        settings->SetMidiInputDevice(2);
        settings->SetMidiOutputDevice(-1);
        settings->SetMidiInputDeviceName(QStringLiteral("JACK: pedal:out"));
        settings->SetMidiInputDeviceNameIndex(2);
        settings->SetBackground(QStringLiteral("/pictures/stage.bmp"));
        settings->SetHexShowAscii(false);
        settings->SetHexShowOffset(false);
        settings->SetPromptBeforeDownload(false);
        settings->SetHideBlanks(true);
        settings->SetDeletePrompt(false);
        settings->SetReloadLastFile(false);
        settings->SetConfigEditPrompt(false);
        settings->SetExportMixedCase(true);
        settings->SetExportTabDelimited(true);
        settings->SetRecycleFiles(true);
        settings->SetDisplayMidiStringComments(false);
        settings->SetDelayBetweenBuffers(150);
        settings->SetBufferSize(4096);
        settings->SetDisplay({-4, 8, 1280, 1024});
        settings->SetMidiHelpFile(MakeHelpFile(QStringLiteral("Chosen.hlp")));
        settings->SetMidiHelpKeyword(QStringLiteral("Controllers"));
        EXPECT_TRUE(settings->Save(m_prompter));
    }
    EXPECT_TRUE(m_prompter.Messages().empty());

    const auto settings = Load();
    EXPECT_FALSE(settings->IsFirstRun());
    EXPECT_EQ(settings->MidiChannel(), 7);
    EXPECT_EQ(settings->MidiInputDevice(), 2);
    EXPECT_EQ(settings->MidiOutputDevice(), -1);
    EXPECT_EQ(settings->MidiInputDeviceName(), QStringLiteral("JACK: pedal:out"));
    EXPECT_EQ(settings->MidiOutputDeviceName(), QString());
    EXPECT_EQ(settings->MidiInputDeviceNameIndex(), 2);
    EXPECT_EQ(settings->MidiOutputDeviceNameIndex(), 0);
    EXPECT_EQ(settings->Background(), QStringLiteral("/pictures/stage.bmp"));
    EXPECT_FALSE(settings->HexShowAscii());
    EXPECT_FALSE(settings->HexShowOffset());
    EXPECT_FALSE(settings->PromptBeforeDownload());
    EXPECT_TRUE(settings->HideBlanks());
    EXPECT_FALSE(settings->DeletePrompt());
    EXPECT_FALSE(settings->ReloadLastFile());
    EXPECT_FALSE(settings->ConfigEditPrompt());
    EXPECT_TRUE(settings->ExportMixedCase());
    EXPECT_TRUE(settings->ExportTabDelimited());
    EXPECT_TRUE(settings->RecycleFiles());
    EXPECT_FALSE(settings->DisplayMidiStringComments());
    EXPECT_EQ(settings->DelayBetweenBuffers(), 150);
    EXPECT_EQ(settings->BufferSize(), 4096);
    EXPECT_EQ(settings->Display().left, -4);
    EXPECT_EQ(settings->Display().bottom, 1024);
    EXPECT_EQ(settings->MidiHelpFile(), m_dir.filePath(QStringLiteral("Chosen.hlp")));
    EXPECT_EQ(settings->MidiHelpKeyword(), QStringLiteral("Controllers"));

    // Integers as integers, the rectangle as 16 raw bytes, and no read-only value written.
    const QString text = StoreText();
    EXPECT_TRUE(text.contains(QStringLiteral("HideBlanks=1"))) << text.toStdString();
    EXPECT_TRUE(text.contains(QStringLiteral("DeletePrompt=0"))) << text.toStdString();
    EXPECT_EQ(Stored(QStringLiteral("Display")).toByteArray(),
              QByteArray("\xFC\xFF\xFF\xFF\x08\x00\x00\x00\x00\x05\x00\x00\x00\x04\x00\x00", 16));
    const QStringList keys = StoredKeys();
    EXPECT_EQ(keys.size(), 25) << keys.join(QLatin1Char(',')).toStdString();
    for (const char* never : {"Hostname", "VersionFile", "DownloadURL"})
        EXPECT_FALSE(keys.contains(QLatin1String(never))) << never;
}

TEST_F(DOptionsSettings, EmptyHelpFileAndTopicRemoveTheirValues) {
    Store({{QStringLiteral("MIDIHelpFile"), MakeHelpFile()},
           {QStringLiteral("MIDIHelpKeyword"), QStringLiteral("X")}});
    auto settings = Load();
    settings->SetMidiHelpFile(QString());
    settings->SetMidiHelpKeyword(QString());
    ASSERT_TRUE(settings->Save(m_prompter));
    EXPECT_FALSE(StoredKeys().contains(QStringLiteral("MIDIHelpFile")));
    EXPECT_FALSE(StoredKeys().contains(QStringLiteral("MIDIHelpKeyword")));
    // Background is written even when empty: it is the value that proves the store writable.
    EXPECT_TRUE(StoredKeys().contains(QStringLiteral("Background")));
}

TEST_F(DOptionsSettings, UnwritableStoreIsReportedOnceAndNothingIsWritten) {
    // A plain file where the store's directory should be: not writable, even for root.
    const QString blocker = m_dir.filePath(QStringLiteral("blocker"));
    {
        QFile file(blocker);
        ASSERT_TRUE(file.open(QIODevice::WriteOnly));
    }
    Settings settings(blocker + QStringLiteral("/Tolvane.ini"), ProgramDir());
    EXPECT_FALSE(settings.Save(m_prompter));
    ASSERT_EQ(m_prompter.Messages().size(), 1u);
    EXPECT_EQ(m_prompter.Messages()[0].text, "Could not write to registry.");
    EXPECT_EQ(m_prompter.Messages()[0].caption, "Error");
}

TEST_F(DOptionsSettings, AStoreThatMayHoldASerialisedObjectIsLeftClosedAndUntouched) {
    // What a store written by this program reads back as, and two that it never writes.
    Store({{QStringLiteral("BufferSize"), 1024}, {QStringLiteral("Background"), QStringLiteral("/b.bmp")}});
    ASSERT_EQ(Load()->BufferSize(), 1024);
    EXPECT_FALSE(StoreCheck::MayHoldSerialisedValue(StoreText().toUtf8()));
    const QByteArray hostile[] = {
        "[Settings]\nBufferSize=1024\nDelayBetweenBuffers=@Variant(\\0\\0\\0\\tQList<int>)\n",
        "[Settings]\nBufferSize=1024\n;" + QByteArray(1024 * 1024, 'x') + '\n',
    };
    for (const QByteArray& text : hostile) {
        {
            QFile file(IniPath());
            ASSERT_TRUE(file.open(QIODevice::WriteOnly | QIODevice::Truncate));
            file.write(text);
        }
        ScriptedPrompter prompter;
        const auto settings = Load();
        EXPECT_EQ(settings->BufferSize(), 256);
        EXPECT_FALSE(settings->Save(prompter));
        ASSERT_EQ(prompter.Messages().size(), 1u);
        EXPECT_EQ(prompter.Messages()[0].text, "Could not write to registry.");
        EXPECT_EQ(StoreText().toUtf8(), text);
    }
    // The user's own store reads the company's file too: either one closes it.
    const QDir config(QStandardPaths::writableLocation(QStandardPaths::GenericConfigLocation));
    ASSERT_TRUE(config.mkpath(QStringLiteral("Morvik")));
    const QString own = config.filePath(QStringLiteral("Morvik/Tolvane.conf"));
    const QString company = config.filePath(QStringLiteral("Morvik.conf"));
    for (const QString& path : {own, company}) {
        SCOPED_TRACE(path.toStdString());
        for (const QString& file : {own, company}) {
            QFile out(file);
            ASSERT_TRUE(out.open(QIODevice::WriteOnly | QIODevice::Truncate));
            out.write(file == path ? hostile[0] : QByteArray("[Settings]\nBufferSize=1024\n"));
        }
        EXPECT_EQ(Settings(QString(), ProgramDir()).BufferSize(), 256);
        QFile::remove(path);
        EXPECT_EQ(Settings(QString(), ProgramDir()).BufferSize(), 1024);
        QFile::remove(own);
        QFile::remove(company);
    }
}

// ---- recent lists

TEST(DOptionsRecent, AddPutsInFrontDropsDuplicatesAndKeepsTen) {
    RecentList list(QStringLiteral("Recent File List"));
    list.Add(QStringLiteral("/a.syx"));
    list.Add(QStringLiteral("/b.syx"));
    list.Add(QString());
    list.Add(QStringLiteral("/a.syx"));
    EXPECT_EQ(list.Entries(), (QStringList{QStringLiteral("/a.syx"), QStringLiteral("/b.syx")}));

    for (int i = 0; i < 12; ++i)
        list.Add(QStringLiteral("/%1.syx").arg(i));
    ASSERT_EQ(list.Entries().size(), 10);
    EXPECT_EQ(list.First(), QStringLiteral("/11.syx"));
    EXPECT_EQ(list.Entries().back(), QStringLiteral("/2.syx"));

    EXPECT_TRUE(list.Remove(QStringLiteral("/5.syx")));
    EXPECT_FALSE(list.Remove(QStringLiteral("/5.syx")));
    list.RemoveAt(0);
    list.RemoveAt(-1);
    list.RemoveAt(50);
    EXPECT_EQ(list.Entries().size(), 8);
    EXPECT_EQ(list.First(), QStringLiteral("/10.syx"));
}

TEST_F(DOptionsSettings, RecentListsUseTheirOwnSectionsAndNumberedValues) {
    Store({{QStringLiteral("File1"), QStringLiteral("/one.bmp")},
           {QStringLiteral("File2"), QString()},
           {QStringLiteral("File3"), QStringLiteral("/one.bmp")},
           {QStringLiteral("File4"), QStringLiteral("/two.bmp")},
           {QStringLiteral("File10"), QStringLiteral("/ten.bmp")}},
          QStringLiteral("Recent Backgrounds"));
    auto settings = Load();
    settings->LoadRecentBackgrounds();
    EXPECT_EQ(
        settings->RecentBackgrounds().Entries(),
        (QStringList{QStringLiteral("/one.bmp"), QStringLiteral("/two.bmp"), QStringLiteral("/ten.bmp")}));
    EXPECT_TRUE(settings->RecentFiles().IsEmpty());

    settings->RecentBackgrounds().Remove(QStringLiteral("/ten.bmp"));
    settings->RecentFiles().Add(QStringLiteral("/dump.syx"));
    ASSERT_TRUE(settings->SaveRecentBackgrounds());
    ASSERT_TRUE(settings->SaveRecentFiles());
    EXPECT_EQ(StoredKeys(QStringLiteral("Recent Backgrounds")),
              (QStringList{QStringLiteral("File1"), QStringLiteral("File2")}));
    EXPECT_EQ(Stored(QStringLiteral("File1"), QStringLiteral("Recent File List")).toString(),
              QStringLiteral("/dump.syx"));
    EXPECT_EQ(Load()->RecentFiles().Entries(), QStringList{QStringLiteral("/dump.syx")});
}

// ---- the dialog

class DOptionsDialog : public DOptionsStore {
protected:
    void SetUp() override {
        DOptionsStore::SetUp();
        ASSERT_NE(StartLayerWithSimulator(), nullptr);
    }
    void TearDown() override {
        m_dialog.reset();
        MidiPortsTerm();
    }

    DOptions& Dialog() {
        if (!m_dialog) {
            m_dialog = std::make_unique<DOptions>(m_prompter, Load());
            m_dialog->SetFileChooser(
                [](QWidget*, const QString&, const QString&, const QString&, const QString&) {
                    ADD_FAILURE() << "unexpected file dialog";
                    return QString();
                });
            m_dialog->SetUrlOpener([this](const QUrl& url) {
                m_opened.push_back(url);
                return m_openSucceeds;
            });
        }
        return *m_dialog;
    }

    template <typename T> T* Find(const char* name) {
        T* widget = Dialog().findChild<T*>(QLatin1String(name));
        EXPECT_NE(widget, nullptr) << name;
        return widget;
    }
    bool Checked(const char* name) { return Find<QCheckBox>(name)->isChecked(); }
    void Click(const char* name) { Find<QPushButton>(name)->click(); }

    std::unique_ptr<DOptions> m_dialog;
    std::vector<QUrl> m_opened;
    bool m_openSucceeds = true;
};

TEST_F(DOptionsDialog, ControlsShowTheSettingsAndOkWritesThemBack) {
    Store({{QStringLiteral("MIDI Channel"), 2},
           {QStringLiteral("PromptBeforeDownload"), 0},
           {QStringLiteral("DeletePrompt"), 1},
           {QStringLiteral("ConfigEditPrompt"), 0},
           {QStringLiteral("HideBlanks"), 1},
           {QStringLiteral("RecycleFiles"), 1},
           {QStringLiteral("DisplayMIDIStringComments"), 0},
           {QStringLiteral("ReloadLastFile"), 0},
           {QStringLiteral("ExportTabDelimited"), 1},
           {QStringLiteral("ExportMixedCase"), 0},
           {QStringLiteral("BufferSize"), 1024},
           {QStringLiteral("DelayBetweenBuffers"), 250},
           {QStringLiteral("Background"), QStringLiteral("/pictures/now.bmp")},
           {QStringLiteral("MIDIHelpFile"), MakeHelpFile()},
           {QStringLiteral("MIDIHelpKeyword"), QStringLiteral("Notes")}});
    Store({{QStringLiteral("File1"), QStringLiteral("/pictures/old.bmp")}},
          QStringLiteral("Recent Backgrounds"));
    Dialog().show();

    EXPECT_EQ(Dialog().windowTitle(), QStringLiteral("Preferences/Options/Settings/Coffee, Tea or Milk?"));
    EXPECT_FALSE(Checked("promptBeforeDownload"));
    EXPECT_TRUE(Checked("deletePrompt"));
    EXPECT_FALSE(Checked("configEditPrompt"));
    EXPECT_TRUE(Checked("hideBlanks"));
    EXPECT_TRUE(Checked("recycleFiles"));
    EXPECT_FALSE(Checked("displayMidiStringComments"));
    EXPECT_FALSE(Checked("reloadLastFile"));
    EXPECT_TRUE(Checked("exportTabDelimited"));
    EXPECT_FALSE(Checked("exportMixedCase"));
    EXPECT_EQ(Find<QComboBox>("bufferSize")->currentText(), QStringLiteral("1024"));
    EXPECT_EQ(Find<QComboBox>("delayBetweenBuffers")->currentText(), QStringLiteral("250"));
    auto* background = Find<QComboBox>("background");
    EXPECT_EQ(background->currentText(), QStringLiteral("/pictures/now.bmp"));
    EXPECT_EQ(background->findText(QStringLiteral("/pictures/old.bmp")), 0);
    EXPECT_EQ(Find<QLineEdit>("midiHelpFile")->text(), m_dir.filePath(QStringLiteral("Vurivivu.hlp")));
    EXPECT_EQ(Find<QLineEdit>("midiHelpKeyword")->text(), QStringLiteral("Notes"));

    Find<QCheckBox>("promptBeforeDownload")->setChecked(true);
    Find<QCheckBox>("hideBlanks")->setChecked(false);
    Find<QCheckBox>("exportMixedCase")->setChecked(true);
    Find<QComboBox>("bufferSize")->setCurrentText(QStringLiteral("64"));
    Find<QComboBox>("delayBetweenBuffers")->setCurrentText(QStringLiteral("0"));
    background->setEditText(QStringLiteral("/pictures/new.bmp"));
    Find<QLineEdit>("midiHelpKeyword")->setText(QString());
    QSignalSpy applied(&Dialog(), &DOptions::SettingsApplied);
    Click("ok");

    EXPECT_FALSE(Dialog().isVisible());
    EXPECT_EQ(Dialog().result(), QDialog::Accepted);
    EXPECT_EQ(applied.count(), 1);
    EXPECT_TRUE(m_prompter.Messages().empty());
    EXPECT_EQ(Stored(QStringLiteral("PromptBeforeDownload")).toInt(), 1);
    EXPECT_EQ(Stored(QStringLiteral("HideBlanks")).toInt(), 0);
    EXPECT_EQ(Stored(QStringLiteral("ExportMixedCase")).toInt(), 1);
    EXPECT_EQ(Stored(QStringLiteral("RecycleFiles")).toInt(), 1);
    EXPECT_EQ(Stored(QStringLiteral("BufferSize")).toInt(), 64);
    EXPECT_EQ(Stored(QStringLiteral("DelayBetweenBuffers")).toInt(), 0);
    EXPECT_EQ(Stored(QStringLiteral("MIDI Channel")).toInt(), 2);
    EXPECT_EQ(Stored(QStringLiteral("Background")).toString(), QStringLiteral("/pictures/new.bmp"));
    EXPECT_FALSE(StoredKeys().contains(QStringLiteral("MIDIHelpKeyword")));
    EXPECT_EQ(Stored(QStringLiteral("File1"), QStringLiteral("Recent Backgrounds")).toString(),
              QStringLiteral("/pictures/new.bmp"));
    EXPECT_EQ(Stored(QStringLiteral("File2"), QStringLiteral("Recent Backgrounds")).toString(),
              QStringLiteral("/pictures/old.bmp"));
}

TEST_F(DOptionsDialog, DeviceListsComeFromThePortLayer) {
    Store({{QStringLiteral("MIDI Input Device"), 0}, {QStringLiteral("MIDI Output Device"), 4}});
    Dialog().show();
    auto* input = Find<QComboBox>("midiInput");
    auto* output = Find<QComboBox>("midiOutput");
    ASSERT_EQ(input->count(), 1);
    EXPECT_EQ(input->itemText(0), QStringLiteral("RIV 10 Simulator"));
    EXPECT_EQ(input->currentIndex(), 0);
    EXPECT_EQ(output->findText(QStringLiteral("RIV 10 Simulator")), 0);
    // The stored output is gone: nothing is selected, and OK stores "none".
    EXPECT_EQ(output->currentIndex(), -1);
    Click("ok");
    EXPECT_EQ(Stored(QStringLiteral("MIDI Input Device")).toInt(), 0);
    EXPECT_EQ(Stored(QStringLiteral("MIDI Output Device")).toInt(), -1);
}

TEST_F(DOptionsDialog, PortsAreRememberedByNameAndAMissingOneIsNeverSwapped) {
    // The input's index has moved since it was stored; the output is not plugged in.
    Store({{QStringLiteral("MIDI Input Device"), 3},
           {QStringLiteral("MIDI Input Device Name"), QStringLiteral("RIV 10 Simulator")},
           {QStringLiteral("MIDI Output Device"), 0},
           {QStringLiteral("MIDI Output Device Name"), QStringLiteral("Pedal Interface")}});
    Dialog().show();
    auto* input = Find<QComboBox>("midiInput");
    auto* output = Find<QComboBox>("midiOutput");
    EXPECT_EQ(input->currentText(), QStringLiteral("RIV 10 Simulator"));
    EXPECT_EQ(output->currentText(), QStringLiteral("Pedal Interface (not connected)"));
    Click("ok");
    EXPECT_EQ(Stored(QStringLiteral("MIDI Input Device")).toInt(),
              input->findText(QStringLiteral("RIV 10 Simulator")));
    EXPECT_EQ(Stored(QStringLiteral("MIDI Input Device Name")).toString(),
              QStringLiteral("RIV 10 Simulator"));
    EXPECT_EQ(Stored(QStringLiteral("MIDI Output Device")).toInt(), 0);
    EXPECT_EQ(Stored(QStringLiteral("MIDI Output Device Name")).toString(),
              QStringLiteral("Pedal Interface"));
}

// A stored name finds its port with or without the service prefix the list shows now, a service
// started after the editor is listed when the preferences open, and ports of the same name are
// told apart by the stored index among them.
TEST_F(DOptionsDialog, PortsAreFoundByNameAcrossServicesAndAmongPortsOfTheSameName) {
    MidiPortsTerm();
    bool jackRunning = false;
    std::vector<std::unique_ptr<MidiBackend>> backends;
    backends.push_back(std::make_unique<FakeMidiBackend>("ALSA", std::vector<std::string>{},
                                                         std::vector<std::string>{"Pedal", "Twin", "Twin"}));
    backends.push_back(std::make_unique<SimulatorBackend>());
    ASSERT_EQ(MidiPortsInit(
                  std::move(backends),
                  [&](const std::vector<std::string>& running) {
                      std::vector<std::unique_ptr<MidiBackend>> found;
                      if (jackRunning && std::find(running.begin(), running.end(), "JACK") == running.end())
                          found.push_back(std::make_unique<FakeMidiBackend>(
                              "JACK", std::vector<std::string>{}, std::vector<std::string>{"synth"}));
                      return found;
                  }),
              1);
    // Stored while JACK ran: the second of the two ports named "Twin".
    Store({{QStringLiteral("MIDI Output Device"), 3},
           {QStringLiteral("MIDI Output Device Name"), QStringLiteral("ALSA: Twin")},
           {QStringLiteral("MIDI Output Device Name Index"), 1}});
    Dialog().show();
    auto* output = Find<QComboBox>("midiOutput");
    EXPECT_EQ(output->count(), 4);
    EXPECT_EQ(output->currentIndex(), 2);
    EXPECT_EQ(output->currentText(), QStringLiteral("Twin"));
    Click("cancel");

    jackRunning = true;
    Dialog().show();
    EXPECT_EQ(output->itemText(3), QStringLiteral("JACK: synth"));
    EXPECT_EQ(output->currentIndex(), 2);
    EXPECT_EQ(output->currentText(), QStringLiteral("ALSA: Twin"));
    output->setFocus();
    QTest::keyClick(output, Qt::Key_Up);
    EXPECT_EQ(output->currentIndex(), 1);
    Click("ok");
    EXPECT_EQ(Stored(QStringLiteral("MIDI Output Device")).toInt(), 1);
    EXPECT_EQ(Stored(QStringLiteral("MIDI Output Device Name")).toString(), QStringLiteral("ALSA: Twin"));
    EXPECT_FALSE(StoredKeys().contains(QStringLiteral("MIDI Output Device Name Index")));

    Dialog().show();
    EXPECT_EQ(output->currentIndex(), 1);
    output->setFocus();
    QTest::keyClick(output, Qt::Key_Down);
    Click("ok");
    EXPECT_EQ(Stored(QStringLiteral("MIDI Output Device Name Index")).toInt(), 1);
    EXPECT_EQ(Dialog().Values().Transfer().outputDeviceNameIndex, 1u);
}

TEST_F(DOptionsDialog, ValuesOutsideTheListsShowNothingAndStoreTheirEmptyReading) {
    Store({{QStringLiteral("DelayBetweenBuffers"), 35}});
    Dialog().show();
    EXPECT_EQ(Find<QComboBox>("delayBetweenBuffers")->currentIndex(), -1);
    Find<QComboBox>("bufferSize")->setCurrentIndex(-1);
    Click("ok");
    EXPECT_EQ(Stored(QStringLiteral("DelayBetweenBuffers")).toInt(), 0);
    EXPECT_EQ(Stored(QStringLiteral("BufferSize")).toInt(), 256);
}

TEST_F(DOptionsDialog, CancelWritesNothingButKeepsABrowsedPath) {
    Store({{QStringLiteral("MIDI Channel"), 1}});
    Dialog().SetFileChooser(
        [](QWidget*, const QString& title, const QString&, const QString& filter, const QString& suffix) {
            EXPECT_EQ(title, QStringLiteral("Select Bitmap"));
            EXPECT_EQ(filter, QStringLiteral("Bitmap Files (*.bmp)"));
            EXPECT_EQ(suffix, QStringLiteral("bmp"));
            return QStringLiteral("/pictures/browsed.bmp");
        });
    Dialog().show();
    Find<QCheckBox>("hideBlanks")->setChecked(true);
    Click("browseBackground");
    EXPECT_EQ(Find<QComboBox>("background")->currentText(), QStringLiteral("/pictures/browsed.bmp"));
    Click("cancel");

    EXPECT_FALSE(Dialog().isVisible());
    EXPECT_FALSE(StoredKeys().contains(QStringLiteral("HideBlanks")));
    EXPECT_FALSE(StoredKeys().contains(QStringLiteral("Background")));
    EXPECT_FALSE(Dialog().Values().HideBlanks());
    EXPECT_EQ(Dialog().Values().Background(), QStringLiteral("/pictures/browsed.bmp"));

    // Shown again, the dialog starts from the settings, not from what was cancelled.
    Dialog().show();
    EXPECT_FALSE(Checked("hideBlanks"));
}

TEST_F(DOptionsDialog, ApplyWritesAndStaysOpen) {
    Dialog().show();
    Find<QCheckBox>("recycleFiles")->setChecked(true);
    QSignalSpy applied(&Dialog(), &DOptions::SettingsApplied);
    Click("apply");
    EXPECT_TRUE(Dialog().isVisible());
    EXPECT_EQ(applied.count(), 1);
    EXPECT_EQ(Stored(QStringLiteral("RecycleFiles")).toInt(), 1);
    Click("apply");
    EXPECT_EQ(applied.count(), 2);
}

TEST_F(DOptionsDialog, OkOnAnUnwritableStoreReportsAndStillCloses) {
    const QString blocker = m_dir.filePath(QStringLiteral("blocker"));
    {
        QFile file(blocker);
        ASSERT_TRUE(file.open(QIODevice::WriteOnly));
    }
    DOptions dialog(m_prompter,
                    std::make_unique<Settings>(blocker + QStringLiteral("/Tolvane.ini"), ProgramDir()));
    dialog.show();
    dialog.findChild<QPushButton*>(QStringLiteral("ok"))->click();
    EXPECT_FALSE(dialog.isVisible());
    ASSERT_EQ(m_prompter.Messages().size(), 1u);
    EXPECT_EQ(m_prompter.Messages()[0].text, "Could not write to registry.");
}

TEST_F(DOptionsDialog, DestroyingTheHolderWritesTheSettings) {
    Dialog().Values().SetDisplay({1, 2, 3, 4});
    m_dialog.reset();
    EXPECT_EQ(Load()->Display().bottom, 4);
}

TEST_F(DOptionsDialog, EveryControlIsNamedAndReachableByKeyboard) {
    Dialog().show();
    const auto widgets = Dialog().findChildren<QWidget*>();
    int controls = 0;
    for (QWidget* widget : widgets) {
        if (!qobject_cast<QAbstractButton*>(widget) && !qobject_cast<QComboBox*>(widget) &&
            !qobject_cast<QLineEdit*>(widget))
            continue;
        // The editable combo's own line edit belongs to the combo.
        if (qobject_cast<QComboBox*>(widget->parentWidget()) ||
            qobject_cast<QAbstractSpinBox*>(widget->parentWidget()))
            continue;
        ++controls;
        EXPECT_FALSE(widget->objectName().isEmpty()) << widget->metaObject()->className();
        EXPECT_FALSE(widget->accessibleName().isEmpty()) << widget->objectName().toStdString();
        EXPECT_TRUE(widget->focusPolicy() & Qt::TabFocus) << widget->objectName().toStdString();
    }
    EXPECT_EQ(controls, 24);
}

TEST_F(DOptionsDialog, BackupSettingsAndTheFolderButton) {
    Dialog().SetBackupFolder(m_dir.filePath(QStringLiteral("kept")));
    Dialog().show();
    EXPECT_TRUE(Checked("keepDownloadBackups"));
    auto* count = Find<QSpinBox>("backupsToKeep");
    EXPECT_EQ(count->value(), 50);
    EXPECT_EQ(count->accessibleName(), QStringLiteral("Backups to keep"));
    Click("openBackupFolder");
    ASSERT_EQ(m_opened.size(), 1u);
    EXPECT_EQ(m_opened[0], QUrl::fromLocalFile(m_dir.filePath(QStringLiteral("kept"))));
    EXPECT_TRUE(QFileInfo(m_dir.filePath(QStringLiteral("kept"))).isDir());

    Find<QCheckBox>("keepDownloadBackups")->setChecked(false);
    count->setValue(5);
    Click("ok");
    EXPECT_EQ(Stored(QStringLiteral("KeepDownloadBackups")).toInt(), 0);
    EXPECT_EQ(Stored(QStringLiteral("BackupsToKeep")).toInt(), 5);
}

// ---- the MIDI help launcher

TEST_F(DOptionsDialog, HelpFromOutsideWithoutAFileOffersThePreferences) {
    bool ran = false;
    Dialog().SetPreferencesRunner([&] {
        ran = true;
        Dialog().Values().SetMidiHelpFile(QStringLiteral("/help/midi.hlp"));
    });

    EXPECT_FALSE(Dialog().LaunchMidiHelp()); // the script answers No
    EXPECT_FALSE(ran);
    ASSERT_EQ(m_prompter.Messages().size(), 1u);
    EXPECT_EQ(m_prompter.Messages()[0].caption, "Initialize Help");
    EXPECT_NE(m_prompter.Messages()[0].text.find("Do you have a MIDI help file?"), std::string::npos);
    EXPECT_TRUE(m_opened.empty());

    m_prompter.Answer(true);
    EXPECT_TRUE(Dialog().LaunchMidiHelp());
    EXPECT_TRUE(ran);
    ASSERT_EQ(m_opened.size(), 1u);
    EXPECT_EQ(m_opened[0].toLocalFile(), QStringLiteral("/help/midi.hlp"));
    EXPECT_FALSE(m_opened[0].hasFragment());

    // With a file set there is nothing to ask.
    m_prompter.Clear();
    Dialog().Values().SetMidiHelpKeyword(QStringLiteral("Tables"));
    EXPECT_TRUE(Dialog().LaunchMidiHelp());
    EXPECT_TRUE(m_prompter.Messages().empty());
    EXPECT_EQ(m_opened.back().fragment(), QStringLiteral("Tables"));
}

TEST_F(DOptionsDialog, AHelpFileThatDoesNotOpenIsForgotten) {
    Dialog().Values().SetMidiHelpFile(QStringLiteral("/help/broken.hlp"));
    m_openSucceeds = false;
    EXPECT_FALSE(Dialog().LaunchMidiHelp());
    EXPECT_EQ(Dialog().Values().MidiHelpFile(), QString());
    EXPECT_TRUE(m_prompter.Messages().empty());
}

TEST_F(DOptionsDialog, TestHelpTriesTheEditsAndRestoresTheSettings) {
    const QString kept = MakeHelpFile();
    Dialog().show();
    Find<QLineEdit>("midiHelpFile")->setText(QStringLiteral("/help/trial.hlp"));
    Find<QLineEdit>("midiHelpKeyword")->setText(QStringLiteral("Pitch"));
    m_openSucceeds = false;
    Click("testHelp");
    ASSERT_EQ(m_opened.size(), 1u);
    EXPECT_EQ(m_opened[0].toLocalFile(), QStringLiteral("/help/trial.hlp"));
    EXPECT_EQ(m_opened[0].fragment(), QStringLiteral("Pitch"));
    EXPECT_EQ(Dialog().Values().MidiHelpFile(), kept);
    EXPECT_EQ(Dialog().Values().MidiHelpKeyword(), QStringLiteral("Tables"));

    // Inside the dialog an empty file is tried silently: no "Initialize Help" question.
    Find<QLineEdit>("midiHelpFile")->setText(QString());
    Click("testHelp");
    EXPECT_EQ(m_opened.size(), 1u);
    EXPECT_TRUE(m_prompter.Messages().empty());
}

} // namespace
