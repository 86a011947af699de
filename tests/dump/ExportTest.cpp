// The readable exports: patch table, bank table, bank layout, their names and their files.
#include "dump/SystemDoc.h"
#include "support/DocTestKit.h"
#include "support/DumpBuilder.h"
#include "support/MemoryFileOps.h"
#include "support/ScriptedPrompter.h"

#include <gtest/gtest.h>

#include <functional>
#include <string>

namespace {

using kit::Bytes;
using testdump::Bank;
using testdump::Dump;
using testdump::MakeBank;
using testdump::MakePatch;
using testdump::Patch;

ExportOptions Options(bool tabs, bool mixed) {
    ExportOptions options;
    options.tabDelimited = tabs;
    options.mixedCase = mixed;
    return options;
}

Bytes NamedPatch(int number, const std::string& name) {
    Patch patch;
    patch.number = number;
    patch.name = name;
    return MakePatch(patch);
}

// A patch whose name field holds exactly `field` (30 bytes).
Bytes PatchWithField(int number, const Bytes& field) {
    Bytes record = NamedPatch(number, "");
    std::copy(field.begin(), field.end(), record.begin() + 4);
    return record;
}

// Patches 1, 2 and 500; banks over them with every kind of entry: absent and impossible patch
// numbers, empty entries, sequences longer and shorter than the nine switches, and stale lists.
Dump BankDump() {
    Dump d;
    d.patches = {NamedPatch(1, "LEAD"), NamedPatch(2, "CLEAN"), NamedPatch(500, "PATCH2B")};
    d.banks = {MakeBank(Bank{1, "ROCK", {1, 3, 600, 0, 500, 2, 0, 0, 1}, 0, {500, 500}}),
               MakeBank(Bank{50, "LONG SEQ", {2}, 1, {1, 2, 0, 3, 500, 1, 2, 0, 1, 2, 500}}),
               MakeBank(Bank{60, "FIVE", {}, 1, {1, 1, 1, 1, 1}}), MakeBank(Bank{70, "EMPTY SEQ", {}, 1, {}}),
               MakeBank(Bank{99, "SHORT", {1}, 1, {2, 0}})};
    return d;
}

// --- patch table ------------------------------------------------------------------------------

struct TableRow {
    const char* name;
    bool tabs;
    bool mixed;
    std::string expected;
};

class PatchTable : public ::testing::TestWithParam<TableRow> {};

TEST_P(PatchTable, ListsEveryPatchInNumberOrder) {
    Dump d;
    d.patches = {NamedPatch(1, "LEAD"), NamedPatch(2, "CLEAN"), NamedPatch(500, "PATCH2B")};
    auto doc = kit::DocFrom(d);
    EXPECT_EQ(doc->PatchTableText(Options(GetParam().tabs, GetParam().mixed)), GetParam().expected);
}

INSTANTIATE_TEST_SUITE_P(Rows, PatchTable,
                         ::testing::Values(TableRow{"Fixed", false, false,
                                                    "Num Patch Name     \r\n"
                                                    "001 LEAD           \r\n"
                                                    "002 CLEAN          \r\n"
                                                    "500 PATCH2B        \r\n"},
                                           TableRow{"Tabs", true, false,
                                                    "Patch Number\tPatch Name\r\n"
                                                    "001\tLEAD\r\n"
                                                    "002\tCLEAN\r\n"
                                                    "500\tPATCH2B\r\n"},
                                           TableRow{"FixedMixedCase", false, true,
                                                    "Num Patch Name     \r\n"
                                                    "001 Lead           \r\n"
                                                    "002 Clean          \r\n"
                                                    "500 Patch2B        \r\n"},
                                           TableRow{"TabsMixedCase", true, true,
                                                    "Patch Number\tPatch Name\r\n"
                                                    "001\tLead\r\n"
                                                    "002\tClean\r\n"
                                                    "500\tPatch2B\r\n"}),
                         [](const ::testing::TestParamInfo<TableRow>& info) {
                             return std::string(info.param.name);
                         });

TEST(PatchTableNames, EmptyBlankBadAndFullLengthNames) {
    Dump d;
    const Bytes zeros(30, 0);
    Bytes blanks;
    Bytes lower;
    for (int i = 0; i < 15; ++i) {
        blanks.insert(blanks.end(), {0, ' '});
        lower.insert(lower.end(), {0, static_cast<uint8_t>(i < 2 ? 'a' + i : ' ')});
    }
    d.patches = {PatchWithField(3, zeros), PatchWithField(4, blanks), PatchWithField(5, lower),
                 NamedPatch(6, "ABCDEFGHIJKLMNO")};
    auto doc = kit::DocFrom(d);

    EXPECT_EQ(doc->PatchTableText(Options(false, false)), "Num Patch Name     \r\n"
                                                          "003                \r\n"
                                                          "004                \r\n"
                                                          "005 ** BAD DATA ** \r\n"
                                                          "006 ABCDEFGHIJKLMNO\r\n");
    EXPECT_EQ(doc->PatchTableText(Options(true, true)), "Patch Number\tPatch Name\r\n"
                                                        "003\t\r\n"
                                                        "004\t \r\n"
                                                        "005\t** Bad Data **\r\n"
                                                        "006\tAbcdefghijklmno\r\n");
}

// --- bank table and layout --------------------------------------------------------------------

const char kFixedBankHeader[] =
    "No Bank Name       Num1Patch Name A    Num2Patch Name B    Num3Patch Name C    Num4Patch Name D    "
    "Num5Patch Name E    Num6Patch Name F    Num7Patch Name G    Num8Patch Name H    Num9Patch Name I    "
    "\r\n";
const char kTabBankHeader[] =
    "Bank Number\tBank Name\tNum1\tPatch Name A\tNum2\tPatch Name B\tNum3\tPatch Name C\t"
    "Num4\tPatch Name D\tNum5\tPatch Name E\tNum6\tPatch Name F\tNum7\tPatch Name G\t"
    "Num8\tPatch Name H\tNum9\tPatch Name I\t\r\n";
const char kLayoutHeader[] =
    "No Bank Name       \r\n"
    "   Num1Patch Name A    Num2Patch Name B    Num3Patch Name C    Num4Patch Name D    "
    "Num5Patch Name E    \r\n"
    "   Num6Patch Name F    Num7Patch Name G    Num8Patch Name H    Num9Patch Name I    \r\n"
    "\r\n";

const std::string kFixedBankTable = std::string(kFixedBankHeader) + "01 ROCK           "
                                                                    " 001 LEAD           "
                                                                    " 003 *deleted patch*"
                                                                    " 600 *Bad Patch**   "
                                                                    " 000 -              "
                                                                    " 500 PATCH2B        "
                                                                    " 002 CLEAN          "
                                                                    " 000 -              "
                                                                    " 000 -              "
                                                                    " 001 LEAD           \r\n"
                                                                    "50 LONG SEQ       "
                                                                    " 001 LEAD           "
                                                                    " 002 CLEAN          "
                                                                    " 000 -              "
                                                                    " 003 *deleted patch*"
                                                                    " 500 PATCH2B        "
                                                                    " 001 LEAD           "
                                                                    " 002 CLEAN          "
                                                                    " 000 -              "
                                                                    " 001 LEAD           "
                                                                    " 002 CLEAN          "
                                                                    " 500 PATCH2B        \r\n"
                                                                    "60 FIVE           "
                                                                    " 001 LEAD           "
                                                                    " 001 LEAD           "
                                                                    " 001 LEAD           "
                                                                    " 001 LEAD           "
                                                                    " 001 LEAD           \r\n"
                                                                    "70 EMPTY SEQ      \r\n"
                                                                    "99 SHORT          "
                                                                    " 002 CLEAN          "
                                                                    " 000 -              \r\n";

const std::string kTabBankTable = std::string(kTabBankHeader) +
                                  "01\tROCK\t001\tLEAD\t003\t*deleted patch*\t600\t*Bad "
                                  "Patch**\t000\t-\t500\tPATCH2B\t002\tCLEAN\t000\t-\t000\t-"
                                  "\t001\tLEAD\r\n"
                                  "50\tLONG SEQ\t001\tLEAD\t002\tCLEAN\t000\t-\t003\t*deleted "
                                  "patch*\t500\tPATCH2B\t001\tLEAD\t002\tCLEAN\t000\t-"
                                  "\t001\tLEAD\t002\tCLEAN\t500\tPATCH2B\r\n"
                                  "60\tFIVE\t001\tLEAD\t001\tLEAD\t001\tLEAD\t001\tLEAD\t001\tLEAD\r\n"
                                  "70\tEMPTY SEQ\r\n"
                                  "99\tSHORT\t002\tCLEAN\t000\t-\r\n";

const std::string kTabMixedBankTable = std::string(kTabBankHeader) +
                                       "01\tRock\t001\tLead\t003\t*deleted patch*\t600\t*Bad "
                                       "Patch**\t000\t-\t500\tPatch2B\t002\tClean\t000\t-\t000\t-"
                                       "\t001\tLead\r\n"
                                       "50\tLong Seq\t001\tLead\t002\tClean\t000\t-\t003\t*deleted "
                                       "patch*\t500\tPatch2B\t001\tLead\t002\tClean\t000\t-"
                                       "\t001\tLead\t002\tClean\t500\tPatch2B\r\n"
                                       "60\tFive\t001\tLead\t001\tLead\t001\tLead\t001\tLead\t001\tLead\r\n"
                                       "70\tEmpty Seq\r\n"
                                       "99\tShort\t002\tClean\t000\t-\r\n";

const std::string kBankLayout =
    std::string(kLayoutHeader) +
    "01 ROCK           \r\n"
    "   001 LEAD            003 *deleted patch* 600 *Bad Patch**    000 -               "
    "500 PATCH2B         \r\n"
    "   002 CLEAN           000 -               000 -               001 LEAD            \r\n"
    "\r\n"
    "50 LONG SEQ       \r\n"
    "   001 LEAD            002 CLEAN           000 -               003 *deleted patch* "
    "500 PATCH2B         \r\n"
    "   001 LEAD            002 CLEAN           000 -               001 LEAD            "
    "002 CLEAN           500 PATCH2B         \r\n"
    "\r\n"
    "60 FIVE           \r\n"
    "   001 LEAD            001 LEAD            001 LEAD            001 LEAD            "
    "001 LEAD            \r\n"
    "   \r\n"
    "\r\n"
    "70 EMPTY SEQ      \r\n"
    "   \r\n"
    "\r\n"
    "99 SHORT          \r\n"
    "   002 CLEAN           000 -               \r\n"
    "\r\n";

const std::string kMixedBankLayout = std::string(kLayoutHeader) +
                                     "01 Rock           \r\n"
                                     "   001 Lead            003 *deleted patch* 600 *Bad Patch**    "
                                     "000 -               500 Patch2B         \r\n"
                                     "   002 Clean           000 -               000 -               "
                                     "001 Lead            \r\n"
                                     "\r\n"
                                     "50 Long Seq       \r\n"
                                     "   001 Lead            002 Clean           000 -               "
                                     "003 *deleted patch* 500 Patch2B         \r\n"
                                     "   001 Lead            002 Clean           000 -               "
                                     "001 Lead            002 Clean           500 Patch2B         \r\n"
                                     "\r\n"
                                     "60 Five           \r\n"
                                     "   001 Lead            001 Lead            001 Lead            "
                                     "001 Lead            001 Lead            \r\n"
                                     "   \r\n"
                                     "\r\n"
                                     "70 Empty Seq      \r\n"
                                     "   \r\n"
                                     "\r\n"
                                     "99 Short          \r\n"
                                     "   002 Clean           000 -               \r\n"
                                     "\r\n";

struct BankRow {
    const char* name;
    bool tabs;
    bool mixed;
    bool layout;
    const std::string* expected;
};

class BankTable : public ::testing::TestWithParam<BankRow> {};

TEST_P(BankTable, ListsEveryBankWithItsActivePatches) {
    const BankRow& row = GetParam();
    auto doc = kit::DocFrom(BankDump());
    EXPECT_EQ(doc->BankTableText(Options(row.tabs, row.mixed), row.layout), *row.expected);
}

INSTANTIATE_TEST_SUITE_P(Rows, BankTable,
                         ::testing::Values(BankRow{"Fixed", false, false, false, &kFixedBankTable},
                                           BankRow{"Tabs", true, false, false, &kTabBankTable},
                                           BankRow{"TabsMixedCase", true, true, false, &kTabMixedBankTable},
                                           BankRow{"Layout", false, false, true, &kBankLayout},
                                           BankRow{"LayoutIgnoresTabs", true, false, true, &kBankLayout},
                                           BankRow{"LayoutMixedCase", true, true, true, &kMixedBankLayout}),
                         [](const ::testing::TestParamInfo<BankRow>& info) {
                             return std::string(info.param.name);
                         });

TEST(EmptyDumpExports, AreTheirHeadersAlone) {
    const SystemDoc doc;
    EXPECT_EQ(doc.PatchTableText(Options(false, false)), "Num Patch Name     \r\n");
    EXPECT_EQ(doc.PatchTableText(Options(true, false)), "Patch Number\tPatch Name\r\n");
    EXPECT_EQ(doc.BankTableText(Options(false, false), false), kFixedBankHeader);
    EXPECT_EQ(doc.BankTableText(Options(true, false), false), kTabBankHeader);
    EXPECT_EQ(doc.BankTableText(Options(true, true), true), kLayoutHeader);
}

// --- mixed case -------------------------------------------------------------------------------

struct CaseRow {
    const char* text;
    const char* expected;
};

class MixedCaseRows : public ::testing::TestWithParam<CaseRow> {};

TEST_P(MixedCaseRows, CapitalisesTheFirstLetterAfterEveryNonLetter) {
    std::string text = GetParam().text;
    MixedCase(text);
    EXPECT_EQ(text, GetParam().expected);
}

INSTANTIATE_TEST_SUITE_P(
    Rows, MixedCaseRows,
    ::testing::Values(CaseRow{"NEW BANK 01", "New Bank 01"}, CaseRow{"PATCH2B", "Patch2B"},
                      CaseRow{"** BAD DATA **", "** Bad Data **"}, CaseRow{"ROCK'N'ROLL", "Rock'N'Roll"},
                      CaseRow{"R&B", "R&B"}, CaseRow{"  LEAD", "  Lead"},
                      CaseRow{"already Mixed", "Already Mixed"}, CaseRow{"[X]\\YZ", "[X]\\Yz"},
                      CaseRow{"A\tB", "A\tB"}, CaseRow{"X", "X"}, CaseRow{"", ""}));

// --- file names -------------------------------------------------------------------------------

struct BaseNameRow {
    const char* path; // null: never saved
    const char* title;
    const char* expected;
};

class ExportBaseName : public ::testing::TestWithParam<BaseNameRow> {};

TEST_P(ExportBaseName, CutsAtTheLastDotAnywhereElseTakesTheTitle) {
    SystemDoc doc;
    if (GetParam().path)
        doc.SetPathName(GetParam().path);
    if (GetParam().title)
        doc.SetTitle(GetParam().title);
    EXPECT_EQ(doc.ExportBaseName(), GetParam().expected);
}

INSTANTIATE_TEST_SUITE_P(Rows, ExportBaseName,
                         ::testing::Values(BaseNameRow{"C:\\x.y\\dump", nullptr, "C:\\x"},
                                           BaseNameRow{"/home/al/x.y/dump", nullptr, "/home/al/x"},
                                           BaseNameRow{"C:\\Dumps\\live.syx", nullptr, "C:\\Dumps\\live"},
                                           BaseNameRow{"/home/al/live.set.syx", nullptr, "/home/al/live.set"},
                                           BaseNameRow{"live.syx", nullptr, "live"},
                                           BaseNameRow{"/home/al/dump", nullptr, "dump"},
                                           BaseNameRow{nullptr, "Untitled1", "Untitled1"}));

// --- files ------------------------------------------------------------------------------------

// The exports write through the file operations of the caller, as saves do: here, memory.
struct FileRow {
    const char* name;
    ExportKind kind;
    const char* suffix;
    std::function<std::string(const SystemDoc&, const ExportOptions&)> text;
};

class ExportFile : public ::testing::TestWithParam<FileRow> {
protected:
    void SetUp() override {
        doc = kit::DocFrom(BankDump());
        doc->SetPrompter(&prompter);
    }
    std::string Write() { return doc->Export(GetParam().kind, options, files, &error); }
    std::string Stored(const std::string& path) {
        const auto& bytes = files.files[path];
        return std::string(bytes.begin(), bytes.end());
    }

