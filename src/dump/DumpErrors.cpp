#include "dump/DumpErrors.h"

#include "dump/SystemDoc.h"

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

namespace {
// 65520 as "65,520".
std::string Grouped(int value) {
    std::string digits = std::to_string(value);
    for (int at = static_cast<int>(digits.size()) - 3; at > 0 && digits[static_cast<size_t>(at - 1)] != '-';
         at -= 3)
        digits.insert(static_cast<size_t>(at), ",");
    return digits;
}
} // namespace

std::string DumpTooLargeText(int size, bool afterChange) {
    return std::string(afterChange ? "This change would make the dump " : "The dump is ") + Grouped(size) +
           " bytes long.\nThe RIV 10 holds at most " + Grouped(SystemDoc::kMaxFileBytes) + " bytes.";
}
