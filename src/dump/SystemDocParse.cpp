// Parsing an image into the model, the integrity check, and the transmit-length repair.
#include "dump/BankRecord.h"
#include "dump/Encoding.h"
#include "dump/PatchRecord.h"
#include "dump/Prompter.h"
#include "dump/SystemDoc.h"

#include <algorithm>
#include <cstring>

namespace {
// Reads a field at `pos` only when it lies inside the image.
bool ReadQuad(const uint8_t* image, size_t length, size_t pos, int& value) {
    if (pos > length || length - pos < 4)
        return false;
    value = ReadWordQuad(image + pos);
    return true;
}

bool ReadPair(const uint8_t* image, size_t length, size_t pos, int& value) {
    if (pos > length || length - pos < 2)
        return false;
    value = ReadBytePair(image + pos);
    return true;
}

bool Fits(size_t length, size_t pos, size_t recordLength) {
    return pos <= length && length - pos >= recordLength;
}
} // namespace

int SystemDoc::ParseDump(const uint8_t* image, size_t length) {
    InitEmptyDump();
    if (!image)
        length = 0;

    m_header.fill(0);
    m_config.fill(0);
    std::memcpy(m_header.data(), image ? image : m_header.data(), std::min<size_t>(length, kHeaderSize));
    if (length > kHeaderSize)
        std::memcpy(m_config.data(), image + kHeaderSize,
                    std::min<size_t>(length - kHeaderSize, kConfigSize));

    size_t pos = kHeaderSize + kConfigSize;

    // Sets: always five, their position is their number. A set that does not fit leaves its
    // slot and the ones after it empty, so the integrity check reports the sets.
    for (int s = 1; s <= kSets; ++s) {
        int n = 0;
        if (!ReadQuad(image, length, pos, n) || !Fits(length, pos, 4 + 2 * static_cast<size_t>(n))) {
            for (int t = s; t <= kSets; ++t)
                m_sets[static_cast<size_t>(t)].Clear();
            return DumpBadSets;
        }
        const int recordLength = 4 + 2 * n;
        RecordSlot& slot = m_sets[static_cast<size_t>(s)];
        slot.Assign(image + pos, recordLength);
        slot.SetNumber(s);
        m_dumpSize += recordLength - 4;
        pos += static_cast<size_t>(recordLength);
    }

    // Banks, each identified by its own number; counts and lengths come from the data.
    const int bankCount = GetBankCount();
    for (int i = 0; i < bankCount; ++i) {
        int number = 0;
        int n = 0;
        if (!ReadPair(image, length, pos + BankRecord::kNumber, number) ||
            !ReadQuad(image, length, pos + BankRecord::kSeqLength, n))
            return DumpBadBanks;
        const size_t recordLength = BankRecord::kFixedLength + 4 * static_cast<size_t>(n);
        if (number > kBanks || !Fits(length, pos, recordLength))
            return DumpBadBanks;
        RecordSlot& slot = m_banks[static_cast<size_t>(number)];
        slot.Assign(image + pos, static_cast<int>(recordLength));
        slot.SetNumber(0);
        m_dumpSize += static_cast<int32_t>(recordLength);
        pos += recordLength;
    }

    const int patchCount = GetPatchCount();
    for (int i = 0; i < patchCount; ++i) {
        int number = 0;
        int a = 0;
        int b = 0;
        if (!ReadQuad(image, length, pos + PatchRecord::kNumber, number) ||
            !ReadQuad(image, length, pos + PatchRecord::kStringA, a) ||
            !ReadQuad(image, length, pos + PatchRecord::kStringA + 4 + 2 * static_cast<size_t>(a), b))
            return DumpBadPatches;
        const size_t recordLength =
            PatchRecord::kFixedLength + 2 * static_cast<size_t>(a) + 2 * static_cast<size_t>(b);
        if (number > kPatches || !Fits(length, pos, recordLength))
            return DumpBadPatches;
        RecordSlot& slot = m_patches[static_cast<size_t>(number)];
        slot.Assign(image + pos, static_cast<int>(recordLength));
        slot.SetNumber(0);
        m_dumpSize += static_cast<int32_t>(recordLength);
        pos += recordLength;
    }

    return pos < length && image[pos] == 0xF7 ? DumpOk : DumpNoEnd;
}

