// The patch editor: loading a record, the OK checks in their order with the dialog kept open,
// the rebuilt record, the test buttons, and records that parse with contents out of range.
#include "editors/PatchEditDlg.h"
#include "dump/PatchRecord.h"
#include "support/EditorTestKit.h"

#include <gtest/gtest.h>

#include <QCheckBox>
#include <QComboBox>
#include <QLineEdit>
#include <QPlainTextEdit>
#include <QPushButton>

namespace {

using editorkit::Find;
using editorkit::SetText;
using editorkit::Text;

// Records what the test buttons would send instead of opening the port.
class ProbePatchEditDlg : public PatchEditDlg {
public:
    using PatchEditDlg::PatchEditDlg;
    std::vector<std::vector<uint8_t>> sent;

protected:
    void runTestSend(std::vector<uint8_t> bytes) override { sent.push_back(std::move(bytes)); }
};

class PatchEditDlgTest : public editorkit::EditorTest {
protected:
    std::unique_ptr<ProbePatchEditDlg> Open(int patch) {
        return std::make_unique<ProbePatchEditDlg>(doc->GetPatch(patch), *doc, shell);
    }

    static std::string Hex(int count) {
        std::string text;
        for (int i = 0; i < count; ++i)
            text += "7f ";
        return text;
    }

