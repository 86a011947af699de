#pragma once

#include <cstddef>
#include <cstdint>
#include <string>
#include <vector>

// The few file operations the open, save and export flows need, supplied by the caller: the Qt layers
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
    // How a write ended: a file that could not be created at all, or one that could not be
    // written in full, leaves whatever stood at the path before.
    enum class WriteResult { Written, NotCreated, NotWritten };
    // Writes a temporary file and renames it into place, so a failed write leaves the old file.
    virtual WriteResult Write(const std::string& path, const std::vector<uint8_t>& bytes,
                              std::string& error) = 0;
    bool WriteAtomically(const std::string& path, const std::vector<uint8_t>& bytes, std::string& error) {
        return Write(path, bytes, error) == WriteResult::Written;
    }
};
