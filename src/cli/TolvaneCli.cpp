#include "cli/TolvaneCli.h"

#include "cli/CliPrompter.h"
#include "dump/BankRecord.h"
#include "dump/DumpFileFlow.h"
#include "dump/Encoding.h"
#include "dump/HexRender.h"
#include "dump/PatchRecord.h"
#include "dump/SystemDoc.h"
#include "fileops/QtFileOps.h"
#include "miditext/MidiText.h"
#include "version/Version.h"

#include <QDir>
#include <QFileInfo>

#include <cstdio>
#include <cstring>
#include <map>
#include <ostream>
#include <set>
#include <sstream>

#include "cli/TolvaneCliArgs.h"

namespace {
const char* const kUsage =
    "usage: tolvane-cli COMMAND ...\n"
    "  new [--channel N] OUT                 write an empty dump (device channel 1-16)\n"
    "  check FILE                            print the first integrity error: N TEXT\n"
    "  info FILE                             summary of a dump\n"
    "  list patches|banks|sets FILE          one line per record\n"
    "  export patches|banks|layout|xml FILE [--tab] [--mixed-case] [--output-device N]\n"
    "                                        write an export beside FILE and print its path\n"
    "  repair FILE [-o OUT]                  fix a wrong transmit length\n"
    "  hex FILE [--no-ascii] [--no-offset]   the hex listing of a dump\n"
    "  sheet FILE [-o OUT.pdf] [--paper a4|letter]\n"
    "                                        write the bank sheets as a PDF and print its path\n"
    "  describe [--no-comments] TEXT         describe MIDI bytes given as hex text\n"
    "  diff A B [--brief]                    what differs between two dumps (status 1 if any)\n"
    "  ports                                 list MIDI input and output ports with their indices\n"
    "  receive --in N [--force] OUT          download a dump from input port N\n"
    "  send FILE --out N [--buffer-size B] [--delay MS] [--force]\n"
    "                                        upload a dump to output port N (--force: even one\n"
    "                                        that fails the integrity check)\n"
    "  test-send --out N TEXT                send MIDI bytes given as hex text to output port N\n"
    "  simulate [--dump FILE] [--baud N] [--api NAME] [--send-after MS] [--realtime-every BYTES]\n"
    "                                        run a simulated RIV 10 on virtual MIDI ports\n";

// Which options each sub-command takes, and whether they carry a value.
struct OptionSpec {
    const char* command;
    std::map<std::string, bool> options; // name -> takes a value
};

const OptionSpec kOptions[] = {
    {"new", {{"--channel", true}}},
    {"check", {}},
    {"info", {}},
    {"list", {}},
    {"export", {{"--tab", false}, {"--mixed-case", false}, {"--output-device", true}}},
    {"repair", {{"-o", true}}},
    {"hex", {{"--no-ascii", false}, {"--no-offset", false}}},
    {"sheet", {{"-o", true}, {"--paper", true}}},
    {"describe", {{"--no-comments", false}}},
    {"diff", {{"--brief", false}}},
    {"ports", {}},
    {"receive", {{"--in", true}, {"--force", false}}},
    {"send", {{"--out", true}, {"--buffer-size", true}, {"--delay", true}, {"--force", false}}},
    {"test-send", {{"--out", true}}},
    {"simulate",
     {{"--dump", true},
      {"--baud", true},
      {"--api", true},
      {"--send-after", true},
      {"--realtime-every", true}}},
};

} // namespace

// Whole decimal numbers only; no sign, no blanks.
bool CliParseInt(const std::string& text, int& value) {
    if (text.empty() || text.size() > 9)
        return false;
    int v = 0;
    for (char c : text) {
        if (c < '0' || c > '9')
            return false;
        v = v * 10 + (c - '0');
    }
    value = v;
    return true;
}

namespace {
// The path a document opened from `path` records: absolute and clean.
std::string DocumentPath(const std::string& path) {
    return QDir::cleanPath(QFileInfo(QString::fromStdString(path)).absoluteFilePath()).toStdString();
}

std::string Format(const char* format, int value) {
    char buffer[16];
    std::snprintf(buffer, sizeof buffer, format, value);
    return buffer;
}
} // namespace

int TolvaneCli::UsageError(const std::string& problem) {
    m_err << "tolvane-cli: " << problem << " (see tolvane-cli --help)\n";
    return 2;
}

int TolvaneCli::Failure(const std::string& problem) {
    m_err << "tolvane-cli: " << problem << '\n';
    return 2;
}

void TolvaneCli::PrintUsage() {
    m_out << kUsage;
}

const char* TolvaneCli::CommandList() {
    return kUsage + std::strlen("usage: tolvane-cli COMMAND ...\n");
}

