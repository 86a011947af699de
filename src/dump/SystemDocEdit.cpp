// Editing operations: every one keeps the dump size, the counts and the transmit length in line
// with the records, and keeps set-to-bank and bank-to-patch references on the same records
// when numbers move.
#include "BankRecord.h"
#include "Encoding.h"
#include "PatchRecord.h"
#include "Prompter.h"
#include "SystemDoc.h"

#include <cstdio>
#include <utility>

namespace {
enum class NameChar { Plain, Suspect, Invalid };

NameChar ClassifyNameChar(unsigned char c) {
    if ((c >= 0x21 && c <= 0x26) || c == 0x2C || c == 0x2E)
        return NameChar::Suspect;
    if (c == 0x20 || (c >= 0x27 && c <= 0x39) || (c >= 0x41 && c <= 0x5C))
        return NameChar::Plain;
    return NameChar::Invalid;
}

void WriteRecordBytePairNumber(RecordSlot& slot, int number) {
    if (slot.Length() >= 2)
        WriteBytePair(slot.Data(), number);
}

void WriteRecordWordQuadNumber(RecordSlot& slot, int number) {
    if (slot.Length() >= 4)
        WriteWordQuad(slot.Data(), number);
}

int RenumberedRef(int ref, int number, int mode, int highest) {
    switch (mode) {
    case SystemDoc::RenumberInsert:
        if (ref >= number) {
            ++ref;
            if (ref > highest)
                ref = 0;
        }
        break;
    case SystemDoc::RenumberDeleteReorder:
        if (ref == number)
            ref = 0;
        else if (ref > number)
            --ref;
        break;
    case SystemDoc::RenumberDeleteKeep:
        if (ref == number)
            ref = 0;
        break;
    default:
        break;
    }
    return ref;
}
} // namespace

bool SystemDoc::EncodeName(uint8_t* dest, const std::string& text, int size, bool showMessages) const {
    if (!dest || size < 2)
        return text.empty();
    const size_t pairs = static_cast<size_t>(size / 2);
    NameChar lastOffender = NameChar::Plain;
    size_t i = 0;
    for (; i < text.size() && i < pairs; ++i) {
        const unsigned char c = static_cast<unsigned char>(text[i]);
        const NameChar kind = ClassifyNameChar(c);
        dest[2 * i] = 0;
        dest[2 * i + 1] = kind == NameChar::Invalid ? 0x20 : c;
        if (kind != NameChar::Plain)
            lastOffender = kind;
    }
    for (; i < pairs; ++i) {
        dest[2 * i] = 0;
        dest[2 * i + 1] = 0x20;
    }
    if (showMessages && lastOffender == NameChar::Suspect)
        GetPrompter().Info("One of the following characters were found in a character string.\n"
                           "The ZIV10 does not display them as you might expect.\n"
                           "See page B-3 of the ZIV10 manual.\n"
                           "The suspect characters are: ,.!\"#$%&");
    else if (showMessages && lastOffender == NameChar::Invalid)
        GetPrompter().Info("Invalid characters were found in a character string.\n"
                           "They will be replaced with spaces.");
    // Characters beyond the field are dropped: that is a change too.
    return lastOffender == NameChar::Plain && text.size() <= pairs;
}

void SystemDoc::ClearDanglingCurrentBank() {
    const int current = GetCurrentBank();
    if (current >= 1 && current <= kBanks && !HasBank(current))
        SetCurrentBank(0);
}

void SystemDoc::ClearDanglingCurrentPatch() {
    const int current = GetCurrentPatch();
    if (current >= 1 && current <= kPatches && !HasPatch(current))
        SetCurrentPatch(0);
}

bool SystemDoc::InsertBank(int number, bool shift) {
    if (number < 1 || number > kBanks)
        return false;
    int count = GetBankCount();
    int dropped = 0;
    if (shift) {
        dropped = m_banks[kBanks].IsPresent() ? m_banks[kBanks].Length() : 0;
        for (int j = kBanks - 1; j >= number; --j) {
            std::swap(m_banks[static_cast<size_t>(j + 1)], m_banks[static_cast<size_t>(j)]);
            WriteRecordBytePairNumber(m_banks[static_cast<size_t>(j + 1)], j + 1);
        }
        RenumberBankRefs(number, RenumberInsert);
    } else if (m_banks[static_cast<size_t>(number)].IsPresent()) {
        // Callers insert without shifting only into empty slots; should one not, the old record
        // is replaced rather than left counted twice.
        dropped = m_banks[static_cast<size_t>(number)].Length();
    }
    if (dropped != 0) {
        m_dumpSize -= dropped;
        --count;
    }

    uint8_t record[BankRecord::kFixedLength] = {};
    WriteBytePair(record + BankRecord::kNumber, number);
    char name[32];
    std::snprintf(name, sizeof name, "NEW BANK %02d", number);
    EncodeName(record + BankRecord::kName, name, kNameFieldSize, false);
    RecordSlot& slot = m_banks[static_cast<size_t>(number)];
    slot.Assign(record, BankRecord::kFixedLength);
    slot.SetNumber(0);

    m_dumpSize += BankRecord::kFixedLength;
    SetBankCount(count + 1);
    AddToTransmitLength((BankRecord::kFixedLength - dropped) / 2);
    ClearDanglingCurrentBank();
    SetModifiedFlag(true);
    UpdateAllViews(nullptr, HintBanks);
    return true;
}

