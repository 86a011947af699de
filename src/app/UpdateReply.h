#pragma once

#include "app/VersionNumber.h"
#include "dump/Prompter.h"

#include <string>
#include <string_view>

// What the update check tells the user, worked out from the bytes the web server sent (no
// sockets here, so every answer can be tried directly). All texts are the exact message texts.
class UpdateReply {
public:
    // The most of a response that is looked at; anything beyond is never read.
    static constexpr size_t kMaxResponse = 2046;

    enum class Outcome {
        Latest,           // the same release as the server's
        NewerAvailable,   // the server has a later release: ask to open the download page
        NewerThanRelease, // this program is later than the general release
        NotAvailable,     // empty answer, lost connection or no answer in time
        LookupFailed,     // the host name could not be resolved
        SocketFailed,     // no socket could be made
        ConnectFailed,    // refused, unreachable or no connection in time
        RequestFailed,    // the request could not be sent
        BadResponse,      // not a success status with a dotted release number as the body
    };

    struct Verdict {
        Outcome outcome = Outcome::NotAvailable;
        Prompter::Icon icon = Prompter::Icon::Stop;
        std::string text;
    };

    // True once enough has arrived to answer without waiting for the server to close: the cap
    // is reached, or the headers are complete and the body has its announced Content-Length.
    static bool IsComplete(std::string_view received);

    // The answer for a finished response: the received bytes up to the first zero byte, the
    // body after the first blank line, which must be a release number "a.b.c.d".
    static Verdict Evaluate(std::string_view received, const VersionNumber& own);

    static Verdict LookupFailed();
    static Verdict SocketFailed(int code);
    static Verdict ConnectFailed(int code);
    static Verdict RequestFailed();
    static Verdict NotAvailable();
};
