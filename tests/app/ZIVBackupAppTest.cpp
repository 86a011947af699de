// The editor program as a whole: start-up, the documents and their windows, the menus and
// command states, opening and saving with their questions, and the transfers against the
// simulated device.
#include "app/ZIVBackupApp.h"
#include "app/CMDIClientWnd.h"
#include "app/CMainFrame.h"
#include "app/DocumentFlows.h"
#include "app/FileCommands.h"
#include "app/HelpCommands.h"
#include "app/SessionList.h"
#include "app/SessionRecovery.h"
#include "app/TransferCommands.h"
#include "app/WindowCommands.h"
#include "dump/BankRecord.h"
#include "dump/DumpErrors.h"
#include "dump/SystemDoc.h"
#include "editors/ConfigPage.h"
#include "fileops/BackupFolder.h"
#include "fileops/RecoveryKeeper.h"
#include "midi/MidiPorts.h"
#include "midi/Riv10Device.h"
#include "midi/SimulatorBackend.h"
#include "settings/Settings.h"
#include "support/DumpBuilder.h"
#include "support/ScriptedPrompter.h"
#include "support/SimulatorLayer.h"
#include "views/CChildFrame.h"
#include "views/DeviceHistoryWindow.h"
#include "views/DifferencesWindow.h"
#include "views/DocumentSession.h"
#include "views/HexView.h"
#include "views/BanksPage.h"
#include "views/PatchesPage.h"
#include "views/SetsPage.h"
#include "widgets/TreeCtrlExt.h"
#include "views/PropSheetFormView.h"
#include "views/ZIVPropSheet.h"
#include "widgets/ListCtrlExt.h"

#include <gtest/gtest.h>

#include <QAction>
#include <QApplication>
#include <QDir>
#include <QFile>
#include <QLineEdit>
#include <QListWidget>
#include <QLocale>
#include <QMdiSubWindow>
#include <QMenu>
#include <QMenuBar>
#include <QMimeData>
#include <QPrintDialog>
#include <QPrintPreviewWidget>
#include <QPrinter>
#include <QPushButton>
#include <QRegularExpression>
#include <QSettings>
#include <QStatusBar>
#include <QTemporaryDir>
#include <QTest>
#include <QTextBrowser>
#include <QToolBar>
#include <QTreeWidget>

#include <memory>
#include <string>
#include <vector>

namespace {

using Bytes = std::vector<uint8_t>;
using Frame = CMainFrame;

class AppTest : public ::testing::Test {
protected:
    void TearDown() override { app.reset(); }

    QString Ini() const { return dir.filePath(QStringLiteral("tolvane.ini")); }
    void Store(const QString& group, const QString& key, const QVariant& value) {
        QSettings store(Ini(), QSettings::IniFormat);
        store.setValue(group + QLatin1Char('/') + key, value);
    }
    QString WriteFile(const QString& name, const Bytes& bytes) {
        const QString path = dir.filePath(name);
        QFile file(path);
        EXPECT_TRUE(file.open(QIODevice::WriteOnly));
        file.write(reinterpret_cast<const char*>(bytes.data()), static_cast<qint64>(bytes.size()));
        return path;
    }
    static Bytes ReadFile(const QString& path) {
        QFile file(path);
        if (!file.open(QIODevice::ReadOnly))
            return {};
        const QByteArray data = file.readAll();
        return Bytes(data.begin(), data.end());
    }
    // The demo dump with one change made through the model, so its check fails the given way.
    static Bytes DemoWith(const std::function<void(SystemDoc&)>& change) {
        SystemDoc doc(Riv10Device::DemoDump().data(), Riv10Device::DemoDump().size());
        change(doc);
        return doc.BuildImage();
    }

    bool Start(QStringList arguments = {QStringLiteral("Tolvane")}) {
        ZIVBackupApp::Options options;
        options.iniPath = Ini();
        options.programDir = programDir.isEmpty() ? dir.path() : programDir;
        options.prompter = &prompter;
        options.startMidi = false;
        options.backupDir = BackupDir();
        options.recoveryDir = RecoveryDir();
        app = std::make_unique<ZIVBackupApp>(options);
        app->SetPreferencesRunner([this] { ++preferencesRuns; });
        app->SetAboutRunner([] {});
        app->SetSaveChangesAsker([this](const QString& text) {
            saveQuestions.push_back(text);
            return saveAnswer;
        });
        app->SetUrlOpener([this](const QUrl& url) {
            opened.push_back(url);
            return true;
        });
        app->SetApplyConfigAsker([this](const QString& text) {
            applyQuestions.push_back(text);
            return applyAnswer;
        });
        app->SetFileChooser(
            [this](QWidget*, const QString&, const QString& start, const QString&) {
                dialogStarts.push_back(start);
                chooserStart = start;
                return chosen;
            },
            [this](QWidget*, const QString&, const QString& start, const QString&) {
                dialogStarts.push_back(start);
                return chosen;
            });
        const bool started = app->InitInstance(arguments);
        QApplication::processEvents();
        return started;
    }
    Frame& Main() { return *app->MainFrame(); }
    bool Enabled(int id) {
        Main().UpdateCommandStates();
        return Main().Action(id)->isEnabled();
    }
    QStringList Titles() {
        QStringList titles;
        for (QMdiSubWindow* window : Main().findChildren<QMdiSubWindow*>())
            if (auto* frame = qobject_cast<CChildFrame*>(window); frame && frame->isVisible())
                titles << frame->frameTitle();
        titles.sort();
        return titles;
    }
    // Runs the deferred deletions of closed windows and what they queue.
    static void Settle() {
        for (int i = 0; i < 3; ++i) {
            QCoreApplication::sendPostedEvents(nullptr, QEvent::DeferredDelete);
            QApplication::processEvents();
        }
    }
    // Presses a key in the main window as the user does, so shortcuts take it.
    void Press(Qt::Key key, Qt::KeyboardModifiers modifiers = Qt::ControlModifier) {
        QApplication::setActiveWindow(&Main());
        QWidget* target = QApplication::focusWidget() ? QApplication::focusWidget() : &Main();
        QTest::keyClick(target, key, modifiers);
        Settle();
    }
    ZIVPropSheet* ActiveSheet() {
        QMdiSubWindow* window = Main().Client().activeSubWindow();
        auto* view = window ? qobject_cast<PropSheetFormView*>(window->widget()) : nullptr;
        return view ? view->sheet() : nullptr;
    }
    // Gives patch n's row on the active data window the focus.
    void FocusPatch(int n) {
        QApplication::setActiveWindow(&Main());
        ZIVPropSheet* sheet = ActiveSheet();
        ASSERT_NE(sheet, nullptr);
        sheet->setCurrentIndex(ZIVPropSheet::TabPatches);
        ASSERT_TRUE(sheet->patchesPage()->selectPatch(n));
        sheet->patchesPage()->list()->setFocus();
        Settle();
    }
    // The document's modified mark, which its session keeps; and a change that sets it.
    bool Modified(const SystemDoc* doc) const {
        const DocumentSession* session = app->Sessions().find(doc);
        return session && session->isModified();
    }
    void MarkModified(SystemDoc* doc) {
        if (DocumentSession* session = app->Sessions().find(doc))
            session->markUnsaved();
    }
    bool Asked(const std::string& start) const {
        for (const auto& entry : prompter.Messages())
            if (entry.text.rfind(start, 0) == 0)
                return true;
        return false;
    }

