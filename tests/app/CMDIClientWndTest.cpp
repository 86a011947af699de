// The client area's background picture: the file forms it reads (with and without the file
// header, both info header sizes, colour tables and masks), what it refuses, and the tiling.
#include "app/CMDIClientWnd.h"

#include <gtest/gtest.h>

#include <QDataStream>
#include <QFile>
#include <QImage>
#include <QTemporaryDir>

#include <initializer_list>

namespace {

const QRgb kRed = qRgb(255, 0, 0);
const QRgb kBlue = qRgb(0, 0, 255);

// Little-endian 32-bit words, then raw bytes.
QByteArray Words(std::initializer_list<quint32> words, const QByteArray& tail = QByteArray()) {
    QByteArray bytes;
    QDataStream out(&bytes, QIODevice::WriteOnly);
    out.setByteOrder(QDataStream::LittleEndian);
    for (quint32 word : words)
        out << word;
    return bytes + tail;
}

// A bare 2 x 2 bitmap's 40-byte header (planes 1 in the low half of the fourth word).
QByteArray InfoHeader(quint16 bitsPerPixel, quint32 compression = 0, quint32 colorsUsed = 0) {
    return Words({40, 2, 2, 1u | (quint32{bitsPerPixel} << 16), compression, 0, 0, 0, colorsUsed, 0});
}

// Red in the top-left corner, blue elsewhere; rows run bottom-up, padded to four bytes.
const QByteArray kPixels24("\xff\0\0\xff\0\0\0\0\0\0\xff\xff\0\0\0\0", 16);

void ExpectRedCorner(const QByteArray& bytes) {
    const QImage image = CMDIClientWnd::DecodeBitmap(bytes);
    ASSERT_EQ(image.size(), QSize(2, 2)) << bytes.toHex().toStdString();
    EXPECT_EQ(image.pixel(0, 0), kRed);
    EXPECT_EQ(image.pixel(1, 0), kBlue);
    EXPECT_EQ(image.pixel(0, 1), kBlue);
}

class CMDIClientWndTest : public ::testing::Test {
protected:
    QString Write(const QByteArray& bytes) {
        const QString path = m_dir.filePath(QStringLiteral("picture%1.bmp").arg(++m_files));
        QFile file(path);
        EXPECT_TRUE(file.open(QIODevice::WriteOnly));
        file.write(bytes);
        return path;
    }

    QTemporaryDir m_dir;
    int m_files = 0;
    CMDIClientWnd m_client;
};

TEST_F(CMDIClientWndTest, ReadsFilesWithAndWithoutTheFileHeader) {
    QImage source(3, 2, QImage::Format_RGB32);
    source.fill(kBlue);
    const QString full = m_dir.filePath(QStringLiteral("full.bmp"));
    ASSERT_TRUE(source.save(full, "BMP"));
    ASSERT_TRUE(m_client.Load(full));
    EXPECT_EQ(m_client.PictureSize(), QSize(3, 2));

    ExpectRedCorner(InfoHeader(24) + kPixels24);
    EXPECT_TRUE(m_client.Load(Write(InfoHeader(24) + kPixels24)));
    EXPECT_EQ(m_client.PictureSize(), QSize(2, 2));

    // Eight bits with no colours-used count: a full table of 256 entries precedes the pixels.
    QByteArray fullTable(256 * 4, '\0');
    fullTable.replace(4, 8, QByteArray("\0\0\xff\0\xff\0\0\0", 8));
    ExpectRedCorner(InfoHeader(8) + fullTable + QByteArray("\2\2\0\0\1\2\0\0", 8));
    // Two colours used: only those two entries are there.
    ExpectRedCorner(InfoHeader(8, 0, 2) + Words({0xff0000, 0x0000ff}) + QByteArray("\1\1\0\0\0\1\0\0", 8));
    // 32 bits with bit fields: three masks sit between the header and the pixels.
    ExpectRedCorner(InfoHeader(32, 3) + Words({0xff0000, 0xff00, 0xff, 0xff, 0xff, 0xff0000, 0xff}));
    // The old 12-byte header (2 x 2, one bit per pixel) with three-byte colour entries.
    ExpectRedCorner(Words({12, 2 | (2u << 16), 1 | (1u << 16)}, QByteArray("\xff\0\0\0\0\xff", 6)) +
                    QByteArray("\0\0\0\0\x80\0\0\0", 8));
}

TEST_F(CMDIClientWndTest, RefusesWhatItCannotReadAndLeavesNoPicture) {
    QByteArray v4 = InfoHeader(24) + QByteArray(68, '\0') + kPixels24;
    v4[0] = 108;
    const QByteArray rejected[] = {
        v4,
        InfoHeader(24).left(20),
        // A colours-used count far beyond the data must not send the reader past its end.
        InfoHeader(8, 0, 0xffffffffu) + kPixels24,
        QByteArray("\x0c\0\0\0\2\0", 6),
        QByteArray("not a picture at all"),
        QByteArray(),
    };
    for (const QByteArray& bytes : rejected) {
        ASSERT_TRUE(m_client.Load(Write(InfoHeader(24) + kPixels24)));
        EXPECT_FALSE(m_client.Load(Write(bytes))) << bytes.toHex().toStdString();
        EXPECT_FALSE(m_client.HasPicture());
    }
    const QString missing = m_dir.filePath(QStringLiteral("missing.bmp"));
    EXPECT_FALSE(m_client.Load(missing));
    EXPECT_EQ(m_client.Path(), missing);
}

TEST_F(CMDIClientWndTest, TilesThePictureFromTheTopLeftCorner) {
    QImage tile(10, 10, QImage::Format_RGB32);
    tile.fill(kBlue);
    tile.setPixel(0, 0, kRed);
    const QString path = m_dir.filePath(QStringLiteral("tile.bmp"));
    ASSERT_TRUE(tile.save(path, "BMP"));
    ASSERT_TRUE(m_client.Load(path));
    m_client.resize(125, 95);
    m_client.show();

    const QImage shown = m_client.viewport()->grab().toImage();
    for (const QPoint corner : {QPoint(0, 0), QPoint(10, 0), QPoint(20, 0), QPoint(20, 20)})
        EXPECT_EQ(shown.pixel(corner), kRed) << corner.x() << "," << corner.y();
    for (const QPoint inside : {QPoint(1, 0), QPoint(9, 9), QPoint(11, 1)})
        EXPECT_EQ(shown.pixel(inside), kBlue) << inside.x() << "," << inside.y();

    m_client.Clear();
    EXPECT_FALSE(m_client.HasPicture());
    EXPECT_NE(m_client.viewport()->grab().toImage().pixel(0, 0), kRed);
}

} // namespace
