#include "favourites/names.h"

#include <QSet>

#include <gtest/gtest.h>

#include "printing.h"

#include <random>

namespace {

using favourites::fileStem;
using favourites::nameFromStem;

QString fromUnits(std::initializer_list<char16_t> units)
{
    QString s;
    for (char16_t u : units)
        s += QChar(u);
    return s;
}

// Names a user may type that must neither leave the folder nor be lost.
const QList<QString>& awkwardNames()
{
    static const QList<QString> names = {
        QStringLiteral("新浪首页"), QStringLiteral("a"), QStringLiteral("../../x"), QStringLiteral("a/b"),
        QStringLiteral(".."), QStringLiteral("."), QStringLiteral(".hidden"), QStringLiteral("-rf"),
        QStringLiteral("/"), QStringLiteral("//"), QStringLiteral("100%"), QStringLiteral("%"),
        QStringLiteral("%25"), QStringLiteral("%2F"), QStringLiteral("%252F"), QStringLiteral("%2E"),
        QStringLiteral(".%2E"), QStringLiteral("a%2E"), QStringLiteral("%uD800"), QStringLiteral("%25uD800"),
        QStringLiteral("%2f"), QStringLiteral("tab\there"), QStringLiteral("line\nbreak"),
        QStringLiteral("a\\b*?:<>|\""), QStringLiteral(" "), QStringLiteral("x.url"), QStringLiteral("😀"),
        fromUnits({u'a', 0, u'b'}), fromUnits({0x01, 0x1F, 0x7F, 0x85, 0x9F}), fromUnits({0xD800}),
        fromUnits({0xDC00}), fromUnits({u'x', 0xDBFF, u'y'}), fromUnits({0xDC00, 0xD800}),
        fromUnits({0xD800, u'%', u'u', u'D', u'C', u'0', u'0'}),
    };
    return names;
}

void expectSafeStem(const QString& name)
{
    const QByteArray stem = fileStem(name);
    SCOPED_TRACE(name.toUtf8().toPercentEncoding().toStdString());
    ASSERT_FALSE(stem.isEmpty());
    EXPECT_NE(stem.front(), '.');
    for (char c : stem)
        EXPECT_TRUE(c != '/' && static_cast<unsigned char>(c) >= 0x20 && c != 0x7F) << int(c);
    EXPECT_EQ(QString::fromUtf8(stem).toUtf8(), stem) << "not UTF-8";
    EXPECT_EQ(nameFromStem(stem), std::optional<QString>(name));
}

TEST(FileStem, EveryNameGetsOneSafeFileNameAndComesBack)
{
    QSet<QByteArray> stems;
    for (const QString& name : awkwardNames()) {
        expectSafeStem(name);
        stems.insert(fileStem(name));
    }
    EXPECT_EQ(stems.size(), awkwardNames().size()) << "two names share a file";
}

// The escapes interact ("%25" in front of "%2F" in front of ...): try many short names
// made of the characters that matter.
TEST(FileStem, ShortNamesOfEscapeCharactersRoundTrip)
{
    const char16_t alphabet[] = {u'%', u'2', u'5', u'F', u'E', u'.', u'u', u'D', u'8', u'0', u'/', u'a', 0xD800, 0xDC00, 0x01};
    std::mt19937 random(7);
    std::uniform_int_distribution<int> pick(0, int(std::size(alphabet)) - 1), length(1, 9);
    QHash<QByteArray, QString> owners;
    for (int round = 0; round < 50000; ++round) {
        QString name;
        for (int k = length(random); k > 0; --k)
            name += QChar(alphabet[pick(random)]);
        const QByteArray stem = fileStem(name);
        ASSERT_EQ(nameFromStem(stem), std::optional<QString>(name)) << stem.toStdString();
        ASSERT_NE(stem.front(), '.');
        ASSERT_FALSE(stem.contains('/'));
        const QString owner = owners.value(stem, name);
        ASSERT_EQ(owner, name) << "two names share " << stem.toStdString();
        owners.insert(stem, name);
    }
}

TEST(FileStem, PlainNamesAreStoredAsTheyAre)
{
    const struct {
        QString name;
        QByteArray stem;
    } cases[] = {
        {QStringLiteral("新浪"), QByteArray("\xE6\x96\xB0\xE6\xB5\xAA")},
        {QStringLiteral("50% off"), "50% off"},
        {QStringLiteral("-rf"), "-rf"},
        {QStringLiteral("a.b."), "a.b."},
        {QStringLiteral("../../x"), "%2E.%2F..%2Fx"},
        {QStringLiteral("a/b"), "a%2Fb"},
        {QStringLiteral("%2F"), "%252F"},
        {fromUnits({u'a', 0xD800}), "a%uD800"},
    };
    for (const auto& c : cases)
        EXPECT_EQ(fileStem(c.name), c.stem) << c.name.toStdString();
}

TEST(NameFromStem, FilesFromOtherProgramsListAsThemselvesOrNotAtAll)
{
    const struct {
        QByteArray stem;
        std::optional<QString> name;
    } cases[] = {
        {"Google", QStringLiteral("Google")},
        {"100%", QStringLiteral("100%")},
        {"%41", QStringLiteral("%41")},          // not an escape this program writes
        {"a%2e", QStringLiteral("a%2e")},
        {"a%2E", QStringLiteral("a%2E")},        // '.' is escaped only at the start
        {"%2Fetc", QStringLiteral("/etc")},
        {".hidden", std::nullopt},               // no name is stored with a leading '.'
        {"\xFF\xFE", std::nullopt},              // not UTF-8
        {"%uD83D%uDE00", std::nullopt},          // a pair is stored as UTF-8, not escaped
        {"", std::nullopt},
    };
    for (const auto& c : cases)
        EXPECT_EQ(nameFromStem(c.stem), c.name) << c.stem.toStdString();
}

TEST(FitsFileName, NamePlusExtensionWithin255Bytes)
{
    const struct {
        QString name;
        bool fits;
    } cases[] = {
        {QString(251, u'a'), true},
        {QString(252, u'a'), false},
        {QString(83, u'中'), true},   // 249 bytes in UTF-8
        {QString(84, u'中'), false},
        {QString(249, u'a') + u'/', false},  // the escape counts: 252 bytes
        {QString(248, u'a') + u'/', true},
    };
    for (const auto& c : cases)
        EXPECT_EQ(favourites::fitsFileName(c.name), c.fits) << c.name.size();
}

TEST(HasUrlExtension, LetterCaseDoesNotCount)
{
    const struct {
        const char* fileName;
        bool matches;
    } cases[] = {
        {"a.url", true}, {"A.URL", true}, {"b.Url", true}, {".url", false},
        {"a.urlx", false}, {"aurl", false}, {"a.lnk", false}, {"a.url.txt", false},
    };
    for (const auto& c : cases)
        EXPECT_EQ(favourites::hasUrlExtension(c.fileName), c.matches) << c.fileName;
}

}  // namespace
