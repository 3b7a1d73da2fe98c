#include "common/paths.h"
#include "platform/platform.h"

#include <QDir>
#include <QFile>
#include <QFileInfo>
#include <QTemporaryDir>
#include <QWidget>

#include <gtest/gtest.h>

#include <cstdlib>
#include <sys/stat.h>
#include <unistd.h>

namespace {

// Sets an environment variable for one scope.
class ScopedEnv {
public:
    ScopedEnv(const char* name, const QString& value) : m_name(name)
    {
        if (const char* old = std::getenv(name))
            m_old = QString::fromUtf8(old), m_had = true;
        setenv(name, value.toUtf8().constData(), 1);
    }
    ~ScopedEnv()
    {
        if (m_had)
            setenv(m_name, m_old.toUtf8().constData(), 1);
        else
            unsetenv(m_name);
    }

private:
    const char* m_name;
    QString m_old;
    bool m_had = false;
};

TEST(PathFacts, ProgramDirectoryAndExecutableName)
{
    paths::fix(QStringLiteral("/opt/浏览器/sorvane"));
    EXPECT_EQ(paths::programDirectory(), QStringLiteral("/opt/浏览器"));
    EXPECT_EQ(paths::executableName(), QStringLiteral("sorvane"));
    EXPECT_EQ(paths::programFile(QStringLiteral("lj.txt")), QStringLiteral("/opt/浏览器/lj.txt"));
    // At the root of the file system the program's files lie at the root.
    paths::fix(QStringLiteral("/sorvane"));
    EXPECT_EQ(paths::programDirectory(), QString());
    EXPECT_EQ(paths::programFile(QStringLiteral("lj.txt")), QStringLiteral("/lj.txt"));
    paths::fix(QStringLiteral("sorvane"));
    EXPECT_EQ(paths::executableName(), QStringLiteral("sorvane"));
}

TEST(PathFacts, SystemDirectoryIsTheUsersLibraryFolderWithASlash)
{
    QTemporaryDir home;
    ScopedEnv env("HOME", home.path());
    EXPECT_EQ(paths::systemDirectory(), home.path() + QStringLiteral("/.local/lib/"));
    EXPECT_TRUE(QFileInfo(home.path() + QStringLiteral("/.local/lib")).isDir());

    char small[4];
    EXPECT_EQ(platform::GetSystemDirectoryA(small, sizeof small),
              static_cast<uint32_t>(home.path().toUtf8().size() + sizeof("/.local/lib/")));
}

TEST(PathFacts, SystemDirectoryIsEmptyWhenItCannotBeMade)
{
    QTemporaryDir home;
    ASSERT_TRUE(QFile(home.path() + QStringLiteral("/.local")).open(QIODevice::WriteOnly));  // a file in the way
    ScopedEnv env("HOME", home.path());
    EXPECT_EQ(paths::systemDirectory(), QString());
}

TEST(PathFacts, TemporaryDirectoryIsPrivate)
{
    QTemporaryDir runtime;
    ASSERT_EQ(chmod(runtime.path().toUtf8().constData(), 0700), 0);
    {
        ScopedEnv env("XDG_RUNTIME_DIR", runtime.path());
        EXPECT_EQ(paths::temporaryDirectory(), runtime.path() + u'/');
    }
    // Open to others or a link: not used; the private fallback under /tmp is.
    ASSERT_EQ(chmod(runtime.path().toUtf8().constData(), 0755), 0);
    const QString fallback = QStringLiteral("/tmp/sorvane-%1/").arg(getuid());
    {
        ScopedEnv env("XDG_RUNTIME_DIR", runtime.path());
        EXPECT_EQ(paths::temporaryDirectory(), fallback);
    }
    struct stat st {};
    ASSERT_EQ(lstat(QByteArray("/tmp/sorvane-" + QByteArray::number(getuid())).constData(), &st), 0);
    EXPECT_EQ(st.st_mode & 0777, 0700u);
}

TEST(Platform, LayeredAttributesNeedTheLayeredBit)
{
    QWidget window;
    EXPECT_FALSE(platform::SetLayeredWindowAttributes(&window, 0, 100, platform::LWA_ALPHA));
    EXPECT_DOUBLE_EQ(window.windowOpacity(), 1.0);
    const int32_t style = platform::GetWindowLongA(&window, platform::GWL_EXSTYLE);
    platform::SetWindowLongA(&window, platform::GWL_EXSTYLE, style | platform::WS_EX_LAYERED);
    EXPECT_EQ(platform::GetWindowLongA(&window, platform::GWL_EXSTYLE), platform::WS_EX_LAYERED);
    EXPECT_TRUE(platform::SetLayeredWindowAttributes(&window, 0, 51, platform::LWA_ALPHA));
    EXPECT_NEAR(window.windowOpacity(), 0.2, 0.01);
}

TEST(Platform, LoadLibraryLooksInTheSystemDirectoryFirst)
{
    QTemporaryDir home;
    ScopedEnv env("HOME", home.path());
    EXPECT_EQ(platform::LoadLibraryA("libsorvane-no-such-library.so"), nullptr);
    // A bare name the dynamic linker knows still loads.
    platform::HMODULE libc = platform::LoadLibraryA("libc.so.6");
    ASSERT_NE(libc, nullptr);
    EXPECT_NE(platform::GetProcAddress(libc, "strlen"), nullptr);
    EXPECT_EQ(platform::GetProcAddress(libc, "no_such_symbol_here"), nullptr);
    EXPECT_TRUE(platform::FreeLibrary(libc));
}

}  // namespace
