// The dump format: value encodings, names, enumerations, record slots, the empty dump and the
// record layouts, read back through the model's accessors.
#include "dump/BankRecord.h"
#include "dump/Encoding.h"
#include "dump/PatchRecord.h"
#include "dump/RecordSlot.h"
#include "dump/SystemDoc.h"
#include "support/DumpBuilder.h"
#include "support/DumpTestDoc.h"

#include <gtest/gtest.h>

#include <cstdint>
#include <string>
#include <vector>

namespace {

using testdump::Bytes;

Bytes Concat(std::initializer_list<Bytes> parts) {
    Bytes out;
    for (const Bytes& part : parts)
        out.insert(out.end(), part.begin(), part.end());
    return out;
}

Bytes Repeat(const Bytes& part, int times) {
    Bytes out;
    for (int i = 0; i < times; ++i)
        out.insert(out.end(), part.begin(), part.end());
    return out;
}

// The encoded record the slot holds, or nothing when the slot is empty.
Bytes SlotBytes(const RecordSlot& slot) {
    return slot.Bytes();
}

// --- value encodings ------------------------------------------------------------------------

TEST(Encoding, WordQuadOf300) {
    uint8_t quad[4] = {0x55, 0x55, 0x55, 0x55};
    WriteWordQuad(quad, 300);
    EXPECT_EQ(Bytes(quad, quad + 4), (Bytes{0, 1, 0, 0x2C}));
    EXPECT_EQ(ReadWordQuad(quad), 300);
}

TEST(Encoding, WordQuadReads0x7FFF) {
    const uint8_t quad[4] = {0, 0x7F, 1, 0x7F};
    EXPECT_EQ(ReadWordQuad(quad), 0x7FFF);
}

TEST(Encoding, BytePairIsUnmaskedButWordQuadHalvesAreTruncated) {
    const uint8_t bytes[4] = {2, 5, 0, 0};
    EXPECT_EQ(ReadBytePair(bytes), 261);
    EXPECT_EQ(ReadWordQuad(bytes), 5 * 256);
    const uint8_t low[4] = {0, 0, 2, 5};
    EXPECT_EQ(ReadWordQuad(low), 5);
    const uint8_t garbage[4] = {0x7F, 0x7F, 0x7F, 0x7F};
    EXPECT_EQ(ReadWordQuad(garbage), 0xFFFF);
}

TEST(Encoding, EveryWordQuadRoundTripsThroughMidiDataBytes) {
    for (int v = 0; v <= 0xFFFF; ++v) {
        uint8_t quad[4];
        WriteWordQuad(quad, v);
        ASSERT_TRUE(quad[0] <= 1 && quad[1] <= 0x7F && quad[2] <= 1 && quad[3] <= 0x7F) << v;
        ASSERT_EQ(ReadWordQuad(quad), v);
    }
}

TEST(Encoding, EveryBytePairRoundTripsAndWiderValuesAreCut) {
    for (int v = 0; v <= 0xFF; ++v) {
        uint8_t pair[2];
        WriteBytePair(pair, v);
        ASSERT_TRUE(pair[0] <= 1 && pair[1] <= 0x7F) << v;
        ASSERT_EQ(ReadBytePair(pair), v);
    }
    uint8_t pair[2];
    WriteBytePair(pair, 300); // a byte pair carries 8 bits only
    EXPECT_EQ(Bytes(pair, pair + 2), (Bytes{0, 0x2C}));
}

struct BoundedReadRow {
    int length;
    int offset;
    int pair; // expected ReadBytePairAt, fallback -1
    int quad; // expected ReadWordQuadAt, fallback -1
};

class BoundedReadTest : public ::testing::TestWithParam<BoundedReadRow> {};

TEST_P(BoundedReadTest, ReadsOnlyInsideTheRecord) {
    const BoundedReadRow& row = GetParam();
    // Allocated at exactly `length` bytes so the sanitizer sees any read past the record.
    const Bytes source = {0, 3, 1, 0x7F, 0, 9};
    const Bytes data(source.begin(), source.begin() + row.length);
    const uint8_t* p = data.empty() ? nullptr : data.data();
    EXPECT_EQ(ReadBytePairAt(p, row.length, row.offset), row.pair);
    EXPECT_EQ(ReadWordQuadAt(p, row.length, row.offset), row.quad);
}

INSTANTIATE_TEST_SUITE_P(Edges, BoundedReadTest,
                         ::testing::Values(BoundedReadRow{6, 0, 3, 3 * 256 + 255},
                                           BoundedReadRow{6, 2, 255, 255 * 256 + 9},
                                           BoundedReadRow{6, 4, 9, -1}, BoundedReadRow{6, 5, -1, -1},
                                           BoundedReadRow{6, 6, -1, -1}, BoundedReadRow{6, -1, -1, -1},
                                           BoundedReadRow{3, 1, 3 * 128 + 1, -1},
                                           BoundedReadRow{1, 0, -1, -1}, BoundedReadRow{0, 0, -1, -1}));

TEST(Encoding, BoundedReadsGiveTheCallersFallback) {
    const uint8_t pair[2] = {0, 5};
    EXPECT_EQ(ReadBytePairAt(pair, 2, 1, 42), 42);
    EXPECT_EQ(ReadWordQuadAt(pair, 2, 0, 0), 0);
    EXPECT_EQ(ReadBytePairAt(nullptr, 30, 0, 7), 7);
}

// --- names ------------------------------------------------------------------------------------

struct NameRow {
    const char* label;
    Bytes field; // 30 bytes
    std::string expected;
};

// A name field the way the device writes it: each character as 0, code; blanks to 15.
Bytes Field(const std::string& text) {
    Bytes out;
    testdump::PutName(out, text);
    return out;
}

Bytes RawField(Bytes bytes) {
    bytes.resize(30, 0);
    return bytes;
}

class DecodeNameTest : public ::testing::TestWithParam<NameRow> {};

TEST_P(DecodeNameTest, Decodes) {
    const NameRow& row = GetParam();
    ASSERT_EQ(row.field.size(), 30u);
    EXPECT_EQ(DecodeName(row.field.data()), row.expected);
    EXPECT_EQ(DecodeName(row.field.data(), 30), row.expected);
}

INSTANTIATE_TEST_SUITE_P(
    Fields, DecodeNameTest,
    ::testing::Values(
        NameRow{"LowerCaseIsBadData", Field("ab"), "** BAD DATA **"},
        NameRow{"TrailingBlanksGo", Field("AB"), "AB"}, NameRow{"FifteenBlanksKeepOne", Field(""), " "},
        NameRow{"AllZeroIsEmpty", Bytes(30, 0), ""},
        NameRow{"FullLength", Field("0123456789[\\ZZ"), "0123456789[\\ZZ"},
        NameRow{"LeadingBlankKept", Field(" A"), " A"},
        NameRow{"InnerWhiteSpaceKept", Field("A\tB\nC\rD"), "A\tB\nC\rD"},
        NameRow{"TrailingTabsAndBreaksGo", RawField({0, 'X', 0, '\t', 0, '\r', 0, '\n', 0, ' '}), "X"},
        NameRow{"OnlyATabKeepsIt", RawField({0, '\t', 0, ' ', 0, '\n'}), "\t"},
        NameRow{"ZerosAnywhereAreSkipped", RawField({'H', 0, 0, 0, 'I', 0, 0, '!'}), "HI!"},
        NameRow{"LowestAndHighestDisplayable", RawField({0, 0x21, 0, 0x5C}), "!\\"},
        NameRow{"RightBracketIsBad", RawField({0, 'A', 0, 0x5D}), "** BAD DATA **"},
        NameRow{"ControlCharIsBad", RawField({0, 'A', 0, 0x1F}), "** BAD DATA **"},
        NameRow{"DeleteIsBad", RawField({0, 0x7F}), "** BAD DATA **"},
        NameRow{"HighBitIsBad", RawField({0, 0xC1}), "** BAD DATA **"},
        NameRow{"NonZeroFirstByteOfPairIsBad", RawField({1, 'A'}), "** BAD DATA **"},
        NameRow{"BadByteAfterTrailingBlanks", RawField({0, 'A', 0, ' ', 0, 'a'}), "** BAD DATA **"}),
    [](const ::testing::TestParamInfo<NameRow>& info) { return std::string(info.param.label); });

TEST(DecodeName, NullFieldIsEmpty) {
    EXPECT_EQ(DecodeName(nullptr), "");
}

// --- enumerations -----------------------------------------------------------------------------

struct EnumRow {
    const char* label;
    std::string (*name)(int);
    int (*value)(const std::string&);
    int code;
    const char* text;
};

class EnumerationTest : public ::testing::TestWithParam<EnumRow> {};

TEST_P(EnumerationTest, NameAndValueAreInverses) {
    const EnumRow& row = GetParam();
    EXPECT_EQ(row.name(row.code), row.text);
    EXPECT_EQ(row.value(row.text), row.code);
}

INSTANTIATE_TEST_SUITE_P(
    Tables, EnumerationTest,
    ::testing::Values(EnumRow{"Switch0", ChannelSwitchName, ChannelSwitchValue, 0, "inactive"},
                      EnumRow{"Switch1", ChannelSwitchName, ChannelSwitchValue, 1, "off"},
                      EnumRow{"Switch2", ChannelSwitchName, ChannelSwitchValue, 2, "on"},
                      EnumRow{"Switch3", ChannelSwitchName, ChannelSwitchValue, 3, "momentary off"},
                      EnumRow{"Switch4", ChannelSwitchName, ChannelSwitchValue, 4, "momentary on"},
                      EnumRow{"Switch5", ChannelSwitchName, ChannelSwitchValue, 5, "toggle"},
                      EnumRow{"Pedal0", PedalTypeName, PedalTypeValue, 0, "enhanced"},
                      EnumRow{"Pedal8", PedalTypeName, PedalTypeValue, 8, "momentary"},
                      EnumRow{"Pedal16", PedalTypeName, PedalTypeValue, 16, "toggle"},
                      EnumRow{"Pedal24", PedalTypeName, PedalTypeValue, 24, "normal"},
                      EnumRow{"Global0", GlobalCCName, GlobalCCValue, 0, "none"},
                      EnumRow{"Global64", GlobalCCName, GlobalCCValue, 64, "Pedal 1"},
                      EnumRow{"Global128", GlobalCCName, GlobalCCValue, 128, "Pedal 2"},
                      EnumRow{"Global192", GlobalCCName, GlobalCCValue, 192, "Pedal 1 & 2"}),
    [](const ::testing::TestParamInfo<EnumRow>& info) { return std::string(info.param.label); });

TEST(Enumerations, ValuesOutsideTheTablesHaveNoName) {
    for (int v : {-1, 6, 7, 8, 64})
        EXPECT_EQ(ChannelSwitchName(v), "") << v;
    for (int v : {-8, 1, 4, 7, 9, 23, 32, 0x41})
        EXPECT_EQ(PedalTypeName(v), "") << v;
    for (int v : {-64, 1, 32, 65, 191, 256})
        EXPECT_EQ(GlobalCCName(v), "") << v;
    for (int i : {-1, 4, 64})
        EXPECT_EQ(GlobalCCIndexName(i), "") << i;
}

TEST(Enumerations, GlobalCCIndexNamesFollowTheValueNames) {
    for (int i = 0; i <= 3; ++i)
        EXPECT_EQ(GlobalCCIndexName(i), GlobalCCName(64 * i)) << i;
    EXPECT_EQ(GlobalCCIndexName(3), "Pedal 1 & 2");
}

TEST(Enumerations, UnknownTextGivesZeroAndMatchingIsCaseSensitive) {
    for (const char* text : {"", "Toggle", "toggle ", " on", "ON", "pedal 1", "Pedal 1 &2", "nothing"}) {
        EXPECT_EQ(ChannelSwitchValue(text), 0) << text;
        EXPECT_EQ(PedalTypeValue(text), 0) << text;
        EXPECT_EQ(GlobalCCValue(text), 0) << text;
    }
}

TEST(Enumerations, ModeByteFieldsOfAWorkedPatch) {
    const int mode = 0x41;
    EXPECT_EQ(ChannelSwitchName(mode & PatchRecord::kChannelSwitchMask), "off");
    EXPECT_EQ(PedalTypeName(mode & PatchRecord::kPedalTypeMask), "enhanced");
    EXPECT_EQ(GlobalCCName(mode & (PatchRecord::kGlobalCC1Bit | PatchRecord::kGlobalCC2Bit)), "Pedal 1");
    EXPECT_EQ(mode & PatchRecord::kStringASentBit, 0);
}

// --- record slots -----------------------------------------------------------------------------

TEST(RecordSlot, StartsEmptyWithoutABuffer) {
    const RecordSlot slot;
    EXPECT_FALSE(slot.IsPresent());
    EXPECT_EQ(slot.Length(), 0);
    EXPECT_EQ(slot.Capacity(), 0);
    EXPECT_EQ(slot.Data(), nullptr);
    EXPECT_EQ(slot.Number(), 0);
    EXPECT_TRUE(slot.Bytes().empty());
}

TEST(RecordSlot, BufferGrowsOnlyWhenNeededAndSurvivesClear) {
    const Bytes ten = {1, 2, 3, 4, 5, 6, 7, 8, 9, 10};
    RecordSlot slot(ten.data(), 10, 4);
    EXPECT_EQ(slot.Capacity(), 10);
    EXPECT_EQ(slot.Number(), 4);
    const uint8_t* buffer = slot.Data();

    const Bytes four = {9, 8, 7, 6};
    slot.Assign(four.data(), 4);
    EXPECT_EQ(slot.Length(), 4);
    EXPECT_EQ(slot.Capacity(), 10);
    EXPECT_EQ(slot.Data(), buffer) << "a shorter record reuses the buffer";
    EXPECT_EQ(slot.Bytes(), four);

    slot.Clear();
    EXPECT_FALSE(slot.IsPresent());
    EXPECT_EQ(slot.Length(), 0);
    EXPECT_EQ(slot.Capacity(), 10);
    EXPECT_EQ(slot.Number(), 0);
    EXPECT_TRUE(slot.Bytes().empty());

    const Bytes twelve(12, 0x33);
    slot.Assign(twelve.data(), 12);
    EXPECT_EQ(slot.Capacity(), 12);
    EXPECT_EQ(slot.Bytes(), twelve);
}

TEST(RecordSlot, InvalidAssignLeavesNoRecord) {
    const Bytes four = {9, 8, 7, 6};
    RecordSlot slot(four.data(), 4);
    slot.Assign(four.data(), -1);
    EXPECT_FALSE(slot.IsPresent());
    slot.Assign(four.data(), 4);
    slot.Assign(nullptr, 4);
    EXPECT_FALSE(slot.IsPresent());
    slot.Assign(four.data(), 0);
    EXPECT_FALSE(slot.IsPresent());
}

TEST(RecordSlot, CopiesOwnTheirBuffer) {
    const Bytes record = {0, 3, 0, 0, 0, 12};
    RecordSlot original(record.data(), 6, 2);
    // A larger buffer behind a shorter record: copies are sized to the record.
    const Bytes big(40, 0x11);
    RecordSlot roomy(big.data(), 40);
    roomy.Assign(record.data(), 6);
    roomy.SetNumber(5);

    RecordSlot copy(roomy);
    EXPECT_EQ(copy.Bytes(), record);
    EXPECT_EQ(copy.Number(), 5);
    EXPECT_EQ(copy.Capacity(), 6);
    EXPECT_NE(copy.Data(), roomy.Data());

    RecordSlot assigned;
    assigned = original;
    EXPECT_EQ(assigned.Bytes(), record);
    EXPECT_EQ(assigned.Number(), 2);
    EXPECT_NE(assigned.Data(), original.Data());

    original.Data()[1] = 99;
    roomy.Data()[1] = 98;
    EXPECT_EQ(copy.Bytes(), record);
    EXPECT_EQ(assigned.Bytes(), record);

    RecordSlot& self = assigned;
    assigned = self;
    EXPECT_EQ(assigned.Bytes(), record);
}

TEST(RecordSlot, CopyOfAClearedSlotHasNoBuffer) {
    const Bytes record(8, 1);
    RecordSlot slot(record.data(), 8);
    slot.Clear();
    const RecordSlot copy(slot);
    EXPECT_FALSE(copy.IsPresent());
    EXPECT_EQ(copy.Data(), nullptr);
}

// --- accessors ---------------------------------------------------------------------------------

TEST(Accessors, OutOfRangeAndAbsentRecordsAreEmptySlots) {
    const SystemDoc doc;
    for (int n : {-1, 0, 6, 100})
        EXPECT_EQ(doc.GetSet(n).Data(), nullptr) << "set " << n;
    for (int n : {-1, 0, 1, 99, 100})
        EXPECT_EQ(doc.GetBank(n).Data(), nullptr) << "bank " << n;
    for (int n : {-1, 0, 1, 500, 501})
        EXPECT_EQ(doc.GetPatch(n).Data(), nullptr) << "patch " << n;
    for (int n = 1; n <= 5; ++n) {
        const RecordSlot set = doc.GetSet(n);
        EXPECT_EQ(set.Bytes(), (Bytes{0, 0, 0, 0})) << n;
        EXPECT_EQ(set.Number(), n);
    }
}

TEST(Accessors, ACopyHandedOutDoesNotReachTheModel) {
    const Bytes image = dumpfix::SmallDump().Build();
    SystemDoc doc(image.data(), image.size());
    const Bytes before = doc.GetBank(1).Bytes();
    RecordSlot copy = doc.GetBank(1);
    copy.Data()[1] = 55;
    EXPECT_EQ(doc.GetBank(1).Bytes(), before);
}

// One configuration field: where it lives, how it is encoded, and its accessors.
struct ConfigRow {
    const char* label;
    int offset;
    int width; // 2 = byte pair, 4 = word quad
    int value;
    int (*get)(const SystemDoc&);
    void (*set)(SystemDoc&, int);
};

Bytes Encode(int width, int value) {
    Bytes out;
    if (width == 2)
        testdump::PutPair(out, value);
    else
        testdump::PutQuad(out, value);
    return out;
}

class ConfigFieldTest : public ::testing::TestWithParam<ConfigRow> {};

TEST_P(ConfigFieldTest, GetterDecodesItsOwnField) {
    const ConfigRow& row = GetParam();
    Bytes image = testdump::Dump().Build();
    const Bytes encoded = Encode(row.width, row.value);
    std::copy(encoded.begin(), encoded.end(), image.begin() + SystemDoc::kHeaderSize + row.offset);
    SystemDoc doc;
    doc.ParseDump(image); // the counts may send the record walk astray; the configuration is kept
    EXPECT_EQ(row.get(doc), row.value);
}

TEST_P(ConfigFieldTest, SetterWritesOnlyItsOwnFieldAndLeavesTheFlagAlone) {
    const ConfigRow& row = GetParam();
    SystemDoc doc;
    Bytes expected(doc.Config(), doc.Config() + SystemDoc::kConfigSize);
    const Bytes encoded = Encode(row.width, row.value);
    std::copy(encoded.begin(), encoded.end(), expected.begin() + row.offset);

    row.set(doc, row.value);
    EXPECT_EQ(Bytes(doc.Config(), doc.Config() + SystemDoc::kConfigSize), expected);
    EXPECT_EQ(row.get(doc), row.value);
    EXPECT_FALSE(doc.IsModified());
}

#define TOLVANE_FIELD(label, offset, width, value, getter, setter)                                           \
    ConfigRow {                                                                                              \
        label, offset, width, value, [](const SystemDoc& d) { return d.getter; },                            \
            [](SystemDoc& d, int v) { d.setter; }                                                            \
    }

INSTANTIATE_TEST_SUITE_P(
    Fields, ConfigFieldTest,
    ::testing::Values(TOLVANE_FIELD("CurrentPatch", 0, 4, 300, GetCurrentPatch(), SetCurrentPatch(v)),
                      TOLVANE_FIELD("CurrentBank", 4, 2, 77, GetCurrentBank(), SetCurrentBank(v)),
                      TOLVANE_FIELD("CurrentSet", 6, 2, 3, GetCurrentSet(), SetCurrentSet(v)),
                      TOLVANE_FIELD("FilterOff", 8, 2, 1, GetFilterOff(), SetFilterOff(v)),
                      TOLVANE_FIELD("EditSysexHex", 10, 2, 1, GetEditSysexHex(), SetEditSysexHex(v)),
                      TOLVANE_FIELD("MergeOff", 12, 2, 1, GetMergeOff(), SetMergeOff(v)),
                      TOLVANE_FIELD("ReverseLeds", 14, 2, 1, GetReverseLeds(), SetReverseLeds(v)),
                      TOLVANE_FIELD("PowerUpPatch", 16, 4, 499, GetPowerUpPatch(), SetPowerUpPatch(v)),
                      TOLVANE_FIELD("PowerUpTimeout", 20, 2, 200, GetPowerUpTimeout(), SetPowerUpTimeout(v)),
                      TOLVANE_FIELD("Pedal1Max", 54, 2, 250, GetPedalCalMax(1), SetPedalCalMax(1, v)),
                      TOLVANE_FIELD("Pedal1Min", 56, 2, 3, GetPedalCalMin(1), SetPedalCalMin(1, v)),
                      TOLVANE_FIELD("Pedal1Type", 58, 2, 0x1C, GetPedalCalType(1), SetPedalCalType(1, v)),
                      TOLVANE_FIELD("Pedal2Max", 60, 2, 129, GetPedalCalMax(2), SetPedalCalMax(2, v)),
                      TOLVANE_FIELD("Pedal2Min", 62, 2, 5, GetPedalCalMin(2), SetPedalCalMin(2, v)),
                      TOLVANE_FIELD("Pedal2Type", 64, 2, 0x08, GetPedalCalType(2), SetPedalCalType(2, v)),
                      TOLVANE_FIELD("BankCount", 82, 2, 98, GetBankCount(), SetBankCount(v)),
                      TOLVANE_FIELD("PatchCount", 84, 4, 400, GetPatchCount(), SetPatchCount(v)),
                      TOLVANE_FIELD("DefaultChannel", 88, 2, 16, GetDefaultChannel(), SetDefaultChannel(v))),
    [](const ::testing::TestParamInfo<ConfigRow>& info) { return std::string(info.param.label); });

#undef TOLVANE_FIELD

TEST(Accessors, GlobalCCsAndFiltersComeFromTheirBytes) {
    Bytes image = testdump::Dump().Build();
    const size_t cfg = SystemDoc::kHeaderSize;
    const Bytes cc1 = {0, 0x45, 0, 11, 0, 2, 0, 120};  // enabled, channel 6
    const Bytes cc2 = {0, 0x5F, 0, 64, 0, 0, 0, 0x7F}; // enabled, inverted, immediate, channel 16
    std::copy(cc1.begin(), cc1.end(), image.begin() + static_cast<long>(cfg + 66));
    std::copy(cc2.begin(), cc2.end(), image.begin() + static_cast<long>(cfg + 74));
    for (int i = 0; i < 16; ++i) {
        image[cfg + 22 + 2 * static_cast<size_t>(i)] = static_cast<uint8_t>(i == 15 ? 1 : 0);
        image[cfg + 23 + 2 * static_cast<size_t>(i)] = static_cast<uint8_t>(i);
    }
    const SystemDoc doc(image.data(), image.size());

    const CCAssignment g1 = doc.GetGlobalCC(1);
    EXPECT_EQ(g1.flags, 0x45);
    EXPECT_EQ(g1.controller, 11);
    EXPECT_EQ(g1.minimum, 2);
    EXPECT_EQ(g1.maximum, 120);
    EXPECT_EQ(g1.Channel(), 6);
    EXPECT_TRUE(g1.Enabled());
    EXPECT_FALSE(g1.Inverted());
    const CCAssignment g2 = doc.GetGlobalCC(2);
    EXPECT_EQ(g2.controller, 64);
    EXPECT_EQ(g2.maximum, 127);
    EXPECT_EQ(g2.Channel(), 16);
    EXPECT_TRUE(g2.Inverted());

    const std::array<int, 16> filters = doc.GetMidiFilters();
    for (int i = 0; i < 15; ++i)
        EXPECT_EQ(filters[static_cast<size_t>(i)], i);
    EXPECT_EQ(filters[15], 128 + 15);
}

TEST(Accessors, HeaderFields) {
    Bytes image = testdump::Dump().Build();
    image[4] = 9;
    const SystemDoc doc(image.data(), image.size());
    EXPECT_EQ(doc.GetDeviceChannel(), 9);
    EXPECT_EQ(doc.GetTransmitLength(), 60);

    SystemDoc edited;
    edited.SetDeviceChannel(15);
    edited.SetTransmitLength(300);
    EXPECT_EQ(Bytes(edited.Header(), edited.Header() + 11),
              (Bytes{0xF0, 0x00, 0x00, 0x10, 15, 0x0E, 0x41, 0, 1, 0, 0x2C}));
}

// --- the empty dump -----------------------------------------------------------------------------

// The 100 configuration bytes of an empty dump, written out field by field.
Bytes EmptyConfig() {
    Bytes cfg(100, 0);
    cfg[54] = 0x01; // pedal 1 calibration maximum 255
    cfg[55] = 0x7F;
    cfg[59] = 0x10; // pedal 1 calibration type
    cfg[60] = 0x01; // pedal 2 calibration maximum 255
    cfg[61] = 0x7F;
    cfg[65] = 0x10; // pedal 2 calibration type
    cfg[73] = 0x7F; // pedal 1 global CC maximum
    cfg[81] = 0x7F; // pedal 2 global CC maximum
    return cfg;
}

Bytes EmptyDumpBytes(uint8_t deviceChannel) {
    return Concat({{0xF0, 0x00, 0x00, 0x10, deviceChannel, 0x0E, 0x41, 0x00, 0x00, 0x00, 0x3C},
                   EmptyConfig(),
                   Bytes(20, 0),
                   {0xF7}});
}

struct ChannelRow {
    int midiChannel;
    uint8_t deviceByte;
};

class EmptyDumpTest : public ::testing::TestWithParam<ChannelRow> {};

TEST_P(EmptyDumpTest, IsExactly132Bytes) {
    const SystemDoc doc(GetParam().midiChannel);
    const Bytes expected = EmptyDumpBytes(GetParam().deviceByte);
    ASSERT_EQ(expected.size(), 132u);
    EXPECT_EQ(doc.DumpSize(), 132);
    EXPECT_EQ(doc.BuildImage(), expected);
    EXPECT_EQ(doc.CheckIntegrity(), DumpOk);
    EXPECT_FALSE(doc.IsModified());
}

INSTANTIATE_TEST_SUITE_P(Channels, EmptyDumpTest,
                         ::testing::Values(ChannelRow{1, 0}, ChannelRow{10, 9}, ChannelRow{16, 15},
                                           ChannelRow{0, 0}, ChannelRow{17, 0}));

TEST(EmptyDump, BuilderAgreesWithTheModel) {
    EXPECT_EQ(testdump::Dump().Build(), EmptyDumpBytes(0));
}

TEST(EmptyDump, InitEmptyDumpResetsEverythingAndMarksModified) {
    const Bytes image = dumpfix::SmallDump().Build();
    SystemDoc doc(image.data(), image.size());
    doc.SetNewDumpChannel(12);
    dumpfix::ModifiedLog log;
    doc.AddListener(&log);

    doc.InitEmptyDump();
    EXPECT_EQ(doc.BuildImage(), EmptyDumpBytes(11));
    EXPECT_EQ(doc.DumpSize(), 132);
    for (int n = 0; n <= 99; ++n)
        EXPECT_FALSE(doc.PeekBank(n)->IsPresent()) << n;
    for (int n = 0; n <= 500; ++n)
        ASSERT_FALSE(doc.PeekPatch(n)->IsPresent()) << n;
    EXPECT_TRUE(doc.IsModified());
    EXPECT_EQ(log.changes, std::vector<bool>{true});
    doc.RemoveListener(&log);
}

// --- worked records ---------------------------------------------------------------------------

// Bank 3 "CLEAN": slot A = patch 12, the rest empty, sequence mode off.
Bytes WorkedBank() {
    return Concat({{0x00, 0x03},
                   {0x00, 0x00, 0x00, 0x0C},
                   Repeat({0x00, 0x00, 0x00, 0x00}, 8),
                   {0x00, 0x43, 0x00, 0x4C, 0x00, 0x45, 0x00, 0x41, 0x00, 0x4E},
                   Repeat({0x00, 0x20}, 10),
                   {0x00, 0x00},
                   {0x00, 0x00, 0x00, 0x00}});
}

// Patch 12 "LEAD": mode 0x41, no local CC enabled, string A = C0 05, string B empty.
Bytes WorkedPatch() {
    return Concat({{0x00, 0x00, 0x00, 0x0C},
                   {0x00, 0x4C, 0x00, 0x45, 0x00, 0x41, 0x00, 0x44},
                   Repeat({0x00, 0x20}, 11),
                   {0x00, 0x41},
                   Repeat({0x00, 0x00, 0x00, 0x00, 0x00, 0x00, 0x00, 0x7F}, 6),
                   {0x00, 0x00, 0x00, 0x02},
                   {0x01, 0x40, 0x00, 0x05},
                   {0x00, 0x00, 0x00, 0x00}});
}

TEST(WorkedRecords, BuilderWritesTheWorkedBytes) {
    ASSERT_EQ(WorkedBank().size(), 74u);
    ASSERT_EQ(WorkedPatch().size(), 96u);

    testdump::Bank bank;
    bank.number = 3;
    bank.name = "CLEAN";
    bank.slotPatches[0] = 12;
    EXPECT_EQ(testdump::MakeBank(bank), WorkedBank());

    testdump::Patch patch;
    patch.number = 12;
    patch.name = "LEAD";
    patch.mode = 0x41;
    patch.a = {0xC0, 0x05};
    EXPECT_EQ(testdump::MakePatch(patch), WorkedPatch());
}

class WorkedDump : public ::testing::Test {
protected:
    void SetUp() override {
        testdump::Dump d;
        d.sets[0] = {3};
        d.banks = {WorkedBank()};
        d.patches = {WorkedPatch()};
        image = d.Build();
        ASSERT_EQ(image.size(), 132u + 2 + 74 + 96);
        ASSERT_EQ(doc.ParseDump(image), DumpOk);
    }

