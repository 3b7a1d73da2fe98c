// A program folder the user may not write to: writes go to the user's store and reads look
// there first. The folder is made read-only for real: a read-only bind mount in a private
// mount namespace when the tests run as root (root ignores permission bits), permission
// bits otherwise.

#include "common/files.h"
#include "common/paths.h"
#include "favourites/favourites.h"
#include "favourites/folder.h"
#include "favourites/shortcut.h"
#include "platform/platform.h"
#include "platform/virtualstore.h"
#include "support/fakewebview.h"
#include "support/modal.h"

#include <QDir>
#include <QDirIterator>
#include <QFile>
#include <QIcon>
#include <QPixmap>
#include <QTemporaryDir>
#include <QTreeWidget>

#include <gtest/gtest.h>

#include <cerrno>
#include <cstring>
#include <cstdlib>
#include <optional>
#include <sched.h>
#include <string>
#include <sys/mount.h>
#include <sys/stat.h>
#include <unistd.h>

namespace {

namespace store = platform::virtualstore;
using namespace testing_support;

const QString kSettings = QStringLiteral("浏览器.ini");
const QString kHistory = QStringLiteral("lj.txt");

class ScopedEnv {
public:
    ScopedEnv(const char* name, const QString& value) : m_name(name)
    {
        if (const char* old = std::getenv(name))
            m_old = QByteArray(old), m_had = true;
        set(value);
    }
    ~ScopedEnv()
    {
        if (m_had)
            setenv(m_name, m_old.constData(), 1);
        else
            unsetenv(m_name);
    }
    void set(const QString& value) const
    {
        if (value.isNull())
            unsetenv(m_name);
        else
            setenv(m_name, QFile::encodeName(value).constData(), 1);
    }

private:
    const char* m_name;
    QByteArray m_old;
    bool m_had = false;
};

QByteArray readFile(const QString& path)
{
    QFile file(path);
    return file.open(QIODevice::ReadOnly) ? file.readAll() : QByteArray("<missing>");
}

void writeFile(const QString& path, const QByteArray& bytes)
{
    QFile file(path);
    ASSERT_TRUE(file.open(QIODevice::WriteOnly));
    file.write(bytes);
}

// Every file and folder under a folder, relative to it, sorted.
QStringList tree(const QString& folder)
{
    QStringList all;
    QDirIterator it(folder, QDir::AllEntries | QDir::Hidden | QDir::System | QDir::NoDotAndDotDot,
                    QDirIterator::Subdirectories);
    while (it.hasNext())
        all.append(QDir(folder).relativeFilePath(it.next()));
    all.sort();
    return all;
}

std::string setting(const char* key)
{
    char buffer[256];
    platform::GetPrivateProfileStringA("SZ", key, "<none>", buffer, sizeof buffer,
                                       QFile::encodeName(paths::programFile(kSettings)).constData());
    return buffer;
}

bool writeSetting(const char* key, const char* value)
{
    return platform::WritePrivateProfileStringA("SZ", key, value,
                                                QFile::encodeName(paths::programFile(kSettings)).constData());
}

// A program folder with a settings file, a history and two favourites, and a user's data
// folder for the store.
class ProgramFolder : public ::testing::Test {
protected:
    void SetUp() override
    {
        ASSERT_TRUE(root.isValid());
        program = root.filePath(QStringLiteral("程序"));
        ASSERT_TRUE(QDir().mkpath(program + QStringLiteral("/收藏夹")));
        writeFile(program + u'/' + kSettings, "[SZ]\r\nzt=2\r\n");
        writeFile(program + u'/' + kHistory, "http://127.0.0.1/a\r\n");
        writeFile(favourite(QStringLiteral("甲")), favourites::shortcutBytes(QStringLiteral("http://127.0.0.1/1")));
        writeFile(favourite(QStringLiteral("乙")), favourites::shortcutBytes(QStringLiteral("http://127.0.0.1/2")));
        paths::fix(program + QStringLiteral("/sorvane"));
        original = tree(program);
    }

    void TearDown() override
    {
        if (mounted)
            umount2(QFile::encodeName(program).constData(), MNT_DETACH);
        if (chmodded)
            for (const QString& entry : tree(program) << QString())
                QFile::setPermissions(program + u'/' + entry, QFileDevice::ReadOwner | QFileDevice::WriteOwner |
                                                                 QFileDevice::ExeOwner);
    }

