#pragma once

// Helpers shared by the editing and export tests: documents made from built images, a listener
// that records update hints, and a whole-model consistency check.

#include "dump/DocListener.h"
#include "dump/SystemDoc.h"
#include "support/DumpBuilder.h"

#include <gtest/gtest.h>

#include <memory>
#include <string>
#include <vector>

namespace kit {

using testdump::Bytes;

// Records every update hint a document sends.
class HintLog : public DocListener {
public:
    void OnUpdate(ZIVBackupDoc&, DocListener*, int hint) override { hints.push_back(hint); }
    std::vector<int> hints;
};

// A document holding `image`, not modified. The image must parse cleanly.
inline std::unique_ptr<SystemDoc> DocFromImage(const Bytes& image) {
    auto doc = std::make_unique<SystemDoc>();
    EXPECT_EQ(doc->ParseDump(image), DumpOk);
    doc->SetModifiedFlag(false);
    return doc;
}

inline std::unique_ptr<SystemDoc> DocFrom(const testdump::Dump& dump) {
    return DocFromImage(dump.Build());
}

inline Bytes RecordBytes(const RecordSlot* slot) {
    if (!slot || !slot->IsPresent())
        return {};
    return Bytes(slot->Data(), slot->Data() + slot->Length());
}

// A word quad inside a byte vector, read as the device reads it.
inline int QuadAt(const Bytes& bytes, size_t at) {
    return ((bytes[at] << 7 | bytes[at + 1]) & 0xFF) * 256 + ((bytes[at + 2] << 7 | bytes[at + 3]) & 0xFF);
}

// Where the active patch list of a bank record lies, read straight from its bytes: slots A-I, or
// the sequence steps in sequence mode. Entries outside the record are left out.
inline std::vector<size_t> ActiveOffsets(const Bytes& bank) {
    std::vector<size_t> offsets;
    if (bank.size() < 74)
        return offsets;
    const bool sequence = bank[68] != 0 || bank[69] != 0;
    const size_t count = sequence ? static_cast<size_t>(QuadAt(bank, 70)) : 9;
    const size_t first = sequence ? 74 : 2;
    for (size_t k = 0; k < count && first + 4 * k + 4 <= bank.size(); ++k)
        offsets.push_back(first + 4 * k);
    return offsets;
}

inline std::vector<int> ActiveList(const Bytes& bank) {
    std::vector<int> list;
    for (size_t offset : ActiveOffsets(bank))
        list.push_back(QuadAt(bank, offset));
    return list;
}

inline std::vector<int> SetEntries(const Bytes& set) {
    std::vector<int> entries;
    if (set.size() < 4)
        return entries;
    const size_t n = static_cast<size_t>(QuadAt(set, 0));
    for (size_t i = 0; i < n && 6 + 2 * i <= set.size(); ++i)
        entries.push_back(set[4 + 2 * i] * 128 + set[5 + 2 * i]);
    return entries;
}

// Everything an edit of a consistent dump must keep: the bookkeeping values agree with the
// records, every record carries its slot's number, every reference names a present record, the
// integrity check passes and the image parses back to itself.
inline ::testing::AssertionResult Consistent(const SystemDoc& doc) {
    long size = SystemDoc::kEmptyDumpSize;
    for (int s = 1; s <= SystemDoc::kSets; ++s)
        size += doc.PeekSet(s)->Length() - 4;
    int banks = 0;
    int patches = 0;
    for (int b = 1; b <= SystemDoc::kBanks; ++b) {
        const Bytes bank = RecordBytes(doc.PeekBank(b));
        if (bank.empty())
            continue;
        ++banks;
        size += static_cast<long>(bank.size());
        if (bank[0] * 128 + bank[1] != b)
            return ::testing::AssertionFailure() << "bank in slot " << b << " carries another number";
        for (int p : ActiveList(bank))
            if (p != 0 && !doc.HasPatch(p))
                return ::testing::AssertionFailure() << "bank " << b << " names absent patch " << p;
    }
    for (int p = 1; p <= SystemDoc::kPatches; ++p) {
        const Bytes patch = RecordBytes(doc.PeekPatch(p));
        if (patch.empty())
            continue;
        ++patches;
        size += static_cast<long>(patch.size());
        if (QuadAt(patch, 0) != p)
            return ::testing::AssertionFailure() << "patch in slot " << p << " carries another number";
    }
    for (int s = 1; s <= SystemDoc::kSets; ++s)
        for (int b : SetEntries(RecordBytes(doc.PeekSet(s))))
            if (b != 0 && !doc.HasBank(b))
                return ::testing::AssertionFailure() << "set " << s << " names absent bank " << b;
    if (doc.DumpSize() != size)
        return ::testing::AssertionFailure()
               << "dump size " << doc.DumpSize() << ", records add up to " << size;
    if (doc.GetTransmitLength() != (doc.DumpSize() - 12) / 2)
        return ::testing::AssertionFailure()
               << "transmit length " << doc.GetTransmitLength() << " for dump size " << doc.DumpSize();
    if (doc.GetBankCount() != banks || doc.GetPatchCount() != patches)
        return ::testing::AssertionFailure() << "counts " << doc.GetBankCount() << "/" << doc.GetPatchCount()
                                             << ", present " << banks << "/" << patches;
    if (const int code = doc.CheckIntegrity(); code != DumpOk)
        return ::testing::AssertionFailure() << "integrity check says " << code;
    const Bytes image = doc.BuildImage();
    SystemDoc reparsed;
    if (const int code = reparsed.ParseDump(image); code != DumpOk)
        return ::testing::AssertionFailure() << "built image parses with code " << code;
    if (reparsed.BuildImage() != image)
        return ::testing::AssertionFailure() << "built image does not parse back to itself";
    return ::testing::AssertionSuccess();
}

} // namespace kit