    std::unique_ptr<SystemDoc> doc;
    ScriptedPrompter prompter;
    MemoryFileOps files;
    std::string error;
    const ExportOptions options = Options(true, true);
};

TEST_P(ExportFile, ReplacesTheFileBesideTheDocument) {
    doc->SetPathName("/dumps/live.set.syx");
    doc->SetModifiedFlag(true);
    const std::string expectedPath = std::string("/dumps/live.set") + GetParam().suffix;
    files.files[expectedPath] = std::vector<uint8_t>(100000, 'x'); // longer than any export here

    EXPECT_EQ(doc->ExportPath(GetParam().kind), expectedPath);
    EXPECT_EQ(Write(), expectedPath);

    EXPECT_EQ(Stored(expectedPath), GetParam().text(*doc, options));
    EXPECT_TRUE(prompter.Messages().empty());
    EXPECT_TRUE(doc->IsModified());
}

TEST_P(ExportFile, OfAnUnsavedDocumentGoesToTheCurrentDirectory) {
    doc->SetTitle("Untitled");
    const std::string written = Write();

    EXPECT_EQ(written, std::string("Untitled") + GetParam().suffix);
    EXPECT_EQ(Stored(written), GetParam().text(*doc, options));
    EXPECT_FALSE(doc->IsModified());
}

TEST_P(ExportFile, AFailureIsReportedWithItsReason) {
    struct Row {
        bool create;
        const char* text;
    };
    for (const Row& row : {Row{true, "Failed to create file."}, Row{false, "Failed to write file."}}) {
        files.failCreates = row.create;
        files.failWrites = !row.create;
        prompter.Clear();
        doc->SetPathName("/dumps/live.syx");
        EXPECT_EQ(Write(), "");
        EXPECT_EQ(error, "Access denied");
        ASSERT_EQ(prompter.Messages().size(), 1u);
        EXPECT_EQ(prompter.Messages()[0].kind, "stop");
        EXPECT_EQ(prompter.Messages()[0].text, row.text);
        EXPECT_TRUE(files.files.empty());
    }
}

INSTANTIATE_TEST_SUITE_P(
    Rows, ExportFile,
    ::testing::Values(
        FileRow{"PatchTable", ExportKind::PatchTable, "_Patches.txt",
                [](const SystemDoc& d, const ExportOptions& o) { return d.PatchTableText(o); }},
        FileRow{"BankTable", ExportKind::BankTable, "_Banks.txt",
                [](const SystemDoc& d, const ExportOptions& o) { return d.BankTableText(o, false); }},
        FileRow{"BankLayout", ExportKind::BankLayout, "_BankLayout.txt",
                [](const SystemDoc& d, const ExportOptions& o) { return d.BankTableText(o, true); }},
        FileRow{"Xml", ExportKind::Xml, ".xml",
                [](const SystemDoc& d, const ExportOptions& o) { return d.XmlText(o); }}),
    [](const ::testing::TestParamInfo<FileRow>& info) { return std::string(info.param.name); });

} // namespace
