// Runs the tolvane-cli binary the way a script would and checks its output, files and status.
#include "dump/BankRecord.h"
#include "dump/EntryNames.h"
#include "dump/HexRender.h"
#include "dump/PatchRecord.h"
#include "dump/SystemDoc.h"
#include "support/DumpBuilder.h"

#include <gtest/gtest.h>

#include <sys/wait.h>

#include <cctype>
#include <cstdio>
#include <cstdlib>
#include <filesystem>
#include <fstream>
#include <iterator>
#include <random>
#include <string>
#include <vector>

namespace fs = std::filesystem;
using testdump::Bytes;

namespace {

struct Result {
    int status = -1; // exit status; -1 when the process did not exit normally
    std::string out;
    std::string err;
};

std::string ReadText(const fs::path& path) {
    std::ifstream in(path, std::ios::binary);
    return {std::istreambuf_iterator<char>(in), std::istreambuf_iterator<char>()};
}

Bytes ReadBytes(const fs::path& path) {
    const std::string text = ReadText(path);
    return {text.begin(), text.end()};
}

void WriteBytes(const fs::path& path, const Bytes& bytes) {
    std::ofstream out(path, std::ios::binary);
    out.write(reinterpret_cast<const char*>(bytes.data()), static_cast<std::streamsize>(bytes.size()));
}

std::string Quote(const std::string& word) {
    std::string quoted = "'";
    for (char c : word) {
        if (c == '\'')
            quoted += "'\\''";
        else
            quoted += c;
    }
    return quoted + "'";
}

class CliTest : public ::testing::Test {
protected:
    void SetUp() override {
        m_dir = fs::temp_directory_path() / ("tolvane-cli-test-" + std::to_string(::getpid()) + "-" +
                                             ::testing::UnitTest::GetInstance()->current_test_info()->name());
        fs::remove_all(m_dir);
        fs::create_directories(m_dir);
    }
    void TearDown() override { fs::remove_all(m_dir); }

    Result Run(const std::vector<std::string>& args) {
        std::string command = Quote(TOLVANE_CLI);
        for (const std::string& arg : args)
            command += " " + Quote(arg);
        const fs::path out = m_dir / "stdout";
        const fs::path err = m_dir / "stderr";
        command += " >" + Quote(out.string()) + " 2>" + Quote(err.string()) + " </dev/null";
        const int raw = std::system(command.c_str());
        Result r;
        if (raw != -1 && WIFEXITED(raw))
            r.status = WEXITSTATUS(raw);
        r.out = ReadText(out);
        r.err = ReadText(err);
        return r;
    }

    // A usage or input error: status 2, one line on stderr, nothing on stdout.
    void ExpectOneLineError(const Result& r) {
        EXPECT_EQ(r.status, 2);
        EXPECT_TRUE(r.out.empty()) << r.out;
        ASSERT_FALSE(r.err.empty());
        EXPECT_EQ(r.err.find('\n'), r.err.size() - 1) << r.err;
    }

    fs::path Write(const std::string& name, const Bytes& bytes) {
        const fs::path path = m_dir / name;
        WriteBytes(path, bytes);
        return path;
    }

    static Bytes SampleDump() {
        testdump::Dump d;
        testdump::Patch lead;
        lead.number = 12;
        lead.name = "LEAD";
        lead.mode = 0x41;
        lead.a = {0xC0, 0x05};
        testdump::Patch rnb;
        rnb.number = 500;
        rnb.name = "R&B";
        testdump::Bank clean;
        clean.number = 3;
        clean.name = "CLEAN";
        clean.slotPatches = {12, 0, 500, 0, 0, 0, 0, 0, 0};
        testdump::Bank seq;
        seq.number = 99;
        seq.name = "SEQ";
        seq.seqMode = 1;
        seq.steps = {500, 0, 12};
        d.banks = {testdump::MakeBank(seq), testdump::MakeBank(clean)};
        d.patches = {testdump::MakePatch(rnb), testdump::MakePatch(lead)};
        d.sets[0] = {3, 99};
        d.sets[4] = {0, 3};
        return d.Build();
    }

