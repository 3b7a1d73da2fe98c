#pragma once
// The screen snapshot as a complete BMP file image: 24 bits per pixel, no palette, rows
// from the bottom of the picture to the top, each padded to a multiple of 4 bytes.

#include <QByteArray>

class QImage;

namespace tools {

constexpr int bmpHeaderSize = 54;  // file header (14) + info header (40)

// The BMP file image of the picture; empty for a null picture or one too large for the
// format's 32-bit sizes.
QByteArray encodeBmp(const QImage& image);

// The primary screen as it shows now, from its top left corner at its size in pixels,
// laid out by encodeBmp; empty when the screen cannot be read.
QByteArray screenSnapshot();

}  // namespace tools
