#include "tools/bmp.h"

#include <QGuiApplication>
#include <QImage>
#include <QPixmap>
#include <QScreen>

#include <cstdint>
#include <cstring>
#include <limits>

namespace tools {
namespace {

void put16(char* at, uint16_t value)
{
    at[0] = char(value & 0xFF);
    at[1] = char(value >> 8);
}

void put32(char* at, uint32_t value)
{
    for (int i = 0; i < 4; ++i)
        at[i] = char((value >> (8 * i)) & 0xFF);
}

}  // namespace

QByteArray encodeBmp(const QImage& picture)
{
    if (picture.isNull())
        return {};
    const QImage image = picture.format() == QImage::Format_RGB32 || picture.format() == QImage::Format_ARGB32
                             ? picture
                             : picture.convertToFormat(QImage::Format_RGB32);
    if (image.isNull())
        return {};

    const qint64 width = image.width();
    const qint64 height = image.height();
    const qint64 rowBytes = (width * 3 + 3) / 4 * 4;
    const qint64 pixelBytes = rowBytes * height;
    const qint64 fileBytes = bmpHeaderSize + pixelBytes;
    if (fileBytes > std::numeric_limits<int32_t>::max())
        return {};

    QByteArray bmp(qsizetype(fileBytes), Qt::Uninitialized);
    char* const out = bmp.data();
    std::memset(out, 0, bmpHeaderSize);
    out[0] = 'B';
    out[1] = 'M';
    put32(out + 2, uint32_t(fileBytes));
    put32(out + 10, bmpHeaderSize);
    put32(out + 14, 40);
    put32(out + 18, uint32_t(width));
    put32(out + 22, uint32_t(height));  // positive: bottom-up rows
    put16(out + 26, 1);
    put16(out + 28, 24);
    put32(out + 34, uint32_t(pixelBytes));

    const qint64 padding = rowBytes - width * 3;
    for (qint64 y = 0; y < height; ++y) {
        const auto* source = reinterpret_cast<const uint32_t*>(image.constScanLine(int(height - 1 - y)));
        auto* row = reinterpret_cast<unsigned char*>(out + bmpHeaderSize + y * rowBytes);
        for (qint64 x = 0; x < width; ++x) {
            const uint32_t pixel = source[x];  // 0xAARRGGBB
            row[0] = static_cast<unsigned char>(pixel);
            row[1] = static_cast<unsigned char>(pixel >> 8);
            row[2] = static_cast<unsigned char>(pixel >> 16);
            row += 3;
        }
        std::memset(row, 0, size_t(padding));
    }
    return bmp;
}

QByteArray screenSnapshot()
{
    QScreen* const screen = QGuiApplication::primaryScreen();
    if (!screen)
        return {};
    // Window 0 is the whole screen; the pixmap comes at the screen's size in device pixels.
    const QPixmap copy = screen->grabWindow(0);
    if (copy.isNull())
        return {};
    return encodeBmp(copy.toImage());
}

}  // namespace tools
