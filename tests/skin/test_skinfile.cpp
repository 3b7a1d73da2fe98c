// The skin file format, without the engine: what is read, and everything that is refused.
#include "skin/engine/skinfile.h"
#include "skin/skin.h"
#include "testfiles.h"

#include <QTemporaryDir>

#include <gtest/gtest.h>

#include <random>

#include <sys/stat.h>

namespace {

using skinfile::Error;

TEST(SkinFile, ReadsEveryPartOfAValidFile)
{
    const skinfile::Result result = skinfile::parse(skinfile::pack(skintest::validPayload()));
    ASSERT_TRUE(result.ok()) << result.detail.toStdString();
    const skinfile::Skin& skin = result.skin;
    EXPECT_EQ(skin.name, QStringLiteral("probe"));
    ASSERT_EQ(skin.vars.size(), 3);
    EXPECT_EQ(skin.var(QStringLiteral("fg.text"))->colour, qRgb(0xF0, 0xE0, 0xD0));
    EXPECT_FALSE(skin.var(QStringLiteral("pad"))->colour.has_value());
    EXPECT_EQ(skin.colour(QPalette::Window), qRgb(0x10, 0x20, 0x30));
    EXPECT_EQ(skin.colour(QPalette::Button), qRgb(0x20, 0x30, 0x40));  // a CR LF line
    ASSERT_EQ(skin.palette.size(), 4);
    EXPECT_EQ(skin.palette[3].group, QPalette::Disabled);
    EXPECT_EQ(skin.palette[3].role, QPalette::Text);
    EXPECT_FALSE(skin.colour(QPalette::Text).has_value());  // only the disabled one is given
    EXPECT_EQ(skin.styleSheet, QStringLiteral("QPushButton { color: #F0E0D0; padding: 4px; } /* { not a brace */\n"
                                              "QLabel[text=\"}\"] { background: #102030; }\n"));
}

TEST(SkinFile, ChecksumIsTheStandardCrc32)
{
    EXPECT_EQ(skinfile::crc32("123456789"), 0xCBF43926u);
    EXPECT_EQ(skinfile::crc32(""), 0u);
}

class BadSkinFile : public ::testing::TestWithParam<skintest::BadFile> {};

TEST_P(BadSkinFile, IsRefusedForItsReason)
{
    const skintest::BadFile& c = GetParam();
    const skinfile::Result result = skinfile::parse(c.bytes);
    EXPECT_EQ(result.error, c.error) << c.what << ": got " << skinfile::errorName(result.error) << " ("
                                     << result.detail.toStdString() << ")";
    EXPECT_TRUE(result.skin.name.isEmpty() && result.skin.styleSheet.isEmpty()) << c.what;
}

INSTANTIATE_TEST_SUITE_P(Table, BadSkinFile, ::testing::ValuesIn(skintest::badFiles()),
                         [](const auto& info) {
                             std::string name;
                             for (const char* p = info.param.what; *p; ++p)
                                 name += std::isalnum(static_cast<unsigned char>(*p)) ? *p : '_';
                             return name;
                         });

TEST(SkinFile, EveryChangedByteOfACarriedSkinIsRefused)
{
    const QByteArray carried = skin::carriedSkin(8);
    ASSERT_TRUE(skinfile::parse(carried).ok());
    std::mt19937 random(8);
    // Every header byte with several values, then random places in the text.
    for (int offset = 0; offset < carried.size(); offset += offset < skinfile::kHeaderSize ? 1 : 1 + int(random() % 97)) {
        for (int delta : {1, 0x20, 0x80, 0xFF}) {
            QByteArray changed = carried;
            changed[offset] = char(changed[offset] + delta);
            EXPECT_FALSE(skinfile::parse(changed).ok()) << "offset " << offset << " delta " << delta;
        }
    }
}

TEST(SkinFile, RandomBytesNeverParse)
{
    std::mt19937 random(1);
    for (int i = 0; i < 3000; ++i) {
        QByteArray bytes(qsizetype(random() % 300), Qt::Uninitialized);
        for (char& b : bytes)
            b = char(random());
        if (i % 2 && bytes.size() >= 4)
            bytes.replace(0, 4, ".SHE");  // get past the magic half of the time
        EXPECT_FALSE(skinfile::parse(bytes).ok()) << i;
    }
}

TEST(SkinFile, ReadingRefusesWhatIsNotARegularFileOfModestSize)
{
    QTemporaryDir dir;
    const QString good = dir.filePath(QStringLiteral("good.she"));
    const QString big = dir.filePath(QStringLiteral("big.she"));
    const QString fifo = dir.filePath(QStringLiteral("fifo.she"));
    const QString link = dir.filePath(QStringLiteral("link.she"));
    ASSERT_TRUE(skintest::writeFile(good, skin::carriedSkin(8)));
    ASSERT_TRUE(skintest::writeFile(big, QByteArray(skinfile::kMaxFileSize + 1, 'x')));
    ASSERT_EQ(mkfifo(QFile::encodeName(fifo).constData(), 0600), 0);
    ASSERT_TRUE(QFile::link(good, link));

    struct Case {
        QString path;
        Error error;
    };
    const Case cases[] = {
        {good, Error::None},
        {link, Error::None},
        {big, Error::TooLarge},
        {fifo, Error::Unreadable},  // a pipe with no writer: must not wait for one
        {dir.path(), Error::Unreadable},
        {dir.filePath(QStringLiteral("missing.she")), Error::Unreadable},
        {QStringLiteral("/dev/zero"), Error::Unreadable},
        {QString(), Error::Unreadable},
    };
    for (const Case& c : cases) {
        QByteArray bytes = "stale";
        EXPECT_EQ(skinfile::readFile(QFile::encodeName(c.path).constData(), bytes), c.error) << c.path.toStdString();
        EXPECT_EQ(bytes, c.error == Error::None ? skin::carriedSkin(8) : QByteArray()) << c.path.toStdString();
    }
    QByteArray bytes;
    EXPECT_EQ(skinfile::readFile(nullptr, bytes), Error::Unreadable);
}

}  // namespace