bool SystemDoc::InsertPatch(int number, bool shift) {
    if (number < 1 || number > kPatches)
        return false;
    int count = GetPatchCount();
    int dropped = 0;
    if (shift) {
        dropped = m_patches[kPatches].IsPresent() ? m_patches[kPatches].Length() : 0;
        for (int j = kPatches - 1; j >= number; --j) {
            std::swap(m_patches[static_cast<size_t>(j + 1)], m_patches[static_cast<size_t>(j)]);
            WriteRecordWordQuadNumber(m_patches[static_cast<size_t>(j + 1)], j + 1);
        }
        RenumberPatchRefs(number, RenumberInsert);
    } else if (m_patches[static_cast<size_t>(number)].IsPresent()) {
        dropped = m_patches[static_cast<size_t>(number)].Length();
    }
    if (dropped != 0) {
        m_dumpSize -= dropped;
        --count;
    }

    uint8_t record[PatchRecord::kFixedLength] = {};
    WriteWordQuad(record + PatchRecord::kNumber, number);
    char name[32];
    std::snprintf(name, sizeof name, "NEW PATCH %03d", number);
    EncodeName(record + PatchRecord::kName, name, kNameFieldSize, false);
    int mode = 0;
    if (GetGlobalCC(1).Enabled())
        mode |= PatchRecord::kGlobalCC1Bit;
    if (GetGlobalCC(2).Enabled())
        mode |= PatchRecord::kGlobalCC2Bit;
    WriteBytePair(record + PatchRecord::kMode, mode);
    const int defaultChannel = GetDefaultChannel();
    const int flags = defaultChannel != 0 ? (defaultChannel - 1) & 0x0F : 0;
    for (int pedal = 1; pedal <= 2; ++pedal)
        for (int cc = 1; cc <= 3; ++cc) {
            uint8_t* p = record + PatchRecord::LocalCCOffset(pedal, cc);
            WriteBytePair(p, flags);
            WriteBytePair(p + 2, 0);
            WriteBytePair(p + 4, 0);
            WriteBytePair(p + 6, 127);
        }
    RecordSlot& slot = m_patches[static_cast<size_t>(number)];
    slot.Assign(record, PatchRecord::kFixedLength);
    slot.SetNumber(0);

    m_dumpSize += PatchRecord::kFixedLength;
    SetPatchCount(count + 1);
    AddToTransmitLength((PatchRecord::kFixedLength - dropped) / 2);
    ClearDanglingCurrentPatch();
    SetModifiedFlag(true);
    UpdateAllViews(nullptr, HintPatches);
    return true;
}

void SystemDoc::DeleteBank(int number, bool reorder) {
    if (number < 1 || number > kBanks || GetBankCount() == 0)
        return;
    RecordSlot& slot = m_banks[static_cast<size_t>(number)];
    if (!slot.IsPresent() && !reorder)
        return;
    if (slot.IsPresent()) {
        const int length = slot.Length();
        m_dumpSize -= length;
        slot.Clear();
        SetBankCount(GetBankCount() - 1);
        AddToTransmitLength(-length / 2);
    }
    if (reorder) {
        for (int i = number; i < kBanks; ++i) {
            std::swap(m_banks[static_cast<size_t>(i)], m_banks[static_cast<size_t>(i + 1)]);
            WriteRecordBytePairNumber(m_banks[static_cast<size_t>(i)], i);
        }
        m_banks[kBanks].Clear();
        RenumberBankRefs(number, RenumberDeleteReorder);
    } else {
        RenumberBankRefs(number, RenumberDeleteKeep);
    }
    ClearDanglingCurrentBank();
    SetModifiedFlag(true);
    UpdateAllViews(nullptr, HintBanks);
}

void SystemDoc::DeletePatch(int number, bool reorder) {
    if (number < 1 || number > kPatches || GetPatchCount() == 0)
        return;
    RecordSlot& slot = m_patches[static_cast<size_t>(number)];
    if (!slot.IsPresent() && !reorder)
        return;
    if (slot.IsPresent()) {
        const int length = slot.Length();
        m_dumpSize -= length;
        slot.Clear();
        SetPatchCount(GetPatchCount() - 1);
        AddToTransmitLength(-length / 2);
    }
    if (reorder) {
        for (int i = number; i < kPatches; ++i) {
            std::swap(m_patches[static_cast<size_t>(i)], m_patches[static_cast<size_t>(i + 1)]);
            WriteRecordWordQuadNumber(m_patches[static_cast<size_t>(i)], i);
        }
        m_patches[kPatches].Clear();
        RenumberPatchRefs(number, RenumberDeleteReorder);
    } else {
        RenumberPatchRefs(number, RenumberDeleteKeep);
    }
    ClearDanglingCurrentPatch();
    SetModifiedFlag(true);
    UpdateAllViews(nullptr, HintPatches);
}

