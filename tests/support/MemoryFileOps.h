#pragma once

#include "dump/FileOps.h"

#include <map>
#include <set>
#include <string>
#include <vector>

// Files in memory, with switches for the failures the flows must survive.
class MemoryFileOps : public FileOps {
public:
    std::map<std::string, std::vector<uint8_t>> files;
    std::set<std::string> readOnly;
    std::vector<std::string> trashed;
    bool failWrites = false;  // the file is made but cannot be written in full
    bool failCreates = false; // no file can be made at all

    bool ReadPrefix(const std::string& path, size_t maxBytes, std::vector<uint8_t>& bytes,
                    std::string& error) override {
        const auto it = files.find(path);
        if (it == files.end()) {
            error = "No such file";
            return false;
        }
        const size_t n = it->second.size() < maxBytes ? it->second.size() : maxBytes;
        bytes.assign(it->second.begin(), it->second.begin() + static_cast<long>(n));
        return true;
    }
    bool IsReadWritable(const std::string& path) override {
        return files.count(path) != 0 && readOnly.count(path) == 0;
    }
    bool MoveToTrash(const std::string& path) override {
        if (files.erase(path) == 0)
            return false;
        trashed.push_back(path);
        return true;
    }
    WriteResult Write(const std::string& path, const std::vector<uint8_t>& bytes,
                      std::string& error) override {
        if (failCreates || readOnly.count(path) != 0) {
            error = "Access denied";
            return WriteResult::NotCreated;
        }
        if (failWrites) {
            error = "Access denied";
            return WriteResult::NotWritten;
        }
        files[path] = bytes;
        return WriteResult::Written;
    }
};
