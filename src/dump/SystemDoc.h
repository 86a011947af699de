#pragma once

#include "dump/DumpErrors.h"
#include "dump/RecordSlot.h"
#include "dump/ZIVBackupDoc.h"

#include <array>
#include <cstddef>
#include <cstdint>
#include <string>
#include <vector>

class FileOps;
class Prompter;

// One CC assignment (pedal global CC or patch local CC), decoded.
struct CCAssignment {
    int flags = 0; // bits 0-3 channel - 1, bit 4 invert, bit 5 immediate, bit 6 enabled, bit 7 first time
    int controller = 0;
    int minimum = 0;
    int maximum = 0;

    int Channel() const { return (flags & 0x0F) + 1; }
    bool Inverted() const { return (flags & 0x10) != 0; }
    bool Enabled() const { return (flags & 0x40) != 0; }
};

// The table and XML exports, each a file beside the document.
enum class ExportKind { PatchTable, BankTable, BankLayout, Xml };

// What the table and XML exports need from the settings.
struct ExportOptions {
    bool tabDelimited = false;
    bool mixedCase = false;
    int outputDevice = 0; // the "MIDI Output Device" index, written into the XML file
};

// The system dump document and its model: header, configuration, and the set, bank and patch
// records, all in their encoded message form. Accessors decode on every read.
//
// Created, read and changed on the user-interface thread only; no locks. No operation throws or
// reads outside a record, whatever the records hold.
class SystemDoc : public ZIVBackupDoc {
public:
    static constexpr int kHeaderSize = 11;
    static constexpr int kConfigSize = 100;
    static constexpr int kEmptyDumpSize = 132;
    static constexpr int kMaxFileBytes = 65520;
    static constexpr int kSets = 5;
    static constexpr int kBanks = 99;
    static constexpr int kPatches = 500;
    static constexpr int kEmptyBankLength = 74;
    static constexpr int kEmptyPatchLength = 92;
    static constexpr int kEmptySetLength = 4;

    // Renumbering modes.
    enum RenumberMode { RenumberInsert = 0, RenumberDeleteReorder = 1, RenumberDeleteKeep = 2 };

    // Configuration record offsets (relative to the record).
    enum ConfigOffset {
        CfgCurrentPatch = 0,
        CfgCurrentBank = 4,
        CfgCurrentSet = 6,
        CfgFilterOff = 8,
        CfgEditSysexHex = 10,
        CfgMergeOff = 12,
        CfgReverseLeds = 14,
        CfgPowerUpPatch = 16,
        CfgPowerUpTimeout = 20,
        CfgMidiFilters = 22,
        CfgPedal1Max = 54,
        CfgPedal1Min = 56,
        CfgPedal1Type = 58,
        CfgPedal2Max = 60,
        CfgPedal2Min = 62,
        CfgPedal2Type = 64,
        CfgPedal1GlobalCC = 66,
        CfgPedal2GlobalCC = 74,
        CfgBankCount = 82,
        CfgPatchCount = 84,
        CfgDefaultChannel = 88,
        CfgReserved = 90,
    };

    // Everything an edit can change (see below).
    struct State;

    // An empty dump whose device channel is `midiChannel` (1-16), not modified.
    explicit SystemDoc(int midiChannel = 1);
    // A document parsed from an image (the scratch document of a download check).
    SystemDoc(const uint8_t* image, size_t length);
    ~SystemDoc() override = default;

    // --- life cycle -----------------------------------------------------------------------
    // Forgets the path, makes the empty dump and clears the modified flag.
    bool OnNewDocument() override;

    // The "MIDI Channel" setting (1-16) that a new, empty dump carries; out of range gives 1.
    void SetNewDumpChannel(int midiChannel);
    int GetNewDumpChannel() const { return m_newDumpChannel; }

    // Where messages go; null restores the silent default. Not owned.
    void SetPrompter(Prompter* prompter);
    Prompter& GetPrompter() const;

    // --- format, parse, check, build ------------------------------------------------------
    void InitEmptyDump();
    // Replaces the whole model; returns 0, 8, 10, 12 or 15. Never reads outside the image.
    int ParseDump(const uint8_t* image, size_t length);
    int ParseDump(const std::vector<uint8_t>& image) { return ParseDump(image.data(), image.size()); }
    int CheckIntegrity() const;
    // What a load found and did, for the caller that records the repair as a step of its own.
    struct LoadReport {
        int checkCode = 0;     // the check's code before any repair
        bool repaired = false; // the transmit length was rewritten
    };
    // The load step of opening a file: an empty image leaves the model as constructed with dump
    // size 0; otherwise parse and check, then (with `ask`) offer the repair for code 9 or ask
    // "Abort?" for any other code, the parse's own code first. False when the user chose to
    // abort. `beforeRepair`, when given, receives the model as parsed, before a repair changed it.
    bool LoadImage(const uint8_t* image, size_t length, bool ask, LoadReport* report = nullptr,
                   State* beforeRepair = nullptr);
    // Exactly dump-size bytes (none for a negative size). When the records disagree with the
    // dump size they are cut off or the rest is left zero; nothing is written outside.
    std::vector<uint8_t> BuildImage() const;

