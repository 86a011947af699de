// The device's history read from a backups folder.
#include "fileops/DeviceHistory.h"

#include "FileKit.h"
#include "support/DumpBuilder.h"

#include <gtest/gtest.h>

#include <QDir>
#include <QTemporaryDir>
#include <QTimeZone>

namespace {

testdump::Dump Rig() {
    testdump::Dump d;
    d.patches = {testdump::NamedPatch(1, "ONE"), testdump::NamedPatch(2, "TWO"),
                 testdump::NamedPatch(3, "THREE"), testdump::NamedPatch(4, "FOUR")};
    d.banks = {testdump::NamedBank(1, "FIRST"), testdump::NamedBank(2, "SECOND")};
    return d;
}

struct Line {
    QDateTime time;
    const char* kind;
    std::string contents;
    const char* changes;
    int previous;
};

TEST(DeviceHistory, ListsEveryBackupNewestFirstWithWhatChangedSinceTheOneBefore) {
    QTemporaryDir dir;
    const QDir folder(dir.path());
    const QDateTime at(QDate(2026, 3, 14), QTime(19, 0), QTimeZone::utc());
    testdump::Dump edited = Rig();
    edited.patches[0] = testdump::NamedPatch(1, "UNO");
    edited.patches[1] = testdump::NamedPatch(2, "DOS");
    edited.patches[3] = testdump::NamedPatch(4, "CUATRO");
    edited.banks[1] = testdump::NamedBank(2, "SEGUNDO");
    testdump::Dump grown = edited;
    grown.patches.push_back(testdump::NamedPatch(5, "FIVE"));
    grown.sets[0] = {1};

    // A download from before names carried UTC, dated by its file time.
    ASSERT_TRUE(filekit::Write(folder.filePath("2026-03-14_191502.syx"), Rig().Build(), at));
    ASSERT_TRUE(filekit::Write(folder.filePath("2026-03-14_200000_upload.syx"), edited.Build()));
    ASSERT_TRUE(filekit::Write(folder.filePath("2026-03-14_203000_download.syx"), {0xF0, 0x01, 0x02}));
    ASSERT_TRUE(filekit::Write(folder.filePath("2026-03-14_210000_download.syx"), edited.Build()));
    ASSERT_TRUE(filekit::Write(folder.filePath("2026-03-14_220000_upload.syx"), grown.Build()));
    ASSERT_TRUE(filekit::Write(folder.filePath("notes.syx"), Rig().Build()));

    const DeviceHistory history{BackupFolder(dir.path())};
    const std::vector<Line> expected = {
        {at.addSecs(3 * 3600), "Upload", "5 patches, 2 banks",
         "1 patch, 1 set, configuration, header changed", 1},
        // Counted against the upload before the file that does not read.
        {at.addSecs(2 * 3600), "Download", "4 patches, 2 banks", "no changes", 3},
        {at.addSecs(5400), "Download", "does not read as a dump: Could not properly parse all sets", "", -1},
        {at.addSecs(3600), "Upload", "4 patches, 2 banks", "3 patches, 1 bank changed", 4},
        {at, "Download", "4 patches, 2 banks", "no backup before it", -1},
    };
    const auto& entries = history.Entries();
    ASSERT_EQ(entries.size(), expected.size());
    for (size_t i = 0; i < expected.size(); ++i) {
        SCOPED_TRACE(i);
        const DeviceHistory::Entry& e = entries[i];
        EXPECT_EQ(e.time, expected[i].time);
        EXPECT_EQ(e.TimeText(), expected[i].time.toLocalTime().toString("yyyy-MM-dd HH:mm:ss"));
        EXPECT_EQ(e.KindText(), QString::fromLatin1(expected[i].kind));
        EXPECT_EQ(e.ContentsText().toStdString(), expected[i].contents);
        EXPECT_EQ(e.ChangesText(), QString::fromLatin1(expected[i].changes));
        EXPECT_EQ(e.previous, expected[i].previous);
        EXPECT_EQ(e.path, folder.filePath(e.name));
    }
}

} // namespace
