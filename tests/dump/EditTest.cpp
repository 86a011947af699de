// Editing operations of the dump model: inserting, deleting and replacing records, renumbering
// the references that follow moved records, the bookkeeping values, and name encoding.
#include "dump/SystemDoc.h"
#include "support/DocTestKit.h"
#include "support/DumpBuilder.h"
#include "support/ScriptedPrompter.h"

#include <gtest/gtest.h>

#include <algorithm>
#include <array>
#include <functional>
#include <map>
#include <random>
#include <string>
#include <vector>

namespace {

using kit::Bytes;
using kit::Consistent;
using kit::HintLog;
using testdump::Bank;
using testdump::Dump;
using testdump::MakeBank;
using testdump::MakePatch;
using testdump::Patch;

const char kSuspectMessage[] = "One of the following characters were found in a character string.\n"
                               "The ZIV10 does not display them as you might expect.\n"
                               "See page B-3 of the ZIV10 manual.\n"
                               "The suspect characters are: ,.!\"#$%&";
const char kInvalidMessage[] = "Invalid characters were found in a character string.\n"
                               "They will be replaced with spaces.";

Bytes BankBytes(const SystemDoc& doc, int n) {
    return kit::RecordBytes(doc.PeekBank(n));
}
Bytes PatchBytes(const SystemDoc& doc, int n) {
    return kit::RecordBytes(doc.PeekPatch(n));
}
Bytes SetBytes(const SystemDoc& doc, int n) {
    return kit::RecordBytes(doc.PeekSet(n));
}
std::vector<int> SetList(const SystemDoc& doc, int n) {
    return kit::SetEntries(SetBytes(doc, n));
}
std::vector<int> Active(const SystemDoc& doc, int bank) {
    return kit::ActiveList(BankBytes(doc, bank));
}

// A record with its own number bytes zeroed: what must survive a move unchanged.
Bytes WithoutNumber(Bytes record, size_t numberBytes) {
    std::fill(record.begin(), record.begin() + static_cast<long>(std::min(numberBytes, record.size())), 0);
    return record;
}

// A bank record with its number and its active entries zeroed: the part no renumbering touches.
Bytes BankFrame(Bytes bank) {
    for (size_t offset : kit::ActiveOffsets(bank))
        std::fill(bank.begin() + static_cast<long>(offset), bank.begin() + static_cast<long>(offset) + 4, 0);
    return WithoutNumber(bank, 2);
}

// Banks 1-10 and patches 1-10 of varying lengths. Bank b holds patch b in slot A and the next
// patch in slot B; bank 3 carries stale steps it does not use, bank 5 is in sequence mode over
// stale slots.
Dump TenDump() {
    Dump d;
    for (int p = 1; p <= 10; ++p) {
        Patch patch;
        patch.number = p;
        patch.name = "PATCH " + std::to_string(p);
        for (int i = 0; i < p % 3; ++i)
            patch.a.push_back(static_cast<uint8_t>(0xC0 + i));
        patch.b.assign(static_cast<size_t>(p % 4), 0x7F);
        d.patches.push_back(MakePatch(patch));
    }
    for (int b = 1; b <= 10; ++b) {
        Bank bank;
        bank.number = b;
        bank.name = "BANK " + std::to_string(b);
        bank.slotPatches[0] = b;
        bank.slotPatches[1] = b % 10 + 1;
        if (b == 3)
            bank.steps = {3, 4};
        if (b == 5) {
            bank.seqMode = 1;
            bank.steps = {5, 6};
        }
        d.banks.push_back(MakeBank(bank));
    }
    d.sets[0] = {5, 6, 10, 0, 4, 1};
    d.sets[1] = {5, 5};
    return d;
}

// --- new records ------------------------------------------------------------------------------

TEST(InsertBank, IntoEmptyDumpBuildsTheNewBankRecord) {
    SystemDoc doc;
    HintLog log;
    doc.AddListener(&log);
    ASSERT_TRUE(doc.InsertBank(7, false));

    Bank expected;
    expected.number = 7;
    expected.name = "NEW BANK 07";
    EXPECT_EQ(BankBytes(doc, 7), MakeBank(expected));
    EXPECT_EQ(doc.DumpSize(), 132 + 74);
    EXPECT_EQ(doc.GetTransmitLength(), 97);
    EXPECT_EQ(doc.GetBankCount(), 1);
    EXPECT_TRUE(doc.IsModified());
    EXPECT_EQ(log.hints, std::vector<int>{HintBanks});
    EXPECT_TRUE(Consistent(doc));
}

struct NewPatchRow {
    const char* name;
    int globalFlags1;
    int globalFlags2;
    int defaultChannel;
    int mode;       // expected mode byte
    int localFlags; // expected flags of every local CC
};

class NewPatchRecord : public ::testing::TestWithParam<NewPatchRow> {};

TEST_P(NewPatchRecord, TakesModeBitsAndChannelFromTheConfiguration) {
    const NewPatchRow& row = GetParam();
    SystemDoc doc;
    CCAssignment cc;
    cc.maximum = 127;
    cc.flags = row.globalFlags1;
    doc.SetGlobalCC(1, cc);
    cc.flags = row.globalFlags2;
    doc.SetGlobalCC(2, cc);
    doc.SetDefaultChannel(row.defaultChannel);
    ASSERT_TRUE(doc.InsertPatch(12, false));

    Patch expected;
    expected.number = 12;
    expected.name = "NEW PATCH 012";
    expected.mode = row.mode;
    for (testdump::CC& local : expected.ccs)
        local = testdump::CC{row.localFlags, 0, 0, 127};
    EXPECT_EQ(PatchBytes(doc, 12), MakePatch(expected));
    EXPECT_EQ(doc.DumpSize(), 132 + 92);
    EXPECT_EQ(doc.GetTransmitLength(), 106);
    EXPECT_EQ(doc.GetPatchCount(), 1);
}

INSTANTIATE_TEST_SUITE_P(Rows, NewPatchRecord,
                         ::testing::Values(NewPatchRow{"NothingEnabled", 0x00, 0x00, 0, 0x00, 0x00},
                                           NewPatchRow{"Pedal1Global", 0x40, 0x00, 0, 0x40, 0x00},
                                           NewPatchRow{"Pedal2GlobalChannel16", 0x00, 0x4F, 16, 0x80, 0x0F},
                                           NewPatchRow{"BothGlobalsChannel1", 0x45, 0x7F, 1, 0xC0, 0x00},
                                           NewPatchRow{"OtherFlagBitsDoNotCount", 0xBF, 0xBF, 3, 0x00, 0x02}),
                         [](const ::testing::TestParamInfo<NewPatchRow>& info) {
                             return std::string(info.param.name);
                         });

// --- the four moves of the bookkeeping --------------------------------------------------------

TEST(InsertPatch, AtOneOnAFullDumpDropsPatch500) {
    auto doc = kit::DocFromImage(testdump::LargestDump());
    ASSERT_TRUE(Consistent(*doc));
    const SystemDoc before(doc->BuildImage().data(), static_cast<size_t>(doc->DumpSize()));
    const int dropped = doc->PeekPatch(500)->Length();
    ASSERT_GT(dropped, 92);

    ASSERT_TRUE(doc->InsertPatch(1, true));

    EXPECT_EQ(doc->GetPatchCount(), 500);
    EXPECT_EQ(doc->DumpSize(), before.DumpSize() + 92 - dropped);
    EXPECT_EQ(doc->GetTransmitLength(), before.GetTransmitLength() + (92 - dropped) / 2);
    EXPECT_EQ(kit::QuadAt(PatchBytes(*doc, 1), 0), 1);
    EXPECT_EQ(PatchBytes(*doc, 1).size(), 92u);
    for (int p = 2; p <= 500; ++p) {
        const Bytes moved = PatchBytes(*doc, p);
        ASSERT_EQ(WithoutNumber(moved, 4), WithoutNumber(PatchBytes(before, p - 1), 4)) << "patch " << p;
        ASSERT_EQ(kit::QuadAt(moved, 0), p);
    }
    for (int b = 1; b <= 99; ++b) {
        std::vector<int> expected = Active(before, b);
        for (int& p : expected)
            p = p == 500 ? 0 : (p >= 1 ? p + 1 : p);
        EXPECT_EQ(Active(*doc, b), expected) << "bank " << b;
        EXPECT_EQ(BankFrame(BankBytes(*doc, b)), BankFrame(BankBytes(before, b))) << "bank " << b;
    }
    EXPECT_TRUE(Consistent(*doc));
}

TEST(InsertBank, At99WithShiftReplacesBank99) {
    Dump d = TenDump();
    Bank last;
    last.number = 99;
    last.name = "LAST";
    last.seqMode = 1;
    last.steps = {1, 2, 3};
    d.banks.push_back(MakeBank(last));
    d.sets[2] = {1, 99, 0, 5, 99};
    auto doc = kit::DocFrom(d);
    const int size = doc->DumpSize();
    const int transmit = doc->GetTransmitLength();

    ASSERT_TRUE(doc->InsertBank(99, true));

    Bank fresh;
    fresh.number = 99;
    fresh.name = "NEW BANK 99";
    EXPECT_EQ(BankBytes(*doc, 99), MakeBank(fresh));
    EXPECT_EQ(doc->GetBankCount(), 11);
    EXPECT_EQ(doc->DumpSize(), size - 12);
    EXPECT_EQ(doc->GetTransmitLength(), transmit - 6);
    EXPECT_EQ(SetList(*doc, 3), (std::vector<int>{1, 0, 0, 5, 0}));
    EXPECT_EQ(SetList(*doc, 1), (std::vector<int>{5, 6, 10, 0, 4, 1}));
    EXPECT_TRUE(Consistent(*doc));
}

TEST(DeleteBank, FiveWithReorderMovesTheBanksAbove) {
    auto doc = kit::DocFrom(TenDump());
    const SystemDoc before(doc->BuildImage().data(), static_cast<size_t>(doc->DumpSize()));
    const int removed = doc->PeekBank(5)->Length();
    ASSERT_EQ(removed, 82);

    doc->DeleteBank(5, true);

    for (int b = 5; b <= 9; ++b) {
        const Bytes moved = BankBytes(*doc, b);
        ASSERT_FALSE(moved.empty());
        EXPECT_EQ(moved[0] * 128 + moved[1], b);
        EXPECT_EQ(WithoutNumber(moved, 2), WithoutNumber(BankBytes(before, b + 1), 2)) << "bank " << b;
    }
    EXPECT_FALSE(doc->HasBank(10));
    EXPECT_EQ(BankBytes(*doc, 4), BankBytes(before, 4));
    EXPECT_EQ(SetList(*doc, 1), (std::vector<int>{0, 5, 9, 0, 4, 1}));
    EXPECT_EQ(SetList(*doc, 2), (std::vector<int>{0, 0}));
    EXPECT_EQ(doc->GetBankCount(), 9);
    EXPECT_EQ(doc->DumpSize(), before.DumpSize() - removed);
    EXPECT_EQ(doc->GetTransmitLength(), before.GetTransmitLength() - removed / 2);
    EXPECT_TRUE(Consistent(*doc));
}

TEST(DeletePatch, SevenWithoutReorderOnlyClearsItsReferences) {
    auto doc = kit::DocFrom(TenDump());
    const SystemDoc before(doc->BuildImage().data(), static_cast<size_t>(doc->DumpSize()));
    const int removed = doc->PeekPatch(7)->Length();

    doc->DeletePatch(7, false);

    EXPECT_FALSE(doc->HasPatch(7));
    for (int p = 1; p <= 10; ++p) {
        if (p == 7)
            continue;
        EXPECT_EQ(PatchBytes(*doc, p), PatchBytes(before, p)) << "patch " << p;
    }
    for (int b = 1; b <= 10; ++b) {
        std::vector<int> expected = Active(before, b);
        std::replace(expected.begin(), expected.end(), 7, 0);
        EXPECT_EQ(Active(*doc, b), expected) << "bank " << b;
    }
    EXPECT_EQ(Active(*doc, 6), (std::vector<int>{6, 0, 0, 0, 0, 0, 0, 0, 0}));
    EXPECT_EQ(doc->GetPatchCount(), 9);
    EXPECT_EQ(doc->DumpSize(), before.DumpSize() - removed);
    EXPECT_EQ(doc->GetTransmitLength(), before.GetTransmitLength() - removed / 2);
    EXPECT_TRUE(Consistent(*doc));
}

TEST(DeletePatch, RenumbersOnlyTheActiveListOfEachBank) {
    auto doc = kit::DocFrom(TenDump());
    const Bytes sequenceBank = BankBytes(*doc, 5); // steps 5 6 over stale slots 5 6
    const Bytes slotBank = BankBytes(*doc, 3);     // slots 3 4 over stale steps 3 4

    doc->DeletePatch(3, true);

    const Bytes seq = BankBytes(*doc, 5);
    EXPECT_EQ(kit::ActiveList(seq), (std::vector<int>{4, 5}));
    EXPECT_TRUE(std::equal(seq.begin(), seq.begin() + 74, sequenceBank.begin())) << "stale slots rewritten";
    const Bytes slots = BankBytes(*doc, 3);
    EXPECT_EQ(kit::ActiveList(slots), (std::vector<int>{0, 3, 0, 0, 0, 0, 0, 0, 0}));
    EXPECT_TRUE(std::equal(slots.begin() + 38, slots.end(), slotBank.begin() + 38))
        << "stale steps rewritten";
    EXPECT_TRUE(Consistent(*doc));
}

TEST(DeleteBank, ReorderAtAnEmptySlotStillClosesTheGap) {
    Dump d;
    for (int b : {1, 2, 4})
        d.banks.push_back(MakeBank(Bank{b, "B" + std::to_string(b), {}, 0, {}}));
    d.sets[0] = {4, 2, 1};
    auto doc = kit::DocFrom(d);
    const int size = doc->DumpSize();

    doc->DeleteBank(3, true);

    EXPECT_TRUE(doc->HasBank(3));
    EXPECT_FALSE(doc->HasBank(4));
    EXPECT_EQ(doc->GetBankCount(), 3);
    EXPECT_EQ(doc->DumpSize(), size);
    EXPECT_EQ(SetList(*doc, 1), (std::vector<int>{3, 2, 1}));
    EXPECT_TRUE(doc->IsModified());
    EXPECT_TRUE(Consistent(*doc));
}

TEST(InsertPatch, ShiftWithoutPatch500GrowsTheDump) {
    auto doc = kit::DocFrom(TenDump());
    const int size = doc->DumpSize();
    ASSERT_TRUE(doc->InsertPatch(4, true));
    EXPECT_EQ(doc->GetPatchCount(), 11);
    EXPECT_EQ(doc->DumpSize(), size + 92);
    EXPECT_EQ(Active(*doc, 3)[0], 3);
    EXPECT_EQ(Active(*doc, 3)[1], 5);
    EXPECT_EQ(Active(*doc, 10)[1], 1);
    EXPECT_EQ(kit::ActiveList(BankBytes(*doc, 5)), (std::vector<int>{6, 7}));
    EXPECT_TRUE(Consistent(*doc));
}

// Inserting without a shift is meant for empty slots; on an occupied one the old record goes.
TEST(InsertWithoutShift, OnAnOccupiedSlotReplacesTheRecord) {
    auto doc = kit::DocFrom(TenDump());
    const int size = doc->DumpSize();
    const int oldPatch = doc->PeekPatch(6)->Length();
    const int oldBank = doc->PeekBank(5)->Length();
    ASSERT_GT(oldPatch, 92);

    ASSERT_TRUE(doc->InsertPatch(6, false));
    ASSERT_TRUE(doc->InsertBank(5, false));

    EXPECT_EQ(doc->GetPatchCount(), 10);
    EXPECT_EQ(doc->GetBankCount(), 10);
    EXPECT_EQ(doc->DumpSize(), size - oldPatch + 92 - oldBank + 74);
    EXPECT_EQ(kit::QuadAt(PatchBytes(*doc, 6), 0), 6);
    EXPECT_EQ(Active(*doc, 6)[0], 6);
    EXPECT_EQ(SetList(*doc, 2), (std::vector<int>{5, 5}));
    EXPECT_TRUE(Consistent(*doc));
}

// --- renumbering rules ------------------------------------------------------------------------

struct RenumberRow {
    const char* name;
    bool patches; // patch references in banks, else bank references in sets
    int mode;
    int number;
    std::vector<int> before;
    std::vector<int> after;
};

class Renumber : public ::testing::TestWithParam<RenumberRow> {};

constexpr int kInsert = SystemDoc::RenumberInsert;
constexpr int kMove = SystemDoc::RenumberDeleteReorder; // delete and close the gap
constexpr int kKeep = SystemDoc::RenumberDeleteKeep;    // delete, others keep their numbers

TEST_P(Renumber, RewritesReferences) {
    const RenumberRow& row = GetParam();
    Dump d;
    Bank bank{1, "SEQ", {1, 2, 3, 4, 5, 6, 7, 8, 500}, 1, row.patches ? row.before : std::vector<int>{}};
    d.banks.push_back(MakeBank(bank));
    if (!row.patches)
        d.sets[3] = row.before;
    auto doc = kit::DocFrom(d);
    HintLog log;
    doc->AddListener(&log);

    if (row.patches)
        doc->RenumberPatchRefs(row.number, row.mode);
    else
        doc->RenumberBankRefs(row.number, row.mode);

    bank.steps = row.patches ? row.after : std::vector<int>{};
    EXPECT_EQ(BankBytes(*doc, 1), MakeBank(bank)); // the stale slots stay as they were
    EXPECT_EQ(SetList(*doc, 4), row.patches ? std::vector<int>{} : row.after);
    EXPECT_FALSE(doc->IsModified());
    EXPECT_TRUE(log.hints.empty());
}

INSTANTIATE_TEST_SUITE_P(
    Rows, Renumber,
    ::testing::Values(
        RenumberRow{"PatchInsert", true, kInsert, 5, {0, 4, 5, 6, 499, 500}, {0, 4, 6, 7, 500, 0}},
        RenumberRow{"PatchInsertAtOne", true, kInsert, 1, {0, 1, 2, 500}, {0, 2, 3, 0}},
        RenumberRow{"PatchInsertAt500", true, kInsert, 500, {1, 499, 500}, {1, 499, 0}},
        RenumberRow{"PatchDeleteReorder", true, kMove, 5, {0, 4, 5, 6, 500, 5}, {0, 4, 0, 5, 499, 0}},
        RenumberRow{"PatchDeleteReorderAtOne", true, kMove, 1, {1, 2, 0}, {0, 1, 0}},
        RenumberRow{"PatchDeleteKeep", true, kKeep, 5, {0, 4, 5, 6, 500, 5}, {0, 4, 0, 6, 500, 0}},
        RenumberRow{"PatchEmptyList", true, kInsert, 1, {}, {}},
        RenumberRow{"BankInsert", false, kInsert, 5, {0, 4, 5, 6, 98, 99}, {0, 4, 6, 7, 99, 0}},
        RenumberRow{"BankInsertAt99", false, kInsert, 99, {1, 98, 99}, {1, 98, 0}},
        RenumberRow{"BankDeleteReorder", false, kMove, 5, {0, 4, 5, 6, 99}, {0, 4, 0, 5, 98}},
        RenumberRow{"BankDeleteKeep", false, kKeep, 99, {99, 98, 1, 99}, {0, 98, 1, 0}}),
    [](const ::testing::TestParamInfo<RenumberRow>& info) { return std::string(info.param.name); });

// --- refusals and notifications ---------------------------------------------------------------

RecordSlot SlotOf(const Bytes& bytes) {
    return RecordSlot(bytes.data(), static_cast<int>(bytes.size()));
}

struct RefusalRow {
    const char* name;
    bool emptyDump;
    std::function<int(SystemDoc&)> call;
    int result;
};

class Refusal : public ::testing::TestWithParam<RefusalRow> {};

TEST_P(Refusal, ChangesNothing) {
    const RefusalRow& row = GetParam();
    auto doc = row.emptyDump ? kit::DocFrom(Dump{}) : kit::DocFrom(TenDump());
    const Bytes image = doc->BuildImage();
    HintLog log;
    doc->AddListener(&log);

    EXPECT_EQ(row.call(*doc), row.result);

    EXPECT_EQ(doc->BuildImage(), image);
    EXPECT_EQ(doc->DumpSize(), static_cast<int>(image.size()));
    EXPECT_FALSE(doc->IsModified());
    EXPECT_TRUE(log.hints.empty());
}

const Bytes kSomeBank = MakeBank(Bank{});
const Bytes kSomePatch = MakePatch(Patch{});
const Bytes kSomeSet = testdump::MakeSet({1});

INSTANTIATE_TEST_SUITE_P(
    Rows, Refusal,
    ::testing::Values(
        RefusalRow{"InsertBank0", false, [](SystemDoc& d) { return int(d.InsertBank(0, true)); }, 0},
        RefusalRow{"InsertBank100", false, [](SystemDoc& d) { return int(d.InsertBank(100, false)); }, 0},
        RefusalRow{"InsertBankNegative", false, [](SystemDoc& d) { return int(d.InsertBank(-1, true)); }, 0},
        RefusalRow{"InsertPatch0", false, [](SystemDoc& d) { return int(d.InsertPatch(0, false)); }, 0},
        RefusalRow{"InsertPatch501", false, [](SystemDoc& d) { return int(d.InsertPatch(501, true)); }, 0},
        RefusalRow{"DeleteBank0", false, [](SystemDoc& d) { return d.DeleteBank(0, true), 0; }, 0},
        RefusalRow{"DeleteBank100", false, [](SystemDoc& d) { return d.DeleteBank(100, true), 0; }, 0},
        RefusalRow{"DeleteEmptyBankSlotKeep", false, [](SystemDoc& d) { return d.DeleteBank(11, false), 0; },
                   0},
        RefusalRow{"DeleteBankNoBanks", true, [](SystemDoc& d) { return d.DeleteBank(1, true), 0; }, 0},
        RefusalRow{"DeletePatch0", false, [](SystemDoc& d) { return d.DeletePatch(0, true), 0; }, 0},
        RefusalRow{"DeletePatch501", false, [](SystemDoc& d) { return d.DeletePatch(501, true), 0; }, 0},
        RefusalRow{"DeleteEmptyPatchSlotKeep", false,
                   [](SystemDoc& d) { return d.DeletePatch(11, false), 0; }, 0},
        RefusalRow{"DeletePatchNoPatches", true, [](SystemDoc& d) { return d.DeletePatch(1, true), 0; }, 0},
        RefusalRow{"ReplaceBank0", false, [](SystemDoc& d) { return d.ReplaceBank(0, SlotOf(kSomeBank)); },
                   13},
        RefusalRow{"ReplaceBank100", false,
                   [](SystemDoc& d) { return d.ReplaceBank(100, SlotOf(kSomeBank)); }, 13},
        RefusalRow{"ReplacePatch0", false, [](SystemDoc& d) { return d.ReplacePatch(0, SlotOf(kSomePatch)); },
                   11},
        RefusalRow{"ReplacePatch501", false,
                   [](SystemDoc& d) { return d.ReplacePatch(501, SlotOf(kSomePatch)); }, 11},
        RefusalRow{"ReplaceSet0", false, [](SystemDoc& d) { return d.ReplaceSet(0, SlotOf(kSomeSet)); }, 13},
        RefusalRow{"ReplaceSet6", false, [](SystemDoc& d) { return d.ReplaceSet(6, SlotOf(kSomeSet)); }, 13}),
    [](const ::testing::TestParamInfo<RefusalRow>& info) { return std::string(info.param.name); });

struct NotifyRow {
    const char* name;
    std::function<void(SystemDoc&)> call;
    int hint;
};

class Notify : public ::testing::TestWithParam<NotifyRow> {};

TEST_P(Notify, MarksModifiedSendsOneHintAndKeepsTheDumpConsistent) {
    auto doc = kit::DocFrom(TenDump());
    HintLog log;
    doc->AddListener(&log);
    GetParam().call(*doc);
    EXPECT_TRUE(doc->IsModified());
    EXPECT_EQ(log.hints, std::vector<int>{GetParam().hint});
    EXPECT_TRUE(Consistent(*doc));
}

INSTANTIATE_TEST_SUITE_P(
    Rows, Notify,
    ::testing::Values(
        NotifyRow{"InsertBank", [](SystemDoc& d) { d.InsertBank(11, false); }, HintBanks},
        NotifyRow{"InsertBankShift", [](SystemDoc& d) { d.InsertBank(3, true); }, HintBanks},
        NotifyRow{"InsertPatch", [](SystemDoc& d) { d.InsertPatch(11, false); }, HintPatches},
        NotifyRow{"InsertPatchShift", [](SystemDoc& d) { d.InsertPatch(1, true); }, HintPatches},
        NotifyRow{"DeleteBank", [](SystemDoc& d) { d.DeleteBank(2, false); }, HintBanks},
        NotifyRow{"DeleteBankReorder", [](SystemDoc& d) { d.DeleteBank(2, true); }, HintBanks},
        NotifyRow{"DeleteBankReorderEmptySlot", [](SystemDoc& d) { d.DeleteBank(50, true); }, HintBanks},
        NotifyRow{"DeletePatch", [](SystemDoc& d) { d.DeletePatch(3, false); }, HintPatches},
        NotifyRow{"DeletePatchReorder", [](SystemDoc& d) { d.DeletePatch(3, true); }, HintPatches},
        NotifyRow{"ReplaceBank", [](SystemDoc& d) { d.ReplaceBank(2, d.GetBank(2)); }, HintBanks},
        NotifyRow{"ReplacePatch", [](SystemDoc& d) { d.ReplacePatch(2, d.GetPatch(2)); }, HintPatches},
        NotifyRow{"ReplaceSet",
                  [](SystemDoc& d) {
                      d.ReplaceSet(4, SlotOf(testdump::MakeSet({1, 0, 2})));
                  },
                  HintSets}),
    [](const ::testing::TestParamInfo<NotifyRow>& info) { return std::string(info.param.name); });

// --- current bank and patch -------------------------------------------------------------------

enum class Op { Insert, Delete };

struct CurrentRow {
    const char* name;
    bool patches;
    Op op;
    int number;
    bool shift; // shift for inserts, reorder for deletes
    int before;
    int after;
};

class CurrentSelection : public ::testing::TestWithParam<CurrentRow> {};

// The current bank and patch keep their number through every move and are cleared only when
// their slot ends up empty.
TEST_P(CurrentSelection, IsNeverRenumberedOnlyCleared) {
    const CurrentRow& row = GetParam();
    auto doc = kit::DocFrom(TenDump());
    if (row.patches) {
        doc->SetCurrentPatch(row.before);
        if (row.op == Op::Insert)
            doc->InsertPatch(row.number, row.shift);
        else
            doc->DeletePatch(row.number, row.shift);
        EXPECT_EQ(doc->GetCurrentPatch(), row.after);
        EXPECT_EQ(doc->GetCurrentBank(), 0);
    } else {
        doc->SetCurrentBank(row.before);
        if (row.op == Op::Insert)
            doc->InsertBank(row.number, row.shift);
        else
            doc->DeleteBank(row.number, row.shift);
        EXPECT_EQ(doc->GetCurrentBank(), row.after);
        EXPECT_EQ(doc->GetCurrentPatch(), 0);
    }
}

INSTANTIATE_TEST_SUITE_P(
    Rows, CurrentSelection,
    ::testing::Values(CurrentRow{"BankDeletedKeep", false, Op::Delete, 5, false, 5, 0},
                      CurrentRow{"BankOtherDeleted", false, Op::Delete, 5, false, 6, 6},
                      CurrentRow{"BankDeletedReorder", false, Op::Delete, 5, true, 5, 5},
                      CurrentRow{"BankTopVacated", false, Op::Delete, 5, true, 10, 0},
                      CurrentRow{"BankBelowDeleted", false, Op::Delete, 5, true, 4, 4},
                      CurrentRow{"BankShiftedUp", false, Op::Insert, 3, true, 10, 10},
                      CurrentRow{"BankStaleCleared", false, Op::Insert, 20, false, 15, 0},
                      CurrentRow{"BankInsertedAt", false, Op::Insert, 20, false, 20, 20},
                      CurrentRow{"BankNone", false, Op::Delete, 5, false, 0, 0},
                      CurrentRow{"PatchDeletedKeep", true, Op::Delete, 7, false, 7, 0},
                      CurrentRow{"PatchOtherDeleted", true, Op::Delete, 7, false, 8, 8},
                      CurrentRow{"PatchDeletedReorder", true, Op::Delete, 7, true, 7, 7},
                      CurrentRow{"PatchTopVacated", true, Op::Delete, 7, true, 10, 0},
                      CurrentRow{"PatchShiftedUp", true, Op::Insert, 1, true, 10, 10},
                      CurrentRow{"PatchStaleCleared", true, Op::Insert, 400, false, 300, 0},
                      CurrentRow{"PatchInsertedAt", true, Op::Insert, 11, false, 11, 11}),
    [](const ::testing::TestParamInfo<CurrentRow>& info) { return std::string(info.param.name); });

TEST(DeletePatch, LeavesPowerUpPatchAndCurrentSetAlone) {
    auto doc = kit::DocFrom(TenDump());
    doc->SetPowerUpPatch(7);
    doc->SetCurrentSet(2);
    doc->DeletePatch(7, true);
    doc->DeletePatch(3, false);
    doc->DeleteBank(2, true);
    EXPECT_EQ(doc->GetPowerUpPatch(), 7);
    EXPECT_EQ(doc->GetCurrentSet(), 2);
}

// --- replacing records ------------------------------------------------------------------------

TEST(ReplaceBank, KeepsTheBookkeeping) {
    auto doc = kit::DocFrom(TenDump());
    const int size = doc->DumpSize();
    const int transmit = doc->GetTransmitLength();
    const Bytes longer = MakeBank(Bank{2, "LONGER", {1}, 1, {2, 3, 4, 5, 0}}); // 94 bytes, was 74
    const Bytes added = MakeBank(Bank{40, "ADDED", {}, 0, {}});

    EXPECT_EQ(doc->ReplaceBank(2, SlotOf(longer)), 0);
    EXPECT_EQ(doc->GetBankCount(), 10);
    EXPECT_EQ(doc->DumpSize(), size + 20);
    EXPECT_EQ(doc->GetTransmitLength(), transmit + 10);
    EXPECT_EQ(BankBytes(*doc, 2), longer);

    EXPECT_EQ(doc->ReplaceBank(40, SlotOf(added)), 0);
    EXPECT_EQ(doc->GetBankCount(), 11);
    EXPECT_EQ(doc->DumpSize(), size + 20 + 74);
    EXPECT_EQ(BankBytes(*doc, 40), added);

    EXPECT_EQ(doc->ReplaceBank(2, SlotOf(MakeBank(Bank{2, "SHORT", {}, 0, {}}))), 0);
    EXPECT_EQ(doc->DumpSize(), size + 74);
    EXPECT_TRUE(Consistent(*doc));
}

TEST(ReplacePatch, KeepsTheBookkeeping) {
    auto doc = kit::DocFrom(TenDump());
    const int size = doc->DumpSize();
    const int old = doc->PeekPatch(4)->Length();
    Patch patch;
    patch.number = 4;
    patch.a = {0xC0, 0x05};
    patch.b = {0xF0, 0x7E, 0x00, 0xF7};
    const Bytes replacement = MakePatch(patch); // 104 bytes

    EXPECT_EQ(doc->ReplacePatch(4, SlotOf(replacement)), 0);
    EXPECT_EQ(doc->GetPatchCount(), 10);
    EXPECT_EQ(doc->DumpSize(), size - old + 104);
    EXPECT_EQ(PatchBytes(*doc, 4), replacement);

    patch.number = 321;
    EXPECT_EQ(doc->ReplacePatch(321, SlotOf(MakePatch(patch))), 0);
    EXPECT_EQ(doc->GetPatchCount(), 11);
    EXPECT_EQ(doc->DumpSize(), size - old + 208);
    EXPECT_TRUE(Consistent(*doc));
}

TEST(ReplaceSet, KeepsTheBookkeepingAndTheSetNumber) {
    auto doc = kit::DocFrom(TenDump());
    const int size = doc->DumpSize();
    const int transmit = doc->GetTransmitLength();

    EXPECT_EQ(doc->ReplaceSet(3, SlotOf(testdump::MakeSet({1, 2, 0}))), 0);
    EXPECT_EQ(doc->DumpSize(), size + 6);
    EXPECT_EQ(doc->GetTransmitLength(), transmit + 3);
    EXPECT_EQ(doc->GetSet(3).Number(), 3);
    EXPECT_EQ(SetList(*doc, 3), (std::vector<int>{1, 2, 0}));

    EXPECT_EQ(doc->ReplaceSet(1, SlotOf(testdump::MakeSet({}))), 0); // six entries shrink to none
    EXPECT_EQ(doc->DumpSize(), size + 6 - 12);
    EXPECT_EQ(doc->GetBankCount(), 10);
    EXPECT_TRUE(Consistent(*doc));
}

// --- names ------------------------------------------------------------------------------------

enum class Warning { None, Suspect, Invalid };

struct NameRow {
    const char* name;
    std::string text;
    std::string field; // the 15 characters written, before the blank fill
    Warning warning;
};

class EncodeName : public ::testing::TestWithParam<NameRow> {};

TEST_P(EncodeName, WritesTheFieldAndWarnsOnce) {
    const NameRow& row = GetParam();
    SystemDoc doc;
    ScriptedPrompter prompter;
    doc.SetPrompter(&prompter);
    uint8_t field[30];
    std::fill(std::begin(field), std::end(field), 0xEE);

    const bool clean = doc.EncodeName(field, row.text, 30, true);

    const std::string padded = row.field + std::string(15 - row.field.size(), ' ');
    for (size_t i = 0; i < 15; ++i) {
        EXPECT_EQ(field[2 * i], 0) << "pair " << i;
        EXPECT_EQ(field[2 * i + 1], static_cast<uint8_t>(padded[i])) << "pair " << i;
    }
    EXPECT_EQ(clean, row.warning == Warning::None);
    if (row.warning == Warning::None) {
        EXPECT_TRUE(prompter.Messages().empty());
    } else {
        ASSERT_EQ(prompter.Messages().size(), 1u);
        EXPECT_EQ(prompter.Messages()[0].kind, "info");
        EXPECT_EQ(prompter.Messages()[0].text,
                  row.warning == Warning::Suspect ? kSuspectMessage : kInvalidMessage);
    }

    // Without messages the field and the result are the same, and nothing is said.
    uint8_t quiet[30];
    prompter.Clear();
    EXPECT_EQ(doc.EncodeName(quiet, row.text, 30, false), clean);
    EXPECT_TRUE(std::equal(std::begin(quiet), std::end(quiet), std::begin(field)));
    EXPECT_TRUE(prompter.Messages().empty());
}

INSTANTIATE_TEST_SUITE_P(
    Rows, EncodeName,
    ::testing::Values(NameRow{"ColonIsInvalid", "AB:C", "AB C", Warning::Invalid},
                      NameRow{"CommaIsSuspect", "ROCK, ROLL", "ROCK, ROLL", Warning::Suspect},
                      NameRow{"LastOffenderDecidesSuspect", "A:B,", "A B,", Warning::Suspect},
                      NameRow{"LastOffenderDecidesInvalid", "A,B:", "A,B ", Warning::Invalid},
                      NameRow{"Plain", "LEAD 2", "LEAD 2", Warning::None},
                      NameRow{"Empty", "", "", Warning::None},
                      NameRow{"FullLength", "ABCDEFGHIJKLMNO", "ABCDEFGHIJKLMNO", Warning::None},
                      NameRow{"PlainPunctuation", "'()*+-/09[\\", "'()*+-/09[\\", Warning::None},
                      NameRow{"AllSuspects", "!\"#$%&,.", "!\"#$%&,.", Warning::Suspect},
                      NameRow{"LowerCase", "Rock", "R   ", Warning::Invalid},
                      NameRow{"InvalidPunctuation", ";<=>?@]^_`{|}~", "              ", Warning::Invalid},
                      NameRow{"ControlCharacters", "A\tB\n", "A B ", Warning::Invalid},
                      NameRow{"EightBit", "A\xC4", "A ", Warning::Invalid}),
    [](const ::testing::TestParamInfo<NameRow>& info) { return std::string(info.param.name); });

TEST(EncodeNameField, NeverWritesPastItsSize) {
    SystemDoc doc;
    uint8_t buffer[40];
    std::fill(std::begin(buffer), std::end(buffer), 0xEE);
    doc.EncodeName(buffer, "ABCDEFGHIJKLMNOPQRST", 30, false);
    EXPECT_EQ(buffer[29], 'O');
    EXPECT_TRUE(std::all_of(buffer + 30, buffer + 40, [](uint8_t b) { return b == 0xEE; }));
}

// --- banks that use a patch -------------------------------------------------------------------

TEST(BanksUsingPatch, ListsEachBankOnceByItsActiveList) {
    Dump d;
    d.banks.push_back(MakeBank(Bank{3, "CLEAN", {12, 0, 12}, 0, {}}));
    d.banks.push_back(MakeBank(Bank{5, "STALE SLOTS", {12}, 1, {4}}));
    d.banks.push_back(MakeBank(Bank{7, "STALE STEPS", {4}, 0, {12}}));
    d.banks.push_back(MakeBank(Bank{10, "LEAD", {}, 1, {0, 12, 12}}));
    d.banks.push_back(MakeBank(Bank{99, "LAST", {0, 0, 0, 0, 0, 0, 0, 0, 12}, 0, {}}));
    auto doc = kit::DocFrom(d);

    int count = -1;
    EXPECT_EQ(doc->BanksUsingPatch(12, &count), "3 CLEAN\r\n10 LEAD\r\n99 LAST\r\n");
    EXPECT_EQ(count, 3);
    EXPECT_EQ(doc->BanksUsingPatch(4, &count), "5 STALE SLOTS\r\n7 STALE STEPS\r\n");
    EXPECT_EQ(count, 2);
    EXPECT_EQ(doc->BanksUsingPatch(13, &count), "");
    EXPECT_EQ(count, 0);
}

// --- randomized edits against a model of record identities -------------------------------------

// Follows which record sits in which slot by identity rather than by number, so that a
// renumbering that keeps references valid but points them at the wrong record is caught.
class IdentityModel {
public:
    explicit IdentityModel(const SystemDoc& doc) {
        for (int p = 1; p <= 500; ++p)
            if (doc.HasPatch(p))
                AdoptPatch(doc, p);
        for (int b = 1; b <= 99; ++b)
            if (doc.HasBank(b))
                AdoptBank(doc, b);
        for (int s = 1; s <= 5; ++s)
            AdoptSet(doc, s);
    }

