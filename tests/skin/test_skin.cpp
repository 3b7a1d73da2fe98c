// Installing the engine and applying the skin, in a fresh HOME and temporary folder per
// test, with the data this test carries just as the executable does.
#include "common/paths.h"
#include "skin/engine/skinfile.h"
#include "skin/skin.h"
#include "support/modal.h"
#include "testfiles.h"

#include <QApplication>
#include <QDir>
#include <QFile>
#include <QTemporaryDir>

#include <gtest/gtest.h>

#include <climits>
#include <cstdio>
#include <cstdlib>

#include <sys/stat.h>
#include <unistd.h>
#include <utime.h>

namespace {

using testing_support::ModalAnswers;

struct Snapshot {
    ino_t inode = 0;
    time_t mtime = 0;
    off_t size = -1;
    bool operator==(const Snapshot&) const = default;
};

Snapshot snapshot(const QString& path)
{
    struct stat st {};
    if (lstat(QFile::encodeName(path).constData(), &st) != 0)
        return {};
    return {st.st_ino, st.st_mtime, st.st_size};
}

// An old time, so that a rewrite within the same second still shows.
void backdate(const QString& path)
{
    const utimbuf old {1000000000, 1000000000};
    ASSERT_EQ(utime(QFile::encodeName(path).constData(), &old), 0);
}

class SkinSetup : public ::testing::Test {
protected:
    void SetUp() override
    {
        ASSERT_TRUE(m_dir.isValid());
        home = m_dir.filePath(QStringLiteral("home"));
        runtime = m_dir.filePath(QStringLiteral("runtime"));
        program = m_dir.filePath(QStringLiteral("program"));
        for (const QString& d : {home, runtime, program})
            ASSERT_TRUE(QDir().mkpath(d));
        ASSERT_EQ(chmod(QFile::encodeName(runtime).constData(), 0700), 0);
        setenv("HOME", QFile::encodeName(home).constData(), 1);
        setenv("XDG_RUNTIME_DIR", QFile::encodeName(runtime).constData(), 1);
        unsetenv("SKIN_TEST_ENGINE_FILE");
        unsetenv("SKIN_TEST_ENGINE_PASSWORD");
        paths::fix(program + QStringLiteral("/sorvane"));
        QDir::setCurrent(program);
        skin::release();
    }
    void TearDown() override
    {
        skin::release();
        QDir::setCurrent(QDir::rootPath());
    }

    QString systemLibrary() const { return home + QStringLiteral("/.local/lib/SkinH_EL.dll"); }
    QString ownCopy() const { return program + QStringLiteral("/SkinH_EL.dll"); }
    QString skinFile(const QString& name) const { return runtime + u'/' + name + QStringLiteral(".she"); }
    static QString engineCalledWith()
    {
        const char* file = std::getenv("SKIN_TEST_ENGINE_FILE");
        return file ? QString::fromUtf8(file) : QString();
    }
    void putTestEngine(const QString& path) const
    {
        QFile::remove(path);
        ASSERT_TRUE(QFile::copy(QStringLiteral(SKIN_TEST_ENGINE), path));
    }

