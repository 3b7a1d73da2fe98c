#include "common/text.h"

#include <gtest/gtest.h>

namespace {

QByteArray gbk(const char16_t* s) { return text::encode(QString::fromUtf16(s)); }

TEST(CodePage, RoundTripsChineseAndRareCharacters)
{
    for (const char16_t* s : {u"收藏夹", u"浏览器.ini", u"𠀀 emoji 😀", u"ＡＢＣ１２３"}) {
        const QString original = QString::fromUtf16(s);
        EXPECT_EQ(text::decode(text::encode(original)), original);
    }
    EXPECT_EQ(gbk(u"中").toHex(), QByteArray("d6d0"));  // GBK bytes unchanged
}

TEST(Bytes, LeftAndRightFollowTheByteRules)
{
    const QByteArray b("abcdef");
    EXPECT_EQ(text::left(b, 0), "");
    EXPECT_EQ(text::left(b, -3), "");
    EXPECT_EQ(text::left(b, 2), "ab");
    EXPECT_EQ(text::left(b, 99), "abcdef");
    EXPECT_EQ(text::right(b, -1), "");
    EXPECT_EQ(text::right(b, 2), "ef");
    EXPECT_EQ(text::right(b, 99), "abcdef");
    EXPECT_EQ(text::cutAtZero(QByteArray("ab\0cd", 5)), "ab");
    EXPECT_EQ(text::cutAtZero("abc"), "abc");
}

TEST(Bytes, FindMatchesOnlyWhereACharacterStarts)
{
    // 0x81 0x55 is one double-byte character whose trail byte is 'U'.
    const QByteArray hidden = QByteArray("\x81UURL=x");
    EXPECT_EQ(text::find(hidden, "URL="), 3);
    EXPECT_EQ(text::find(QByteArray("\x81URL="), "URL="), -1);
    EXPECT_EQ(text::find("abcURL=URL=", "URL="), 4);
    EXPECT_EQ(text::find("abc", "URL="), -1);
    EXPECT_EQ(text::find(gbk(u"中文URL=地址"), "URL="), 5);
}

struct SplitCase {
    const char* name;
    QByteArray bytes;
    QList<QByteArray> pieces;
};

class SplitCrLf : public testing::TestWithParam<SplitCase> {};

TEST_P(SplitCrLf, Splits)
{
    EXPECT_EQ(text::splitCrLf(GetParam().bytes), GetParam().pieces);
}

INSTANTIATE_TEST_SUITE_P(
    Cases, SplitCrLf,
    testing::Values(SplitCase{"empty", "", {}},
                    SplitCase{"one_line", "a\r\n", {"a"}},
                    SplitCase{"two_in_a_row", "a\r\n\r\nb\r\n", {"a", "", "b"}},
                    SplitCase{"last_without_crlf", "a\r\nb", {"a", "b"}},
                    SplitCase{"lf_only", "a\nb\n", {"a\nb\n"}},
                    SplitCase{"lone_cr", "a\rb\r\n", {"a\rb"}},
                    // A double-byte character is kept whole; a lead byte before CR is not a pair.
                    SplitCase{"gbk", QByteArray("\xd6\xd0\r\n\x81\r\n"), {"\xd6\xd0", "\x81"}}),
    [](const auto& info) { return std::string(info.param.name); });

}  // namespace
