// Parsing dump images into the model and the integrity check: every error code, malformed and
// truncated images, and the largest image a file may hold.
#include "dump/DumpErrors.h"
#include "dump/DumpFileFlow.h"
#include "dump/SystemDoc.h"
#include "support/DumpBuilder.h"
#include "support/DumpTestDoc.h"
#include "support/MemoryFileOps.h"
#include "support/ScriptedPrompter.h"

#include <gtest/gtest.h>

#include <cctype>
#include <cstdint>
#include <string>
#include <vector>

namespace {

using dumpfix::ProbeDoc;
using testdump::Bytes;
using testdump::Dump;

// --- image makers -----------------------------------------------------------------------------

Bytes WithByte(Bytes image, size_t at, uint8_t value) {
    image.at(at) = value;
    return image;
}

// Overwrites an encoded field inside a record.
void PutQuadAt(Bytes& record, size_t at, int value) {
    Bytes quad;
    testdump::PutQuad(quad, value);
    std::copy(quad.begin(), quad.end(), record.begin() + static_cast<long>(at));
}

void PutPairAt(Bytes& record, size_t at, int value) {
    Bytes pair;
    testdump::PutPair(pair, value);
    std::copy(pair.begin(), pair.end(), record.begin() + static_cast<long>(at));
}

Bytes Joined(Bytes head, const Bytes& tail) {
    head.insert(head.end(), tail.begin(), tail.end());
    return head;
}

Bytes Small() {
    return dumpfix::SmallDump().Build();
}
Bytes Empty() {
    return Dump().Build();
}

Bytes PatchBytes(int number, const std::string& name) {
    testdump::Patch p;
    p.number = number;
    p.name = name;
    return testdump::MakePatch(p);
}

Bytes BankBytes(int number, const std::string& name) {
    testdump::Bank b;
    b.number = number;
    b.name = name;
    return testdump::MakeBank(b);
}

RecordSlot Slot(const Bytes& bytes) {
    return RecordSlot(bytes.data(), static_cast<int>(bytes.size()));
}

// --- the error table --------------------------------------------------------------------------

struct ErrorRow {
    const char* description;
    Bytes (*image)();
    void (*tweak)(ProbeDoc&); // a change made to the parsed model before the check, or null
    int parse;
    int check;
};

std::string RowName(const ::testing::TestParamInfo<ErrorRow>& info) {
    std::string name;
    for (const char* c = info.param.description; *c; ++c)
        name += std::isalnum(static_cast<unsigned char>(*c)) ? *c : '_';
    return name;
}

class ErrorTableTest : public ::testing::TestWithParam<ErrorRow> {};

TEST_P(ErrorTableTest, ParseAndCheckReportTheExpectedCodes) {
    const ErrorRow& row = GetParam();
    const Bytes image = row.image();
    ProbeDoc doc;
    EXPECT_EQ(doc.ParseDump(image), row.parse);
    if (row.tweak)
        row.tweak(doc);
    EXPECT_EQ(doc.CheckIntegrity(), row.check) << DumpErrorText(doc.CheckIntegrity());
    EXPECT_EQ(doc.CheckIntegrity(), row.check) << "a second run must agree";
}

const ErrorRow kErrorRows[] = {
    {"small valid dump", Small, nullptr, DumpOk, DumpOk},
    {"empty dump", Empty, nullptr, DumpOk, DumpOk},
    {"bytes after the F7 are not read",
     [] {
         return Joined(Empty(), {0x00, 0xF7, 0x12});
     },
     nullptr, DumpOk, DumpOk},

    // 1: the dump size itself
    {"dump size below the empty dump", Small, [](ProbeDoc& d) { d.ForceDumpSize(131); }, DumpOk,
     DumpTooShort},
    {"dump size zero", Empty, [](ProbeDoc& d) { d.ForceDumpSize(0); }, DumpOk, DumpTooShort},

    // 2-7: the header
    {"first byte not F0", [] { return WithByte(Small(), 0, 0xF1); }, nullptr, DumpOk, DumpNoStart},
    {"manufacturer byte 0 wrong", [] { return WithByte(Small(), 1, 0x01); }, nullptr, DumpOk,
     DumpBadManufacturer0},
    {"manufacturer byte 1 wrong", [] { return WithByte(Small(), 2, 0x01); }, nullptr, DumpOk,
     DumpBadManufacturer1},
    {"manufacturer byte 2 is 0x11", [] { return WithByte(Empty(), 3, 0x11); }, nullptr, DumpOk,
     DumpBadManufacturer2},
    {"device ID 0x0F", [] { return WithByte(Empty(), 5, 0x0F); }, nullptr, DumpOk, DumpBadDeviceId},
    {"data header type 0x42", [] { return WithByte(Empty(), 6, 0x42); }, nullptr, DumpOk, DumpBadHeaderType},
    {"header errors come before configuration errors",
     [] { return WithByte(WithByte(Empty(), 4, 17), 3, 0x11); }, nullptr, DumpOk, DumpBadManufacturer2},

    // 17: configuration (the per-field limits have their own table below)
    {"device channel 17", [] { return WithByte(Empty(), 4, 17); }, nullptr, DumpOk, DumpBadConfig},
    {"device channel 16 is accepted", [] { return WithByte(Empty(), 4, 16); }, nullptr, DumpOk, DumpOk},
    {"bank count 100",
     [] {
         Dump d;
         d.bankCount = 100;
         return d.Build();
     },
     nullptr, DumpBadBanks, DumpBadConfig},
    {"patch count 501",
     [] {
         Dump d;
         d.patchCount = 501;
         return d.Build();
     },
     nullptr, DumpBadPatches, DumpBadConfig},

    // 8: the end of the message
    {"F7 replaced", [] { return WithByte(Small(), Small().size() - 1, 0x00); }, nullptr, DumpNoEnd, DumpOk},
    {"image ends before the F7",
     [] {
         Bytes b = Small();
         b.pop_back();
         return b;
     },
     nullptr, DumpNoEnd, DumpOk},
    {"fewer patches counted than sent",
     [] {
         Dump d = dumpfix::SmallDump();
         d.patchCount = 2;
         d.transmitLength = (static_cast<int>(Small().size()) - 92 - 12) / 2; // without patch 3
         return d.Build();
     },
     nullptr, DumpNoEnd, DumpOk},

    // 9 and 18: lengths
    {"empty dump with transmit length 61",
     [] {
         Dump d;
         d.transmitLength = 61;
         return d.Build();
     },
     nullptr, DumpOk, DumpBadTransmitLength},
    {"transmit length one short",
     [] {
         Dump d = dumpfix::SmallDump();
         d.transmitLength = (static_cast<int>(Small().size()) - 12) / 2 - 1;
         return d.Build();
     },
     nullptr, DumpOk, DumpBadTransmitLength},
    {"transmit length off and counts smaller than the records",
     [] {
         Dump d = dumpfix::SmallDump();
         d.patchCount = 2;
         return d.Build();
     },
     nullptr, DumpNoEnd, DumpBadTransmitLength},
    {"dump size disagrees with the records", Small, [](ProbeDoc& d) { d.ForceDumpSize(d.DumpSize() + 2); },
     DumpOk, DumpLengthError},
    {"dump size disagrees with the records but agrees with the transmit length", Small,
     [](ProbeDoc& d) {
         d.ForceDumpSize(d.DumpSize() + 2);
         d.SetTransmitLength((d.DumpSize() - 12) / 2);
     },
     DumpOk, DumpLengthError},

    // 15 and 16: sets
    {"first set runs past the end",
     [] {
         Bytes b = Small();
         PutQuadAt(b, 111, 0x7FFF);
         return b;
     },
     nullptr, DumpBadSets, DumpBadSets},
    {"last set runs past the end",
     [] {
         Bytes b = Empty();
         PutQuadAt(b, 127, 1);
         return b;
     },
     nullptr, DumpBadSets, DumpBadSets},
    {"set entry count larger than its record", Small,
     [](ProbeDoc& d) {
         d.ReplaceSet(2, Slot({0, 0, 0, 5, 0, 1}));
     },
     DumpOk, DumpBadSets},
    {"set names bank 100",
     [] {
         Dump d = dumpfix::SmallDump();
         d.sets[2] = {1, 100};
         return d.Build();
     },
     nullptr, DumpOk, DumpBadBankRef},
    {"set names an absent bank",
     [] {
         Dump d = dumpfix::SmallDump();
         d.sets[4] = {0, 0, 7};
         return d.Build();
     },
     nullptr, DumpOk, DumpBadBankRef},
    {"set names a bank whose record carries another number", Small,
     [](ProbeDoc& d) { d.ReplaceBank(2, Slot(BankBytes(9, "STRAY"))); }, DumpOk, DumpBadBankRef},

    // 12 and 13: banks
    {"bank runs past the end by its inactive sequence length",
     [] {
         Dump d = dumpfix::SmallDump();
         d.sets = {};
         PutQuadAt(d.banks[0], 70, 0x7FFF);
         return d.Build();
     },
     nullptr, DumpBadBanks, DumpBankCount},
    {"bank numbered 100",
     [] {
         Dump d = dumpfix::SmallDump();
         d.sets = {};
         PutPairAt(d.banks[0], 0, 100);
         return d.Build();
     },
     nullptr, DumpBadBanks, DumpBankCount},
    {"bank count 1 in an image without banks",
     [] {
         Dump d;
         d.bankCount = 1;
         return d.Build();
     },
     nullptr, DumpBadBanks, DumpBankCount},
    {"bank count 1 while no bank is stored", Empty, [](ProbeDoc& d) { d.SetBankCount(1); }, DumpOk,
     DumpBankCount},
    {"only bank numbered 0",
     [] {
         Dump d;
         d.banks = {BankBytes(0, "ZERO")};
         return d.Build();
     },
     nullptr, DumpOk, DumpBankCount},
    {"two bank records numbered 2",
     [] {
         Dump d = dumpfix::SmallDump();
         d.banks.push_back(BankBytes(2, "AGAIN"));
         return d.Build();
     },
     nullptr, DumpOk, DumpBankCount},
    {"bank record shorter than its fixed part", Small,
     [](ProbeDoc& d) {
         d.ReplaceBank(2, Slot({0, 2, 0, 0, 0, 1, 0, 0}));
     },
     DumpOk, DumpBadBanks},

    // 14: bank to patch references
    {"bank slot A names patch 501",
     [] {
         Dump d = dumpfix::SmallDump();
         PutQuadAt(d.banks[0], 2, 501);
         return d.Build();
     },
     nullptr, DumpOk, DumpBadPatchRef},
    {"bank slot I names an absent patch",
     [] {
         Dump d = dumpfix::SmallDump();
         PutQuadAt(d.banks[0], 2 + 8 * 4, 9);
         return d.Build();
     },
     nullptr, DumpOk, DumpBadPatchRef},
    {"sequence step names an absent patch",
     [] {
         Dump d = dumpfix::SmallDump();
         PutQuadAt(d.banks[1], 74 + 2 * 4, 9);
         return d.Build();
     },
     nullptr, DumpOk, DumpBadPatchRef},
    {"sequence on leaves the slots unchecked",
     [] {
         Dump d = dumpfix::SmallDump();
         PutQuadAt(d.banks[1], 2, 501);
         return d.Build();
     },
     nullptr, DumpOk, DumpOk},
    {"sequence off leaves the steps unchecked",
     [] {
         testdump::Bank b;
         b.number = 1;
         b.steps = {501, 9, 0};
         Dump d;
         d.banks = {testdump::MakeBank(b)};
         return d.Build();
     },
     nullptr, DumpOk, DumpOk},
    {"bank names a patch whose record carries another number", Small,
     [](ProbeDoc& d) { d.ReplacePatch(1, Slot(PatchBytes(4, "STRAY"))); }, DumpOk, DumpBadPatchRef},

    // 10 and 11: patches
    {"patch string A runs past the end",
     [] {
         Dump d = dumpfix::SmallDump();
         PutQuadAt(d.patches[2], 84, 0x7FFF);
         return d.Build();
     },
     nullptr, DumpBadPatches, DumpPatchCount},
    {"patch string B runs past the end",
     [] {
         Dump d = dumpfix::SmallDump();
         PutQuadAt(d.patches[2], 88, 0xFFFF);
         return d.Build();
     },
     nullptr, DumpBadPatches, DumpPatchCount},
    {"patch numbered 501",
     [] {
         Dump d = dumpfix::SmallDump();
         PutQuadAt(d.patches[2], 0, 501);
         return d.Build();
     },
     nullptr, DumpBadPatches, DumpPatchCount},
    {"patch count above the records",
     [] {
         Dump d = dumpfix::SmallDump();
         d.patchCount = 4;
         return d.Build();
     },
     nullptr, DumpBadPatches, DumpPatchCount},
    {"two patch records numbered 5",
     [] {
         Dump d;
         d.patches = {PatchBytes(5, "FIRST"), PatchBytes(5, "SECOND")};
         return d.Build();
     },
     nullptr, DumpOk, DumpPatchCount},
    {"only patch numbered 0",
     [] {
         Dump d;
         d.patches = {PatchBytes(0, "ZERO")};
         return d.Build();
     },
     nullptr, DumpOk, DumpPatchCount},
    {"patch record shorter than its fixed part", Small,
     [](ProbeDoc& d) { d.ReplacePatch(3, Slot(Bytes(50, 0))); }, DumpOk, DumpBadPatches},
};

INSTANTIATE_TEST_SUITE_P(Codes, ErrorTableTest, ::testing::ValuesIn(kErrorRows), RowName);

// The table must show every code at least once (1-18 from the check, 8, 10, 12 and 15 from the
// parse), so a code that becomes unreachable is noticed.
TEST(ErrorTable, CoversEveryCode) {
    std::vector<bool> checked(19, false);
    std::vector<bool> parsed(19, false);
    for (const ErrorRow& row : kErrorRows) {
        checked[static_cast<size_t>(row.check)] = true;
        parsed[static_cast<size_t>(row.parse)] = true;
    }
    for (int code = 1; code <= 18; ++code) {
        if (code != DumpNoEnd) {
            EXPECT_TRUE(checked[static_cast<size_t>(code)]) << "no row checks as " << code;
        }
    }
    for (int code : {DumpNoEnd, DumpBadPatches, DumpBadBanks, DumpBadSets})
        EXPECT_TRUE(parsed[static_cast<size_t>(code)]) << "no row parses as " << code;
}

// --- configuration limits ---------------------------------------------------------------------

struct LimitRow {
    const char* label;
    int offset;
    int width;
    int limit;
};

class ConfigLimitTest : public ::testing::TestWithParam<LimitRow> {
protected:
    int CheckWith(const Bytes& encoded) {
        Bytes image = Empty();
        std::copy(encoded.begin(), encoded.end(), image.begin() + SystemDoc::kHeaderSize + GetParam().offset);
        SystemDoc doc;
        EXPECT_EQ(doc.ParseDump(image), DumpOk);
        return doc.CheckIntegrity();
    }
    // Byte pairs are written as a reader combines them, so 256 becomes the malformed pair 2, 0.
    Bytes Encoded(int value) {
        Bytes out;
        if (GetParam().width == 2)
            out = {static_cast<uint8_t>(value / 128), static_cast<uint8_t>(value % 128)};
        else
            testdump::PutQuad(out, value);
        return out;
    }
};

TEST_P(ConfigLimitTest, LimitPassesAndOneAboveFails) {
    EXPECT_EQ(CheckWith(Encoded(GetParam().limit)), DumpOk);
    EXPECT_EQ(CheckWith(Encoded(GetParam().limit + 1)), DumpBadConfig);
}

INSTANTIATE_TEST_SUITE_P(
    Fields, ConfigLimitTest,
    ::testing::Values(LimitRow{"CurrentPatch", 0, 4, 500}, LimitRow{"CurrentBank", 4, 2, 99},
                      LimitRow{"CurrentSet", 6, 2, 5}, LimitRow{"FilterOff", 8, 2, 1},
                      LimitRow{"EditSysexHex", 10, 2, 1}, LimitRow{"MergeOff", 12, 2, 1},
                      LimitRow{"ReverseLeds", 14, 2, 1}, LimitRow{"PowerUpPatch", 16, 4, 500},
                      LimitRow{"PowerUpTimeout", 20, 2, 255}, LimitRow{"DefaultChannel", 88, 2, 16}),
    [](const ::testing::TestParamInfo<LimitRow>& info) { return std::string(info.param.label); });

// --- error texts ------------------------------------------------------------------------------

TEST(DumpErrorText, EveryCodeHasItsText) {
    const char* const expected[] = {
        "No error",
        "Not enough data to even be an empty dump",
        "Missing start of sysex transmission (F0)",
        "Incorrect manufacturer ID byte 0",
        "Incorrect manufacturer ID byte 1",
        "Incorrect manufacturer ID byte 2",
        "Incorrect device ID",
        "Incorrect data header type",
        "Missing end of sysex transmission (F7)",
        "Data transmit length does not match actual data length",
        "Could not properly parse all patches",
        "Did not find expected number of patches",
        "Could not properly parse all banks",
        "Did not find expected number of banks",
        "A bank referenced an invalid patch",
        "Could not properly parse all sets",
        "A set referenced an invalid bank",
        "Could not properly parse system configuration",
        "Actual data length calculation error.",
    };
    for (int code = 0; code <= 18; ++code)
        EXPECT_STREQ(DumpErrorText(code), expected[code]) << code;
    for (int code : {-1, 19, 255})
        EXPECT_STREQ(DumpErrorText(code), "Unknown error") << code;
}

// --- what the parse keeps ---------------------------------------------------------------------

TEST(Parse, ReplacesTheWholeModel) {
    SystemDoc doc;
    ASSERT_EQ(doc.ParseDump(Small()), DumpOk);
    ASSERT_TRUE(doc.HasBank(2));
    ASSERT_EQ(doc.ParseDump(Empty()), DumpOk);
    EXPECT_EQ(doc.DumpSize(), 132);
    for (int n = 0; n <= 99; ++n)
        EXPECT_FALSE(doc.PeekBank(n)->IsPresent()) << n;
    for (int n = 0; n <= 500; ++n)
        ASSERT_FALSE(doc.PeekPatch(n)->IsPresent()) << n;
    EXPECT_EQ(doc.GetDeviceChannel(), 0);
    EXPECT_EQ(doc.BuildImage(), Empty());
}

TEST(Parse, ConstructionFromAnImageParsesAndIsNotModified) {
    const Bytes image = Small();
    const SystemDoc doc(image.data(), image.size());
    EXPECT_FALSE(doc.IsModified());
    EXPECT_EQ(doc.CheckIntegrity(), DumpOk);
    EXPECT_EQ(doc.DumpSize(), 586);
    EXPECT_EQ(doc.GetDeviceChannel(), 2);
}

TEST(Parse, SetRunningPastTheEndKeepsTheSetsBeforeIt) {
    Bytes image = Small();
    PutQuadAt(image, 119, 0x7FFF); // set 2
    SystemDoc doc;
    ASSERT_EQ(doc.ParseDump(image), DumpBadSets);
    EXPECT_EQ(doc.GetSet(1).Bytes(), (Bytes{0, 0, 0, 2, 0, 1, 0, 2}));
    EXPECT_EQ(doc.GetSet(1).Number(), 1);
    for (int s = 2; s <= 5; ++s)
        EXPECT_FALSE(doc.PeekSet(s)->IsPresent()) << s;
    EXPECT_FALSE(doc.HasBank(1));
    EXPECT_EQ(doc.DumpSize(), 132 + 4);
}

TEST(Parse, ImageShorterThanHeaderAndConfigurationIsZeroFilled) {
    const Bytes full = Small();
    const Bytes prefix(full.begin(), full.begin() + 50);
    SystemDoc doc;
    EXPECT_EQ(doc.ParseDump(prefix), DumpBadSets);
    EXPECT_EQ(Bytes(doc.Header(), doc.Header() + 11), Bytes(full.begin(), full.begin() + 11));
    Bytes config(full.begin() + 11, full.begin() + 50);
    config.resize(100, 0);
    EXPECT_EQ(Bytes(doc.Config(), doc.Config() + 100), config);
    for (int s = 1; s <= 5; ++s)
        EXPECT_FALSE(doc.PeekSet(s)->IsPresent()) << s;
    EXPECT_EQ(doc.CheckIntegrity(), DumpBadSets);

    EXPECT_EQ(doc.ParseDump(nullptr, 40), DumpBadSets);
    EXPECT_EQ(Bytes(doc.Header(), doc.Header() + 11), Bytes(11, 0));
    EXPECT_EQ(doc.CheckIntegrity(), DumpNoStart);
}

TEST(Parse, LaterRecordWithTheSameNumberReplacesTheEarlier) {
    Dump d;
    d.patches = {PatchBytes(5, "FIRST"), PatchBytes(5, "SECOND")};
    SystemDoc doc;
    ASSERT_EQ(doc.ParseDump(d.Build()), DumpOk);
    EXPECT_EQ(doc.GetPatch(5).Bytes(), PatchBytes(5, "SECOND"));
    EXPECT_EQ(doc.DumpSize(), 132 + 2 * 92) << "both records were parsed";
    EXPECT_EQ(doc.CheckIntegrity(), DumpPatchCount);
}

TEST(Parse, BankNumberedZeroLandsInSlotZeroOnly) {
    Dump d;
    d.banks = {BankBytes(0, "ZERO")};
    SystemDoc doc;
    ASSERT_EQ(doc.ParseDump(d.Build()), DumpOk);
    ASSERT_TRUE(doc.PeekBank(0)->IsPresent());
    EXPECT_EQ(doc.PeekBank(0)->Bytes(), BankBytes(0, "ZERO"));
    EXPECT_FALSE(doc.GetBank(0).IsPresent()) << "slot 0 is not a bank number";
    EXPECT_FALSE(doc.HasBank(0));
    EXPECT_EQ(doc.DumpSize(), 132 + 74);
    EXPECT_EQ(doc.CheckIntegrity(), DumpBankCount);
}

// --- truncation -------------------------------------------------------------------------------

// Cutting a dump short at any length: no read outside the image (each prefix lives in a buffer
// of exactly its size, so the sanitizers see an overrun), the parse names the section where the
// image ends, and the check passes only for the whole dump or the dump without its F7.
TEST(Truncation, EveryPrefixOfASmallDump) {
    const Dump d = dumpfix::SmallDump();
    const Bytes full = d.Build();
    size_t setsEnd = 111;
    for (const auto& set : d.sets)
        setsEnd += 4 + 2 * set.size();
    size_t banksEnd = setsEnd;
    for (const Bytes& bank : d.banks)
        banksEnd += bank.size();
    ASSERT_EQ(full.size(), 586u);

    for (size_t length = 0; length <= full.size(); ++length) {
        SCOPED_TRACE(length);
        const Bytes prefix(full.begin(), full.begin() + static_cast<long>(length));
        SystemDoc doc;
        const int parsed = doc.ParseDump(prefix.empty() ? nullptr : prefix.data(), prefix.size());
        int expected = DumpOk;
        if (length < setsEnd)
            expected = DumpBadSets;
        else if (length < banksEnd)
            expected = DumpBadBanks;
        else if (length < full.size() - 1)
            expected = DumpBadPatches;
        else if (length == full.size() - 1)
            expected = DumpNoEnd;
        EXPECT_EQ(parsed, expected);

        const int checked = doc.CheckIntegrity();
        if (length >= full.size() - 1) {
            EXPECT_EQ(checked, DumpOk);
        } else {
            EXPECT_NE(checked, DumpOk);
        }
        EXPECT_EQ(doc.BuildImage().size(), static_cast<size_t>(doc.DumpSize()));
    }
}

// --- the largest dump -------------------------------------------------------------------------

TEST(LargestDump, ParsesAndChecks) {
    const Bytes image = testdump::LargestDump();
    ASSERT_EQ(image.size(), 65520u);
    SystemDoc doc;
    EXPECT_EQ(doc.ParseDump(image), DumpOk);
    EXPECT_EQ(doc.CheckIntegrity(), DumpOk);
    EXPECT_EQ(doc.DumpSize(), 65520);
    EXPECT_EQ(doc.GetBankCount(), 99);
    EXPECT_EQ(doc.GetPatchCount(), 500);
    EXPECT_TRUE(doc.HasBank(99));
    EXPECT_TRUE(doc.HasPatch(500));
}

// Remembers how much the open flow asked for.
class RecordingFileOps : public MemoryFileOps {
public:
    std::vector<size_t> requested;
    bool ReadPrefix(const std::string& path, size_t maxBytes, std::vector<uint8_t>& bytes,
                    std::string& error) override {
        requested.push_back(maxBytes);
        return MemoryFileOps::ReadPrefix(path, maxBytes, bytes, error);
    }
};

TEST(LargestDump, BytesBeyondTheLimitAreNotRead) {
    RecordingFileOps files;
    files.files["big.syx"] = Joined(testdump::LargestDump(), Bytes(100, 0x55));
    ScriptedPrompter prompter;
    SystemDoc doc;
    int code = -1;
    EXPECT_EQ(OpenDumpFile(doc, "big.syx", files, prompter, true, &code), OpenResult::Opened);
    EXPECT_EQ(files.requested, std::vector<size_t>{65520});
    EXPECT_EQ(code, DumpOk);
    EXPECT_TRUE(prompter.Messages().empty());
    EXPECT_EQ(doc.BuildImage(), testdump::LargestDump());
}

TEST(LargestDump, DumpNeedingMoreThanTheLimitFailsTheCheck) {
    // One patch with a long string A: 65,522 bytes, two more than a file may give.
    Dump d;
    testdump::Patch p;
    p.number = 1;
    p.a = Bytes(32649, 0x11);
    d.patches = {testdump::MakePatch(p)};
    const Bytes image = d.Build();
    ASSERT_EQ(image.size(), 65522u);

    RecordingFileOps files;
    files.files["huge.syx"] = image;
    ScriptedPrompter prompter({false});
    SystemDoc doc;
    int code = -1;
    EXPECT_EQ(OpenDumpFile(doc, "huge.syx", files, prompter, true, &code), OpenResult::Opened);
    EXPECT_EQ(code, DumpPatchCount);
    // The question names what the parse ran into: the file is cut off inside the patch.
    ASSERT_EQ(prompter.Messages().size(), 1u);
    EXPECT_EQ(prompter.Messages()[0].text,
              "This file does not appear to be a valid RIV 10 dump.\n"
              "First error encountered: Could not properly parse all patches.\n"
              "You may experience a crash trying to view it.\n\nAbort?");
    EXPECT_FALSE(doc.HasPatch(1));
}

} // namespace
