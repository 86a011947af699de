// The editor started as its main() starts it, on the offscreen platform, with every question
// answered from the command line and everything it showed printed on stdout, one line each:
//
//   question: TEXT / entry: TITLE   the recovery question at start and the documents it lists
//   message: TEXT                    a message box (line breaks as " | ")
//   open: N TITLE modified=0|1 path=PATH   each open document once start-up is done
//   edited, downloaded, saved, kept, write: MS ms, ready, exited
//
//   tolvane_recovery_driver --ini FILE --recovery DIR --backups DIR [--answer recover|discard|cancel]
//       [--edit] [--download] [--save] [--time-write] [--images DIR] [--exit] [FILE]
//
// --images writes the image of each open document as DIR/docN.syx (and DIR/edited.syx or
// DIR/downloaded.syx after those), for byte comparisons. Without --exit it runs until killed.
#include "app/CMainFrame.h"
#include "app/RecoveryDialog.h"
#include "app/SessionList.h"
#include "app/SessionRecovery.h"
#include "app/ZIVBackupApp.h"
#include "dump/SystemDoc.h"
#include "fileops/RecoveryKeeper.h"
#include "midi/MidiPorts.h"
#include "settings/Settings.h"
#include "support/ScriptedPrompter.h"
#include "support/SimulatorLayer.h"
#include "views/DocumentSession.h"
#include "widgets/DocStep.h"

#include <QApplication>
#include <QCommandLineParser>
#include <QDir>
#include <QElapsedTimer>
#include <QFile>
#include <QLabel>
#include <QPushButton>
#include <QTest>
#include <QTimer>
#include <QTreeWidget>

#include <cstdio>
#include <vector>

namespace {

void Say(const QString& line) {
    std::printf("%s\n", qPrintable(line));
    std::fflush(stdout);
}

void WriteImage(const QString& folder, const QString& name, const std::vector<uint8_t>& image) {
    if (folder.isEmpty())
        return;
    QFile file(QDir(folder).filePath(name));
    if (file.open(QIODevice::WriteOnly))
        file.write(reinterpret_cast<const char*>(image.data()), static_cast<qint64>(image.size()));
}

// Prints the messages shown since the last call.
void SayMessages(const ScriptedPrompter& prompter, size_t& shown) {
    for (; shown < prompter.Messages().size(); ++shown)
        Say(QStringLiteral("message: ") + QString::fromStdString(prompter.Messages()[shown].text)
                                              .replace(QLatin1Char('\n'), QStringLiteral(" | ")));
}

// A change the user could make: the current set, as one step of the document's stack.
void Edit(DocumentSession& session) {
    SystemDoc& doc = session.doc();
    const SystemDoc::State before = doc.SaveState();
    doc.SetCurrentSet(doc.GetCurrentSet() == 3 ? 4 : 3);
    session.undoStack().push(new DocStep(session.undoStack(), doc, before, doc.SaveState(), HintConfig, 0,
                                         QStringLiteral("Current Set")));
}

} // namespace

