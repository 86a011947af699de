// Comparing two dumps: every record kind and field, records in one dump only, record order.
#include "dump/DumpComparison.h"
#include "support/DocTestKit.h"

#include <gtest/gtest.h>

#include <functional>

using testdump::Bytes;
using testdump::Dump;

namespace {

testdump::Patch BasePatch(int number, const std::string& name) {
    testdump::Patch p;
    p.number = number;
    p.name = name;
    p.a = {0xC0, 0x05};
    return p;
}

testdump::Bank BaseBank(int number) {
    testdump::Bank b;
    b.number = number;
    b.name = "BANK" + std::to_string(number);
    b.slotPatches = {12, 0, 0, 0, 0, 0, 0, 0, 0};
    return b;
}

// The dump every row starts from, built from records the row may change first.
struct Parts {
    std::array<std::vector<int>, 5> sets{std::vector<int>{}, std::vector<int>{99}};
    std::vector<testdump::Bank> banks{BaseBank(5)};
    std::vector<testdump::Patch> patches{BasePatch(12, "PATCH2B")};
    std::array<uint8_t, 100> config = Dump::DefaultConfig();
    int deviceChannel = 0;

    Bytes Build() const {
        Dump d;
        d.sets = sets;
        d.config = config;
        d.deviceChannel = deviceChannel;
        for (const testdump::Bank& b : banks)
            d.banks.push_back(testdump::MakeBank(b));
        for (const testdump::Patch& p : patches)
            d.patches.push_back(testdump::MakePatch(p));
        return d.Build();
    }
};

void Pair(std::array<uint8_t, 100>& config, size_t at, int v) {
    config[at] = static_cast<uint8_t>((v >> 7) & 1);
    config[at + 1] = static_cast<uint8_t>(v & 0x7F);
}

std::vector<std::string> Compare(const Bytes& first, const Bytes& second) {
    SystemDoc a;
    SystemDoc b;
    EXPECT_EQ(a.ParseDump(first), DumpOk);
    EXPECT_EQ(b.ParseDump(second), DumpOk);
    return DumpComparison(a, b).Lines();
}

struct Row {
    const char* what;
    std::function<void(Parts&)> change; // applied to the second dump
    std::vector<std::string> lines;
};

void PrintTo(const Row& row, std::ostream* os) {
    *os << row.what;
}

class ComparisonTest : public ::testing::TestWithParam<Row> {};

TEST_P(ComparisonTest, NamesEveryChangedField) {
    Parts second;
    GetParam().change(second);
    EXPECT_EQ(Compare(Parts().Build(), second.Build()), GetParam().lines);
}

const Row kRows[] = {
    {"nothing", [](Parts&) {}, {}},
    {"patch name",
     [](Parts& p) { p.patches[0].name = "PATCH2C"; },
     {"patch 012: name \"PATCH2B\" -> \"PATCH2C\""}},
    {"patch mode",
     [](Parts& p) { p.patches[0].mode = 2 | 0x08 | 0x20 | 0xC0; },
     {"patch 012: channel switch inactive -> on", "patch 012: pedal type enhanced -> momentary",
      "patch 012: global CC none -> Pedal 1 & 2", "patch 012: string A sent off -> on"}},
    {"unnamed mode value",
     [](Parts& p) { p.patches[0].mode = 7; },
     {"patch 012: channel switch inactive -> 7"}},
    {"local CC",
     [](Parts& p) {
         p.patches[0].ccs[5] = {0x40 | 0x10 | 0x20 | 0x80 | 3, 7, 1, 100};
     },
     {"patch 012: pedal 2 CC 3 channel 1 -> 4", "patch 012: pedal 2 CC 3 CC 0 -> 7",
      "patch 012: pedal 2 CC 3 min 0 -> 1", "patch 012: pedal 2 CC 3 max 127 -> 100",
      "patch 012: pedal 2 CC 3 enabled off -> on", "patch 012: pedal 2 CC 3 invert pedal polarity off -> on",
      "patch 012: pedal 2 CC 3 immediate send off -> on", "patch 012: pedal 2 CC 3 first time off -> on"}},
    {"MIDI strings, same size",
     [](Parts& p) {
         p.patches[0].a = {0xC0};
         p.patches[0].b = {0x0F};
     },
     {"patch 012: MIDI string A c0 05 -> c0", "patch 012: MIDI string B none -> 0f"}},
    {"stored bytes only",
     [](Parts& p) { p.patches[0].name = std::string("PATCH2B") + '\0'; },
     {"patch 012: stored bytes differ"}},
    {"patch only in the second",
     [](Parts& p) { p.patches.push_back(BasePatch(40, "NEW")); },
     {"header: transmit length 146 -> 194", "configuration: total patches 1 -> 2",
      "patch 040: only in the second"}},
    {"bank fields",
     [](Parts& p) {
         p.banks[0].name = "LIVE";
         p.banks[0].slotPatches[2] = 12;
         p.banks[0].seqMode = 1;
         p.banks[0].steps = {3};
     },
     {"header: transmit length 146 -> 148", "bank 05: name \"BANK5\" -> \"LIVE\"",
      "bank 05: sequence mode off -> on", "bank 05: pedal C patch 0 -> 12",
      "bank 05: sequence steps none -> 3"}},
    {"bank only in the first",
     [](Parts& p) { p.banks.clear(); },
     {"header: transmit length 146 -> 109", "configuration: total banks 1 -> 0",
      "bank 05: only in the first"}},
    {"set entries",
     [](Parts& p) {
         p.sets[1] = {99, 2};
     },
     {"header: transmit length 146 -> 147", "set 2: entries 99 -> 99, 2"}},
    {"header", [](Parts& p) { p.deviceChannel = 9; }, {"header: device channel 1 -> 10"}},
    {"configuration fields",
     [](Parts& p) {
         Pair(p.config, 2, 12);  // current patch (low half of its word quad)
         Pair(p.config, 4, 5);   // current bank
         Pair(p.config, 6, 2);   // current set
         Pair(p.config, 8, 1);   // filter off
         Pair(p.config, 10, 1);  // sysex in hex
         Pair(p.config, 12, 1);  // merge off
         Pair(p.config, 14, 1);  // reverse LEDs
         Pair(p.config, 18, 12); // powerup patch
         Pair(p.config, 20, 30); // powerup timeout
         Pair(p.config, 24, 0x7F);
         Pair(p.config, 56, 3);   // pedal 1 calibration min
         Pair(p.config, 60, 200); // pedal 2 calibration max
         Pair(p.config, 64, 4);   // pedal 2 calibration type
         Pair(p.config, 68, 11);  // pedal 1 global CC controller
         Pair(p.config, 88, 16);  // default channel
         p.config[95] = 1;        // reserved
     },
     {"configuration: powerup patch 0 -> 12", "configuration: powerup timeout 0 -> 30",
      "configuration: default channel none -> 16", "configuration: current bank 0 -> 5",
      "configuration: current patch 0 -> 12", "configuration: current set 0 -> 2",
      "configuration: filter redundant program changes on -> off",
      "configuration: edit sysex in hex off -> on", "configuration: MIDI merging on -> off",
      "configuration: reverse footswitch LEDs off -> on", "configuration: pedal 1 global CC CC 0 -> 11",
      "configuration: pedal 1 calibration min 0 -> 3", "configuration: pedal 2 calibration max 255 -> 200",
      "configuration: pedal 2 calibration type 0x10 -> 0x04",
      "configuration: MIDI filters 00 00 00 00 00 00 00 00 00 00 00 00 00 00 00 00 -> "
      "00 7f 00 00 00 00 00 00 00 00 00 00 00 00 00 00"}},
    {"reserved configuration bytes",
     [](Parts& p) { p.config[95] = 1; },
     {"configuration: stored bytes differ"}},
};

INSTANTIATE_TEST_SUITE_P(Fields, ComparisonTest, ::testing::ValuesIn(kRows),
                         [](const ::testing::TestParamInfo<Row>& info) {
                             std::string name;
                             for (const char* c = info.param.what; *c; ++c)
                                 name += std::isalnum(static_cast<unsigned char>(*c)) ? *c : '_';
                             return name;
                         });

TEST(ComparisonOrder, RecordOrderInTheFileDoesNotMatter) {
    Parts first;
    first.banks = {BaseBank(2), BaseBank(7)};
    first.patches = {BasePatch(3, "THREE"), BasePatch(12, "TWELVE")};
    Parts second = first;
    std::swap(second.banks[0], second.banks[1]);
    std::swap(second.patches[0], second.patches[1]);
    ASSERT_NE(first.Build(), second.Build());
    EXPECT_EQ(Compare(first.Build(), second.Build()), std::vector<std::string>());

    // Several differences in one record give one key; keys keep the record order.
    second.patches[1].name = "ZERO";
    second.patches[1].mode = 1;
    second.banks[0].name = "SEVEN";
    second.sets[0] = {2};
    SystemDoc a;
    SystemDoc b;
    a.ParseDump(first.Build());
    b.ParseDump(second.Build());
    EXPECT_EQ(DumpComparison(a, b).Keys(),
              (std::vector<std::string>{"header", "set 1", "bank 07", "patch 003"}));
}

} // namespace