    // OK must refuse with exactly this message and leave the document as it was.
    void ExpectRefused(PatchEditDlg& dlg, const std::string& text) {
        const testdump::Bytes before = Image();
        dlg.accept();
        EXPECT_NE(dlg.result(), QDialog::Accepted);
        EXPECT_EQ(TakeMessages(), std::vector<std::string>{text});
        EXPECT_EQ(Image(), before);
        EXPECT_FALSE(doc->IsModified());
    }
};

TEST_F(PatchEditDlgTest, LoadsTheRecordBanksAndDescribedStrings) {
    auto dlg = Open(2);
    EXPECT_EQ(Find<QLineEdit>(*dlg, "number")->text(), " 2");
    EXPECT_EQ(Find<QLineEdit>(*dlg, "name")->text(), "LEAD");
    EXPECT_EQ(Find<QComboBox>(*dlg, "channelSwitch")->currentText(), "on");
    EXPECT_EQ(Find<QComboBox>(*dlg, "pedalType")->currentText(), "momentary");
    EXPECT_EQ(Find<QComboBox>(*dlg, "globalCC")->currentText(), "Pedal 2");
    EXPECT_EQ(Find<QComboBox>(*dlg, "channelPedal2CC1")->currentText(), "6");
    EXPECT_EQ(Find<QComboBox>(*dlg, "ccPedal2CC1")->currentText(), "7");
    EXPECT_EQ(Find<QComboBox>(*dlg, "minPedal2CC1")->currentText(), "10");
    EXPECT_EQ(Find<QComboBox>(*dlg, "maxPedal2CC1")->currentText(), "100");
    EXPECT_TRUE(Find<QCheckBox>(*dlg, "enabledPedal2CC1")->isChecked());
    EXPECT_FALSE(Find<QCheckBox>(*dlg, "invertPedal2CC1")->isChecked());
    EXPECT_EQ(Text(*dlg, "banksList"), "1 ONE\n2 TWO");
    EXPECT_EQ(Text(*dlg, "stringA"), "");
    EXPECT_EQ(Text(*dlg, "stringB"), "b0 07 7f |cntrl chg: ch 1 controller 7 (Channel Volume) value 127\n");
    EXPECT_EQ(Find<QComboBox>(*dlg, "channelPedal1CC1")->count(), 16);
    EXPECT_EQ(Find<QComboBox>(*dlg, "maxPedal1CC3")->count(), 128);
    EXPECT_FALSE(Find<QWidget>(*dlg, "stringA")->accessibleName().isEmpty());

    shell.settings().SetDisplayMidiStringComments(false);
    auto plain = Open(2);
    EXPECT_EQ(Text(*plain, "stringB"), "b0 07 7f\n");
    EXPECT_EQ(Text(*plain, "banksList"), "1 ONE\n2 TWO");
    EXPECT_EQ(Text(*Open(3), "banksList"), "");
}

TEST_F(PatchEditDlgTest, OkChecksInOrderAndKeepsTheInput) {
    auto dlg = Open(1);
    Find<QLineEdit>(*dlg, "name")->setText("sixteen chars xx");
    Find<QComboBox>(*dlg, "minPedal2CC2")->setCurrentIndex(50);
    Find<QComboBox>(*dlg, "maxPedal2CC2")->setCurrentIndex(49);
    Find<QComboBox>(*dlg, "minPedal2CC3")->setCurrentIndex(5);
    Find<QComboBox>(*dlg, "maxPedal2CC3")->setCurrentIndex(4);
    SetText(*dlg, "stringA", "f0 7");
    ExpectRefused(*dlg, "Maximum name length is 15 characters.");
    EXPECT_EQ(Find<QLineEdit>(*dlg, "name")->text(), "sixteen chars xx");

    Find<QLineEdit>(*dlg, "name")->setText("fifteen chars x");
    ExpectRefused(*dlg, "Pedal max value must >= min value.");
    Find<QComboBox>(*dlg, "maxPedal2CC2")->setCurrentIndex(50);
    ExpectRefused(*dlg, "Pedal max value must >= min value.");
    Find<QComboBox>(*dlg, "maxPedal2CC3")->setCurrentIndex(5);

    const std::string stringMessage =
        "Only characters 0-9 and a-f are valid in the string fields. \n"
        "Each byte must be 2 characters and separated by at least one space.\n"
        "Comments start with | and go to the end of the line.  Comments are not saved.";
    ExpectRefused(*dlg, stringMessage);
    EXPECT_EQ(Text(*dlg, "stringA"), "f0 7");
    SetText(*dlg, "stringA", "c0 05 ,");
    ExpectRefused(*dlg, stringMessage);

    // The record holds at most 4096 bytes: 2002 string bytes in A and B together.
    SetText(*dlg, "stringA", Hex(1000));
    SetText(*dlg, "stringB", Hex(1003));
    ExpectRefused(*dlg, "The MIDI strings are too long: strings A and B together hold 2003 bytes.\n"
                        "A patch can hold at most 2002 string bytes.");
    SetText(*dlg, "stringB", Hex(1002));
    dlg->accept();
    EXPECT_EQ(dlg->result(), QDialog::Accepted);
    EXPECT_EQ(TakeMessages(), std::vector<std::string>{});
    EXPECT_EQ(doc->PeekPatch(1)->Length(), 92 + 2 * 2002);
    EXPECT_TRUE(kit::Consistent(*doc));
}

TEST_F(PatchEditDlgTest, StoresTheRebuiltRecordKeepingBitFive) {
    testdump::Dump dump = dumpfix::SmallDump();
    testdump::Patch p;
    p.number = 3;
    p.name = "SPARE";
    p.mode = 0x20 | 0x03;
    p.a = {0x90, 0x3C, 0x40};
    dump.patches[2] = testdump::MakePatch(p);
    Load(dump.Build());

    auto dlg = Open(3);
    Find<QLineEdit>(*dlg, "name")->setText("new lead, 2");
    Find<QComboBox>(*dlg, "channelSwitch")->setCurrentText("toggle");
    Find<QComboBox>(*dlg, "pedalType")->setCurrentText("normal");
    Find<QComboBox>(*dlg, "globalCC")->setCurrentText("Pedal 1 & 2");
    Find<QComboBox>(*dlg, "channelPedal1CC2")->setCurrentIndex(15);
    Find<QComboBox>(*dlg, "ccPedal1CC2")->setCurrentIndex(64);
    Find<QComboBox>(*dlg, "minPedal1CC2")->setCurrentIndex(20);
    Find<QComboBox>(*dlg, "maxPedal1CC2")->setCurrentIndex(20);
    Find<QCheckBox>(*dlg, "enabledPedal1CC2")->setChecked(true);
    Find<QCheckBox>(*dlg, "firstTimePedal1CC2")->setChecked(true);
    SetText(*dlg, "stringA", "");
    SetText(*dlg, "stringB", "F07E | sysex\n  00 f7|end");
    dlg->accept();
    ASSERT_EQ(dlg->result(), QDialog::Accepted);
    // The comma is shown as suspect by the model's name writer; the save goes on.
    ASSERT_EQ(TakeMessages().size(), 1u);

    const PatchRecord stored(*doc->PeekPatch(3));
    EXPECT_EQ(stored.Number(), 3);
    EXPECT_EQ(stored.Name(), "NEW LEAD, 2");
    EXPECT_EQ(stored.Mode(), 0x20 | 5 | 24 | 192);
    const CCAssignment cc = stored.LocalCC(1, 2);
    EXPECT_EQ(cc.flags, 15 + 64 + 128);
    EXPECT_EQ(cc.controller, 64);
    EXPECT_EQ(cc.minimum, 20);
    EXPECT_EQ(cc.maximum, 20);
    EXPECT_EQ(stored.StringALength(), 0);
    EXPECT_EQ(stored.StringBytes(1), std::string("\xF0\x7E\x00\xF7", 4));
    EXPECT_EQ(doc->PeekPatch(3)->Length(), 92 + 8);
    EXPECT_TRUE(doc->IsModified());
    EXPECT_EQ(hints.hints, std::vector<int>{HintPatches});
    EXPECT_TRUE(kit::Consistent(*doc));

    // Empty strings: the record is its fixed part only.
    auto again = Open(3);
    SetText(*again, "stringB", "  \n");
    again->accept();
    EXPECT_EQ(doc->PeekPatch(3)->Length(), 92);
    EXPECT_EQ(PatchRecord(*doc->PeekPatch(3)).Mode(), 0x20 | 5 | 24 | 192);
    EXPECT_TRUE(kit::Consistent(*doc));
}

TEST_F(PatchEditDlgTest, TestButtonsNormaliseThenSend) {
    auto dlg = Open(1);
    SetText(*dlg, "stringA", "");
    SetText(*dlg, "stringB", "| only a comment");
    Find<QPushButton>(*dlg, "testB")->click();
    EXPECT_TRUE(dlg->sent.empty());
    EXPECT_EQ(TakeMessages(), std::vector<std::string>{"Empty or invalid data string."});
    EXPECT_EQ(Text(*dlg, "stringB"), "") << "the comment went with the normalisation";

    Find<QPushButton>(*dlg, "testA")->click();
    EXPECT_TRUE(dlg->sent.empty());
    EXPECT_EQ(TakeMessages(), std::vector<std::string>{});

    SetText(*dlg, "stringA", "f07e");
    SetText(*dlg, "stringB", "90 3g");
    Find<QPushButton>(*dlg, "testA")->click();
    EXPECT_TRUE(dlg->sent.empty());
    ASSERT_EQ(TakeMessages().size(), 1u);
    EXPECT_EQ(Text(*dlg, "stringA"), "f07e") << "a failed parse leaves the text alone";

    SetText(*dlg, "stringB", "90 3c 40 |mine");
    Find<QPushButton>(*dlg, "testA")->click();
    EXPECT_EQ(dlg->sent, (std::vector<std::vector<uint8_t>>{{0xF0, 0x7E}}));
    EXPECT_EQ(Text(*dlg, "stringA"), "f0 7e |incomplete sysex!\n");
    EXPECT_EQ(Text(*dlg, "stringB"), "90 3c 40 |note on: ch 1 note 60 velocity 64\n");
    Find<QPushButton>(*dlg, "testB")->click();
    EXPECT_EQ(dlg->sent.back(), (std::vector<uint8_t>{0x90, 0x3C, 0x40}));
    EXPECT_FALSE(doc->IsModified()) << "a test stores nothing";

    Find<QPushButton>(*dlg, "midiCalc")->click();
    Find<QPushButton>(*dlg, "midiHelp")->click();
    EXPECT_EQ(shell.calculatorLaunches, 1);
    EXPECT_EQ(shell.midiHelpLaunches, 1);
}

TEST_F(PatchEditDlgTest, RecordsWithOutOfRangeContentsNeverCrash) {
    // A string length running past the record, values beyond the combo lists, a channel switch
    // value of 7: shown as far as they fit, carried back unchanged.
    testdump::Patch p;
    p.number = 2;
    p.mode = 0x07;
    p.ccs[0] = testdump::CC{0x0F, 200, 130, 255};
    testdump::Bytes bytes = testdump::MakePatch(p);
    bytes[87] = 0x7F; // string A claims 127 bytes
    auto dlg = std::make_unique<ProbePatchEditDlg>(RecordSlot(bytes.data(), static_cast<int>(bytes.size())),
                                                   *doc, shell);
    EXPECT_EQ(Text(*dlg, "stringA"), "");
    EXPECT_EQ(Find<QComboBox>(*dlg, "channelSwitch")->currentIndex(), -1);
    EXPECT_EQ(Find<QComboBox>(*dlg, "ccPedal1CC1")->currentIndex(), -1);
    dlg->accept();
    ASSERT_EQ(dlg->result(), QDialog::Accepted);
    const CCAssignment cc = PatchRecord(*doc->PeekPatch(2)).LocalCC(1, 1);
    EXPECT_EQ(cc.controller, 200);
    EXPECT_EQ(cc.maximum, 255);
    EXPECT_TRUE(kit::Consistent(*doc));

    // Too short to carry a patch number: the model refuses it.
    const uint8_t stub[3] = {0, 0, 0};
    auto broken = std::make_unique<ProbePatchEditDlg>(RecordSlot(stub, 3), *doc, shell);
    broken->accept();
    EXPECT_NE(broken->result(), QDialog::Accepted);
    EXPECT_EQ(TakeMessages(), std::vector<std::string>{"Patch data error."});
}

} // namespace
