// The application's documents: new, open, save, close, and their windows.

#include "app/ZIVBackupApp.h"

#include "app/CMDIClientWnd.h"
#include "app/CMainFrame.h"
#include "app/DOptions.h"
#include "dump/DumpFileFlow.h"
#include "dump/Prompter.h"
#include "dump/SystemDoc.h"
#include "editors/ConfigPage.h"
#include "settings/Settings.h"
#include "views/CChildFrame.h"
#include "views/PropSheetFormView.h"
#include "views/ZIVPropSheet.h"
#include "widgets/DocStep.h"
#include "widgets/DocUndoStack.h"

#include <QDir>
#include <QFile>
#include <QFileInfo>
#include <QMdiArea>
#include <QTimer>

#include <algorithm>

namespace {

QString Native(const std::string& path) {
    return QString::fromStdString(path);
}

} // namespace

std::vector<SystemDoc*> ZIVBackupApp::Documents() const {
    std::vector<SystemDoc*> docs;
    for (const auto& doc : m_documents)
        docs.push_back(doc.get());
    return docs;
}

bool ZIVBackupApp::IsOpen(const SystemDoc* doc) const {
    return std::any_of(m_documents.begin(), m_documents.end(),
                       [doc](const auto& own) { return own.get() == doc; });
}

SystemDoc* ZIVBackupApp::AddDocument(std::unique_ptr<SystemDoc> doc) {
    doc->SetPrompter(m_prompter);
    auto stack = std::make_unique<DocUndoStack>(*doc);
    if (m_mainFrame)
        connect(stack.get(), &QUndoStack::indexChanged, m_mainFrame.get(), &CMainFrame::UpdateUndoActions);
    m_undoStacks[doc.get()] = std::move(stack);
    m_documents.push_back(std::move(doc));
    return m_documents.back().get();
}

DocUndoStack* ZIVBackupApp::UndoStack(const SystemDoc& doc) const {
    const auto found = m_undoStacks.find(&doc);
    return found == m_undoStacks.end() ? nullptr : found->second.get();
}

void ZIVBackupApp::RecordOpenRepair(SystemDoc& doc, const QString& path) {
    DocUndoStack* stack = UndoStack(doc);
    QFile file(path);
    if (!stack || !m_mainFrame || !file.open(QIODevice::ReadOnly))
        return;
    const QByteArray bytes = file.read(SystemDoc::kMaxFileBytes);
    const SystemDoc asStored(reinterpret_cast<const uint8_t*>(bytes.constData()), static_cast<size_t>(bytes.size()));
    stack->push(new DocStep(*m_mainFrame, doc, asStored.SaveState(), doc.SaveState(), HintConfig, 0,
                            QStringLiteral("Repair Transmit Length")));
}

CChildFrame* ZIVBackupApp::OpenWindow(SystemDoc& doc, DocTemplate::Kind kind) {
    const DocTemplate& docTemplate = kind == DocTemplate::Kind::HexDump ? *m_hexTemplate : *m_systemTemplate;
    CChildFrame* frame = docTemplate.createFrame(doc, m_mainFrame->Client());
    // The document goes when its last window is gone (not merely closed: the views inside are
    // deleted later and still follow it until then).
    connect(frame, &QObject::destroyed, this, [this] {
        if (!m_reapQueued) {
            m_reapQueued = true;
            QTimer::singleShot(0, this, [this] { ReapClosedDocuments(); });
        }
    });
    m_mainFrame->Client().setActiveSubWindow(frame);
    emit documentsChanged();
    return frame;
}

void ZIVBackupApp::ReapClosedDocuments() {
    m_reapQueued = false;
    auto hasWindow = [this](const SystemDoc* doc) {
        const auto windows =
            m_mainFrame ? m_mainFrame->Client().findChildren<CChildFrame*>() : QList<CChildFrame*>();
        return std::any_of(windows.begin(), windows.end(),
                           [doc](CChildFrame* f) { return &f->doc() == doc; });
    };
    const auto before = m_documents.size();
    for (auto it = m_undoStacks.begin(); it != m_undoStacks.end();)
        it = hasWindow(it->first) ? std::next(it) : m_undoStacks.erase(it);
    m_documents.erase(
        std::remove_if(m_documents.begin(), m_documents.end(),
                       [&](const std::unique_ptr<SystemDoc>& doc) { return !hasWindow(doc.get()); }),
        m_documents.end());
    if (m_documents.size() != before)
        emit documentsChanged();
}

