#include "browsing/webengine/profile.h"

#include "browsing/webengine/notifications.h"

#include <QDir>
#include <QFile>
#include <QStandardPaths>
#include <QWebEngineProfile>
#include <QWebEngineSettings>

#include <fcntl.h>
#include <sys/file.h>
#include <unistd.h>

namespace browsing::webengine {
namespace {

// A folder only the user may enter: the engine keeps logins and cookies in it.
bool makePrivateFolder(const QString& path)
{
    if (path.isEmpty() || !QDir().mkpath(path))
        return false;
    return QFile::setPermissions(path, QFileDevice::ReadOwner | QFileDevice::WriteOwner | QFileDevice::ExeOwner);
}

// Whether this process may use the persistent profile; decided once, kept for its life.
bool ownsPersistentProfile(const ProfileFolders& folders)
{
    static const bool owns = makePrivateFolder(folders.data) && makePrivateFolder(folders.cache)
                             && lockProfileFolder(folders.data);
    return owns;
}

void configure(QWebEngineProfile* profile)
{
    QWebEngineSettings* settings = profile->settings();
    settings->setAttribute(QWebEngineSettings::FullScreenSupportEnabled, true);
    settings->setAttribute(QWebEngineSettings::ScreenCaptureEnabled, true);
    // The built-in PDF viewer is a plugin: without it PDF files can only be downloaded.
    settings->setAttribute(QWebEngineSettings::PluginsEnabled, true);
    profile->setDownloadPath(QStandardPaths::writableLocation(QStandardPaths::DownloadLocation));
    profile->setNotificationPresenter(presentNotification);
}

QWebEngineProfile* makeProfile()
{
    const ProfileFolders folders = profileFolders();
    QWebEngineProfile* profile = nullptr;
    if (ownsPersistentProfile(folders)) {
        profile = new QWebEngineProfile(QStringLiteral("default"));
        profile->setPersistentStoragePath(folders.data);
        profile->setCachePath(folders.cache);
        profile->setHttpCacheType(QWebEngineProfile::DiskHttpCache);
        profile->setPersistentCookiesPolicy(QWebEngineProfile::AllowPersistentCookies);
    } else {
        // Another instance has the user's profile: this one keeps everything in memory.
        profile = new QWebEngineProfile();
    }
    configure(profile);
    return profile;
}

}  // namespace

ProfileFolders profileFolders()
{
    const QString data = QStandardPaths::writableLocation(QStandardPaths::AppDataLocation);
    const QString cache = QStandardPaths::writableLocation(QStandardPaths::CacheLocation);
    if (data.isEmpty() || cache.isEmpty())
        return {};
    return {data + QStringLiteral("/engine"), cache + QStringLiteral("/engine")};
}

bool lockProfileFolder(const QString& folder)
{
    const QByteArray path = QFile::encodeName(folder + QStringLiteral("/lock"));
    // Not inherited by the engine's helpers or by instances this one starts.
    const int fd = ::open(path.constData(), O_RDWR | O_CREAT | O_CLOEXEC | O_NOFOLLOW, 0600);
    if (fd < 0)
        return false;
    if (::flock(fd, LOCK_EX | LOCK_NB) != 0) {
        ::close(fd);
        return false;
    }
    // Kept open on purpose: the lock lasts until the process ends.
    return true;
}

std::shared_ptr<QWebEngineProfile> sharedProfile()
{
    static std::weak_ptr<QWebEngineProfile> current;
    std::shared_ptr<QWebEngineProfile> profile = current.lock();
    if (!profile) {
        profile = std::shared_ptr<QWebEngineProfile>(makeProfile());
        current = profile;
    }
    return profile;
}

}  // namespace browsing::webengine
