// The hex edit form on the MIDI filter bytes: the text it shows, OK's two refusals with nothing
// written, writing back with hint 0, and the number converter.
#include "editors/GenericHexEditForm.h"
#include "support/EditorTestKit.h"

#include <gtest/gtest.h>

#include <QApplication>
#include <QLineEdit>
#include <QRadioButton>

namespace {

using editorkit::Find;
using editorkit::SetText;
using editorkit::Text;

class GenericHexEditFormTest : public editorkit::EditorTest {
protected:
    void SetUp() override {
        EditorTest::SetUp();
        std::array<int, 16> filters{};
        for (size_t i = 0; i < filters.size(); ++i)
            filters[i] = static_cast<int>(i * 17);
        doc->SetMidiFilters(filters);
        form = GenericHexEditForm::ForMidiFilters(*doc, shell.prompter());
    }

    std::unique_ptr<GenericHexEditForm> form;
};

TEST_F(GenericHexEditFormTest, WritesTheSixteenBytesBackOnlyWhenTheCountHolds) {
    const std::string shown = Text(*form, "hexText");
    EXPECT_EQ(shown, "00 11 22 33 44 55 66 77 \n88 99 aa bb cc dd ee ff \n");
    EXPECT_TRUE(Find<QRadioButton>(*form, "decimal")->isChecked());

    const testdump::Bytes before = Image();
    const std::string malformed = "Only characters 0-9 and a-f are valid. \n"
                                  "Each byte must be 2 characters and separated by at least one space.";
    const std::string length = "The length of this data string can't change.";
    for (const auto& [text, message] :
         std::vector<std::pair<std::string, std::string>>{{shown.substr(3), length},
                                                          {"", length},
                                                          {shown + "00", length},
                                                          {shown + "|comment", malformed},
                                                          {"0 11" + shown.substr(5), malformed}}) {
        SetText(*form, "hexText", text);
        form->accept();
        EXPECT_NE(form->result(), QDialog::Accepted) << text;
        EXPECT_EQ(TakeMessages(), std::vector<std::string>{message}) << text;
        EXPECT_EQ(Text(*form, "hexText"), text);
    }
    EXPECT_EQ(Image(), before);
    EXPECT_FALSE(doc->IsModified());

    SetText(*form, "hexText", "00 11 22 33 44 55 66 77\n88 99 AA 7f cc dd ee ff");
    form->accept();
    EXPECT_EQ(form->result(), QDialog::Accepted);
    std::array<int, 16> expected{};
    for (size_t i = 0; i < expected.size(); ++i)
        expected[i] = static_cast<int>(i * 17);
    expected[11] = 0x7F;
    EXPECT_EQ(doc->GetMidiFilters(), expected);
    EXPECT_TRUE(doc->IsModified());
    EXPECT_EQ(hints.hints, std::vector<int>{HintAll});
    EXPECT_TRUE(kit::Consistent(*doc));
}

TEST_F(GenericHexEditFormTest, ConvertsTheNumberOnEveryPress) {
    auto* number = Find<QLineEdit>(*form, "numberField");
    auto* decimal = Find<QRadioButton>(*form, "decimal");
    auto* hex = Find<QRadioButton>(*form, "hexadecimal");
    decimal->click();
    EXPECT_EQ(number->text(), "") << "an empty field is not converted";

    number->setText("ff");
    decimal->click();
    EXPECT_EQ(number->text(), "255");
    EXPECT_EQ(number->selectedText(), "255");
    hex->click();
    EXPECT_EQ(number->text(), "ff");
    decimal->click();
    decimal->click();
    EXPECT_EQ(number->text(), "597");
    number->setText("12x");
    hex->click();
    EXPECT_EQ(number->text(), "err");
    EXPECT_EQ(Text(*form, "hexText"), "00 11 22 33 44 55 66 77 \n88 99 aa bb cc dd ee ff \n");
}

} // namespace