CChildFrame* ZIVBackupApp::FirstFrameOf(const SystemDoc& doc) const {
    const auto frames = CChildFrame::framesOf(doc);
    return frames.empty() ? nullptr : frames.front();
}

SystemDoc* ZIVBackupApp::OnFileNew() {
    auto created = std::make_unique<SystemDoc>(AppSettings().MidiChannel());
    SystemDoc* doc = AddDocument(std::move(created));
    doc->OnNewDocument();
    doc->SetTitle(m_systemTemplate->untitledTitle(++m_untitledCount).toStdString());
    CChildFrame* frame = OpenWindow(*doc, DocTemplate::Kind::SystemDump);
    if (auto* view = qobject_cast<PropSheetFormView*>(frame->widget()))
        view->requestRefresh();
    return doc;
}

void ZIVBackupApp::OnFileOpen() {
    const QString path = m_chooseOpen(m_mainFrame.get(), QStringLiteral("Open"), AppSettings().LastFolder(),
                                      m_systemTemplate->fileFilter() + QStringLiteral(";;All Files (*)"));
    if (!path.isEmpty())
        OpenDocumentFile(path);
}

SystemDoc* ZIVBackupApp::OpenDocumentFile(const QString& path) {
    const QString absolute = QFileInfo(path).absoluteFilePath();
    for (const auto& open : m_documents) {
        // A document whose windows are closing is as good as gone.
        CChildFrame* frame = FirstFrameOf(*open);
        if (frame && !open->GetPathName().empty() &&
            QFileInfo(Native(open->GetPathName())).absoluteFilePath() == absolute) {
            m_mainFrame->Client().setActiveSubWindow(frame);
            return open.get();
        }
    }
    auto doc = std::make_unique<SystemDoc>(AppSettings().MidiChannel());
    doc->SetPrompter(m_prompter);
    std::string error;
    int checkCode = DumpOk;
    const OpenResult result = OpenDumpFile(*doc, QDir::toNativeSeparators(absolute).toStdString(), *m_files,
                                           *m_prompter, true, &checkCode, &error);
    if (result != OpenResult::Opened) {
        std::string text = kOpenFailedText;
        if (!error.empty())
            text += "\n" + error;
        m_prompter->Message(text, kAppTitle, Prompter::Icon::Exclamation);
        if (result == OpenResult::ReadFailed && AppSettings().RecentFiles().Remove(path))
            AppSettings().SaveRecentFiles();
        return nullptr;
    }
    SystemDoc* opened = AddDocument(std::move(doc));
    if (checkCode == DumpBadTransmitLength && opened->IsModified())
        RecordOpenRepair(*opened, absolute);
    OpenWindow(*opened, DocTemplate::Kind::SystemDump);
    AddToRecentFiles(absolute);
    return opened;
}

void ZIVBackupApp::AddToRecentFiles(const QString& path) {
    Settings& settings = AppSettings();
    settings.SetLastFolder(QDir::toNativeSeparators(QFileInfo(path).absolutePath()));
    settings.RecentFiles().Add(QDir::toNativeSeparators(path));
    settings.SaveRecentFiles();
    emit documentsChanged();
}