int main(int argc, char* argv[]) {
    QCoreApplication::setApplicationName(QString::fromLatin1(ZIVBackupApp::kAppTitle));
    QApplication application(argc, argv);
    QCommandLineParser parser;
    for (const char* name : {"ini", "recovery", "backups", "answer", "images"})
        parser.addOption({QString::fromLatin1(name), QString::fromLatin1(name), QStringLiteral("value")});
    for (const char* name : {"edit", "download", "save", "time-write", "exit"})
        parser.addOption({QString::fromLatin1(name), QString::fromLatin1(name)});
    parser.addPositionalArgument(QStringLiteral("file"), QStringLiteral("The dump to open."));
    parser.process(application);
    const QString images = parser.value(QStringLiteral("images"));

    SimulatorBackend* simulator = StartLayerWithSimulator();
    if (!simulator) {
        Say(QStringLiteral("the simulated port layer did not start"));
        return 2;
    }
    ScriptedPrompter prompter;
    size_t shown = 0;
    int status = 0;
    {
        ZIVBackupApp::Options options;
        options.iniPath = parser.value(QStringLiteral("ini"));
        options.recoveryDir = parser.value(QStringLiteral("recovery"));
        options.backupDir = parser.value(QStringLiteral("backups"));
        options.prompter = &prompter;
        options.startMidi = false;
        ZIVBackupApp app(options);
        app.SetPreferencesRunner([] {});
        app.SetAboutRunner([] {});
        app.SetSaveChangesAsker([](const QString& text) {
            Say(QStringLiteral("asked: ") + text);
            return QMessageBox::No;
        });
        app.SetFileChooser(
            [](QWidget*, const QString& title, const QString&, const QString&) {
                Say(QStringLiteral("chooser: ") + title);
                return QString();
            },
            [](QWidget*, const QString& title, const QString&, const QString&) {
                Say(QStringLiteral("chooser: ") + title);
                return QString();
            });
        const QString answer = parser.value(QStringLiteral("answer"));
        app.SetRecoveryRunner([answer](RecoveryDialog& dialog) {
            Say(QStringLiteral("question: ") +
                dialog.findChild<QLabel*>(QStringLiteral("recoveryQuestion"))->text());
            for (int i = 0; i < dialog.list()->topLevelItemCount(); ++i)
                Say(QStringLiteral("entry: ") + dialog.list()->topLevelItem(i)->text(0));
            dialog.open();
            QTest::mouseClick(
                dialog.findChild<QPushButton*>(answer.isEmpty() ? QStringLiteral("cancel") : answer),
                Qt::LeftButton);
        });

        if (!app.InitInstance(QStringList{QStringLiteral("Tolvane")} + parser.positionalArguments())) {
            SayMessages(prompter, shown);
            Say(QStringLiteral("start failed"));
            MidiPortsTerm();
            return 1;
        }
        SayMessages(prompter, shown);
        const std::vector<DocumentSession*> open = app.Sessions().open();
        for (size_t i = 0; i < open.size(); ++i) {
            Say(QStringLiteral("open: %1 %2 modified=%3 path=%4")
                    .arg(i + 1)
                    .arg(open[i]->title())
                    .arg(open[i]->isModified() ? 1 : 0)
                    .arg(open[i]->path()));
            WriteImage(images, QStringLiteral("doc%1.syx").arg(i + 1), open[i]->doc().BuildImage());
        }

        if (parser.isSet(QStringLiteral("download"))) {
            Settings& settings = app.AppSettings();
            settings.SetMidiInputDevice(static_cast<int>(MidiInDeviceNames().size()) - 1);
            settings.SetPromptBeforeDownload(false);
            settings.SetDelayBetweenBuffers(0);
            app.MainFrame()->Execute(CommandIds::IdDownload);
            if (DocumentSession* session = app.Sessions().active()) {
                WriteImage(images, QStringLiteral("downloaded.syx"), session->doc().BuildImage());
                Say(QStringLiteral("downloaded"));
            }
        }
        QElapsedTimer writeTime;
        if (parser.isSet(QStringLiteral("edit"))) {
            if (DocumentSession* session = app.Sessions().active()) {
                Edit(*session);
                WriteImage(images, QStringLiteral("edited.syx"), session->doc().BuildImage());
                Say(QStringLiteral("edited"));
                if (parser.isSet(QStringLiteral("time-write"))) {
                    writeTime.start();
                    SessionRecovery::KeeperOf(*session)->Flush();
                }
            }
        }
        if (DocumentSession* session = app.Sessions().active())
            if (RecoveryKeeper* keeper = SessionRecovery::KeeperOf(*session))
                QObject::connect(keeper, &RecoveryKeeper::written, keeper, [&writeTime] {
                    if (writeTime.isValid()) {
                        Say(QStringLiteral("write: %1 ms").arg(writeTime.nsecsElapsed() / 1e6, 0, 'f', 2));
                        writeTime.invalidate();
                    }
                    Say(QStringLiteral("kept"));
                });
        if (parser.isSet(QStringLiteral("save"))) {
            DocumentSession* session = app.Sessions().active();
            if (session && app.MainFrame()->Execute(CommandIds::IdFileSave) && !session->isModified())
                Say(QStringLiteral("saved"));
            SayMessages(prompter, shown);
        }
        Say(QStringLiteral("ready"));
        if (parser.isSet(QStringLiteral("exit")))
            QTimer::singleShot(0, app.MainFrame(), &QWidget::close);
        status = QApplication::exec();
        SayMessages(prompter, shown);
        app.ExitInstance();
    }
    MidiPortsTerm();
    Say(QStringLiteral("exited"));
    return status;
}