    QString favourite(const QString& name) const { return program + QStringLiteral("/收藏夹/") + name + QStringLiteral(".url"); }
    QString favourites() const { return program + QStringLiteral("/收藏夹"); }
    QString data(const QString& user) const { return root.filePath(QStringLiteral("data-") + user); }
    QString storeOf(const QString& user) const { return data(user) + QStringLiteral("/sorvane/VirtualStore") + program; }

    // Makes the program folder refuse writes to this process for real.
    void makeReadOnly()
    {
        const QByteArray folder = QFile::encodeName(program);
        if (geteuid() != 0) {
            for (const QString& entry : tree(program) << QString())
                QFile::setPermissions(program + u'/' + entry, QFileDevice::ReadOwner | QFileDevice::ExeOwner);
            chmodded = true;
            return;
        }
        // A private mount namespace: nothing done here is seen outside this process.
        if (unshare(CLONE_NEWNS) != 0 || mount(nullptr, "/", nullptr, MS_REC | MS_PRIVATE, nullptr) != 0)
            GTEST_SKIP() << "no private mount namespace here: " << std::strerror(errno);
        if (mount(folder.constData(), folder.constData(), nullptr, MS_BIND | MS_REC, nullptr) != 0)
            GTEST_SKIP() << "no bind mount here: " << std::strerror(errno);
        mounted = true;
        ASSERT_EQ(mount(nullptr, folder.constData(), nullptr, MS_BIND | MS_REMOUNT | MS_RDONLY, nullptr), 0)
            << std::strerror(errno);
        ASSERT_FALSE(QFile(program + QStringLiteral("/probe")).open(QIODevice::WriteOnly));
    }