int SystemDoc::CheckIntegrity() const {
    if (m_dumpSize < kEmptyDumpSize)
        return DumpTooShort;

    if (m_header[0] != 0xF0)
        return DumpNoStart;
    if (m_header[1] != 0x00)
        return DumpBadManufacturer0;
    if (m_header[2] != 0x00)
        return DumpBadManufacturer1;
    if (m_header[3] != 0x10)
        return DumpBadManufacturer2;
    if (m_header[5] != 0x0E)
        return DumpBadDeviceId;
    if (m_header[6] != 0x41)
        return DumpBadHeaderType;

    const int bankCount = GetBankCount();
    const int patchCount = GetPatchCount();
    if (bankCount > kBanks || patchCount > kPatches || GetCurrentPatch() > kPatches ||
        GetCurrentBank() > kBanks || GetCurrentSet() > kSets || GetPowerUpPatch() > kPatches ||
        GetPowerUpTimeout() > 255 || GetDefaultChannel() > 16 || GetDeviceChannel() > 16 ||
        GetFilterOff() > 1 || GetEditSysexHex() > 1 || GetMergeOff() > 1 || GetReverseLeds() > 1)
        return DumpBadConfig;

    long total = 112;

    for (int s = 1; s <= kSets; ++s) {
        const RecordSlot& set = m_sets[static_cast<size_t>(s)];
        if (!set.IsPresent())
            return DumpBadSets;
        total += set.Length();
        const int n = ReadWordQuadAt(set.Data(), set.Length(), 0);
        if (n < 0 || 4 + 2 * n > set.Length())
            return DumpBadSets;
        for (int i = 0; i < n; ++i) {
            const int b = ReadBytePair(set.Data() + 4 + 2 * i);
            if (b > kBanks)
                return DumpBadBankRef;
            if (b == 0)
                continue;
            const RecordSlot& bank = m_banks[static_cast<size_t>(b)];
            if (!bank.IsPresent())
                return DumpBadBankRef;
            if (BankRecord(bank).Number() != b)
                return DumpBadBankRef;
        }
    }

    int banksCounted = 0;
    if (bankCount != 0) {
        for (int b = 1; b <= kBanks; ++b) {
            const RecordSlot& slot = m_banks[static_cast<size_t>(b)];
            if (!slot.IsPresent())
                continue;
            total += slot.Length();
            ++banksCounted;
            const BankRecord bank(slot);
            if (slot.Length() < BankRecord::kFixedLength || !bank.ActiveListFits())
                return DumpBadBanks;
            const int entries = bank.ActiveCount();
            for (int k = 0; k < entries; ++k) {
                const int p = bank.ActiveEntry(k);
                if (p > kPatches)
                    return DumpBadPatchRef;
                if (p == 0)
                    continue;
                const RecordSlot& patch = m_patches[static_cast<size_t>(p)];
                if (!patch.IsPresent() || PatchRecord(patch).Number() != p)
                    return DumpBadPatchRef;
            }
        }
    }
    if (banksCounted != bankCount)
        return DumpBankCount;

    int patchesCounted = 0;
    if (patchCount != 0) {
        for (int p = 1; p <= kPatches; ++p) {
            const RecordSlot& slot = m_patches[static_cast<size_t>(p)];
            if (!slot.IsPresent())
                continue;
            total += slot.Length();
            ++patchesCounted;
            const PatchRecord patch(slot);
            const int declared = patch.DeclaredLength();
            if (slot.Length() < PatchRecord::kFixedLength || declared < 0 || declared > slot.Length())
                return DumpBadPatches;
        }
    }
    if (patchesCounted != patchCount)
        return DumpPatchCount;

    if (m_dumpSize != total)
        return DumpLengthError;
    if (2 * GetTransmitLength() + 12 != m_dumpSize)
        return DumpBadTransmitLength;
    return DumpOk;
}

bool SystemDoc::LoadImage(const uint8_t* image, size_t length, bool ask, LoadReport* report,
                          State* beforeRepair) {
    LoadReport ignored;
    LoadReport& outcome = report ? *report : ignored;
    outcome = LoadReport();
    if (!image || length == 0) {
        m_dumpSize = 0;
        outcome.checkCode = CheckIntegrity();
        return true;
    }
    const int parsed = ParseDump(image, length);
    const int checked = CheckIntegrity();
    outcome.checkCode = checked;
    // What the parse ran into is the real problem (a file cut off in the middle checks as a
    // dangling reference, a missing F7 not at all), so the question names it.
    const int code = parsed != DumpOk ? parsed : checked;
    if (code == DumpOk || !ask)
        return true;
    Prompter& prompter = GetPrompter();
    if (code == DumpBadTransmitLength) {
        if (prompter.AskYesNo(
                std::string("This file may not be a valid RIV 10 dump.\nFirst error encountered: ") +
                    DumpErrorText(code) +
                    ".\nYou might experience a crash trying to view it.\n\nAttempt to fix it?",
                "", Prompter::Icon::Stop)) {
            if (beforeRepair)
                *beforeRepair = SaveState();
            outcome.repaired = FixTransmitLength();
        }
        return true;
    }
    return !prompter.AskYesNo(std::string("This file does not appear to be a valid RIV 10 dump.\nFirst error "
                                          "encountered: ") +
                                  DumpErrorText(code) +
                                  ".\nYou may experience a crash trying to view it.\n\nAbort?",
                              "", Prompter::Icon::Stop);
}

bool SystemDoc::FixTransmitLength() {
    Prompter& prompter = GetPrompter();
    int code = CheckIntegrity();
    if (code == DumpOk) {
        prompter.Stop("Nothing to fix.  No changes made.");
        return false;
    }
    if (code != DumpBadTransmitLength) {
        prompter.Stop("Can't fix data: not a transmit length error.  No changes made.");
        return false;
    }
    if (m_dumpSize % 2 != 0) {
        prompter.Stop("Can't fix data: odd data size.  No changes made.");
        return false;
    }
    SetTransmitLength((m_dumpSize - 12) / 2);
    SetModifiedFlag(true);
    code = CheckIntegrity();
    if (code == DumpOk)
        prompter.Info("An attempt was made to fix the data and it appears successful.\n"
                      "However, there is no guarantee that the data is actually usable.\n"
                      "Look thru all patches, banks and sets to verify integrity before saving the changes.\n"
                      "An integrity check will be done again when you save the file.\n"
                      "You will be able to cancel the save if more errors are found.");
    else
        prompter.Info("An attempt was made to fix the data but more errors have been encountered.\n"
                      "This is unusual, contact Orlen.");
    return true;
}
