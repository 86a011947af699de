// The readable exports: patch table, bank table, bank layout and the XML settings file.
#include "dump/BankRecord.h"
#include "dump/Encoding.h"
#include "dump/PatchRecord.h"
#include "dump/Prompter.h"
#include "dump/SystemDoc.h"

#include "dump/FileOps.h"
#include "miditext/MidiText.h"

#include <cctype>
#include <cstdio>
#include <string>

namespace {
// "%-15s": padded to 15, never cut.
std::string Padded(const std::string& text, size_t width = 15) {
    return text.size() >= width ? text : text + std::string(width - text.size(), ' ');
}

std::string Number(const char* format, int value) {
    char buffer[16];
    std::snprintf(buffer, sizeof buffer, format, value);
    return buffer;
}

std::string XmlEscaped(const std::string& text) {
    std::string out;
    out.reserve(text.size());
    for (char c : text) {
        switch (c) {
        case '&':
            out += "&amp;";
            break;
        case '<':
            out += "&lt;";
            break;
        case '>':
            out += "&gt;";
            break;
        case '"':
            out += "&quot;";
            break;
        default:
            out += c;
        }
    }
    return out;
}

// Builds one XML line: tabs for the depth, then the tag with its attributes.
class XmlLine {
public:
    XmlLine(int depth, const char* element) {
        m_text.assign(static_cast<size_t>(depth), '\t');
        m_text += '<';
        m_text += element;
    }
    XmlLine& Attr(const char* name, const std::string& value) {
        m_text += ' ';
        m_text += name;
        m_text += "=\"";
        m_text += value;
        m_text += '"';
        return *this;
    }
    XmlLine& Attr(const char* name, int value) { return Attr(name, std::to_string(value)); }
    std::string Empty() const { return m_text + " />\r\n"; }
    std::string Open() const { return m_text + ">\r\n"; }

private:
    std::string m_text;
};

std::string XmlClose(int depth, const char* element) {
    return std::string(static_cast<size_t>(depth), '\t') + "</" + element + ">\r\n";
}

std::string ExprLine(const char* element, int input, int assignment, const CCAssignment& cc) {
    return XmlLine(3, element)
        .Attr("inputNumber", input)
        .Attr("assignmentNumber", assignment)
        .Attr("channel", (cc.flags & 0x0F) + 1)
        .Attr("controller", cc.controller)
        .Attr("min", cc.minimum)
        .Attr("max", cc.maximum)
        .Attr("invert", (cc.flags >> 4) & 1)
        .Attr("enable", (cc.flags >> 6) & 1)
        .Empty();
}
} // namespace

void MixedCase(std::string& text) {
    bool wordStart = true;
    for (char& ch : text) {
        const unsigned char c = static_cast<unsigned char>(std::tolower(static_cast<unsigned char>(ch)));
        const bool letter = std::isalpha(c) != 0;
        if (wordStart) {
            ch = static_cast<char>(std::toupper(c));
            if (letter)
                wordStart = false;
        } else {
            ch = static_cast<char>(c);
            if (!letter)
                wordStart = true;
        }
    }
}

std::string SystemDoc::ExportBaseName() const {
    const std::string& path = GetPathName();
    const size_t dot = path.rfind('.');
    if (dot == std::string::npos)
        return GetTitle();
    return path.substr(0, dot);
}

std::string SystemDoc::PatchTableText(const ExportOptions& options) const {
    std::string text = options.tabDelimited ? "Patch Number\tPatch Name\r\n" : "Num Patch Name     \r\n";
    for (int p = 1; p <= kPatches; ++p) {
        const RecordSlot& slot = m_patches[static_cast<size_t>(p)];
        if (!slot.IsPresent())
            continue;
        const PatchRecord patch(slot);
        std::string name = patch.Name();
        if (options.mixedCase)
            MixedCase(name);
        const int number = patch.Number() < 0 ? p : patch.Number();
        text += Number("%03d", number);
        text += options.tabDelimited ? "\t" + name : " " + Padded(name);
        text += "\r\n";
    }
    return text;
}

