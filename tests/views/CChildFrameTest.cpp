// The child frame's title: the composed text as data rows, and the numbering and modified mark of
// the frames of one document session as windows come and go.
#include "views/CChildFrame.h"
#include "dump/SystemDoc.h"
#include "views/DocumentSession.h"

#include <gtest/gtest.h>

#include <QCloseEvent>
#include <QCoreApplication>
#include <QMdiArea>
#include <QPointer>
#include <QWindow>

#include <ostream>

// Readable failure output; QString lives in the global namespace, so this is found there.
static void PrintTo(const QString& text, std::ostream* os) {
    *os << '"' << text.toStdString() << '"';
}

namespace {

struct TitleRow {
    const char* docTitle;
    int number;
    const char* suffix;
    bool modified;
    const char* expected;
};

class ComposeTitle : public ::testing::TestWithParam<TitleRow> {};

TEST_P(ComposeTitle, ComposesTheExactText) {
    const TitleRow& row = GetParam();
    EXPECT_EQ(CChildFrame::composeTitle(QString::fromUtf8(row.docTitle), row.number,
                                        QString::fromUtf8(row.suffix), row.modified),
              QString::fromUtf8(row.expected));
}

INSTANTIATE_TEST_SUITE_P(CChildFrameTitle, ComposeTitle,
                         ::testing::Values(TitleRow{"T", 0, "", false, "T"}, TitleRow{"T", 0, "", true, "T*"},
                                           TitleRow{"T", 1, "", true, "T:1*"},
                                           TitleRow{"T", 2, " (Hex View)", true, "T:2 (Hex View)*"},
                                           TitleRow{"T", 2, " (Hex View)", false, "T:2 (Hex View)"},
                                           TitleRow{"T", 0, " (Hex View)", false, "T (Hex View)"},
                                           TitleRow{"T", 12, "", false, "T:12"},
                                           TitleRow{"T", -1, "", false, "T"}, TitleRow{"", 0, "", true, "*"},
                                           TitleRow{"Dump 1.syx", 1, "", false, "Dump 1.syx:1"},
                                           TitleRow{"a[*]b.syx", 0, "", false, "a[*]b.syx"}));

// The modified mark follows the session's undo stack: off the saved state, or back on it.
void SetModified(DocumentSession& session, bool modified) {
    if (modified)
        session.markUnsaved();
    else
        session.markSaved();
}

// A document in an MDI area with a data frame and a hex frame.
class CChildFrameTest : public ::testing::Test {
protected:
    CChildFrameTest() { session.setTitle(QStringLiteral("T")); }

    CChildFrame* addFrame(DocumentSession& s, const QString& suffix = {}) {
        auto* frame = new CChildFrame(s);
        frame->setTitleSuffix(suffix);
        area.addSubWindow(frame);
        frame->show();
        return frame;
    }

    static void expectTitle(const CChildFrame* frame, const char* title) {
        EXPECT_EQ(frame->frameTitle(), QString::fromUtf8(title));
        EXPECT_EQ(frame->windowTitle(), QString::fromUtf8(title));
    }

