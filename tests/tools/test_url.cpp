#include "tools/url.h"

#include <gtest/gtest.h>

namespace {

struct SplitCase {
    const char16_t* address;
    const char16_t* scheme;
    const char16_t* host;
    int port;
    const char16_t* user;
    const char16_t* password;
    const char16_t* object;
};

class SplitAddress : public ::testing::TestWithParam<SplitCase> {};

TEST_P(SplitAddress, GivesTheParts)
{
    const SplitCase& c = GetParam();
    tools::UrlParts parts;
    ASSERT_TRUE(tools::splitAddress(QString::fromUtf16(c.address), parts));
    EXPECT_EQ(parts.scheme, QString::fromUtf16(c.scheme));
    EXPECT_EQ(parts.host, QString::fromUtf16(c.host));
    EXPECT_EQ(parts.port, c.port);
    EXPECT_EQ(parts.user, QString::fromUtf16(c.user));
    EXPECT_EQ(parts.password, QString::fromUtf16(c.password));
    EXPECT_EQ(parts.object, QString::fromUtf16(c.object));
}

INSTANTIATE_TEST_SUITE_P(
    Cases, SplitAddress,
    ::testing::Values(
        SplitCase{u"http://example.com/a/b.html?x=1&y=2", u"http", u"example.com", 80, u"", u"", u"/a/b.html?x=1&y=2"},
        SplitCase{u"HTTPS://Example.com", u"https", u"Example.com", 443, u"", u"", u"/"},
        SplitCase{u"http://h:8080?q", u"http", u"h", 8080, u"", u"", u"/?q"},
        SplitCase{u"http://h/p#frag#more?x", u"http", u"h", 80, u"", u"", u"/p"},
        SplitCase{u"http://h#top", u"http", u"h", 80, u"", u"", u"/"},
        SplitCase{u"http://bob:pa:ss@h:81/x", u"http", u"h", 81, u"bob", u"pa:ss", u"/x"},
        SplitCase{u"http://a@b@h/", u"http", u"h", 80, u"a@b", u"", u"/"},
        SplitCase{u"http://bob@h/", u"http", u"h", 80, u"bob", u"", u"/"},
        // nothing is decoded or re-encoded
        SplitCase{u"http://h/%7Euser/a%20b/../c?q=%E4%B8%AD&r=中", u"http", u"h", 80, u"", u"", u"/%7Euser/a%20b/../c?q=%E4%B8%AD&r=中"},
        SplitCase{u"http://us%40er:p%3Aw@h/", u"http", u"h", 80, u"us%40er", u"p%3Aw", u"/"},
        SplitCase{u"http://[::1]:8000/v6", u"http", u"::1", 8000, u"", u"", u"/v6"},
        SplitCase{u"http://h:/x", u"http", u"h", 80, u"", u"", u"/x"},
        SplitCase{u"ftp://files.example.com/pub", u"ftp", u"files.example.com", 21, u"", u"", u"/pub"}));

TEST(SplitAddress, RefusesWhatIsNoServerAddress)
{
    const char16_t* const addresses[] = {
        u"", u"about:blank", u"example.com/x", u"http://", u"http:///x", u"http://user@/x", u"http://h:0/",
        u"http://h:65536/", u"http://h:8o/", u"http://h:123456/", u"http://[::1/", u"http://[::1]x/",
        u"1http://h/", u"ht tp://h/", u"://h/",
    };
    for (const char16_t* address : addresses) {
        tools::UrlParts parts;
        parts.host = QStringLiteral("untouched");
        EXPECT_FALSE(tools::splitAddress(QString::fromUtf16(address), parts)) << QString::fromUtf16(address).toStdString();
        EXPECT_EQ(parts.host, QStringLiteral("untouched"));
    }
}

TEST(RequestAddress, CarriesNoUserName)
{
    tools::UrlParts parts;
    ASSERT_TRUE(tools::splitAddress(QStringLiteral("http://bob:pw@h:81/x?y#z"), parts));
    EXPECT_EQ(tools::requestAddress(parts), QStringLiteral("http://h:81/x?y"));
    ASSERT_TRUE(tools::splitAddress(QStringLiteral("https://[::1]/"), parts));
    EXPECT_EQ(tools::requestAddress(parts), QStringLiteral("https://[::1]/"));
    ASSERT_TRUE(tools::splitAddress(QStringLiteral("http://h:80/a?b"), parts));
    EXPECT_EQ(tools::requestAddress(parts), QStringLiteral("http://h/a?b"));
    ASSERT_TRUE(tools::splitAddress(QStringLiteral("https://h:80/"), parts));
    EXPECT_EQ(tools::requestAddress(parts), QStringLiteral("https://h:80/"));
}

}  // namespace
