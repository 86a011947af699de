// Opening and saving .syx files through the file and prompt seams, the modified flag around
// them, and the transmit-length repair with its messages.
#include "dump/DumpFileFlow.h"
#include "dump/SystemDoc.h"
#include "support/DumpBuilder.h"
#include "support/DumpTestDoc.h"
#include "support/MemoryFileOps.h"
#include "support/ScriptedPrompter.h"

#include <gtest/gtest.h>

#include <deque>
#include <memory>
#include <string>
#include <tuple>
#include <vector>

namespace {

using dumpfix::ModifiedLog;
using testdump::Bytes;
using testdump::Dump;
using Icon = Prompter::Icon;

// --- the texts the user sees ------------------------------------------------------------------

const char kFixQuestion[] =
    "This file may not be a valid RIV 10 dump.\n"
    "First error encountered: Data transmit length does not match actual data length.\n"
    "You might experience a crash trying to view it.\n\nAttempt to fix it?";

std::string AbortQuestion(const std::string& error) {
    return "This file does not appear to be a valid RIV 10 dump.\nFirst error encountered: " + error +
           ".\nYou may experience a crash trying to view it.\n\nAbort?";
}

std::string CancelSaveQuestion(const std::string& error) {
    return "The memory contents have become corrupted.\nFirst error encountered: " + error +
           ".\nRecommend canceling the save.\n\nCancel save?";
}

const char kFixed[] = "An attempt was made to fix the data and it appears successful.\n"
                      "However, there is no guarantee that the data is actually usable.\n"
                      "Look thru all patches, banks and sets to verify integrity before saving the changes.\n"
                      "An integrity check will be done again when you save the file.\n"
                      "You will be able to cancel the save if more errors are found.";
const char kMoreErrors[] = "An attempt was made to fix the data but more errors have been encountered.\n"
                           "This is unusual, contact Orlen.";
const char kNothingToFix[] = "Nothing to fix.  No changes made.";
const char kNotTransmitLength[] = "Can't fix data: not a transmit length error.  No changes made.";
const char kOddSize[] = "Can't fix data: odd data size.  No changes made.";

// One message as the user should see it: "ask" questions carry the application's caption.
struct Said {
    std::string kind;
    std::string text;
    Icon icon;
};

void ExpectMessages(const ScriptedPrompter& prompter, const std::vector<Said>& expected) {
    const auto& got = prompter.Messages();
    ASSERT_EQ(got.size(), expected.size()) << (got.empty() ? std::string("no message") : got.front().text);
    for (size_t i = 0; i < got.size(); ++i) {
        SCOPED_TRACE(i);
        EXPECT_EQ(got[i].kind, expected[i].kind);
        EXPECT_EQ(got[i].text, expected[i].text);
        EXPECT_EQ(got[i].icon, expected[i].icon);
        EXPECT_EQ(got[i].caption, "");
    }
}

// --- images -----------------------------------------------------------------------------------

Bytes Small() {
    return dumpfix::SmallDump().Build();
}

Bytes EmptyWithTransmitLength61() {
    Dump d;
    d.transmitLength = 61;
    return d.Build();
}

Bytes WrongManufacturer() {
    Bytes b = Small();
    b[3] = 0x11;
    return b;
}

// One patch whose string A needs more than a word quad of transmit length can say.
Bytes BeyondTheTransmitLength() {
    Dump d;
    testdump::Patch p;
    p.number = 1;
    p.a = Bytes(65535, 0x01);
    d.patches = {testdump::MakePatch(p)};
    return d.Build();
}

class FlowTest : public ::testing::Test {
protected:
    void SetUp() override { doc.AddListener(&log); }
    void TearDown() override { doc.RemoveListener(&log); }

