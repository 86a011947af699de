// The recovery files: who owns them, what comes back after a crash, what is set aside, and the
// keeper's writes.
#include "fileops/RecoveryKeeper.h"
#include "fileops/RecoveryStore.h"

#include "FileKit.h"
#include "support/DumpBuilder.h"

#include <gtest/gtest.h>

#include <QDir>
#include <QFileInfo>
#include <QSignalSpy>
#include <QSysInfo>
#include <QTemporaryDir>
#include <QTest>

#include <memory>

namespace {

using filekit::Bytes;
using Snapshot = RecoveryKeeper::Snapshot;

Bytes Image(const std::string& patchName) {
    testdump::Dump d;
    testdump::Patch p;
    p.name = patchName;
    d.patches = {testdump::MakePatch(p)};
    return d.Build();
}

Bytes WithStart(Bytes image, uint8_t start) {
    image[0] = start;
    return image;
}

// Writes one entry through a keeper, as an open document would, and waits until it is on disk.
QString Keep(RecoveryStore& store, const Snapshot& snapshot) {
    RecoveryKeeper keeper(store, [snapshot] { return snapshot; });
    keeper.Changed();
    keeper.Flush();
    EXPECT_TRUE(store.WaitForWrites());
    return keeper.Stem();
}

QStringList Files(const QString& folder) {
    return QDir(folder).entryList(QDir::Files, QDir::Name);
}

std::vector<QString> Titles(const RecoveryStore::Orphans& orphans) {
    std::vector<QString> titles;
    for (const auto& e : orphans.entries)
        titles.push_back(e.description.title);
    return titles;
}

class Recovery : public ::testing::Test {
protected:
    // A store of a new instance on the test folder, open.
    std::unique_ptr<RecoveryStore> Start() {
        auto store = std::make_unique<RecoveryStore>(dir.path());
        QString error;
        EXPECT_TRUE(store->Open(error)) << error.toStdString();
        return store;
    }
    // An instance that writes entries and dies without removing them; returns its instance.
    QString Crash(const std::vector<Snapshot>& documents) {
        auto store = Start();
        for (const Snapshot& s : documents)
            Keep(*store, s);
        return store->Instance(); // the lock goes with the store, the files stay
    }
    QString LockOf(const QString& instance) const { return QDir(dir.path()).filePath(instance + ".lock"); }

