#include "browsing/history.h"
#include "common/paths.h"
#include "common/text.h"

#include <QComboBox>
#include <QDir>
#include <QFile>
#include <QTemporaryDir>

#include <gtest/gtest.h>

namespace {

using browsing::history::parse;

QStringList list(const QComboBox& box)
{
    QStringList items;
    for (int i = 0; i < box.count(); ++i)
        items.append(box.itemText(i));
    return items;
}

struct ParseCase {
    const char* name;
    QByteArray bytes;
    QStringList entries;
};

class HistoryParse : public testing::TestWithParam<ParseCase> {};

TEST_P(HistoryParse, Loads)
{
    EXPECT_EQ(parse(GetParam().bytes), GetParam().entries);
}

INSTANTIATE_TEST_SUITE_P(
    Files, HistoryParse,
    testing::Values(
        ParseCase{"empty", "", {}},
        ParseCase{"blank_line_between", "http://a/\r\n\r\nhttp://b/\r\n", {"http://a/", "http://b/"}},
        ParseCase{"last_line_without_crlf", "http://a/\r\nhttp://b/", {"http://a/", "http://b/"}},
        ParseCase{"lf_only_is_one_entry", "http://a/\nhttp://b/\n", {"http://a/\nhttp://b/\n"}},
        ParseCase{"blanks_are_an_entry", "   \r\nx\r\n", {"   ", "x"}},
        ParseCase{"zero_byte_ends_the_text", QByteArray("http://a/\r\nhttp://b/\0\r\nhttp://c/\r\n", 35), {"http://a/", "http://b/"}},
        ParseCase{"gbk_addresses", QByteArray("http://\xd6\xd0\xce\xc4.cn/\r\n"), {QStringLiteral("http://中文.cn/")}},
        // A lead byte without its trail byte does not swallow the line break.
        ParseCase{"lone_lead_byte_stays_in_its_line", QByteArray("a\x81\r\nb\r\n"), {"a", "b"}}),
    [](const auto& info) { return std::string(info.param.name); });

class HistoryFile : public testing::Test {
protected:
    void SetUp() override { paths::fix(dir.filePath(QStringLiteral("sorvane"))); }
    QByteArray fileBytes() const
    {
        QFile f(browsing::history::filePath());
        return f.open(QIODevice::ReadOnly) ? f.readAll() : QByteArray("<missing>");
    }
    QTemporaryDir dir;
    QComboBox box;
    void editable() { box.setEditable(true); }
};

TEST_F(HistoryFile, FiftyAfterEachInsertOnlyAtExactly51)
{
    editable();
    for (int i = 0; i < 50; ++i)
        browsing::history::insertAtTop(box, QString::number(i));
    browsing::history::insertAtTop(box, QStringLiteral("new"));
    EXPECT_EQ(box.count(), 50);
    EXPECT_EQ(box.itemText(0), QStringLiteral("new"));
    EXPECT_EQ(box.itemText(49), QStringLiteral("1"));  // "0", the oldest, is gone

    // A longer file loads whole, and the next insertion removes nothing.
    QByteArray sixty;
    for (int i = 0; i < 60; ++i)
        sixty += "http://host/" + QByteArray::number(i) + "\r\n";
    QComboBox loaded;
    loaded.setEditable(true);
    QFile f(browsing::history::filePath());
    ASSERT_TRUE(f.open(QIODevice::WriteOnly));
    f.write(sixty);
    f.close();
    browsing::history::load(loaded);
    EXPECT_EQ(loaded.count(), 60);
    browsing::history::insertAtTop(loaded, QStringLiteral("x"));
    EXPECT_EQ(loaded.count(), 61);
}

TEST_F(HistoryFile, SaveAndLoadRoundTripInFileOrder)
{
    editable();
    box.setEditText(QStringLiteral("typed"));
    for (const QString& e : {QStringLiteral("http://b/"), QStringLiteral("http://中文/"), QString(), QStringLiteral("http://a/")})
        browsing::history::insertAtTop(box, e);
    EXPECT_EQ(box.currentText(), QStringLiteral("typed"));  // inserting leaves the shown text alone
    browsing::history::save(box);
    EXPECT_EQ(fileBytes(), "http://a/\r\n\r\n" + text::encode(QStringLiteral("http://中文/")) + "\r\nhttp://b/\r\n");
    EXPECT_EQ(QDir(dir.path()).entryList(QDir::Files), QStringList{QStringLiteral("lj.txt")});

    QComboBox next;
    next.setEditable(true);
    browsing::history::load(next);
    // The empty entry is gone after the next start.
    EXPECT_EQ(list(next), (QStringList{QStringLiteral("http://a/"), QStringLiteral("http://中文/"), QStringLiteral("http://b/")}));
    EXPECT_EQ(next.currentText(), QString());
}

TEST_F(HistoryFile, EmptyListLeavesAnEmptyFileAndNoFileLoadsEmpty)
{
    editable();
    browsing::history::load(box);
    EXPECT_EQ(box.count(), 0);
    browsing::history::save(box);
    EXPECT_EQ(fileBytes(), QByteArray());
}

}  // namespace