    MemoryFileOps files;
    SystemDoc doc;
    ModifiedLog log;
};

// --- opening ----------------------------------------------------------------------------------

struct OpenRow {
    const char* label;
    Bytes (*image)();
    bool ask;
    std::deque<bool> answers;
    OpenResult result;
    std::vector<Said> messages;
    bool modified;   // after an open that succeeded
    int checkBefore; // the code the flow reports
    int checkAfter;  // the model's code once opened
};

class OpenTest : public FlowTest, public ::testing::WithParamInterface<OpenRow> {};

TEST_P(OpenTest, OpensAsAnswered) {
    const OpenRow& row = GetParam();
    files.files["dir/dump.syx"] = row.image();
    ScriptedPrompter prompter(row.answers);
    int code = -1;
    std::string error = "untouched";

    EXPECT_EQ(OpenDumpFile(doc, "dir/dump.syx", files, prompter, row.ask, &code, &error), row.result);
    ExpectMessages(prompter, row.messages);
    EXPECT_EQ(code, row.checkBefore);
    EXPECT_EQ(error, "untouched");
    if (row.result != OpenResult::Opened) {
        EXPECT_EQ(doc.GetPathName(), "");
        return;
    }
    EXPECT_EQ(doc.GetPathName(), "dir/dump.syx");
    EXPECT_EQ(doc.GetTitle(), "dump.syx");
    EXPECT_EQ(doc.IsModified(), row.modified);
    EXPECT_EQ(doc.CheckIntegrity(), row.checkAfter);
    ASSERT_FALSE(log.changes.empty());
    EXPECT_EQ(log.changes.back(), row.modified) << "the title follows the flag";
}

const Said kAskFix{"ask", kFixQuestion, Icon::Stop};
const Said kSayFixed{"info", kFixed, Icon::Information};
const Said kAskAbort{"ask", AbortQuestion("Incorrect manufacturer ID byte 2"), Icon::Stop};

INSTANTIATE_TEST_SUITE_P(
    Answers, OpenTest,
    ::testing::Values(OpenRow{"Valid", Small, true, {}, OpenResult::Opened, {}, false, DumpOk, DumpOk},
                      OpenRow{"FixYes",
                              EmptyWithTransmitLength61,
                              true,
                              {true},
                              OpenResult::Opened,
                              {kAskFix, kSayFixed},
                              true,
                              DumpBadTransmitLength,
                              DumpOk},
                      OpenRow{"FixNo",
                              EmptyWithTransmitLength61,
                              true,
                              {false},
                              OpenResult::Opened,
                              {kAskFix},
                              false,
                              DumpBadTransmitLength,
                              DumpBadTransmitLength},
                      OpenRow{"FixNotAsked",
                              EmptyWithTransmitLength61,
                              false,
                              {true},
                              OpenResult::Opened,
                              {},
                              false,
                              DumpBadTransmitLength,
                              DumpBadTransmitLength},
                      OpenRow{"AbortYes",
                              WrongManufacturer,
                              true,
                              {true},
                              OpenResult::Aborted,
                              {kAskAbort},
                              false,
                              DumpBadManufacturer2,
                              DumpBadManufacturer2},
                      OpenRow{"AbortNo",
                              WrongManufacturer,
                              true,
                              {false},
                              OpenResult::Opened,
                              {kAskAbort},
                              false,
                              DumpBadManufacturer2,
                              DumpBadManufacturer2},
                      OpenRow{"AbortNotAsked",
                              WrongManufacturer,
                              false,
                              {true},
                              OpenResult::Opened,
                              {},
                              false,
                              DumpBadManufacturer2,
                              DumpBadManufacturer2},
                      OpenRow{"MissingF7IsNamed",
                              [] {
                                  Bytes b = Small();
                                  b.back() = 0x00;
                                  return b;
                              },
                              true,
                              {false},
                              OpenResult::Opened,
                              {{"ask", AbortQuestion("Missing end of sysex transmission (F7)"), Icon::Stop}},
                              false,
                              DumpOk,
                              DumpOk},
                      OpenRow{"CutOffFileNamesWhatTheParseFound",
                              [] {
                                  Bytes b = testdump::LargestDump();
                                  b.resize(1000);
                                  return b;
                              },
                              true,
                              {true},
                              OpenResult::Aborted,
                              {{"ask", AbortQuestion("Could not properly parse all banks"), Icon::Stop}},
                              false,
                              DumpBadBankRef,
                              DumpBadBankRef},
                      OpenRow{"BadSetsAskAbort",
                              [] {
                                  Bytes b = Small();
                                  b[112] = 0x7F; // set 1 entry count runs past the end
                                  return b;
                              },
                              true,
                              {false},
                              OpenResult::Opened,
                              {{"ask", AbortQuestion("Could not properly parse all sets"), Icon::Stop}},
                              false,
                              DumpBadSets,
                              DumpBadSets}),
    [](const ::testing::TestParamInfo<OpenRow>& info) { return std::string(info.param.label); });

TEST_F(FlowTest, AbortedOpenWithoutQuestionLeavesDataAsParsed) {
    files.files["bad.syx"] = WrongManufacturer();
    ScriptedPrompter prompter({false});
    ASSERT_EQ(OpenDumpFile(doc, "bad.syx", files, prompter), OpenResult::Opened);
    EXPECT_EQ(doc.Header()[3], 0x11);
    EXPECT_EQ(doc.BuildImage(), WrongManufacturer());
}

TEST_F(FlowTest, RepairedOpenStaysModifiedUntilSaved) {
    files.files["fix.syx"] = EmptyWithTransmitLength61();
    ScriptedPrompter prompter({true});
    OpenDetails details;
    ASSERT_EQ(OpenDumpFile(doc, "fix.syx", files, prompter, true, details), OpenResult::Opened);
    ASSERT_TRUE(doc.IsModified());
    EXPECT_EQ(doc.GetTransmitLength(), 60);
    // The file as it stands on disk comes back with the document, for the step that undoes the repair.
    ASSERT_TRUE(details.repaired);
    ASSERT_NE(details.asStored, nullptr);
    SystemDoc asStored;
    asStored.RestoreState(*details.asStored);
    EXPECT_EQ(asStored.BuildImage(), EmptyWithTransmitLength61());
    for (bool change : log.changes)
        EXPECT_TRUE(change) << "the title never showed the repaired file as saved";
    EXPECT_EQ(files.files["fix.syx"], EmptyWithTransmitLength61()) << "nothing is written by the repair";

    ScriptedPrompter savePrompter;
    ASSERT_EQ(SaveDumpFile(doc, "fix.syx", files, savePrompter, false), SaveResult::Saved);
    ExpectMessages(savePrompter, {});
    EXPECT_FALSE(doc.IsModified());
    EXPECT_EQ(log.changes.back(), false);
    EXPECT_EQ(files.files["fix.syx"], Dump().Build());
}

TEST_F(FlowTest, EmptyFileOpensSilentlyAndItsSaveReportsCode1) {
    files.files["zero.syx"] = {};
    ScriptedPrompter prompter;
    int code = -1;
    ASSERT_EQ(OpenDumpFile(doc, "zero.syx", files, prompter, true, &code), OpenResult::Opened);
    ExpectMessages(prompter, {});
    EXPECT_EQ(doc.DumpSize(), 0);
    EXPECT_EQ(code, DumpTooShort);
    EXPECT_FALSE(doc.IsModified());
    EXPECT_EQ(doc.GetPathName(), "zero.syx");

    prompter.Answer(false);
    ASSERT_EQ(SaveDumpFile(doc, "zero.syx", files, prompter, false), SaveResult::Saved);
    ExpectMessages(prompter,
                   {{"ask", CancelSaveQuestion("Not enough data to even be an empty dump"), Icon::Stop}});
    EXPECT_TRUE(files.files["zero.syx"].empty());
}

TEST_F(FlowTest, ReadFailureLeavesTheDocumentAlone) {
    ScriptedPrompter prompter({true, true});
    int code = -1;
    std::string error;
    EXPECT_EQ(OpenDumpFile(doc, "missing.syx", files, prompter, true, &code, &error), OpenResult::ReadFailed);
    EXPECT_EQ(error, "No such file");
    ExpectMessages(prompter, {});
    EXPECT_EQ(code, -1);
    EXPECT_EQ(doc.GetPathName(), "");
    EXPECT_FALSE(doc.IsModified());
    EXPECT_TRUE(log.changes.empty());
    EXPECT_EQ(doc.BuildImage(), Dump().Build());
}

TEST_F(FlowTest, DocumentSpeaksThroughItsOwnPrompterAgainAfterTheOpen) {
    ScriptedPrompter own;
    doc.SetPrompter(&own);
    files.files["fix.syx"] = EmptyWithTransmitLength61();
    {
        ScriptedPrompter flow({true});
        ASSERT_EQ(OpenDumpFile(doc, "fix.syx", files, flow), OpenResult::Opened);
        EXPECT_EQ(flow.Messages().size(), 2u);
    }
    EXPECT_FALSE(doc.FixTransmitLength());
    ExpectMessages(own, {{"stop", kNothingToFix, Icon::Stop}});
    doc.SetPrompter(nullptr);
}

// --- the modified flag ------------------------------------------------------------------------

TEST_F(FlowTest, NewDocumentSavesAsTheEmptyDumpWithoutAPrompt) {
    files.files["old.syx"] = Small();
    ScriptedPrompter prompter;
    ASSERT_EQ(OpenDumpFile(doc, "old.syx", files, prompter), OpenResult::Opened);
    doc.SetNewDumpChannel(7);
    doc.SetModifiedFlag(true);

    ASSERT_TRUE(doc.OnNewDocument());
    EXPECT_FALSE(doc.IsModified());
    EXPECT_EQ(doc.GetPathName(), "");
    ASSERT_EQ(SaveDumpFile(doc, "new.syx", files, prompter, true), SaveResult::Saved);
    ExpectMessages(prompter, {});
    Dump empty;
    empty.deviceChannel = 6;
    EXPECT_EQ(files.files["new.syx"], empty.Build());
    EXPECT_TRUE(files.trashed.empty());
    EXPECT_EQ(doc.GetTitle(), "new.syx");
}

// --- saving -----------------------------------------------------------------------------------

TEST_F(FlowTest, SaveWritesTheImageAndClearsTheFlag) {
    ASSERT_EQ(doc.ParseDump(Small()), DumpOk);
    ASSERT_TRUE(doc.IsModified());
    ScriptedPrompter prompter;
    ASSERT_EQ(SaveDumpFile(doc, "out/small.syx", files, prompter, false), SaveResult::Saved);
    ExpectMessages(prompter, {});
    EXPECT_EQ(files.files["out/small.syx"], Small());
    EXPECT_FALSE(doc.IsModified());
    EXPECT_EQ(log.changes.back(), false);
    EXPECT_EQ(doc.GetPathName(), "out/small.syx");
    EXPECT_EQ(doc.GetTitle(), "small.syx");
}

class CorruptSave : public FlowTest {
protected:
    void SetUp() override {
        FlowTest::SetUp();
        doc.SetBankCount(1);
        doc.SetModifiedFlag(true);
        doc.SetPathName("kept.syx");
        files.files["kept.syx"] = Small();
        log.changes.clear();
    }
    const Said kAskCancel{"ask", CancelSaveQuestion("Did not find expected number of banks"), Icon::Stop};
};

TEST_F(CorruptSave, YesCancelsAndChangesNothing) {
    ScriptedPrompter prompter({true});
    EXPECT_EQ(SaveDumpFile(doc, "kept.syx", files, prompter, true), SaveResult::Cancelled);
    ExpectMessages(prompter, {kAskCancel});
    EXPECT_EQ(files.files["kept.syx"], Small());
    EXPECT_TRUE(files.trashed.empty());
    EXPECT_TRUE(doc.IsModified());
    EXPECT_TRUE(log.changes.empty());
}

TEST_F(CorruptSave, NoWritesTheDataUnchanged) {
    ScriptedPrompter prompter({false});
    EXPECT_EQ(SaveDumpFile(doc, "other.syx", files, prompter, false), SaveResult::Saved);
    ExpectMessages(prompter, {kAskCancel});
    Dump expected;
    expected.bankCount = 1;
    EXPECT_EQ(files.files["other.syx"], expected.Build());
    EXPECT_EQ(files.files["kept.syx"], Small());
    EXPECT_FALSE(doc.IsModified());
    EXPECT_EQ(doc.GetPathName(), "other.syx");
}

struct RecycleRow {
    const char* label;
    bool exists;
    bool readOnly;
    bool recycle;
    bool trashed;
    SaveResult result;
};

class RecycleTest : public FlowTest, public ::testing::WithParamInterface<RecycleRow> {};

TEST_P(RecycleTest, RecyclesOnlyAnExistingWritableTarget) {
    const RecycleRow& row = GetParam();
    const Bytes old = Small();
    if (row.exists)
        files.files["t.syx"] = old;
    if (row.readOnly)
        files.readOnly.insert("t.syx");
    doc.SetModifiedFlag(true);
    ScriptedPrompter prompter;
    std::string error;

    EXPECT_EQ(SaveDumpFile(doc, "t.syx", files, prompter, row.recycle, &error), row.result);
    ExpectMessages(prompter, {});
    EXPECT_EQ(files.trashed, row.trashed ? std::vector<std::string>{"t.syx"} : std::vector<std::string>{});
    if (row.result == SaveResult::Saved) {
        EXPECT_EQ(files.files["t.syx"], Dump().Build());
        EXPECT_FALSE(doc.IsModified());
    } else {
        EXPECT_EQ(error, "Access denied");
        EXPECT_EQ(files.files["t.syx"], old);
        EXPECT_TRUE(doc.IsModified());
        EXPECT_EQ(doc.GetPathName(), "");
    }
}

INSTANTIATE_TEST_SUITE_P(
    Targets, RecycleTest,
    ::testing::Values(RecycleRow{"ExistingFile", true, false, true, true, SaveResult::Saved},
                      RecycleRow{"SettingOff", true, false, false, false, SaveResult::Saved},
                      RecycleRow{"NewName", false, false, true, false, SaveResult::Saved},
                      RecycleRow{"ReadOnlyFile", true, true, true, false, SaveResult::Failed},
                      RecycleRow{"ReadOnlySettingOff", true, true, false, false, SaveResult::Failed}),
    [](const ::testing::TestParamInfo<RecycleRow>& info) { return std::string(info.param.label); });

class TrashRefuses : public MemoryFileOps {
public:
    bool MoveToTrash(const std::string&) override { return false; }
};

TEST(Save, FailureToRecycleDoesNotStopTheSave) {
    TrashRefuses files;
    files.files["t.syx"] = Small();
    SystemDoc doc;
    ScriptedPrompter prompter;
    EXPECT_EQ(SaveDumpFile(doc, "t.syx", files, prompter, true), SaveResult::Saved);
    EXPECT_EQ(files.files["t.syx"], Dump().Build());
}

TEST_F(FlowTest, FailedWriteKeepsTheOldFileAndTheFlag) {
    files.files["t.syx"] = Small();
    files.failWrites = true;
    doc.SetModifiedFlag(true);
    ScriptedPrompter prompter;
    std::string error;
    EXPECT_EQ(SaveDumpFile(doc, "t.syx", files, prompter, false, &error), SaveResult::Failed);
    EXPECT_EQ(error, "Access denied");
    EXPECT_EQ(files.files["t.syx"], Small());
    EXPECT_TRUE(doc.IsModified());
    EXPECT_EQ(doc.GetPathName(), "");
}

TEST_F(FlowTest, DumpLargerThanTheDeviceIsNeverWritten) {
    ASSERT_EQ(doc.ParseDump(testdump::LargestDump()), DumpOk);
    // The model itself does not refuse; the editors do. The save is the last line.
    RecordSlot patch = doc.GetPatch(1);
    const Bytes longer(static_cast<size_t>(patch.Length()) + 8, 0);
    RecordSlot grown(longer.data(), static_cast<int>(longer.size()));
    std::copy(patch.Data(), patch.Data() + patch.Length(), grown.Data());
    ASSERT_EQ(doc.ReplacePatch(1, grown), DumpOk);
    ASSERT_EQ(doc.DumpSize(), 65528);
    ScriptedPrompter prompter;
    std::string error;
    EXPECT_EQ(SaveDumpFile(doc, "big.syx", files, prompter, false, &error), SaveResult::Failed);
    EXPECT_EQ(error, "The dump is 65,528 bytes long.\nThe RIV 10 holds at most 65,520 bytes.");
    EXPECT_EQ(files.files.count("big.syx"), 0u);
    EXPECT_TRUE(prompter.Messages().empty());
}

// --- the repair -------------------------------------------------------------------------------

struct RepairRow {
    const char* label;
    void (*prepare)(SystemDoc&);
    bool changed;
    Said said;
};

class RepairTest : public ::testing::TestWithParam<std::tuple<RepairRow, bool>> {};

TEST_P(RepairTest, ReportsItsOutcome) {
    const RepairRow& row = std::get<0>(GetParam());
    const bool wasModified = std::get<1>(GetParam());
    SystemDoc doc;
    row.prepare(doc);
    doc.SetModifiedFlag(wasModified);
    ModifiedLog log;
    doc.AddListener(&log);
    ScriptedPrompter prompter;
    doc.SetPrompter(&prompter);
    const Bytes header(doc.Header(), doc.Header() + SystemDoc::kHeaderSize);
    const int32_t size = doc.DumpSize();

    EXPECT_EQ(doc.FixTransmitLength(), row.changed);
    ExpectMessages(prompter, {row.said});
    EXPECT_EQ(doc.DumpSize(), size) << "the records lead, the header follows";
    if (row.changed) {
        EXPECT_EQ(doc.GetTransmitLength(), ((size - 12) / 2) & 0xFFFF);
        EXPECT_TRUE(doc.IsModified()) << "a repair is a change, also outside an open";
    } else {
        EXPECT_EQ(Bytes(doc.Header(), doc.Header() + SystemDoc::kHeaderSize), header);
        EXPECT_EQ(doc.IsModified(), wasModified);
        EXPECT_TRUE(log.changes.empty());
    }
    doc.RemoveListener(&log);
    doc.SetPrompter(nullptr);
}

INSTANTIATE_TEST_SUITE_P(
    Models, RepairTest,
    ::testing::Combine(
        ::testing::Values(RepairRow{"Consistent",
                                    [](SystemDoc& d) { d.ParseDump(Small()); },
                                    false,
                                    {"stop", kNothingToFix, Icon::Stop}},
                          RepairRow{"BankCount",
                                    [](SystemDoc& d) { d.SetBankCount(1); },
                                    false,
                                    {"stop", kNotTransmitLength, Icon::Stop}},
                          RepairRow{"OddSize",
                                    [](SystemDoc& d) {
                                        // A patch record with one byte more than its fields call for.
                                        d.ParseDump(Small());
                                        testdump::Patch p;
                                        p.number = 3;
                                        Bytes record = testdump::MakePatch(p);
                                        record.push_back(0);
                                        d.ReplacePatch(
                                            3, RecordSlot(record.data(), static_cast<int>(record.size())));
                                    },
                                    false,
                                    {"stop", kOddSize, Icon::Stop}},
                          RepairRow{"Fixable",
                                    [](SystemDoc& d) { d.ParseDump(EmptyWithTransmitLength61()); },
                                    true,
                                    {"info", kFixed, Icon::Information}},
                          RepairRow{"BeyondTheField",
                                    [](SystemDoc& d) { d.ParseDump(BeyondTheTransmitLength()); },
                                    true,
                                    {"info", kMoreErrors, Icon::Information}}),
        ::testing::Bool()),
    [](const ::testing::TestParamInfo<std::tuple<RepairRow, bool>>& info) {
        return std::string(std::get<0>(info.param).label) +
               (std::get<1>(info.param) ? "_Modified" : "_Clean");
    });

TEST(Repair, PreconditionsOfTheRows) {
    // The rows above rely on these codes; a change in the check shows here first.
    SystemDoc doc;
    doc.SetBankCount(1);
    EXPECT_EQ(doc.CheckIntegrity(), DumpBankCount);
    ASSERT_EQ(doc.ParseDump(BeyondTheTransmitLength()), DumpOk);
    EXPECT_EQ(doc.CheckIntegrity(), DumpBadTransmitLength);
    EXPECT_GT(doc.DumpSize(), 2 * 0xFFFF + 12);
}

} // namespace
