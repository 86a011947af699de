#include "app/DocumentFlows.h"

#include "app/AppSeams.h"
#include "app/CMDIClientWnd.h"
#include "app/SessionList.h"
#include "dump/DumpFileFlow.h"
#include "dump/Prompter.h"
#include "dump/SystemDoc.h"
#include "editors/ConfigPage.h"
#include "settings/Settings.h"
#include "views/CChildFrame.h"
#include "views/DocumentSession.h"
#include "views/PropSheetFormView.h"
#include "views/ZIVPropSheet.h"
#include "widgets/DocStep.h"

#include <QDir>
#include <QFileInfo>

namespace {
constexpr const char* kAppTitle = "Tolvane";

void RefreshDataWindow(CChildFrame* frame) {
    if (auto* view = frame ? qobject_cast<PropSheetFormView*>(frame->widget()) : nullptr)
        view->requestRefresh();
}
} // namespace

DocumentFlows::DocumentFlows(SessionList& sessions, Settings& settings, Prompter& prompter, FileOps& files,
                             AppSeams& seams, QObject* parent)
    : QObject(parent), m_sessions(sessions), m_settings(settings), m_prompter(prompter), m_files(files),
      m_seams(seams) {}

DocumentSession* DocumentFlows::New() {
    DocumentSession& session = m_sessions.add(std::make_unique<SystemDoc>(m_settings.MidiChannel()));
    session.doc().OnNewDocument();
    session.setTitle(m_sessions.nextUntitledTitle());
    RefreshDataWindow(m_sessions.openWindow(session, DocTemplate::Kind::SystemDump));
    return &session;
}

DocumentSession* DocumentFlows::Open(const QString& path) {
    const QString absolute = QFileInfo(path).absoluteFilePath();
    if (DocumentSession* open = m_sessions.findFile(absolute)) {
        m_sessions.area().setActiveSubWindow(open->windows().front());
        return open;
    }
    OpenResult result = OpenResult::Opened;
    DocumentSession* session = OpenFile(absolute, true, result);
    if (session)
        AddToRecentFiles(absolute);
    else if (result == OpenResult::ReadFailed && m_settings.RecentFiles().Remove(path))
        m_settings.SaveRecentFiles();
    return session;
}

DocumentSession* DocumentFlows::OpenCopy(const QString& path, const QString& title) {
    OpenResult result = OpenResult::Opened;
    DocumentSession* session = OpenFile(QFileInfo(path).absoluteFilePath(), false, result);
    if (session)
        session->setTitle(title);
    return session;
}

DocumentSession* DocumentFlows::OpenFile(const QString& absolutePath, bool keepPath, OpenResult& result) {
    auto doc = std::make_unique<SystemDoc>(m_settings.MidiChannel());
    doc->SetPrompter(&m_prompter);
    OpenDetails details;
    result = OpenDumpFile(*doc, QDir::toNativeSeparators(absolutePath).toStdString(), m_files, m_prompter,
                          true, details);
    if (result != OpenResult::Opened) {
        ShowOpenFailure(result == OpenResult::ReadFailed ? details.error : std::string());
        return nullptr;
    }
    if (!keepPath)
        doc->SetPathName(std::string());
    const SystemDoc::State opened = doc->SaveState();
    DocumentSession& session = m_sessions.add(std::move(doc));
    // The repair is a step of its own, so undo takes the document back to the file as stored.
    if (details.repaired)
        session.undoStack().push(new DocStep(session.undoStack(), session.doc(), *details.asStored, opened,
                                             HintConfig, 0, QStringLiteral("Repair Transmit Length")));
    if (!keepPath)
        session.markUnsaved();
    m_sessions.openWindow(session, DocTemplate::Kind::SystemDump);
    return &session;
}

void DocumentFlows::ShowOpenFailure(const std::string& error) {
    std::string text = kOpenFailedText;
    if (!error.empty())
        text += "\n" + error;
    m_prompter.Message(text, kAppTitle, Prompter::Icon::Exclamation);
}

DocumentSession* DocumentFlows::OpenReceived(const std::vector<uint8_t>& bytes) {
    DocumentSession& session = m_sessions.add(std::make_unique<SystemDoc>(m_settings.MidiChannel()));
    session.doc().OnNewDocument();
    session.setTitle(m_sessions.nextUntitledTitle());
    session.doc().ParseDump(bytes);
    session.doc().SetModifiedFlag(true);
    // Nothing matches a file until the dump is saved.
    session.markUnsaved();
    RefreshDataWindow(m_sessions.openWindow(session, DocTemplate::Kind::SystemDump));
    return &session;
}

