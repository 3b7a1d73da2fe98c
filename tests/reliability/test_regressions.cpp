// Inputs the fuzz targets found that broke a promise, kept as cases of their own.
#include "browsing/history.h"
#include "favourites/folder.h"
#include "favourites/names.h"
#include "platform/ini.h"
#include "platform/platform.h"
#include "tools/url.h"

#include <QFile>
#include <QTemporaryDir>

#include <gtest/gtest.h>

#include <cstring>
#include <string>

#include <fcntl.h>
#include <unistd.h>

namespace {

// Section names whose last byte is a lone lead byte swallow the "]" after them as a trail byte.
TEST(FoundByFuzzing, EverySectionTheWriterAcceptsReadsBack)
{
    const char* const sections[] = {"SZ\xBA", "\x81", "S\xEF\xBB\xBF", "L \xEF" "1\xBB", "\xD0\xC2\xC9\xE8\xD6\xC3"};
    for (const char* section : sections) {
        SCOPED_TRACE(section);
        const std::optional<std::string> written = platform::ini::withValue("a=1\r\n", section, "zt", "3");
        if (written) {
            EXPECT_EQ(platform::ini::lookup(*written, section, "zt"), "3");
        }
    }
    // A whole double-byte name is still written.
    EXPECT_TRUE(platform::ini::withValue("", "\xD0\xC2\xC9\xE8\xD6\xC3", "zt", "3").has_value());

    // The file itself is left alone when the name cannot be stored.
    QTemporaryDir dir;
    const QByteArray path = QFile::encodeName(dir.filePath(QStringLiteral("浏览器.ini")));
    ASSERT_TRUE(platform::WritePrivateProfileStringA("SZ", "zt", "1", path.constData()));
    EXPECT_FALSE(platform::WritePrivateProfileStringA("SZ\xBA", "zt", "2", path.constData()));
    QFile file(QString::fromUtf8(path));
    ASSERT_TRUE(file.open(QIODevice::ReadOnly));
    EXPECT_EQ(file.readAll(), QByteArray("[SZ]\r\nzt=1\r\n"));
}

// Only a whole byte order mark is skipped; a file holding part of one needs a line break
// before the section added after it.
TEST(FoundByFuzzing, ASectionAddedAfterPartOfAByteOrderMarkReadsBack)
{
    for (const char* file : {"\xEF", "\xEF\xBB", "\xEF\xBB\xBF", ""}) {
        const std::optional<std::string> written = platform::ini::withValue(file, "SZ", "zt", "3");
        ASSERT_TRUE(written.has_value());
        EXPECT_EQ(platform::ini::lookup(*written, "SZ", "zt"), "3") << *written;
        EXPECT_EQ(written->substr(0, std::strlen(file)), file);
    }
}

TEST(FoundByFuzzing, ALineThatIsOnlyAnUnfinishedCharacterIsNoEntry)
{
    EXPECT_EQ(browsing::history::parse("\x81\r\nhttp://127.0.0.1/\r\n\x81\x30\x81"),
              QStringList{QStringLiteral("http://127.0.0.1/")});
}

// Page titles may begin with U+FEFF; such a favourite must list again after a restart.
TEST(FoundByFuzzing, ANameBeginningWithAByteOrderMarkFindsItsFileAgain)
{
    const QString name = QStringLiteral("\uFEFF标题 title");
    EXPECT_EQ(favourites::nameFromStem(favourites::fileStem(name)), name);

    QTemporaryDir dir;
    const QByteArray path = QFile::encodeName(dir.path()) + '/' + favourites::fileStem(name) + ".url";
    const int fd = ::open(path.constData(), O_WRONLY | O_CREAT | O_EXCL, 0644);  // bytes as they are
    ASSERT_GE(fd, 0);
    ::close(fd);
    EXPECT_EQ(favourites::listNames(dir.path()), QStringList{name});
}

// Handed on as "[host]", a host holding "[" would reach the HTTP client as another address.
TEST(FoundByFuzzing, AnAddressLiteralHoldingABracketIsNotSplit)
{
    for (const char* address : {"http://[[1]:4/", "h://[[]", "http://[[::1]/x"}) {
        tools::UrlParts parts;
        EXPECT_FALSE(tools::splitAddress(QString::fromLatin1(address), parts)) << address;
    }
    tools::UrlParts parts;
    ASSERT_TRUE(tools::splitAddress(QStringLiteral("http://[::1]:8080/x"), parts));
    EXPECT_EQ(parts.host, QStringLiteral("::1"));
    EXPECT_EQ(tools::requestAddress(parts), QStringLiteral("http://[::1]:8080/x"));
}

}  // namespace
