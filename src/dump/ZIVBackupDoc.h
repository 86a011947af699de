#pragma once

#include <cstdint>
#include <string>
#include <vector>

class DocListener;

// Update hints passed with every model change.
enum UpdateHint { HintAll = 0, HintPatches = 1, HintBanks = 2, HintSets = 3, HintConfig = 4 };

// The document base: dump size, modified flag, path and title, and the listeners (views and
// frames) that follow it.
class ZIVBackupDoc {
public:
    ZIVBackupDoc() = default;
    ZIVBackupDoc(const ZIVBackupDoc&) = delete;
    ZIVBackupDoc& operator=(const ZIVBackupDoc&) = delete;
    virtual ~ZIVBackupDoc() = default;

    int32_t DumpSize() const { return m_dumpSize; }

    // The model changed since it was made, loaded or saved: the bookkeeping of the model's own
    // users (the command-line tool, the file flows). The editor's modified mark is not this: it
    // follows the document's undo stack.
    bool IsModified() const { return m_modified; }
    void SetModifiedFlag(bool modified = true);
    // The framework's new-document step: forgets the path.
    virtual bool OnNewDocument();

    const std::string& GetPathName() const { return m_pathName; }
    // Records the path and takes its file name as the title.
    void SetPathName(const std::string& path);
    const std::string& GetTitle() const { return m_title; }
    void SetTitle(const std::string& title);

    void AddListener(DocListener* listener);
    void RemoveListener(DocListener* listener);
    void UpdateAllViews(DocListener* sender, int hint);

protected:
    int32_t m_dumpSize = 0;

private:
    bool m_modified = false;
    std::string m_pathName;
    std::string m_title;
    std::vector<DocListener*> m_listeners;
};
