#include "common/files.h"
#include "tools/bmp.h"

#include <QDir>
#include <QGuiApplication>
#include <QImage>
#include <QProcess>
#include <QScreen>
#include <QStandardPaths>
#include <QTemporaryDir>

#include <gtest/gtest.h>

#include <cstdint>

namespace {

uint32_t read32(const QByteArray& bytes, int at)
{
    uint32_t value = 0;
    for (int i = 3; i >= 0; --i)
        value = (value << 8) | uint8_t(bytes[at + i]);
    return value;
}

uint16_t read16(const QByteArray& bytes, int at) { return uint16_t(uint8_t(bytes[at]) | uint8_t(bytes[at + 1]) << 8); }

// 3 x 2: odd width, so each row of 9 bytes is padded with 3 zero bytes.
QImage smallPicture(QImage::Format format)
{
    QImage image(3, 2, QImage::Format_RGB32);
    image.setPixel(0, 0, qRgb(255, 0, 0));
    image.setPixel(1, 0, qRgb(0, 255, 0));
    image.setPixel(2, 0, qRgb(0, 0, 255));
    image.setPixel(0, 1, qRgb(1, 2, 3));
    image.setPixel(1, 1, qRgb(4, 5, 6));
    image.setPixel(2, 1, qRgb(7, 8, 9));
    return image.convertToFormat(format);
}

TEST(Bmp, SmallPictureByteForByte)
{
    const unsigned char expected[] = {
        'B', 'M', 78, 0, 0, 0,  // file size: 54 + 2 rows of 12
        0, 0, 0, 0,              // reserved
        54, 0, 0, 0,             // pixel data offset
        40, 0, 0, 0,             // info header size
        3, 0, 0, 0, 2, 0, 0, 0,  // width, height (positive: bottom-up)
        1, 0, 24, 0,             // planes, bits per pixel
        0, 0, 0, 0,              // no compression
        24, 0, 0, 0,             // pixel data size
        0, 0, 0, 0, 0, 0, 0, 0, 0, 0, 0, 0, 0, 0, 0, 0,
        // bottom row first, blue green red, padded to 12
        3, 2, 1, 6, 5, 4, 9, 8, 7, 0, 0, 0,
        // then the top row
        0, 0, 255, 0, 255, 0, 255, 0, 0, 0, 0, 0,
    };
    const QByteArray wanted(reinterpret_cast<const char*>(expected), sizeof expected);
    for (QImage::Format format : {QImage::Format_RGB32, QImage::Format_ARGB32, QImage::Format_ARGB32_Premultiplied,
                                  QImage::Format_RGB888, QImage::Format_BGR888, QImage::Format_RGBX8888}) {
        EXPECT_EQ(tools::encodeBmp(smallPicture(format)).toHex(' '), wanted.toHex(' ')) << "format " << format;
    }
}

TEST(Bmp, SizesOfA1024By768Screen)
{
    QImage screen(1024, 768, QImage::Format_RGB32);
    screen.fill(Qt::darkCyan);
    const QByteArray bmp = tools::encodeBmp(screen);
    ASSERT_EQ(bmp.size(), 2'359'350);
    EXPECT_EQ(read32(bmp, 2), 2'359'350u);
    EXPECT_EQ(read32(bmp, 10), 54u);
    EXPECT_EQ(read32(bmp, 18), 1024u);
    EXPECT_EQ(read32(bmp, 22), 768u);
    EXPECT_EQ(read32(bmp, 34), 2'359'296u);  // 3,072 bytes a row
}

TEST(Bmp, RowPaddingForEachWidth)
{
    for (int width = 1; width <= 8; ++width) {
        QImage image(width, 3, QImage::Format_RGB32);
        image.fill(Qt::white);
        const QByteArray bmp = tools::encodeBmp(image);
        const int row = (width * 3 + 3) / 4 * 4;
        ASSERT_EQ(bmp.size(), 54 + 3 * row) << "width " << width;
        for (int y = 0; y < 3; ++y)
            for (int x = width * 3; x < row; ++x)
                EXPECT_EQ(bmp[54 + y * row + x], '\0') << "width " << width;
    }
}

TEST(Bmp, NullPictureGivesNothing)
{
    EXPECT_TRUE(tools::encodeBmp(QImage()).isEmpty());
}

TEST(Bmp, ScreenSnapshotIsThePrimaryScreen)
{
    QScreen* screen = QGuiApplication::primaryScreen();
    ASSERT_NE(screen, nullptr);
    const QSize pixels = screen->geometry().size() * screen->devicePixelRatio();
    const QByteArray bmp = tools::screenSnapshot();
    ASSERT_GE(bmp.size(), 54);
    EXPECT_EQ(bmp.left(2), QByteArray("BM"));
    EXPECT_EQ(read32(bmp, 18), uint32_t(pixels.width()));
    EXPECT_EQ(read32(bmp, 22), uint32_t(pixels.height()));
    EXPECT_EQ(read16(bmp, 28), 24);
    EXPECT_EQ(qsizetype(read32(bmp, 2)), bmp.size());
}

QByteArray run(const QString& program, const QStringList& arguments)
{
    QProcess process;
    process.start(program, arguments);
    if (!process.waitForFinished(30'000) || process.exitCode() != 0)
        return "failed: " + process.readAllStandardError();
    return process.readAllStandardOutput();
}

// ImageMagick, a decoder of its own, reads the file back to the same pixels.
TEST(Bmp, ImageMagickReadsTheFileBack)
{
    if (QStandardPaths::findExecutable(QStringLiteral("identify")).isEmpty()
        || QStandardPaths::findExecutable(QStringLiteral("convert")).isEmpty())
        GTEST_SKIP() << "ImageMagick is not installed";
    QTemporaryDir dir;
    QImage image(37, 23, QImage::Format_RGB32);
    for (int y = 0; y < image.height(); ++y)
        for (int x = 0; x < image.width(); ++x)
            image.setPixel(x, y, qRgb(x * 7, y * 11, (x + y) * 4));
    const QString file = dir.filePath(QStringLiteral("shot.jpg"));  // the content decides, not the name
    ASSERT_TRUE(files::writeAll(file, tools::encodeBmp(image)));

    EXPECT_EQ(run(QStringLiteral("identify"), {QStringLiteral("-format"), QStringLiteral("%m %w %h %z"), file}),
              QByteArray("BMP3 37 23 8"));  // BMP3: the 40-byte info header
    const QString raw = dir.filePath(QStringLiteral("pixels.rgb"));
    run(QStringLiteral("convert"), {file, QStringLiteral("-depth"), QStringLiteral("8"), QStringLiteral("rgb:") + raw});
    QByteArray expected;
    for (int y = 0; y < image.height(); ++y)
        for (int x = 0; x < image.width(); ++x) {
            const QRgb pixel = image.pixel(x, y);
            expected.append(char(qRed(pixel))).append(char(qGreen(pixel))).append(char(qBlue(pixel)));
        }
    EXPECT_EQ(files::readAll(raw), expected);
}

}  // namespace