    int PatchCount() const { return static_cast<int>(std::count_if(m_patchAt.begin(), m_patchAt.end(), Id)); }
    int BankCount() const { return static_cast<int>(std::count_if(m_bankAt.begin(), m_bankAt.end(), Id)); }
    bool HasPatch(int p) const { return m_patchAt[static_cast<size_t>(p)] != 0; }
    bool HasBank(int b) const { return m_bankAt[static_cast<size_t>(b)] != 0; }

    void InsertPatch(const SystemDoc& doc, int a, bool shift) {
        if (shift) {
            const int dropped = m_patchAt[500];
            for (size_t j = 500; j > static_cast<size_t>(a); --j)
                m_patchAt[j] = m_patchAt[j - 1];
            m_patchAt[static_cast<size_t>(a)] = 0;
            ReplacePatchRefs(dropped, 0);
        }
        const int old = m_patchAt[static_cast<size_t>(a)];
        const int id = AdoptPatch(doc, a);
        ReplacePatchRefs(old, id);
    }

    void DeletePatch(int a, bool reorder) {
        ReplacePatchRefs(m_patchAt[static_cast<size_t>(a)], 0);
        m_patchAt[static_cast<size_t>(a)] = 0;
        if (reorder) {
            for (size_t i = static_cast<size_t>(a); i < 500; ++i)
                m_patchAt[i] = m_patchAt[i + 1];
            m_patchAt[500] = 0;
        }
    }

