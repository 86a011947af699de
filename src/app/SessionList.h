#pragma once

#include "app/DocTemplate.h"

#include <QObject>
#include <QUndoGroup>

#include <map>
#include <memory>
#include <vector>

class CChildFrame;
class CMDIClientWnd;
class DocumentSession;
class HexView;
class Prompter;
class PropSheetFormView;
class SystemDoc;

// The open documents, one DocumentSession each, and the client area their windows live in. It
// makes the windows from the document templates, knows the active window and its session, keeps
// the undo group on the active window's stack, and lets a session go once its last window is
// gone.
//
// User-interface thread only. The client area and the prompter outlive the list.
class SessionList : public QObject {
    Q_OBJECT
public:
    SessionList(CMDIClientWnd& area, Prompter& prompter, QObject* parent = nullptr);
    ~SessionList() override;

    CMDIClientWnd& area() const { return m_area; }
    void setTemplate(DocTemplate::Kind kind, std::unique_ptr<DocTemplate> docTemplate);
    const DocTemplate& docTemplate(DocTemplate::Kind kind) const;
    // "RIV 10 System Dump1", "RIV 10 System Dump2", ... for new and received dumps.
    QString nextUntitledTitle();

    // A new session on the document; it has no window yet.
    DocumentSession& add(std::unique_ptr<SystemDoc> doc);
    // The sessions still showing a window, oldest first (a closing document is as good as gone).
    std::vector<DocumentSession*> open() const;
    DocumentSession* find(const SystemDoc* doc) const;
    // The open session of a file, by its absolute path; null when none.
    DocumentSession* findFile(const QString& absolutePath) const;
    bool contains(const DocumentSession* session) const;

    // A new window on the session, made active.
    CChildFrame* openWindow(DocumentSession& session, DocTemplate::Kind kind);

    // The active document window, its session and its view (null when there is none of that kind).
    CChildFrame* activeFrame() const;
    DocumentSession* active() const;
    PropSheetFormView* activeDataView() const;
    HexView* activeHexView() const;
    // The kind of the active window (a data window when there is none).
    DocTemplate::Kind activeKind() const;

    // Undo and Redo act on the active window's stack.
    QUndoGroup& undoGroup() { return m_undoGroup; }

    // Every window of every session asks for this to decide whether it may close.
    using CloseGuard = std::function<bool(CChildFrame&)>;
    void setCloseGuard(CloseGuard guard);

    // Brings a record of the session forward: its page in the active window when that shows the
    // session's data, else in its first data window.
    void reveal(DocumentSession& session, int hint, int number);

signals:
    // A session was made (by add), before it has a window.
    void sessionAdded(DocumentSession* session);
    // A document was added, closed or renamed, or a window came or went.
    void sessionsChanged();
    // Something the command states depend on changed inside a window (focus, selection).
    void commandStatesChanged();

private:
    void activeWindowChanged();
    void release(DocumentSession* session);

    CMDIClientWnd& m_area;
    Prompter& m_prompter;
    std::map<DocTemplate::Kind, std::unique_ptr<DocTemplate>> m_templates;
    std::vector<std::unique_ptr<DocumentSession>> m_sessions;
    QUndoGroup m_undoGroup;
    CloseGuard m_closeGuard;
    int m_untitledCount = 0;
};
