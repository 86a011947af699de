#include "app/SessionRecovery.h"

#include "app/RecoveryDialog.h"
#include "app/SessionList.h"
#include "dump/Prompter.h"
#include "dump/SystemDoc.h"
#include "fileops/DumpImageFile.h"
#include "fileops/RecoveryKeeper.h"
#include "views/DocumentSession.h"

#include <utility>

namespace {
RecoveryKeeper::Source SnapshotOf(DocumentSession& session) {
    // The keeper lives inside the session, so the session outlives every call.
    return [&session] {
        return RecoveryKeeper::Snapshot{session.doc().BuildImage(), session.path(), session.title()};
    };
}
} // namespace

SessionRecovery::SessionRecovery(SessionList& sessions, const QString& folder, QObject* parent)
    : QObject(parent), m_sessions(sessions), m_store(std::make_unique<RecoveryStore>(folder)) {
    connect(&m_sessions, &SessionList::sessionAdded, this, &SessionRecovery::Attach);
}

SessionRecovery::~SessionRecovery() = default;

bool SessionRecovery::Open(QString& error) {
    return m_store->Open(error);
}

RecoveryKeeper* SessionRecovery::KeeperOf(const DocumentSession& session) {
    return session.findChild<RecoveryKeeper*>(QString(), Qt::FindDirectChildrenOnly);
}

void SessionRecovery::Attach(DocumentSession* session) {
    if (m_reopening || !m_store->IsOpen())
        return;
    Watch(*session, new RecoveryKeeper(*m_store, SnapshotOf(*session), session));
}

void SessionRecovery::Watch(DocumentSession& session, RecoveryKeeper* keeper) {
    connect(&session, &DocumentSession::modifiedChanged, keeper, [keeper](bool modified) {
        if (modified)
            keeper->Changed();
        else
            keeper->Discard();
    });
    // Any change while modified, whether the model tells of it or only the stack moves.
    const auto changed = [&session, keeper] {
        if (session.isModified())
            keeper->Changed();
    };
    connect(&session, &DocumentSession::documentChanged, keeper, changed);
    connect(&session.undoStack(), &QUndoStack::indexChanged, keeper, changed);
    // Heard before the session's children go, so the keeper is still there. A session goes
    // once its windows are closed, which a modified one only is when its changes were given up.
    connect(&session, &QObject::destroyed, keeper, [keeper] { keeper->Discard(); });
    connect(keeper, &RecoveryKeeper::failed, this,
            [this](const QString& error) { emit failed(QString::fromLatin1(kWriteFailedText) + error); });
}

std::vector<DocumentSession*> SessionRecovery::RecoverOrphans(Prompter& prompter,
                                                              const DialogRunner& runDialog,
                                                              QWidget* dialogParent, int midiChannel) {
    std::vector<DocumentSession*> recovered;
    if (!m_store->IsOpen())
        return recovered;
    const RecoveryStore::Orphans orphans = m_store->ClaimOrphans();
    if (!orphans.entries.empty()) {
        RecoveryDialog dialog(orphans.entries, dialogParent);
        runDialog(dialog);
        switch (dialog.choice()) {
        case RecoveryDialog::Choice::Recover:
            for (const RecoveryStore::Entry& entry : orphans.entries)
                if (DocumentSession* session = Reopen(entry, midiChannel))
                    recovered.push_back(session);
            m_store->ReleaseClaims();
            break;
        case RecoveryDialog::Choice::Discard:
            m_store->DiscardClaimed();
            break;
        case RecoveryDialog::Choice::Cancel:
            m_store->ReleaseClaims();
            break;
        }
    } else {
        m_store->ReleaseClaims();
    }
    if (!orphans.setAside.empty())
        prompter.Message(RecoveryDialog::SetAsideText(orphans.setAside).toStdString(), "Tolvane",
                         Prompter::Icon::Exclamation);
    return recovered;
}

DocumentSession* SessionRecovery::Reopen(const RecoveryStore::Entry& entry, int midiChannel) {
    auto doc = std::make_unique<SystemDoc>(midiChannel);
    QString error;
    // The store read it once already; one that fails now stays where it is for the next start.
    if (!ParseDumpImage(*doc, entry.image, error))
        return nullptr;
    m_reopening = true;
    DocumentSession& session = m_sessions.add(std::move(doc));
    m_reopening = false;
    const RecoveryStore::Description& d = entry.description;
    // Save writes the file it came from; the title is the one it had.
    if (!d.path.isEmpty())
        session.setPath(d.path);
    session.setTitle(d.title);
    session.markUnsaved();
    // It carries on its entry, already on disk as it stands, with the time of its last change.
    Watch(session,
          new RecoveryKeeper(*m_store, SnapshotOf(session), m_store->Adopt(entry), d.changed, &session));
    m_sessions.openWindow(session, DocTemplate::Kind::SystemDump);
    return &session;
}

void SessionRecovery::RemoveAll() {
    m_store->RemoveAll();
    m_store->WaitForWrites();
}

void SessionRecovery::LetGo() {
    for (DocumentSession* session : m_sessions.open())
        if (RecoveryKeeper* keeper = KeeperOf(*session)) {
            keeper->Flush();
            delete keeper;
        }
    m_store->WaitForWrites();
}