int TolvaneCli::Run(const std::vector<std::string>& args) {
    if (args.empty())
        return UsageError("no command given");
    const std::string& command = args[0];
    if (command == "--help" || command == "-h" || command == "help") {
        PrintUsage();
        return 0;
    }
    if (command == "--version") {
        m_out << "tolvane-cli " << TOLVANE_VERSION_STRING << '\n';
        return 0;
    }
    const OptionSpec* known = nullptr;
    for (const OptionSpec& s : kOptions)
        if (command == s.command)
            known = &s;
    if (!known)
        return UsageError("unknown command '" + command + "'");

    Args a;
    bool optionsEnded = false;
    for (size_t i = 1; i < args.size(); ++i) {
        const std::string& word = args[i];
        if (!optionsEnded && word == "--") {
            optionsEnded = true;
            continue;
        }
        if (!optionsEnded && word.size() > 1 && word[0] == '-') {
            const auto option = known->options.find(word);
            if (option == known->options.end())
                return UsageError("unknown option '" + word + "' for " + command);
            if (option->second) {
                if (i + 1 >= args.size())
                    return UsageError("option '" + word + "' needs a value");
                a.values[word] = args[++i];
            } else {
                a.flags.insert(word);
            }
            continue;
        }
        a.words.push_back(word);
    }

    if (command == "new")
        return New(a);
    if (command == "check")
        return Check(a);
    if (command == "info")
        return Info(a);
    if (command == "list")
        return List(a);
    if (command == "export")
        return Export(a);
    if (command == "repair")
        return Repair(a);
    if (command == "hex")
        return Hex(a);
    if (command == "sheet")
        return Sheet(a);
    if (command == "describe")
        return Describe(a);
    if (command == "diff")
        return Diff(a);
    if (command == "ports")
        return Ports(a);
    if (command == "receive")
        return Receive(a);
    if (command == "send")
        return Send(a);
    if (command == "test-send")
        return TestSend(a);
    return Simulate(a);
}

bool TolvaneCli::Open(const std::string& path, SystemDoc& doc, int* checkCode) {
    QtFileOps files;
    SilentPrompter quiet;
    std::string error;
    if (OpenDumpFile(doc, DocumentPath(path), files, quiet, false, checkCode, &error) != OpenResult::Opened) {
        Failure("cannot read '" + path + "': " + error);
        return false;
    }
    return true;
}

int TolvaneCli::New(Args& a) {
    if (a.words.size() != 1)
        return UsageError("new takes one output file");
    int channel = 1;
    if (a.values.count("--channel") &&
        (!CliParseInt(a.values["--channel"], channel) || channel < 1 || channel > 16))
        return UsageError("--channel must be 1-16");
    SystemDoc doc(channel);
    QtFileOps files;
    std::string error;
    if (!files.WriteAtomically(a.words[0], doc.BuildImage(), error))
        return Failure("cannot write '" + a.words[0] + "': " + error);
    return 0;
}

int TolvaneCli::Check(Args& a) {
    if (a.words.size() != 1)
        return UsageError("check takes one file");
    SystemDoc doc;
    int code = 0;
    if (!Open(a.words[0], doc, &code))
        return 2;
    m_out << code << ' ' << DumpErrorText(code) << '\n';
    return code == DumpOk ? 0 : 1;
}

int TolvaneCli::Info(Args& a) {
    if (a.words.size() != 1)
        return UsageError("info takes one file");
    SystemDoc doc;
    int code = 0;
    if (!Open(a.words[0], doc, &code))
        return 2;
    int banks = 0;
    int patches = 0;
    for (int b = 1; b <= SystemDoc::kBanks; ++b)
        banks += doc.HasBank(b) ? 1 : 0;
    for (int p = 1; p <= SystemDoc::kPatches; ++p)
        patches += doc.HasPatch(p) ? 1 : 0;
    m_out << "File: " << doc.GetPathName() << '\n'
          << "Dump size: " << doc.DumpSize() << " bytes\n"
          << "Transmit length: " << doc.GetTransmitLength() << '\n'
          << "Device channel: " << doc.GetDeviceChannel() + 1 << '\n'
          << "Default channel: "
          << (doc.GetDefaultChannel() == 0 ? std::string("none") : std::to_string(doc.GetDefaultChannel()))
          << '\n'
          << "Banks: " << banks << " (count " << doc.GetBankCount() << ")\n"
          << "Patches: " << patches << " (count " << doc.GetPatchCount() << ")\n"
          << "Current patch: " << doc.GetCurrentPatch() << '\n'
          << "Current bank: " << doc.GetCurrentBank() << '\n'
          << "Current set: " << doc.GetCurrentSet() << '\n'
          << "Power-up patch: " << doc.GetPowerUpPatch() << '\n'
          << "Power-up timeout: " << doc.GetPowerUpTimeout() << '\n'
          << "First error: " << code << ' ' << DumpErrorText(code) << '\n';
    return 0;
}