    // --- read accessors -------------------------------------------------------------------
    RecordSlot GetSet(int n) const;
    RecordSlot GetBank(int n) const;
    RecordSlot GetPatch(int n) const;
    // Read-only access without a copy; null when n is outside 0-5, 0-99, 0-500.
    const RecordSlot* PeekSet(int n) const;
    const RecordSlot* PeekBank(int n) const;
    const RecordSlot* PeekPatch(int n) const;
    bool HasBank(int n) const;
    bool HasPatch(int n) const;
    // The dump size once `old` (null or absent: nothing) is replaced by a record of `length`
    // bytes. A missing set counts as the 4 bytes of an empty one: pass kEmptySetLength.
    int SizeAfterReplacing(const RecordSlot* old, int length, int absentLength = 0) const;

    const uint8_t* Header() const { return m_header.data(); }
    const uint8_t* Config() const { return m_config.data(); }

    int GetCurrentPatch() const { return ConfigWordQuad(CfgCurrentPatch); }
    int GetCurrentBank() const { return ConfigBytePair(CfgCurrentBank); }
    int GetCurrentSet() const { return ConfigBytePair(CfgCurrentSet); }
    int GetFilterOff() const { return ConfigBytePair(CfgFilterOff); }
    int GetEditSysexHex() const { return ConfigBytePair(CfgEditSysexHex); }
    int GetMergeOff() const { return ConfigBytePair(CfgMergeOff); }
    int GetReverseLeds() const { return ConfigBytePair(CfgReverseLeds); }
    int GetPowerUpPatch() const { return ConfigWordQuad(CfgPowerUpPatch); }
    int GetPowerUpTimeout() const { return ConfigBytePair(CfgPowerUpTimeout); }
    int GetDefaultChannel() const { return ConfigBytePair(CfgDefaultChannel); }
    int GetBankCount() const { return ConfigBytePair(CfgBankCount); }
    int GetPatchCount() const { return ConfigWordQuad(CfgPatchCount); }
    int GetPedalCalMax(int pedal) const;
    int GetPedalCalMin(int pedal) const;
    int GetPedalCalType(int pedal) const;
    CCAssignment GetGlobalCC(int pedal) const;
    // The 16 MIDI filter bytes, decoded from their byte pairs (values may exceed 255 if malformed).
    std::array<int, 16> GetMidiFilters() const;
    // Header byte 4, 0-15 for MIDI channels 1-16.
    int GetDeviceChannel() const { return m_header[4]; }
    int GetTransmitLength() const;

    void SetCurrentPatch(int v) { SetConfigWordQuad(CfgCurrentPatch, v); }
    void SetCurrentBank(int v) { SetConfigBytePair(CfgCurrentBank, v); }
    void SetCurrentSet(int v) { SetConfigBytePair(CfgCurrentSet, v); }
    void SetFilterOff(int v) { SetConfigBytePair(CfgFilterOff, v); }
    void SetEditSysexHex(int v) { SetConfigBytePair(CfgEditSysexHex, v); }
    void SetMergeOff(int v) { SetConfigBytePair(CfgMergeOff, v); }
    void SetReverseLeds(int v) { SetConfigBytePair(CfgReverseLeds, v); }
    void SetPowerUpPatch(int v) { SetConfigWordQuad(CfgPowerUpPatch, v); }
    void SetPowerUpTimeout(int v) { SetConfigBytePair(CfgPowerUpTimeout, v); }
    void SetDefaultChannel(int v) { SetConfigBytePair(CfgDefaultChannel, v); }
    void SetBankCount(int v) { SetConfigBytePair(CfgBankCount, v); }
    void SetPatchCount(int v) { SetConfigWordQuad(CfgPatchCount, v); }
    void SetPedalCalMax(int pedal, int v);
    void SetPedalCalMin(int pedal, int v);
    void SetPedalCalType(int pedal, int v);
    void SetGlobalCC(int pedal, const CCAssignment& cc);
    void SetMidiFilters(const std::array<int, 16>& filters);
    void SetDeviceChannel(int v) { m_header[4] = static_cast<uint8_t>(v); }
    void SetTransmitLength(int v);

