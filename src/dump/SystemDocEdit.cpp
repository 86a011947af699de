// Editing operations: every one keeps the dump size, the counts and the transmit length in line
// with the records, and keeps set-to-bank and bank-to-patch references on the same records
// when numbers move.
#include "dump/BankRecord.h"
#include "dump/Encoding.h"
#include "dump/PatchRecord.h"
#include "dump/Prompter.h"
#include "dump/SystemDoc.h"

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

struct SystemDoc::RecordTable {
    RecordSlot* slots; // 0 to highest
    int highest;
    void (*writeNumber)(RecordSlot&, int);
    int (SystemDoc::*getCount)() const;
    void (SystemDoc::*setCount)(int);
    void (SystemDoc::*renumber)(int, int);
    void (SystemDoc::*clearDanglingCurrent)();
    int hint;

    RecordSlot& operator[](int n) const { return slots[n]; }
};

SystemDoc::RecordTable SystemDoc::BankTable() {
    return {m_banks.data(),
            kBanks,
            WriteRecordBytePairNumber,
            &SystemDoc::GetBankCount,
            &SystemDoc::SetBankCount,
            &SystemDoc::RenumberBankRefs,
            &SystemDoc::ClearDanglingCurrentBank,
            HintBanks};
}

SystemDoc::RecordTable SystemDoc::PatchTable() {
    return {m_patches.data(),
            kPatches,
            WriteRecordWordQuadNumber,
            &SystemDoc::GetPatchCount,
            &SystemDoc::SetPatchCount,
            &SystemDoc::RenumberPatchRefs,
            &SystemDoc::ClearDanglingCurrentPatch,
            HintPatches};
}

int SystemDoc::SizeAfterReplacing(const RecordSlot* old, int length, int absentLength) const {
    return m_dumpSize - (old && old->IsPresent() ? old->Length() : absentLength) + length;
}

bool SystemDoc::NewRecordFits(const RecordTable& table, int number, bool shift, int length) const {
    const RecordSlot& leaving = table[shift ? table.highest : number];
    return SizeAfterReplacing(&leaving, length) <= kMaxFileBytes;
}

int SystemDoc::MakeRoom(const RecordTable& table, int number, bool shift, int& count) {
    int dropped = 0;
    if (shift) {
        dropped = table[table.highest].IsPresent() ? table[table.highest].Length() : 0;
        for (int j = table.highest - 1; j >= number; --j) {
            std::swap(table[j + 1], table[j]);
            table.writeNumber(table[j + 1], j + 1);
        }
        (this->*table.renumber)(number, RenumberInsert);
    } else if (table[number].IsPresent()) {
        // Callers insert without shifting only into empty slots; should one not, the old record
        // is replaced rather than left counted twice.
        dropped = table[number].Length();
    }
    if (dropped != 0) {
        m_dumpSize -= dropped;
        --count;
    }
    return dropped;
}

void SystemDoc::StoreNewRecord(const RecordTable& table, int number, const uint8_t* record, int length,
                               int count, int dropped) {
    RecordSlot& slot = table[number];
    slot.Assign(record, length);
    slot.SetNumber(0);
    m_dumpSize += length;
    (this->*table.setCount)(count + 1);
    AddToTransmitLength((length - dropped) / 2);
    (this->*table.clearDanglingCurrent)();
    SetModifiedFlag(true);
    UpdateAllViews(nullptr, table.hint);
}

bool SystemDoc::InsertBank(int number, bool shift) {
    if (number < 1 || number > kBanks)
        return false;
    const RecordTable table = BankTable();
    if (!NewRecordFits(table, number, shift, BankRecord::kFixedLength))
        return false;
    int count = GetBankCount();
    const int dropped = MakeRoom(table, number, shift, count);

    uint8_t record[BankRecord::kFixedLength] = {};
    WriteBytePair(record + BankRecord::kNumber, number);
    char name[32];
    std::snprintf(name, sizeof name, "NEW BANK %02d", number);
    EncodeName(record + BankRecord::kName, name, kNameFieldSize, false);
    StoreNewRecord(table, number, record, BankRecord::kFixedLength, count, dropped);
    return true;
}

bool SystemDoc::InsertPatch(int number, bool shift) {
    if (number < 1 || number > kPatches)
        return false;
    const RecordTable table = PatchTable();
    if (!NewRecordFits(table, number, shift, PatchRecord::kFixedLength))
        return false;
    int count = GetPatchCount();
    const int dropped = MakeRoom(table, number, shift, count);

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
    StoreNewRecord(table, number, record, PatchRecord::kFixedLength, count, dropped);
    return true;
}

void SystemDoc::DeleteRecord(const RecordTable& table, int number, bool reorder) {
    if (number < 1 || number > table.highest || (this->*table.getCount)() == 0)
        return;
    RecordSlot& slot = table[number];
    if (!slot.IsPresent() && !reorder)
        return;
    if (slot.IsPresent()) {
        const int length = slot.Length();
        m_dumpSize -= length;
        slot.Clear();
        (this->*table.setCount)((this->*table.getCount)() - 1);
        AddToTransmitLength(-length / 2);
    }
    if (reorder) {
        for (int i = number; i < table.highest; ++i) {
            std::swap(table[i], table[i + 1]);
            table.writeNumber(table[i], i);
        }
        table[table.highest].Clear();
        (this->*table.renumber)(number, RenumberDeleteReorder);
    } else {
        (this->*table.renumber)(number, RenumberDeleteKeep);
    }
    (this->*table.clearDanglingCurrent)();
    SetModifiedFlag(true);
    UpdateAllViews(nullptr, table.hint);
}

void SystemDoc::DeleteBank(int number, bool reorder) {
    DeleteRecord(BankTable(), number, reorder);
}

void SystemDoc::DeletePatch(int number, bool reorder) {
    DeleteRecord(PatchTable(), number, reorder);
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

int SystemDoc::ReplaceRecord(const RecordTable& table, int number, const RecordSlot& record, int refusal) {
    if (number < 1 || number > table.highest || !record.IsPresent())
        return refusal;
    RecordSlot& slot = table[number];
    int old = 0;
    if (slot.IsPresent()) {
        old = slot.Length();
        m_dumpSize -= old;
    } else {
        (this->*table.setCount)((this->*table.getCount)() + 1);
    }
    slot.Assign(record.Data(), record.Length());
    slot.SetNumber(0);
    m_dumpSize += record.Length();
    AddToTransmitLength((record.Length() - old) / 2);
    SetModifiedFlag(true);
    UpdateAllViews(nullptr, table.hint);
    return DumpOk;
}

int SystemDoc::ReplaceBank(int number, const RecordSlot& record) {
    return ReplaceRecord(BankTable(), number, record, DumpBankCount);
}

int SystemDoc::ReplacePatch(int number, const RecordSlot& record) {
    return ReplaceRecord(PatchTable(), number, record, DumpPatchCount);
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
