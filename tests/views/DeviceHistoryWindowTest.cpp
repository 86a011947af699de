// The device's history window: its lines, opening a backup and both comparisons, from the keyboard.
#include "views/DeviceHistoryWindow.h"

#include "dump/DumpComparison.h"
#include "support/DataWindowKit.h"
#include "views/DifferencesWindow.h"

#include <gtest/gtest.h>

#include <QDir>
#include <QFile>
#include <QLabel>
#include <QListWidget>
#include <QPushButton>
#include <QSignalSpy>
#include <QTemporaryDir>
#include <QTreeWidget>

using datawin::RowTexts;
using datawin::Window;

namespace {

testdump::Dump Rig(const std::string& third) {
    testdump::Dump d;
    d.patches = {testdump::NamedPatch(1, "ONE"), testdump::NamedPatch(2, "TWO"),
                 testdump::NamedPatch(3, third)};
    return d;
}

void Write(const QString& path, const testdump::Bytes& bytes) {
    QFile file(path);
    ASSERT_TRUE(file.open(QIODevice::WriteOnly));
    file.write(reinterpret_cast<const char*>(bytes.data()), static_cast<qint64>(bytes.size()));
}

QStringList Lines(const DumpComparison& comparison) {
    QStringList lines;
    for (const std::string& line : comparison.Lines())
        lines << QString::fromStdString(line);
    return lines;
}

QStringList Lines(const QListWidget& list) {
    QStringList lines;
    for (int i = 0; i < list.count(); ++i)
        lines << list.item(i)->text();
    return lines;
}

TEST(DeviceHistoryWindow, ListsTheBackupsOpensOneAndComparesItBothWays) {
    QTemporaryDir dir;
    const QDir folder(dir.path());
    const testdump::Bytes downloaded = Rig("THREE").Build();
    const testdump::Bytes uploaded = Rig("TRES").Build();
    Write(folder.filePath("2026-03-14_190000_download.syx"), downloaded);
    Write(folder.filePath("2026-03-14_200000_upload.syx"), uploaded);
    Write(folder.filePath("2026-03-14_210000_download.syx"), {0xF0, 0xF7});

    Window data(Rig("DREI"));
    PropSheetFormView* active = data.view.get();
    auto* window = new DeviceHistoryWindow(dir.path());
    window->setActiveView([&] { return active; });
    window->show();
    window->activateWindow();
    ASSERT_TRUE(QTest::qWaitForWindowActive(window));
    QTreeWidget& list = *window->list();
    EXPECT_EQ(window->windowTitle(), QStringLiteral("Device History"));
    EXPECT_EQ(list.accessibleName(), QStringLiteral("Backups"));

    // The model's lines, newest first.
    const auto& entries = window->history().Entries();
    ASSERT_EQ(list.topLevelItemCount(), 3);
    for (int i = 0; i < 3; ++i) {
        const DeviceHistory::Entry& e = entries[static_cast<size_t>(i)];
        EXPECT_EQ(RowTexts(list.topLevelItem(i)),
                  (QStringList{e.TimeText(), e.KindText(), e.ContentsText(), e.ChangesText()}));
    }
    EXPECT_EQ(list.topLevelItem(1)->text(3), QStringLiteral("1 patch changed"));

    // What each line allows.
    const auto button = [&](const char* name) { return window->findChild<QPushButton*>(name)->isEnabled(); };
    struct Allowed {
        int row;
        bool open, active, previous;
    };
    for (const Allowed& a :
         {Allowed{0, true, false, false}, Allowed{1, true, true, true}, Allowed{2, true, true, false}}) {
        list.setCurrentItem(list.topLevelItem(a.row));
        EXPECT_EQ(button("openBackup"), a.open) << a.row;
        EXPECT_EQ(button("compareWithActive"), a.active) << a.row;
        EXPECT_EQ(button("compareWithPrevious"), a.previous) << a.row;
    }

    // Enter asks for the selected backup.
    QSignalSpy open(window, &DeviceHistoryWindow::openRequested);
    list.setCurrentItem(list.topLevelItem(1));
    list.setFocus();
    QTest::keyClick(&list, Qt::Key_Return);
    ASSERT_EQ(open.size(), 1);
    EXPECT_EQ(open.at(0).at(0).toString(), folder.filePath("2026-03-14_200000_upload.syx"));

    // Both comparisons open the Differences window, named after what they compare.
    SystemDoc before;
    SystemDoc after;
    ASSERT_EQ(before.ParseDump(downloaded), DumpOk);
    ASSERT_EQ(after.ParseDump(uploaded), DumpOk);
    struct Compare {
        Qt::Key key;
        QStringList lines;
        QString description;
        bool bringsUpRecords; // in the active data window
    };
    for (const Compare& c :
         {Compare{Qt::Key_A, Lines(DumpComparison(*data.doc, after)),
                  "First: rig.syx, second: 2026-03-14_200000_upload.syx", true},
          Compare{Qt::Key_P, Lines(DumpComparison(before, after)),
                  "First: 2026-03-14_190000_download.syx, second: 2026-03-14_200000_upload.syx", false}}) {
        window->activateWindow();
        ASSERT_TRUE(QTest::qWaitForWindowActive(window));
        // A mnemonic clicks its button a moment later, as a click shows.
        QTest::keyClick(window, c.key, Qt::AltModifier);
        EXPECT_TRUE(QTest::qWaitFor([&] { return window->findChild<DifferencesWindow*>() != nullptr; }));
        auto* differences = window->findChild<DifferencesWindow*>();
        ASSERT_NE(differences, nullptr);
        EXPECT_EQ(Lines(*differences->list()), c.lines);
        EXPECT_EQ(differences->findChild<QLabel*>()->text(), c.description);
        datawin::ModalLog modals; // the patch editor a line brings up
        EXPECT_EQ(differences->showRow(0), c.bringsUpRecords);
        delete differences;
    }
    EXPECT_FALSE(data.doc->IsModified());

    // A new backup comes in on top; the selection stays on its file.
    list.setCurrentItem(list.topLevelItem(1));
    Write(folder.filePath("2026-03-14_220000_upload.syx"), uploaded);
    window->reload();
    ASSERT_EQ(list.topLevelItemCount(), 4);
    EXPECT_EQ(list.topLevelItem(0)->text(3), QStringLiteral("no changes"));
    EXPECT_EQ(window->history().Entries()[static_cast<size_t>(window->selectedEntry())].name,
              QStringLiteral("2026-03-14_200000_upload.syx"));

    // Without an active document the comparison with it is not offered.
    active = nullptr;
    window->setActiveView([&] { return active; });
    EXPECT_FALSE(button("compareWithActive"));
    EXPECT_EQ(window->compareWithActive(), nullptr);
    window->close();
}

} // namespace
