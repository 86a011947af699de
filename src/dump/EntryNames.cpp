#include "dump/EntryNames.h"

#include "dump/BankRecord.h"
#include "dump/Encoding.h"
#include "dump/PatchRecord.h"
#include "dump/SystemDoc.h"

EntryKind PatchEntryKind(const SystemDoc& doc, int patch) {
    if (patch == 0)
        return EntryKind::Unassigned;
    if (patch > SystemDoc::kPatches || patch < 0)
        return EntryKind::BadNumber;
    return doc.HasPatch(patch) ? EntryKind::Present : EntryKind::Missing;
}

std::string PatchEntryName(const SystemDoc& doc, int patch) {
    switch (PatchEntryKind(doc, patch)) {
    case EntryKind::Present:
        return PatchRecord(*doc.PeekPatch(patch)).Name();
    case EntryKind::Unassigned:
        return "** unassigned **";
    case EntryKind::Missing:
        return "** deleted patch **";
    case EntryKind::BadNumber:
        break;
    }
    return "**** Bad Patch Number ****";
}

EntryKind BankEntryKind(const SystemDoc& doc, int bank) {
    if (bank == 0)
        return EntryKind::Unassigned;
    if (bank > SystemDoc::kBanks || bank < 0)
        return EntryKind::BadNumber;
    return doc.HasBank(bank) ? EntryKind::Present : EntryKind::Missing;
}

std::string BankEntryName(const SystemDoc& doc, int bank) {
    switch (BankEntryKind(doc, bank)) {
    case EntryKind::Present:
        return BankRecord(*doc.PeekBank(bank)).Name();
    case EntryKind::Unassigned:
        return "unassigned";
    case EntryKind::Missing:
        return "** deleted bank **";
    case EntryKind::BadNumber:
        break;
    }
    return "**** Bad Bank Number ****";
}

std::string PedalLabel(bool sequence, int k) {
    if (sequence)
        return "Step " + std::to_string(k + 1);
    if (k >= 0 && k < BankRecord::kSlotCount)
        return std::string(1, static_cast<char>('A' + k));
    return {};
}

std::vector<PedalEntry> BankPedals(const SystemDoc& doc, const RecordSlot& bank) {
    std::vector<PedalEntry> pedals;
    if (!bank.IsPresent())
        return pedals;
    const BankRecord record(bank);
    const bool sequence = record.SequenceMode() != 0;
    const int count = record.ActiveCount();
    for (int k = 0; k < count; ++k) {
        const int patch = record.ActiveEntry(k);
        if (patch < 0)
            break;
        PedalEntry entry;
        entry.label = PedalLabel(sequence, k);
        entry.patch = patch;
        entry.kind = PatchEntryKind(doc, patch);
        entry.name = PatchEntryName(doc, patch);
        pedals.push_back(std::move(entry));
    }
    return pedals;
}

std::vector<int> SetEntries(const RecordSlot& set) {
    std::vector<int> entries;
    if (!set.IsPresent())
        return entries;
    const int n = ReadWordQuadAt(set.Data(), set.Length(), 0, 0);
    for (int i = 0; i < n; ++i) {
        const int bank = ReadBytePairAt(set.Data(), set.Length(), 4 + 2 * i);
        if (bank < 0)
            break;
        entries.push_back(bank);
    }
    return entries;
}
