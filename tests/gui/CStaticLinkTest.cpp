// The hyperlink label and the about box built from two of them: what a click or a key opens,
// the colours before and after, failures, and the about box's texts and targets.
#include "CStaticLink.h"
#include "DAboutBox.h"
#include "Settings.h"

#include <gtest/gtest.h>

#include <QLineEdit>
#include <QPushButton>
#include <QSignalSpy>
#include <QTemporaryDir>
#include <QTest>

#include <vector>

namespace {

// Records what the link asked to open and answers as told.
struct FakeOpener {
    std::vector<QUrl> opened;
    bool succeed = true;
    CStaticLink::Opener Bind() {
        return [this](const QUrl& url) {
            opened.push_back(url);
            return succeed;
        };
    }
};

QColor TextColourOf(const QWidget& widget) {
    return widget.palette().color(QPalette::WindowText);
}

TEST(CStaticLinkTest, ClickOpensTheTargetOrElseTheTextAndMarksTheLinkVisited) {
    FakeOpener opener;
    CStaticLink link(QStringLiteral("www.morvik.example/riv10"));
    link.SetOpener(opener.Bind());
    link.show();
    EXPECT_EQ(TextColourOf(link), QColor(0, 0, 255));
    EXPECT_TRUE(link.font().underline());
    EXPECT_EQ(link.cursor().shape(), Qt::PointingHandCursor);

    QTest::mouseClick(&link, Qt::LeftButton);
    ASSERT_EQ(opener.opened.size(), 1u);
    EXPECT_EQ(opener.opened[0], QUrl(QStringLiteral("http://www.morvik.example/riv10")));
    EXPECT_TRUE(link.IsVisited());
    EXPECT_EQ(TextColourOf(link), QColor(128, 0, 128));

    link.SetTarget(QStringLiteral("mailto:support@morvik.example?Subject=Tolvane version 1.2"));
    QTest::mouseClick(&link, Qt::LeftButton);
    ASSERT_EQ(opener.opened.size(), 2u);
    EXPECT_EQ(opener.opened[1].scheme(), QStringLiteral("mailto"));
    EXPECT_EQ(opener.opened[1].path(), QStringLiteral("support@morvik.example"));
    EXPECT_EQ(opener.opened[1].query(), QStringLiteral("Subject=Tolvane version 1.2"));

    EXPECT_EQ(CStaticLink::TargetUrl(QStringLiteral("https://morvik.example/")),
              QUrl(QStringLiteral("https://morvik.example/")));
    EXPECT_EQ(CStaticLink::TargetUrl(QStringLiteral("www.morvik.example:8080/x")),
              QUrl(QStringLiteral("http://www.morvik.example:8080/x")));

    // Nothing to open: nothing happens.
    CStaticLink empty;
    empty.SetOpener(opener.Bind());
    QTest::mouseClick(&empty, Qt::LeftButton);
    EXPECT_EQ(opener.opened.size(), 2u);
    EXPECT_FALSE(empty.IsVisited());
}

TEST(CStaticLinkTest, FailureKeepsTheUnvisitedColour) {
    FakeOpener opener;
    opener.succeed = false;
    CStaticLink link(QStringLiteral("Write to us"));
    link.SetTarget(QStringLiteral("mailto:support@morvik.example"));
    link.SetOpener(opener.Bind());
    QSignalSpy opened(&link, &CStaticLink::Opened);
    link.show();
    QTest::mouseClick(&link, Qt::LeftButton);
    EXPECT_EQ(opener.opened.size(), 1u);
    EXPECT_EQ(opened.count(), 0);
    EXPECT_FALSE(link.IsVisited());
    EXPECT_EQ(TextColourOf(link), QColor(0, 0, 255));
}

TEST(CStaticLinkTest, SpaceAndEnterActivateTheFocusedLink) {
    FakeOpener opener;
    CStaticLink link(QStringLiteral("www.morvik.example"));
    link.SetOpener(opener.Bind());
    EXPECT_EQ(link.focusPolicy(), Qt::StrongFocus);
    link.show();
    for (Qt::Key key : {Qt::Key_Space, Qt::Key_Return, Qt::Key_Enter})
        QTest::keyClick(&link, key);
    EXPECT_EQ(opener.opened.size(), 3u);
    QTest::keyClick(&link, Qt::Key_A);
    EXPECT_EQ(opener.opened.size(), 3u);
}

class DAboutBoxTest : public ::testing::Test {
protected:
    QTemporaryDir m_dir;
    Settings m_settings{m_dir.filePath(QStringLiteral("settings.ini")), m_dir.path()};
};

TEST_F(DAboutBoxTest, ShowsTheVersionAndLinksToTheWebsiteAndTheMaker) {
    QWidget parent;
    parent.setGeometry(100, 100, 800, 600);
    parent.show();
    DAboutBox box(m_settings, &parent);
    box.show();
    EXPECT_EQ(box.windowTitle(), QStringLiteral("About Tolvane"));

    auto* version = box.findChild<QLineEdit*>(QStringLiteral("aboutVersion"));
    ASSERT_NE(version, nullptr);
    EXPECT_EQ(version->text(), m_settings.VersionText());
    EXPECT_TRUE(version->isReadOnly());
    EXPECT_FALSE(version->accessibleName().isEmpty());

    auto* notice = box.findChild<CStaticLink*>(QStringLiteral("aboutNotice"));
    auto* picture = box.findChild<CStaticLink*>(QStringLiteral("aboutPicture"));
    ASSERT_NE(notice, nullptr);
    ASSERT_NE(picture, nullptr);
    EXPECT_TRUE(notice->text().contains(QStringLiteral("Morvik")));
    EXPECT_EQ(notice->Target(), m_settings.MailLink());
    EXPECT_EQ(picture->Target(), m_settings.WebsiteAddress());
    EXPECT_FALSE(picture->pixmap().isNull());
    EXPECT_FALSE(notice->accessibleName().isEmpty());
    EXPECT_FALSE(picture->accessibleName().isEmpty());
    ASSERT_NE(box.findChild<QWidget*>(QStringLiteral("aboutCredit1")), nullptr);
    ASSERT_NE(box.findChild<QWidget*>(QStringLiteral("aboutCredit2")), nullptr);

    // The picture opens the website and keeps its look.
    FakeOpener opener;
    picture->SetOpener(opener.Bind());
    QTest::mouseClick(picture, Qt::LeftButton);
    ASSERT_EQ(opener.opened.size(), 1u);
    EXPECT_EQ(opener.opened[0], QUrl(m_settings.WebsiteAddress()));
    EXPECT_FALSE(picture->pixmap().isNull());

    EXPECT_LE((box.geometry().center() - parent.geometry().center()).manhattanLength(), 2);

    auto* ok = box.findChild<QPushButton*>(QStringLiteral("okButton"));
    ASSERT_NE(ok, nullptr);
    QTest::mouseClick(ok, Qt::LeftButton);
    EXPECT_EQ(box.result(), QDialog::Accepted);
    EXPECT_FALSE(box.isVisible());
}

} // namespace
