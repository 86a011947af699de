#include "app/ZIVBackupApp.h"

#include "app/AppErrorReport.h"
#include "app/CMDIClientWnd.h"
#include "app/CMainFrame.h"
#include "app/DAboutBox.h"
#include "app/DOptions.h"
#include "app/DocTemplate.h"
#include "app/DocumentFlows.h"
#include "app/EditCommands.h"
#include "app/FileCommands.h"
#include "app/HelpCommands.h"
#include "app/HexSettingsAdapter.h"
#include "app/MessageBoxPrompter.h"
#include "app/PrintCommands.h"
#include "app/RecoveryDialog.h"
#include "app/SessionList.h"
#include "app/SessionRecovery.h"
#include "app/TransferCommands.h"
#include "app/WindowCommands.h"
#include "dump/SystemDoc.h"
#include "fileops/BackupFolder.h"
#include "fileops/QtFileOps.h"
#include "fileops/RecoveryStore.h"
#include "midi/MidiPorts.h"
#include "settings/Settings.h"
#include "views/CChildFrame.h"
#include "views/DocumentSession.h"
#include "views/HexView.h"
#include "views/PedalboardView.h"
#include "views/PropSheetFormView.h"

#include <QApplication>
#include <QDesktopServices>
#include <QFileDialog>
#include <QFileInfo>
#include <QTimer>

#include <cerrno>

ZIVBackupApp::ZIVBackupApp() : ZIVBackupApp(Options()) {}

ZIVBackupApp::ZIVBackupApp(Options options)
    : m_optionsIn(std::move(options)),
      m_programDir(m_optionsIn.programDir.isEmpty() ? QCoreApplication::applicationDirPath()
                                                    : m_optionsIn.programDir),
      m_files(std::make_unique<QtFileOps>()) {
    if (m_optionsIn.prompter) {
        m_prompter = m_optionsIn.prompter;
    } else {
        m_ownPrompter = std::make_unique<MessageBoxPrompter>();
        m_prompter = m_ownPrompter.get();
    }
    m_seams.chooseOpen = [](QWidget* parent, const QString& title, const QString& start,
                            const QString& filter) {
        return QFileDialog::getOpenFileName(parent, title, start, filter, nullptr, QFileDialog::ReadOnly);
    };
    m_seams.chooseSave = [](QWidget* parent, const QString& title, const QString& start,
                            const QString& filter) {
        // The dialog adds the extension itself, so its overwrite question covers the real name.
        QFileDialog dialog(parent, title, start, filter);
        dialog.setAcceptMode(QFileDialog::AcceptSave);
        dialog.setDefaultSuffix(QStringLiteral("syx"));
        return dialog.exec() == QDialog::Accepted && !dialog.selectedFiles().isEmpty()
                   ? dialog.selectedFiles().first()
                   : QString();
    };
    m_seams.openUrl = [](const QUrl& url) { return QDesktopServices::openUrl(url); };
    m_seams.askSaveChanges = [this](const QString& text) {
        return QMessageBox::warning(m_seams.dialogParent, QString::fromLatin1(kAppTitle), text,
                                    QMessageBox::Yes | QMessageBox::No | QMessageBox::Cancel,
                                    QMessageBox::Yes);
    };
    m_seams.askApplyConfig = [this](const QString& text) {
        return QMessageBox::question(m_seams.dialogParent, QString::fromLatin1(kAppTitle), text,
                                     QMessageBox::Yes | QMessageBox::No | QMessageBox::Cancel,
                                     QMessageBox::Yes);
    };
    m_seams.runPreferences = [this] { m_options->Run(); };
    m_seams.execDialog = [](QDialog& dialog) { return dialog.exec(); };
    m_seams.runAbout = [this] {
        DAboutBox box(AppSettings(), m_seams.dialogParent);
        box.exec();
    };
    m_seams.runRecovery = [](RecoveryDialog& dialog) { dialog.exec(); };
}