    void ReplacePatch(const SystemDoc& doc, int n) {
        const int old = m_patchAt[static_cast<size_t>(n)];
        ReplacePatchRefs(old, AdoptPatch(doc, n));
    }

    void InsertBank(const SystemDoc& doc, int a, bool shift) {
        if (shift) {
            const int dropped = m_bankAt[99];
            for (size_t j = 99; j > static_cast<size_t>(a); --j)
                m_bankAt[j] = m_bankAt[j - 1];
            m_bankAt[static_cast<size_t>(a)] = 0;
            ReplaceBankRefs(dropped, 0);
        }
        const int old = m_bankAt[static_cast<size_t>(a)];
        ReplaceBankRefs(old, AdoptBank(doc, a));
    }

    void DeleteBank(int a, bool reorder) {
        ReplaceBankRefs(m_bankAt[static_cast<size_t>(a)], 0);
        m_bankAt[static_cast<size_t>(a)] = 0;
        if (reorder) {
            for (size_t i = static_cast<size_t>(a); i < 99; ++i)
                m_bankAt[i] = m_bankAt[i + 1];
            m_bankAt[99] = 0;
        }
    }

    void ReplaceBank(const SystemDoc& doc, int n) {
        const int old = m_bankAt[static_cast<size_t>(n)];
        ReplaceBankRefs(old, AdoptBank(doc, n));
    }

