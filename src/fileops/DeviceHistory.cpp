#include "fileops/DeviceHistory.h"

#include "dump/DumpComparison.h"
#include "dump/SystemDoc.h"
#include "fileops/DumpImageFile.h"

#include <QDir>
#include <QStringList>

#include <algorithm>
#include <memory>
#include <set>
#include <utility>

namespace {
QString Counted(int count, const char* one, const char* many) {
    return QStringLiteral("%1 %2").arg(count).arg(QLatin1String(count == 1 ? one : many));
}

void CountChanges(const DumpComparison& comparison, DeviceHistory::Entry& entry) {
    std::set<std::pair<int, int>> records;
    for (const DumpComparison::Difference& d : comparison.Differences()) {
        if (!records.insert({static_cast<int>(d.record), d.number}).second)
            continue;
        switch (d.record) {
        case DumpComparison::Record::Header:
            entry.headerChanged = true;
            break;
        case DumpComparison::Record::Configuration:
            entry.configurationChanged = true;
            break;
        case DumpComparison::Record::Set:
            ++entry.changedSets;
            break;
        case DumpComparison::Record::Bank:
            ++entry.changedBanks;
            break;
        case DumpComparison::Record::Patch:
            ++entry.changedPatches;
            break;
        }
    }
}
} // namespace

QString DeviceHistory::Entry::TimeText() const {
    return time.toLocalTime().toString(QStringLiteral("yyyy-MM-dd HH:mm:ss"));
}

QString DeviceHistory::Entry::KindText() const {
    return kind == BackupFolder::Kind::Upload ? QStringLiteral("Upload") : QStringLiteral("Download");
}

QString DeviceHistory::Entry::ContentsText() const {
    if (!readable)
        return QStringLiteral("does not read as a dump: %1").arg(problem);
    return Counted(patches, "patch", "patches") + QStringLiteral(", ") + Counted(banks, "bank", "banks");
}

QString DeviceHistory::Entry::ChangesText() const {
    if (!readable)
        return {};
    if (previous < 0)
        return QStringLiteral("no backup before it");
    QStringList parts;
    if (changedPatches > 0)
        parts << Counted(changedPatches, "patch", "patches");
    if (changedBanks > 0)
        parts << Counted(changedBanks, "bank", "banks");
    if (changedSets > 0)
        parts << Counted(changedSets, "set", "sets");
    if (configurationChanged)
        parts << QStringLiteral("configuration");
    if (headerChanged)
        parts << QStringLiteral("header");
    if (parts.isEmpty())
        return QStringLiteral("no changes");
    return parts.join(QStringLiteral(", ")) + QStringLiteral(" changed");
}

DeviceHistory::DeviceHistory(const BackupFolder& folder) : m_path(folder.Path()) {
    const std::vector<BackupFolder::Backup> backups = folder.List();
    const QDir dir(m_path);
    m_entries.reserve(backups.size());
    // Oldest first, so that each dump is compared with the last one that read before it.
    std::unique_ptr<SystemDoc> before;
    int beforeIndex = -1;
    for (const BackupFolder::Backup& backup : backups) {
        Entry entry;
        entry.path = dir.filePath(backup.name);
        entry.name = backup.name;
        entry.kind = backup.kind;
        entry.time = backup.time;
        auto doc = std::make_unique<SystemDoc>();
        std::vector<uint8_t> image;
        entry.readable =
            ReadDumpImage(entry.path, image, entry.problem) && ParseDumpImage(*doc, image, entry.problem);
        if (entry.readable) {
            for (int b = 1; b <= SystemDoc::kBanks; ++b)
                entry.banks += doc->HasBank(b) ? 1 : 0;
            for (int p = 1; p <= SystemDoc::kPatches; ++p)
                entry.patches += doc->HasPatch(p) ? 1 : 0;
            if (before) {
                CountChanges(DumpComparison(*before, *doc), entry);
                entry.previous = beforeIndex;
            }
            before = std::move(doc);
            beforeIndex = static_cast<int>(m_entries.size());
        }
        m_entries.push_back(std::move(entry));
    }
    // Newest first; the indices of the backups before turn around with the list.
    std::reverse(m_entries.begin(), m_entries.end());
    const int last = static_cast<int>(m_entries.size()) - 1;
    for (Entry& entry : m_entries)
        if (entry.previous >= 0)
            entry.previous = last - entry.previous;
}
