// The document session: its modified mark has one source, the undo stack's clean state, and it
// lets the document go only once its last window is gone with the views inside.
#include "views/DocumentSession.h"

#include "dump/SystemDoc.h"
#include "views/CChildFrame.h"
#include "widgets/EditStep.h"

#include "support/FakeShell.h"

#include <gtest/gtest.h>

#include <QCoreApplication>
#include <QMdiArea>
#include <QSignalSpy>

#include <functional>

namespace {

// An edit as the pages make it: the change through the model, then one step on the stack.
void Edit(DocumentSession& session, int patch) {
    class SessionShell : public FakeShell {
    public:
        explicit SessionShell(DocumentSession& s) : m_session(s) {}
        DocUndoStack* undoStack(SystemDoc&) override { return &m_session.undoStack(); }

    private:
        DocumentSession& m_session;
    } shell(session);
    EditStep step(shell, session.doc());
    ASSERT_TRUE(session.doc().InsertPatch(patch, false));
    ASSERT_TRUE(step.commit(QStringLiteral("Insert Patch %1").arg(patch), HintPatches, patch));
}

TEST(DocumentSession, TheModifiedMarkFollowsTheUndoStackAlone) {
    struct Row {
        const char* label;
        std::function<void(DocumentSession&)> act;
        bool modified;
    };
    const Row rows[] = {
        {"made", [](DocumentSession&) {}, false},
        {"edited", [](DocumentSession& s) { Edit(s, 1); }, true},
        {"undone back to the start", [](DocumentSession& s) { s.undoStack().undo(); }, false},
        {"redone", [](DocumentSession& s) { s.undoStack().redo(); }, true},
        {"saved", [](DocumentSession& s) { s.markSaved(); }, false},
        {"undone past the save", [](DocumentSession& s) { s.undoStack().undo(); }, true},
        {"redone to the save", [](DocumentSession& s) { s.undoStack().redo(); }, false},
        // The model's own flag says nothing about the mark.
        {"model flag set", [](DocumentSession& s) { s.doc().SetModifiedFlag(true); }, false},
        {"never in a file (a download)", [](DocumentSession& s) { s.markUnsaved(); }, true},
        {"then edited and undone", [](DocumentSession& s) {
             Edit(s, 2);
             s.undoStack().undo();
         }, true},
    };
    DocumentSession session(std::make_unique<SystemDoc>());
    QSignalSpy changes(&session, &DocumentSession::modifiedChanged);
    bool shown = false;
    for (const Row& row : rows) {
        SCOPED_TRACE(row.label);
        row.act(session);
        EXPECT_EQ(session.isModified(), row.modified);
        if (!changes.isEmpty())
            shown = changes.takeLast().at(0).toBool();
        EXPECT_EQ(shown, row.modified) << "the windows hear of every change of the mark";
    }
}

TEST(DocumentSession, TheLastWindowGoesWithItsViewsBeforeTheDocumentMay) {
    DocumentSession session(std::make_unique<SystemDoc>());
    QSignalSpy last(&session, &DocumentSession::lastWindowClosed);
    QMdiArea area;
    auto* first = new CChildFrame(session);
    auto* second = new CChildFrame(session);
    area.addSubWindow(first);
    area.addSubWindow(second);
    EXPECT_EQ(session.windowNumber(second), 2);

    first->close();
    EXPECT_EQ(session.windows(), std::vector<CChildFrame*>{second});
    EXPECT_EQ(session.windowNumber(second), 0) << "renumbered as soon as the other closed";
    second->close();
    EXPECT_TRUE(session.windows().empty());
    EXPECT_EQ(last.count(), 0) << "the frames and their views still exist";
    QCoreApplication::sendPostedEvents(nullptr, QEvent::DeferredDelete);
    EXPECT_EQ(last.count(), 1);
    EXPECT_EQ(session.liveWindowCount(), 0);
}

} // namespace
