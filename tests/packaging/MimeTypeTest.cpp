// The system dump's MIME type as a desktop sees it: Qt's MIME database reads the same
// shared-mime-info package that the installation puts in share/mime/packages.
#include <gtest/gtest.h>

#include <QByteArray>
#include <QDir>
#include <QFile>
#include <QMimeDatabase>
#include <QTemporaryDir>

namespace {
const QString kDumpType = QStringLiteral("application/x-riv10-sysex");

QByteArray Demo() {
    QFile file(QStringLiteral(TOLVANE_DEMO_DUMP));
    return file.open(QIODevice::ReadOnly) ? file.readAll() : QByteArray();
}

QByteArray Changed(int at, char value) {
    QByteArray data = Demo();
    data[at] = value;
    return data;
}

const QByteArray kIdentityRequest("\xF0\x7E\x7F\x06\x01\xF7", 6);

struct Case {
    const char* what;
    const char* name;
    QByteArray data;
    bool isDump;
};

TEST(MimeTypeTest, NamesAndFirstBytesOfADump) {
    // The package as the user's own data, in front of the system's database.
    QTemporaryDir home;
    ASSERT_TRUE(home.isValid());
    const QString packages = home.filePath(QStringLiteral("mime/packages"));
    ASSERT_TRUE(QDir().mkpath(packages));
    ASSERT_TRUE(QFile::copy(QStringLiteral(TOLVANE_MIME_PACKAGE), packages + QStringLiteral("/tolvane.xml")));
    qputenv("XDG_DATA_HOME", QFile::encodeName(home.path()));
    ASSERT_FALSE(Demo().isEmpty());

    const Case cases[] = {
        {"the demo dump", "demo.syx", Demo(), true},
        {"a dump without its extension", "backup", Demo(), true},
        {"another device channel", "backup", Changed(4, 0x05), true},
        {"any .syx file", "other.syx", kIdentityRequest, true},
        {"another message without the extension", "other", kIdentityRequest, false},
        {"another maker", "backup", Changed(3, 0x11), false},
        {"another device", "backup", Changed(5, 0x0F), false},
        {"another data header", "backup", Changed(6, 0x42), false},
    };
    const QMimeDatabase mime;
    for (const Case& c : cases) {
        const QMimeType type = mime.mimeTypeForFileNameAndData(QString::fromLatin1(c.name), c.data);
        EXPECT_EQ(type.name() == kDumpType, c.isDump) << c.what << ": " << type.name().toStdString();
    }
    EXPECT_EQ(mime.mimeTypeForName(kDumpType).iconName(), QStringLiteral("application-x-riv10-sysex"));
}
} // namespace
