// The client area's background picture: the file forms it reads (with and without the file
// header, both info header sizes, colour tables and masks), what it refuses, and the tiling.
#include "CMDIClientWnd.h"

#include <gtest/gtest.h>

#include <QFile>
#include <QImage>
#include <QTemporaryDir>
#include <QtEndian>

#include <cstdint>

namespace {

const QRgb kRed = qRgb(255, 0, 0);
const QRgb kBlue = qRgb(0, 0, 255);

void Put16(QByteArray& bytes, uint16_t value) {
    char raw[2];
    qToLittleEndian<quint16>(value, raw);
    bytes.append(raw, 2);
}

void Put32(QByteArray& bytes, uint32_t value) {
    char raw[4];
    qToLittleEndian<quint32>(value, raw);
    bytes.append(raw, 4);
}

// A bare bitmap with the 40-byte header; the caller appends tables and pixels.
QByteArray InfoHeader(int width, int height, uint16_t bitsPerPixel, uint32_t compression = 0,
                      uint32_t colorsUsed = 0) {
    QByteArray bytes;
    Put32(bytes, 40);
    Put32(bytes, static_cast<uint32_t>(width));
    Put32(bytes, static_cast<uint32_t>(height));
    Put16(bytes, 1);
    Put16(bytes, bitsPerPixel);
    Put32(bytes, compression);
    Put32(bytes, 0); // image size
    Put32(bytes, 0);
    Put32(bytes, 0);
    Put32(bytes, colorsUsed);
    Put32(bytes, 0);
    return bytes;
}

// A 2 x 2 picture, red in its top-left corner and blue elsewhere, as 24 bits per pixel; rows
// run bottom-up and are padded to four bytes.
QByteArray Pixels24() {
    const QByteArray blue("\xff\x00\x00", 3);
    const QByteArray red("\x00\x00\xff", 3);
    return blue + blue + QByteArray(2, '\0') + red + blue + QByteArray(2, '\0');
}

void ExpectRedCorner(const QImage& image) {
    ASSERT_FALSE(image.isNull());
    ASSERT_EQ(image.size(), QSize(2, 2));
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
    QImage source(2, 2, QImage::Format_RGB32);
    source.fill(kBlue);
    source.setPixel(0, 0, kRed);
    const QString full = m_dir.filePath(QStringLiteral("full.bmp"));
    ASSERT_TRUE(source.save(full, "BMP"));
    ASSERT_TRUE(m_client.Load(full));
    EXPECT_TRUE(m_client.HasPicture());
    EXPECT_EQ(m_client.PictureSize(), QSize(2, 2));
    EXPECT_EQ(m_client.Path(), full);

    // The same bitmap without its file header, as 24 bits per pixel.
    const QByteArray bare24 = InfoHeader(2, 2, 24) + Pixels24();
    ExpectRedCorner(CMDIClientWnd::DecodeBitmap(bare24));
    EXPECT_TRUE(m_client.Load(Write(bare24)));

    // Eight bits with the colours-used count at 0: a full 256-entry table precedes the pixels.
    QByteArray bare8 = InfoHeader(2, 2, 8);
    for (int i = 0; i < 256; ++i)
        Put32(bare8, i == 1 ? 0x00ff0000u : i == 2 ? 0x000000ffu : 0u);
    bare8 += QByteArray("\x02\x02\x00\x00\x01\x02\x00\x00", 8);
    ExpectRedCorner(CMDIClientWnd::DecodeBitmap(bare8));

    // Two colours used by an 8-bit picture: only those two entries are in the table.
    QByteArray used8 = InfoHeader(2, 2, 8, 0, 2);
    Put32(used8, 0x00ff0000u);
    Put32(used8, 0x000000ffu);
    used8 += QByteArray("\x01\x01\x00\x00\x00\x01\x00\x00", 8);
    ExpectRedCorner(CMDIClientWnd::DecodeBitmap(used8));

    // 32 bits with bit-field compression: three masks sit between the header and the pixels.
    QByteArray fields32 = InfoHeader(2, 2, 32, 3);
    Put32(fields32, 0x00ff0000u);
    Put32(fields32, 0x0000ff00u);
    Put32(fields32, 0x000000ffu);
    for (uint32_t pixel : {0x0000ffu, 0x0000ffu, 0xff0000u, 0x0000ffu})
        Put32(fields32, pixel);
    ExpectRedCorner(CMDIClientWnd::DecodeBitmap(fields32));
}

TEST_F(CMDIClientWndTest, ReadsTheOldHeaderWithItsThreeByteColourTable) {
    QByteArray core;
    Put32(core, 12);
    Put16(core, 2);
    Put16(core, 2);
    Put16(core, 1);
    Put16(core, 1);
    core += QByteArray("\xff\x00\x00", 3); // colour 0: blue
    core += QByteArray("\x00\x00\xff", 3); // colour 1: red
    // One bit per pixel, rows bottom-up padded to four bytes: bottom row blue blue, top red blue.
    core += QByteArray("\x00\x00\x00\x00\x80\x00\x00\x00", 8);
    ExpectRedCorner(CMDIClientWnd::DecodeBitmap(core));
    EXPECT_TRUE(m_client.Load(Write(core)));
    EXPECT_EQ(m_client.PictureSize(), QSize(2, 2));
}

TEST_F(CMDIClientWndTest, RefusesWhatItCannotReadAndLeavesNoPicture) {
    ASSERT_TRUE(m_client.Load(Write(InfoHeader(2, 2, 24) + Pixels24())));

    QByteArray v4 = InfoHeader(2, 2, 24);
    qToLittleEndian<quint32>(108, v4.data());
    v4 += QByteArray(68, '\0') + Pixels24();
    const QByteArray truncated = InfoHeader(2, 2, 24).left(20);
    // A colours-used count far beyond the data must not send the reader past its end.
    const QByteArray hugeTable = InfoHeader(2, 2, 8, 0, 0xffffffffu) + Pixels24();
    const QByteArray tinyCore("\x0c\x00\x00\x00\x02\x00", 6);
    for (const QByteArray& bytes :
         {v4, truncated, hugeTable, tinyCore, QByteArray("not a picture at all"), QByteArray()}) {
        EXPECT_TRUE(CMDIClientWnd::DecodeBitmap(bytes).isNull()) << bytes.toHex().toStdString();
        EXPECT_FALSE(m_client.Load(Write(bytes)));
        EXPECT_FALSE(m_client.HasPicture());
    }
    const QString missing = m_dir.filePath(QStringLiteral("missing.bmp"));
    EXPECT_FALSE(m_client.Load(missing));
    EXPECT_EQ(m_client.Path(), missing);

    ASSERT_TRUE(m_client.Load(Write(InfoHeader(2, 2, 24) + Pixels24())));
    m_client.Clear();
    EXPECT_FALSE(m_client.HasPicture());
    EXPECT_TRUE(m_client.PictureSize().isEmpty());
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
    ASSERT_GE(shown.width(), 25);
    ASSERT_GE(shown.height(), 25);
    for (const QPoint corner : {QPoint(0, 0), QPoint(10, 0), QPoint(20, 0), QPoint(0, 10), QPoint(20, 20)})
        EXPECT_EQ(shown.pixel(corner), kRed) << corner.x() << "," << corner.y();
    for (const QPoint inside : {QPoint(1, 0), QPoint(5, 5), QPoint(9, 9), QPoint(11, 1)})
        EXPECT_EQ(shown.pixel(inside), kBlue) << inside.x() << "," << inside.y();

    m_client.Clear();
    const QImage cleared = m_client.viewport()->grab().toImage();
    EXPECT_NE(cleared.pixel(0, 0), kRed);
}

} // namespace