    void ReplaceSet(const SystemDoc& doc, int s) { AdoptSet(doc, s); }

    ::testing::AssertionResult Matches(const SystemDoc& doc) const {
        for (int p = 1; p <= 500; ++p) {
            const Bytes record = PatchBytes(doc, p);
            const int id = m_patchAt[static_cast<size_t>(p)];
            if (record.empty() != (id == 0))
                return ::testing::AssertionFailure() << "patch slot " << p << " presence";
            if (id != 0 && WithoutNumber(record, 4) != m_patchBodies.at(id))
                return ::testing::AssertionFailure() << "patch slot " << p << " holds another record";
        }
        for (int b = 1; b <= 99; ++b) {
            const Bytes record = BankBytes(doc, b);
            const int id = m_bankAt[static_cast<size_t>(b)];
            if (record.empty() != (id == 0))
                return ::testing::AssertionFailure() << "bank slot " << b << " presence";
            if (id == 0)
                continue;
            const BankModel& bank = m_banks.at(id);
            if (BankFrame(record) != bank.frame)
                return ::testing::AssertionFailure() << "bank slot " << b << " holds another record";
            const std::vector<int> active = kit::ActiveList(record);
            if (active.size() != bank.patches.size())
                return ::testing::AssertionFailure() << "bank slot " << b << " active list length";
            for (size_t k = 0; k < active.size(); ++k)
                if (!Names(active[k], bank.patches[k], m_patchAt))
                    return ::testing::AssertionFailure()
                           << "bank " << b << " entry " << k << " is " << active[k] << ", wrong record";
        }
        for (int s = 1; s <= 5; ++s) {
            const std::vector<int> entries = SetList(doc, s);
            const std::vector<int>& expected = m_sets[static_cast<size_t>(s)];
            if (entries.size() != expected.size())
                return ::testing::AssertionFailure() << "set " << s << " length";
            for (size_t i = 0; i < entries.size(); ++i)
                if (!Names(entries[i], expected[i], m_bankAt))
                    return ::testing::AssertionFailure()
                           << "set " << s << " entry " << i << " names the wrong bank";
        }
        return ::testing::AssertionSuccess();
    }

private:
    struct BankModel {
        Bytes frame;
        std::vector<int> patches; // identities, 0 = empty entry
    };