ZIVBackupApp::~ZIVBackupApp() {
    // The windows go before the documents they show; the preferences stay for writing.
    if (m_options)
        m_options->setParent(nullptr);
    // Saving the settings below may still need a message box.
    if (auto* boxes = dynamic_cast<MessageBoxPrompter*>(m_ownPrompter.get()))
        boxes->SetParent(nullptr);
    m_seams.dialogParent = nullptr;
    // A start that failed is no normal exit: what was recovered or changed stays for the next.
    if (m_recovery && !m_started)
        m_recovery->LetGo();
    m_mainFrame.reset();
    m_helpCommands.reset();
    m_printCommands.reset();
    m_windowCommands.reset();
    m_transferCommands.reset();
    m_editCommands.reset();
    m_fileCommands.reset();
    m_flows.reset();
    m_sessions.reset();
    // Whatever was still unsaved was offered for saving and given up by now.
    if (m_recovery && m_started)
        m_recovery->RemoveAll();
    m_recovery.reset();
    m_hexSettings.reset();
    // Destroying the preferences holder writes the settings.
    m_options.reset();
    if (m_midiStarted)
        ExitInstance();
}

Settings& ZIVBackupApp::AppSettings() const {
    return m_options->Values();
}

QString ZIVBackupApp::BackupDir() const {
    return m_optionsIn.backupDir.isEmpty() ? BackupFolder::DefaultPath() : m_optionsIn.backupDir;
}

QString ZIVBackupApp::RecoveryDir() const {
    return m_optionsIn.recoveryDir.isEmpty() ? RecoveryStore::DefaultPath() : m_optionsIn.recoveryDir;
}

bool ZIVBackupApp::InitInstance(const QStringList& arguments) {
    QCoreApplication::setOrganizationName(QString::fromLatin1(Settings::kCompany));
    QCoreApplication::setApplicationName(QString::fromLatin1(kAppTitle));
    if (!StartMidi())
        return false;
    auto settings = std::make_unique<Settings>(m_optionsIn.iniPath, m_programDir);
    m_options = std::make_unique<DOptions>(*m_prompter, std::move(settings));
    connect(m_options.get(), &DOptions::SettingsApplied, this, &ZIVBackupApp::ApplySettings);
    m_options->SetUrlOpener([this](const QUrl& url) { return m_seams.openUrl(url); });
    m_options->SetBackupFolder(BackupDir());
    m_options->SetPreferencesRunner([this] { m_seams.runPreferences(); });
    CreateCommands();
    RegisterTemplates();
    RecoverUnsaved();
    if (!ProcessCommandLine(arguments))
        return false;
    if (!LoadBackground())
        ShowAppErrorReport(*m_prompter, 0, 258, QStringLiteral("Bitmap did not get loaded."));
    if (QMdiSubWindow* active = m_client->activeSubWindow())
        active->showMaximized();
    m_mainFrame->show();
    if (AppSettings().IsFirstRun())
        QTimer::singleShot(0, this, [this] { m_seams.runPreferences(); });
    m_started = true;
    return true;
}

bool ZIVBackupApp::StartMidi() {
    if (!m_optionsIn.startMidi)
        return true;
    if (MidiPortsInit() != 1) {
        m_prompter->Message("MIDI Init ERROR", kAppTitle, Prompter::Icon::Stop);
        ShowAppErrorReport(*m_prompter, errno, 119, QStringLiteral("Error initializing MIDI system"));
        return false;
    }
    m_midiStarted = true;
    return true;
}

int ZIVBackupApp::ExitInstance() {
    if (!m_midiStarted)
        return 0;
    m_midiStarted = false;
    if (MidiPortsTerm() != 1) {
        ShowAppErrorReport(*m_prompter, errno, 326, QStringLiteral("Error uninitializing MIDI system"));
        return 1;
    }
    return 0;
}

