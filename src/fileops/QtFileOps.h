#pragma once

#include "dump/FileOps.h"

// File operations over Qt: QFile to read, QSaveFile to write (temporary file, then rename), and
// the desktop's trash for recycling.
class QtFileOps : public FileOps {
public:
    bool ReadPrefix(const std::string& path, size_t maxBytes, std::vector<uint8_t>& bytes,
                    std::string& error) override;
    bool IsReadWritable(const std::string& path) override;
    bool MoveToTrash(const std::string& path) override;
    WriteResult Write(const std::string& path, const std::vector<uint8_t>& bytes,
                      std::string& error) override;
};
