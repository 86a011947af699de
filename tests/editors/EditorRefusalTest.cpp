// What the patch, bank and set editors refuse with the dialog left open and the dump unchanged,
// typed and confirmed as a user would: a reference the dump cannot resolve, and a record that
// would make the dump larger than the device holds.
#include "editors/BankEdit.h"
#include "editors/PatchEditDlg.h"
#include "editors/SetEditDlg.h"
#include "support/EditorTestKit.h"

#include <gtest/gtest.h>

#include <QDialogButtonBox>
#include <QPlainTextEdit>
#include <QPushButton>
#include <QTest>

namespace {

enum class Editor { Patch, Bank, Set };

struct Refusal {
    const char* name;
    bool largest; // the 65,520-byte dump instead of the small one
    Editor editor;
    int number;
    const char* field;
    bool replace;      // the field's text replaced, or lines added at its end
    const char* typed; // "\n" is the Return key
    const char* message;
};

class EditorRefusalTest : public editorkit::EditorTest, public ::testing::WithParamInterface<Refusal> {};

TEST_P(EditorRefusalTest, KeepsTheDialogOpenAndTheDumpUnchanged) {
    const Refusal& row = GetParam();
    if (row.largest)
        Load(testdump::LargestDump());
    std::unique_ptr<QDialog> dialog;
    switch (row.editor) {
    case Editor::Patch:
        dialog = std::make_unique<PatchEditDlg>(doc->GetPatch(row.number), *doc, shell);
        break;
    case Editor::Bank:
        dialog = std::make_unique<BankEdit>(doc->GetBank(row.number), *doc, shell);
        break;
    case Editor::Set:
        dialog = std::make_unique<SetEditDlg>(doc->GetSet(row.number), *doc, shell);
        break;
    }
    dialog->show();
    ASSERT_TRUE(QTest::qWaitForWindowExposed(dialog.get()));
    auto* field = editorkit::Find<QPlainTextEdit>(*dialog, row.field);
    ASSERT_NE(field, nullptr);
    field->setFocus();
    if (row.replace) {
        QTest::keyClick(field, Qt::Key_A, Qt::ControlModifier);
    } else {
        QTest::keyClick(field, Qt::Key_End, Qt::ControlModifier);
        QTest::keyClick(field, Qt::Key_Return);
    }
    const QStringList lines = QString::fromLatin1(row.typed).split(QLatin1Char('\n'));
    for (int i = 0; i < lines.size(); ++i) {
        if (i > 0)
            QTest::keyClick(field, Qt::Key_Return);
        QTest::keyClicks(field, lines[i]);
    }

    const testdump::Bytes before = Image();
    QPushButton* ok = dialog->findChild<QDialogButtonBox*>()->button(QDialogButtonBox::Ok);
    QTest::mouseClick(ok, Qt::LeftButton);

    EXPECT_TRUE(dialog->isVisible());
    EXPECT_NE(dialog->result(), QDialog::Accepted);
    EXPECT_EQ(TakeMessages(), std::vector<std::string>{row.message});
    EXPECT_EQ(Image(), before);
    EXPECT_FALSE(doc->IsModified());
}

const Refusal kRefusals[] = {
    {"BankPatchAboveTheLargest", false, Editor::Bank, 1, "patchList", true, "001\n777",
     "Patch number 777 can't be stored in a bank.\nPatch numbers are 1 - 500; 0 is an empty switch."},
    {"SetBankAbove99", false, Editor::Set, 2, "setList", false, "120", "Invalid bank number (120) in set."},
    {"PatchStringsPastTheLimit", true, Editor::Patch, 7, "stringA", false, "90 40 7f",
     "This change would make the dump 65,526 bytes long.\nThe RIV 10 holds at most 65,520 bytes."},
    {"SequencePastTheLimit", true, Editor::Bank, 10, "patchList", false, "001\n002",
     "This change would make the dump 65,524 bytes long.\nThe RIV 10 holds at most 65,520 bytes."},
    {"SetPastTheLimit", true, Editor::Set, 1, "setList", false, "01",
     "This change would make the dump 65,522 bytes long.\nThe RIV 10 holds at most 65,520 bytes."},
};

INSTANTIATE_TEST_SUITE_P(Rows, EditorRefusalTest, ::testing::ValuesIn(kRefusals),
                         [](const ::testing::TestParamInfo<Refusal>& info) { return info.param.name; });

} // namespace