void ZIVBackupApp::CreateCommands() {
    Settings& settings = AppSettings();
    m_client = new CMDIClientWnd;
    m_sessions = std::make_unique<SessionList>(*m_client, *m_prompter);
    // Before any document, so that each one is kept from the start.
    m_recovery = std::make_unique<SessionRecovery>(*m_sessions, RecoveryDir());
    m_hexSettings = std::make_unique<HexSettingsAdapter>(settings);
    m_flows = std::make_unique<DocumentFlows>(*m_sessions, settings, *m_prompter, *m_files, m_seams);
    m_fileCommands = std::make_unique<FileCommands>(*m_sessions, *m_flows, settings, *m_prompter, *m_files,
                                                    m_seams, BackupDir());
    m_editCommands = std::make_unique<EditCommands>(*m_sessions);
    m_transferCommands = std::make_unique<TransferCommands>(*m_sessions, *m_flows, settings, *m_prompter,
                                                            m_seams, BackupDir());
    m_windowCommands = std::make_unique<WindowCommands>(*m_sessions, *m_flows, *m_hexSettings, *m_prompter);
    m_printCommands = std::make_unique<PrintCommands>(*m_sessions, settings, *m_prompter, m_seams);
    m_helpCommands = std::make_unique<HelpCommands>(settings, *m_prompter, m_seams, m_programDir);
    const MainCommands commands{*m_fileCommands,   *m_editCommands,  *m_transferCommands,
                                *m_windowCommands, *m_printCommands, *m_helpCommands};
    m_mainFrame =
        std::make_unique<CMainFrame>(m_client, *m_sessions, *m_flows, commands, settings, *m_prompter,
                                     m_programDir, [this] { return m_options->LaunchMidiHelp(); });
    m_seams.dialogParent = m_mainFrame.get();
    if (auto* boxes = dynamic_cast<MessageBoxPrompter*>(m_ownPrompter.get()))
        boxes->SetParent(m_mainFrame.get());
    m_sessions->setCloseGuard([this](CChildFrame& frame) { return m_flows->MayCloseWindow(frame); });
    // The preferences open centred on the main window; the application keeps owning them.
    m_options->setParent(m_mainFrame.get(), Qt::Dialog);
}

void ZIVBackupApp::RegisterTemplates() {
    CMainFrame& shell = *m_mainFrame;
    m_sessions->setTemplate(
        DocTemplate::Kind::SystemDump,
        std::make_unique<DocTemplate>(DocTemplate::Kind::SystemDump,
                                      QString::fromLatin1(DocTemplate::kSystemDumpString),
                                      [this, &shell](DocumentSession& session, CChildFrame&) -> QWidget* {
                                          auto* view = new PropSheetFormView(session.doc(), shell);
                                          connect(view, &PropSheetFormView::commandStatesChanged,
                                                  m_sessions.get(), &SessionList::commandStatesChanged);
                                          // The trees' roots name the document.
                                          connect(&session, &DocumentSession::titleChanged, view,
                                                  &PropSheetFormView::requestRefresh);
                                          view->initialUpdate();
                                          return view;
                                      }));
    m_sessions->setTemplate(DocTemplate::Kind::HexDump,
                            std::make_unique<DocTemplate>(
                                DocTemplate::Kind::HexDump, QString::fromLatin1(DocTemplate::kHexDumpString),
                                [this](DocumentSession& session, CChildFrame& frame) -> QWidget* {
                                    auto* view = new HexView(session.doc(), *m_hexSettings);
                                    frame.setTitleSuffix(HexView::titleSuffix());
                                    view->setExtraContextActions(
                                        {m_transferCommands->action(CommandIds::IdUpload),
                                         m_windowCommands->action(CommandIds::IdCloseWindow)});
                                    view->setSizingFrame(&frame);
                                    // Copy follows the selection.
                                    connect(view, &QPlainTextEdit::copyAvailable, m_sessions.get(),
                                            &SessionList::commandStatesChanged);
                                    return view;
                                }));
    m_sessions->setTemplate(
        DocTemplate::Kind::Pedalboard,
        std::make_unique<DocTemplate>(DocTemplate::Kind::Pedalboard,
                                      QString::fromLatin1(DocTemplate::kPedalboardString),
                                      [&shell](DocumentSession& session, CChildFrame& frame) -> QWidget* {
                                          frame.setTitleSuffix(PedalboardView::titleSuffix());
                                          return new PedalboardView(session.doc(), shell);
                                      }));
}