    static bool Id(int id) { return id != 0; }

    template <size_t N> static bool Names(int number, int id, const std::array<int, N>& at) {
        if (id == 0)
            return number == 0;
        return number > 0 && static_cast<size_t>(number) < N && at[static_cast<size_t>(number)] == id;
    }

    int AdoptPatch(const SystemDoc& doc, int p) {
        const int id = m_next++;
        m_patchAt[static_cast<size_t>(p)] = id;
        m_patchBodies[id] = WithoutNumber(PatchBytes(doc, p), 4);
        return id;
    }

    int AdoptBank(const SystemDoc& doc, int b) {
        const int id = m_next++;
        const Bytes record = BankBytes(doc, b);
        BankModel bank{BankFrame(record), {}};
        for (int p : kit::ActiveList(record))
            bank.patches.push_back(p == 0 ? 0 : m_patchAt[static_cast<size_t>(p)]);
        m_bankAt[static_cast<size_t>(b)] = id;
        m_banks[id] = bank;
        return id;
    }

    void AdoptSet(const SystemDoc& doc, int s) {
        std::vector<int>& set = m_sets[static_cast<size_t>(s)];
        set.clear();
        for (int b : SetList(doc, s))
            set.push_back(b == 0 ? 0 : m_bankAt[static_cast<size_t>(b)]);
    }

