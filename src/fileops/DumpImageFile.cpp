#include "fileops/DumpImageFile.h"

#include "dump/DumpErrors.h"
#include "dump/SystemDoc.h"
#include "fileops/QtFileOps.h"

bool ReadDumpImage(const QString& path, std::vector<uint8_t>& image, QString& error) {
    QtFileOps files;
    std::string reason;
    if (files.ReadPrefix(path.toStdString(), SystemDoc::kMaxFileBytes, image, reason))
        return true;
    error = QString::fromStdString(reason);
    return false;
}

bool ParseDumpImage(SystemDoc& doc, const std::vector<uint8_t>& image, QString& error) {
    if (image.empty()) {
        doc.ParseDump(image);
        error = QStringLiteral("the file is empty");
        return false;
    }
    int code = doc.ParseDump(image);
    if (code == DumpOk) {
        // The header and the size say whether this is a dump of the device at all.
        const int check = doc.CheckIntegrity();
        if (check >= DumpTooShort && check <= DumpBadHeaderType)
            code = check;
    }
    if (code == DumpOk)
        return true;
    error = QString::fromLatin1(DumpErrorText(code));
    return false;
}
