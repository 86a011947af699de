#pragma once

#include <QString>

#include <cstdint>
#include <vector>

class SystemDoc;

// Reading the dump images that Tolvane keeps for itself (backups, recovery files) without any
// question to the user.

// The first 65,520 bytes of the file at `path`, as opening a dump reads them; false with the
// reason in `error` when it cannot be read.
bool ReadDumpImage(const QString& path, std::vector<uint8_t>& image, QString& error);

// Parses `image` into `doc`. False, with the reason in `error`, when it does not read as a dump:
// empty, not a dump of the device at all, or records that do not parse. A dump that parses but
// fails a later integrity check (a wrong transmit length, a bank naming a missing patch) reads.
bool ParseDumpImage(SystemDoc& doc, const std::vector<uint8_t>& image, QString& error);