void SystemDoc::RenumberPatchRefs(int number, int mode) {
    for (int b = 1; b <= kBanks; ++b) {
        RecordSlot& slot = m_banks[static_cast<size_t>(b)];
        if (!slot.IsPresent())
            continue;
        const BankRecord bank(slot);
        const int entries = bank.ActiveCount();
        for (int k = 0; k < entries; ++k) {
            const int offset = bank.ActiveOffset(k);
            if (offset < 0)
                break; // the rest of a malformed list lies outside the record
            const int ref = ReadWordQuad(slot.Data() + offset);
            const int updated = RenumberedRef(ref, number, mode, kPatches);
            if (updated != ref)
                WriteWordQuad(slot.Data() + offset, updated);
        }
    }
}

void SystemDoc::RenumberBankRefs(int number, int mode) {
    for (int s = 1; s <= kSets; ++s) {
        RecordSlot& slot = m_sets[static_cast<size_t>(s)];
        if (!slot.IsPresent())
            continue;
        const int n = ReadWordQuadAt(slot.Data(), slot.Length(), 0, 0);
        for (int i = 0; i < n && 4 + 2 * i + 2 <= slot.Length(); ++i) {
            uint8_t* entry = slot.Data() + 4 + 2 * i;
            const int ref = ReadBytePair(entry);
            const int updated = RenumberedRef(ref, number, mode, kBanks);
            if (updated != ref)
                WriteBytePair(entry, updated);
        }
    }
}

int SystemDoc::ReplaceBank(int number, const RecordSlot& record) {
    if (number < 1 || number > kBanks || !record.IsPresent())
        return DumpBankCount;
    RecordSlot& slot = m_banks[static_cast<size_t>(number)];
    int old = 0;
    if (slot.IsPresent()) {
        old = slot.Length();
        m_dumpSize -= old;
    } else {
        SetBankCount(GetBankCount() + 1);
    }
    slot.Assign(record.Data(), record.Length());
    slot.SetNumber(0);
    m_dumpSize += record.Length();
    AddToTransmitLength((record.Length() - old) / 2);
    SetModifiedFlag(true);
    UpdateAllViews(nullptr, HintBanks);
    return DumpOk;
}

int SystemDoc::ReplacePatch(int number, const RecordSlot& record) {
    if (number < 1 || number > kPatches || !record.IsPresent())
        return DumpPatchCount;
    RecordSlot& slot = m_patches[static_cast<size_t>(number)];
    int old = 0;
    if (slot.IsPresent()) {
        old = slot.Length();
        m_dumpSize -= old;
    } else {
        SetPatchCount(GetPatchCount() + 1);
    }
    slot.Assign(record.Data(), record.Length());
    slot.SetNumber(0);
    m_dumpSize += record.Length();
    AddToTransmitLength((record.Length() - old) / 2);
    SetModifiedFlag(true);
    UpdateAllViews(nullptr, HintPatches);
    return DumpOk;
}

int SystemDoc::ReplaceSet(int number, const RecordSlot& record) {
    if (number < 1 || number > kSets || !record.IsPresent())
        return DumpBankCount;
    RecordSlot& slot = m_sets[static_cast<size_t>(number)];
    // Every set counts 4 bytes in the empty dump, so a missing set stands for an empty one.
    const int old = slot.IsPresent() ? slot.Length() : 4;
    m_dumpSize += record.Length() - old;
    slot.Assign(record.Data(), record.Length());
    slot.SetNumber(number);
    AddToTransmitLength((record.Length() - old) / 2);
    SetModifiedFlag(true);
    UpdateAllViews(nullptr, HintSets);
    return DumpOk;
}

std::string SystemDoc::BanksUsingPatch(int patch, int* count) const {
    std::string text;
    int lines = 0;
    if (patch >= 1) {
        for (int b = 1; b <= kBanks; ++b) {
            const RecordSlot& slot = m_banks[static_cast<size_t>(b)];
            if (!slot.IsPresent())
                continue;
            const BankRecord bank(slot);
            const int entries = bank.ActiveCount();
            for (int k = 0; k < entries; ++k) {
                const int ref = bank.ActiveEntry(k);
                if (ref < 0)
                    break;
                if (ref == patch) {
                    text += std::to_string(b) + " " + bank.Name() + "\r\n";
                    ++lines;
                    break;
                }
            }
        }
    }
    if (count)
        *count = lines;
    return text;
}