int TolvaneCli::List(Args& a) {
    if (a.words.size() != 2)
        return UsageError("list takes patches, banks or sets and one file");
    const std::string& what = a.words[0];
    if (what != "patches" && what != "banks" && what != "sets")
        return UsageError("list takes patches, banks or sets, not '" + what + "'");
    SystemDoc doc;
    if (!Open(a.words[1], doc))
        return 2;
    if (what == "patches") {
        for (int p = 1; p <= SystemDoc::kPatches; ++p)
            if (doc.HasPatch(p))
                m_out << Format("%03d", p) << ' ' << PatchRecord(*doc.PeekPatch(p)).Name() << '\n';
    } else if (what == "banks") {
        for (int b = 1; b <= SystemDoc::kBanks; ++b) {
            if (!doc.HasBank(b))
                continue;
            const BankRecord bank(*doc.PeekBank(b));
            m_out << Format("%02d", b) << ' ' << bank.Name();
            for (int k = 0; k < bank.ActiveCount(); ++k) {
                const int entry = bank.ActiveEntry(k);
                if (entry < 0)
                    break;
                m_out << ' ' << Format("%03d", entry);
            }
            m_out << '\n';
        }
    } else {
        for (int s = 1; s <= SystemDoc::kSets; ++s) {
            m_out << "Set " << s << ':';
            const RecordSlot* set = doc.PeekSet(s);
            const int n = set && set->IsPresent() ? ReadWordQuadAt(set->Data(), set->Length(), 0, 0) : 0;
            for (int i = 0; i < n && 4 + 2 * i + 2 <= set->Length(); ++i)
                m_out << ' ' << Format("%02d", ReadBytePair(set->Data() + 4 + 2 * i));
            m_out << '\n';
        }
    }
    return 0;
}

int TolvaneCli::Export(Args& a) {
    if (a.words.size() != 2)
        return UsageError("export takes patches, banks, layout or xml and one file");
    const std::string& what = a.words[0];
    if (what != "patches" && what != "banks" && what != "layout" && what != "xml")
        return UsageError("export takes patches, banks, layout or xml, not '" + what + "'");
    ExportOptions options;
    options.tabDelimited = a.flags.count("--tab") != 0;
    options.mixedCase = a.flags.count("--mixed-case") != 0;
    if (a.values.count("--output-device") && !CliParseInt(a.values["--output-device"], options.outputDevice))
        return UsageError("--output-device must be a number");
    SystemDoc doc;
    if (!Open(a.words[1], doc))
        return 2;
    std::ostringstream messages;
    CliPrompter prompter(messages, false);
    doc.SetPrompter(&prompter);
    const ExportKind kind = what == "patches"  ? ExportKind::PatchTable
                            : what == "banks"  ? ExportKind::BankTable
                            : what == "layout" ? ExportKind::BankLayout
                                               : ExportKind::Xml;
    QtFileOps files;
    const std::string path = doc.Export(kind, options, files);
    doc.SetPrompter(nullptr);
    if (path.empty()) {
        std::string message = messages.str();
        if (!message.empty() && message.back() == '\n')
            message.pop_back();
        return Failure(message);
    }
    m_out << path << '\n';
    return 0;
}

int TolvaneCli::Repair(Args& a) {
    if (a.words.size() != 1)
        return UsageError("repair takes one file");
    const std::string out = a.values.count("-o") ? a.values["-o"] : a.words[0];
    SystemDoc doc;
    if (!Open(a.words[0], doc))
        return 2;
    CliPrompter prompter(m_out, false);
    doc.SetPrompter(&prompter);
    const bool repaired = doc.FixTransmitLength();
    doc.SetPrompter(nullptr);
    if (!repaired)
        return 1;
    QtFileOps files;
    std::string error;
    if (!files.WriteAtomically(out, doc.BuildImage(), error))
        return Failure("cannot write '" + out + "': " + error);
    return 0;
}

int TolvaneCli::Hex(Args& a) {
    if (a.words.size() != 1)
        return UsageError("hex takes one file");
    SystemDoc doc;
    if (!Open(a.words[0], doc))
        return 2;
    const std::vector<uint8_t> image = doc.BuildImage();
    const std::string text = RenderHexDump(image.data(), image.size(), a.flags.count("--no-ascii") == 0,
                                           a.flags.count("--no-offset") == 0);
    m_out.write(text.data(), static_cast<std::streamsize>(text.size()));
    return 0;
}

int TolvaneCli::Describe(Args& a) {
    if (a.words.size() != 1)
        return UsageError("describe takes one text argument");
    std::vector<uint8_t> bytes;
    if (ParseHexBytes(StripComments(a.words[0]), bytes) < 0)
        return Failure("malformed hex text: bytes are two hex digits each, separated by blanks");
    const std::string packed =
        FormatHexBytesPlain(bytes.data(), static_cast<int>(bytes.size()), false, false);
    const std::string text = DescribeMidiString(packed, a.flags.count("--no-comments") == 0);
    m_out.write(text.data(), static_cast<std::streamsize>(text.size()));
    return 0;
}
