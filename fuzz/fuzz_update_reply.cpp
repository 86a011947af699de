// Arbitrary bytes as the web server's reply to the update check: deciding whether the reply is
// complete and what it says must never crash or read past the reply, and always gives a text.
#include "FuzzRequire.h"
#include "app/UpdateReply.h"
#include "app/VersionNumber.h"

#include <cstddef>
#include <cstdint>
#include <string_view>

extern "C" int LLVMFuzzerTestOneInput(const uint8_t* data, size_t size) {
    const std::string_view reply(reinterpret_cast<const char*>(data), size);
    (void)UpdateReply::IsComplete(reply);
    for (const VersionNumber& own : {VersionNumber(0, 0, 0, 0), VersionNumber(2, 1, 0, 7)}) {
        const UpdateReply::Verdict verdict = UpdateReply::Evaluate(reply, own);
        Require(!verdict.text.empty());
    }
    // A release number that reads reads back the same.
    if (const auto version = VersionNumber::Parse(reply))
        Require(VersionNumber::Parse(version->ToString()) == version);
    return 0;
}
