// The configuration page: what it shows, the Edit/OK/Cancel toggle with its prompt, refreshes
// while editing or hidden, the checks in their order with nothing written until all pass, the
// stored values (inverted flags included), the filters form and the context menu.
#include "editors/ConfigPage.h"
#include "editors/GenericHexEditForm.h"
#include "support/EditorTestKit.h"

#include <gtest/gtest.h>

#include <QApplication>
#include <QCheckBox>
#include <QComboBox>
#include <QContextMenuEvent>
#include <QLabel>
#include <QLineEdit>
#include <QPushButton>
#include <QTest>
#include <QTimer>

namespace {

using editorkit::Find;

class ConfigPageTest : public editorkit::EditorTest {
protected:
    void SetUp() override {
        EditorTest::SetUp();
        page = std::make_unique<ConfigPage>(*doc, shell);
        page->activate();
    }

    QString Field(const char* name) const { return Find<QLineEdit>(*page, name)->text(); }
    void SetField(const char* name, const char* text) { Find<QLineEdit>(*page, name)->setText(text); }
    QComboBox* Combo(const char* name) const { return Find<QComboBox>(*page, name); }
    QCheckBox* Check(const char* name) const { return Find<QCheckBox>(*page, name); }
    QPushButton* Button(const char* name) const { return Find<QPushButton>(*page, name); }

    // Presses OK and expects the page to refuse with `text`, having written nothing.
    void ExpectRefused(const std::string& text) {
        const testdump::Bytes before = Image();
        Button("edit")->click();
        EXPECT_TRUE(page->isEditing());
        EXPECT_EQ(TakeMessages(), std::vector<std::string>{text});
        EXPECT_EQ(Image(), before);
        EXPECT_FALSE(doc->IsModified());
        EXPECT_TRUE(hints.hints.empty());
    }