    QString home, runtime, program;

private:
    QTemporaryDir m_dir;
};

TEST_F(SkinSetup, FirstStartWritesBothFilesWithTheCarriedBytesAndSkinsTheProgram)
{
    ASSERT_FALSE(skin::carriedLibrary().isEmpty());
    skin::installLibrary();
    EXPECT_EQ(skintest::readFile(systemLibrary()), skin::carriedLibrary());

    skin::apply(8);
    EXPECT_EQ(skintest::readFile(skinFile(QStringLiteral("enjoy"))), skin::carriedSkin(8));
    // The engine really came from the system directory and read the skin.
    EXPECT_EQ(qApp->styleSheet(), skinfile::parse(skin::carriedSkin(8)).skin.styleSheet);

    // Nothing else was left behind: no temporary names, no copy beside the program.
    EXPECT_EQ(QDir(home + QStringLiteral("/.local/lib")).entryList(QDir::AllEntries | QDir::Hidden | QDir::NoDotAndDotDot),
              QStringList{QStringLiteral("SkinH_EL.dll")});
    EXPECT_EQ(QDir(runtime).entryList(QDir::AllEntries | QDir::Hidden | QDir::NoDotAndDotDot),
              QStringList{QStringLiteral("enjoy.she")});
    EXPECT_TRUE(QDir(program).isEmpty(QDir::AllEntries | QDir::Hidden | QDir::NoDotAndDotDot));
}

TEST_F(SkinSetup, SecondStartWritesNothingAndUsesTheFilesAsTheyAre)
{
    skin::installLibrary();
    skin::apply(8);
    skin::release();

    // The next start finds a skin file that differs from the carried one: it is used unchanged.
    const QString enjoy = skinFile(QStringLiteral("enjoy"));
    ASSERT_TRUE(QFile::remove(enjoy));
    ASSERT_TRUE(skintest::writeFile(enjoy, skin::carriedSkin(1)));
    backdate(enjoy);
    backdate(systemLibrary());
    const Snapshot library = snapshot(systemLibrary());
    const Snapshot skinBefore = snapshot(enjoy);

    skin::installLibrary();
    skin::apply(8);

    EXPECT_EQ(snapshot(systemLibrary()), library);
    EXPECT_EQ(snapshot(enjoy), skinBefore);
    EXPECT_EQ(skintest::readFile(enjoy), skin::carriedSkin(1));
    EXPECT_EQ(qApp->styleSheet(), skinfile::parse(skin::carriedSkin(1)).skin.styleSheet);
}

TEST_F(SkinSetup, ALibraryThatDiffersIsNeitherComparedNorReplaced)
{
    ASSERT_TRUE(QDir().mkpath(home + QStringLiteral("/.local/lib")));
    putTestEngine(systemLibrary());
    backdate(systemLibrary());
    const Snapshot before = snapshot(systemLibrary());

    skin::installLibrary();
    skin::apply(8);

    EXPECT_EQ(snapshot(systemLibrary()), before);
    EXPECT_EQ(engineCalledWith(), skinFile(QStringLiteral("enjoy")));  // and it is the one loaded
    EXPECT_EQ(QString::fromUtf8(std::getenv("SKIN_TEST_ENGINE_PASSWORD")), QString());
}

TEST_F(SkinSetup, NothingIsWrittenOverAFolderOrALinkOfThatName)
{
    ASSERT_TRUE(QDir().mkpath(systemLibrary()));
    const QString target = runtime + QStringLiteral("/planted");
    ASSERT_TRUE(QFile::link(target, skinFile(QStringLiteral("enjoy"))));  // dangling
    putTestEngine(ownCopy());

    skin::installLibrary();
    skin::apply(8);

    EXPECT_TRUE(QFileInfo(systemLibrary()).isDir());
    EXPECT_TRUE(QDir(systemLibrary()).isEmpty());
    EXPECT_FALSE(QFileInfo::exists(target));  // not written through the link
    EXPECT_EQ(engineCalledWith(), skinFile(QStringLiteral("enjoy")));
}

TEST_F(SkinSetup, TheProgramsOwnCopyWinsOverTheSystemDirectory)
{
    skin::installLibrary();
    ASSERT_TRUE(QFileInfo(systemLibrary()).isFile());
    putTestEngine(ownCopy());
    const QString sheetBefore = qApp->styleSheet();

    skin::apply(8);

    EXPECT_EQ(engineCalledWith(), skinFile(QStringLiteral("enjoy")));
    EXPECT_EQ(qApp->styleSheet(), sheetBefore);  // the real engine was not called
}

TEST_F(SkinSetup, TheEngineIsLoadedOnceAndKept)
{
    putTestEngine(ownCopy());
    skin::apply(8);
    ASSERT_TRUE(QFile::remove(ownCopy()));  // loaded: the file is no longer needed
    unsetenv("SKIN_TEST_ENGINE_FILE");
    skin::apply(3);
    EXPECT_EQ(engineCalledWith(), skinFile(QStringLiteral("black")));
}

TEST_F(SkinSetup, EveryNumberGivesItsRowAndOthersGiveAero)
{
    putTestEngine(ownCopy());
    struct Case {
        int number;
        const char* name;
    };
    const Case cases[] = {
        {0, "aero"},        {24, "aero"},     {-1, "aero"},     {INT_MIN, "aero"}, {INT_MAX, "aero"},
        {1, "aero"},        {2, "asus"},      {3, "black"},     {4, "compact"},    {5, "darkroyale"},
        {6, "dogmax"},      {7, "elegance"},  {8, "enjoy"},     {9, "gem"},        {10, "hlong"},
        {11, "homestead"},  {12, "insomnia"}, {13, "itunes"},   {14, "longhorn"},  {15, "office2007"},
        {16, "ouframe"},    {17, "pixos"},    {18, "qq2008"},   {19, "royale"},    {20, "storm"},
        {21, "vista"},      {22, "wish"},     {23, "xmp"},
    };
    for (const Case& c : cases) {
        const QString name = QString::fromLatin1(c.name);
        QFile::remove(skinFile(name));
        skin::apply(c.number);
        EXPECT_EQ(engineCalledWith(), skinFile(name)) << c.number;
        const QByteArray written = skintest::readFile(skinFile(name));
        EXPECT_EQ(written, skin::carriedSkin(c.number)) << c.number;
        EXPECT_EQ(skinfile::parse(written).skin.name, name) << c.number;  // the right skin under the name
    }
}

TEST_F(SkinSetup, ADamagedCopyBesideTheProgramIsPassedOver)
{
    skin::installLibrary();
    ASSERT_TRUE(skintest::writeFile(ownCopy(), skin::carriedLibrary().left(4096)));  // cut short
    skin::apply(8);
    EXPECT_EQ(qApp->styleSheet(), skinfile::parse(skin::carriedSkin(8)).skin.styleSheet);  // the system one
}

TEST(SkinLibrary, OnlyACompleteLibraryIsHandedToTheLinker)
{
    QTemporaryDir dir;
    const QByteArray library = skin::carriedLibrary();
    struct Case {
        const char* what;
        QByteArray bytes;
        bool whole;
    };
    QByteArray noSegments = library;
    noSegments[56] = noSegments[57] = 0;  // e_phnum
    const Case cases[] = {
        {"the carried engine", library, true},
        {"cut after its headers", library.left(4096), false},
        {"cut by one byte", library.left(library.size() - 1), true},  // only section headers lost
        {"cut in half", library.left(library.size() / 2), false},
        {"a Windows library", QByteArray("MZ") + QByteArray(1000, 0), false},
        {"no segments", noSegments, false},
        {"empty", QByteArray(), false},
    };
    for (const Case& c : cases) {
        const QString path = dir.filePath(QString::fromLatin1(c.what));
        ASSERT_TRUE(skintest::writeFile(path, c.bytes));
        EXPECT_EQ(skin::isWholeLibrary(path), c.whole) << c.what;
    }
    EXPECT_FALSE(skin::isWholeLibrary(dir.path()));
    EXPECT_FALSE(skin::isWholeLibrary(dir.filePath(QStringLiteral("missing"))));
}

TEST(SkinWrite, PlacesTheFileOnlyUnderAFreeAbsoluteName)
{
    QTemporaryDir dir;
    const QString path = dir.filePath(QStringLiteral("f.she"));
    EXPECT_TRUE(skin::writeIfMissing(path, "first"));
    EXPECT_FALSE(skin::writeIfMissing(path, "second"));
    EXPECT_EQ(skintest::readFile(path), "first");
    EXPECT_FALSE(skin::writeIfMissing(dir.filePath(QStringLiteral("g.she")), QByteArray()));  // nothing carried
    EXPECT_FALSE(skin::writeIfMissing(dir.filePath(QStringLiteral("no/such/folder/h.she")), "x"));
    EXPECT_EQ(QDir(dir.path()).entryList(QDir::AllEntries | QDir::Hidden | QDir::NoDotAndDotDot),
              QStringList{QStringLiteral("f.she")});

    // A bare name (a folder the platform could not give) is never written into the current folder.
    const QString before = QDir::currentPath();
    QDir::setCurrent(dir.path());
    EXPECT_FALSE(skin::writeIfMissing(QStringLiteral("SkinH_EL.dll"), "x"));
    QDir::setCurrent(before);
    EXPECT_FALSE(QFileInfo::exists(dir.filePath(QStringLiteral("SkinH_EL.dll"))));
    struct stat st {};
    EXPECT_EQ(stat(QFile::encodeName(path).constData(), &st), 0);
    EXPECT_EQ(st.st_mode & 0777, 0644u);
}

// The fatal error: the box names the library and the entry point, and the process ends
// with -1 (255) without going on.
class SkinFatal : public SkinSetup {
protected:
    static void startAndExpectTheFatalError()
    {
        EXPECT_EXIT(
            {
                ModalAnswers answers({[](QWidget* box) {
                    std::fprintf(stderr, "box: %s\n", testing_support::dialogTexts(box).join(u'|').toUtf8().constData());
                    testing_support::clickButton(QStringLiteral("确定"))(box);
                }});
                skin::installLibrary();
                skin::apply(8);
                std::fprintf(stderr, "went on after the fatal error\n");
                std::_Exit(0);
            },
            ::testing::ExitedWithCode(255), "box: .*SkinH_EL\\.dll.*SkinH_Attach_Ex");
    }
};

TEST_F(SkinFatal, AnUnwritableSystemDirectoryAndNoCopyAnywhere)
{
    ASSERT_TRUE(skintest::writeFile(home + QStringLiteral("/.local"), "a file where the folder should be"));
    startAndExpectTheFatalError();
    // The library was not written anywhere else instead, the program's folder included.
    EXPECT_FALSE(QFileInfo::exists(ownCopy()));
    EXPECT_TRUE(QDir(program).isEmpty(QDir::AllEntries | QDir::Hidden | QDir::NoDotAndDotDot));
}

TEST_F(SkinFatal, AFolderInPlaceOfTheLibraryAndNoCopyAnywhere)
{
    ASSERT_TRUE(QDir().mkpath(systemLibrary()));
    startAndExpectTheFatalError();
}

TEST_F(SkinFatal, ALibraryWithoutTheEntryPoint)
{
    ASSERT_TRUE(QFile::copy(QStringLiteral(SKIN_TEST_NOENTRY), ownCopy()));
    startAndExpectTheFatalError();
}

TEST_F(SkinFatal, ADamagedLibrary)
{
    ASSERT_TRUE(QDir().mkpath(home + QStringLiteral("/.local/lib")));
    ASSERT_TRUE(skintest::writeFile(systemLibrary(), skin::carriedLibrary().left(4096)));
    startAndExpectTheFatalError();
}

}  // namespace
