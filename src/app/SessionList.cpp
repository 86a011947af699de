#include "app/SessionList.h"

#include "app/CMDIClientWnd.h"
#include "dump/SystemDoc.h"
#include "views/CChildFrame.h"
#include "views/DocumentSession.h"
#include "views/HexView.h"
#include "views/PedalboardView.h"
#include "views/PropSheetFormView.h"
#include "views/ZIVPropSheet.h"

#include <QFileInfo>

#include <algorithm>

SessionList::SessionList(CMDIClientWnd& area, Prompter& prompter, QObject* parent)
    : QObject(parent), m_area(area), m_prompter(prompter) {
    connect(&m_area, &QMdiArea::subWindowActivated, this, &SessionList::activeWindowChanged);
}

// The client area goes with the main window, before this list: the connection goes with it.
SessionList::~SessionList() = default;

void SessionList::setTemplate(DocTemplate::Kind kind, std::unique_ptr<DocTemplate> docTemplate) {
    m_templates[kind] = std::move(docTemplate);
}

const DocTemplate& SessionList::docTemplate(DocTemplate::Kind kind) const {
    return *m_templates.at(kind);
}

QString SessionList::nextUntitledTitle() {
    return docTemplate(DocTemplate::Kind::SystemDump).untitledTitle(++m_untitledCount);
}

DocumentSession& SessionList::add(std::unique_ptr<SystemDoc> doc) {
    doc->SetPrompter(&m_prompter);
    m_sessions.push_back(std::make_unique<DocumentSession>(std::move(doc)));
    DocumentSession* session = m_sessions.back().get();
    m_undoGroup.addStack(&session->undoStack());
    session->setCloseGuard(m_closeGuard);
    connect(session, &DocumentSession::revealRequested, this,
            [this, session](int hint, int number) { reveal(*session, hint, number); });
    connect(session, &DocumentSession::titleChanged, this, &SessionList::sessionsChanged);
    connect(session, &DocumentSession::windowsChanged, this, &SessionList::sessionsChanged);
    // Deleted later: the signal comes from the session itself.
    connect(
        session, &DocumentSession::lastWindowClosed, this, [this, session] { release(session); },
        Qt::QueuedConnection);
    emit sessionAdded(session);
    emit sessionsChanged();
    return *session;
}

void SessionList::release(DocumentSession* session) {
    const auto found = std::find_if(m_sessions.begin(), m_sessions.end(),
                                    [session](const auto& own) { return own.get() == session; });
    // A window opened on it again in the meantime keeps it.
    if (found == m_sessions.end() || session->liveWindowCount() > 0)
        return;
    m_undoGroup.removeStack(&session->undoStack());
    m_sessions.erase(found);
    emit sessionsChanged();
}

std::vector<DocumentSession*> SessionList::open() const {
    std::vector<DocumentSession*> sessions;
    for (const auto& session : m_sessions)
        if (!session->windows().empty())
            sessions.push_back(session.get());
    return sessions;
}

DocumentSession* SessionList::find(const SystemDoc* doc) const {
    for (const auto& session : m_sessions)
        if (&session->doc() == doc)
            return session.get();
    return nullptr;
}

DocumentSession* SessionList::findFile(const QString& absolutePath) const {
    for (DocumentSession* session : open())
        if (!session->path().isEmpty() && QFileInfo(session->path()).absoluteFilePath() == absolutePath)
            return session;
    return nullptr;
}

bool SessionList::contains(const DocumentSession* session) const {
    return std::any_of(m_sessions.begin(), m_sessions.end(),
                       [session](const auto& own) { return own.get() == session; });
}

CChildFrame* SessionList::openWindow(DocumentSession& session, DocTemplate::Kind kind) {
    CChildFrame* frame = docTemplate(kind).createFrame(session, m_area);
    m_area.setActiveSubWindow(frame);
    return frame;
}

void SessionList::setCloseGuard(CloseGuard guard) {
    m_closeGuard = std::move(guard);
    for (const auto& session : m_sessions)
        session->setCloseGuard(m_closeGuard);
}

CChildFrame* SessionList::activeFrame() const {
    return qobject_cast<CChildFrame*>(m_area.activeSubWindow());
}

DocumentSession* SessionList::active() const {
    CChildFrame* frame = activeFrame();
    return frame ? frame->session() : nullptr;
}

PropSheetFormView* SessionList::activeDataView() const {
    CChildFrame* frame = activeFrame();
    return frame ? qobject_cast<PropSheetFormView*>(frame->widget()) : nullptr;
}

HexView* SessionList::activeHexView() const {
    CChildFrame* frame = activeFrame();
    return frame ? qobject_cast<HexView*>(frame->widget()) : nullptr;
}

DocTemplate::Kind SessionList::activeKind() const {
    CChildFrame* frame = activeFrame();
    if (frame && qobject_cast<HexView*>(frame->widget()))
        return DocTemplate::Kind::HexDump;
    if (frame && qobject_cast<PedalboardView*>(frame->widget()))
        return DocTemplate::Kind::Pedalboard;
    return DocTemplate::Kind::SystemDump;
}

void SessionList::activeWindowChanged() {
    DocumentSession* session = active();
    m_undoGroup.setActiveStack(session ? &session->undoStack() : nullptr);
}

void SessionList::reveal(DocumentSession& session, int hint, int number) {
    CChildFrame* frame = activeFrame();
    if (!frame || frame->session() != &session || !qobject_cast<PropSheetFormView*>(frame->widget())) {
        frame = nullptr;
        for (CChildFrame* candidate : session.windows())
            if (qobject_cast<PropSheetFormView*>(candidate->widget())) {
                frame = candidate;
                break;
            }
    }
    if (!frame)
        return;
    if (frame != activeFrame())
        m_area.setActiveSubWindow(frame);
    if (auto* view = qobject_cast<PropSheetFormView*>(frame->widget()); view && view->sheet())
        view->sheet()->revealRecord(hint, number);
}