void DocumentFlows::AddToRecentFiles(const QString& path) {
    m_settings.SetLastFolder(QDir::toNativeSeparators(QFileInfo(path).absolutePath()));
    m_settings.RecentFiles().Add(QDir::toNativeSeparators(path));
    m_settings.SaveRecentFiles();
    emit recentFilesChanged();
}

bool DocumentFlows::Save(DocumentSession& session, bool saveAs) {
    if (!FinishConfigEdits(session))
        return false;
    const DocTemplate& dumps = m_sessions.docTemplate(DocTemplate::Kind::SystemDump);
    QString path = session.path();
    if (saveAs || path.isEmpty()) {
        QString start = path;
        if (start.isEmpty()) {
            start = session.title() + dumps.docString(DocTemplate::FilterExt);
            if (!m_settings.LastFolder().isEmpty())
                start = QDir(m_settings.LastFolder()).filePath(start);
        }
        path = m_seams.chooseSave(m_seams.dialogParent, QStringLiteral("Save As"), start, dumps.fileFilter());
        if (path.isEmpty())
            return false;
        if (QFileInfo(path).suffix().isEmpty()) {
            path += dumps.docString(DocTemplate::FilterExt);
            // The name the user confirmed was without the extension: ask about this one.
            if (QFileInfo::exists(path) &&
                !m_prompter.AskYesNo(QStringLiteral("%1 already exists.\nDo you want to replace it?")
                                         .arg(QDir::toNativeSeparators(path))
                                         .toStdString(),
                                     "Save As", Prompter::Icon::Exclamation))
                return false;
        }
    }
    const QString native = QDir::toNativeSeparators(path);
    std::string error;
    const SaveResult result = SaveDumpFile(session.doc(), native.toStdString(), m_files, m_prompter,
                                           m_settings.RecycleFiles(), &error);
    if (result == SaveResult::Cancelled)
        return false;
    if (result == SaveResult::Failed) {
        std::string text = kSaveFailedText;
        if (!error.empty())
            text += "\n" + error;
        m_prompter.Message(text, kAppTitle, Prompter::Icon::Exclamation);
        return false;
    }
    session.markSaved();
    session.setPath(native);
    AddToRecentFiles(QFileInfo(path).absoluteFilePath());
    emit statusMessage(QStringLiteral("Saved %1").arg(native));
    return true;
}

bool DocumentFlows::SaveModified(DocumentSession& session) {
    if (!session.isModified())
        return true;
    switch (m_seams.askSaveChanges(QStringLiteral("Save changes to %1?").arg(session.title()))) {
    case QMessageBox::Yes:
        return Save(session, false);
    case QMessageBox::No:
        return true;
    default:
        return false;
    }
}

bool DocumentFlows::FinishConfigEdit(CChildFrame& frame) {
    auto* view = qobject_cast<PropSheetFormView*>(frame.widget());
    auto* page = view && view->sheet() ? qobject_cast<ConfigPage*>(view->sheet()->configPage()) : nullptr;
    if (!page || !page->isEditing())
        return true;
    switch (m_seams.askApplyConfig(QString::fromLatin1(kApplyConfigText))) {
    case QMessageBox::Yes:
        page->toggleEdit(true); // a failed check shows its message and keeps the page editing
        return !page->isEditing();
    case QMessageBox::No:
        page->toggleEdit(false);
        return true;
    default:
        return false;
    }
}

bool DocumentFlows::FinishConfigEdits(const DocumentSession& session) {
    for (CChildFrame* frame : session.windows())
        if (!FinishConfigEdit(*frame))
            return false;
    return true;
}

bool DocumentFlows::MayCloseWindow(CChildFrame& frame) {
    // The window goes whatever else is open on the document: its unfinished edit is asked about.
    if (!FinishConfigEdit(frame))
        return false;
    DocumentSession* session = frame.session();
    if (!session || session->windows().size() > 1)
        return true;
    return SaveModified(*session);
}

bool DocumentFlows::Close(DocumentSession& session, bool ask) {
    if (ask && (!FinishConfigEdits(session) || !SaveModified(session)))
        return false;
    // Closing a window takes it off the session's list.
    const std::vector<CChildFrame*> windows = session.windows();
    for (CChildFrame* frame : windows)
        frame->closeWithoutAsking();
    return true;
}

bool DocumentFlows::CloseAll(bool ask) {
    const std::vector<DocumentSession*> open = m_sessions.open();
    if (ask) {
        for (DocumentSession* session : open)
            if (!FinishConfigEdits(*session) || !SaveModified(*session))
                return false;
    }
    for (DocumentSession* session : open)
        Close(*session, false);
    return true;
}
