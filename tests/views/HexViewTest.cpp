// The hex view: its text against the hex listing, re-rendering on document changes and setting
// flips, the untouched modified flag, frame sizing and the context menu.
#include "views/HexView.h"
#include "dump/DocListener.h"
#include "dump/HexRender.h"
#include "dump/SystemDoc.h"
#include "views/HexViewSettings.h"

#include <gtest/gtest.h>

#include <QAction>
#include <QApplication>
#include <QClipboard>
#include <QMdiArea>
#include <QMdiSubWindow>
#include <QMenu>
#include <QSignalSpy>
#include <QTextBlock>
#include <QTextDocument>

#include <memory>
#include <ostream>

// Readable failure output; QString lives in the global namespace, so this is found there.
static void PrintTo(const QString& text, std::ostream* os) {
    *os << '"' << text.toStdString() << '"';
}

namespace {

class FakeHexSettings : public HexViewSettings {
public:
    FakeHexSettings(bool ascii = true, bool offset = true) : ascii(ascii), offset(offset) {}
    bool ShowAscii() const override { return ascii; }
    void SetShowAscii(bool on) override { ascii = on; }
    bool ShowOffset() const override { return offset; }
    void SetShowOffset(bool on) override { offset = on; }
    bool ascii;
    bool offset;
};

// Logs the modified flag each time the document reports a change of it.
class ModifiedLog : public DocListener {
public:
    std::vector<bool> changes;
    void OnModifiedChanged(ZIVBackupDoc& doc) override { changes.push_back(doc.IsModified()); }
};

QString Expected(const SystemDoc& doc, bool ascii, bool offset) {
    const std::vector<uint8_t> image = doc.BuildImage();
    return HexView::displayText(RenderHexDump(image.data(), image.size(), ascii, offset));
}

// The widget's lines as stored; toPlainText() would turn a no-break space (0xA0) into a blank.
QStringList Lines(const HexView& view) {
    QStringList lines;
    for (QTextBlock block = view.document()->begin(); block.isValid(); block = block.next())
        lines << block.text();
    return lines;
}

QString Shown(const HexView& view) {
    return Lines(view).join(QLatin1Char('\n'));
}

// --- text of the empty dump in every setting combination -----------------------------------

struct EmptyDumpRow {
    bool ascii;
    bool offset;
    int blocks; // lines of the widget, counting the empty one after a final line break
    const char* firstLine;
    const char* lastFilledLine;
};

class HexViewEmptyDump : public ::testing::TestWithParam<EmptyDumpRow> {};

TEST_P(HexViewEmptyDump, ShowsTheListingWithoutCarriageReturns) {
    const EmptyDumpRow row = GetParam();
    SystemDoc doc;
    FakeHexSettings settings(row.ascii, row.offset);
    HexView view(doc, settings);

    EXPECT_EQ(Shown(view), Expected(doc, row.ascii, row.offset));
    EXPECT_FALSE(view.toPlainText().contains(QLatin1Char('\r')));
    EXPECT_EQ(view.blockCount(), row.blocks);
    const QStringList lines = Lines(view);
    // Raw 8-bit characters: 0xF0 as Latin-1, 0x10 kept as it is, not "."
    EXPECT_EQ(lines.first(), QString::fromLatin1(row.firstLine));
    const QString lastFilled = lines.last().isEmpty() ? lines.at(lines.size() - 2) : lines.last();
    EXPECT_EQ(lastFilled, QString::fromLatin1(row.lastFilledLine));
}

INSTANTIATE_TEST_SUITE_P(
    Settings, HexViewEmptyDump,
    ::testing::Values(EmptyDumpRow{true, true, 17, "0000: F0 00 00 10 00 0E 41 00  |  \xF0 . . \x10 . . A .",
                                   "0080: 00 00 00 F7              |  . . . \xF7 "},
                      EmptyDumpRow{true, false, 17, "F0 00 00 10 00 0E 41 00  |  \xF0 . . \x10 . . A .",
                                   "00 00 00 F7              |  . . . \xF7 "},
                      EmptyDumpRow{false, true, 10, "0000: F0 00 00 10 00 0E 41 00 00 00 3C 00 00 00 00 00 ",
                                   "0080: 00 00 00 F7                                     "},
                      EmptyDumpRow{false, false, 10, "F0 00 00 10 00 0E 41 00 00 00 3C 00 00 00 00 00 ",
                                   "00 00 00 F7                                     "}));

// Every byte the character column shows raw survives the widget unchanged.
TEST(HexViewText, KeepsEveryRawByteOfTheCharacterColumn) {
    std::vector<uint8_t> bytes;
    for (int b = 0; b < 256; ++b)
        bytes.push_back(static_cast<uint8_t>(b));
    const QString shown = HexView::displayText(RenderHexDump(bytes.data(), bytes.size(), true, false));

    SystemDoc doc;
    FakeHexSettings settings;
    HexView view(doc, settings);
    view.setPlainText(shown);
    EXPECT_EQ(Shown(view), shown);
    const QStringList lines = Lines(view);
    ASSERT_EQ(lines.size(), 33); // 32 full lines and the empty one after the last line end
    for (int b = 0x10; b < 256; ++b) {
        const QString column = lines.at(b / 8).section(QStringLiteral(" |  "), 1);
        EXPECT_EQ(column.at((b % 8) * 2), QChar(b)) << "byte " << b;
    }
}

TEST(HexViewText, LastLineWithoutLineEndStaysAsItIs) {
    EXPECT_EQ(HexView::displayText("A\r\nB"), QStringLiteral("A\nB"));
    EXPECT_EQ(HexView::displayText("A\r\n"), QStringLiteral("A\n"));
    EXPECT_EQ(HexView::displayText(std::string("\xF7\x10", 2)), QString(QChar(0xF7)) + QChar(0x10));
}

TEST(HexViewText, DocumentOtherThanSystemDumpShowsNothing) {
    ZIVBackupDoc doc;
    FakeHexSettings settings;
    HexView view(doc, settings);
    EXPECT_TRUE(Shown(view).isEmpty());
    EXPECT_FALSE(view.selectAllAction()->isEnabled());
}

// --- re-rendering ----------------------------------------------------------------------------

TEST(HexViewUpdate, FollowsEveryChangeOfTheDocument) {
    SystemDoc doc;
    FakeHexSettings settings;
    HexView view(doc, settings);
    const QString before = Shown(view);

    ASSERT_TRUE(doc.InsertPatch(1, false));
    EXPECT_NE(Shown(view), before);
    EXPECT_EQ(Shown(view), Expected(doc, true, true));

    doc.DeletePatch(1, false);
    EXPECT_EQ(Shown(view), before);
}

TEST(HexViewUpdate, ReRendersWhateverTheHintOrSender) {
    SystemDoc doc;
    FakeHexSettings settings;
    HexView view(doc, settings);
    for (int hint : {HintAll, HintPatches, HintBanks, HintSets, HintConfig}) {
        view.setPlainText(QString());
        doc.UpdateAllViews(&view, hint);
        EXPECT_EQ(Shown(view), Expected(doc, true, true)) << "hint " << hint;
    }
}

TEST(HexViewUpdate, DetachesFromTheDocumentWhenDestroyed) {
    SystemDoc doc;
    FakeHexSettings settings;
    auto view = std::make_unique<HexView>(doc, settings);
    view.reset();
    EXPECT_TRUE(doc.InsertPatch(1, false)); // tells no listener that is gone
}

// A flip from one view re-renders and re-sizes every hex view, of every document.
TEST(HexViewUpdate, ToggleReachesEveryViewOfEveryDocument) {
    using Toggle = QAction* (HexView::*)() const;
    struct Row {
        Toggle action;
        bool ascii;
        bool offset;
    };
    for (const Row& row :
         {Row{&HexView::showAsciiAction, false, true}, Row{&HexView::showOffsetAction, true, false}}) {
        SystemDoc first;
        SystemDoc second;
        ASSERT_TRUE(second.InsertPatch(1, false));
        FakeHexSettings settings;
        QMdiArea area;
        area.resize(900, 700);
        area.show();
        HexView* one = new HexView(first, settings);
        HexView* two = new HexView(second, settings);
        QMdiSubWindow* oneFrame = area.addSubWindow(one);
        QMdiSubWindow* twoFrame = area.addSubWindow(two);
        one->setSizingFrame(oneFrame);
        two->setSizingFrame(twoFrame);
        const QSize twoBefore = twoFrame->size();
        QSignalSpy changed(one, &HexView::hexSettingsChanged);

        (one->*row.action)()->trigger();

        EXPECT_EQ(settings.ascii, row.ascii);
        EXPECT_EQ(settings.offset, row.offset);
        EXPECT_EQ(changed.count(), 1);
        EXPECT_EQ(Shown(*one), Expected(first, row.ascii, row.offset));
        EXPECT_EQ(Shown(*two), Expected(second, row.ascii, row.offset));
        EXPECT_NE(twoFrame->size(), twoBefore);
        EXPECT_EQ(twoFrame->size(), HexFrameSize(two->frameMetrics(twoFrame)));
        EXPECT_EQ((two->*row.action)()->isChecked(), false);

        // Flipping back from the other view restores the first rendering and size.
        (two->*row.action)()->trigger();
        EXPECT_TRUE(settings.ascii && settings.offset);
        EXPECT_EQ(Shown(*one), Expected(first, true, true));
        EXPECT_EQ(twoFrame->size(), twoBefore);
    }
}

// --- the modified flag --------------------------------------------------------------------

class HexViewModifiedFlag : public ::testing::TestWithParam<bool> {};

TEST_P(HexViewModifiedFlag, StaysAsItWas) {
    SystemDoc doc;
    doc.SetModifiedFlag(GetParam());
    ModifiedLog log;
    doc.AddListener(&log);
    FakeHexSettings settings;
    {
        HexView view(doc, settings);
        doc.UpdateAllViews(nullptr, HintAll);
        view.showAsciiAction()->trigger();
        EXPECT_EQ(doc.IsModified(), GetParam());
    }
    EXPECT_EQ(doc.IsModified(), GetParam());
    EXPECT_TRUE(log.changes.empty());
    doc.RemoveListener(&log);
}

INSTANTIATE_TEST_SUITE_P(Documents, HexViewModifiedFlag, ::testing::Values(false, true));

// --- frame sizing -------------------------------------------------------------------------

struct SizeRow {
    HexFrameMetrics metrics;
    QSize expected;
};

class HexViewFrameSize : public ::testing::TestWithParam<SizeRow> {};

TEST_P(HexViewFrameSize, FitsAFullLine) {
    EXPECT_EQ(HexFrameSize(GetParam().metrics), GetParam().expected);
}

// Units of "00 ": 15 with the character column, 17 without, 4 more for offsets.
INSTANTIATE_TEST_SUITE_P(
    Rows, HexViewFrameSize,
    ::testing::Values(SizeRow{{24, 13, 17, true, true, 16, 4, 800}, {19 * 24 + 16 + 8 + 6, 13 * 17}},
                      SizeRow{{24, 13, 17, true, false, 16, 4, 800}, {15 * 24 + 16 + 8 + 6, 13 * 17}},
                      SizeRow{{24, 13, 10, false, true, 16, 4, 800}, {21 * 24 + 16 + 8 + 6, 13 * 10}},
                      SizeRow{{24, 13, 10, false, false, 16, 4, 800}, {17 * 24 + 16 + 8 + 6, 13 * 10}},
                      // taller than the client area: cut to it
                      SizeRow{{21, 15, 200, true, true, 17, 1, 600}, {19 * 21 + 17 + 2 + 6, 600}},
                      SizeRow{{21, 15, 40, true, true, 17, 1, 600}, {19 * 21 + 17 + 2 + 6, 600}},
                      // no client area known: no limit
                      SizeRow{{21, 15, 200, true, true, 17, 1, 0}, {19 * 21 + 17 + 2 + 6, 3000}}));

TEST(HexViewFrame, SizesItsMdiChildAndKeepsItsCorner) {
    SystemDoc doc;
    FakeHexSettings settings;
    QMdiArea area;
    area.resize(900, 120);
    area.show();
    HexView* view = new HexView(doc, settings);
    QMdiSubWindow* frame = area.addSubWindow(view);
    frame->move(30, 20);
    view->setSizingFrame(frame);

    const HexFrameMetrics m = view->frameMetrics(frame);
    EXPECT_EQ(m.lines, 17);
    EXPECT_EQ(m.clientHeight, area.viewport()->height());
    EXPECT_GT(m.groupWidth, 0);
    EXPECT_EQ(frame->pos(), QPoint(30, 20));
    EXPECT_EQ(frame->size(), HexFrameSize(m));
    EXPECT_EQ(frame->height(), area.viewport()->height()); // 17 lines do not fit in 120 pixels
}

// --- context menu -------------------------------------------------------------------------

TEST(HexViewMenu, HoldsTheEditAndSettingCommandsThenTheOwners) {
    SystemDoc doc;
    FakeHexSettings settings(true, false);
    HexView view(doc, settings);
    QAction upload(QStringLiteral("&Upload to ZIV10"));
    QAction close(QStringLiteral("&Close"));
    view.setExtraContextActions({&upload, &close});

    std::unique_ptr<QMenu> menu(view.createContextMenu(nullptr));
    QStringList texts;
    for (QAction* action : menu->actions())
        texts << action->text();
    EXPECT_EQ(texts, (QStringList{"&Copy", "Select All", "Show Ascii", "Show Offsets", "&Upload to ZIV10",
                                  "&Close"}));
    EXPECT_EQ(view.copyAction()->shortcut(), QKeySequence(QStringLiteral("Ctrl+C")));
    EXPECT_TRUE(view.showAsciiAction()->isCheckable());
    EXPECT_TRUE(view.showAsciiAction()->isChecked());
    EXPECT_FALSE(view.showOffsetAction()->isChecked());
    EXPECT_EQ(view.showAsciiAction()->statusTip(), QStringLiteral("Display ascii conversion of hex dump"));
    EXPECT_EQ(view.showOffsetAction()->statusTip(), QStringLiteral("Display hex offsets"));

    // A flip made elsewhere shows in the check marks the next time the menu opens.
    settings.offset = true;
    menu.reset(view.createContextMenu(nullptr));
    EXPECT_TRUE(view.showOffsetAction()->isChecked());
}

TEST(HexViewMenu, CopyNeedsASelectionAndCopiesIt) {
    SystemDoc doc;
    FakeHexSettings settings;
    HexView view(doc, settings);
    std::unique_ptr<QMenu> menu(view.createContextMenu(nullptr));
    EXPECT_FALSE(view.copyAction()->isEnabled());
    EXPECT_TRUE(view.selectAllAction()->isEnabled());

    view.selectAllAction()->trigger();
    menu.reset(view.createContextMenu(nullptr));
    ASSERT_TRUE(view.copyAction()->isEnabled());
    QApplication::clipboard()->clear();
    view.copyAction()->trigger();
    EXPECT_EQ(QApplication::clipboard()->text(), Shown(view));
}

TEST(HexViewMenu, IsReadOnlyAndReachableByKeyboard) {
    SystemDoc doc;
    FakeHexSettings settings;
    HexView view(doc, settings);
    EXPECT_TRUE(view.isReadOnly());
    EXPECT_EQ(view.focusPolicy(), Qt::StrongFocus);
    EXPECT_TRUE(view.textInteractionFlags() & Qt::TextSelectableByKeyboard);
    EXPECT_FALSE(view.accessibleName().isEmpty());
    EXPECT_EQ(HexView::titleSuffix(), QStringLiteral(" (Hex View)"));
}

} // namespace
