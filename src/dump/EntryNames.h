#pragma once

#include <string>
#include <vector>

class RecordSlot;
class SystemDoc;

// What a bank's patch list or a set's bank list names, as every window and the printed sheets
// show it: the record's name, or one of the texts that mark a reference to no record.

// What a reference (a patch number in a bank, a bank number in a set) points at.
enum class EntryKind {
    Present,    // a record of that number exists
    Unassigned, // 0: the pedal or the set entry calls nothing
    Missing,    // a number in range whose record was deleted
    BadNumber,  // a number beyond the last record number
};

EntryKind PatchEntryKind(const SystemDoc& doc, int patch);
// The patch's name, "** unassigned **", "** deleted patch **" or "**** Bad Patch Number ****".
std::string PatchEntryName(const SystemDoc& doc, int patch);

EntryKind BankEntryKind(const SystemDoc& doc, int bank);
// The bank's name, "unassigned", "** deleted bank **" or "**** Bad Bank Number ****".
std::string BankEntryName(const SystemDoc& doc, int bank);

// "A" ... "I" for the nine pedals, "Step 1" ... for the steps of a bank in sequence mode
// (k counts from 0).
std::string PedalLabel(bool sequence, int k);

// One pedal (or sequence step) of a bank's active patch list.
struct PedalEntry {
    std::string label; // PedalLabel
    int patch = 0;     // the number the record holds
    EntryKind kind = EntryKind::Unassigned;
    std::string name; // PatchEntryName
};

// The active list of a bank record, entry by entry; entries that lie outside the record, whatever
// its length field says, are left out. Empty for an absent record.
std::vector<PedalEntry> BankPedals(const SystemDoc& doc, const RecordSlot& bank);

// The bank numbers of a set record, in order; entries outside the record are left out.
std::vector<int> SetEntries(const RecordSlot& set);
