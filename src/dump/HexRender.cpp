#include "dump/HexRender.h"

namespace {
const char kDigits[] = "0123456789ABCDEF";

void AppendHexByte(std::string& out, uint8_t byte) {
    out += kDigits[byte >> 4];
    out += kDigits[byte & 0x0F];
    out += ' ';
}

char ShownChar(uint8_t byte) {
    return byte < 0x10 ? '.' : static_cast<char>(byte);
}
} // namespace

std::string RenderHexDump(const uint8_t* bytes, size_t count, bool showAscii, bool showOffset) {
    std::string out;
    if (!bytes || count == 0)
        return out;
    const size_t perLine = showAscii ? 8 : 16;
    out.reserve((count / perLine + 1) * 56);
    for (size_t start = 0; start < count; start += perLine) {
        const size_t n = count - start < perLine ? count - start : perLine;
        if (showOffset) {
            const unsigned offset = static_cast<unsigned>(start) & 0xFFFF;
            out += kDigits[(offset >> 12) & 0x0F];
            out += kDigits[(offset >> 8) & 0x0F];
            out += kDigits[(offset >> 4) & 0x0F];
            out += kDigits[offset & 0x0F];
            out += ": ";
        }
        for (size_t i = 0; i < n; ++i)
            AppendHexByte(out, bytes[start + i]);
        if (n == perLine) {
            if (showAscii) {
                out += " |  ";
                for (size_t i = 0; i < n; ++i) {
                    out += ShownChar(bytes[start + i]);
                    if (i + 1 < n)
                        out += ' ';
                }
            }
            out += "\r\n";
        } else {
            // The short last line is padded so its character column lines up.
            out.append((perLine - n) * 3, ' ');
            if (showAscii) {
                out += " |  ";
                for (size_t i = 0; i < n; ++i) {
                    out += ShownChar(bytes[start + i]);
                    out += ' ';
                }
            } else {
                out += "\r\n";
            }
        }
    }
    return out;
}
