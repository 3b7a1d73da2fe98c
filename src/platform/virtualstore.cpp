#include "platform/virtualstore.h"

#include <cerrno>
#include <cstdlib>
#include <fcntl.h>
#include <sys/stat.h>
#include <unistd.h>
#include <utility>

namespace platform::virtualstore {
namespace {

std::string g_programFolder;

// The program's folder in the user's data folder, with a trailing slash.
std::string dataFolder()
{
    std::string data;
    if (const char* xdg = std::getenv("XDG_DATA_HOME"); xdg && *xdg == '/') {
        data = xdg;
    } else if (const char* home = std::getenv("HOME"); home && *home == '/') {
        data = home;
        if (data.back() != '/')
            data += '/';
        data += ".local/share";
    } else {
        return {};
    }
    while (data.size() > 1 && data.back() == '/')
        data.pop_back();
    return data + "/sorvane/";
}

bool entryExists(const std::string& path)
{
    struct stat st {};
    return lstat(path.c_str(), &st) == 0;
}

std::string parentOf(const std::string& path)
{
    const std::size_t slash = path.rfind('/');
    return slash == std::string::npos || slash == 0 ? std::string("/") : path.substr(0, slash);
}

// Every part of a path after the program folder is a plain name.
bool plainParts(std::string_view rest)
{
    while (!rest.empty()) {
        rest.remove_prefix(1);  // the slash
        const std::size_t next = rest.find('/');
        const std::string_view part = rest.substr(0, next);
        if (part.empty() || part == "." || part == "..")
            return false;
        rest = next == std::string_view::npos ? std::string_view() : rest.substr(next);
    }
    return true;
}

// The path below one of the per-user mirrors.
std::optional<std::string> mirrored(std::string_view path, const char* mirror)
{
    const std::string& folder = g_programFolder;
    if (folder.empty() || path.substr(0, folder.size()) != folder)
        return std::nullopt;
    const std::string_view rest = path.substr(folder.size());
    if ((!rest.empty() && rest.front() != '/') || !plainParts(rest))
        return std::nullopt;
    const std::string data = dataFolder();
    if (data.empty())
        return std::nullopt;
    return data + mirror + folder + std::string(rest);
}

// Makes every missing folder of the path, closed to other users.
bool makeFolders(const std::string& path)
{
    struct stat st {};
    if (stat(path.c_str(), &st) == 0)
        return S_ISDIR(st.st_mode);
    if (path.size() <= 1 || !makeFolders(parentOf(path)))
        return false;
    return (mkdir(path.c_str(), 0700) == 0 || errno == EEXIST) && stat(path.c_str(), &st) == 0 &&
           S_ISDIR(st.st_mode);
}

// A path whose folder is missing: whether the program folder would refuse to make it,
// judged at the nearest folder that exists.
bool missingFolderRefused(const std::string& path)
{
    std::string folder = parentOf(path);
    while (folder.size() > 1 && !entryExists(folder)) {
        if (folder.size() <= g_programFolder.size())
            return false;
        folder = parentOf(folder);
    }
    return access(folder.c_str(), W_OK | X_OK) != 0 && refused(errno);
}

int errorOf(bool ok) { return ok ? 0 : errno; }

}  // namespace

void setProgramFolder(std::string folder)
{
    while (folder.size() > 1 && folder.back() == '/')
        folder.pop_back();
    g_programFolder = folder.size() > 1 && folder.front() == '/' ? std::move(folder) : std::string();
}

std::string programFolder() { return g_programFolder; }

bool refused(int error) { return error == EACCES || error == EPERM || error == EROFS; }

std::string storeRoot()
{
    const std::string data = dataFolder();
    return data.empty() ? data : data + "VirtualStore";
}

std::optional<std::string> storePath(std::string_view path) { return mirrored(path, "VirtualStore"); }

std::optional<std::string> deletedMarker(std::string_view path) { return mirrored(path, "VirtualStore-deleted"); }

std::optional<std::string> forReading(const std::string& path)
{
    const std::optional<std::string> store = storePath(path);
    if (!store)
        return path;
    if (entryExists(*store))
        return store;
    if (entryExists(*deletedMarker(path)))
        return std::nullopt;
    return path;
}

int write(const std::string& path, const std::function<int(const std::string&)>& attempt)
{
    const std::optional<std::string> store = storePath(path);
    if (!store)
        return attempt(path);
    const std::string marker = *deletedMarker(path);
    if (!entryExists(*store) && !entryExists(marker)) {
        const int error = attempt(path);
        const bool redirect = refused(error) || (error == ENOENT && (entryExists(parentOf(*store)) ||
                                                                     missingFolderRefused(path)));
        if (!redirect)
            return error;
    }
    if (!makeFolders(parentOf(*store)))
        return errno ? errno : ENOTDIR;
    const int error = attempt(*store);
    if (error == 0)
        ::unlink(marker.c_str());
    return error;
}

int makeFolder(const std::string& path)
{
    return write(path, [](const std::string& target) { return errorOf(mkdir(target.c_str(), 0777) == 0); });
}

int remove(const std::string& path)
{
    const auto removeEntry = [](const std::string& entry) {
        struct stat st {};
        if (lstat(entry.c_str(), &st) != 0)
            return errno;
        if (S_ISDIR(st.st_mode))
            return EISDIR;
        return errorOf(::unlink(entry.c_str()) == 0);
    };
    const std::optional<std::string> store = storePath(path);
    if (!store)
        return removeEntry(path);
    bool removed = false;
    if (entryExists(*store)) {
        if (const int error = removeEntry(*store))
            return error;
        removed = true;
    }
    const std::string marker = *deletedMarker(path);
    if (entryExists(marker) || !entryExists(path))
        return removed ? 0 : ENOENT;
    const int error = removeEntry(path);
    if (!refused(error))
        return error;
    if (!makeFolders(parentOf(marker)))
        return errno ? errno : ENOTDIR;
    const int fd = ::open(marker.c_str(), O_WRONLY | O_CREAT | O_EXCL | O_NOFOLLOW | O_CLOEXEC, 0600);
    if (fd < 0)
        return errno;
    ::close(fd);
    return 0;
}

}  // namespace platform::virtualstore
