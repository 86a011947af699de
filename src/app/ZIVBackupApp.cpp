#include "app/ZIVBackupApp.h"

#include "app/AppErrorReport.h"
#include "app/CMDIClientWnd.h"
#include "app/CMainFrame.h"
#include "app/DOptions.h"
#include "app/MessageBoxPrompter.h"
#include "app/UpdateCheck.h"
#include "dump/SystemDoc.h"
#include "fileops/QtFileOps.h"
#include "midi/MidiPorts.h"
#include "midi/dialogs/DMidiXmit.h"
#include "settings/Settings.h"
#include "views/CChildFrame.h"
#include "views/HexView.h"
#include "views/PropSheetFormView.h"
#include "widgets/DocUndoStack.h"

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
    m_chooseOpen = [](QWidget* parent, const QString& title, const QString& start, const QString& filter) {
        return QFileDialog::getOpenFileName(parent, title, start, filter, nullptr, QFileDialog::ReadOnly);
    };
    m_chooseSave = [](QWidget* parent, const QString& title, const QString& start, const QString& filter) {
        // The dialog adds the extension itself, so its overwrite question covers the real name.
        QFileDialog dialog(parent, title, start, filter);
        dialog.setAcceptMode(QFileDialog::AcceptSave);
        dialog.setDefaultSuffix(QStringLiteral("syx"));
        return dialog.exec() == QDialog::Accepted && !dialog.selectedFiles().isEmpty()
                   ? dialog.selectedFiles().first()
                   : QString();
    };
    m_openUrl = [](const QUrl& url) { return QDesktopServices::openUrl(url); };
    m_askSaveChanges = [this](const QString& text) {
        return QMessageBox::warning(m_mainFrame.get(), QString::fromLatin1(kAppTitle), text,
                                    QMessageBox::Yes | QMessageBox::No | QMessageBox::Cancel,
                                    QMessageBox::Yes);
    };
    m_askApplyConfig = [this](const QString& text) {
        return QMessageBox::question(m_mainFrame.get(), QString::fromLatin1(kAppTitle), text,
                                     QMessageBox::Yes | QMessageBox::No | QMessageBox::Cancel, QMessageBox::Yes);
    };
    m_runPreferences = [this] { m_options->Run(); };
    m_runAbout = [this] {
        if (m_mainFrame)
            m_mainFrame->RunAboutBox();
    };
}

ZIVBackupApp::~ZIVBackupApp() {
    CChildFrame::setCloseGuard(nullptr);
    // The windows go before the documents they show; the preferences stay for writing.
    if (m_options)
        m_options->setParent(nullptr);
    // Saving the settings below may still need a message box.
    if (auto* boxes = dynamic_cast<MessageBoxPrompter*>(m_ownPrompter.get()))
        boxes->SetParent(nullptr);
    m_mainFrame.reset();
    m_undoStacks.clear();
    m_documents.clear();
    // Destroying the preferences holder writes the settings.
    m_options.reset();
    if (m_midiStarted)
        ExitInstance();
}

Settings& ZIVBackupApp::AppSettings() const {
    return m_options->Values();
}

bool ZIVBackupApp::InitInstance(const QStringList& arguments) {
    QCoreApplication::setOrganizationName(QString::fromLatin1(Settings::kCompany));
    QCoreApplication::setApplicationName(QString::fromLatin1(kAppTitle));
    if (!StartMidi())
        return false;
    auto settings = std::make_unique<Settings>(m_optionsIn.iniPath, m_programDir);
    m_options = std::make_unique<DOptions>(*m_prompter, std::move(settings));
    connect(m_options.get(), &DOptions::SettingsApplied, this, &ZIVBackupApp::ApplySettings);
    m_options->SetUrlOpener([this](const QUrl& url) { return m_openUrl(url); });
    m_options->SetBackupFolder(BackupDir());
    m_options->SetPreferencesRunner([this] { m_runPreferences(); });
    RegisterTemplates();
    if (!CreateMainFrame())
        return false;
    if (!ProcessCommandLine(arguments))
        return false;
    if (!LoadBackground())
        ShowAppErrorReport(*m_prompter, 0, 258, QStringLiteral("Bitmap did not get loaded."));
    if (QMdiSubWindow* active = m_mainFrame->Client().activeSubWindow())
        active->showMaximized();
    m_mainFrame->show();
    if (AppSettings().IsFirstRun())
        QTimer::singleShot(0, this, [this] { OnPreferences(); });
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

void ZIVBackupApp::RegisterTemplates() {
    m_systemTemplate = std::make_unique<DocTemplate>(
        DocTemplate::Kind::SystemDump, QString::fromLatin1(DocTemplate::kSystemDumpString),
        [this](SystemDoc& doc, CChildFrame&) -> QWidget* {
            auto* view = new PropSheetFormView(doc, *m_mainFrame);
            connect(view, &PropSheetFormView::commandStatesChanged, m_mainFrame.get(),
                    &CMainFrame::UpdateCommandStates);
            view->initialUpdate();
            return view;
        });
    m_hexTemplate = std::make_unique<DocTemplate>(
        DocTemplate::Kind::HexDump, QString::fromLatin1(DocTemplate::kHexDumpString),
        [this](SystemDoc& doc, CChildFrame& frame) -> QWidget* {
            auto* view = new HexView(doc, m_mainFrame->HexSettings());
            frame.setTitleSuffix(HexView::titleSuffix());
            view->setExtraContextActions(m_mainFrame->HexContextExtras());
            view->setSizingFrame(&frame);
            // Copy follows the selection.
            connect(view, &QPlainTextEdit::copyAvailable, m_mainFrame.get(),
                    &CMainFrame::UpdateCommandStates);
            return view;
        });
}

bool ZIVBackupApp::CreateMainFrame() {
    m_mainFrame = std::make_unique<CMainFrame>(*this);
    if (auto* boxes = dynamic_cast<MessageBoxPrompter*>(m_ownPrompter.get()))
        boxes->SetParent(m_mainFrame.get());
    CChildFrame::setCloseGuard([this](CChildFrame& frame) { return CanCloseFrame(frame); });
    // The preferences open centred on the main window; the application keeps owning them.
    m_options->setParent(m_mainFrame.get(), Qt::Dialog);
    return true;
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
    if (OpenDocumentFile(file) || m_reloadAttempted)
        return true;
    m_prompter->Message("Exit ProcessShellCommand", kAppTitle, Prompter::Icon::Information);
    return false;
}

bool ZIVBackupApp::LoadBackground() {
    const QString& path = AppSettings().Background();
    if (path.isEmpty()) {
        m_mainFrame->Client().Clear();
        return true;
    }
    return m_mainFrame->Client().Load(path);
}

void ZIVBackupApp::ApplySettings() {
    if (!LoadBackground())
        ShowAppErrorReport(*m_prompter, 0, 258, QStringLiteral("Bitmap did not get loaded."));
    RefreshDataViews();
    HexView::updateAllHexViews();
}

void ZIVBackupApp::RefreshDataViews() {
    for (PropSheetFormView* view : PropSheetFormView::allViews())
        view->requestRefresh();
}

void ZIVBackupApp::OnPreferences() {
    m_runPreferences();
}

void ZIVBackupApp::SetFileChooser(FileChooser open, FileChooser save) {
    m_chooseOpen = std::move(open);
    m_chooseSave = std::move(save);
}

void ZIVBackupApp::SetUrlOpener(UrlOpener opener) {
    m_openUrl = std::move(opener);
}
