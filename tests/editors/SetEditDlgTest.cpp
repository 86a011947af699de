// The set editor: the list it shows and where the caret starts, typing limited to digits, the
// reading rule, numbers above 99 (warned, stored) and above 255 (refused), and the length limit.
#include "editors/SetEditDlg.h"
#include "support/EditorTestKit.h"

#include <gtest/gtest.h>

#include <QApplication>
#include <QPlainTextEdit>
#include <QTest>

namespace {

using editorkit::Find;
using editorkit::SetText;
using editorkit::Text;

class SetEditDlgTest : public editorkit::EditorTest {
protected:
    std::unique_ptr<SetEditDlg> Open(int set) {
        return std::make_unique<SetEditDlg>(doc->GetSet(set), *doc, shell);
    }

    std::vector<int> Entries(int set) const { return kit::SetEntries(kit::RecordBytes(doc->PeekSet(set))); }

    // Saves `text` into set 2; true when the dialog closed.
    bool Save(const std::string& text) {
        auto dlg = Open(2);
        SetText(*dlg, "setList", text);
        dlg->accept();
        return dlg->result() == QDialog::Accepted;
    }
};

TEST_F(SetEditDlgTest, ShowsTheListWithTheCaretAtTheEndAndTakesOnlyDigits) {
    auto dlg = Open(2);
    EXPECT_EQ(Text(*dlg, "setList"), "00\n02 | TWO\n");
    EXPECT_EQ(Text(*dlg, "availableList"), "01 ONE\n02 TWO\n");
    dlg->show();
    QApplication::processEvents();
    auto* list = Find<QPlainTextEdit>(*dlg, "setList");
    EXPECT_EQ(dlg->focusWidget(), list);
    EXPECT_TRUE(list->textCursor().atEnd());
    EXPECT_FALSE(list->textCursor().hasSelection());

    QTest::keyClicks(list, "1a|2 ");
    QTest::keyClick(list, Qt::Key_Return);
    QTest::keyClicks(list, "01");
    EXPECT_EQ(Text(*dlg, "setList"), "00\n02 | TWO\n12\n01");
}

TEST_F(SetEditDlgTest, ReadsLeadingDigitsAndSkipsTheRest) {
    ASSERT_TRUE(Save("01\n\n02\n| only a comment\n 03\n02 TWO\n"));
    EXPECT_EQ(Entries(2), (std::vector<int>{1, 2, 2}));
    EXPECT_EQ(TakeMessages(), std::vector<std::string>{});
    EXPECT_EQ(hints.hints, std::vector<int>{HintSets});
    EXPECT_TRUE(kit::Consistent(*doc));

    ASSERT_TRUE(Save(""));
    EXPECT_EQ(doc->PeekSet(2)->Length(), 4);
    EXPECT_TRUE(kit::Consistent(*doc));

    // A bank the dump does not hold is stored without a word and shows without a name.
    ASSERT_TRUE(Save("07"));
    EXPECT_EQ(TakeMessages(), std::vector<std::string>{});
    EXPECT_EQ(Text(*Open(2), "setList"), "07\n");
}

TEST_F(SetEditDlgTest, RefusesAbove99AndBeyond510Entries) {
    const testdump::Bytes before = Image();
    EXPECT_FALSE(Save("01\n120\n255"));
    EXPECT_EQ(TakeMessages(), std::vector<std::string>{"Invalid bank number (120) in set."});
    EXPECT_EQ(Image(), before);

    EXPECT_FALSE(Save("01\n256\n120"));
    EXPECT_EQ(TakeMessages(), std::vector<std::string>{
                                  "Bank number 256 can't be stored in a set.\nBank numbers are 1 - 99."});
    EXPECT_EQ(Image(), before);

    std::string list;
    for (int i = 0; i < SetEditDlg::kMaxEntries; ++i)
        list += "02\n";
    EXPECT_FALSE(Save(list + "01"));
    EXPECT_EQ(TakeMessages(),
              std::vector<std::string>{"This set has 511 entries.\nA set can hold at most 510 banks."});
    EXPECT_EQ(Image(), before);
    ASSERT_TRUE(Save(list));
    EXPECT_EQ(doc->PeekSet(2)->Length(), 4 + 2 * 510);
    EXPECT_TRUE(kit::Consistent(*doc));
}

TEST_F(SetEditDlgTest, MalformedRecordsAndIndexes) {
    // A count beyond the record's length shows the entries that fit; an index outside 1-5 is
    // refused by the model.
    testdump::Bytes bytes = testdump::MakeSet({1, 2});
    bytes[3] = 40;
    SetEditDlg dlg(RecordSlot(bytes.data(), static_cast<int>(bytes.size()), 6), *doc, shell);
    EXPECT_EQ(Text(dlg, "setList"), "01 | ONE\n02 | TWO\n");
    const testdump::Bytes before = Image();
    dlg.accept();
    EXPECT_NE(dlg.result(), QDialog::Accepted);
    EXPECT_EQ(TakeMessages(), std::vector<std::string>{"Set contains an invalid bank number."});
    EXPECT_EQ(Image(), before);
}

} // namespace