    Bytes image;
    SystemDoc doc;
};

TEST_F(WorkedDump, ModelHoldsTheRecordsAsSent) {
    EXPECT_EQ(doc.CheckIntegrity(), DumpOk);
    EXPECT_EQ(doc.DumpSize(), static_cast<int>(image.size()));
    EXPECT_EQ(doc.GetBankCount(), 1);
    EXPECT_EQ(doc.GetPatchCount(), 1);
    EXPECT_EQ(SlotBytes(doc.GetBank(3)), WorkedBank());
    EXPECT_EQ(SlotBytes(doc.GetPatch(12)), WorkedPatch());
    EXPECT_EQ(SlotBytes(doc.GetSet(1)), (Bytes{0, 0, 0, 1, 0, 3}));
    EXPECT_TRUE(doc.HasBank(3));
    EXPECT_FALSE(doc.HasBank(2));
    EXPECT_TRUE(doc.HasPatch(12));
    EXPECT_FALSE(doc.HasPatch(13));
}

TEST_F(WorkedDump, BankFieldsReadBack) {
    const RecordSlot slot = doc.GetBank(3);
    const BankRecord bank(slot);
    EXPECT_EQ(bank.Number(), 3);
    EXPECT_EQ(bank.Name(), "CLEAN");
    EXPECT_EQ(bank.SequenceMode(), 0);
    EXPECT_EQ(bank.SequenceLength(), 0);
    EXPECT_EQ(bank.SlotPatch(0), 12);
    for (int k = 1; k < 9; ++k)
        EXPECT_EQ(bank.SlotPatch(k), 0) << k;
    EXPECT_EQ(bank.SlotPatch(9), -1);
    EXPECT_EQ(bank.Step(0), -1);
    EXPECT_EQ(bank.ActiveCount(), 9);
    EXPECT_EQ(bank.ActiveEntry(0), 12);
    EXPECT_TRUE(bank.ActiveListFits());
    EXPECT_EQ(bank.DeclaredLength(), 74);
}

TEST_F(WorkedDump, PatchFieldsReadBack) {
    const RecordSlot slot = doc.GetPatch(12);
    const PatchRecord patch(slot);
    EXPECT_EQ(patch.Number(), 12);
    EXPECT_EQ(patch.Name(), "LEAD");
    EXPECT_EQ(patch.Mode(), 0x41);
    for (int pedal = 1; pedal <= 2; ++pedal)
        for (int cc = 1; cc <= 3; ++cc) {
            const CCAssignment a = patch.LocalCC(pedal, cc);
            EXPECT_EQ(a.flags, 0);
            EXPECT_EQ(a.controller, 0);
            EXPECT_EQ(a.minimum, 0);
            EXPECT_EQ(a.maximum, 127);
            EXPECT_EQ(a.Channel(), 1);
            EXPECT_FALSE(a.Enabled());
        }
    EXPECT_EQ(patch.StringALength(), 2);
    EXPECT_EQ(patch.StringBytes(0), std::string("\xC0\x05", 2));
    EXPECT_EQ(patch.StringBLength(), 0);
    EXPECT_EQ(patch.StringBytes(1), "");
    EXPECT_EQ(patch.DeclaredLength(), 96);
}

TEST(BankRecord, SequenceOffKeepsItsStepsButOnlySlotsAreActive) {
    testdump::Bank b;
    b.number = 7;
    b.slotPatches = {4, 0, 0, 0, 0, 0, 0, 0, 9};
    b.steps = {501, 8};
    const Bytes off = testdump::MakeBank(b);
    const BankRecord bank(off.data(), static_cast<int>(off.size()));
    EXPECT_EQ(bank.SequenceLength(), 2);
    EXPECT_EQ(bank.Step(0), 501);
    EXPECT_EQ(bank.ActiveCount(), 9);
    EXPECT_EQ(bank.ActiveEntry(8), 9);
    EXPECT_EQ(bank.DeclaredLength(), 82);

    b.seqMode = 1;
    const Bytes on = testdump::MakeBank(b);
    const BankRecord sequenced(on.data(), static_cast<int>(on.size()));
    EXPECT_EQ(sequenced.ActiveCount(), 2);
    EXPECT_EQ(sequenced.ActiveEntry(0), 501);
    EXPECT_EQ(sequenced.ActiveEntry(1), 8);
    EXPECT_EQ(sequenced.ActiveEntry(2), -1);
}

TEST(PatchRecord, FieldsOutsideAShortRecordReadAsMinusOne) {
    const Bytes full = WorkedPatch();
    const Bytes cut(full.begin(), full.begin() + 86); // string A length cut in half
    const PatchRecord patch(cut.data(), static_cast<int>(cut.size()));
    EXPECT_EQ(patch.Number(), 12);
    EXPECT_EQ(patch.StringALength(), -1);
    EXPECT_EQ(patch.DeclaredLength(), -1);
    EXPECT_EQ(patch.StringBytes(0), "");
    EXPECT_EQ(patch.LocalCC(2, 3).maximum, 127);
    const PatchRecord tiny(cut.data(), 20);
    EXPECT_EQ(tiny.Name(), "");
    EXPECT_EQ(tiny.Mode(), -1);
    EXPECT_EQ(tiny.LocalCC(1, 1).flags, -1);
}

} // namespace
