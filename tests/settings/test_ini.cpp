#include "platform/ini.h"
#include "platform/platform.h"

#include <QCoreApplication>
#include <QDir>
#include <QFile>
#include <QProcess>
#include <QTemporaryDir>

#include <gtest/gtest.h>

#include <fcntl.h>
#include <optional>
#include <string>
#include <sys/stat.h>
#include <unistd.h>
#include <utility>
#include <vector>

namespace {

const std::string kDefault = "<default>";

std::string fileBytes(const std::string& path)
{
    QFile file(QString::fromStdString(path));
    if (!file.open(QIODevice::ReadOnly))
        return "<missing>";
    return file.readAll().toStdString();
}

void putFile(const std::string& path, const std::string& bytes)
{
    QFile file(QString::fromStdString(path));
    ASSERT_TRUE(file.open(QIODevice::WriteOnly | QIODevice::Truncate));
    ASSERT_EQ(file.write(bytes.data(), static_cast<qint64>(bytes.size())), static_cast<qint64>(bytes.size()));
}

std::string readKey(const std::string& path, const char* section, const char* key,
                    const char* defaultValue = kDefault.c_str(), uint32_t size = 10240)
{
    std::vector<char> buffer(size + 1, '#');
    const uint32_t n = platform::GetPrivateProfileStringA(section, key, defaultValue, buffer.data(), size, path.c_str());
    EXPECT_LE(n, size == 0 ? 0 : size - 1);
    if (size > 0) {
        EXPECT_EQ(buffer[n], '\0') << "not terminated after the count";
    }
    return std::string(buffer.data(), n);
}

class IniFile : public ::testing::Test {
protected:
    QTemporaryDir dir;
    std::string path = QString(dir.path() + QStringLiteral("/浏览器.ini")).toStdString();
    std::string inDir(const char* name) const { return QString(dir.path() + u'/' + QString::fromUtf8(name)).toStdString(); }
    QStringList entries() const { return QDir(dir.path()).entryList(QDir::AllEntries | QDir::NoDotAndDotDot | QDir::System); }
};

// ---------------------------------------------------------------------------------------
// Files a simple line splitter gets wrong: each is read, written once, and compared byte
// for byte; what was written then reads back.

using Reads = std::vector<std::pair<std::string, std::string>>;  // key in "SZ" -> value

struct Case {
    const char* name;
    std::optional<std::string> before;  // nothing: no file
    Reads reads;
    const char* key;
    const char* value;
    std::string after;
    Reads readsAfter;
};

const std::string kLong(20000, 'a');

const Case kCases[] = {
    {"LetterCase", "[sz]\r\nZT=3\r\n", {{"zt", "3"}, {"Zt", "3"}}, "zt", "4", "[sz]\r\nZT=4\r\n", {{"ZT", "4"}}},
    {"BlanksAroundNamesAndValues", "  [ SZ ]  \r\n\t zt \t=  3  \r\n", {{"zt", "3"}, {" zt ", "3"}}, "zt", "1",
     "  [ SZ ]  \r\n\t zt=1\r\n", {{"zt", "1"}}},
    {"OnePairOfQuotes", "[SZ]\nzy=\"  a b  \"\nq = 'x' \nr=\"y'\ns=\"\"\"\"\n",
     {{"zy", "  a b  "}, {"q", "x"}, {"r", "\"y'"}, {"s", "\"\""}}, "q", " pad ",
     "[SZ]\nzy=\"  a b  \"\nq=\" pad \"\nr=\"y'\ns=\"\"\"\"\n", {{"q", " pad "}}},
    {"QuotedValueWrittenBack", "[SZ]\r\n", {}, "zy", "'q'", "[SZ]\r\nzy=\"'q'\"\r\n", {{"zy", "'q'"}}},
    {"EmptyValueIsNotMissing", "[SZ]\r\nzy=\r\nzt=  \r\nq=\"\"\r\n", {{"zy", ""}, {"zt", ""}, {"q", ""}}, "tzs", "1",
     "[SZ]\r\nzy=\r\nzt=  \r\nq=\"\"\r\ntzs=1\r\n", {{"zy", ""}, {"tzs", "1"}}},
    {"EmptyValueWritten", "[SZ]\r\nzy=home\r\n", {}, "zy", "", "[SZ]\r\nzy=\r\n", {{"zy", ""}}},
    {"DuplicateKeysFirstWins", "[SZ]\r\nzt=1\r\nZT=2\r\n", {{"zt", "1"}}, "zt", "4", "[SZ]\r\nzt=4\r\nZT=2\r\n",
     {{"zt", "4"}}},
    {"CommentsAreNotKeys", "; zt=9\r\n[SZ]\r\n;zt=8\r\n  ; zy=x\r\nzt=1\r\n; about [B]\r\n\r\n[B]\r\nk=v\r\n",
     {{"zt", "1"}, {"zy", kDefault}, {"k", kDefault}}, "zy", "home",
     "; zt=9\r\n[SZ]\r\n;zt=8\r\n  ; zy=x\r\nzt=1\r\nzy=home\r\n; about [B]\r\n\r\n[B]\r\nk=v\r\n",
     {{"zy", "home"}}},
    {"SemicolonInsideAValue", "[SZ]\r\nzt=2 ; big\r\n", {{"zt", "2 ; big"}}, "zt", "3", "[SZ]\r\nzt=3\r\n", {}},
    {"ValueLongerThanTheBuffer", "[SZ]\r\nzy=" + kLong + "\r\nzt=1\r\n", {{"zy", kLong.substr(0, 10239)}}, "zt",
     "2", "[SZ]\r\nzy=" + kLong + "\r\nzt=2\r\n", {}},
    {"ValueHoldingEquals", "[SZ]\r\nzy=http://127.0.0.1/?a=b=c\r\n", {{"zy", "http://127.0.0.1/?a=b=c"}}, "zy",
     "x=y", "[SZ]\r\nzy=x=y\r\n", {{"zy", "x=y"}}},
    {"LfFileStaysLf", "[SZ]\nzt=1\n", {{"zt", "1"}}, "tzs", "1", "[SZ]\nzt=1\ntzs=1\n", {}},
    {"CrLfFileStaysCrLf", "[SZ]\r\nzt=1\r\n", {{"zt", "1"}}, "tzs", "1", "[SZ]\r\nzt=1\r\ntzs=1\r\n", {}},
    {"NoFinalNewlineAppend", "[SZ]\r\nzt=1", {{"zt", "1"}}, "tzs", "1", "[SZ]\r\nzt=1\r\ntzs=1\r\n", {}},
    {"NoFinalNewlineReplace", "[SZ]\r\nzt=1", {}, "zt", "2", "[SZ]\r\nzt=2", {{"zt", "2"}}},
    {"NewKeyAfterTheSectionsLastKey", "[A]\r\nzt=7\r\n\r\n[SZ]\r\nzt=1\r\nx=y\r\n\r\n\r\n[B]\r\nzt=9\r\n",
     {{"zt", "1"}, {"tzs", kDefault}}, "tzs", "1",
     "[A]\r\nzt=7\r\n\r\n[SZ]\r\nzt=1\r\nx=y\r\ntzs=1\r\n\r\n\r\n[B]\r\nzt=9\r\n", {}},
    {"ReplaceLeavesOtherSections", "[A]\r\nzt=7\r\n[SZ]\r\nzt=1\r\n[B]\r\nzt=9\r\n", {}, "zt", "3",
     "[A]\r\nzt=7\r\n[SZ]\r\nzt=3\r\n[B]\r\nzt=9\r\n", {{"zt", "3"}}},
    {"SectionWithoutKeys", "[SZ]\r\n\r\n[B]\r\n", {{"zt", kDefault}}, "zt", "1", "[SZ]\r\nzt=1\r\n\r\n[B]\r\n", {}},
    {"NewSectionAtTheEnd", "; mine\n[A]\nk=1", {{"k", kDefault}}, "zt", "2", "; mine\n[A]\nk=1\n[SZ]\nzt=2\n",
     {{"zt", "2"}}},
    {"MissingFile", std::nullopt, {{"zt", kDefault}}, "zt", "2", "[SZ]\r\nzt=2\r\n", {{"zt", "2"}}},
    {"EmptyFile", "", {{"zt", kDefault}}, "zt", "2", "[SZ]\r\nzt=2\r\n", {}},
    {"ByteOrderMark", "\xEF\xBB\xBF[SZ]\r\nzt=3\r\n", {{"zt", "3"}}, "zt", "0", "\xEF\xBB\xBF[SZ]\r\nzt=0\r\n", {}},
    {"KeyBeforeAnySection", "zt=9\r\n[SZ]\r\n", {{"zt", kDefault}}, "zt", "1", "zt=9\r\n[SZ]\r\nzt=1\r\n", {}},
    {"SimilarNames", "[SZX]\r\nzt=1\r\n[SZ]\r\nztx=2\r\nz=3\r\nzt=4\r\n", {{"zt", "4"}}, "zt", "5",
     "[SZX]\r\nzt=1\r\n[SZ]\r\nztx=2\r\nz=3\r\nzt=5\r\n", {}},
    {"FirstOfTwoSections", "[SZ]\r\nzt=1\r\n[X]\r\n[sz]\r\nzy=late\r\n", {{"zt", "1"}, {"zy", kDefault}}, "zy",
     "home", "[SZ]\r\nzt=1\r\nzy=home\r\n[X]\r\n[sz]\r\nzy=late\r\n", {{"zy", "home"}}},
    {"TextAfterTheHeader", "[SZ] ; settings\r\nzt=3\r\n", {{"zt", "3"}}, "zt", "4", "[SZ] ; settings\r\nzt=4\r\n", {}},
    {"CodePageValue", "[SZ]\r\nzy=\xD6\xF7\xD2\xB3\r\n", {{"zy", "\xD6\xF7\xD2\xB3"}}, "zt", "1",
     "[SZ]\r\nzy=\xD6\xF7\xD2\xB3\r\nzt=1\r\n", {}},
    {"MixedLineEndsKeepTheFirst", "[SZ]\nzt=1\r\nzy=a", {}, "tzs", "1", "[SZ]\nzt=1\r\nzy=a\ntzs=1\n", {}},
};

class IniCase : public IniFile, public ::testing::WithParamInterface<Case> {};

TEST_P(IniCase, ReadsThenWritesByteForByte)
{
    const Case& c = GetParam();
    if (c.before)
        putFile(path, *c.before);
    for (const auto& [key, expected] : c.reads)
        EXPECT_EQ(readKey(path, "SZ", key.c_str()), expected) << "before the write, key " << key;
    ASSERT_TRUE(platform::WritePrivateProfileStringA("SZ", c.key, c.value, path.c_str()));
    EXPECT_EQ(fileBytes(path), c.after);
    for (const auto& [key, expected] : c.readsAfter)
        EXPECT_EQ(readKey(path, "SZ", key.c_str()), expected) << "after the write, key " << key;
    EXPECT_EQ(entries(), QStringList({QStringLiteral("浏览器.ini"), QStringLiteral("浏览器.ini.lock")}))
        << "no temporary file left behind";
}

INSTANTIATE_TEST_SUITE_P(Cases, IniCase, ::testing::ValuesIn(kCases),
                         [](const ::testing::TestParamInfo<Case>& info) { return std::string(info.param.name); });

// ---------------------------------------------------------------------------------------

TEST_F(IniFile, BufferCutsValuesAndDefaults)
{
    // 'a' followed by the double-byte "中": a cut never keeps half of it.
    putFile(path, "[SZ]\r\nk=abcd\r\ng=a\xD6\xD0z\r\n");
    struct Cut {
        const char* key;
        const char* defaultValue;
        uint32_t size;
        std::string expected;
    };
    const Cut cuts[] = {
        {"k", "", 10240, "abcd"}, {"k", "", 5, "abcd"}, {"k", "", 4, "abc"},          {"k", "", 1, ""},
        {"g", "", 3, "a"},        {"g", "", 4, "a\xD6\xD0"}, {"none", "dflt  \t", 64, "dflt"},
        {"none", "  dflt", 64, "  dflt"}, {"none", "default", 4, "def"},
    };
    for (const Cut& cut : cuts)
        EXPECT_EQ(readKey(path, "SZ", cut.key, cut.defaultValue, cut.size), cut.expected)
            << cut.key << " size " << cut.size;

    char untouched[4] = {'#', '#', '#', '#'};
    EXPECT_EQ(platform::GetPrivateProfileStringA("SZ", "k", "d", untouched, 0, path.c_str()), 0u);
    EXPECT_EQ(untouched[0], '#');
    EXPECT_EQ(readKey(path, "SZ", "none", nullptr), "");
}

TEST_F(IniFile, NamesMatchIgnoringAsciiCaseOnly)
{
    // Lead byte B0 with trail bytes 'A' and 'a' are two different characters.
    putFile(path, "[\xB0" "A]\r\nk=upper\r\n[SZ]\r\n\xB0" "a=lower\r\n");
    EXPECT_EQ(readKey(path, "\xB0" "A", "K"), "upper");
    EXPECT_EQ(readKey(path, "\xB0" "a", "k"), kDefault);
    EXPECT_EQ(readKey(path, "sz", "\xB0" "a"), "lower");
    EXPECT_EQ(readKey(path, "sz", "\xB0" "A"), kDefault);
    EXPECT_TRUE(platform::ini::sameName("Zt", "zT"));
    EXPECT_FALSE(platform::ini::sameName("zt", "zt "));
}

TEST_F(IniFile, ListsSectionAndKeyNames)
{
    putFile(path, "[A]\r\nx=1\r\n[SZ]\r\nzt=2\r\n;c=3\r\nZT=4\r\nzy=\r\n");
    std::vector<char> buffer(64, '#');
    uint32_t n = platform::GetPrivateProfileStringA(nullptr, nullptr, nullptr, buffer.data(), 64, path.c_str());
    EXPECT_EQ(std::string(buffer.data(), n + 1), std::string("A\0SZ\0\0", 6));
    n = platform::GetPrivateProfileStringA("sz", nullptr, nullptr, buffer.data(), 64, path.c_str());
    EXPECT_EQ(std::string(buffer.data(), n + 1), std::string("zt\0zy\0\0", 7));
    n = platform::GetPrivateProfileStringA("sz", nullptr, nullptr, buffer.data(), 5, path.c_str());
    EXPECT_EQ(n, 3u);
    EXPECT_EQ(std::string(buffer.data(), 5), std::string("zt\0\0\0", 5));
}

TEST_F(IniFile, NullValueDeletesTheKeyAndNullKeyTheSection)
{
    putFile(path, "[SZ]\r\nzt=1\r\nzy=a\r\nZT=2\r\n[B]\r\nzt=9\r\n[sz]\r\ntzs=1\r\n; end\r\n");
    ASSERT_TRUE(platform::WritePrivateProfileStringA("SZ", "zt", nullptr, path.c_str()));
    EXPECT_EQ(fileBytes(path), "[SZ]\r\nzy=a\r\n[B]\r\nzt=9\r\n[sz]\r\ntzs=1\r\n; end\r\n");
    ASSERT_TRUE(platform::WritePrivateProfileStringA("Sz", nullptr, nullptr, path.c_str()));
    EXPECT_EQ(fileBytes(path), "[B]\r\nzt=9\r\n");

    const std::string missing = inDir("missing.ini");
    EXPECT_TRUE(platform::WritePrivateProfileStringA("SZ", "zt", nullptr, missing.c_str()));
    EXPECT_TRUE(platform::WritePrivateProfileStringA("SZ", nullptr, nullptr, missing.c_str()));
    EXPECT_FALSE(QFile::exists(QString::fromStdString(missing))) << "deleting from nothing creates nothing";
}

TEST_F(IniFile, RefusesWhatCannotBeStoredOnOneLine)
{
    const std::string before = "[SZ]\r\nzt=1\r\n";
    putFile(path, before);
    struct Refused {
        const char* section;
        const char* key;
        const char* value;
    };
    const Refused refused[] = {
        {"SZ", "zy", "a\r\n[SZ]\r\nzt=4"}, {"SZ", "zy", "a\nb"}, {"SZ", "zy", "a\rb"}, {"SZ", "a=b", "1"},
        {"SZ", "", "1"},  {"SZ", "  ", "1"}, {"SZ", ";zt", "1"}, {"SZ", "[zt", "1"},   {"S]Z", "zt", "1"},
        {"", "zt", "1"},  {"S\nZ", "zt", "1"}, {nullptr, "zt", "1"},
    };
    for (const Refused& r : refused)
        EXPECT_FALSE(platform::WritePrivateProfileStringA(r.section, r.key, r.value, path.c_str()))
            << (r.section ? r.section : "(null)") << " / " << r.key << " / " << r.value;
    EXPECT_EQ(fileBytes(path), before);
    EXPECT_EQ(readKey(path, "SZ", "zt"), "1");
}

TEST_F(IniFile, NeverWritesThroughALink)
{
    const std::string target = inDir("elsewhere.ini");
    putFile(target, "[SZ]\r\nzt=1\r\n");
    ASSERT_EQ(symlink(target.c_str(), path.c_str()), 0);
    EXPECT_FALSE(platform::WritePrivateProfileStringA("SZ", "zt", "4", path.c_str()));
    EXPECT_EQ(fileBytes(target), "[SZ]\r\nzt=1\r\n");
    struct stat st {};
    ASSERT_EQ(lstat(path.c_str(), &st), 0);
    EXPECT_TRUE(S_ISLNK(st.st_mode));

    // Nor through a link planted as the lock file.
    const std::string other = inDir("other.ini");
    const std::string victim = inDir("victim");
    ASSERT_EQ(symlink(victim.c_str(), (other + ".lock").c_str()), 0);
    EXPECT_FALSE(platform::WritePrivateProfileStringA("SZ", "zt", "4", other.c_str()));
    EXPECT_FALSE(QFile::exists(QString::fromStdString(victim)));
    EXPECT_FALSE(QFile::exists(QString::fromStdString(other)));
}

TEST_F(IniFile, OtherKindsOfEntryUnderTheNameGiveDefaultsAndAreLeftAlone)
{
    const std::string folder = inDir("folder.ini");
    ASSERT_TRUE(QDir().mkdir(QString::fromStdString(folder)));
    EXPECT_EQ(readKey(folder, "SZ", "zt"), kDefault);
    EXPECT_FALSE(platform::WritePrivateProfileStringA("SZ", "zt", "1", folder.c_str()));

    const std::string fifo = inDir("fifo.ini");
    ASSERT_EQ(mkfifo(fifo.c_str(), 0600), 0);
    EXPECT_EQ(readKey(fifo, "SZ", "zt"), kDefault);  // returns at once, no writer needed
    EXPECT_FALSE(platform::WritePrivateProfileStringA("SZ", "zt", "1", fifo.c_str()));
}

TEST_F(IniFile, OversizedFileIsNeitherReadNorTruncated)
{
    putFile(path, "[SZ]\r\nzt=3\r\n");
    const off_t size = static_cast<off_t>(platform::ini::kMaxFileBytes) + 1;
    ASSERT_EQ(truncate(path.c_str(), size), 0);
    EXPECT_EQ(readKey(path, "SZ", "zt"), kDefault);
    EXPECT_FALSE(platform::WritePrivateProfileStringA("SZ", "zt", "1", path.c_str()));
    struct stat st {};
    ASSERT_EQ(stat(path.c_str(), &st), 0);
    EXPECT_EQ(st.st_size, size);
    EXPECT_EQ(fileBytes(path).substr(0, 12), "[SZ]\r\nzt=3\r\n");

    // Nor grown past the cap by a write.
    const std::string near = inDir("near.ini");
    putFile(near, "[SZ]\r\n" + std::string(platform::ini::kMaxFileBytes - 10, ';') + "\r\n");
    EXPECT_FALSE(platform::WritePrivateProfileStringA("SZ", "zy", "0123456789", near.c_str()));
    EXPECT_EQ(fileBytes(near).size(), platform::ini::kMaxFileBytes - 2);
}

TEST_F(IniFile, RewriteKeepsTheFilesPermissions)
{
    putFile(path, "[SZ]\r\nzt=1\r\n");
    ASSERT_EQ(chmod(path.c_str(), 0640), 0);
    ASSERT_TRUE(platform::WritePrivateProfileStringA("SZ", "zt", "2", path.c_str()));
    struct stat st {};
    ASSERT_EQ(stat(path.c_str(), &st), 0);
    EXPECT_EQ(st.st_mode & 07777, 0640u);
}

// Two processes write their own key at the same moment, many times over: neither loses an
// update to the other's read-modify-write.
TEST_F(IniFile, TwoProcessesWritingAtOnceBothKeepTheirKey)
{
    constexpr int kWrites = 300;
    putFile(path, "; shared\r\n[SZ]\r\nzt=2\r\n");
    const QString writer = QCoreApplication::applicationDirPath() + QStringLiteral("/test_settings_ini_writer");
    ASSERT_TRUE(QFile::exists(writer));
    const QString file = QString::fromStdString(path);
    const QString count = QString::number(kWrites);
    QProcess first, second;
    first.start(writer, {file, QStringLiteral("alpha"), QStringLiteral("beta"), count});
    second.start(writer, {file, QStringLiteral("beta"), QStringLiteral("alpha"), count});
    ASSERT_TRUE(first.waitForStarted());
    ASSERT_TRUE(second.waitForStarted());
    // Both start on the same signal; QProcess only passes its input on while it waits.
    first.write("go\n");
    second.write("go\n");
    ASSERT_TRUE(first.waitForBytesWritten());
    ASSERT_TRUE(second.waitForBytesWritten());
    ASSERT_TRUE(first.waitForFinished(120000));
    ASSERT_TRUE(second.waitForFinished(120000));
    EXPECT_EQ(first.exitCode(), 0) << first.readAllStandardError().toStdString();
    EXPECT_EQ(second.exitCode(), 0) << second.readAllStandardError().toStdString();

    const std::string last = std::to_string(kWrites - 1);
    EXPECT_EQ(readKey(path, "SZ", "alpha"), last);
    EXPECT_EQ(readKey(path, "SZ", "beta"), last);
    const std::string bytes = fileBytes(path);
    const std::string head = "; shared\r\n[SZ]\r\nzt=2\r\n";
    EXPECT_TRUE(bytes == head + "alpha=" + last + "\r\nbeta=" + last + "\r\n" ||
                bytes == head + "beta=" + last + "\r\nalpha=" + last + "\r\n")
        << bytes;
}

}  // namespace
