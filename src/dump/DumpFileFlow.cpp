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
                        OpenDetails& details) {
    details = OpenDetails();
    std::vector<uint8_t> bytes;
    if (!files.ReadPrefix(path, SystemDoc::kMaxFileBytes, bytes, details.error))
        return OpenResult::ReadFailed;
    PrompterScope scope(doc, prompter);
    // The document counts as modified while it loads; at the end it stays so only when repaired.
    doc.SetModifiedFlag(true);
    SystemDoc::LoadReport report;
    auto asStored = std::make_unique<SystemDoc::State>();
    const bool loaded = doc.LoadImage(bytes.data(), bytes.size(), ask, &report, asStored.get());
    details.checkCode = report.checkCode;
    details.repaired = report.repaired;
    if (!loaded)
        return OpenResult::Aborted;
    if (report.repaired)
        details.asStored = std::move(asStored);
    doc.SetPathName(path);
    doc.SetModifiedFlag(report.repaired);
    return OpenResult::Opened;
}

OpenResult OpenDumpFile(SystemDoc& doc, const std::string& path, FileOps& files, Prompter& prompter, bool ask,
                        int* checkCode, std::string* error) {
    OpenDetails details;
    const OpenResult result = OpenDumpFile(doc, path, files, prompter, ask, details);
    if (result == OpenResult::ReadFailed) {
        if (error)
            *error = details.error;
    } else if (checkCode) {
        *checkCode = details.checkCode;
    }
    return result;
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