    QTemporaryDir root;
    QString program;
    QStringList original;
    bool mounted = false;
    bool chmodded = false;
};

TEST_F(ProgramFolder, AWritableFolderIsUsedAsItIs)
{
    const ScopedEnv xdg("XDG_DATA_HOME", data(QStringLiteral("a")));
    EXPECT_TRUE(writeSetting("zy", "127.0.0.1"));
    EXPECT_TRUE(files::writeAll(paths::programFile(kHistory), "http://127.0.0.1/b\r\n"));
    EXPECT_TRUE(files::writeAll(favourite(QStringLiteral("丙")), "[InternetShortcut]\r\nURL=http://127.0.0.1/3\r\n"));
    EXPECT_TRUE(favourites::removeFile(favourite(QStringLiteral("甲"))));

    EXPECT_EQ(readFile(program + u'/' + kSettings), "[SZ]\r\nzt=2\r\nzy=127.0.0.1\r\n");
    EXPECT_EQ(readFile(program + u'/' + kHistory), "http://127.0.0.1/b\r\n");
    EXPECT_FALSE(QFile::exists(favourite(QStringLiteral("甲"))));
    EXPECT_EQ(favourites::listNames(favourites()).size(), 2);
    EXPECT_FALSE(QFile::exists(data(QStringLiteral("a"))));  // the store is never made
}

TEST_F(ProgramFolder, SettingsOfAReadOnlyFolderGoToTheStoreAndReadBackFromIt)
{
    const ScopedEnv xdg("XDG_DATA_HOME", data(QStringLiteral("a")));
    makeReadOnly();
    if (IsSkipped())
        return;
    EXPECT_EQ(setting("zt"), "2");  // the folder's own file, while the store has none

    EXPECT_TRUE(writeSetting("zy", "127.0.0.1"));
    EXPECT_TRUE(writeSetting("zt", "4"));
    EXPECT_EQ(setting("zy"), "127.0.0.1");
    EXPECT_EQ(setting("zt"), "4");
    // The store's copy started from the folder's file; the folder is as it was, lock file
    // and temporaries included.
    EXPECT_EQ(readFile(storeOf(QStringLiteral("a")) + u'/' + kSettings), "[SZ]\r\nzt=4\r\nzy=127.0.0.1\r\n");
    EXPECT_EQ(readFile(program + u'/' + kSettings), "[SZ]\r\nzt=2\r\n");
    EXPECT_EQ(tree(program), original);
    EXPECT_EQ(tree(storeOf(QStringLiteral("a"))), (QStringList{kSettings, kSettings + QStringLiteral(".lock")}));

    // Closed to other users.
    struct stat st {};
    ASSERT_EQ(stat(QFile::encodeName(data(QStringLiteral("a")) + QStringLiteral("/sorvane/VirtualStore")).constData(), &st), 0);
    EXPECT_EQ(st.st_mode & 077, 0u);
}

TEST_F(ProgramFolder, WholeFilesOfAReadOnlyFolderGoToTheStore)
{
    const ScopedEnv xdg("XDG_DATA_HOME", data(QStringLiteral("a")));
    makeReadOnly();
    if (IsSkipped())
        return;
    const QString history = paths::programFile(kHistory);
    const QString fresh = paths::programFile(QStringLiteral("新.txt"));
    EXPECT_EQ(files::readAll(history), "http://127.0.0.1/a\r\n");
    EXPECT_FALSE(files::exists(fresh));

    EXPECT_TRUE(files::writeAll(history, "http://127.0.0.1/b\r\n"));
    EXPECT_TRUE(files::writeAll(fresh, "x"));
    EXPECT_EQ(files::readAll(history), "http://127.0.0.1/b\r\n");
    EXPECT_TRUE(files::exists(fresh));
    EXPECT_EQ(files::readAll(fresh), "x");
    EXPECT_EQ(readFile(storeOf(QStringLiteral("a")) + u'/' + kHistory), "http://127.0.0.1/b\r\n");
    EXPECT_EQ(tree(program), original);

    // A link planted in the store is not written through either.
    const QString target = root.filePath(QStringLiteral("target"));
    writeFile(target, "untouched");
    ASSERT_TRUE(QFile::link(target, storeOf(QStringLiteral("a")) + QStringLiteral("/链接")));
    EXPECT_FALSE(files::writeAll(paths::programFile(QStringLiteral("链接")), "planted"));
    EXPECT_EQ(readFile(target), "untouched");
}

TEST_F(ProgramFolder, FavouritesOfAReadOnlyFolderMergeWithTheStore)
{
    const ScopedEnv xdg("XDG_DATA_HOME", data(QStringLiteral("a")));
    makeReadOnly();
    if (IsSkipped())
        return;
    using favourites::listNames;
    const QString folder = favourites();
    const auto address = [&](const QString& name) {
        return favourites::addressFromFile(favourites::readShortcut(favourites::filePath(folder, name)));
    };
    ASSERT_EQ(listNames(folder).size(), 2);

    // New and overwritten entries live in the store; the folder's own entries keep their places.
    ASSERT_TRUE(files::writeAll(favourites::filePath(folder, QStringLiteral("丙")),
                                favourites::shortcutBytes(QStringLiteral("http://127.0.0.1/3"))));
    ASSERT_TRUE(files::writeAll(favourites::filePath(folder, QStringLiteral("甲")),
                                favourites::shortcutBytes(QStringLiteral("http://127.0.0.1/new"))));
    QStringList names = listNames(folder);
    EXPECT_EQ(names.size(), 3);
    EXPECT_EQ(names.last(), QStringLiteral("丙"));
    EXPECT_EQ(names.count(QStringLiteral("甲")), 1);
    EXPECT_EQ(address(QStringLiteral("甲")), QStringLiteral("http://127.0.0.1/new"));
    EXPECT_EQ(address(QStringLiteral("丙")), QStringLiteral("http://127.0.0.1/3"));

    // Deleting an entry only the folder has hides it; deleting one with a store copy hides
    // the folder's file behind it too. The folder keeps its files.
    EXPECT_TRUE(favourites::removeFile(favourites::filePath(folder, QStringLiteral("乙"))));
    EXPECT_TRUE(favourites::removeFile(favourites::filePath(folder, QStringLiteral("甲"))));
    EXPECT_EQ(listNames(folder), QStringList{QStringLiteral("丙")});
    EXPECT_FALSE(files::exists(favourites::filePath(folder, QStringLiteral("乙"))));
    EXPECT_EQ(address(QStringLiteral("甲")), QString());
    EXPECT_FALSE(favourites::removeFile(favourites::filePath(folder, QStringLiteral("乙"))));  // already gone
    EXPECT_EQ(tree(program), original);

    // Added again, a deleted entry comes back with its new address.
    ASSERT_TRUE(files::writeAll(favourites::filePath(folder, QStringLiteral("乙")),
                                favourites::shortcutBytes(QStringLiteral("http://127.0.0.1/again"))));
    EXPECT_TRUE(listNames(folder).contains(QStringLiteral("乙")));
    EXPECT_EQ(address(QStringLiteral("乙")), QStringLiteral("http://127.0.0.1/again"));
}

TEST_F(ProgramFolder, AddingAFavouriteWithoutAFavouritesFolderMakesItInTheStore)
{
    const ScopedEnv xdg("XDG_DATA_HOME", data(QStringLiteral("a")));
    ASSERT_TRUE(QDir(favourites()).removeRecursively());
    original = tree(program);
    makeReadOnly();
    if (IsSkipped())
        return;
    QWidget host;
    FakeWebView view(&host);
    view.currentTitleText = QStringLiteral("页面");
    view.currentUrl = QStringLiteral("http://127.0.0.1/page");
    QPixmap picture(16, 15);
    picture.fill(Qt::blue);
    const QIcon icon(picture);

    QTreeWidget panel;
    {
        ModalAnswers answers({typeAndAccept(QStringLiteral("页面"))});
        favourites::add(panel, view, icon);
        EXPECT_EQ(answers.answered(), 1);
    }
    ASSERT_EQ(panel.topLevelItemCount(), 1);
    EXPECT_EQ(tree(program), original);

    // The next start lists it and opens its address.
    QTreeWidget next;
    favourites::load(next, icon);
    ASSERT_EQ(next.topLevelItemCount(), 1);
    next.topLevelItem(0)->setSelected(true);
    favourites::open(next, view);
    EXPECT_EQ(view.navigations.value(0), QStringLiteral("http://127.0.0.1/page"));
    EXPECT_TRUE(files::makeFolder(program + QStringLiteral("/另一个")));
    EXPECT_TRUE(files::exists(program + QStringLiteral("/另一个")));
}

TEST_F(ProgramFolder, TwoUsersKeepTheirOwnStores)
{
    // One user by XDG_DATA_HOME, the other by HOME alone.
    ScopedEnv xdg("XDG_DATA_HOME", data(QStringLiteral("a")));
    ScopedEnv home("HOME", root.filePath(QStringLiteral("home-b")));
    makeReadOnly();
    if (IsSkipped())
        return;
    const auto asUserA = [&] { xdg.set(data(QStringLiteral("a"))); };
    const auto asUserB = [&] { xdg.set(QString()); };

    asUserA();
    EXPECT_TRUE(writeSetting("zy", "a.example"));
    EXPECT_TRUE(files::writeAll(paths::programFile(kHistory), "A\r\n"));
    asUserB();
    EXPECT_EQ(setting("zy"), "<none>");
    EXPECT_EQ(files::readAll(paths::programFile(kHistory)), "http://127.0.0.1/a\r\n");
    EXPECT_TRUE(writeSetting("zy", "b.example"));
    asUserA();
    EXPECT_EQ(setting("zy"), "a.example");
    EXPECT_EQ(files::readAll(paths::programFile(kHistory)), "A\r\n");
    asUserB();
    EXPECT_EQ(setting("zy"), "b.example");
    EXPECT_TRUE(QFile::exists(root.filePath(QStringLiteral("home-b/.local/share/sorvane/VirtualStore")) + program +
                              u'/' + kSettings));
}

// --- which paths the store mirrors ------------------------------------------------------

struct Mapping {
    const char* programFolder;
    const char* path;
    const char* mirrored;  // below the store root; nullptr: not mirrored
};

class StorePaths : public ::testing::TestWithParam<Mapping> {};

TEST_P(StorePaths, OnlyPlainPathsInsideTheProgramFolderAreMirrored)
{
    const Mapping& m = GetParam();
    const ScopedEnv xdg("XDG_DATA_HOME", QStringLiteral("/data/u"));
    store::setProgramFolder(m.programFolder);
    const std::optional<std::string> got = store::storePath(m.path);
    if (m.mirrored)
        EXPECT_EQ(got.value_or("<none>"), std::string("/data/u/sorvane/VirtualStore") + m.mirrored);
    else
        EXPECT_FALSE(got) << *got;
    store::setProgramFolder({});
}

INSTANTIATE_TEST_SUITE_P(Table, StorePaths, ::testing::Values(
    Mapping{"/opt/sorvane", "/opt/sorvane/浏览器.ini", "/opt/sorvane/浏览器.ini"},
    Mapping{"/opt/sorvane/", "/opt/sorvane/收藏夹/a.url", "/opt/sorvane/收藏夹/a.url"},
    Mapping{"/opt/sorvane", "/opt/sorvane", "/opt/sorvane"},
    Mapping{"/opt/sorvane", "/opt/sorvanex/a", nullptr},
    Mapping{"/opt/sorvane", "/opt/sorvane/../etc/passwd", nullptr},
    Mapping{"/opt/sorvane", "/opt/sorvane/收藏夹/..", nullptr},
    Mapping{"/opt/sorvane", "/opt/sorvane/./a", nullptr},
    Mapping{"/opt/sorvane", "/opt/sorvane//a", nullptr},
    Mapping{"/opt/sorvane", "/etc/passwd", nullptr},
    Mapping{"opt/sorvane", "opt/sorvane/a", nullptr},
    Mapping{"", "/a", nullptr},
    Mapping{"/", "/a", nullptr}));

}  // namespace
