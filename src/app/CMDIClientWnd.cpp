#include "app/CMDIClientWnd.h"
#include "widgets/WaitCursor.h"

#include <QApplication>
#include <QBrush>
#include <QFile>
#include <QPalette>
#include <QtEndian>

#include <cstdint>
#include <limits>

namespace {

constexpr int kFileHeaderSize = 14;
constexpr uint32_t kInfoHeaderSize = 40;
constexpr uint32_t kCoreHeaderSize = 12;
constexpr uint32_t kBitFields = 3;
constexpr uint32_t kMaskBytes = 12;
// Far beyond any sensible background; a wrong pick must not take all the memory there is.
constexpr qint64 kMaxFileBytes = qint64{256} * 1024 * 1024;

uint16_t Word(const QByteArray& bytes, int offset) {
    return qFromLittleEndian<quint16>(bytes.constData() + offset);
}

uint32_t DWord(const QByteArray& bytes, int offset) {
    return qFromLittleEndian<quint32>(bytes.constData() + offset);
}

// Entries in the colour table: the header's colours-used count when it gives one, else a full
// table for the paletted depths, else none.
uint64_t ColourCount(uint32_t colorsUsed, uint16_t bitsPerPixel) {
    if (colorsUsed != 0)
        return colorsUsed;
    if (bitsPerPixel == 1 || bitsPerPixel == 2 || bitsPerPixel == 4 || bitsPerPixel == 8)
        return uint64_t{1} << bitsPerPixel;
    return 0;
}

// Where the pixels of a bare bitmap start, counted from its info header; 0 when the header is
// not one we read or the tables it announces run past the end of the data.
uint64_t PixelOffset(const QByteArray& dib) {
    if (dib.size() < 4)
        return 0;
    const uint32_t headerSize = DWord(dib, 0);
    uint64_t offset = 0;
    if (headerSize == kInfoHeaderSize && dib.size() >= static_cast<int>(kInfoHeaderSize)) {
        const uint16_t bitsPerPixel = Word(dib, 14);
        const uint32_t compression = DWord(dib, 16);
        offset = headerSize + ColourCount(DWord(dib, 32), bitsPerPixel) * 4;
        if ((bitsPerPixel == 16 || bitsPerPixel == 32) && compression == kBitFields)
            offset += kMaskBytes;
    } else if (headerSize == kCoreHeaderSize && dib.size() >= static_cast<int>(kCoreHeaderSize)) {
        // The old header has no colours-used field; its table entries are three bytes.
        offset = headerSize + ColourCount(0, Word(dib, 10)) * 3;
    } else {
        return 0;
    }
    return offset <= static_cast<uint64_t>(dib.size()) ? offset : 0;
}

} // namespace

CMDIClientWnd::CMDIClientWnd(QWidget* parent) : QMdiArea(parent) {
    setObjectName(QStringLiteral("mdiClient"));
    setAccessibleName(tr("Documents"));
}

QImage CMDIClientWnd::DecodeBitmap(const QByteArray& bytes) {
    if (bytes.startsWith("BM"))
        return QImage::fromData(bytes, "BMP");
    const uint64_t pixelOffset = PixelOffset(bytes);
    const uint64_t fileSize = kFileHeaderSize + static_cast<uint64_t>(bytes.size());
    if (pixelOffset == 0 || fileSize > std::numeric_limits<uint32_t>::max())
        return QImage();
    QByteArray file(kFileHeaderSize, '\0');
    file[0] = 'B';
    file[1] = 'M';
    qToLittleEndian<quint32>(static_cast<quint32>(fileSize), file.data() + 2);
    qToLittleEndian<quint32>(static_cast<quint32>(kFileHeaderSize + pixelOffset), file.data() + 10);
    file += bytes;
    return QImage::fromData(file, "BMP");
}

bool CMDIClientWnd::Load(const QString& path) {
    m_picture = QPixmap();
    m_path = path;
    {
        WaitCursor wait;
        QFile file(path);
        if (file.open(QIODevice::ReadOnly) && file.size() <= kMaxFileBytes) {
            const QImage image = DecodeBitmap(file.readAll());
            if (!image.isNull())
                m_picture = QPixmap::fromImage(image);
        }
    }
    ShowPicture();
    return HasPicture();
}

void CMDIClientWnd::Clear() {
    m_picture = QPixmap();
    ShowPicture();
}

void CMDIClientWnd::ShowPicture() {
    // A texture brush tiles from the viewport's origin, so the first copy sits at (0, 0).
    if (HasPicture())
        setBackground(QBrush(m_picture));
    else
        setBackground(palette().brush(QPalette::Dark));
    viewport()->update();
}
