#pragma once

// The first integrity error of a dump.
enum DumpError {
    DumpOk = 0,
    DumpTooShort = 1,
    DumpNoStart = 2,
    DumpBadManufacturer0 = 3,
    DumpBadManufacturer1 = 4,
    DumpBadManufacturer2 = 5,
    DumpBadDeviceId = 6,
    DumpBadHeaderType = 7,
    DumpNoEnd = 8,
    DumpBadTransmitLength = 9,
    DumpBadPatches = 10,
    DumpPatchCount = 11,
    DumpBadBanks = 12,
    DumpBankCount = 13,
    DumpBadPatchRef = 14,
    DumpBadSets = 15,
    DumpBadBankRef = 16,
    DumpBadConfig = 17,
    DumpLengthError = 18,
};

#include <string>

// The static text of a code; "Unknown error" for any other value.
const char* DumpErrorText(int code);

// Why a dump of `size` bytes is refused: larger than the device holds (65,520 bytes). With
// `afterChange` the text speaks of the size an edit would make.
std::string DumpTooLargeText(int size, bool afterChange);
