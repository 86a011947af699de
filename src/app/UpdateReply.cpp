#include "app/UpdateReply.h"

#include <optional>

namespace {

constexpr std::string_view kHeaderEnd = "\r\n\r\n";

using Icon = Prompter::Icon;
using Verdict = UpdateReply::Verdict;
using Outcome = UpdateReply::Outcome;

bool IsDigit(char c) {
    return c >= '0' && c <= '9';
}

char Lower(char c) {
    return (c >= 'A' && c <= 'Z') ? static_cast<char>(c - 'A' + 'a') : c;
}

bool EqualsIgnoringCase(std::string_view a, std::string_view b) {
    if (a.size() != b.size())
        return false;
    for (size_t i = 0; i < a.size(); ++i) {
        if (Lower(a[i]) != Lower(b[i]))
            return false;
    }
    return true;
}

std::string_view Trim(std::string_view text) {
    while (!text.empty() && (text.front() == ' ' || text.front() == '\t'))
        text.remove_prefix(1);
    while (!text.empty() && (text.back() == ' ' || text.back() == '\t'))
        text.remove_suffix(1);
    return text;
}

// The response as the user sees it: what came before any zero byte, at most the cap.
std::string_view Visible(std::string_view received) {
    received = received.substr(0, UpdateReply::kMaxResponse);
    const size_t zero = received.find('\0');
    return zero == std::string_view::npos ? received : received.substr(0, zero);
}

// Servers send bytes, not UTF-8; show each byte as the character of the same number.
std::string Latin1ToUtf8(std::string_view bytes) {
    std::string text;
    text.reserve(bytes.size());
    for (const char c : bytes) {
        const auto byte = static_cast<unsigned char>(c);
        if (byte < 0x80) {
            text += c;
        } else {
            text += static_cast<char>(0xC0 | (byte >> 6));
            text += static_cast<char>(0x80 | (byte & 0x3F));
        }
    }
    return text;
}

// "HTTP/x.y 2nn ..." only; an error page must not pass for a release number.
bool IsSuccessStatus(std::string_view statusLine) {
    if (statusLine.substr(0, 5) != "HTTP/")
        return false;
    const size_t space = statusLine.find(' ');
    if (space == std::string_view::npos || statusLine.size() < space + 4)
        return false;
    const std::string_view code = statusLine.substr(space + 1, 3);
    if (!IsDigit(code[0]) || !IsDigit(code[1]) || !IsDigit(code[2]))
        return false;
    if (statusLine.size() > space + 4 && statusLine[space + 4] != ' ')
        return false;
    return code[0] == '2';
}

std::optional<size_t> ContentLength(std::string_view head) {
    size_t lineStart = head.find("\r\n");
    while (lineStart != std::string_view::npos) {
        lineStart += 2;
        const size_t lineEnd = head.find("\r\n", lineStart);
        const std::string_view line = head.substr(
            lineStart, lineEnd == std::string_view::npos ? std::string_view::npos : lineEnd - lineStart);
        const size_t colon = line.find(':');
        if (colon != std::string_view::npos &&
            EqualsIgnoringCase(Trim(line.substr(0, colon)), "content-length")) {
            const std::string_view value = Trim(line.substr(colon + 1));
            if (value.empty() || value.size() > 9)
                return std::nullopt;
            size_t length = 0;
            for (const char c : value) {
                if (!IsDigit(c))
                    return std::nullopt;
                length = length * 10 + static_cast<size_t>(c - '0');
            }
            return length;
        }
        lineStart = lineEnd;
    }
    return std::nullopt;
}

Verdict BadResponse(std::string_view visible) {
    return {Outcome::BadResponse, Icon::Stop,
            "An error occurred retrieving the current version.\nThe server returned \"" +
                Latin1ToUtf8(visible) + "\"."};
}

} // namespace

bool UpdateReply::IsComplete(std::string_view received) {
    if (received.size() >= kMaxResponse)
        return true;
    const size_t headerEnd = received.find(kHeaderEnd);
    if (headerEnd == std::string_view::npos)
        return false;
    const std::optional<size_t> length = ContentLength(received.substr(0, headerEnd));
    return length && received.size() - headerEnd - kHeaderEnd.size() >= *length;
}

UpdateReply::Verdict UpdateReply::Evaluate(std::string_view received, const VersionNumber& own) {
    const std::string_view visible = Visible(received);
    const size_t headerEnd = visible.find(kHeaderEnd);
    if (headerEnd == std::string_view::npos)
        return BadResponse(visible);
    const size_t statusEnd = visible.find("\r\n");
    if (!IsSuccessStatus(visible.substr(0, statusEnd)))
        return BadResponse(visible);
    const std::string_view body = visible.substr(headerEnd + kHeaderEnd.size());
    for (const char c : body) {
        if (!IsDigit(c) && c != '.')
            return BadResponse(visible);
    }
    if (body.empty())
        return NotAvailable();
    const std::optional<VersionNumber> server = VersionNumber::Parse(body);
    if (!server)
        return BadResponse(visible);

    const std::string serverText(body);
    const int order = own.Compare(*server);
    if (order == 0)
        return {Outcome::Latest, Icon::Information,
                "You have the lastest version of Tolvane (" + serverText + ")."};
    if (order < 0)
        return {Outcome::NewerAvailable, Icon::Question,
                "A more recent version (" + serverText +
                    ") of Tolvane is available.\n\nWould you like to download it now?"};
    return {Outcome::NewerThanRelease, Icon::Exclamation,
            "You have a version of Tolvane that is newer than the general release (" + serverText + ")."};
}

UpdateReply::Verdict UpdateReply::LookupFailed() {
    return {Outcome::LookupFailed, Icon::Stop,
            "IP address lookup failed.\nIf you have a dialup internet connection, please establish it and "
            "then try "
            "again."};
}

UpdateReply::Verdict UpdateReply::SocketFailed(int code) {
    return {Outcome::SocketFailed, Icon::Stop,
            "Unable to connect to website.\nSocket creation error (" + std::to_string(code) + ")."};
}

UpdateReply::Verdict UpdateReply::ConnectFailed(int code) {
    return {Outcome::ConnectFailed, Icon::Stop,
            "Unable to connect to website.\nConnection error (" + std::to_string(code) +
                ").\nIf you have a dialup internet connection, please establish it and then try again."};
}

UpdateReply::Verdict UpdateReply::RequestFailed() {
    return {Outcome::RequestFailed, Icon::Stop, "An error occurred while requesting the current version."};
}

UpdateReply::Verdict UpdateReply::NotAvailable() {
    return {Outcome::NotAvailable, Icon::Stop, "Current version information was not available."};
}
