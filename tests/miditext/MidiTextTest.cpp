#include "miditext/MidiText.h"

#include <gtest/gtest.h>

#include <string>
#include <vector>

namespace {

// f0 7e 00 f7 01 02 03 04 90 in byte-pair form: nine bytes, so the line break after the eighth shows.
const uint8_t kNinePairs[] = {1, 0x70, 0, 0x7e, 0, 0, 1, 0x77, 0, 1, 0, 2, 0, 3, 0, 4, 1, 0x10};

struct FormatRow {
    bool spaces;
    bool lineBreaks;
    const char* expected;
};

class FormatHexBytesTest : public ::testing::TestWithParam<FormatRow> {};

TEST_P(FormatHexBytesTest, PairsAndPlainBytesGiveTheSameText) {
    const FormatRow& row = GetParam();
    EXPECT_EQ(FormatHexBytes(kNinePairs, 9, row.spaces, row.lineBreaks), row.expected);
    const uint8_t plain[] = {0xf0, 0x7e, 0x00, 0xf7, 0x01, 0x02, 0x03, 0x04, 0x90};
    EXPECT_EQ(FormatHexBytesPlain(plain, 9, row.spaces, row.lineBreaks), row.expected);
}

INSTANTIATE_TEST_SUITE_P(Switches, FormatHexBytesTest,
                         ::testing::Values(FormatRow{false, false, "f07e00f70102030490"},
                                           FormatRow{true, false, "f0 7e 00 f7 01 02 03 04 90 "},
                                           FormatRow{true, true, "f0 7e 00 f7 01 02 03 04 \r\n90 "},
                                           FormatRow{false, true, "f07e00f701020304\r\n90"}));

TEST(FormatHexBytes, MalformedPairsPrintTwoDigits) {
    const uint8_t pairs[] = {3, 0x7f, 2, 0x05, 0x7f, 0x7f};
    EXPECT_EQ(FormatHexBytes(pairs, 3, true, false), "ff 05 ff ");
}

TEST(FormatHexBytes, NothingToFormat) {
    EXPECT_EQ(FormatHexBytes(kNinePairs, 0, true, true), "");
    EXPECT_EQ(FormatHexBytes(kNinePairs, -1, true, true), "");
    EXPECT_EQ(FormatHexBytes(nullptr, 4, true, true), "");
    EXPECT_EQ(FormatHexBytesPlain(nullptr, 4, false, false), "");
}

struct StripRow {
    const char* text;
    char delimiter;
    const char* expected;
};

class StripCommentsTest : public ::testing::TestWithParam<StripRow> {};

TEST_P(StripCommentsTest, Strips) {
    EXPECT_EQ(StripComments(GetParam().text, GetParam().delimiter), GetParam().expected);
}

INSTANTIATE_TEST_SUITE_P(Cases, StripCommentsTest,
                         ::testing::Values(StripRow{"f0 7e |sysex\r\nf7 |x", '|', "f0 7e \nf7 "},
                                           StripRow{"x\r\ny", '|', "x\r\ny"},
                                           StripRow{"a|b|c\nd", '|', "a\nd"}, StripRow{"|only", '|', ""},
                                           StripRow{"01;c|\n02", ';', "01\n02"}));

struct ParseRow {
    const char* text;
    int count;
    std::vector<uint8_t> bytes;
};

class ParseHexBytesTest : public ::testing::TestWithParam<ParseRow> {};

TEST_P(ParseHexBytesTest, Parses) {
    std::vector<uint8_t> bytes = {1, 2, 3, 4, 5, 6, 7, 8, 9}; // stale content must not survive
    EXPECT_EQ(ParseHexBytes(GetParam().text, bytes), GetParam().count);
    EXPECT_EQ(bytes, GetParam().bytes);
}

INSTANTIATE_TEST_SUITE_P(
    Cases, ParseHexBytesTest,
    ::testing::Values(ParseRow{"", 0, {}}, ParseRow{" \r\n\t ", 0, {}}, ParseRow{"F0 7E", 2, {0xf0, 0x7e}},
                      ParseRow{"f07e", 2, {0xf0, 0x7e}}, ParseRow{"f0\r\n\r\n7e\t", 2, {0xf0, 0x7e}},
                      ParseRow{"0a\v0B\f", 2, {0x0a, 0x0b}}, ParseRow{"f", -1, {}}, ParseRow{"f07", -1, {}},
                      ParseRow{"f 0", -1, {}}, ParseRow{"g0", -1, {}}, ParseRow{"f0,7e", -1, {}},
                      ParseRow{"f0 |x", -1, {}}));

struct DescribeRow {
    const char* hex;
    bool comments;
    const char* expected;
};

class DescribeMidiStringTest : public ::testing::TestWithParam<DescribeRow> {};

TEST_P(DescribeMidiStringTest, Layout) {
    EXPECT_EQ(DescribeMidiString(GetParam().hex, GetParam().comments), GetParam().expected);
}

INSTANTIATE_TEST_SUITE_P(
    Messages, DescribeMidiStringTest,
    ::testing::Values(
        DescribeRow{"903c400102b00764c105", true,
                    "90 3c 40 |note on: ch 1 note 60 velocity 64\r\n"
                    "01 02 |?\r\n"
                    "b0 07 64 |cntrl chg: ch 1 controller 7 (Channel Volume) value 100\r\n"
                    "c1 05 |prog chg: ch 2 patch 5\r\n"},
        DescribeRow{"903c400102b00764c105", false, "90 3c 40\r\n01 02 \r\nb0 07 64\r\nc1 05\r\n"},
        DescribeRow{"8f3c00", true, "8f 3c 00 |note off: ch 16 note 60 release velocity 0\r\n"},
        DescribeRow{"b08000", true,
                    "b0 80 00 |cntrl chg: ch 1 controller 128 (invalid controller value) value 0\r\n"},
        DescribeRow{"e30040", true, "e3 00 40 |pitch bend: ch 4 LSB 0 MSB 64\r\n"},
        DescribeRow{"", true, ""}));

INSTANTIATE_TEST_SUITE_P(Sysex, DescribeMidiStringTest,
                         ::testing::Values(DescribeRow{"f07e0009f7", true, "f0 7e 00 09 f7 |sysex\r\n"},
                                           DescribeRow{"f07e0009f7", false, "f0 7e 00 09 f7\r\n"},
                                           DescribeRow{"f07e00", true, "f0 7e 00 |incomplete sysex!\r\n"},
                                           DescribeRow{"f07e00", false, "f0 7e 00 "},
                                           // A long body is never broken or marked.
                                           DescribeRow{"f0000102030405060708f7", true,
                                                       "f0 00 01 02 03 04 05 06 07 08 f7 |sysex\r\n"},
                                           // The body's bytes do not count towards a following run.
                                           DescribeRow{
                                               "f00102f7c000", true,
                                               "f0 01 02 f7 |sysex\r\nc0 00 |prog chg: ch 1 patch 0\r\n"},
                                           // An f0 continues the open run's line.
                                           DescribeRow{"0102f003f7", true, "01 02 f0 03 f7 |sysex\r\n"},
                                           DescribeRow{"0102f003f7", false, "01 02 f0 03 f7\r\n"},
                                           // Only f0 opens a sysex and f7 outside one is just a byte.
                                           DescribeRow{"f1f7", true, "f1 f7 "}));

INSTANTIATE_TEST_SUITE_P(
    Unrecognised, DescribeMidiStringTest,
    ::testing::Values(DescribeRow{"00010203040506070809", true, "00 01 02 03 04 05 06 07 |?\r\n08 09 "},
                      DescribeRow{"00010203040506070809", false, "00 01 02 03 04 05 06 07 \r\n08 09 "},
                      // The eighth byte closed the run, so the message needs no second mark.
                      DescribeRow{"0001020304050607c000", true,
                                  "00 01 02 03 04 05 06 07 |?\r\nc0 00 |prog chg: ch 1 patch 0\r\n"},
                      DescribeRow{"8041", true, "80 41 "}, DescribeRow{"c0", true, "c0 "}));

// Input that FormatHexBytes never writes must still come out character for character.
INSTANTIATE_TEST_SUITE_P(
    Malformed, DescribeMidiStringTest,
    ::testing::Values(DescribeRow{"903", true, "90 3 "},
                      DescribeRow{"f0f", true, "f0 f |incomplete sysex!\r\n"}, DescribeRow{"f", true, "f "},
                      DescribeRow{"B00764", true, "B0 07 64 "},
                      DescribeRow{"90zz40", true, "90 zz 40 |note on: ch 1 note 0 velocity 64\r\n"}));

// The patch editor shows DescribeMidiString and reads the edited text back with StripComments
// and ParseHexBytes, so unedited text must give back the same bytes in both modes.
TEST(DescribeMidiString, ReadsBackToTheSameBytes) {
    std::vector<uint8_t> all(256);
    for (int i = 0; i < 256; ++i)
        all[i] = static_cast<uint8_t>(i);
    const std::vector<std::vector<uint8_t>> strings = {
        all,
        {0xf0, 0x00, 0x01, 0xf7, 0x90, 0x40, 0x7f, 0x05, 0xb3, 0x07, 0x64, 0xf0, 0x01},
        {0xc0, 0x01, 0xc0},
    };
    for (const auto& bytes : strings) {
        const std::string packed =
            FormatHexBytesPlain(bytes.data(), static_cast<int>(bytes.size()), false, false);
        for (const bool comments : {true, false}) {
            std::vector<uint8_t> back;
            EXPECT_EQ(ParseHexBytes(StripComments(DescribeMidiString(packed, comments)), back),
                      static_cast<int>(bytes.size()));
            EXPECT_EQ(back, bytes) << packed << " comments " << comments;
        }
    }
}

struct NameRow {
    int number;
    const char* name;
};

class ControllerNameTest : public ::testing::TestWithParam<NameRow> {};

TEST_P(ControllerNameTest, Names) {
    EXPECT_EQ(ControllerName(GetParam().number), GetParam().name);
}

INSTANTIATE_TEST_SUITE_P(
    Table, ControllerNameTest,
    ::testing::Values(NameRow{0, "Bank Select"}, NameRow{38, "LSB for Control 6 (Data Entry)"},
                      NameRow{44, "LSB for Control 12 (Effect control 1)"},
                      NameRow{64, "Damper Pedal On/Off (Sustain)"}, NameRow{66, "Sustenuto On/Off"},
                      NameRow{71, "Sound Controller 2 (default: Timbre/Harmonic Intens.)"},
                      NameRow{79, "Sound Controller 10 (default undefined)"},
                      NameRow{127, "[Channel Mode Message] Poly Mode On (+ mono off +all notes off)"},
                      NameRow{128, "invalid controller value"}, NameRow{-1, "invalid controller value"},
                      NameRow{256, "invalid controller value"}));

// Apart from three worded differently, the LSB rows repeat the name of their MSB controller.
TEST(ControllerName, LsbRowsFollowTheirController) {
    for (int n = 32; n < 64; ++n) {
        if (n == 38 || n == 44 || n == 45)
            continue;
        EXPECT_EQ(ControllerName(n),
                  "LSB for Control " + std::to_string(n - 32) + " (" + ControllerName(n - 32) + ")");
    }
}

struct ConvertRow {
    std::string (*convert)(const std::string&);
    const char* text;
    const char* expected;
};

class ConversionTest : public ::testing::TestWithParam<ConvertRow> {};

TEST_P(ConversionTest, Converts) {
    EXPECT_EQ(GetParam().convert(GetParam().text), GetParam().expected);
}

INSTANTIATE_TEST_SUITE_P(HexToDecimal, ConversionTest,
                         ::testing::Values(ConvertRow{HexToDecimalText, "ff", "255"},
                                           ConvertRow{HexToDecimalText, "FF", "255"},
                                           ConvertRow{HexToDecimalText, "0", "0"},
                                           ConvertRow{HexToDecimalText, "0000000000ff", "255"},
                                           ConvertRow{HexToDecimalText, "ffffffff", "4294967295"},
                                           ConvertRow{HexToDecimalText, "100000000", "err"},
                                           ConvertRow{HexToDecimalText, "1g", "err"},
                                           ConvertRow{HexToDecimalText, "", "err"}));

INSTANTIATE_TEST_SUITE_P(DecimalToHex, ConversionTest,
                         ::testing::Values(ConvertRow{DecimalToHexText, "255", "ff"},
                                           ConvertRow{DecimalToHexText, "0255", "ff"},
                                           ConvertRow{DecimalToHexText, "0", "0"},
                                           ConvertRow{DecimalToHexText, "4294967295", "ffffffff"},
                                           ConvertRow{DecimalToHexText, "4294967296", "err"},
                                           ConvertRow{DecimalToHexText, "99999999999999999999999", "err"},
                                           ConvertRow{DecimalToHexText, "-1", "err"},
                                           ConvertRow{DecimalToHexText, "", "err"}));

} // namespace
