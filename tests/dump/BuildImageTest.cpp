// Writing the model back into a message image: byte-for-byte round trips, record order, absent
// sets, and models whose dump size disagrees with the records.
#include "dump/SystemDoc.h"
#include "support/DumpBuilder.h"
#include "support/DumpTestDoc.h"

#include <gtest/gtest.h>

#include <algorithm>
#include <cstdint>
#include <string>
#include <vector>

namespace {

using dumpfix::ProbeDoc;
using testdump::Bytes;
using testdump::Dump;

Bytes BankBytes(int number, const std::string& name) {
    testdump::Bank b;
    b.number = number;
    b.name = name;
    b.slotPatches[4] = number;
    return testdump::MakeBank(b);
}

Bytes PatchBytes(int number, const std::string& name, size_t stringA) {
    testdump::Patch p;
    p.number = number;
    p.name = name;
    p.a = Bytes(stringA, static_cast<uint8_t>(0x80 + number));
    return testdump::MakePatch(p);
}

// --- round trips ------------------------------------------------------------------------------

struct RoundTripRow {
    const char* label;
    Bytes (*image)();
};

class RoundTripTest : public ::testing::TestWithParam<RoundTripRow> {};

TEST_P(RoundTripTest, ParsedDumpIsWrittenBackUnchanged) {
    const Bytes image = GetParam().image();
    SystemDoc doc;
    ASSERT_EQ(doc.ParseDump(image), DumpOk);
    ASSERT_EQ(doc.CheckIntegrity(), DumpOk);
    EXPECT_EQ(doc.BuildImage(), image);
}

INSTANTIATE_TEST_SUITE_P(Dumps, RoundTripTest,
                         ::testing::Values(RoundTripRow{"Empty", [] { return Dump().Build(); }},
                                           RoundTripRow{"Small", [] { return dumpfix::SmallDump().Build(); }},
                                           RoundTripRow{"Largest", testdump::LargestDump},
                                           RoundTripRow{"CarriedBytes",
                                                        [] {
                                                            // Filters, reserved bytes, calibrations and
                                                            // channel are only carried: they come back as
                                                            // they went in.
                                                            Dump d = dumpfix::SmallDump();
                                                            d.deviceChannel = 15;
                                                            for (size_t i = 22; i < 54; ++i)
                                                                d.config[i] =
                                                                    static_cast<uint8_t>(i % 2 ? i : 1);
                                                            for (size_t i = 90; i < 100; ++i)
                                                                d.config[i] =
                                                                    static_cast<uint8_t>(0x70 + i - 90);
                                                            d.config[57] = 0x33;
                                                            return d.Build();
                                                        }},
                                           RoundTripRow{"HighNumbers",
                                                        [] {
                                                            Dump d;
                                                            d.sets[4] = {99, 0, 99};
                                                            d.banks = {BankBytes(99, "LAST")};
                                                            d.patches = {PatchBytes(1, "FIRST", 0),
                                                                         PatchBytes(99, "NINETY NINE", 3),
                                                                         PatchBytes(500, "LAST", 40)};
                                                            return d.Build();
                                                        }}),
                         [](const ::testing::TestParamInfo<RoundTripRow>& info) {
                             return std::string(info.param.label);
                         });

TEST(BuildImage, BytesAfterTheF7AreDropped) {
    const Bytes image = dumpfix::SmallDump().Build();
    Bytes withTail = image;
    withTail.insert(withTail.end(), {0x12, 0x34, 0xF7});
    SystemDoc doc;
    ASSERT_EQ(doc.ParseDump(withTail), DumpOk);
    EXPECT_EQ(doc.BuildImage(), image);
}

// --- order ------------------------------------------------------------------------------------

TEST(BuildImage, RecordsLeaveSortedByNumber) {
    Dump arrived;
    arrived.sets[0] = {5, 2};
    arrived.banks = {BankBytes(5, "FIVE"), BankBytes(2, "TWO")};
    arrived.patches = {PatchBytes(9, "NINE", 2), PatchBytes(5, "FIVE", 0), PatchBytes(2, "TWO", 1)};
    Dump sorted = arrived;
    sorted.banks = {BankBytes(2, "TWO"), BankBytes(5, "FIVE")};
    sorted.patches = {PatchBytes(2, "TWO", 1), PatchBytes(5, "FIVE", 0), PatchBytes(9, "NINE", 2)};

    SystemDoc doc;
    ASSERT_EQ(doc.ParseDump(arrived.Build()), DumpOk);
    ASSERT_EQ(doc.CheckIntegrity(), DumpOk);
    const Bytes written = doc.BuildImage();
    EXPECT_EQ(written, sorted.Build());
    EXPECT_NE(written, arrived.Build());
}

// --- absent sets ------------------------------------------------------------------------------

TEST(BuildImage, AbsentSetsAreWrittenAsEmptySets) {
    // Set 3 claims more entries than the image holds, so sets 3-5 stay absent.
    Dump d;
    d.sets[0] = {0};
    d.sets[1] = {0, 0};
    Bytes image = d.Build();
    const size_t set3 = 111 + 6 + 8;
    image[set3 + 3] = 0x7F;
    SystemDoc doc;
    ASSERT_EQ(doc.ParseDump(image), DumpBadSets);
    ASSERT_FALSE(doc.PeekSet(3)->IsPresent());
    ASSERT_EQ(doc.CheckIntegrity(), DumpBadSets);

    image[set3 + 3] = 0x00;
    EXPECT_EQ(doc.BuildImage(), image);
}

// --- dump size out of line with the records ---------------------------------------------------

// What an image of `size` bytes must hold: the records as far as they reach, zeros after them.
Bytes Expected(const Bytes& full, int size) {
    if (size < 0)
        return {};
    Bytes out(full.begin(), full.begin() + std::min<long>(size, static_cast<long>(full.size())));
    out.resize(static_cast<size_t>(size), 0);
    return out;
}

class DumpSizeTest : public ::testing::TestWithParam<int> {};

// The sanitizer build catches any write outside the image.
TEST_P(DumpSizeTest, ImageHasDumpSizeBytesAndNothingSpills) {
    const Bytes full = dumpfix::SmallDump().Build();
    ProbeDoc doc;
    ASSERT_EQ(doc.ParseDump(full), DumpOk);
    const int size = static_cast<int>(full.size()) + GetParam();
    doc.ForceDumpSize(size);
    const Bytes image = doc.BuildImage();
    EXPECT_EQ(image, Expected(full, size));
}

// Offsets from the true size: larger, one short (no room for the F7), inside the patches,
// inside the header, and sizes that leave no image at all.
INSTANTIATE_TEST_SUITE_P(Offsets, DumpSizeTest,
                         ::testing::Values(1, 2, 1000, 0, -1, -2, -100, -300, -470, -580, -586, -587,
                                           -100000));

TEST(BuildImage, DuplicateRecordsLeaveZerosAfterTheF7) {
    // Both records count towards the dump size, only the second stays in the model.
    Dump d;
    d.patches = {PatchBytes(5, "FIRST", 4), PatchBytes(5, "SECOND", 1)};
    SystemDoc doc;
    ASSERT_EQ(doc.ParseDump(d.Build()), DumpOk);
    Dump kept;
    kept.patches = {PatchBytes(5, "SECOND", 1)};
    kept.patchCount = 2;
    kept.transmitLength = (static_cast<int>(d.Build().size()) - 12) / 2;
    EXPECT_EQ(doc.BuildImage(), Expected(kept.Build(), doc.DumpSize()));
    EXPECT_EQ(doc.BuildImage().size(), d.Build().size());
}

TEST(BuildImage, BankNumberedZeroIsNotWritten) {
    Dump d;
    d.banks = {BankBytes(0, "ZERO")};
    SystemDoc doc;
    ASSERT_EQ(doc.ParseDump(d.Build()), DumpOk);
    Dump without;
    without.bankCount = 1;
    without.transmitLength = (132 + 74 - 12) / 2;
    EXPECT_EQ(doc.BuildImage(), Expected(without.Build(), 132 + 74));
}

TEST(BuildImage, DocumentWithDumpSizeZeroHasAnEmptyImage) {
    SystemDoc doc;
    ASSERT_TRUE(doc.LoadImage(nullptr, 0, false));
    EXPECT_EQ(doc.DumpSize(), 0);
    EXPECT_TRUE(doc.BuildImage().empty());
}

} // namespace
