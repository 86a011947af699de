#include "dump/DumpFileFlow.h"

#include "dump/FileOps.h"
#include "dump/Prompter.h"
#include "dump/SystemDoc.h"

#include <vector>

namespace {
// The document speaks through the flow's prompter for as long as the flow runs.
class PrompterScope {
public:
    PrompterScope(SystemDoc& doc, Prompter& prompter) : m_doc(doc), m_previous(&doc.GetPrompter()) {
        doc.SetPrompter(&prompter);
    }
    ~PrompterScope() { m_doc.SetPrompter(m_previous); }
    PrompterScope(const PrompterScope&) = delete;
    PrompterScope& operator=(const PrompterScope&) = delete;

private:
    SystemDoc& m_doc;
    Prompter* m_previous;
};
} // namespace

OpenResult OpenDumpFile(SystemDoc& doc, const std::string& path, FileOps& files, Prompter& prompter, bool ask,
                        int* checkCode, std::string* error) {
    std::vector<uint8_t> bytes;
    std::string readError;
    if (!files.ReadPrefix(path, SystemDoc::kMaxFileBytes, bytes, readError)) {
        if (error)
            *error = readError;
        return OpenResult::ReadFailed;
    }
    PrompterScope scope(doc, prompter);
    // The document counts as modified while it loads; the clearing at the end is what a repair
    // during the load swallows, so a repaired file opens modified.
    doc.SetModifiedFlag(true);
    if (!doc.LoadImage(bytes.data(), bytes.size(), ask, checkCode))
        return OpenResult::Aborted;
    doc.SetPathName(path);
    doc.SetModifiedFlag(false);
    return OpenResult::Opened;
}

SaveResult SaveDumpFile(SystemDoc& doc, const std::string& path, FileOps& files, Prompter& prompter,
                        bool recycleFiles, std::string* error) {
    // A file the device cannot hold would reopen cut off: it is never written.
    if (doc.DumpSize() > SystemDoc::kMaxFileBytes) {
        if (error)
            *error = DumpTooLargeText(doc.DumpSize(), false);
        return SaveResult::Failed;
    }
    const int code = doc.CheckIntegrity();
    if (code != DumpOk &&
        prompter.AskYesNo(
            std::string("The memory contents have become corrupted.\nFirst error encountered: ") +
                DumpErrorText(code) + ".\nRecommend canceling the save.\n\nCancel save?",
            "", Prompter::Icon::Stop))
        return SaveResult::Cancelled;

    if (recycleFiles && files.IsReadWritable(path))
        files.MoveToTrash(path); // a failure to recycle does not stop the save

    std::string writeError;
    if (!files.WriteAtomically(path, doc.BuildImage(), writeError)) {
        if (error)
            *error = writeError;
        return SaveResult::Failed;
    }
    doc.SetModifiedFlag(false);
    doc.SetPathName(path);
    return SaveResult::Saved;
}
