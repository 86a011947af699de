// The bank editor: the list text it shows, both reading rules, the warnings that do not stop the
// save and the refusals that do, and malformed records.
#include "editors/BankEdit.h"
#include "dump/BankRecord.h"
#include "support/EditorTestKit.h"

#include <gtest/gtest.h>

#include <QCheckBox>
#include <QDialogButtonBox>
#include <QLineEdit>
#include <QPlainTextEdit>
#include <QPushButton>
#include <QTest>

namespace {

using editorkit::Find;
using editorkit::SetText;
using editorkit::Text;

class BankEditTest : public editorkit::EditorTest {
protected:
    std::unique_ptr<BankEdit> Open(int bank) {
        return std::make_unique<BankEdit>(doc->GetBank(bank), *doc, shell);
    }

    // Saves `text` into bank 1 in the given mode and returns the bank's active list.
    std::vector<int> Save(const std::string& text, bool sequence) {
        auto dlg = Open(1);
        Find<QCheckBox>(*dlg, "sequenceMode")->setChecked(sequence);
        SetText(*dlg, "patchList", text);
        dlg->accept();
        EXPECT_EQ(dlg->result(), QDialog::Accepted);
        std::vector<int> list;
        const BankRecord bank(*doc->PeekBank(1));
        for (int k = 0; k < bank.ActiveCount(); ++k)
            list.push_back(bank.ActiveEntry(k));
        return list;
    }

