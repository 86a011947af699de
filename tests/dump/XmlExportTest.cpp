// The XML settings export.
#include "dump/SystemDoc.h"
#include "support/DocTestKit.h"
#include "support/DumpBuilder.h"

#include <gtest/gtest.h>

#include <string>

namespace {

using kit::Bytes;
using testdump::Bank;
using testdump::CC;
using testdump::Dump;
using testdump::MakeBank;
using testdump::MakePatch;
using testdump::Patch;

const std::string kHead = "<?xml version=\"1.0\" ?>\r\n"
                          "<MidiControlSettings>\r\n"
                          "\t<SystemConfig filterPC=\"0\">\r\n"
                          "\t\t<powerup timeout=\"0\" patch=\"0\" />\r\n"
                          "\t\t<switches>\r\n"
                          "\t\t\t<switch name=\"mode\" id=\"20\" />\r\n"
                          "\t\t\t<switch name=\"decrement\" id=\"21\" />\r\n"
                          "\t\t\t<switch name=\"increment\" id=\"22\" />\r\n"
                          "\t\t</switches>\r\n"
                          "\t\t<midiDevices>\r\n";

const std::string kDevice0 = "\t\t\t<midiDevice port=\"1\" outIdx=\"0\" activityIndicatorId=\"23\" />\r\n";

const std::string kExpression =
    "\t\t</midiDevices>\r\n"
    "\t\t<expression port=\"1\">\r\n"
    "\t\t\t<adc inputNumber=\"1\" enable=\"1\" minimumAdcVal=\"10\" maximumAdcVal=\"1015\" />\r\n"
    "\t\t\t<adc inputNumber=\"2\" minimumAdcVal=\"10\" maximumAdcVal=\"1015\" />\r\n"
    "\t\t\t<adc inputNumber=\"3\" minimumAdcVal=\"10\" maximumAdcVal=\"1015\" />\r\n"
    "\t\t\t<adc inputNumber=\"4\" minimumAdcVal=\"10\" maximumAdcVal=\"1015\" />\r\n";

const std::string kDefaultGlobals =
    "\t\t\t<globalExpr inputNumber=\"1\" assignmentNumber=\"1\" channel=\"1\" "
    "controller=\"0\" min=\"0\" max=\"127\" invert=\"0\" enable=\"0\" />\r\n"
    "\t\t\t<globalExpr inputNumber=\"2\" assignmentNumber=\"1\" channel=\"1\" "
    "controller=\"0\" min=\"0\" max=\"127\" invert=\"0\" enable=\"0\" />\r\n";

const std::string kSystemEnd = "\t\t</expression>\r\n"
                               "\t</SystemConfig>\r\n";

TEST(XmlExport, OfANewEmptyDump) {
    const SystemDoc doc;
    EXPECT_EQ(
        doc.XmlText(ExportOptions{}),
        "<?xml version=\"1.0\" ?>\r\n"
        "<MidiControlSettings>\r\n"
        "\t<SystemConfig filterPC=\"0\">\r\n"
        "\t\t<powerup timeout=\"0\" patch=\"0\" />\r\n"
        "\t\t<switches>\r\n"
        "\t\t\t<switch name=\"mode\" id=\"20\" />\r\n"
        "\t\t\t<switch name=\"decrement\" id=\"21\" />\r\n"
        "\t\t\t<switch name=\"increment\" id=\"22\" />\r\n"
        "\t\t</switches>\r\n"
        "\t\t<midiDevices>\r\n"
        "\t\t\t<midiDevice port=\"1\" outIdx=\"0\" activityIndicatorId=\"23\" />\r\n"
        "\t\t</midiDevices>\r\n"
        "\t\t<expression port=\"1\">\r\n"
        "\t\t\t<adc inputNumber=\"1\" enable=\"1\" minimumAdcVal=\"10\" maximumAdcVal=\"1015\" />\r\n"
        "\t\t\t<adc inputNumber=\"2\" minimumAdcVal=\"10\" maximumAdcVal=\"1015\" />\r\n"
        "\t\t\t<adc inputNumber=\"3\" minimumAdcVal=\"10\" maximumAdcVal=\"1015\" />\r\n"
        "\t\t\t<adc inputNumber=\"4\" minimumAdcVal=\"10\" maximumAdcVal=\"1015\" />\r\n"
        "\t\t\t<globalExpr inputNumber=\"1\" assignmentNumber=\"1\" channel=\"1\" controller=\"0\" min=\"0\" "
        "max=\"127\" invert=\"0\" enable=\"0\" />\r\n"
        "\t\t\t<globalExpr inputNumber=\"2\" assignmentNumber=\"1\" channel=\"1\" controller=\"0\" min=\"0\" "
        "max=\"127\" invert=\"0\" enable=\"0\" />\r\n"
        "\t\t</expression>\r\n"
        "\t</SystemConfig>\r\n"
        "\t<patches>\r\n"
        "\t</patches>\r\n"
        "\t<banks>\r\n"
        "\t</banks>\r\n"
        "</MidiControlSettings>\r\n");
}

TEST(XmlExport, WritesTheSelectedOutputPort) {
    const SystemDoc doc;
    ExportOptions options;
    options.outputDevice = 3;
    EXPECT_EQ(doc.XmlText(options),
              kHead + "\t\t\t<midiDevice port=\"1\" outIdx=\"3\" activityIndicatorId=\"23\" />\r\n" +
                  kExpression + kDefaultGlobals + kSystemEnd +
                  "\t<patches>\r\n\t</patches>\r\n\t<banks>\r\n\t</banks>\r\n</MidiControlSettings>\r\n");
}

TEST(XmlExport, WritesBothGlobalAssignmentsFromTheConfiguration) {
    SystemDoc doc;
    CCAssignment first;
    first.flags = 0x5A; // channel 11, inverted, enabled
    first.controller = 7;
    first.minimum = 5;
    first.maximum = 100;
    CCAssignment second;
    second.flags = 0xAF; // channel 16, immediate and first-time bits only
    second.controller = 127;
    second.minimum = 0;
    second.maximum = 0;
    doc.SetGlobalCC(1, first);
    doc.SetGlobalCC(2, second);
    EXPECT_EQ(
        doc.XmlText(ExportOptions{}),
        kHead + kDevice0 + kExpression +
            "\t\t\t<globalExpr inputNumber=\"1\" assignmentNumber=\"1\" channel=\"11\" controller=\"7\" "
            "min=\"5\" max=\"100\" invert=\"1\" enable=\"1\" />\r\n"
            "\t\t\t<globalExpr inputNumber=\"2\" assignmentNumber=\"1\" channel=\"16\" controller=\"127\" "
            "min=\"0\" max=\"0\" invert=\"0\" enable=\"0\" />\r\n" +
            kSystemEnd +
            "\t<patches>\r\n\t</patches>\r\n\t<banks>\r\n\t</banks>\r\n</MidiControlSettings>\r\n");
}

Bytes PatchRecordOf(int number, const std::string& name, int mode) {
    Patch patch;
    patch.number = number;
    patch.name = name;
    patch.mode = mode;
    return MakePatch(patch);
}

// Patches of every pedal type and global bit combination, local assignments that are and are
// not exported, strings, names that need entities, a name that is empty and one that is bad.
Dump XmlDump() {
    Dump d;
    d.patches.push_back(PatchRecordOf(1, "R&B", 0x00));

    Patch second;
    second.number = 2;
    second.name = "<A>\"B\"";
    second.mode = 0xC0 | 0x08;                       // both globals, momentary
    second.ccs[0] = CC{0x40 | 0x10 | 3, 11, 0, 127}; // pedal 1 CC 1: channel 4, inverted
    second.ccs[1] = CC{0x0F, 12, 1, 2};              // pedal 1 CC 2, not enabled
    second.ccs[2] = CC{0x40, 13, 0, 127};            // pedal 1 CC 3: never exported
    second.ccs[3] = CC{0x3F, 14, 0, 127};            // pedal 2 CC 1, not enabled
    second.ccs[4] = CC{0x40, 1, 10, 90};             // pedal 2 CC 2
    second.ccs[5] = CC{0x40, 15, 0, 127};            // pedal 2 CC 3: never exported
    second.a = {0xC0, 0x05};
    second.b = {0xF0, 0x7E, 0x00, 0xF7};
    d.patches.push_back(MakePatch(second));

    Bytes unnamed = PatchRecordOf(3, "", 0x00);
    std::fill(unnamed.begin() + 4, unnamed.begin() + 34, 0);
    d.patches.push_back(unnamed);

    Patch fourth;
    fourth.number = 4;
    fourth.name = "TOGGLE";
    fourth.mode = 0x40 | 0x10; // pedal 1 global, toggle
    fourth.b = {0x01};
    d.patches.push_back(MakePatch(fourth));

    Patch fifth;
    fifth.number = 5;
    fifth.name = "ab";
    fifth.mode = 0xC0;
    fifth.ccs[2] = CC{0x40, 7, 0, 127}; // only the third CCs are enabled
    fifth.ccs[5] = CC{0x40, 7, 0, 127};
    d.patches.push_back(MakePatch(fifth));

    d.patches.push_back(PatchRecordOf(500, "LAST", 0x80 | 0x18)); // pedal 2 global, normal

    d.banks.push_back(MakeBank(Bank{1, "R&B BANK", {1, 0, 4, 0, 0, 0, 0, 0, 500}, 0, {2}}));
    d.banks.push_back(MakeBank(Bank{2, "EMPTY", {}, 0, {}}));
    d.banks.push_back(MakeBank(Bank{99, "SEQ", {1}, 1, {5, 0, 7}}));
    return d;
}

TEST(XmlExport, WritesPatchesAndBanks) {
    auto doc = kit::DocFrom(XmlDump());
    ExportOptions options;
    options.mixedCase = true; // names are written as decoded whatever the table option says
    EXPECT_EQ(doc->XmlText(options),
              kHead + kDevice0 + kExpression + kDefaultGlobals + kSystemEnd +
                  "\t<patches>\r\n"
                  "\t\t<patch name=\"R&amp;B\" number=\"1\" type=\"normal\" port=\"1\">\r\n"
                  "\t\t\t<globalExpr inputNumber=\"1\" enable=\"0\" />\r\n"
                  "\t\t\t<globalExpr inputNumber=\"2\" enable=\"0\" />\r\n"
                  "\t\t</patch>\r\n"
                  "\t\t<patch name=\"&lt;A&gt;&quot;B&quot;\" number=\"2\" type=\"momentary\" port=\"1\">\r\n"
                  "\t\t\t<localExpr inputNumber=\"1\" assignmentNumber=\"1\" channel=\"4\" controller=\"11\" "
                  "min=\"0\" "
                  "max=\"127\" invert=\"1\" enable=\"1\" />\r\n"
                  "\t\t\t<localExpr inputNumber=\"2\" assignmentNumber=\"2\" channel=\"1\" controller=\"1\" "
                  "min=\"10\" "
                  "max=\"90\" invert=\"0\" enable=\"1\" />\r\n"
                  "\t\t\t<midiByteString name=\"A\">c0 05</midiByteString>\r\n"
                  "\t\t\t<midiByteString name=\"B\">f0 7e 00 f7</midiByteString>\r\n"
                  "\t\t</patch>\r\n"
                  "\t\t<patch name=\"TOGGLE\" number=\"4\" type=\"toggle\" port=\"1\">\r\n"
                  "\t\t\t<globalExpr inputNumber=\"2\" enable=\"0\" />\r\n"
                  "\t\t\t<midiByteString name=\"B\">01</midiByteString>\r\n"
                  "\t\t</patch>\r\n"
                  "\t\t<patch name=\"** BAD DATA **\" number=\"5\" type=\"normal\" port=\"1\">\r\n"
                  "\t\t</patch>\r\n"
                  "\t\t<patch name=\"LAST\" number=\"500\" type=\"normal\" port=\"1\">\r\n"
                  "\t\t\t<globalExpr inputNumber=\"1\" enable=\"0\" />\r\n"
                  "\t\t</patch>\r\n"
                  "\t</patches>\r\n"
                  "\t<banks>\r\n"
                  "\t\t<bank name=\"R&amp;B BANK\" number=\"1\">\r\n"
                  "\t\t\t<PatchMap switch=\"1\" patch=\"1\" loadState=\"\" unloadState=\"\" />\r\n"
                  "\t\t\t<PatchMap switch=\"3\" patch=\"4\" loadState=\"\" unloadState=\"\" />\r\n"
                  "\t\t\t<PatchMap switch=\"9\" patch=\"500\" loadState=\"\" unloadState=\"\" />\r\n"
                  "\t\t</bank>\r\n"
                  "\t\t<bank name=\"EMPTY\" number=\"2\">\r\n"
                  "\t\t</bank>\r\n"
                  "\t\t<bank name=\"SEQ\" number=\"99\">\r\n"
                  "\t\t\t<PatchMap switch=\"1\" patch=\"5\" loadState=\"\" unloadState=\"\" />\r\n"
                  "\t\t\t<PatchMap switch=\"3\" patch=\"7\" loadState=\"\" unloadState=\"\" />\r\n"
                  "\t\t</bank>\r\n"
                  "\t</banks>\r\n"
                  "</MidiControlSettings>\r\n");
}

} // namespace