std::string SystemDoc::BankTableText(const ExportOptions& options, bool layout) const {
    const bool tabs = options.tabDelimited && !layout;
    std::string text;
    if (layout)
        text = "No Bank Name       \r\n"
               "   Num1Patch Name A    Num2Patch Name B    Num3Patch Name C    Num4Patch Name D    Num5Patch "
               "Name E    \r\n"
               "   Num6Patch Name F    Num7Patch Name G    Num8Patch Name H    Num9Patch Name I    \r\n"
               "\r\n";
    else if (tabs)
        text = "Bank Number\tBank Name\tNum1\tPatch Name A\tNum2\tPatch Name B\tNum3\tPatch Name "
               "C\tNum4\tPatch Name "
               "D\tNum5\tPatch Name E\tNum6\tPatch Name F\tNum7\tPatch Name G\tNum8\tPatch Name "
               "H\tNum9\tPatch Name "
               "I\t\r\n";
    else
        text = "No Bank Name       Num1Patch Name A    Num2Patch Name B    Num3Patch Name C    Num4Patch "
               "Name D    "
               "Num5Patch Name E    Num6Patch Name F    Num7Patch Name G    Num8Patch Name H    Num9Patch "
               "Name I    "
               "\r\n";

    for (int b = 1; b <= kBanks; ++b) {
        const RecordSlot& slot = m_banks[static_cast<size_t>(b)];
        if (!slot.IsPresent())
            continue;
        const BankRecord bank(slot);
        std::string bankName = bank.Name();
        if (options.mixedCase)
            MixedCase(bankName);
        const std::string number = Number("%02d", bank.Number() < 0 ? b : bank.Number());
        if (layout)
            text += number + " " + Padded(bankName) + "\r\n   ";
        else if (tabs)
            text += number + "\t" + bankName;
        else
            text += number + " " + Padded(bankName);

        const int entries = bank.ActiveCount();
        for (int k = 0; k < entries; ++k) {
            const int t = bank.ActiveEntry(k);
            if (t < 0)
                break; // a malformed list ends where its record ends
            std::string name;
            if (t == 0) {
                name = "-";
            } else if (HasPatch(t)) {
                name = PatchRecord(m_patches[static_cast<size_t>(t)]).Name();
                if (options.mixedCase)
                    MixedCase(name);
            } else if (t > kPatches) {
                name = "*Bad Patch**";
            } else {
                name = "*deleted patch*";
            }
            if (layout) {
                text += Number("%03d", t) + " " + Padded(name) + " ";
                if (k == 4)
                    text += "\r\n   ";
            } else if (tabs) {
                text += "\t" + Number("%03d", t) + "\t" + name;
            } else {
                text += " " + Number("%03d", t) + " " + Padded(name);
            }
        }
        text += layout ? "\r\n\r\n" : "\r\n";
    }
    return text;
}

