#pragma once

#include "dump/DocListener.h"
#include "widgets/DocUndoStack.h"

#include <QObject>
#include <QString>

#include <functional>
#include <memory>
#include <vector>

class CChildFrame;
class SystemDoc;

// One open document, and the one owner of everything about it: the dump model, its undo stack,
// the file it belongs to (path and title) and the windows that show it, in the order they were
// opened.
//
// The modified mark has one source, the undo stack's clean state: an edit, an undo or a redo
// away from the state last opened or saved marks it, coming back clears it, and a document that
// never was in a file (a download, a backup opened as a copy) is not clean until it is saved.
//
// The windows hear of the document through the signals below; the application decides, through
// the close guard, whether a window may go (for instance by offering to save the last one).
// User-interface thread only.
class DocumentSession : public QObject, private DocListener {
    Q_OBJECT
public:
    explicit DocumentSession(std::unique_ptr<SystemDoc> doc, QObject* parent = nullptr);
    ~DocumentSession() override;

    SystemDoc& doc() const { return *m_doc; }
    DocUndoStack& undoStack() { return m_undo; }
    const DocUndoStack& undoStack() const { return m_undo; }

    // The file the document was opened from or saved to; empty for an untitled one.
    QString path() const;
    // The file name, or the untitled name.
    QString title() const;
    // Records the file (and takes its name as the title).
    void setPath(const QString& path);
    void setTitle(const QString& title);

    bool isModified() const { return m_undo.isModified(); }
    // The document now matches its file.
    void markSaved() { m_undo.markSaved(); }
    // No state of the document matches a file (a download, a copy of a backup).
    void markUnsaved() { m_undo.markUnsaved(); }

    // The windows on the document, oldest first.
    const std::vector<CChildFrame*>& windows() const { return m_windows; }
    // 0 while the document has one window, else 1, 2, ... in the order they were opened.
    int windowNumber(const CChildFrame* window) const;
    // Called by the frames themselves as they are made and as they close.
    void addWindow(CChildFrame* window);
    void removeWindow(CChildFrame* window);
    // Windows made and not yet destroyed, closing ones included.
    int liveWindowCount() const { return static_cast<int>(m_live.size()); }

    // Asked before a window closes at the user's request; false keeps it open.
    using CloseGuard = std::function<bool(CChildFrame&)>;
    void setCloseGuard(CloseGuard guard) { m_closeGuard = std::move(guard); }
    bool mayClose(CChildFrame& window) const { return !m_closeGuard || m_closeGuard(window); }

signals:
    void modifiedChanged(bool modified);
    // The title (or the path) changed.
    void titleChanged();
    // A window came or went, so the window numbers may have changed.
    void windowsChanged();
    // The last window went (closed, and destroyed with the views inside): the document can go.
    // Delete the session later, not from a slot of this signal.
    void lastWindowClosed();
    // The dump changed (any edit, undo or redo), with the change's update hint.
    void documentChanged(int hint);
    // A step taken back or made again asks for its record to be shown.
    void revealRequested(int hint, int number);

private:
    void OnUpdate(ZIVBackupDoc& doc, DocListener* sender, int hint) override;
    void windowDestroyed(QObject* window);

    std::unique_ptr<SystemDoc> m_doc;
    DocUndoStack m_undo;
    std::vector<CChildFrame*> m_windows;
    std::vector<QObject*> m_live;
    CloseGuard m_closeGuard;
};
