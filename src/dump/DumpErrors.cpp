#include "dump/DumpErrors.h"

namespace {
const char* const kTexts[] = {
    "No error",
    "Not enough data to even be an empty dump",
    "Missing start of sysex transmission (F0)",
    "Incorrect manufacturer ID byte 0",
    "Incorrect manufacturer ID byte 1",
    "Incorrect manufacturer ID byte 2",
    "Incorrect device ID",
    "Incorrect data header type",
    "Missing end of sysex transmission (F7)",
    "Data transmit length does not match actual data length",
    "Could not properly parse all patches",
    "Did not find expected number of patches",
    "Could not properly parse all banks",
    "Did not find expected number of banks",
    "A bank referenced an invalid patch",
    "Could not properly parse all sets",
    "A set referenced an invalid bank",
    "Could not properly parse system configuration",
    "Actual data length calculation error.",
};
} // namespace

const char* DumpErrorText(int code) {
    if (code < 0 || code >= static_cast<int>(sizeof kTexts / sizeof kTexts[0]))
        return "Unknown error";
    return kTexts[code];
}
