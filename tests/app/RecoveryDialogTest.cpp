// The question at start after a crash, answered from the keyboard.
#include "app/RecoveryDialog.h"

#include <gtest/gtest.h>

#include <QApplication>
#include <QLabel>
#include <QPushButton>
#include <QTest>
#include <QTimeZone>
#include <QTreeWidget>

namespace {

struct KeyCase {
    const char* what;
    Qt::Key key;
    Qt::KeyboardModifiers modifiers;
    RecoveryDialog::Choice choice;
};

void PrintTo(const KeyCase& c, std::ostream* os) {
    *os << c.what;
}

class RecoveryDialogKeys : public ::testing::TestWithParam<KeyCase> {};

TEST_P(RecoveryDialogKeys, ListsTheDocumentsAndTakesTheAnswer) {
    const QDateTime changed(QDate(2026, 3, 14), QTime(19, 15, 2), QTimeZone::utc());
    std::vector<RecoveryStore::Entry> entries(2);
    entries[0].description = {"/home/me/rig.syx", "rig.syx", changed};
    entries[1].description = {"", "Untitled:2", changed.addSecs(90)};
    RecoveryDialog dialog(entries);
    dialog.show();
    dialog.activateWindow();
    ASSERT_TRUE(QTest::qWaitForWindowActive(&dialog));

    EXPECT_EQ(dialog.findChild<QLabel*>("recoveryQuestion")->text(),
              QStringLiteral("Tolvane did not close normally. Recover the unsaved changes?"));
    QTreeWidget& list = *dialog.list();
    ASSERT_EQ(list.topLevelItemCount(), 2);
    for (int i = 0; i < 2; ++i) {
        const RecoveryStore::Description& d = entries[static_cast<size_t>(i)].description;
        EXPECT_EQ(list.topLevelItem(i)->text(0), d.title);
        EXPECT_EQ(list.topLevelItem(i)->text(1), d.changed.toLocalTime().toString("yyyy-MM-dd HH:mm:ss"));
    }
    EXPECT_EQ(list.accessibleName(), QStringLiteral("Unsaved documents"));
    for (const char* name : {"recover", "discard", "cancel"})
        EXPECT_FALSE(dialog.findChild<QPushButton*>(name)->accessibleName().isEmpty()) << name;

    const KeyCase& c = GetParam();
    ASSERT_EQ(QApplication::focusWidget(), &list);
    QTest::keyClick(&list, c.key, c.modifiers);
    // A mnemonic clicks its button a moment later.
    EXPECT_TRUE(QTest::qWaitFor([&] { return !dialog.isVisible(); }));
    EXPECT_EQ(dialog.choice(), c.choice);
    EXPECT_EQ(dialog.result(),
              c.choice == RecoveryDialog::Choice::Cancel ? QDialog::Rejected : QDialog::Accepted);
}

INSTANTIATE_TEST_SUITE_P(
    Cases, RecoveryDialogKeys,
    ::testing::Values(
        KeyCase{"Enter recovers", Qt::Key_Return, Qt::NoModifier, RecoveryDialog::Choice::Recover},
        KeyCase{"Alt+R recovers", Qt::Key_R, Qt::AltModifier, RecoveryDialog::Choice::Recover},
        KeyCase{"Alt+D discards", Qt::Key_D, Qt::AltModifier, RecoveryDialog::Choice::Discard},
        KeyCase{"Escape cancels", Qt::Key_Escape, Qt::NoModifier, RecoveryDialog::Choice::Cancel}));

} // namespace