    DocumentSession session{std::make_unique<SystemDoc>()};
    QMdiArea area;
};

TEST_F(CChildFrameTest, OneFrameHasNoNumberAndAnEmptySuffix) {
    CChildFrame* data = addFrame(session);
    EXPECT_TRUE(data->titleSuffix().isEmpty());
    EXPECT_EQ(data->windowNumber(), 0);
    expectTitle(data, "T");
    SetModified(session, true);
    expectTitle(data, "T*");
}

TEST_F(CChildFrameTest, DataAndHexFramesAreNumberedAndMarkedModified) {
    CChildFrame* data = addFrame(session);
    CChildFrame* hex = addFrame(session, QStringLiteral(" (Hex View)"));
    expectTitle(data, "T:1");
    expectTitle(hex, "T:2 (Hex View)");

    SetModified(session, true);
    expectTitle(data, "T:1*");
    expectTitle(hex, "T:2 (Hex View)*");

    SetModified(session, false);
    expectTitle(data, "T:1");
    expectTitle(hex, "T:2 (Hex View)");
}

TEST_F(CChildFrameTest, ClosingAFrameRenumbersTheRest) {
    SetModified(session, true);
    CChildFrame* data = addFrame(session);
    QPointer<CChildFrame> hex = addFrame(session, QStringLiteral(" (Hex View)"));
    CChildFrame* third = addFrame(session);
    EXPECT_EQ(third->windowNumber(), 3);

    third->close(); // deleted later, renumbered now
    EXPECT_EQ(data->windowNumber(), 1);
    expectTitle(data, "T:1*");
    expectTitle(hex, "T:2 (Hex View)*");

    hex->close();
    expectTitle(data, "T*");
    EXPECT_EQ(session.windows(), std::vector<CChildFrame*>{data});
    QCoreApplication::sendPostedEvents(nullptr, QEvent::DeferredDelete);
    EXPECT_TRUE(hex.isNull());
    EXPECT_EQ(area.subWindowList().size(), 1);

    SetModified(session, false);
    expectTitle(data, "T");
}

// A view that refuses to close (say, the user cancelled a save) keeps its frame numbered.
class StubbornView : public QWidget {
protected:
    void closeEvent(QCloseEvent* event) override { event->ignore(); }
};

TEST_F(CChildFrameTest, RefusedCloseKeepsTheNumber) {
    CChildFrame* data = addFrame(session);
    CChildFrame* hex = addFrame(session, QStringLiteral(" (Hex View)"));
    hex->setWidget(new StubbornView);
    EXPECT_FALSE(hex->close());
    expectTitle(data, "T:1");
    expectTitle(hex, "T:2 (Hex View)");
    EXPECT_EQ(session.windows().size(), 2u);
}

TEST_F(CChildFrameTest, FramesOfAnotherDocumentAreNotTouched) {
    DocumentSession other(std::make_unique<SystemDoc>());
    other.setTitle(QStringLiteral("U"));
    CChildFrame* otherFrame = addFrame(other);
    CChildFrame* data = addFrame(session);
    CChildFrame* hex = addFrame(session, QStringLiteral(" (Hex View)"));
    expectTitle(otherFrame, "U");

    SetModified(session, true);
    expectTitle(otherFrame, "U");
    delete hex;
    expectTitle(data, "T*");
    expectTitle(otherFrame, "U");

    SetModified(other, true);
    expectTitle(otherFrame, "U*");
    expectTitle(data, "T*");
}

TEST_F(CChildFrameTest, TitleChangeShowsAtOnce) {
    CChildFrame* data = addFrame(session);
    CChildFrame* hex = addFrame(session, QStringLiteral(" (Hex View)"));
    session.setPath(QStringLiteral("/tmp/Saved.syx"));
    expectTitle(data, "Saved.syx:1");
    expectTitle(hex, "Saved.syx:2 (Hex View)");
}

// Qt reads "[*]" in a window title as its modified placeholder; a file name holding it must
// still show as written.
TEST(CChildFrameShownTitle, KeepsAPlaceholderLikeFileName) {
    DocumentSession session(std::make_unique<SystemDoc>());
    session.setTitle(QStringLiteral("a[*]b.syx"));
    CChildFrame frame(session);
    frame.setAttribute(Qt::WA_DeleteOnClose, false);
    SetModified(session, true);
    frame.show(); // top level, so the platform window carries the shown title
    ASSERT_NE(frame.windowHandle(), nullptr);
    EXPECT_EQ(frame.windowHandle()->title(), QStringLiteral("a[*]b.syx*"));
    EXPECT_EQ(frame.frameTitle(), QStringLiteral("a[*]b.syx*"));
}

} // namespace
