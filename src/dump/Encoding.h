#pragma once

#include <cstddef>
#include <cstdint>
#include <string>

// The value encodings of the system dump. Every value between the F0 and the F7 travels as
// MIDI data bytes (0-127); wider values are split into byte pairs and word quads.
//
// All readers take the record's bytes and its length and return `fallback` when the field does
// not fit inside the record, so no caller can read outside a record however malformed it is.

// Byte pair: first x 128 + second, deliberately unmasked (a first byte of 2 reads as 256 + ...),
// so that the range checks of the integrity check catch malformed pairs.
int ReadBytePair(const uint8_t* p);
void WriteBytePair(uint8_t* p, int value);

// Word quad: two byte pairs, high byte first; each half is truncated to 8 bits, so the result
// is always 0-65535.
int ReadWordQuad(const uint8_t* p);
void WriteWordQuad(uint8_t* p, int value);

// Bounds-checked forms for records whose length comes from outside.
int ReadBytePairAt(const uint8_t* data, int length, int offset, int fallback = -1);
int ReadWordQuadAt(const uint8_t* data, int length, int offset, int fallback = -1);

// Name field: 15 characters as 15 byte pairs (30 bytes).
constexpr int kNameFieldSize = 30;
constexpr int kNameLength = 15;
extern const char* const kBadDataName; // "** BAD DATA **"

// The text shown for a name field of `size` bytes (normally 30).
std::string DecodeName(const uint8_t* field, int size = kNameFieldSize);

// Enumerations of the patch mode byte and their display names. Name functions give empty text
// for values outside the table; value functions give 0 for unknown text (case-sensitive).
std::string ChannelSwitchName(int value);
int ChannelSwitchValue(const std::string& text);
std::string PedalTypeName(int value);
int PedalTypeValue(const std::string& text);
std::string GlobalCCName(int value);
int GlobalCCValue(const std::string& text);
std::string GlobalCCIndexName(int index);