    // What the editor writes for an image: records sorted by number.
    static Bytes Written(const Bytes& image) { return SystemDoc(image.data(), image.size()).BuildImage(); }

    static Bytes WithTransmitLength(Bytes image, int length) {
        Bytes quad;
        testdump::PutQuad(quad, length);
        std::copy(quad.begin(), quad.end(), image.begin() + 7);
        return image;
    }

    fs::path m_dir;
};

TEST_F(CliTest, NewWritesTheEmptyDumpWithTheDeviceChannel) {
    const fs::path out = m_dir / "new.syx";
    Result r = Run({"new", "--channel", "16", out.string()});
    ASSERT_EQ(r.status, 0) << r.err;
    const Bytes image = ReadBytes(out);
    SystemDoc expected(16);
    EXPECT_EQ(image, expected.BuildImage());
    ASSERT_EQ(image.size(), 132u);
    EXPECT_EQ(image[4], 15);

    r = Run({"new", out.string()});
    ASSERT_EQ(r.status, 0);
    EXPECT_EQ(ReadBytes(out)[4], 0);
}

TEST_F(CliTest, CheckPrintsCodeAndText) {
    const Bytes good = SampleDump();
    Result r = Run({"check", Write("good.syx", good).string()});
    EXPECT_EQ(r.status, 0);
    EXPECT_EQ(r.out, "0 No error\n");

    r = Run({"check", Write("tl.syx", WithTransmitLength(good, 61)).string()});
    EXPECT_EQ(r.status, 1);
    EXPECT_EQ(r.out, "9 Data transmit length does not match actual data length\n");

    r = Run({"check", Write("empty.syx", {}).string()});
    EXPECT_EQ(r.status, 1);
    EXPECT_EQ(r.out, "1 Not enough data to even be an empty dump\n");

    Bytes wrongDevice = good;
    wrongDevice[5] = 0x0F;
    r = Run({"check", Write("dev.syx", wrongDevice).string()});
    EXPECT_EQ(r.status, 1);
    EXPECT_EQ(r.out, "6 Incorrect device ID\n");
}

TEST_F(CliTest, UnreadableInputIsOneLineAndStatusTwo) {
    ExpectOneLineError(Run({"check", (m_dir / "missing.syx").string()}));
    ExpectOneLineError(Run({"info", m_dir.string()}));
    ExpectOneLineError(Run({"hex", (m_dir / "missing.syx").string()}));
    ExpectOneLineError(Run({"new", (m_dir / "no-such-dir" / "x.syx").string()}));
    ExpectOneLineError(Run({"sheet", (m_dir / "missing.syx").string()}));
}

TEST_F(CliTest, DiffComparesByContent) {
    const Bytes sample = SampleDump();
    const std::string first = Write("a.syx", sample).string();
    // The same records in another order in the file.
    const std::string reordered = Write("b.syx", Written(sample)).string();
    ASSERT_NE(Written(sample), sample);
    Result r = Run({"diff", first, reordered});
    EXPECT_EQ(r.status, 0) << r.err;
    EXPECT_EQ(r.out, "");

    SystemDoc changed(sample.data(), sample.size());
    RecordSlot lead = changed.GetPatch(12);
    lead.Data()[PatchRecord::kName + 1] = 'B';
    changed.ReplacePatch(12, lead);
    changed.InsertPatch(40, false);
    const std::string second = Write("c.syx", changed.BuildImage()).string();
    r = Run({"diff", first, second});
    EXPECT_EQ(r.status, 1) << r.err;
    EXPECT_EQ(r.out, "header: transmit length 238 -> 284\n"
                     "configuration: total patches 2 -> 3\n"
                     "patch 012: name \"LEAD\" -> \"BEAD\"\n"
                     "patch 040: only in the second\n");
    r = Run({"diff", "--brief", second, first});
    EXPECT_EQ(r.status, 1);
    EXPECT_EQ(r.out, "header\nconfiguration\npatch 012\npatch 040\n");

    ExpectOneLineError(Run({"diff", first}));
    ExpectOneLineError(Run({"diff", first, (m_dir / "missing.syx").string()}));
    ExpectOneLineError(Run({"diff", "--tab", first, second}));
}

TEST_F(CliTest, UsageErrorsAreOneLineAndStatusTwo) {
    const std::string file = Write("d.syx", SampleDump()).string();
    ExpectOneLineError(Run({}));
    ExpectOneLineError(Run({"frobnicate"}));
    ExpectOneLineError(Run({"check"}));
    ExpectOneLineError(Run({"check", file, file}));
    ExpectOneLineError(Run({"check", "--tab", file}));
    ExpectOneLineError(Run({"new", "--channel", "17", file}));
    ExpectOneLineError(Run({"new", "--channel", "0", file}));
    ExpectOneLineError(Run({"new", "--channel", "x", file}));
    ExpectOneLineError(Run({"new", "--channel"}));
    ExpectOneLineError(Run({"list", "presets", file}));
    ExpectOneLineError(Run({"export", "csv", file}));
    ExpectOneLineError(Run({"export", "xml", file, "--output-device", "-1"}));
    ExpectOneLineError(Run({"describe", "f0 7"}));
    ExpectOneLineError(Run({"describe", "g0"}));
    ExpectOneLineError(Run({"sheet", file, "--paper", "a3"}));
    ExpectOneLineError(Run({"sheet", file, file}));
    ExpectOneLineError(Run({"sheet", file, "-o", (m_dir / "no-such-dir" / "x.pdf").string()}));
    EXPECT_EQ(Run({"--help"}).status, 0);
}

TEST_F(CliTest, InfoSummarisesTheDump) {
    const Result r = Run({"info", Write("d.syx", SampleDump()).string()});
    ASSERT_EQ(r.status, 0) << r.err;
    for (const char* line :
         {"Dump size: ", "Device channel: 1\n", "Banks: 2 (count 2)\n", "Patches: 2 (count 2)\n",
          "Current patch: 0\n", "Power-up patch: 0\n", "First error: 0 No error\n"})
        EXPECT_NE(r.out.find(line), std::string::npos) << line;
    EXPECT_NE(r.out.find("Dump size: " + std::to_string(SampleDump().size()) + " bytes\n"),
              std::string::npos);
}

TEST_F(CliTest, ListPrintsOneLinePerRecord) {
    const std::string file = Write("d.syx", SampleDump()).string();
    Result r = Run({"list", "patches", file});
    EXPECT_EQ(r.status, 0);
    EXPECT_EQ(r.out, "012 LEAD\n500 R&B\n");
    r = Run({"list", "banks", file});
    EXPECT_EQ(r.out, "03 CLEAN 012 000 500 000 000 000 000 000 000\n99 SEQ 500 000 012\n");
    r = Run({"list", "sets", file});
    EXPECT_EQ(r.out, "Set 1: 03 99\nSet 2:\nSet 3:\nSet 4:\nSet 5: 00 03\n");
}

TEST_F(CliTest, ExportsWriteBesideTheFileByteForByte) {
    const Bytes image = SampleDump();
    const fs::path file = Write("rig.v2.syx", image);
    SystemDoc doc(image.data(), image.size());

    struct Case {
        std::vector<std::string> args;
        std::string suffix;
        std::string expected;
    };
    ExportOptions tabMixed;
    tabMixed.tabDelimited = true;
    tabMixed.mixedCase = true;
    ExportOptions device;
    device.outputDevice = 3;
    const Case cases[] = {
        {{"patches"}, "_Patches.txt", doc.PatchTableText(ExportOptions())},
        {{"patches", "--tab", "--mixed-case"}, "_Patches.txt", doc.PatchTableText(tabMixed)},
        {{"banks"}, "_Banks.txt", doc.BankTableText(ExportOptions(), false)},
        {{"layout", "--tab"}, "_BankLayout.txt", doc.BankTableText(ExportOptions(), true)},
        {{"xml", "--output-device", "3"}, ".xml", doc.XmlText(device)},
    };
    for (const Case& c : cases) {
        std::vector<std::string> args = {"export", c.args[0], file.string()};
        args.insert(args.end(), c.args.begin() + 1, c.args.end());
        const Result r = Run(args);
        ASSERT_EQ(r.status, 0) << r.err;
        const fs::path written = m_dir / ("rig.v2" + c.suffix);
        EXPECT_EQ(r.out, written.string() + "\n");
        EXPECT_EQ(ReadText(written), c.expected) << c.args[0];
    }
    ExportOptions tabs;
    tabs.tabDelimited = true;
    ASSERT_EQ(Run({"export", "banks", file.string(), "--tab"}).status, 0);
    EXPECT_EQ(ReadText(m_dir / "rig.v2_Banks.txt"), doc.BankTableText(tabs, false));
}

TEST_F(CliTest, ExportIntoAnUnwritablePlaceFails) {
    const fs::path file = Write("d.syx", SampleDump());
    fs::create_directory(m_dir / "d.xml"); // the export's own name is taken by a directory
    const Result r = Run({"export", "xml", file.string()});
    ExpectOneLineError(r);
    EXPECT_NE(r.err.find("Failed to create file."), std::string::npos);
}

TEST_F(CliTest, RepairFixesOnlyTheTransmitLength) {
    const Bytes good = Written(SampleDump());
    const fs::path broken = Write("broken.syx", WithTransmitLength(good, 61));
    const fs::path fixed = m_dir / "fixed.syx";

    Result r = Run({"repair", broken.string(), "-o", fixed.string()});
    EXPECT_EQ(r.status, 0) << r.err;
    EXPECT_EQ(r.out.rfind("An attempt was made to fix the data and it appears successful.\n", 0), 0u)
        << r.out;
    EXPECT_EQ(ReadBytes(fixed), good);
    EXPECT_EQ(ReadBytes(broken), WithTransmitLength(good, 61)); // -o leaves the input alone

    r = Run({"repair", broken.string()});
    EXPECT_EQ(r.status, 0);
    EXPECT_EQ(ReadBytes(broken), good);

    r = Run({"repair", broken.string()});
    EXPECT_EQ(r.status, 1);
    EXPECT_EQ(r.out, "Nothing to fix.  No changes made.\n");

    Bytes wrongCount = good;
    wrongCount[11 + 83] = 5; // bank count 5 with two banks
    const fs::path counted = Write("count.syx", wrongCount);
    r = Run({"repair", counted.string()});
    EXPECT_EQ(r.status, 1);
    EXPECT_EQ(r.out, "Can't fix data: not a transmit length error.  No changes made.\n");
    EXPECT_EQ(ReadBytes(counted), wrongCount);
}

TEST_F(CliTest, HexMatchesTheRenderingOfTheImage) {
    const std::string file = Write("d.syx", SampleDump()).string();
    const Bytes image = Written(SampleDump());
    ASSERT_NE(image, SampleDump()); // banks and patches arrive out of order
    struct Case {
        std::vector<std::string> flags;
        bool ascii;
        bool offset;
    };
    for (const Case& c :
         {Case{{}, true, true}, Case{{"--no-ascii"}, false, true}, Case{{"--no-offset"}, true, false},
          Case{{"--no-ascii", "--no-offset"}, false, false}}) {
        std::vector<std::string> args = {"hex", file};
        args.insert(args.end(), c.flags.begin(), c.flags.end());
        const Result r = Run(args);
        EXPECT_EQ(r.status, 0);
        EXPECT_EQ(r.out, RenderHexDump(image.data(), image.size(), c.ascii, c.offset));
    }
    const Result empty = Run({"hex", Write("e.syx", {}).string()});
    EXPECT_EQ(empty.status, 0);
    EXPECT_EQ(empty.out, "");
}

// `phrase` stands in `text` as whole words: "PATCH 1" is not found in "PATCH 12".
bool HasWords(const std::string& text, const std::string& phrase) {
    for (size_t at = text.find(phrase); at != std::string::npos; at = text.find(phrase, at + 1)) {
        const size_t end = at + phrase.size();
        if ((at == 0 || std::isspace(static_cast<unsigned char>(text[at - 1]))) &&
            (end == text.size() || std::isspace(static_cast<unsigned char>(text[end]))))
            return true;
    }
    return false;
}

TEST_F(CliTest, SheetWritesBankSheetsWhoseTextReadsBack) {
    ASSERT_EQ(std::system("pdftotext -v >/dev/null 2>&1"), 0) << "pdftotext (poppler-utils) is missing";
    const Bytes image = testdump::LargestDump();
    const fs::path file = Write("rig.syx", image);
    const SystemDoc doc(image.data(), image.size());

    struct Case {
        std::vector<std::string> options;
        fs::path pdf;
        std::string paper; // as pdfinfo names it
    };
    const Case cases[] = {
        {{}, m_dir / "rig.pdf", "(A4)"},
        {{"--paper", "letter", "-o", (m_dir / "gig.pdf").string()}, m_dir / "gig.pdf", "(letter)"},
    };
    for (const Case& c : cases) {
        std::vector<std::string> args = {"sheet", file.string()};
        args.insert(args.end(), c.options.begin(), c.options.end());
        const Result r = Run(args);
        ASSERT_EQ(r.status, 0) << r.err;
        EXPECT_EQ(r.out, c.pdf.string() + "\n");
        EXPECT_EQ(r.err, "");
        const fs::path text = m_dir / "sheet.txt";
        ASSERT_EQ(std::system(("pdftotext " + Quote(c.pdf.string()) + " " + Quote(text.string())).c_str()),
                  0);
        const std::string sheet = ReadText(text);
        for (int b = 1; b <= SystemDoc::kBanks; ++b) {
            const BankRecord bank(*doc.PeekBank(b));
            EXPECT_TRUE(HasWords(sheet, bank.Name())) << "bank " << b;
            for (const PedalEntry& pedal : BankPedals(doc, *doc.PeekBank(b)))
                EXPECT_TRUE(pedal.kind != EntryKind::Present || HasWords(sheet, pedal.name))
                    << "bank " << b << " " << pedal.label;
        }
        EXPECT_TRUE(HasWords(sheet, "page 1 of")) << sheet.substr(0, 400);
        const fs::path info = m_dir / "info.txt";
        ASSERT_EQ(std::system(("pdfinfo " + Quote(c.pdf.string()) + " >" + Quote(info.string())).c_str()), 0);
        EXPECT_NE(ReadText(info).find(c.paper), std::string::npos) << ReadText(info);
    }
}

TEST_F(CliTest, DescribeLaysOutMessages) {
    Result r = Run({"describe", "90 3c 40 01 02 b0 07 64 c1 05"});
    EXPECT_EQ(r.status, 0);
    EXPECT_EQ(r.out, "90 3c 40 |note on: ch 1 note 60 velocity 64\r\n"
                     "01 02 |?\r\n"
                     "b0 07 64 |cntrl chg: ch 1 controller 7 (Channel Volume) value 100\r\n"
                     "c1 05 |prog chg: ch 2 patch 5\r\n");
    r = Run({"describe", "--no-comments", "F07E0009F7 |sysex\r\nC1 05"});
    EXPECT_EQ(r.out, "f0 7e 00 09 f7\r\nc1 05\r\n");
    r = Run({"describe", ""});
    EXPECT_EQ(r.status, 0);
    EXPECT_EQ(r.out, "");
}

TEST_F(CliTest, GarbageNeverCrashesAnyCommand) {
    std::mt19937 random(20261208);
    const Bytes good = SampleDump();
    for (int round = 0; round < 12; ++round) {
        Bytes bytes = good;
        if (round % 3 == 0) {
            bytes.resize(random() % (good.size() + 1));
        } else {
            for (int flips = 0; flips < 1 + round; ++flips)
                bytes[random() % bytes.size()] = static_cast<uint8_t>(random());
        }
        const std::string file = Write("g" + std::to_string(round) + ".syx", bytes).string();
        for (const std::vector<std::string>& args : {std::vector<std::string>{"check", file},
                                                     {"info", file},
                                                     {"list", "banks", file},
                                                     {"list", "sets", file},
                                                     {"list", "patches", file},
                                                     {"hex", file},
                                                     {"export", "layout", file},
                                                     {"export", "xml", file},
                                                     {"sheet", file, "-o", file + ".pdf"},
                                                     {"repair", file, "-o", file + ".out"}}) {
            const Result r = Run(args);
            EXPECT_TRUE(r.status == 0 || r.status == 1) << args[0] << " round " << round << ": " << r.err;
        }
    }
}

} // namespace
