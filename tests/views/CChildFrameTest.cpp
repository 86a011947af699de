// The child frame's title: the composed text as data rows, and the numbering and modified mark of
// the frames of one document as windows come and go.
#include "views/CChildFrame.h"
#include "dump/SystemDoc.h"

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

// A document in an MDI area with a data frame and a hex frame.
class CChildFrameTest : public ::testing::Test {
protected:
    CChildFrameTest() { doc.SetTitle("T"); }

    CChildFrame* addFrame(ZIVBackupDoc& d, const QString& suffix = {}) {
        auto* frame = new CChildFrame(d);
        frame->setTitleSuffix(suffix);
        area.addSubWindow(frame);
        frame->show();
        return frame;
    }

    static void expectTitle(const CChildFrame* frame, const char* title) {
        EXPECT_EQ(frame->frameTitle(), QString::fromUtf8(title));
        EXPECT_EQ(frame->windowTitle(), QString::fromUtf8(title));
    }

    QMdiArea area;
    SystemDoc doc;
};

TEST_F(CChildFrameTest, OneFrameHasNoNumberAndAnEmptySuffix) {
    CChildFrame* data = addFrame(doc);
    EXPECT_TRUE(data->titleSuffix().isEmpty());
    EXPECT_EQ(data->windowNumber(), 0);
    expectTitle(data, "T");
    doc.SetModifiedFlag(true);
    expectTitle(data, "T*");
}

TEST_F(CChildFrameTest, DataAndHexFramesAreNumberedAndMarkedModified) {
    CChildFrame* data = addFrame(doc);
    CChildFrame* hex = addFrame(doc, QStringLiteral(" (Hex View)"));
    expectTitle(data, "T:1");
    expectTitle(hex, "T:2 (Hex View)");

    doc.SetModifiedFlag(true);
    expectTitle(data, "T:1*");
    expectTitle(hex, "T:2 (Hex View)*");

    doc.SetModifiedFlag(false);
    expectTitle(data, "T:1");
    expectTitle(hex, "T:2 (Hex View)");
}

TEST_F(CChildFrameTest, ClosingAFrameRenumbersTheRest) {
    doc.SetModifiedFlag(true);
    CChildFrame* data = addFrame(doc);
    QPointer<CChildFrame> hex = addFrame(doc, QStringLiteral(" (Hex View)"));
    CChildFrame* third = addFrame(doc);
    EXPECT_EQ(third->windowNumber(), 3);

    third->close(); // deleted later, renumbered now
    EXPECT_EQ(data->windowNumber(), 1);
    expectTitle(data, "T:1*");
    expectTitle(hex, "T:2 (Hex View)*");

    hex->close();
    expectTitle(data, "T*");
    EXPECT_EQ(CChildFrame::framesOf(doc), std::vector<CChildFrame*>{data});
    QCoreApplication::sendPostedEvents(nullptr, QEvent::DeferredDelete);
    EXPECT_TRUE(hex.isNull());
    EXPECT_EQ(area.subWindowList().size(), 1);

    doc.SetModifiedFlag(false);
    expectTitle(data, "T");
}

// A view that refuses to close (say, the user cancelled a save) keeps its frame numbered.
class StubbornView : public QWidget {
protected:
    void closeEvent(QCloseEvent* event) override { event->ignore(); }
};

TEST_F(CChildFrameTest, RefusedCloseKeepsTheNumber) {
    CChildFrame* data = addFrame(doc);
    CChildFrame* hex = addFrame(doc, QStringLiteral(" (Hex View)"));
    hex->setWidget(new StubbornView);
    EXPECT_FALSE(hex->close());
    expectTitle(data, "T:1");
    expectTitle(hex, "T:2 (Hex View)");
    EXPECT_EQ(CChildFrame::framesOf(doc).size(), 2u);
}

TEST_F(CChildFrameTest, FramesOfAnotherDocumentAreNotTouched) {
    SystemDoc other;
    other.SetTitle("U");
    CChildFrame* otherFrame = addFrame(other);
    CChildFrame* data = addFrame(doc);
    CChildFrame* hex = addFrame(doc, QStringLiteral(" (Hex View)"));
    expectTitle(otherFrame, "U");

    doc.SetModifiedFlag(true);
    expectTitle(otherFrame, "U");
    delete hex;
    expectTitle(data, "T*");
    expectTitle(otherFrame, "U");

    other.SetModifiedFlag(true);
    expectTitle(otherFrame, "U*");
    expectTitle(data, "T*");
}

TEST_F(CChildFrameTest, TitleChangeShowsAfterUpdateFrameTitles) {
    CChildFrame* data = addFrame(doc);
    CChildFrame* hex = addFrame(doc, QStringLiteral(" (Hex View)"));
    doc.SetPathName("/tmp/Saved.syx");
    CChildFrame::updateFrameTitles(doc);
    expectTitle(data, "Saved.syx:1");
    expectTitle(hex, "Saved.syx:2 (Hex View)");
}

// Qt reads "[*]" in a window title as its modified placeholder; a file name holding it must
// still show as written.
TEST(CChildFrameShownTitle, KeepsAPlaceholderLikeFileName) {
    SystemDoc doc;
    doc.SetTitle("a[*]b.syx");
    CChildFrame frame(doc);
    frame.setAttribute(Qt::WA_DeleteOnClose, false);
    doc.SetModifiedFlag(true);
    frame.show(); // top level, so the platform window carries the shown title
    ASSERT_NE(frame.windowHandle(), nullptr);
    EXPECT_EQ(frame.windowHandle()->title(), QStringLiteral("a[*]b.syx*"));
    EXPECT_EQ(frame.frameTitle(), QStringLiteral("a[*]b.syx*"));
}

} // namespace