bool ZIVBackupApp::SaveDocument(SystemDoc& doc, bool saveAs) {
    if (!FinishConfigEdits(doc))
        return false;
    QString path = Native(doc.GetPathName());
    if (saveAs || path.isEmpty()) {
        QString start = path;
        if (start.isEmpty()) {
            start = Native(doc.GetTitle()) + m_systemTemplate->docString(DocTemplate::FilterExt);
            if (!AppSettings().LastFolder().isEmpty())
                start = QDir(AppSettings().LastFolder()).filePath(start);
        }
        path =
            m_chooseSave(m_mainFrame.get(), QStringLiteral("Save As"), start, m_systemTemplate->fileFilter());
        if (path.isEmpty())
            return false;
        if (QFileInfo(path).suffix().isEmpty()) {
            path += m_systemTemplate->docString(DocTemplate::FilterExt);
            // The name the user confirmed was without the extension: ask about this one.
            if (QFileInfo::exists(path) &&
                !m_prompter->AskYesNo(QStringLiteral("%1 already exists.\nDo you want to replace it?")
                                          .arg(QDir::toNativeSeparators(path))
                                          .toStdString(),
                                      "Save As", Prompter::Icon::Exclamation))
                return false;
        }
    }
    std::string error;
    const SaveResult result = SaveDumpFile(doc, QDir::toNativeSeparators(path).toStdString(), *m_files,
                                           *m_prompter, AppSettings().RecycleFiles(), &error);
    if (result == SaveResult::Cancelled)
        return false;
    if (result == SaveResult::Failed) {
        std::string text = kSaveFailedText;
        if (!error.empty())
            text += "\n" + error;
        m_prompter->Message(text, kAppTitle, Prompter::Icon::Exclamation);
        return false;
    }
    if (DocUndoStack* stack = UndoStack(doc))
        stack->markSaved();
    CChildFrame::updateFrameTitles(doc);
    AddToRecentFiles(QFileInfo(path).absoluteFilePath());
    return true;
}

bool ZIVBackupApp::SaveModified(SystemDoc& doc) {
    if (!doc.IsModified())
        return true;
    const QString text = QStringLiteral("Save changes to %1?").arg(Native(doc.GetTitle()));
    switch (m_askSaveChanges(text)) {
    case QMessageBox::Yes:
        return SaveDocument(doc, false);
    case QMessageBox::No:
        return true;
    default:
        return false;
    }
}

bool ZIVBackupApp::FinishConfigEdit(CChildFrame& frame) {
    auto* view = qobject_cast<PropSheetFormView*>(frame.widget());
    auto* page = view && view->sheet() ? qobject_cast<ConfigPage*>(view->sheet()->configPage()) : nullptr;
    if (!page || !page->isEditing())
        return true;
    switch (m_askApplyConfig(QString::fromLatin1(kApplyConfigText))) {
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

bool ZIVBackupApp::FinishConfigEdits(const SystemDoc& doc) {
    for (CChildFrame* frame : CChildFrame::framesOf(doc))
        if (!FinishConfigEdit(*frame))
            return false;
    return true;
}

bool ZIVBackupApp::CanCloseFrame(CChildFrame& frame) {
    // The window goes whatever else is open on the document: its unfinished edit is asked about.
    if (!FinishConfigEdit(frame))
        return false;
    auto* doc = dynamic_cast<SystemDoc*>(&frame.doc());
    if (!doc || CChildFrame::framesOf(*doc).size() > 1)
        return true;
    return SaveModified(*doc);
}

bool ZIVBackupApp::CloseDocument(SystemDoc& doc, bool ask) {
    if (ask && (!FinishConfigEdits(doc) || !SaveModified(doc)))
        return false;
    for (CChildFrame* frame : CChildFrame::framesOf(doc))
        frame->closeWithoutAsking();
    return true;
}

bool ZIVBackupApp::CloseAllDocuments(bool ask) {
    // Every modified document is offered for saving before any window closes, so a Cancel
    // halfway leaves everything open.
    std::vector<SystemDoc*> open;
    for (SystemDoc* doc : Documents()) {
        if (!CChildFrame::framesOf(*doc).empty())
            open.push_back(doc);
    }
    if (ask) {
        for (SystemDoc* doc : open) {
            if (!FinishConfigEdits(*doc) || !SaveModified(*doc))
                return false;
        }
    }
    for (SystemDoc* doc : open)
        CloseDocument(*doc, false);
    return true;
}