    void ReplacePatchRefs(int from, int to) {
        if (from == 0)
            return;
        for (auto& entry : m_banks)
            std::replace(entry.second.patches.begin(), entry.second.patches.end(), from, to);
    }

    void ReplaceBankRefs(int from, int to) {
        if (from == 0)
            return;
        for (std::vector<int>& set : m_sets)
            std::replace(set.begin(), set.end(), from, to);
    }

    int m_next = 1;
    std::array<int, 501> m_patchAt{};
    std::array<int, 100> m_bankAt{};
    std::map<int, Bytes> m_patchBodies;
    std::map<int, BankModel> m_banks;
    std::array<std::vector<int>, 6> m_sets{};
};

class RandomEdits : public ::testing::Test {
protected:
    std::mt19937 rng{20240611u};

    int Uniform(int lo, int hi) { return std::uniform_int_distribution<int>(lo, hi)(rng); }
    bool Coin() { return Uniform(0, 1) == 1; }

    // Mostly numbers in use, sometimes any number, sometimes the last one.
    int PickNumber(const std::function<bool(int)>& present, int highest) {
        const int roll = Uniform(0, 9);
        if (roll == 0)
            return highest;
        if (roll < 6) {
            std::vector<int> used;
            for (int n = 1; n <= highest; ++n)
                if (present(n))
                    used.push_back(n);
            if (!used.empty())
                return used[static_cast<size_t>(Uniform(0, static_cast<int>(used.size()) - 1))];
        }
        return Uniform(1, highest);
    }

