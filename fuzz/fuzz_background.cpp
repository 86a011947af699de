// Arbitrary bytes as the background picture: a whole .bmp file or a bare bitmap without its file
// header. Decoding gives a picture or nothing, never a crash or a read past the data.
#include "app/CMDIClientWnd.h"

#include <QByteArray>
#include <QImage>

#include <cstddef>
#include <cstdint>

extern "C" int LLVMFuzzerTestOneInput(const uint8_t* data, size_t size) {
    const QByteArray bytes(reinterpret_cast<const char*>(data), static_cast<qsizetype>(size));
    const QImage image = CMDIClientWnd::DecodeBitmap(bytes);
    (void)image.isNull();
    // Without its file header, as a bare bitmap.
    if (bytes.startsWith("BM") && bytes.size() > 14)
        (void)CMDIClientWnd::DecodeBitmap(bytes.mid(14));
    return 0;
}
