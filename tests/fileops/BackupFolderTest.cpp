// The backups folder: names in UTC with their kind, and pruning that removes only what Tolvane
// wrote, oldest first, never the backup just written.
#include "fileops/BackupFolder.h"

#include "FileKit.h"

#include <gtest/gtest.h>

#include <QDir>
#include <QFileInfo>
#include <QTemporaryDir>
#include <QTimeZone>

#include <string>
#include <vector>

namespace {

using Kind = BackupFolder::Kind;

const QDateTime kBase(QDate(2021, 3, 14), QTime(20, 0), QTimeZone::utc());

struct Existing {
    std::string name;      // a trailing '/' makes a folder
    int minutesBefore = 0; // its file time, before kBase
};

struct PruneCase {
    const char* what;
    std::vector<Existing> existing;
    Kind kind;
    QDateTime when;
    int keep;
    std::string written;
    std::vector<std::string> removed;
    std::vector<std::string> backupsAfter; // oldest first
};

void PrintTo(const PruneCase& c, std::ostream* os) {
    *os << c.what;
}

class BackupPruning : public ::testing::TestWithParam<PruneCase> {};

TEST_P(BackupPruning, RemovesOnlyTheOldestOfOurOwnAndNeverTheNewOne) {
    const PruneCase& c = GetParam();
    QTemporaryDir dir;
    const QDir folder(dir.path());
    for (const Existing& e : c.existing) {
        const QString name = QString::fromStdString(e.name);
        if (name.endsWith(QLatin1Char('/')))
            ASSERT_TRUE(folder.mkpath(name));
        else
            ASSERT_TRUE(
                filekit::Write(folder.filePath(name), {0xF0, 0xF7}, kBase.addSecs(-60 * e.minutesBefore)));
    }
    const filekit::Bytes bytes = {0xF0, 0x01, 0x02, 0xF7};
    QString error;
    const QString path = BackupFolder(dir.path()).Write(bytes, c.kind, c.when, c.keep, error);
    ASSERT_FALSE(path.isEmpty()) << error.toStdString();
    EXPECT_EQ(QFileInfo(path).fileName().toStdString(), c.written);
    EXPECT_EQ(filekit::Read(path), bytes);

    for (const Existing& e : c.existing) {
        const bool gone = std::find(c.removed.begin(), c.removed.end(), e.name) != c.removed.end();
        EXPECT_EQ(QFileInfo::exists(folder.filePath(QString::fromStdString(e.name))), !gone) << e.name;
    }
    std::vector<std::string> after;
    for (const QString& name : BackupFolder(dir.path()).Backups())
        after.push_back(name.toStdString());
    EXPECT_EQ(after, c.backupsAfter);
}

// Daylight saving ends at 03:00 CEST (01:00 UTC) on 2026-10-25: 02:30 CEST comes before 02:15 CET.
const QDateTime kAfterFallBack(QDate(2026, 10, 25), QTime(2, 15), QTimeZone(3600));

INSTANTIATE_TEST_SUITE_P(
    Cases, BackupPruning,
    ::testing::Values(
        PruneCase{"daylight saving ends: the hour that repeats is told apart in UTC",
                  {{"2026-10-24_233000_download.syx", 0}, {"2026-10-25_003000_download.syx", 0}},
                  Kind::Download,
                  kAfterFallBack,
                  2,
                  "2026-10-25_011500_download.syx",
                  {"2026-10-24_233000_download.syx"},
                  {"2026-10-25_003000_download.syx", "2026-10-25_011500_download.syx"}},
        PruneCase{"local names in the hour that repeats go by file time",
                  {{"2026-10-25_023000.syx", 60}, {"2026-10-25_021500.syx", 30}},
                  Kind::Download,
                  kBase,
                  2,
                  "2021-03-14_200000_download.syx",
                  {"2026-10-25_023000.syx"},
                  {"2026-10-25_021500.syx", "2021-03-14_200000_download.syx"}},
        PruneCase{"clock set back: the new backup stays though its stamp is the oldest; both kinds count",
                  {{"2021-03-14_200000_upload.syx", 0}, {"2021-03-14_210000_download.syx", 0}},
                  Kind::Download,
                  kBase.addSecs(-3600),
                  2,
                  "2021-03-14_190000_download.syx",
                  {"2021-03-14_200000_upload.syx"},
                  {"2021-03-14_190000_download.syx", "2021-03-14_210000_download.syx"}},
        PruneCase{"same second: numbered in the order written",
                  {{"2021-03-14_200000_download.syx", 2}, {"2021-03-14_200000-2_download.syx", 1}},
                  Kind::Download,
                  kBase,
                  2,
                  "2021-03-14_200000-3_download.syx",
                  {"2021-03-14_200000_download.syx"},
                  {"2021-03-14_200000-2_download.syx", "2021-03-14_200000-3_download.syx"}},
        PruneCase{"a download and an upload of the same second do not collide",
                  {{"2021-03-14_200000_download.syx", 0}},
                  Kind::Upload,
                  kBase,
                  5,
                  "2021-03-14_200000_upload.syx",
                  {},
                  {"2021-03-14_200000_download.syx", "2021-03-14_200000_upload.syx"}},
        PruneCase{"foreign files are never counted or removed",
                  {{"mine.syx", 900},
                   {"2021-03-14_100000.syx.bak", 900},
                   {"notes.txt", 900},
                   {"2026-13-40_100000_download.syx", 900},
                   {"2021-03-14_100000_backup.syx", 900},
                   {"2021-03-14_100000_download.SYX", 900},
                   {"2021-03-14_090000_download.syx/", 0},
                   {"2021-03-14_110000_download.syx", 0}},
                  Kind::Download,
                  kBase,
                  1,
                  "2021-03-14_200000_download.syx",
                  {"2021-03-14_110000_download.syx"},
                  {"2021-03-14_200000_download.syx"}},
        PruneCase{
            "local names go by file time, not by name",
            {{"2021-03-14_201502.syx", 30}, {"2021-03-14_201502-2.syx", 20}, {"2025-02-07_201502.syx", 10}},
            Kind::Download,
            kBase,
            2,
            "2021-03-14_200000_download.syx",
            {"2021-03-14_201502.syx", "2021-03-14_201502-2.syx"},
            {"2025-02-07_201502.syx", "2021-03-14_200000_download.syx"}}));

} // namespace
