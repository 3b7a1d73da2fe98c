#pragma once
// The engine profile: where pages keep cookies, local storage and the cache, and who may
// use that data. One process at a time holds the persistent profile; any other instance
// runs on an off-the-record profile of its own.

#include <QString>

#include <memory>

class QWebEngineProfile;

namespace browsing::webengine {

// The user's own folders for the engine's data and cache, never beside the executable.
// Empty when the user has no usable home.
struct ProfileFolders {
    QString data;
    QString cache;
};
ProfileFolders profileFolders();

// Takes the lock of the persistent profile in `folder` for the rest of the process's life.
// False when another living process holds it. The lock is the kernel's, so a process that
// died, however it died, leaves nothing behind that blocks the next one.
bool lockProfileFolder(const QString& folder);

// The profile every view of this process shares. It lives as long as a view holds it, so
// the engine writes its data out when the last view goes, before the application ends.
std::shared_ptr<QWebEngineProfile> sharedProfile();

}  // namespace browsing::webengine