    int PresentOrZero(const std::function<bool(int)>& present, int highest) {
        if (Uniform(0, 3) == 0)
            return 0;
        std::vector<int> used;
        for (int n = 1; n <= highest; ++n)
            if (present(n))
                used.push_back(n);
        return used.empty() ? 0 : used[static_cast<size_t>(Uniform(0, static_cast<int>(used.size()) - 1))];
    }

    std::string RandomName() {
        std::string name;
        const int length = Uniform(1, 15);
        for (int i = 0; i < length; ++i)
            name += static_cast<char>(Uniform(0x20, 0x5C));
        return name;
    }

    Bytes RandomPatch(int number) {
        Patch patch;
        patch.number = number;
        patch.name = RandomName();
        patch.mode = Uniform(0, 255);
        for (testdump::CC& cc : patch.ccs)
            cc = testdump::CC{Uniform(0, 255), Uniform(0, 127), 0, 127};
        patch.a.resize(static_cast<size_t>(Uniform(0, 6)), 0xC0);
        patch.b.resize(static_cast<size_t>(Uniform(0, 6)), 0x01);
        return MakePatch(patch);
    }

    Bytes RandomBank(int number, const std::function<bool(int)>& patchPresent) {
        Bank bank;
        bank.number = number;
        bank.name = RandomName();
        for (int& slot : bank.slotPatches)
            slot = PresentOrZero(patchPresent, 500);
        bank.seqMode = Uniform(0, 2) == 0 ? Uniform(1, 3) : 0;
        bank.steps.resize(static_cast<size_t>(Uniform(0, 12)));
        for (int& step : bank.steps)
            step = PresentOrZero(patchPresent, 500);
        if (bank.seqMode == 0) // inactive lists may name anything
            for (int& step : bank.steps)
                step = Uniform(0, 600);
        else
            for (int& slot : bank.slotPatches)
                slot = Uniform(0, 600);
        return MakeBank(bank);
    }