    QTemporaryDir dir;
    QString programDir; // empty: dir
    ScriptedPrompter prompter;
    std::unique_ptr<ZIVBackupApp> app;
    int preferencesRuns = 0;
    std::vector<QString> saveQuestions;
    QMessageBox::StandardButton saveAnswer = QMessageBox::No;
    std::vector<QString> applyQuestions;
    QMessageBox::StandardButton applyAnswer = QMessageBox::Cancel;
    QStringList dialogStarts;
    std::vector<QUrl> opened;
    QString chosen;
    QString chooserStart;
    QString BackupDir() const { return dir.filePath(QStringLiteral("backups")); }
    QString RecoveryDir() const { return dir.filePath(QStringLiteral("recovery")); }
};

TEST_F(AppTest, FirstStartOpensNothingAndOffersThePreferences) {
    ASSERT_TRUE(Start());
    EXPECT_TRUE(app->Documents().empty());
    EXPECT_TRUE(Main().isVisible());
    EXPECT_EQ(preferencesRuns, 1);
    EXPECT_EQ(Main().CurrentMenuSet(), Frame::MenuSet::NoDocument);
    for (int id : {Frame::IdCloseAll, Frame::IdWindowCascade, Frame::IdWindowTile, Frame::IdFileSave,
                   Frame::IdUpload, Frame::IdEditCopy})
        EXPECT_FALSE(Enabled(id)) << id;
    EXPECT_TRUE(Enabled(Frame::IdDownload));
    EXPECT_TRUE(prompter.Messages().empty());
}

TEST_F(AppTest, CommandLineFileWinsOverTheLastFileAndAMissingOneEndsTheStart) {
    const QString last = WriteFile(QStringLiteral("last.syx"), Riv10Device::DemoDump());
    const QString named = WriteFile(QStringLiteral("named.syx"), Riv10Device::DemoDump());
    Store(QStringLiteral("Settings"), QStringLiteral("MIDI Channel"), 1);
    Store(QStringLiteral("Recent File List"), QStringLiteral("File1"), last);
    ASSERT_TRUE(Start({QStringLiteral("Tolvane"), named}));
    ASSERT_EQ(app->Documents().size(), 1u);
    EXPECT_EQ(app->Documents()[0]->GetTitle(), "named.syx");
    EXPECT_FALSE(app->ReloadAttempted());
    EXPECT_EQ(preferencesRuns, 0);
    app.reset();

    ASSERT_FALSE(Start({QStringLiteral("Tolvane"), dir.filePath(QStringLiteral("gone.syx"))}));
    EXPECT_TRUE(Asked("Exit ProcessShellCommand"));
}

TEST_F(AppTest, TheLastFileReopensAndAVanishedOneLeavesTheList) {
    const QString last = WriteFile(QStringLiteral("last.syx"), Riv10Device::DemoDump());
    Store(QStringLiteral("Recent File List"), QStringLiteral("File1"), last);
    ASSERT_TRUE(Start());
    ASSERT_EQ(app->Documents().size(), 1u);
    EXPECT_TRUE(app->ReloadAttempted());
    EXPECT_TRUE(Main().Client().activeSubWindow()->isMaximized());
    app.reset();

    QFile::remove(last);
    ASSERT_TRUE(Start());
    EXPECT_TRUE(app->Documents().empty());
    EXPECT_TRUE(prompter.Messages().empty());
    QSettings store(Ini(), QSettings::IniFormat);
    EXPECT_FALSE(store.contains(QStringLiteral("Recent File List/File1")));
}

TEST_F(AppTest, MenusFollowTheActiveWindowAndTitlesCountTheWindows) {
    ASSERT_TRUE(Start());
    SystemDoc* doc = app->OnFileNew();
    ASSERT_NE(doc, nullptr);
    EXPECT_EQ(Main().CurrentMenuSet(), Frame::MenuSet::SystemDump);
    EXPECT_TRUE(Enabled(Frame::IdFileSave));
    EXPECT_TRUE(Enabled(Frame::IdUpload));
    EXPECT_TRUE(Enabled(Frame::IdCloseAll));
    EXPECT_FALSE(Enabled(Frame::IdShowAscii));
    EXPECT_EQ(Titles(), QStringList{QStringLiteral("RIV 10 System Dump1")});
    EXPECT_EQ(Main().windowTitle(), QStringLiteral("Tolvane - RIV 10 System Dump1"));
    Main().Client().activeSubWindow()->showMaximized();
    Settle();
    EXPECT_EQ(Main().windowTitle(), QStringLiteral("Tolvane - [RIV 10 System Dump1]"));
    Main().Client().activeSubWindow()->showNormal();
    Settle();
    EXPECT_EQ(Main().windowTitle(), QStringLiteral("Tolvane - RIV 10 System Dump1"));

    ASSERT_TRUE(Main().Execute(Frame::IdOpenHexView));
    EXPECT_EQ(Main().CurrentMenuSet(), Frame::MenuSet::HexDump);
    EXPECT_TRUE(Enabled(Frame::IdShowAscii));
    EXPECT_TRUE(Enabled(Frame::IdEditSelectAll));
    EXPECT_FALSE(Enabled(Frame::IdDelete));
    EXPECT_FALSE(Main().Action(Frame::IdEditCopy)->isEnabled()) << "nothing selected yet";
    ASSERT_TRUE(Main().Execute(Frame::IdEditSelectAll));
    EXPECT_TRUE(Main().Action(Frame::IdEditCopy)->isEnabled()) << "Copy follows the selection";
    EXPECT_EQ(Titles(), (QStringList{QStringLiteral("RIV 10 System Dump1:1"),
                                     QStringLiteral("RIV 10 System Dump1:2 (Hex View)")}));
    QStringList menus;
    for (QAction* menu : Main().menuBar()->actions())
        menus << menu->text();
    EXPECT_EQ(menus.join(QLatin1Char(',')), QStringLiteral("&File,&Edit,&View,&MIDI Transfer,&Window,&Help"));

    // Show Ascii reaches every hex view and the setting.
    const bool ascii = app->AppSettings().HexShowAscii();
    ASSERT_TRUE(Main().Execute(Frame::IdShowAscii));
    EXPECT_NE(app->AppSettings().HexShowAscii(), ascii);

    MarkModified(doc);
    EXPECT_EQ(Titles(), (QStringList{QStringLiteral("RIV 10 System Dump1:1*"),
                                     QStringLiteral("RIV 10 System Dump1:2 (Hex View)*")}));
    ASSERT_TRUE(Main().Execute(Frame::IdCloseWindow));
    Settle();
    EXPECT_EQ(Titles(), QStringList{QStringLiteral("RIV 10 System Dump1*")});
    EXPECT_TRUE(saveQuestions.empty()) << "another window still shows the document";

    Main().openHexView(nullptr);
    EXPECT_TRUE(Asked(WindowCommands::kCommandFailedText));
}

TEST_F(AppTest, OpeningADamagedFileAsksAndRepairMarksItModified) {
    const Bytes badLength = DemoWith([](SystemDoc& d) { d.SetTransmitLength(d.GetTransmitLength() + 2); });
    const Bytes badCount = DemoWith([](SystemDoc& d) { d.SetPatchCount(d.GetPatchCount() + 1); });
    const QString lengthFile = WriteFile(QStringLiteral("length.syx"), badLength);
    const QString countFile = WriteFile(QStringLiteral("count.syx"), badCount);
    ASSERT_TRUE(Start());

    prompter.Answer(true); // fix it
    SystemDoc* repaired = app->OpenDocumentFile(lengthFile);
    ASSERT_NE(repaired, nullptr);
    EXPECT_TRUE(Asked("This file may not be a valid RIV 10 dump."));
    EXPECT_TRUE(Modified(repaired));
    EXPECT_EQ(repaired->CheckIntegrity(), DumpOk);
    ASSERT_TRUE(app->CloseDocument(*repaired, false));

    prompter.Answer(false); // leave it
    SystemDoc* kept = app->OpenDocumentFile(lengthFile);
    ASSERT_NE(kept, nullptr);
    EXPECT_FALSE(Modified(kept));

    prompter.Clear();
    prompter.Answer(true); // abort
    EXPECT_EQ(app->OpenDocumentFile(countFile), nullptr);
    EXPECT_TRUE(Asked("This file does not appear to be a valid RIV 10 dump."));
    EXPECT_TRUE(Asked(DocumentFlows::kOpenFailedText));

    prompter.Answer(false); // open it anyway
    SystemDoc* odd = app->OpenDocumentFile(countFile);
    ASSERT_NE(odd, nullptr);
    EXPECT_NE(odd->CheckIntegrity(), DumpOk);
    EXPECT_EQ(app->OpenDocumentFile(countFile), odd) << "an open file is brought forward, not opened twice";

    // The exports write beside the document.
    ASSERT_TRUE(Main().Execute(Frame::IdExportPatchTable));
    ASSERT_TRUE(Main().Execute(Frame::IdExportXml));
    EXPECT_TRUE(QFile::exists(dir.filePath(QStringLiteral("count_Patches.txt"))));
    EXPECT_TRUE(QFile::exists(dir.filePath(QStringLiteral("count.xml"))));
}

TEST_F(AppTest, TheWindowRectangleIsKeptAndADegenerateOneIgnored) {
    Settings::WindowRect stored{40, 30, 40, 500}; // zero width
    Store(QStringLiteral("Settings"), QStringLiteral("MIDI Channel"), 1);
    Store(QStringLiteral("Settings"), QStringLiteral("Display"), Settings::EncodeDisplay(stored));
    ASSERT_TRUE(Start());
    EXPECT_NE(Main().geometry().size(), QSize(0, 460));
    Main().setGeometry(60, 70, 800, 600);
    Main().close();
    app.reset();
    QSettings store(Ini(), QSettings::IniFormat);
    const Settings::WindowRect kept =
        Settings::DecodeDisplay(store.value(QStringLiteral("Settings/Display")).toByteArray());
    EXPECT_EQ(kept.right - kept.left, 800);
    EXPECT_EQ(kept.bottom - kept.top, 600);

    ASSERT_TRUE(Start());
    EXPECT_EQ(Main().geometry().size(), QSize(800, 600));
}

TEST_F(AppTest, SavingAsksAboutDamageAndACancelLeavesTheFileAlone) {
    const Bytes badCount = DemoWith([](SystemDoc& d) { d.SetPatchCount(d.GetPatchCount() + 1); });
    const QString path = WriteFile(QStringLiteral("count.syx"), badCount);
    ASSERT_TRUE(Start());
    prompter.Answer(false);
    SystemDoc* doc = app->OpenDocumentFile(path);
    ASSERT_NE(doc, nullptr);
    MarkModified(doc);

    prompter.Answer(true); // cancel the save
    EXPECT_FALSE(app->SaveDocument(*doc, false));
    EXPECT_TRUE(Asked("The memory contents have become corrupted."));
    EXPECT_EQ(ReadFile(path), badCount);
    EXPECT_TRUE(Modified(doc));

    chosen.clear(); // the file dialog cancelled
    EXPECT_FALSE(app->SaveDocument(*doc, true));

    // A new document saves under the chosen name, which gains the extension and the title.
    SystemDoc* fresh = app->OnFileNew();
    chosen = dir.filePath(QStringLiteral("fresh"));
    ASSERT_TRUE(app->SaveDocument(*fresh, false));
    EXPECT_EQ(ReadFile(chosen + QStringLiteral(".syx")).size(), 132u);
    EXPECT_EQ(fresh->GetTitle(), "fresh.syx");
    EXPECT_EQ(app->AppSettings().RecentFiles().First(), chosen + QStringLiteral(".syx"));
}

TEST_F(AppTest, ClosingTheLastWindowOfAChangedDocumentOffersToSave) {
    ASSERT_TRUE(Start());
    SystemDoc* doc = app->OnFileNew();
    MarkModified(doc);
    saveAnswer = QMessageBox::Cancel;
    ASSERT_TRUE(Main().Execute(Frame::IdCloseWindow));
    Settle();
    ASSERT_EQ(app->Documents().size(), 1u);
    EXPECT_EQ(saveQuestions, std::vector<QString>{QStringLiteral("Save changes to RIV 10 System Dump1?")});

    saveAnswer = QMessageBox::No;
    EXPECT_TRUE(Main().Execute(Frame::IdCloseAll));
    Settle();
    EXPECT_TRUE(app->Documents().empty());
    EXPECT_FALSE(Enabled(Frame::IdCloseAll));
}

TEST_F(AppTest, ABadBackgroundIsReportedAndDroppedFilesOpen) {
    const QString notABitmap = WriteFile(QStringLiteral("picture.bmp"), {'n', 'o', 'p', 'e'});
    Store(QStringLiteral("Settings"), QStringLiteral("MIDI Channel"), 1);
    Store(QStringLiteral("Settings"), QStringLiteral("Background"), notABitmap);
    ASSERT_TRUE(Start());
    ASSERT_EQ(prompter.Messages().size(), 1u);
    EXPECT_NE(prompter.Messages()[0].text.find("Bitmap did not get loaded."), std::string::npos);
    EXPECT_EQ(app->AppSettings().Background(), notABitmap) << "the setting keeps its path";

    const QString first = WriteFile(QStringLiteral("first.syx"), Riv10Device::DemoDump());
    const QString second = WriteFile(QStringLiteral("second.syx"), Riv10Device::DemoDump());
    QMimeData data;
    data.setUrls({QUrl::fromLocalFile(first), QUrl::fromLocalFile(second)});
    QDragEnterEvent enter(QPoint(20, 20), Qt::CopyAction, &data, Qt::LeftButton, Qt::NoModifier);
    QApplication::sendEvent(&Main(), &enter);
    EXPECT_TRUE(enter.isAccepted());
    QDropEvent drop(QPointF(20, 20), Qt::CopyAction, &data, Qt::LeftButton, Qt::NoModifier);
    QApplication::sendEvent(&Main(), &drop);
    EXPECT_EQ(app->Documents().size(), 2u);
}

TEST_F(AppTest, ExitAsksAboutEveryChangedDocumentBeforeClosingAny) {
    ASSERT_TRUE(Start());
    MarkModified(app->OnFileNew());
    MarkModified(app->OnFileNew());
    std::vector<QMessageBox::StandardButton> answers{QMessageBox::No, QMessageBox::Cancel};
    app->SetSaveChangesAsker([&answers](const QString&) {
        const auto answer = answers.front();
        answers.erase(answers.begin());
        return answer;
    });
    EXPECT_FALSE(Main().close());
    Settle();
    EXPECT_EQ(app->Documents().size(), 2u) << "a Cancel keeps every document";
    EXPECT_TRUE(answers.empty());
}

TEST_F(AppTest, ContextMenusCarryTheirOwnTextsAndMenusDoNotPileUp) {
    ASSERT_TRUE(Start());
    EXPECT_EQ(Main().CreateContextMenu(ShellServices::MenuChoose), nullptr) << "no document, no menu";
    app->OnFileNew();
    for (int i = 0; i < 5; ++i) {
        Main().Execute(Frame::IdOpenHexView);
        Main().Execute(Frame::IdCloseWindow);
        Settle();
    }
    Settle();
    EXPECT_LE(Main().menuBar()->findChildren<QMenu*>().size(), 8);

    std::unique_ptr<QMenu> data(Main().CreateContextMenu(ShellServices::MenuChoose));
    ASSERT_NE(data, nullptr);
    QStringList texts;
    for (QAction* item : data->actions())
        if (!item->isSeparator())
            texts << item->text();
    EXPECT_EQ(
        texts.join(QLatin1Char(',')),
        QStringLiteral("Copy,&Paste,&Delete,Delete &with reorder,&Insert,Insert with &reorder,Export to "
                       "X&ML,Export &Bank Table,Export Bank &Layout,&Export Patch Table,&Upload to "
                       "ZIV10,&Hex View,&Close"));
    QAction* hexView = data->findChild<QAction*>(QStringLiteral("context602"));
    ASSERT_NE(hexView, nullptr);
    hexView->trigger();
    EXPECT_EQ(Main().CurrentMenuSet(), Frame::MenuSet::HexDump);
}

// Every menu of every context, the context menus included, gives each letter to one item only.
TEST_F(AppTest, MnemonicsAreUniqueInEveryMenu) {
    const auto check = [](const QList<QAction*>& items, const QString& where) {
        QMap<QChar, QString> taken;
        for (QAction* item : items) {
            const QString text = QString(item->text()).replace(QStringLiteral("&&"), QString());
            const qsizetype at = text.indexOf(QLatin1Char('&'));
            if (at < 0 || at + 1 >= text.size())
                continue;
            const QChar letter = text.at(at + 1).toLower();
            EXPECT_FALSE(taken.contains(letter))
                << where.toStdString() << ": '" << QString(letter).toStdString() << "' in "
                << taken.value(letter).toStdString() << " and " << text.toStdString();
            taken.insert(letter, text);
        }
    };
    const auto checkContext = [&](const QString& name) {
        check(Main().menuBar()->actions(), name + QStringLiteral(" menu bar"));
        for (QAction* title : Main().menuBar()->actions()) {
            title->menu()->aboutToShow(); // the File and Window menus fill as they open
            check(title->menu()->actions(), name + QLatin1Char(' ') + title->text());
        }
        for (int submenu : {ShellServices::MenuData, ShellServices::MenuHex, ShellServices::MenuConfig}) {
            std::unique_ptr<QMenu> context(Main().CreateContextMenu(submenu));
            if (context)
                check(context->actions(), name + QStringLiteral(" context ") + QString::number(submenu));
        }
    };
    WriteFile(QStringLiteral("recent.syx"), Riv10Device::DemoDump());
    ASSERT_TRUE(Start());
    ASSERT_NE(app->OpenDocumentFile(dir.filePath(QStringLiteral("recent.syx"))), nullptr);
    ASSERT_TRUE(Main().Execute(Frame::IdCloseAll));
    Settle();
    checkContext(QStringLiteral("no document"));
    app->OnFileNew();
    checkContext(QStringLiteral("data window"));
    ASSERT_TRUE(Main().Execute(Frame::IdOpenHexView));
    checkContext(QStringLiteral("hex window"));
    ASSERT_TRUE(Main().Execute(Frame::IdOpenPedalboard));
    checkContext(QStringLiteral("pedalboard"));
}

// Alt and a menu's letter open it with the states of the list that had the focus, as the mouse
// does: the menu bar takes the keyboard, not the list's part in the commands.
TEST_F(AppTest, TheEditMenuFromTheKeyboardKeepsTheFocusedListsCommands) {
    ASSERT_TRUE(Start());
    ASSERT_NE(app->OpenDocumentFile(WriteFile(QStringLiteral("demo.syx"), Riv10Device::DemoDump())), nullptr);
    FocusPatch(1);
    ASSERT_TRUE(Enabled(Frame::IdDelete));
    QTest::keyClick(QApplication::focusWidget(), Qt::Key_E, Qt::AltModifier);
    QApplication::processEvents();
    auto* menu = qobject_cast<QMenu*>(QApplication::activePopupWidget());
    ASSERT_NE(menu, nullptr) << "Alt+E opened no menu";
    EXPECT_EQ(menu->objectName(), QStringLiteral("menuEdit"));
    for (int id : {Frame::IdEditCut, Frame::IdEditCopy, Frame::IdDelete, Frame::IdDeleteReorder,
                   Frame::IdInsertReorder})
        EXPECT_TRUE(Main().Action(id)->isEnabled()) << id;
    QTest::keyClick(menu, Qt::Key_Escape);
    QTest::keyClick(QApplication::focusWidget(), Qt::Key_Escape);
}

// Work that leaves the window says so in the status bar: what was written and where, or why not.
TEST_F(AppTest, SavesAndExportsNameWhatTheyWroteInTheStatusBar) {
    ASSERT_TRUE(Start());
    const QString path = WriteFile(QStringLiteral("rig.syx"), Riv10Device::DemoDump());
    ASSERT_NE(app->OpenDocumentFile(path), nullptr);
    const auto shown = [this] { return Main().statusBar()->currentMessage(); };
    const QString native = QDir::toNativeSeparators(path);
    ASSERT_TRUE(Main().Execute(Frame::IdFileSave));
    EXPECT_EQ(shown(), QStringLiteral("Saved ") + native);
    ASSERT_TRUE(Main().Execute(Frame::IdExportPatchTable));
    EXPECT_EQ(shown(), QStringLiteral("Wrote ") +
                           QDir::toNativeSeparators(dir.filePath(QStringLiteral("rig_Patches.txt"))));
    // A folder where the file should go: the export fails and says where and why.
    ASSERT_TRUE(QDir(dir.path()).mkdir(QStringLiteral("rig_Banks.txt")));
    ASSERT_TRUE(Main().Execute(Frame::IdExportBankTable));
    EXPECT_EQ(shown(), QStringLiteral("Could not write %1: Access denied")
                           .arg(QDir::toNativeSeparators(dir.filePath(QStringLiteral("rig_Banks.txt")))));
    EXPECT_TRUE(Asked("Failed to create file."));
}

TEST_F(AppTest, HelpOpensThePageBesideTheProgramOrSaysItCannot) {
    ASSERT_TRUE(Start());
    ASSERT_TRUE(Main().Execute(Frame::IdHelp));
    EXPECT_TRUE(Asked(HelpCommands::kHelpFailedText));
    EXPECT_TRUE(opened.empty());

    WriteFile(QStringLiteral("Tolvane.htm"), {'<', 'p', '>'});
    ASSERT_TRUE(Main().Execute(Frame::IdHelp));
    ASSERT_EQ(opened.size(), 1u);
    EXPECT_EQ(opened[0], QUrl::fromLocalFile(dir.filePath(QStringLiteral("Tolvane.htm"))));

    // A desktop that cannot open the page: it shows in a window of its own.
    app->SetUrlOpener([](const QUrl&) { return false; });
    prompter.Clear();
    ASSERT_TRUE(Main().Execute(Frame::IdHelp));
    QTextBrowser* page = app->HelpCommandGroup().HelpWindow();
    ASSERT_NE(page, nullptr);
    EXPECT_TRUE(page->isVisible());
    EXPECT_EQ(page->source(), QUrl::fromLocalFile(dir.filePath(QStringLiteral("Tolvane.htm"))));
    EXPECT_FALSE(Asked(HelpCommands::kHelpFailedText));
    page->close();

    // The calculator is looked for in the same place.
    Main().launchCalculator();
    EXPECT_TRUE(Asked("Not able to locate the Quillon app."));
}

// A configuration edit still open on its page is asked about before any command that would lose
// it or act without it: Yes applies it (a refused field stops the command), No drops it, Cancel
// stops the command.
TEST_F(AppTest, AnUnfinishedConfigurationEditIsAskedAboutFirst) {
    const Bytes demo = Riv10Device::DemoDump();
    const int storedSet = SystemDoc(demo.data(), demo.size()).GetCurrentSet();
    const QString path = WriteFile(QStringLiteral("demo.syx"), demo);
    const QString patchTable = dir.filePath(QStringLiteral("demo_Patches.txt"));
    ASSERT_TRUE(Start());
    app->AppSettings().SetConfigEditPrompt(false);
    using Button = QMessageBox::StandardButton;
    struct Row {
        const char* what;
        int command;
        Button answer;
        const char* typed;
        bool ran;     // the command went on
        int setAfter; // the current set in the document afterwards
        bool stillEditing;
    };
    const Row rows[] = {
        {"save, cancel", Frame::IdFileSave, Button::Cancel, "3", false, storedSet, true},
        {"save, no", Frame::IdFileSave, Button::No, "3", true, storedSet, false},
        {"save, yes", Frame::IdFileSave, Button::Yes, "3", true, 3, false},
        {"save, yes, refused", Frame::IdFileSave, Button::Yes, "9", false, storedSet, true},
        {"export, cancel", Frame::IdExportPatchTable, Button::Cancel, "3", false, storedSet, true},
        {"export, yes", Frame::IdExportPatchTable, Button::Yes, "3", true, 3, false},
        {"close all, cancel", Frame::IdCloseAll, Button::Cancel, "3", false, storedSet, true},
        {"close all, no", Frame::IdCloseAll, Button::No, "3", true, storedSet, false},
        {"close, cancel", Frame::IdCloseWindow, Button::Cancel, "3", false, storedSet, true},
    };
    for (const Row& row : rows) {
        SCOPED_TRACE(row.what);
        WriteFile(QStringLiteral("demo.syx"), demo);
        QFile::remove(patchTable);
        SystemDoc* doc = app->OpenDocumentFile(path);
        ASSERT_NE(doc, nullptr);
        ZIVPropSheet* sheet = ActiveSheet();
        ASSERT_NE(sheet, nullptr);
        sheet->setCurrentIndex(ZIVPropSheet::TabConfig);
        auto* page = qobject_cast<ConfigPage*>(sheet->configPage());
        auto* edit = page->findChild<QPushButton*>(QStringLiteral("edit"));
        QTest::mouseClick(edit, Qt::LeftButton);
        ASSERT_TRUE(page->isEditing());
        auto* field = page->findChild<QLineEdit*>(QStringLiteral("currentSet"));
        field->setFocus();
        field->selectAll();
        QTest::keyClicks(field, QString::fromLatin1(row.typed));
        applyQuestions.clear();
        applyAnswer = row.answer;
        prompter.Clear();

        if (row.command == Frame::IdFileSave)
            Press(Qt::Key_S);
        else
            ASSERT_TRUE(Main().Execute(row.command));
        Settle();

        EXPECT_EQ(applyQuestions, std::vector<QString>{QString::fromLatin1(DocumentFlows::kApplyConfigText)});
        const bool open = app->IsOpen(doc);
        if (row.command == Frame::IdFileSave) {
            const Bytes saved = ReadFile(path);
            EXPECT_EQ(SystemDoc(saved.data(), saved.size()).GetCurrentSet(),
                      row.ran ? row.setAfter : storedSet);
            EXPECT_EQ(saved != demo, row.ran && row.setAfter != storedSet);
        } else if (row.command == Frame::IdExportPatchTable) {
            EXPECT_EQ(QFile::exists(patchTable), row.ran);
        } else {
            EXPECT_EQ(open, !row.ran);
        }
        if (open) {
            EXPECT_EQ(doc->GetCurrentSet(), row.setAfter);
            EXPECT_EQ(page->isEditing(), row.stillEditing);
            EXPECT_EQ(Asked("Invalid set number in Current Set field."), row.typed[0] == '9');
            applyAnswer = Button::No;
            ASSERT_TRUE(app->CloseDocument(*doc, false));
            Settle();
        }
    }
}

// The file dialogs start in the folder of the file last opened or saved, also after a restart.
TEST_F(AppTest, FileDialogsStartInTheFolderLastUsed) {
    ASSERT_TRUE(QDir(dir.path()).mkpath(QStringLiteral("sets")));
    const QString folder = QDir::toNativeSeparators(dir.filePath(QStringLiteral("sets")));
    WriteFile(QStringLiteral("sets/live.syx"), Riv10Device::DemoDump());
    ASSERT_TRUE(Start());
    chosen = dir.filePath(QStringLiteral("sets/live.syx"));
    Press(Qt::Key_O);
    ASSERT_EQ(app->Documents().size(), 1u);
    Press(Qt::Key_N);
    chosen.clear();
    Press(Qt::Key_S); // an untitled document: Save As
    ASSERT_EQ(dialogStarts.size(), 2);
    EXPECT_EQ(dialogStarts[1], QDir(folder).filePath(QStringLiteral("RIV 10 System Dump1.syx")));
    app.reset();

    dialogStarts.clear();
    ASSERT_TRUE(Start());
    chosen.clear();
    Press(Qt::Key_O);
    EXPECT_EQ(dialogStarts, QStringList{folder});
}

// Open names what the parse found in a cut-off file or one without its final F7, not what the
// check makes of the remains.
TEST_F(AppTest, OpeningADamagedFileNamesWhatTheParseFound) {
    const Bytes largest = testdump::LargestDump();
    Bytes openEnded = largest;
    openEnded.back() = 0x00;
    struct Row {
        const char* name;
        Bytes bytes;
        int code;
    };
    const Row rows[] = {
        {"cut.syx", Bytes(largest.begin(), largest.begin() + 1000), DumpBadBanks},
        {"open-ended.syx", openEnded, DumpNoEnd},
    };
    ASSERT_TRUE(Start());
    for (const Row& row : rows) {
        SCOPED_TRACE(row.name);
        chosen = WriteFile(QString::fromLatin1(row.name), row.bytes);
        prompter.Clear();
        prompter.Answer(true); // abort
        Press(Qt::Key_O);
        EXPECT_TRUE(app->Documents().empty());
        ASSERT_FALSE(prompter.Messages().empty());
        const std::string named = std::string("First error encountered: ") + DumpErrorText(row.code) + ".";
        EXPECT_NE(prompter.Messages()[0].text.find(named), std::string::npos) << prompter.Messages()[0].text;
    }
}

// A hex window of the largest dump fits the client area when it first opens, and a maximised one
// stays maximised when its columns change.
TEST_F(AppTest, HexWindowsFitTheClientAreaAndStayMaximised) {
    const QString path = WriteFile(QStringLiteral("largest.syx"), testdump::LargestDump());
    ASSERT_TRUE(Start());
    Main().resize(900, 700);
    ASSERT_NE(app->OpenDocumentFile(path), nullptr);
    Main().Client().activeSubWindow()->showNormal();
    ASSERT_TRUE(Main().Execute(Frame::IdOpenHexView));
    Settle();
    QMdiSubWindow* hex = Main().Client().activeSubWindow();
    ASSERT_NE(qobject_cast<HexView*>(hex->widget()), nullptr);
    EXPECT_LE(hex->height(), Main().Client().viewport()->height());

    hex->showMaximized();
    Settle();
    for (int command : {Frame::IdShowAscii, Frame::IdShowOffsets}) {
        ASSERT_TRUE(Main().Execute(command));
        Settle();
        EXPECT_TRUE(hex->isMaximized()) << command;
        EXPECT_EQ(hex->size(), Main().Client().viewport()->size()) << command;
    }
}

// Undo and Redo name their steps, follow the keys and the toolbar, and bring the modified mark
// back and forth across the state last opened or saved; Save keeps the steps.
TEST_F(AppTest, UndoAndRedoNameTheirStepsAndFollowTheSavedState) {
    const Bytes demo = Riv10Device::DemoDump();
    const QString path = WriteFile(QStringLiteral("demo.syx"), demo);
    ASSERT_TRUE(Start());
    SystemDoc* doc = app->OpenDocumentFile(path);
    ASSERT_NE(doc, nullptr);
    EXPECT_FALSE(Enabled(Frame::IdEditUndo));
    EXPECT_FALSE(Enabled(Frame::IdEditRedo));
    EXPECT_EQ(Main().Action(Frame::IdEditUndo)->statusTip(), "Undo the last action");
    EXPECT_EQ(Main().Action(Frame::IdEditRedo)->statusTip(), "Redo the previously undone action");
    const QList<QAction*> tools = Main().findChild<QToolBar*>(QStringLiteral("toolBar"))->actions();
    const int paste = static_cast<int>(tools.indexOf(Main().Action(Frame::IdEditPaste)));
    ASSERT_GE(paste, 0);
    EXPECT_EQ(tools.value(paste + 1), Main().Action(Frame::IdEditUndo));
    EXPECT_EQ(tools.value(paste + 2), Main().Action(Frame::IdEditRedo));

    int n = 1;
    while (!doc->HasPatch(n))
        ++n;
    FocusPatch(n);
    Press(Qt::Key_X);
    EXPECT_FALSE(doc->HasPatch(n));
    EXPECT_TRUE(Modified(doc));
    EXPECT_TRUE(Enabled(Frame::IdEditUndo));
    EXPECT_EQ(Main().Action(Frame::IdEditUndo)->text(), QStringLiteral("&Undo Cut Patch %1").arg(n));

    Press(Qt::Key_Z);
    EXPECT_EQ(doc->BuildImage(), demo);
    EXPECT_FALSE(Modified(doc));
    EXPECT_EQ(Titles(), QStringList{QStringLiteral("demo.syx")});
    EXPECT_EQ(Main().Action(Frame::IdEditRedo)->text(), QStringLiteral("R&edo Cut Patch %1").arg(n));
    EXPECT_FALSE(Enabled(Frame::IdEditUndo));

    Press(Qt::Key_Y);
    EXPECT_FALSE(doc->HasPatch(n));
    EXPECT_EQ(Titles(), QStringList{QStringLiteral("demo.syx*")});
    Press(Qt::Key_S);
    EXPECT_FALSE(Modified(doc));
    EXPECT_TRUE(Enabled(Frame::IdEditUndo)) << "Save keeps the steps";
    Press(Qt::Key_Backspace, Qt::AltModifier); // undo, away from the saved state
    EXPECT_TRUE(doc->HasPatch(n));
    EXPECT_TRUE(Modified(doc));
    Press(Qt::Key_Z, Qt::ControlModifier | Qt::ShiftModifier); // redo, back at it
    EXPECT_FALSE(doc->HasPatch(n));
    EXPECT_FALSE(Modified(doc));
}

// The repair offered at open is a step: undo gives back the file as it is on disk.
TEST_F(AppTest, TheRepairAtOpenIsAStepBackToTheFile) {
    const Bytes badLength = DemoWith([](SystemDoc& d) { d.SetTransmitLength(d.GetTransmitLength() + 2); });
    const QString path = WriteFile(QStringLiteral("length.syx"), badLength);
    ASSERT_TRUE(Start());
    prompter.Answer(true); // fix it
    SystemDoc* doc = app->OpenDocumentFile(path);
    ASSERT_NE(doc, nullptr);
    ASSERT_TRUE(Modified(doc));
    EXPECT_EQ(Main().Action(Frame::IdEditUndo)->text(), "&Undo Repair Transmit Length");
    ASSERT_TRUE(Main().Execute(Frame::IdEditUndo));
    EXPECT_EQ(doc->BuildImage(), badLength);
    EXPECT_FALSE(Modified(doc));
    ASSERT_TRUE(Main().Execute(Frame::IdEditRedo));
    EXPECT_EQ(doc->CheckIntegrity(), DumpOk);
    EXPECT_TRUE(Modified(doc));
}

TEST_F(AppTest, HelpOpensTheInstalledPageWhenNoneIsBesideTheProgram) {
    // As installed: bin/Tolvane and share/doc/tolvane/Tolvane.htm.
    programDir = dir.filePath(QStringLiteral("bin"));
    ASSERT_TRUE(QDir().mkpath(programDir));
    ASSERT_TRUE(QDir().mkpath(dir.filePath(QStringLiteral("share/doc/tolvane"))));
    const QString installed = WriteFile(QStringLiteral("share/doc/tolvane/Tolvane.htm"), {'<', 'p', '>'});
    ASSERT_TRUE(Start());
    ASSERT_TRUE(Main().Execute(Frame::IdHelp));
    ASSERT_EQ(opened.size(), 1u);
    EXPECT_EQ(opened[0], QUrl::fromLocalFile(installed));

    // A page beside the program comes first.
    const QString beside = WriteFile(QStringLiteral("bin/Tolvane.htm"), {'<', 'p', '>'});
    ASSERT_TRUE(Main().Execute(Frame::IdHelp));
    ASSERT_EQ(opened.size(), 2u);
    EXPECT_EQ(opened[1], QUrl::fromLocalFile(beside));
    EXPECT_FALSE(Asked(HelpCommands::kHelpFailedText));
}

class AppTransferTest : public AppTest {
protected:
    void SetUp() override {
        simulator = StartLayerWithSimulator();
        ASSERT_NE(simulator, nullptr);
    }
    void TearDown() override {
        app.reset();
        MidiPortsTerm();
    }
    SimulatorBackend* simulator = nullptr;
};

TEST_F(AppTransferTest, DownloadMakesAChangedDocumentAndUploadSendsItBack) {
    const Bytes dump = Riv10Device::DemoDump();
    simulator->Device().SetDump(dump);
    Store(QStringLiteral("Settings"), QStringLiteral("PromptBeforeDownload"), 0);
    Store(QStringLiteral("Settings"), QStringLiteral("DelayBetweenBuffers"), 0);
    ASSERT_TRUE(Start());
    const int output = static_cast<int>(MidiOutDeviceNames().size()) - 1;
    app->AppSettings().SetMidiInputDevice(static_cast<int>(MidiInDeviceNames().size()) - 1);
    app->AppSettings().SetMidiOutputDevice(output);

    ASSERT_TRUE(Main().Execute(Frame::IdDownload));
    ASSERT_EQ(app->Documents().size(), 1u);
    SystemDoc* doc = app->Documents()[0];
    EXPECT_EQ(doc->BuildImage(), dump);
    EXPECT_TRUE(Modified(doc));
    EXPECT_EQ(Titles(), QStringList{QStringLiteral("RIV 10 System Dump1*")});

    simulator->Device().SetDump({});
    ASSERT_TRUE(Main().Execute(Frame::IdUpload));
    EXPECT_EQ(simulator->Device().ReceivedCount(), 1);
    EXPECT_EQ(simulator->Device().Dump(), dump);
    EXPECT_FALSE(Asked(TransferCommands::kUploadErrorText));
    EXPECT_EQ(Main().statusBar()->currentMessage(),
              QStringLiteral("Upload complete: %1 bytes")
                  .arg(QLocale(QLocale::English).toString(qlonglong(dump.size()))));

    // Each transfer left a backup of its kind, the upload's being the image the device got.
    const std::vector<BackupFolder::Backup> backups = BackupFolder(BackupDir()).List();
    ASSERT_EQ(backups.size(), 2u);
    EXPECT_EQ(backups[0].kind, BackupFolder::Kind::Download);
    EXPECT_EQ(backups[1].kind, BackupFolder::Kind::Upload);
    EXPECT_TRUE(backups[1].name.endsWith(QStringLiteral("_upload.syx"))) << backups[1].name.toStdString();
    EXPECT_EQ(ReadFile(QDir(BackupDir()).filePath(backups[1].name)), simulator->Device().Dump());
}

// Upload runs the check first and asks about a failing dump, No being the default; No sends
// nothing.
TEST_F(AppTransferTest, UploadAsksBeforeSendingADumpThatFailsItsCheck) {
    const Bytes badCount = DemoWith([](SystemDoc& d) { d.SetPatchCount(d.GetPatchCount() + 1); });
    const QString path = WriteFile(QStringLiteral("count.syx"), badCount);
    Store(QStringLiteral("Settings"), QStringLiteral("DelayBetweenBuffers"), 0);
    ASSERT_TRUE(Start());
    app->AppSettings().SetMidiOutputDevice(static_cast<int>(MidiOutDeviceNames().size()) - 1);
    prompter.Answer(false); // open it anyway
    SystemDoc* doc = app->OpenDocumentFile(path);
    ASSERT_NE(doc, nullptr);
    const int code = doc->CheckIntegrity();
    ASSERT_NE(code, DumpOk);
    const std::string question = "The dump failed my data integrity check (" + std::to_string(code) + ": " +
                                 DumpErrorText(code) + "). Upload it anyway?";

    for (bool yes : {false, true}) {
        prompter.Clear();
        prompter.Answer(yes);
        Press(Qt::Key_U);
        ASSERT_FALSE(prompter.Messages().empty());
        EXPECT_EQ(prompter.Messages()[0].text, question);
        EXPECT_EQ(simulator->Device().ReceivedCount(), yes ? 1 : 0);
    }
    EXPECT_EQ(simulator->Device().Dump(), badCount);
}

// A downloaded dump starts with nothing to undo, and no state of it is a saved one.
TEST_F(AppTransferTest, ADownloadStartsWithNoStepsAndNoSavedState) {
    simulator->Device().SetDump(Riv10Device::DemoDump());
    Store(QStringLiteral("Settings"), QStringLiteral("PromptBeforeDownload"), 0);
    Store(QStringLiteral("Settings"), QStringLiteral("DelayBetweenBuffers"), 0);
    ASSERT_TRUE(Start());
    app->AppSettings().SetMidiInputDevice(static_cast<int>(MidiInDeviceNames().size()) - 1);
    ASSERT_TRUE(Main().Execute(Frame::IdDownload));
    ASSERT_EQ(app->Documents().size(), 1u);
    SystemDoc* doc = app->Documents()[0];
    EXPECT_FALSE(Enabled(Frame::IdEditUndo));
    int n = 1;
    while (!doc->HasPatch(n))
        ++n;
    FocusPatch(n);
    Press(Qt::Key_X);
    Press(Qt::Key_Z);
    EXPECT_TRUE(doc->HasPatch(n));
    EXPECT_TRUE(Modified(doc));
}

TEST_F(AppTransferTest, EveryDownloadLeavesItsBytesInTheBackupFolder) {
    Store(QStringLiteral("Settings"), QStringLiteral("PromptBeforeDownload"), 0);
    Store(QStringLiteral("Settings"), QStringLiteral("BackupsToKeep"), 2);
    ASSERT_TRUE(Start());
    app->AppSettings().SetMidiInputDevice(static_cast<int>(MidiInDeviceNames().size()) - 1);
    const BackupFolder folder(BackupDir());
    const auto backup = [&](int i) {
        return ReadFile(QDir(BackupDir()).filePath(folder.Backups().value(i)));
    };

    const Bytes good = Riv10Device::DemoDump();
    simulator->Device().SetDump(good);
    ASSERT_TRUE(Main().Execute(Frame::IdDownload));
    ASSERT_EQ(folder.Backups().size(), 1);
    EXPECT_TRUE(QRegularExpression(QStringLiteral("^\\d{4}-\\d\\d-\\d\\d_\\d{6}_download\\.syx$"))
                    .match(folder.Backups()[0])
                    .hasMatch())
        << folder.Backups()[0].toStdString();
    EXPECT_EQ(backup(0), good);

    // A dump that fails the check is kept even when the user then gives it up.
    const Bytes damaged = DemoWith([](SystemDoc& doc) { doc.SetTransmitLength(5); });
    simulator->Device().SetDump(damaged);
    prompter.Answer(true); // cancel the download
    ASSERT_TRUE(Main().Execute(Frame::IdDownload));
    EXPECT_TRUE(Asked("The dump failed my data integrity check."));
    EXPECT_EQ(app->Documents().size(), 1u);
    ASSERT_EQ(folder.Backups().size(), 2);
    EXPECT_EQ(backup(1), damaged);

    // Only the newest two are kept.
    simulator->Device().SetDump(good);
    ASSERT_TRUE(Main().Execute(Frame::IdDownload));
    ASSERT_EQ(folder.Backups().size(), 2);
    EXPECT_EQ(backup(0), damaged);

    // A folder that cannot be made is a warning with the reason; the download goes on.
    ASSERT_TRUE(QDir(BackupDir()).removeRecursively());
    WriteFile(QStringLiteral("backups"), {1});
    prompter.Clear();
    ASSERT_TRUE(Main().Execute(Frame::IdDownload));
    EXPECT_TRUE(Asked(std::string(TransferCommands::kBackupFailedText) + "cannot create the folder"));
    EXPECT_EQ(app->Documents().size(), 3u);

    // Switched off: no backup and no warning.
    app->AppSettings().SetKeepDownloadBackups(false);
    prompter.Clear();
    ASSERT_TRUE(Main().Execute(Frame::IdDownload));
    EXPECT_FALSE(Asked(TransferCommands::kBackupFailedText));
    EXPECT_EQ(app->Documents().size(), 4u);
}

TEST_F(AppTest, CompareWithListsTheDifferencesAndOpenBackupStartsInTheFolder) {
    ASSERT_TRUE(Start());
    const Bytes demo = Riv10Device::DemoDump();
    ASSERT_NE(app->OpenDocumentFile(WriteFile(QStringLiteral("a.syx"), demo)), nullptr);
    EXPECT_TRUE(Enabled(Frame::IdCompareWith));
    chosen = WriteFile(QStringLiteral("b.syx"),
                       DemoWith([](SystemDoc& doc) { doc.SetCurrentSet(doc.GetCurrentSet() == 3 ? 4 : 3); }));
    ASSERT_TRUE(Main().Execute(Frame::IdCompareWith));
    auto* window = Main().findChild<DifferencesWindow*>();
    ASSERT_NE(window, nullptr);
    EXPECT_TRUE(window->isVisible());
    ASSERT_EQ(window->list()->count(), 1);
    EXPECT_TRUE(window->list()->item(0)->text().startsWith(QStringLiteral("configuration: current set ")));
    window->close();

    chosen.clear();
    ASSERT_TRUE(Main().Execute(Frame::IdOpenBackup));
    EXPECT_EQ(chooserStart, BackupDir());

    // A backup opens as an untitled copy: Save asks for a place, and the backup stays as it was.
    ASSERT_TRUE(QDir().mkpath(BackupDir()));
    const QString backup = QDir(BackupDir()).filePath(QStringLiteral("2026-03-14_191502_download.syx"));
    QFile::copy(dir.filePath(QStringLiteral("a.syx")), backup);
    chosen = backup;
    ASSERT_TRUE(Main().Execute(Frame::IdOpenBackup));
    DocumentSession* copy = app->Sessions().active();
    ASSERT_NE(copy, nullptr);
    EXPECT_EQ(copy->title(), QStringLiteral("Backup 2026-03-14_191502_download"));
    EXPECT_TRUE(copy->path().isEmpty());
    EXPECT_TRUE(copy->isModified());
    chosen = dir.filePath(QStringLiteral("kept.syx"));
    dialogStarts.clear();
    ASSERT_TRUE(Main().Execute(Frame::IdFileSave));
    ASSERT_EQ(dialogStarts.size(), 1) << "Save asked for a place";
    EXPECT_FALSE(dialogStarts.front().startsWith(BackupDir()));
    EXPECT_EQ(ReadFile(chosen), demo);
    EXPECT_EQ(ReadFile(backup), demo);
}

// The banks and sets trees name the document at their root, and follow a Save As at once.
TEST_F(AppTest, TheTreesFollowTheTitleOfASaveAs) {
    ASSERT_TRUE(Start());
    ASSERT_NE(app->OpenDocumentFile(WriteFile(QStringLiteral("rig.syx"), Riv10Device::DemoDump())), nullptr);
    ZIVPropSheet* sheet = ActiveSheet();
    ASSERT_NE(sheet, nullptr);
    sheet->setCurrentIndex(ZIVPropSheet::TabSets);
    sheet->setCurrentIndex(ZIVPropSheet::TabBanks);
    chosen = dir.filePath(QStringLiteral("gig.syx"));
    ASSERT_TRUE(Main().Execute(Frame::IdFileSaveAs));
    EXPECT_EQ(sheet->banksPage()->tree()->topLevelItem(0)->text(0), QStringLiteral("gig.syx RIV 10 Banks"));
    sheet->setCurrentIndex(ZIVPropSheet::TabSets);
    EXPECT_EQ(sheet->setsPage()->tree()->topLevelItem(0)->text(0), QStringLiteral("gig.syx RIV 10 Sets"));
}

// The bank sheets of a data window or a pedalboard: printed, previewed and exported as PDF, all
// the same pages; a hex window prints nothing.
TEST_F(AppTest, BankSheetsPrintPreviewAndExportFromADataWindowOrAPedalboard) {
    ASSERT_TRUE(Start());
    const Bytes demo = Riv10Device::DemoDump();
    SystemDoc* doc = app->OpenDocumentFile(WriteFile(QStringLiteral("rig.syx"), demo));
    ASSERT_NE(doc, nullptr);
    const QString printed = dir.filePath(QStringLiteral("printed.pdf"));
    int previewPages = -1;
    app->SetDialogRunner([&](QDialog& dialog) {
        if (auto* print = qobject_cast<QPrintDialog*>(&dialog)) {
            print->printer()->setOutputFormat(QPrinter::PdfFormat);
            print->printer()->setOutputFileName(printed);
            return int(QDialog::Accepted);
        }
        if (auto* preview = dialog.findChild<QPrintPreviewWidget*>()) {
            preview->updatePreview();
            previewPages = preview->pageCount();
        }
        return int(QDialog::Rejected);
    });
    const auto textOf = [this](const QString& pdf) {
        const QString text = dir.filePath(QStringLiteral("sheet.txt"));
        QFile::remove(text);
        EXPECT_EQ(std::system(QStringLiteral("pdftotext '%1' '%2'").arg(pdf, text).toLocal8Bit().constData()),
                  0);
        QFile file(text);
        return file.open(QIODevice::ReadOnly) ? QString::fromUtf8(file.readAll()) : QString();
    };

    Press(Qt::Key_B);
    ASSERT_EQ(Titles(), (QStringList{QStringLiteral("rig.syx:1"), QStringLiteral("rig.syx:2 - Pedalboard")}));
    ASSERT_TRUE(Main().Client().activeSubWindow()->widget()->inherits("PedalboardView"));
    EXPECT_EQ(Main().CurrentMenuSet(), Frame::MenuSet::SystemDump);
    struct Row {
        int command;
        const char* what;
    };
    for (const Row& row : {Row{Frame::IdFilePrint, "print"}, Row{Frame::IdFilePrintPreview, "preview"},
                           Row{Frame::IdExportSheets, "export"}}) {
        SCOPED_TRACE(row.what);
        chosen = dir.filePath(QStringLiteral("sheets"));
        ASSERT_TRUE(Main().Execute(row.command));
    }
    EXPECT_TRUE(Enabled(Frame::IdFilePrint)) << "the toolbar's Print button too";
    for (const QString& pdf : {printed, chosen + QStringLiteral(".pdf")}) {
        const QString text = textOf(pdf);
        for (int b = 1; b <= SystemDoc::kBanks; ++b) {
            if (const RecordSlot* bank = doc->PeekBank(b); bank && bank->IsPresent()) {
                EXPECT_TRUE(text.contains(QString::fromStdString(BankRecord(*bank).Name())))
                    << pdf.toStdString();
            }
        }
    }
    EXPECT_GT(previewPages, 0);

    ASSERT_TRUE(Main().Execute(Frame::IdOpenHexView));
    EXPECT_FALSE(Enabled(Frame::IdFilePrint));
    EXPECT_FALSE(Enabled(Frame::IdExportSheets));
}

// The recovery entry of a document is written while it is modified and goes with the mark,
// whichever way the mark goes.
enum class Clean { Save, UndoToSaved, CloseWithoutSaving };

class AppRecoveryTest : public AppTest, public ::testing::WithParamInterface<Clean> {};

TEST_P(AppRecoveryTest, TheEntryIsWrittenWhileModifiedAndGoesWithTheMark) {
    const QString path = WriteFile(QStringLiteral("demo.syx"), Riv10Device::DemoDump());
    ASSERT_TRUE(Start());
    SystemDoc* doc = app->OpenDocumentFile(path);
    ASSERT_NE(doc, nullptr);
    const QDir folder(RecoveryDir());
    const auto entries = [&] {
        app->Recovery().Store().WaitForWrites();
        QApplication::processEvents();
        return folder.entryList({QStringLiteral("*.syx"), QStringLiteral("*.json")}, QDir::Files, QDir::Name);
    };
    RecoveryKeeper* keeper = SessionRecovery::KeeperOf(*app->Sessions().find(doc));
    ASSERT_NE(keeper, nullptr);
    EXPECT_FALSE(keeper->Pending()) << "nothing to keep before a change";

    int n = 1;
    while (!doc->HasPatch(n))
        ++n;
    FocusPatch(n);
    Press(Qt::Key_X);
    ASSERT_TRUE(keeper->Pending());
    keeper->Flush();
    ASSERT_EQ(entries(), (QStringList{keeper->Stem() + ".json", keeper->Stem() + ".syx"}));
    EXPECT_EQ(ReadFile(folder.filePath(keeper->Stem() + ".syx")), doc->BuildImage());

    switch (GetParam()) {
    case Clean::Save:
        Press(Qt::Key_S);
        break;
    case Clean::UndoToSaved:
        Press(Qt::Key_Z);
        break;
    case Clean::CloseWithoutSaving:
        saveAnswer = QMessageBox::No;
        ASSERT_TRUE(Main().Execute(Frame::IdFileClose));
        Settle();
        EXPECT_TRUE(app->Documents().empty());
        break;
    }
    EXPECT_FALSE(Modified(doc));
    EXPECT_EQ(entries(), QStringList());
}

INSTANTIATE_TEST_SUITE_P(Cases, AppRecoveryTest,
                         ::testing::Values(Clean::Save, Clean::UndoToSaved, Clean::CloseWithoutSaving));

// File > Device History lists the backups; an entry opens as an untitled copy, and the
// comparison takes the main window's document while the history window has the focus.
TEST_F(AppTest, DeviceHistoryOpensABackupAsACopyAndComparesWithTheDocument) {
    ASSERT_TRUE(QDir().mkpath(BackupDir()));
    const Bytes demo = Riv10Device::DemoDump();
    const Bytes other = DemoWith([](SystemDoc& doc) { doc.SetCurrentSet(doc.GetCurrentSet() == 3 ? 4 : 3); });
    WriteFile(QStringLiteral("backups/2026-03-14_190000_download.syx"), demo);
    WriteFile(QStringLiteral("backups/2026-03-14_200000_upload.syx"), other);
    ASSERT_TRUE(Start());
    ASSERT_NE(app->OpenDocumentFile(WriteFile(QStringLiteral("a.syx"), demo)), nullptr);

    ASSERT_TRUE(Main().Execute(Frame::IdDeviceHistory));
    DeviceHistoryWindow* window = app->FileCommandGroup().HistoryWindow();
    ASSERT_NE(window, nullptr);
    ASSERT_TRUE(Main().Execute(Frame::IdDeviceHistory));
    EXPECT_EQ(app->FileCommandGroup().HistoryWindow(), window) << "one window at a time";
    EXPECT_TRUE(window->isVisible());
    QTreeWidget& list = *window->list();
    ASSERT_EQ(list.topLevelItemCount(), 2);
    EXPECT_EQ(list.topLevelItem(0)->text(1), QStringLiteral("Upload"));

    window->activateWindow();
    ASSERT_TRUE(QTest::qWaitForWindowActive(window));
    list.setCurrentItem(list.topLevelItem(0));
    DifferencesWindow* differences = window->compareWithActive();
    ASSERT_NE(differences, nullptr);
    ASSERT_EQ(differences->list()->count(), 1);
    EXPECT_TRUE(
        differences->list()->item(0)->text().startsWith(QStringLiteral("configuration: current set ")));
    delete differences;

    list.setFocus();
    QTest::keyClick(&list, Qt::Key_Return);
    Settle();
    ASSERT_EQ(app->Documents().size(), 2u);
    SystemDoc* copy = app->Documents()[1];
    EXPECT_EQ(copy->BuildImage(), other);
    EXPECT_TRUE(Modified(copy));
    EXPECT_EQ(Titles(),
              (QStringList{QStringLiteral("Backup 2026-03-14_200000_upload*"), QStringLiteral("a.syx")}));
    dialogStarts.clear();
    ASSERT_TRUE(Main().Execute(Frame::IdFileSave));
    EXPECT_EQ(dialogStarts.size(), 1) << "Save asks for a place";
    window->close();
}

} // namespace
