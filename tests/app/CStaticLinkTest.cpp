// The link label and the about box built from two of them: what a click or a key opens, the
// colours before and after, failures, and the about box's texts and targets.
#include "app/CStaticLink.h"
#include "app/DAboutBox.h"
#include "settings/Settings.h"

#include <gtest/gtest.h>

#include <QLineEdit>
#include <QPushButton>
#include <QTemporaryDir>
#include <QTest>

#include <vector>

namespace {

// Records what a link asked to open and answers as told.
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

QColor TextColour(const QWidget& widget) {
    return widget.palette().color(QPalette::WindowText);
}

TEST(CStaticLinkTest, ClickOpensTheTargetOrTheTextAndOnlySuccessMarksItVisited) {
    FakeOpener opener;
    opener.succeed = false;
    CStaticLink link(QStringLiteral("www.morvik.example/riv10"));
    link.SetOpener(opener.Bind());
    link.show();
    EXPECT_TRUE(link.font().underline());
    EXPECT_EQ(link.cursor().shape(), Qt::PointingHandCursor);

    QTest::mouseClick(&link, Qt::LeftButton);
    ASSERT_EQ(opener.opened.size(), 1u);
    EXPECT_EQ(opener.opened[0], QUrl(QStringLiteral("http://www.morvik.example/riv10")));
    EXPECT_FALSE(link.IsVisited());
    EXPECT_EQ(TextColour(link), QColor(0, 0, 255));

    opener.succeed = true;
    link.SetTarget(QStringLiteral("mailto:support@morvik.example?Subject=Tolvane version 1.2"));
    QTest::mouseClick(&link, Qt::LeftButton);
    ASSERT_EQ(opener.opened.size(), 2u);
    EXPECT_EQ(opener.opened[1].scheme(), QStringLiteral("mailto"));
    EXPECT_EQ(opener.opened[1].query(), QStringLiteral("Subject=Tolvane version 1.2"));
    EXPECT_TRUE(link.IsVisited());
    EXPECT_EQ(TextColour(link), QColor(128, 0, 128));

    EXPECT_EQ(CStaticLink::TargetUrl(QStringLiteral("www.morvik.example:8080/x")),
              QUrl(QStringLiteral("http://www.morvik.example:8080/x")));

    CStaticLink empty;
    empty.SetOpener(opener.Bind());
    QTest::mouseClick(&empty, Qt::LeftButton);
    EXPECT_EQ(opener.opened.size(), 2u);
}

TEST(CStaticLinkTest, SpaceAndEnterActivateTheFocusedLink) {
    FakeOpener opener;
    CStaticLink link(QStringLiteral("www.morvik.example"));
    link.SetOpener(opener.Bind());
    EXPECT_EQ(link.focusPolicy(), Qt::StrongFocus);
    link.show();
    for (Qt::Key key : {Qt::Key_Space, Qt::Key_Return, Qt::Key_Enter, Qt::Key_A})
        QTest::keyClick(&link, key);
    EXPECT_EQ(opener.opened.size(), 3u);
}

TEST(DAboutBoxTest, ShowsTheVersionAndLinksToTheWebsiteAndTheMaker) {
    QTemporaryDir dir;
    const Settings settings(dir.filePath(QStringLiteral("settings.ini")), dir.path());
    QWidget parent;
    parent.setGeometry(100, 100, 800, 600);
    parent.show();
    DAboutBox box(settings, &parent);
    box.show();
    EXPECT_EQ(box.windowTitle(), QStringLiteral("About Tolvane"));
    EXPECT_LE((box.geometry().center() - parent.geometry().center()).manhattanLength(), 2);

    auto* version = box.findChild<QLineEdit*>(QStringLiteral("aboutVersion"));
    ASSERT_NE(version, nullptr);
    EXPECT_EQ(version->text(), settings.VersionText());
    EXPECT_TRUE(version->isReadOnly());

    CStaticLink* notice = box.NoticeLink();
    CStaticLink* picture = box.PictureLink();
    EXPECT_TRUE(notice->text().contains(QStringLiteral("Morvik")));
    EXPECT_EQ(notice->Target(), settings.MailLink());
    EXPECT_EQ(picture->Target(), settings.WebsiteAddress());
    for (QWidget* control :
         {static_cast<QWidget*>(version), static_cast<QWidget*>(notice), static_cast<QWidget*>(picture)})
        EXPECT_FALSE(control->accessibleName().isEmpty()) << control->objectName().toStdString();

    // The picture opens the website and keeps its look.
    FakeOpener opener;
    picture->SetOpener(opener.Bind());
    QTest::mouseClick(picture, Qt::LeftButton);
    ASSERT_EQ(opener.opened.size(), 1u);
    EXPECT_EQ(opener.opened[0], QUrl(settings.WebsiteAddress()));
    EXPECT_FALSE(picture->pixmap().isNull());

    QTest::mouseClick(box.findChild<QPushButton*>(QStringLiteral("okButton")), Qt::LeftButton);
    EXPECT_EQ(box.result(), QDialog::Accepted);
}

} // namespace