    Dump MidSizedDump() {
        Dump d;
        std::vector<int> patches = {1, 2, 3, 250, 499, 500};
        while (patches.size() < 120)
            patches.push_back(Uniform(1, 500));
        std::sort(patches.begin(), patches.end());
        patches.erase(std::unique(patches.begin(), patches.end()), patches.end());
        const auto patchPresent = [&patches](int p) {
            return std::binary_search(patches.begin(), patches.end(), p);
        };
        for (int p : patches)
            d.patches.push_back(RandomPatch(p));
        std::vector<int> banks = {1, 2, 50, 98, 99};
        while (banks.size() < 30)
            banks.push_back(Uniform(1, 99));
        std::sort(banks.begin(), banks.end());
        banks.erase(std::unique(banks.begin(), banks.end()), banks.end());
        for (int b : banks)
            d.banks.push_back(RandomBank(b, patchPresent));
        for (auto& set : d.sets)
            for (int i = Uniform(0, 10); i > 0; --i)
                set.push_back(Uniform(0, 3) == 0 ? 0 : banks[static_cast<size_t>(Uniform(0, 29))]);
        return d;
    }
};

TEST_F(RandomEdits, KeepBookkeepingReferencesAndRecordIdentities) {
    auto doc = kit::DocFrom(MidSizedDump());
    ASSERT_TRUE(Consistent(*doc));
    IdentityModel model(*doc);
    ASSERT_TRUE(model.Matches(*doc));
    HintLog log;
    doc->AddListener(&log);
    doc->SetPowerUpPatch(250);

    const auto patchPresent = [&doc](int p) { return doc->HasPatch(p); };
    const auto bankPresent = [&doc](int b) { return doc->HasBank(b); };
    for (int step = 0; step < 3000; ++step) {
        doc->SetModifiedFlag(false);
        log.hints.clear();
        if (Uniform(0, 9) == 0) {
            doc->SetCurrentBank(Uniform(0, 99));
            doc->SetCurrentPatch(Uniform(0, 500));
        }
        const int currentBank = doc->GetCurrentBank();
        const int currentPatch = doc->GetCurrentPatch();
        bool changes = true;
        int hint = HintPatches;
        std::string what;
        const int op = Uniform(0, 99);
        if (op < 18) {
            const int a = PickNumber(patchPresent, 500);
            const bool shift = Coin();
            what = "InsertPatch(" + std::to_string(a) + ", " + std::to_string(shift) + ")";
            ASSERT_TRUE(doc->InsertPatch(a, shift));
            model.InsertPatch(*doc, a, shift);
        } else if (op < 40) {
            const int a = PickNumber(patchPresent, 500);
            const bool reorder = Coin();
            what = "DeletePatch(" + std::to_string(a) + ", " + std::to_string(reorder) + ")";
            changes = model.PatchCount() != 0 && (model.HasPatch(a) || reorder);
            doc->DeletePatch(a, reorder);
            if (changes)
                model.DeletePatch(a, reorder);
        } else if (op < 52) {
            const int a = PickNumber(bankPresent, 99);
            const bool shift = Coin();
            what = "InsertBank(" + std::to_string(a) + ", " + std::to_string(shift) + ")";
            hint = HintBanks;
            ASSERT_TRUE(doc->InsertBank(a, shift));
            model.InsertBank(*doc, a, shift);
        } else if (op < 66) {
            const int a = PickNumber(bankPresent, 99);
            const bool reorder = Coin();
            what = "DeleteBank(" + std::to_string(a) + ", " + std::to_string(reorder) + ")";
            hint = HintBanks;
            changes = model.BankCount() != 0 && (model.HasBank(a) || reorder);
            doc->DeleteBank(a, reorder);
            if (changes)
                model.DeleteBank(a, reorder);
        } else if (op < 78) {
            const int n = PickNumber(patchPresent, 500);
            what = "ReplacePatch(" + std::to_string(n) + ")";
            ASSERT_EQ(doc->ReplacePatch(n, SlotOf(RandomPatch(n))), 0);
            model.ReplacePatch(*doc, n);
        } else if (op < 90) {
            const int n = PickNumber(bankPresent, 99);
            what = "ReplaceBank(" + std::to_string(n) + ")";
            hint = HintBanks;
            ASSERT_EQ(doc->ReplaceBank(n, SlotOf(RandomBank(n, patchPresent))), 0);
            model.ReplaceBank(*doc, n);
        } else {
            const int s = Uniform(1, 5);
            std::vector<int> entries(static_cast<size_t>(Uniform(0, 10)));
            for (int& b : entries)
                b = PresentOrZero(bankPresent, 99);
            what = "ReplaceSet(" + std::to_string(s) + ")";
            hint = HintSets;
            ASSERT_EQ(doc->ReplaceSet(s, SlotOf(testdump::MakeSet(entries))), 0);
            model.ReplaceSet(*doc, s);
        }
        SCOPED_TRACE("step " + std::to_string(step) + ": " + what);
        ASSERT_TRUE(Consistent(*doc));
        ASSERT_TRUE(model.Matches(*doc));
        ASSERT_EQ(doc->IsModified(), changes);
        ASSERT_EQ(log.hints, changes ? std::vector<int>{hint} : std::vector<int>{});
        ASSERT_EQ(doc->GetPowerUpPatch(), 250);
        const bool bankEdit = what.rfind("InsertBank", 0) == 0 || what.rfind("DeleteBank", 0) == 0;
        const bool patchEdit = what.rfind("InsertPatch", 0) == 0 || what.rfind("DeletePatch", 0) == 0;
        ASSERT_EQ(doc->GetCurrentBank(), bankEdit && changes && !doc->HasBank(currentBank) ? 0 : currentBank);
        ASSERT_EQ(doc->GetCurrentPatch(),
                  patchEdit && changes && !doc->HasPatch(currentPatch) ? 0 : currentPatch);
    }
}

} // namespace