std::string SystemDoc::XmlText(const ExportOptions& options) const {
    std::string x = "<?xml version=\"1.0\" ?>\r\n";
    x += XmlLine(0, "MidiControlSettings").Open();
    x += XmlLine(1, "SystemConfig").Attr("filterPC", 0).Open();
    x += XmlLine(2, "powerup").Attr("timeout", 0).Attr("patch", 0).Empty();
    x += XmlLine(2, "switches").Open();
    x += XmlLine(3, "switch").Attr("name", "mode").Attr("id", 20).Empty();
    x += XmlLine(3, "switch").Attr("name", "decrement").Attr("id", 21).Empty();
    x += XmlLine(3, "switch").Attr("name", "increment").Attr("id", 22).Empty();
    x += XmlClose(2, "switches");
    x += XmlLine(2, "midiDevices").Open();
    x += XmlLine(3, "midiDevice")
             .Attr("port", 1)
             .Attr("outIdx", options.outputDevice)
             .Attr("activityIndicatorId", 23)
             .Empty();
    x += XmlClose(2, "midiDevices");
    x += XmlLine(2, "expression").Attr("port", 1).Open();
    x += XmlLine(3, "adc")
             .Attr("inputNumber", 1)
             .Attr("enable", 1)
             .Attr("minimumAdcVal", 10)
             .Attr("maximumAdcVal", 1015)
             .Empty();
    for (int input = 2; input <= 4; ++input)
        x += XmlLine(3, "adc")
                 .Attr("inputNumber", input)
                 .Attr("minimumAdcVal", 10)
                 .Attr("maximumAdcVal", 1015)
                 .Empty();
    x += ExprLine("globalExpr", 1, 1, GetGlobalCC(1));
    x += ExprLine("globalExpr", 2, 1, GetGlobalCC(2));
    x += XmlClose(2, "expression");
    x += XmlClose(1, "SystemConfig");

    x += XmlLine(1, "patches").Open();
    if (GetPatchCount() != 0) {
        for (int p = 1; p <= kPatches; ++p) {
            const RecordSlot& slot = m_patches[static_cast<size_t>(p)];
            if (!slot.IsPresent())
                continue;
            const PatchRecord patch(slot);
            const std::string name = patch.Name();
            if (name.empty())
                continue;
            const int mode = patch.Mode() < 0 ? 0 : patch.Mode();
            const std::string type = PedalTypeName(mode & PatchRecord::kPedalTypeMask);
            x += XmlLine(2, "patch")
                     .Attr("name", XmlEscaped(name))
                     .Attr("number", patch.Number() < 0 ? p : patch.Number())
                     .Attr("type", type == "enhanced" ? "normal" : type)
                     .Attr("port", 1)
                     .Open();
            if (!(mode & PatchRecord::kGlobalCC1Bit))
                x += XmlLine(3, "globalExpr").Attr("inputNumber", 1).Attr("enable", 0).Empty();
            if (!(mode & PatchRecord::kGlobalCC2Bit))
                x += XmlLine(3, "globalExpr").Attr("inputNumber", 2).Attr("enable", 0).Empty();
            for (int pedal = 1; pedal <= 2; ++pedal)
                for (int cc = 1; cc <= 2; ++cc) {
                    const CCAssignment local = patch.LocalCC(pedal, cc);
                    if (local.flags >= 0 && local.Enabled())
                        x += ExprLine("localExpr", pedal, cc, local);
                }
            for (int which = 0; which < 2; ++which) {
                int count = 0;
                const uint8_t* pairs = patch.StringPairs(which, &count);
                if (count < 1)
                    continue;
                std::string hex = FormatHexBytes(pairs, count, true, false);
                if (!hex.empty() && hex.back() == ' ')
                    hex.pop_back();
                x += "\t\t\t<midiByteString name=\"";
                x += which == 0 ? "A" : "B";
                x += "\">" + hex + "</midiByteString>\r\n";
            }
            x += XmlClose(2, "patch");
        }
    }
    x += XmlClose(1, "patches");

    x += XmlLine(1, "banks").Open();
    for (int b = 1; b <= kBanks; ++b) {
        const RecordSlot& slot = m_banks[static_cast<size_t>(b)];
        if (!slot.IsPresent())
            continue;
        const BankRecord bank(slot);
        x += XmlLine(2, "bank")
                 .Attr("name", XmlEscaped(bank.Name()))
                 .Attr("number", bank.Number() < 0 ? b : bank.Number())
                 .Open();
        const int entries = bank.ActiveCount();
        for (int k = 0; k < entries; ++k) {
            const int t = bank.ActiveEntry(k);
            if (t < 0)
                break;
            if (t != 0)
                x += XmlLine(3, "PatchMap")
                         .Attr("switch", k + 1)
                         .Attr("patch", t)
                         .Attr("loadState", "")
                         .Attr("unloadState", "")
                         .Empty();
        }
        x += XmlClose(2, "bank");
    }
    x += XmlClose(1, "banks");
    x += XmlClose(0, "MidiControlSettings");
    return x;
}

const char* SystemDoc::ExportSuffix(ExportKind kind) {
    switch (kind) {
    case ExportKind::PatchTable:
        return "_Patches.txt";
    case ExportKind::BankTable:
        return "_Banks.txt";
    case ExportKind::BankLayout:
        return "_BankLayout.txt";
    case ExportKind::Xml:
        return ".xml";
    }
    return "";
}

std::string SystemDoc::ExportText(ExportKind kind, const ExportOptions& options) const {
    switch (kind) {
    case ExportKind::PatchTable:
        return PatchTableText(options);
    case ExportKind::BankTable:
        return BankTableText(options, false);
    case ExportKind::BankLayout:
        return BankTableText(options, true);
    case ExportKind::Xml:
        return XmlText(options);
    }
    return {};
}

std::string SystemDoc::ExportPath(ExportKind kind) const {
    return ExportBaseName() + ExportSuffix(kind);
}

std::string SystemDoc::Export(ExportKind kind, const ExportOptions& options, FileOps& files,
                              std::string* error) const {
    const std::string path = ExportPath(kind);
    const std::string text = ExportText(kind, options);
    std::string reason;
    switch (files.Write(path, std::vector<uint8_t>(text.begin(), text.end()), reason)) {
    case FileOps::WriteResult::Written:
        return path;
    case FileOps::WriteResult::NotCreated:
        GetPrompter().Stop("Failed to create file.");
        break;
    case FileOps::WriteResult::NotWritten:
        // A full disk must not pass for a finished export.
        GetPrompter().Stop("Failed to write file.");
        break;
    }
    if (error)
        *error = reason;
    return {};
}
