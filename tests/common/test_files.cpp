#include "common/files.h"

#include <QDir>
#include <QFile>
#include <QTemporaryDir>

#include <gtest/gtest.h>

namespace {

TEST(Files, WriteReplacesWholeAndReadGivesItBack)
{
    QTemporaryDir dir;
    const QString path = dir.filePath(QStringLiteral("f.txt"));
    EXPECT_EQ(files::readAll(path), QByteArray());
    ASSERT_TRUE(files::writeAll(path, "first, longer content"));
    ASSERT_TRUE(files::writeAll(path, "second"));
    EXPECT_EQ(files::readAll(path), "second");
    EXPECT_EQ(QDir(dir.path()).entryList(QDir::Files), QStringList{QStringLiteral("f.txt")});  // no temporary left
}

TEST(Files, NeverWritesThroughALink)
{
    QTemporaryDir dir;
    const QString target = dir.filePath(QStringLiteral("target"));
    const QString link = dir.filePath(QStringLiteral("link"));
    ASSERT_TRUE(files::writeAll(target, "untouched"));
    ASSERT_TRUE(QFile::link(target, link));
    EXPECT_FALSE(files::writeAll(link, "planted"));
    EXPECT_EQ(files::readAll(target), "untouched");
    EXPECT_TRUE(files::exists(link));
}

TEST(Files, ReadingRefusesFoldersAndOversizedFiles)
{
    QTemporaryDir dir;
    EXPECT_EQ(files::readAll(dir.path()), QByteArray());
    const QString path = dir.filePath(QStringLiteral("big"));
    ASSERT_TRUE(files::writeAll(path, QByteArray(100, 'x')));
    EXPECT_EQ(files::readAll(path, 99), QByteArray());
    EXPECT_EQ(files::readAll(path, 100).size(), 100);
}

TEST(Files, AFailedWriteKeepsTheOldFile)
{
    QTemporaryDir dir;
    const QString path = dir.filePath(QStringLiteral("missing-folder/f.txt"));
    EXPECT_FALSE(files::writeAll(path, "x"));
    EXPECT_FALSE(files::exists(path));
}

}  // namespace
