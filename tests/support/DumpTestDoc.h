#pragma once

// Shared fixtures for the dump model tests: a document whose dump size can be forced, a listener
// that logs modified-flag changes, and a small dump that has a little of everything.

#include "dump/DocListener.h"
#include "dump/SystemDoc.h"
#include "support/DumpBuilder.h"

#include <cstdint>
#include <vector>

namespace dumpfix {

using testdump::Bank;
using testdump::CC;
using testdump::Dump;
using testdump::MakeBank;
using testdump::MakePatch;
using testdump::Patch;

// A document that lets a test put the dump size out of line with the records, as a bookkeeping
// error in an edit would.
class ProbeDoc : public SystemDoc {
public:
    using SystemDoc::SystemDoc;
    void ForceDumpSize(int32_t size) { m_dumpSize = size; }
};

// Logs the modified flag each time a document reports a change of it.
class ModifiedLog : public DocListener {
public:
    std::vector<bool> changes;
    void OnModifiedChanged(ZIVBackupDoc& doc) override { changes.push_back(doc.IsModified()); }
};

// Two sets with entries, two banks (one in sequence mode), three patches (patch 3 unreferenced),
// non-default configuration values and device channel 3.
inline Dump SmallDump() {
    Dump d;
    d.deviceChannel = 2;
    d.config[5] = 1;     // current patch 1
    d.config[7] = 2;     // current bank 2
    d.config[9] = 1;     // current set 1
    d.config[31] = 0x7F; // power-up timeout 127
    d.sets[0] = {1, 2};
    d.sets[1] = {0, 2};

    Bank one;
    one.number = 1;
    one.name = "ONE";
    one.slotPatches = {1, 2, 0, 0, 0, 0, 0, 0, 0};
    Bank two;
    two.number = 2;
    two.name = "TWO";
    two.slotPatches = {2, 0, 0, 0, 0, 0, 0, 0, 0};
    two.seqMode = 1;
    two.steps = {2, 0, 1};
    d.banks = {MakeBank(one), MakeBank(two)};

    Patch p1;
    p1.number = 1;
    p1.name = "CLEAN";
    p1.mode = 0x41;
    p1.a = {0xC0, 0x05};
    Patch p2;
    p2.number = 2;
    p2.name = "LEAD";
    p2.mode = 0x8A;
    p2.ccs[3] = CC{0x45, 7, 10, 100};
    p2.b = {0xB0, 0x07, 0x7F};
    Patch p3;
    p3.number = 3;
    p3.name = "SPARE";
    d.patches = {MakePatch(p1), MakePatch(p2), MakePatch(p3)};
    return d;
}

} // namespace dumpfix