    // --- editing (each marks the document modified and notifies the views) ---------------
    // Inserting refuses (false) a bad number and a new record that would make the dump larger
    // than kMaxFileBytes.
    bool InsertBank(int number, bool shift);
    bool InsertPatch(int number, bool shift);
    void DeleteBank(int number, bool reorder);
    void DeletePatch(int number, bool reorder);
    int ReplaceBank(int number, const RecordSlot& record);
    int ReplacePatch(int number, const RecordSlot& record);
    int ReplaceSet(int number, const RecordSlot& record);
    void RenumberPatchRefs(int number, int mode);
    void RenumberBankRefs(int number, int mode);
    // One line "%d %s\r\n" per bank whose active list holds the patch; count receives the lines.
    std::string BanksUsingPatch(int patch, int* count = nullptr) const;
    // Writes a name field of `size` bytes; true when the text needed no change and no warning.
    bool EncodeName(uint8_t* dest, const std::string& text, int size, bool showMessages) const;

    // --- repair ---------------------------------------------------------------------------
    bool FixTransmitLength();

    // --- taking edits back ----------------------------------------------------------------
    // Everything an edit can change: the dump size, the header, the configuration and every
    // record. A copy is at most the size of the image plus the record bookkeeping.
    struct State {
        int32_t dumpSize = 0;
        std::array<uint8_t, kHeaderSize> header{};
        std::array<uint8_t, kConfigSize> config{};
        std::array<RecordSlot, kSets + 1> sets;
        std::array<RecordSlot, kBanks + 1> banks;
        std::array<RecordSlot, kPatches + 1> patches;

        // Same dump content: sizes, bytes and record numbers (not the spare capacity).
        bool SameContent(const State& other) const;
    };
    State SaveState() const;
    // Puts a saved state back exactly; no notification and no change of the modified flag.
    void RestoreState(const State& state);

    // --- exports --------------------------------------------------------------------------
    // Path without its last "." and what follows, or the title when there is none.
    std::string ExportBaseName() const;
    std::string PatchTableText(const ExportOptions& options) const;
    std::string BankTableText(const ExportOptions& options, bool layout) const;
    std::string XmlText(const ExportOptions& options) const;
    // "_Patches.txt", "_Banks.txt", "_BankLayout.txt" or ".xml".
    static const char* ExportSuffix(ExportKind kind);
    std::string ExportText(ExportKind kind, const ExportOptions& options) const;
    // The file an export writes: the base name and the suffix.
    std::string ExportPath(ExportKind kind) const;
    // Writes an export beside the document through `files` (safe writes) and returns the path
    // written. A file that cannot be made says "Failed to create file.", one that cannot be written
    // in full "Failed to write file."; either returns empty text with `error` saying why.
    std::string Export(ExportKind kind, const ExportOptions& options, FileOps& files,
                       std::string* error = nullptr) const;

private:
    // What differs between the bank and the patch slots for the editing operations.
    struct RecordTable;
    RecordTable BankTable();
    RecordTable PatchTable();
    // Frees slot `number`, shifting the records from there up when `shift` is on (the last one
    // falls off the end); returns the length of the record that left the dump and counts it off
    // `count`.
    int MakeRoom(const RecordTable& table, int number, bool shift, int& count);
    // Whether a new record of `length` bytes at `number` keeps the dump within kMaxFileBytes.
    bool NewRecordFits(const RecordTable& table, int number, bool shift, int length) const;
    void DeleteRecord(const RecordTable& table, int number, bool reorder);
    int ReplaceRecord(const RecordTable& table, int number, const RecordSlot& record, int refusal);
    void StoreNewRecord(const RecordTable& table, int number, const uint8_t* record, int length, int count,
                        int dropped);

    int ConfigBytePair(int offset) const;
    int ConfigWordQuad(int offset) const;
    void SetConfigBytePair(int offset, int value);
    void SetConfigWordQuad(int offset, int value);
    void AddToTransmitLength(int delta);
    void ClearDanglingCurrentBank();
    void ClearDanglingCurrentPatch();

    std::array<uint8_t, kHeaderSize> m_header{};
    std::array<uint8_t, kConfigSize> m_config{};
    std::array<RecordSlot, kSets + 1> m_sets;
    std::array<RecordSlot, kBanks + 1> m_banks;
    std::array<RecordSlot, kPatches + 1> m_patches;
    int m_newDumpChannel = 1;
    Prompter* m_prompter = nullptr;
};

// Names rewritten with a capital after every non-letter: "NEW BANK 01" -> "New Bank 01".
void MixedCase(std::string& text);
