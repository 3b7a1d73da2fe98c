#include "platform/atomicfile.h"

#include <atomic>
#include <cerrno>
#include <fcntl.h>
#include <sys/stat.h>
#include <unistd.h>

namespace platform {
namespace {

int writeFully(int fd, std::string_view bytes)
{
    while (!bytes.empty()) {
        const ssize_t n = ::write(fd, bytes.data(), bytes.size());
        if (n < 0 && errno == EINTR)
            continue;
        if (n <= 0)
            return n < 0 ? errno : EIO;
        bytes.remove_prefix(static_cast<std::size_t>(n));
    }
    return 0;
}

std::string folderOf(const std::string& path)
{
    const std::size_t slash = path.rfind('/');
    return slash == std::string::npos ? "." : slash == 0 ? "" : path.substr(0, slash);
}

void syncFolderOf(const std::string& path)
{
    const std::string folder = folderOf(path);
    const int fd = ::open(folder.empty() ? "/" : folder.c_str(), O_RDONLY | O_DIRECTORY | O_CLOEXEC);
    if (fd >= 0) {
        fsync(fd);
        ::close(fd);
    }
}

}  // namespace

int replaceFile(const std::string& path, std::string_view bytes)
{
    struct stat old {};
    const bool exists = lstat(path.c_str(), &old) == 0;
    if (exists && S_ISLNK(old.st_mode))
        return ELOOP;
    if (exists && S_ISDIR(old.st_mode))
        return EISDIR;

    static std::atomic<unsigned> counter{0};
    std::string temporary;
    int fd = -1;
    for (int attempt = 0; attempt < 100 && fd < 0; ++attempt) {
        // A short hidden name, so that a file name at the file system's length limit still
        // has room for its temporary, and no listing takes it for one of ours.
        temporary = folderOf(path) + "/.~" + std::to_string(getpid()) + "-" + std::to_string(++counter) + ".tmp";
        fd = ::open(temporary.c_str(), O_WRONLY | O_CREAT | O_EXCL | O_NOFOLLOW | O_CLOEXEC, exists ? 0600 : 0666);
        if (fd < 0 && errno != EEXIST)
            return errno;
    }
    if (fd < 0)
        return EEXIST;
    int error = exists && fchmod(fd, old.st_mode & 07777) != 0 ? errno : 0;
    if (!error)
        error = writeFully(fd, bytes);
    if (!error && fsync(fd) != 0)
        error = errno;
    if (::close(fd) != 0 && !error)
        error = errno;
    if (!error && ::rename(temporary.c_str(), path.c_str()) != 0)
        error = errno;
    if (error) {
        ::unlink(temporary.c_str());
        return error;
    }
    syncFolderOf(path);
    return 0;
}

}  // namespace platform