    QTemporaryDir dir;
};

TEST_F(Recovery, AfterACrashTheDocumentsComeBackAsTheyWere) {
    const Bytes first = Image("FIRST");
    const Bytes second = Image("SECOND");
    const QDateTime before = QDateTime::currentDateTimeUtc();
    Crash({{first, "/home/me/rig.syx", "rig.syx"}, {second, "", "Untitled:2"}});
    const QDateTime after = QDateTime::currentDateTimeUtc();

    auto store = Start();
    RecoveryStore::Orphans orphans = store->ClaimOrphans();
    ASSERT_EQ(orphans.entries.size(), 2u);
    EXPECT_TRUE(orphans.setAside.empty());
    const RecoveryStore::Entry& rig = orphans.entries[0];
    EXPECT_EQ(rig.image, first);
    EXPECT_EQ(rig.description.path, "/home/me/rig.syx");
    EXPECT_EQ(rig.description.title, "rig.syx");
    EXPECT_TRUE(rig.description.changed >= before.addMSecs(-1) && rig.description.changed <= after);
    EXPECT_EQ(orphans.entries[1].image, second);
    EXPECT_TRUE(orphans.entries[1].description.path.isEmpty());

    // Recovered: the entry becomes this instance's, so nothing else offers it while it lives.
    const QString adopted = store->Adopt(rig);
    store->DiscardClaimed(); // the other one
    EXPECT_EQ(filekit::Read(store->ImagePath(adopted)), first);
    EXPECT_FALSE(QFileInfo::exists(store->ImagePath(rig.stem)));
    EXPECT_FALSE(QFileInfo::exists(store->ImagePath(orphans.entries[1].stem)));
    EXPECT_TRUE(Start()->ClaimOrphans().entries.empty());

    // A normal exit leaves only the lock, which goes with the store.
    store->RemoveAll();
    ASSERT_TRUE(store->WaitForWrites());
    EXPECT_EQ(Files(dir.path()), QStringList{store->Instance() + ".lock"});
    store.reset();
    EXPECT_TRUE(Files(dir.path()).isEmpty());
}

TEST_F(Recovery, CancelKeepsTheFilesForTheNextStart) {
    Crash({{Image("A"), "", "Untitled:1"}});
    auto first = Start();
    ASSERT_EQ(first->ClaimOrphans().entries.size(), 1u);
    // Claimed: a second instance starting meanwhile does not offer them too.
    EXPECT_TRUE(Start()->ClaimOrphans().entries.empty());
    first->ReleaseClaims();
    EXPECT_EQ(Titles(Start()->ClaimOrphans()), std::vector<QString>{"Untitled:1"});
}

enum class Owner { Live, DeadProcess, NoLock, UnnamedOld, UnnamedNew };

struct OwnerCase {
    const char* what;
    Owner owner;
    bool offered;
};

void PrintTo(const OwnerCase& c, std::ostream* os) {
    *os << c.what;
}

class RecoveryOwners : public Recovery, public ::testing::WithParamInterface<OwnerCase> {};

TEST_P(RecoveryOwners, OnlyFilesNoRunningInstanceOwnsAreOffered) {
    const OwnerCase& c = GetParam();
    std::unique_ptr<RecoveryStore> live;
    if (c.owner == Owner::Live) {
        live = Start();
        Keep(*live, {Image("LIVE"), "", "Untitled:1"});
    } else {
        const QString lock = LockOf(Crash({{Image("GONE"), "", "Untitled:1"}}));
        // A pid that no process can have, on this machine.
        const QByteArray dead = "2147483000\ntolvane\n" + QSysInfo::machineHostName().toUtf8() + "\n";
        const QDateTime made = QDateTime::currentDateTime().addSecs(c.owner == Owner::UnnamedOld ? -120 : 0);
        if (c.owner == Owner::DeadProcess) {
            ASSERT_TRUE(filekit::Write(lock, Bytes(dead.begin(), dead.end())));
        } else if (c.owner == Owner::UnnamedOld || c.owner == Owner::UnnamedNew) {
            ASSERT_TRUE(filekit::Write(lock, {}, made));
        }
    }
    auto store = Start();
    EXPECT_EQ(store->ClaimOrphans().entries.size(), c.offered ? 1u : 0u);
    // Nothing offered is nothing touched.
    EXPECT_EQ(Files(dir.path()).filter(".syx").size(), 1);
}

INSTANTIATE_TEST_SUITE_P(Cases, RecoveryOwners,
                         ::testing::Values(OwnerCase{"a running instance", Owner::Live, false},
                                           OwnerCase{"the lock of a dead process", Owner::DeadProcess, true},
                                           OwnerCase{"no lock left", Owner::NoLock, true},
                                           OwnerCase{"an old lock that names no one", Owner::UnnamedOld,
                                                     true},
                                           OwnerCase{"a lock being made", Owner::UnnamedNew, false}));

struct DamageCase {
    const char* what;
    bool image;
    Bytes imageBytes;
    bool description;
    QByteArray descriptionBytes;
    const char* reason;
};

void PrintTo(const DamageCase& c, std::ostream* os) {
    *os << c.what;
}

class RecoveryDamage : public Recovery, public ::testing::WithParamInterface<DamageCase> {};

TEST_P(RecoveryDamage, AnEntryThatDoesNotReadIsSetAsideUnderANewName) {
    const DamageCase& c = GetParam();
    const QString instance = Crash({{Image("GOOD"), "", "good"}, {Image("BAD"), "", "bad"}});
    const QString stem = instance + "_2";
    const QDir folder(dir.path());
    QFile::remove(folder.filePath(stem + ".syx"));
    QFile::remove(folder.filePath(stem + ".json"));
    if (c.image) {
        ASSERT_TRUE(filekit::Write(folder.filePath(stem + ".syx"), c.imageBytes));
    }
    if (c.description) {
        const Bytes bytes(c.descriptionBytes.begin(), c.descriptionBytes.end());
        ASSERT_TRUE(filekit::Write(folder.filePath(stem + ".json"), bytes));
    }

    auto store = Start();
    const RecoveryStore::Orphans orphans = store->ClaimOrphans();
    EXPECT_EQ(Titles(orphans), std::vector<QString>{"good"});
    ASSERT_EQ(orphans.setAside.size(), 1u);
    EXPECT_EQ(orphans.setAside[0].reason.toStdString(), c.reason);
    QStringList kept;
    if (c.image)
        kept << folder.filePath("damaged-" + stem + ".syx");
    if (c.description)
        kept << folder.filePath("damaged-" + stem + ".json");
    EXPECT_EQ(orphans.setAside[0].keptAs, kept);
    if (c.image) {
        EXPECT_EQ(filekit::Read(kept[0]), c.imageBytes);
    }
    EXPECT_FALSE(QFileInfo::exists(folder.filePath(stem + ".syx")));
    EXPECT_FALSE(QFileInfo::exists(folder.filePath(stem + ".json")));

    // Set aside for good: never offered or touched again.
    store->DiscardClaimed();
    EXPECT_TRUE(Start()->ClaimOrphans().setAside.empty());
    for (const QString& path : kept)
        EXPECT_TRUE(QFileInfo::exists(path));
}

const QByteArray kDescription = R"({"path":null,"title":"bad","changed":"2026-03-14T19:15:02.000Z"})";

INSTANTIATE_TEST_SUITE_P(
    Cases, RecoveryDamage,
    ::testing::Values(
        DamageCase{"no description", true, Image("BAD"), false, {}, "its description is missing"},
        DamageCase{"a description that is not JSON", true, Image("BAD"), true,
                   "{\"path\":", "its description does not read"},
        DamageCase{"a description without its time", true, Image("BAD"), true,
                   R"({"path":null,"title":"bad"})", "its description does not read"},
        DamageCase{"no image", false, {}, true, kDescription, "its dump image is missing"},
        DamageCase{"an empty image",
                   true,
                   {},
                   true,
                   kDescription,
                   "its dump image does not read: the file is empty"},
        DamageCase{"an image cut short",
                   true,
                   {0xF0, 0x00, 0x00, 0x10},
                   true,
                   kDescription,
                   "its dump image does not read: Could not properly parse all sets"},
        DamageCase{"not a dump of the device", true, WithStart(Image("BAD"), 0x00), true, kDescription,
                   "its dump image does not read: Missing start of sysex transmission (F0)"}));

TEST_F(Recovery, TheKeeperWritesABurstOnceAndNothingOnceDiscarded) {
    auto store = Start();
    int snapshots = 0;
    Bytes current = Image("EDIT 0");
    RecoveryKeeper keeper(*store, [&] {
        ++snapshots;
        return Snapshot{current, "", "Untitled:1"};
    });
    QSignalSpy written(&keeper, &RecoveryKeeper::written);

    // A burst of changes is one write of the last state.
    keeper.SetDelay(0);
    for (int i = 1; i <= 100; ++i) {
        current = Image("EDIT " + std::to_string(i));
        keeper.Changed();
    }
    ASSERT_TRUE(written.wait());
    EXPECT_EQ(snapshots, 1);
    EXPECT_EQ(written.takeFirst().at(0).toString(), store->ImagePath(keeper.Stem()));
    EXPECT_EQ(filekit::Read(store->ImagePath(keeper.Stem())), current);

    // Changes that never pause still write: the wait runs from the first of them.
    keeper.SetDelay(20);
    for (int i = 0; written.isEmpty() && i < 5000; ++i) {
        keeper.Changed();
        QTest::qWait(1);
    }
    EXPECT_EQ(written.size(), 1);

    // Saved or closed without saving: the entry goes, and the writes still queued or waiting
    // with it.
    keeper.Changed();
    keeper.Flush();
    keeper.Changed();
    keeper.Discard();
    EXPECT_FALSE(keeper.Pending());
    ASSERT_TRUE(store->WaitForWrites());
    EXPECT_EQ(Files(dir.path()), QStringList{store->Instance() + ".lock"});
}

} // namespace
