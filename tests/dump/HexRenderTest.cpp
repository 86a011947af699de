// The hex listing of a dump image.
#include "dump/HexRender.h"
#include "dump/SystemDoc.h"

#include <gtest/gtest.h>

#include <cstdint>
#include <string>
#include <vector>

namespace {

std::vector<std::string> SplitLines(const std::string& text) {
    std::vector<std::string> lines;
    size_t start = 0;
    for (size_t end; (end = text.find("\r\n", start)) != std::string::npos; start = end + 2)
        lines.push_back(text.substr(start, end - start));
    if (start < text.size())
        lines.push_back(text.substr(start)); // a last line without a break
    return lines;
}

TEST(RenderHexDump, EmptyDumpWithCharactersAndOffsets) {
    const std::vector<uint8_t> image = SystemDoc().BuildImage();
    ASSERT_EQ(image.size(), 132u);
    const std::string text = RenderHexDump(image.data(), image.size(), true, true);

    const std::vector<std::string> lines = SplitLines(text);
    ASSERT_EQ(lines.size(), 17u);
    EXPECT_EQ(text.substr(0, lines[0].size() + 2),
              "0000: F0 00 00 10 00 0E 41 00  |  \xF0 . . \x10 . . A .\r\n");
    EXPECT_EQ(lines[8], "0040: 00 01 7F 00 00 00 10 01  |  . . \x7F . . . \x10 .");
    // The last, short line ends without a line break.
    EXPECT_EQ(text.substr(text.size() - lines[16].size() - 2),
              "\r\n0080: 00 00 00 F7              |  . . . \xF7 ");
    for (size_t i = 0; i < 16; ++i)
        EXPECT_EQ(lines[i].size(), 6u + 24u + 4u + 15u) << "line " << i;
}

TEST(RenderHexDump, EmptyDumpWithoutCharactersOrOffsets) {
    const std::vector<uint8_t> image = SystemDoc().BuildImage();
    EXPECT_EQ(RenderHexDump(image.data(), image.size(), false, false),
              "F0 00 00 10 00 0E 41 00 00 00 3C 00 00 00 00 00 \r\n"
              "00 00 00 00 00 00 00 00 00 00 00 00 00 00 00 00 \r\n"
              "00 00 00 00 00 00 00 00 00 00 00 00 00 00 00 00 \r\n"
              "00 00 00 00 00 00 00 00 00 00 00 00 00 00 00 00 \r\n"
              "00 01 7F 00 00 00 10 01 7F 00 00 00 10 00 00 00 \r\n"
              "00 00 00 00 7F 00 00 00 00 00 00 00 7F 00 00 00 \r\n"
              "00 00 00 00 00 00 00 00 00 00 00 00 00 00 00 00 \r\n"
              "00 00 00 00 00 00 00 00 00 00 00 00 00 00 00 00 \r\n"
              "00 00 00 F7                                     \r\n");
}

struct HexRow {
    const char* name;
    std::vector<uint8_t> bytes;
    bool ascii;
    bool offset;
    std::string expected;
};

class RenderHexRows : public ::testing::TestWithParam<HexRow> {};

TEST_P(RenderHexRows, Renders) {
    const HexRow& row = GetParam();
    EXPECT_EQ(RenderHexDump(row.bytes.data(), row.bytes.size(), row.ascii, row.offset), row.expected);
}

// Only 0x00-0x0F become "."; 0x10 and up, 0x7F and the 8-bit bytes included, appear raw.
const std::vector<uint8_t> kTen = {0xF0, 0x0F, 0x10, 0x1F, 0x20, 0x41, 0x7E, 0x7F, 0x80, 0xFF};
const std::vector<uint8_t> kEight = {0x00, 0x01, 0x02, 0x03, 0x30, 0x31, 0x32, 0x33};

INSTANTIATE_TEST_SUITE_P(
    Rows, RenderHexRows,
    ::testing::Values(HexRow{"CharactersAndOffsets", kTen, true, true,
                             "0000: F0 0F 10 1F 20 41 7E 7F  |  \xF0 . \x10 \x1F   A ~ \x7F\r\n"
                             "0008: 80 FF                    |  \x80 \xFF "},
                      HexRow{"CharactersOnly", kTen, true, false,
                             "F0 0F 10 1F 20 41 7E 7F  |  \xF0 . \x10 \x1F   A ~ \x7F\r\n"
                             "80 FF                    |  \x80 \xFF "},
                      HexRow{"OffsetsOnly", kTen, false, true,
                             "0000: F0 0F 10 1F 20 41 7E 7F 80 FF                   \r\n"},
                      HexRow{"Neither", kTen, false, false,
                             "F0 0F 10 1F 20 41 7E 7F 80 FF                   \r\n"},
                      HexRow{"ExactlyOneLineOfCharacters", kEight, true, true,
                             "0000: 00 01 02 03 30 31 32 33  |  . . . . 0 1 2 3\r\n"},
                      HexRow{"OneByte", {0x41}, true, false, "41                       |  A "},
                      HexRow{"ExactlyOneLineOfSixteen",
                             {0, 1, 2, 3, 4, 5, 6, 7, 8, 9, 10, 11, 12, 13, 14, 15},
                             false,
                             true,
                             "0000: 00 01 02 03 04 05 06 07 08 09 0A 0B 0C 0D 0E 0F \r\n"},
                      HexRow{"Nothing", {}, true, true, ""}),
    [](const ::testing::TestParamInfo<HexRow>& info) { return std::string(info.param.name); });

TEST(RenderHexDump, NullInputGivesNoText) {
    EXPECT_EQ(RenderHexDump(nullptr, 16, true, true), "");
}

TEST(RenderHexDump, OffsetsWrapAtSixteenBits) {
    const std::vector<uint8_t> bytes(0x10010, 0xAB);
    const std::vector<std::string> lines = SplitLines(RenderHexDump(bytes.data(), bytes.size(), false, true));
    ASSERT_EQ(lines.size(), 0x1001u);
    EXPECT_EQ(lines[0xFFF].substr(0, 9), "FFF0: AB ");
    EXPECT_EQ(lines[0x1000], "0000: AB AB AB AB AB AB AB AB AB AB AB AB AB AB AB AB ");
}

} // namespace