    void ExpectRefused(BankEdit& dlg, const std::string& text) {
        const testdump::Bytes before = Image();
        dlg.accept();
        EXPECT_NE(dlg.result(), QDialog::Accepted);
        EXPECT_EQ(TakeMessages(), std::vector<std::string>{text});
        EXPECT_EQ(Image(), before);
    }
};

TEST_F(BankEditTest, ShowsNumberedLinesWithNames) {
    auto normal = Open(1);
    EXPECT_EQ(Find<QLineEdit>(*normal, "number")->text(), "1");
    EXPECT_EQ(Find<QLineEdit>(*normal, "name")->text(), "ONE");
    EXPECT_FALSE(Find<QCheckBox>(*normal, "sequenceMode")->isChecked());
    EXPECT_EQ(Text(*normal, "patchList"), "001 | CLEAN\n002 | LEAD\n000\n000\n000\n000\n000\n000\n000\n");
    EXPECT_EQ(Text(*normal, "availableList"), "001 CLEAN\n002 LEAD\n003 SPARE\n");

    auto sequence = Open(2);
    EXPECT_TRUE(Find<QCheckBox>(*sequence, "sequenceMode")->isChecked());
    EXPECT_EQ(Text(*sequence, "patchList"), "002 | LEAD\n000\n001 | CLEAN\n");

    // Read back unchanged, a normal bank stores what it held; a sequence drops its empty steps
    // (a 000 line reads as nothing) and its inactive slots, which the text does not show.
    const testdump::Bytes bankOne = kit::RecordBytes(doc->PeekBank(1));
    normal->accept();
    sequence->accept();
    EXPECT_EQ(kit::RecordBytes(doc->PeekBank(1)), bankOne);
    EXPECT_EQ(kit::ActiveList(kit::RecordBytes(doc->PeekBank(2))), (std::vector<int>{2, 1}));
    EXPECT_TRUE(kit::Consistent(*doc));
}

TEST_F(BankEditTest, NormalModeReadsNineLinesWithBlanksAndSigns) {
    EXPECT_EQ(Save("001\n\n003", false), (std::vector<int>{1, 0, 3, 0, 0, 0, 0, 0, 0}));
    EXPECT_EQ(doc->PeekBank(1)->Length(), 74);
    EXPECT_TRUE(kit::Consistent(*doc));

    EXPECT_EQ(Save(" 3 | three\n003 SPARE\n+2\n\n\n\n\n\n\n001", false),
              (std::vector<int>{3, 3, 2, 0, 0, 0, 0, 0, 0}));
    EXPECT_EQ(TakeMessages(), std::vector<std::string>{});
    EXPECT_TRUE(kit::Consistent(*doc));

    // A number that can name no patch is refused before anything else is said.
    auto dlg = Open(1);
    SetText(*dlg, "patchList", "004\n999\n4");
    ExpectRefused(
        *dlg,
        "Patch number 999 can't be stored in a bank.\nPatch numbers are 1 - 500; 0 is an empty switch.");
}

// A patch number up to 500 that the dump does not hold is named once for each line that gives it,
// and stored all the same; the bank pane then offers to create the patch. Typed and confirmed as a
// user would.
TEST_F(BankEditTest, StoresAbsentPatchesAfterAWarningForEachLine) {
    struct Row {
        const char* typed; // "\n" is the Return key
        bool sequence;
        std::vector<int> stored;
        std::vector<int> warned;
    };
    const Row rows[] = {
        {"001\n450\n4\n450", false, {1, 450, 4, 450, 0, 0, 0, 0, 0}, {450, 4, 450}},
        {"450\n\n450 | gone\n7\n002", true, {450, 450, 7, 2}, {450, 450, 7}},
        {"1\n1\n1\n1\n1\n1\n1\n1\n500\n451", false, {1, 1, 1, 1, 1, 1, 1, 1, 500}, {500}},
    };
    for (const Row& row : rows) {
        SCOPED_TRACE(row.typed);
        auto dlg = Open(1);
        dlg->show();
        ASSERT_TRUE(QTest::qWaitForWindowExposed(dlg.get()));
        auto* mode = Find<QCheckBox>(*dlg, "sequenceMode");
        if (mode->isChecked() != row.sequence) {
            mode->setFocus();
            QTest::keyClick(mode, Qt::Key_Space);
        }
        auto* list = Find<QPlainTextEdit>(*dlg, "patchList");
        list->setFocus();
        QTest::keyClick(list, Qt::Key_A, Qt::ControlModifier);
        const QStringList lines = QString::fromLatin1(row.typed).split(QLatin1Char('\n'));
        for (int i = 0; i < lines.size(); ++i) {
            if (i > 0)
                QTest::keyClick(list, Qt::Key_Return);
            QTest::keyClicks(list, lines[i]);
        }
        QTest::mouseClick(dlg->findChild<QDialogButtonBox*>()->button(QDialogButtonBox::Ok), Qt::LeftButton);

        EXPECT_EQ(dlg->result(), QDialog::Accepted);
        std::vector<std::string> warnings;
        for (int number : row.warned)
            warnings.push_back("Invalid patch number (" + std::to_string(number) + ") in bank.");
        EXPECT_EQ(TakeMessages(), warnings);
        std::vector<int> stored;
        const BankRecord bank(*doc->PeekBank(1));
        for (int k = 0; k < bank.ActiveCount(); ++k)
            stored.push_back(bank.ActiveEntry(k));
        EXPECT_EQ(stored, row.stored);
    }
}

TEST_F(BankEditTest, SequenceModeSkipsLinesNotStartingWithADigit) {
    EXPECT_EQ(Save("001\n\n003 SPARE\n 2\n| comment\n-2\n002|x\n", true), (std::vector<int>{1, 3, 2}));
    EXPECT_EQ(doc->PeekBank(1)->Length(), 74 + 3 * 4);
    EXPECT_EQ(TakeMessages(), std::vector<std::string>{});
    EXPECT_TRUE(kit::Consistent(*doc));

    // Back to normal mode: only the first nine lines count.
    EXPECT_EQ(Save("002\n001\n", false), (std::vector<int>{2, 1, 0, 0, 0, 0, 0, 0, 0}));
    EXPECT_TRUE(kit::Consistent(*doc));
}

TEST_F(BankEditTest, RefusesWhatTheRecordCannotHold) {
    auto dlg = Open(1);
    Find<QLineEdit>(*dlg, "name")->setText("a name too long!");
    ExpectRefused(*dlg, "Maximum name length is 15 characters.");
    Find<QLineEdit>(*dlg, "name")->setText("fifteen chars x");

    SetText(*dlg, "patchList", "001\n70000");
    ExpectRefused(
        *dlg,
        "Patch number 70000 can't be stored in a bank.\nPatch numbers are 1 - 500; 0 is an empty switch.");
    SetText(*dlg, "patchList", "-5");
    ExpectRefused(
        *dlg, "Patch number -5 can't be stored in a bank.\nPatch numbers are 1 - 500; 0 is an empty switch.");

    Find<QCheckBox>(*dlg, "sequenceMode")->setChecked(true);
    std::string steps;
    for (int i = 0; i < BankEdit::kMaxSteps; ++i)
        steps += "002\n";
    SetText(*dlg, "patchList", steps + "001\n");
    ExpectRefused(*dlg, "This sequence has 238 patches.\nA sequence can hold at most 237 patches.");
    SetText(*dlg, "patchList", steps);
    dlg->accept();
    EXPECT_EQ(dlg->result(), QDialog::Accepted);
    EXPECT_EQ(doc->PeekBank(1)->Length(), 74 + 4 * 237);
    EXPECT_EQ(BankRecord(*doc->PeekBank(1)).Name(), "FIFTEEN CHARS X");
    EXPECT_TRUE(kit::Consistent(*doc));
}

TEST_F(BankEditTest, MalformedRecordsShowWhatFits) {
    // Sequence length 50 but room for two steps; a bank number the model refuses.
    testdump::Bank bank;
    bank.number = 1;
    bank.seqMode = 1;
    bank.steps = {3, 1};
    testdump::Bytes bytes = testdump::MakeBank(bank);
    bytes[73] = 50;
    auto dlg =
        std::make_unique<BankEdit>(RecordSlot(bytes.data(), static_cast<int>(bytes.size())), *doc, shell);
    EXPECT_EQ(Text(*dlg, "patchList"), "003 | SPARE\n001 | CLEAN\n");
    dlg->accept();
    EXPECT_EQ(dlg->result(), QDialog::Accepted);
    EXPECT_TRUE(kit::Consistent(*doc));

    bytes[1] = 0; // bank number 0
    auto refused = std::make_unique<BankEdit>(RecordSlot(bytes.data(), 40), *doc, shell);
    EXPECT_EQ(Text(*refused, "patchList"), "000\n000\n000\n000\n000\n000\n000\n000\n000\n");
    ExpectRefused(*refused, "Bank contains an invalid patch number.");
}

} // namespace