    std::unique_ptr<ConfigPage> page;
};

TEST_F(ConfigPageTest, ShowsTheDumpAndTogglesEditMode) {
    EXPECT_EQ(page->tabText(), "System Configuration");
    EXPECT_EQ(Field("totalBanks"), "2");
    EXPECT_EQ(Field("totalPatches"), "3");
    EXPECT_EQ(Field("currentPatch"), "0");
    EXPECT_EQ(Field("currentBank"), "1");
    EXPECT_EQ(Field("currentSet"), "2");
    EXPECT_EQ(Field("powerupTimeout"), "0");
    EXPECT_EQ(Combo("deviceChannel")->currentText(), "3");
    EXPECT_EQ(Combo("defaultChannel")->currentText(), "none");
    EXPECT_EQ(Combo("defaultChannel")->count(), 17);
    EXPECT_EQ(Combo("calTypePedal1")->currentText(), "0x10");
    EXPECT_EQ(Combo("calTypePedal1")->itemText(7), "0x1c");
    EXPECT_EQ(Combo("calMaxPedal2")->currentText(), "255");
    EXPECT_EQ(Combo("maxPedal1")->currentText(), "127");
    EXPECT_FALSE(Check("filterRedundant")->isChecked()) << "stored 1 means filtering off";
    EXPECT_TRUE(Check("midiMerging")->isChecked());
    EXPECT_FALSE(Check("editSysexHex")->isChecked());
    EXPECT_EQ(Find<QLabel>(*page, "title")->text(), "RIV 10 System Configuration");

    // Viewing: fields disabled, Cancel hidden, Filters available.
    EXPECT_FALSE(Find<QLineEdit>(*page, "currentPatch")->isEnabled());
    EXPECT_FALSE(Combo("calTypePedal2")->isEnabled());
    EXPECT_FALSE(Check("enabledPedal2")->isEnabled());
    EXPECT_TRUE(Button("cancel")->isHidden());
    EXPECT_TRUE(Button("filters")->isEnabled());
    EXPECT_EQ(Button("edit")->text(), "Edit");

    Button("edit")->click();
    ASSERT_EQ(shell.script().Messages().size(), 1u);
    EXPECT_EQ(shell.script().Messages()[0].caption, "Tolvane");
    EXPECT_EQ(shell.script().Messages()[0].icon, Prompter::Icon::Information);
    EXPECT_EQ(TakeMessages(),
              std::vector<std::string>{"Commit your changes by pressing OK before you try to upload them."});
    EXPECT_TRUE(page->isEditing());
    EXPECT_EQ(Button("edit")->text(), "OK");
    EXPECT_FALSE(Button("cancel")->isHidden());
    EXPECT_FALSE(Button("filters")->isEnabled());
    EXPECT_TRUE(Find<QLineEdit>(*page, "currentPatch")->isEnabled());
    EXPECT_TRUE(Check("firstTimePedal2")->isEnabled());

    // A refresh while editing keeps what was typed; Cancel reloads from the dump.
    SetField("currentSet", "4");
    page->Refresh(nullptr, HintConfig);
    EXPECT_EQ(Field("currentSet"), "4");
    // The number fields take digits only, in this page and in one made after it.
    ConfigPage other(*doc, shell);
    for (ConfigPage* p : {page.get(), &other}) {
        auto* timeout = Find<QLineEdit>(*p, "powerupTimeout");
        timeout->setEnabled(true);
        timeout->selectAll();
        QTest::keyClicks(timeout, "1a2- 5");
        EXPECT_EQ(timeout->text(), "125");
    }
    Button("cancel")->click();
    EXPECT_FALSE(page->isEditing());
    EXPECT_EQ(Field("currentSet"), "2");
    EXPECT_FALSE(doc->IsModified());

    // No prompt when the setting is off.
    shell.settings().SetConfigEditPrompt(false);
    page->toggleEdit(false);
    EXPECT_TRUE(TakeMessages().empty());
    page->toggleEdit(false);

    // Hidden: every change waits for the page to come back (a patch edit can move the counts
    // and the current selections too).
    page->deactivate();
    doc->SetCurrentSet(3);
    page->Refresh(nullptr, HintPatches);
    EXPECT_TRUE(page->isRefreshPending());
    EXPECT_EQ(Field("currentSet"), "2");
    page->activate();
    EXPECT_EQ(Field("currentSet"), "3");

    QContextMenuEvent menu(QContextMenuEvent::Mouse, QPoint(5, 5), QPoint(120, 240));
    QApplication::sendEvent(page.get(), &menu);
    ASSERT_EQ(shell.contextMenus.size(), 1u);
    EXPECT_EQ(shell.contextMenus[0].submenu, ShellServices::MenuConfig);
    EXPECT_EQ(shell.contextMenus[0].pos, QPoint(120, 240));

    QString opened;
    QTimer::singleShot(0, [&opened] {
        if (auto* form = qobject_cast<GenericHexEditForm*>(QApplication::activeModalWidget())) {
            opened = form->windowTitle();
            form->reject();
        }
    });
    Button("filters")->click();
    EXPECT_EQ(opened, "Hex Editor");
}

TEST_F(ConfigPageTest, ChecksEveryFieldInOrderBeforeWritingAny) {
    Button("edit")->click();
    TakeMessages();
    // Valid changes that must not reach the dump while a later field fails.
    Check("filterRedundant")->setChecked(true);
    Check("editSysexHex")->setChecked(true);
    Check("midiMerging")->setChecked(false);
    Check("reverseLeds")->setChecked(true);
    Combo("defaultChannel")->setCurrentIndex(5);
    Combo("deviceChannel")->setCurrentIndex(15);
    Combo("channelPedal2")->setCurrentIndex(9);
    Combo("ccPedal2")->setCurrentIndex(64);
    Check("enabledPedal2")->setChecked(true);
    Check("invertPedal2")->setChecked(true);
    Combo("calTypePedal1")->setCurrentIndex(7);

    SetField("currentPatch", "9");
    SetField("currentBank", "7");
    SetField("currentSet", "6");
    SetField("powerupPatch", "8");
    SetField("powerupTimeout", "256");
    Combo("minPedal1")->setCurrentIndex(20);
    Combo("maxPedal1")->setCurrentIndex(19);
    Combo("calMinPedal2")->setCurrentIndex(10);
    Combo("calMaxPedal2")->setCurrentIndex(9);

    ExpectRefused("Invalid patch number in Current Patch field.");
    SetField("currentPatch", "abc"); // reads as 0
    ExpectRefused("Invalid bank number in Current Bank field.");
    SetField("currentBank", "0");
    ExpectRefused("Invalid set number in Current Set field.");
    SetField("currentSet", "5");
    ExpectRefused("Invalid patch number in Powerup Patch field.");
    SetField("powerupPatch", "3");
    ExpectRefused("Invalid value in Powerup Timeout field.\nValid range is 0 - 255.");
    SetField("powerupTimeout", "255");
    ExpectRefused("Pedal max value must >= min value.");
    Combo("maxPedal1")->setCurrentIndex(20);
    ExpectRefused("Pedal max value must >= min value.");
    Combo("calMaxPedal2")->setCurrentIndex(10);

    Button("edit")->click();
    EXPECT_TRUE(TakeMessages().empty());
    EXPECT_FALSE(page->isEditing());
    EXPECT_EQ(Button("edit")->text(), "Edit");
    EXPECT_EQ(doc->GetCurrentPatch(), 0);
    EXPECT_EQ(doc->GetCurrentBank(), 0);
    EXPECT_EQ(doc->GetCurrentSet(), 5);
    EXPECT_EQ(doc->GetPowerUpPatch(), 3);
    EXPECT_EQ(doc->GetPowerUpTimeout(), 255);
    EXPECT_EQ(doc->GetFilterOff(), 0);
    EXPECT_EQ(doc->GetEditSysexHex(), 1);
    EXPECT_EQ(doc->GetMergeOff(), 1);
    EXPECT_EQ(doc->GetReverseLeds(), 1);
    EXPECT_EQ(doc->GetDefaultChannel(), 5);
    EXPECT_EQ(doc->GetDeviceChannel(), 15);
    const CCAssignment pedal2 = doc->GetGlobalCC(2);
    EXPECT_EQ(pedal2.flags, 9 + 16 + 64);
    EXPECT_EQ(pedal2.controller, 64);
    EXPECT_EQ(doc->GetGlobalCC(1).minimum, 20);
    EXPECT_EQ(doc->GetPedalCalType(1), 28);
    EXPECT_EQ(doc->GetPedalCalMin(2), 10);
    EXPECT_EQ(doc->GetPedalCalMax(2), 10);
    EXPECT_TRUE(doc->IsModified());
    EXPECT_EQ(hints.hints, std::vector<int>{HintConfig});
    EXPECT_TRUE(kit::Consistent(*doc));

    // The stored values come back into the fields, and back out unchanged.
    const testdump::Bytes saved = Image();
    EXPECT_TRUE(Check("filterRedundant")->isChecked());
    EXPECT_FALSE(Check("midiMerging")->isChecked());
    EXPECT_EQ(Combo("deviceChannel")->currentText(), "16");
    page->toggleEdit(false);
    page->toggleEdit(true);
    EXPECT_EQ(Image(), saved);
}

} // namespace
