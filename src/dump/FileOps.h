#pragma once

#include <cstddef>
#include <cstdint>
#include <string>
#include <vector>

// The few file operations the open and save flows need, supplied by the caller: the Qt layers
// use QFile, QSaveFile and the trash; tests use memory.
class FileOps {
public:
    virtual ~FileOps() = default;
    // Reads at most `maxBytes` from the start of the file.
    virtual bool ReadPrefix(const std::string& path, size_t maxBytes, std::vector<uint8_t>& bytes,
                            std::string& error) = 0;
    // An existing regular file that may be read and written.
    virtual bool IsReadWritable(const std::string& path) = 0;
    virtual bool MoveToTrash(const std::string& path) = 0;
    // Writes a temporary file and renames it into place, so a failed write leaves the old file.
    virtual bool WriteAtomically(const std::string& path, const std::vector<uint8_t>& bytes,
                                 std::string& error) = 0;
};