void ZIVBackupApp::RecoverUnsaved() {
    connect(m_recovery.get(), &SessionRecovery::failed, m_mainFrame.get(), &CMainFrame::ShowReport);
    QString error;
    if (!m_recovery->Open(error)) {
        m_prompter->Message(SessionRecovery::kOpenFailedText + error.toStdString() + ".", kAppTitle,
                            Prompter::Icon::Exclamation);
        return;
    }
    m_recovery->RecoverOrphans(*m_prompter, m_seams.runRecovery, m_seams.dialogParent,
                               AppSettings().MidiChannel());
}

bool ZIVBackupApp::ProcessCommandLine(const QStringList& arguments) {
    QString file;
    for (int i = 1; i < arguments.size(); ++i) {
        if (!arguments.at(i).startsWith(QLatin1Char('-'))) {
            file = arguments.at(i);
            break;
        }
    }
    Settings& settings = AppSettings();
    if (file.isEmpty() && settings.ReloadLastFile() && !settings.RecentFiles().IsEmpty()) {
        const QString last = settings.RecentFiles().First();
        if (QFileInfo(last).isFile()) {
            file = last;
            m_reloadAttempted = true;
        } else {
            settings.RecentFiles().Remove(last);
            settings.SaveRecentFiles();
        }
    }
    if (file.isEmpty())
        return true;
    if (m_flows->Open(file) || m_reloadAttempted)
        return true;
    m_prompter->Message("Exit ProcessShellCommand", kAppTitle, Prompter::Icon::Information);
    return false;
}

bool ZIVBackupApp::LoadBackground() {
    const QString& path = AppSettings().Background();
    if (path.isEmpty()) {
        m_client->Clear();
        return true;
    }
    return m_client->Load(path);
}

void ZIVBackupApp::ApplySettings() {
    if (!LoadBackground())
        ShowAppErrorReport(*m_prompter, 0, 258, QStringLiteral("Bitmap did not get loaded."));
    for (DocumentSession* session : m_sessions->open())
        for (CChildFrame* frame : session->windows())
            if (auto* view = qobject_cast<PropSheetFormView*>(frame->widget()))
                view->requestRefresh();
    emit m_hexSettings->changed();
}

void ZIVBackupApp::SetFileChooser(FileChooser open, FileChooser save) {
    m_seams.chooseOpen = std::move(open);
    m_seams.chooseSave = std::move(save);
}

std::vector<SystemDoc*> ZIVBackupApp::Documents() const {
    std::vector<SystemDoc*> docs;
    for (DocumentSession* session : m_sessions->open())
        docs.push_back(&session->doc());
    return docs;
}

DocumentSession* ZIVBackupApp::SessionOf(const SystemDoc& doc) const {
    return m_sessions->find(&doc);
}

bool ZIVBackupApp::IsOpen(const SystemDoc* doc) const {
    const DocumentSession* session = doc ? SessionOf(*doc) : nullptr;
    return session && !session->windows().empty();
}

SystemDoc* ZIVBackupApp::OnFileNew() {
    DocumentSession* session = m_flows->New();
    return session ? &session->doc() : nullptr;
}

SystemDoc* ZIVBackupApp::OpenDocumentFile(const QString& path) {
    DocumentSession* session = m_flows->Open(path);
    return session ? &session->doc() : nullptr;
}

bool ZIVBackupApp::SaveDocument(SystemDoc& doc, bool saveAs) {
    DocumentSession* session = SessionOf(doc);
    return session && m_flows->Save(*session, saveAs);
}

bool ZIVBackupApp::CloseDocument(SystemDoc& doc, bool ask) {
    DocumentSession* session = SessionOf(doc);
    return session && m_flows->Close(*session, ask);
}
