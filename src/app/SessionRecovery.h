#pragma once

#include "fileops/RecoveryStore.h"

#include <QObject>
#include <QString>

#include <functional>
#include <memory>
#include <vector>

class DocumentSession;
class Prompter;
class QWidget;
class RecoveryDialog;
class RecoveryKeeper;
class SessionList;

// The unsaved changes of the open documents, kept in the recovery folder so that a crash or a
// power cut does not take them, and brought back at the next start.
//
// Every session the list makes gets a keeper: while the document is modified, each change is
// written within two seconds; the document becoming clean again (saved, or undone back to its
// saved state) and the document going (closed with its changes given up) take its entry away.
// A normal exit takes every entry of this editor away (RemoveAll). Downloads and copies of
// backups are modified from the start, so they are kept too.
//
// At start, before any document opens, RecoverOrphans asks about the entries that no running
// Tolvane owns and reopens them as they were at their last change.
//
// User-interface thread only. Make it right after the session list, before any session; the
// keepers live in their sessions, so the list may go first.
class SessionRecovery : public QObject {
    Q_OBJECT
public:
    static constexpr const char* kOpenFailedText = "Unsaved changes cannot be kept for recovery: ";
    static constexpr const char* kWriteFailedText = "The unsaved changes could not be kept for recovery: ";

    // Runs the question at start (modally, in the program).
    using DialogRunner = std::function<void(RecoveryDialog& dialog)>;

    SessionRecovery(SessionList& sessions, const QString& folder, QObject* parent = nullptr);
    ~SessionRecovery() override;

    // Makes the folder and takes this editor's lock; false with the reason in `error`, and then
    // nothing is kept.
    bool Open(QString& error);
    RecoveryStore& Store() const { return *m_store; }
    // The keeper of an open document; null when it has none.
    static RecoveryKeeper* KeeperOf(const DocumentSession& session);

    // The entries of editors that did not close: the set-aside ones named in a message, the
    // others offered in the dialog. Recover opens each as it was at its last change, modified,
    // with its file and title; Discard deletes them; Cancel leaves them for the next start.
    // Returns the documents recovered, oldest change first.
    std::vector<DocumentSession*> RecoverOrphans(Prompter& prompter, const DialogRunner& runDialog,
                                                 QWidget* dialogParent, int midiChannel);

    // A normal exit: every entry of this editor goes, and the writes are waited for.
    void RemoveAll();
    // The editor ends without a normal exit (its start failed, say after documents were
    // recovered): each entry is written as it stands and stays for the next start, however the
    // documents go afterwards.
    void LetGo();

signals:
    // A write failed; the text says so, for the status bar.
    void failed(const QString& text);

private:
    void Attach(DocumentSession* session);
    void Watch(DocumentSession& session, RecoveryKeeper* keeper);
    DocumentSession* Reopen(const RecoveryStore::Entry& entry, int midiChannel);

    SessionList& m_sessions;
    std::unique_ptr<RecoveryStore> m_store;
    // While a recovered document is being made: it carries on its old entry, not a new one.
    bool m_reopening = false;
};
