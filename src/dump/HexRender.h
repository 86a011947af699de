#pragma once

#include <cstddef>
#include <cstdint>
#include <string>

// The hex listing of a dump image as the hex window shows it: 8 bytes a line with the character
// column, 16 without; optional "%04hX: " offsets; lines ended by CR LF. Bytes 0x10 and up appear
// raw in the character column (8-bit text), only 0x00-0x0F become ".".
std::string RenderHexDump(const uint8_t* bytes, size_t count, bool showAscii, bool showOffset);
