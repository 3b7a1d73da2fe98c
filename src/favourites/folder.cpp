#include "favourites/folder.h"

#include "favourites/names.h"

#include <QFile>

#include <array>
#include <cerrno>

#include <dirent.h>
#include <fcntl.h>
#include <sys/stat.h>
#include <unistd.h>

namespace favourites {
namespace {

bool isFolder(int dirFd, const dirent& entry)
{
    if (entry.d_type == DT_DIR)
        return true;
    if (entry.d_type != DT_LNK && entry.d_type != DT_UNKNOWN)
        return false;
    struct stat st {};
    return fstatat(dirFd, entry.d_name, &st, 0) == 0 && S_ISDIR(st.st_mode);
}

bool entryExists(const QByteArray& path)
{
    struct stat st {};
    return lstat(path.constData(), &st) == 0;
}

// ".url" first, then every other spelling of it.
std::array<QByteArray, 16> extensions()
{
    std::array<QByteArray, 16> all;
    for (int mask = 0; mask < 16; ++mask) {
        QByteArray ext(".url");
        for (int k = 0; k < 3; ++k)
            if (mask & (1 << k))
                ext[k + 1] = char(ext[k + 1] - 'a' + 'A');
        all[mask] = ext;
    }
    return all;
}

}  // namespace

QStringList listNames(const QString& folder)
{
    QStringList names;
    DIR* dir = opendir(QFile::encodeName(folder).constData());
    if (!dir)
        return names;
    const int fd = dirfd(dir);
    while (const dirent* entry = readdir(dir)) {
        const QByteArrayView fileName(entry->d_name);
        if (!hasUrlExtension(fileName) || isFolder(fd, *entry))
            continue;
        if (std::optional<QString> name = nameFromStem(fileName.chopped(4)))
            names.append(std::move(*name));
    }
    closedir(dir);
    return names;
}

QString filePath(const QString& folder, const QString& name)
{
    const QByteArray base = QFile::encodeName(folder) + '/' + fileStem(name);
    static const std::array<QByteArray, 16> spellings = extensions();
    for (const QByteArray& ext : spellings)
        if (entryExists(base + ext))
            return QFile::decodeName(base + ext);
    return QFile::decodeName(base + ".url");
}

QByteArray readShortcut(const QString& path)
{
    const int fd = ::open(QFile::encodeName(path).constData(), O_RDONLY | O_NOFOLLOW | O_NONBLOCK | O_CLOEXEC);
    if (fd < 0)
        return {};
    QByteArray bytes;
    struct stat st {};
    if (fstat(fd, &st) == 0 && S_ISREG(st.st_mode) && st.st_size <= kMaxShortcutBytes) {
        // Read to the end, not to the size seen: the file may grow meanwhile.
        char chunk[65536];
        for (;;) {
            const ssize_t n = ::read(fd, chunk, sizeof chunk);
            if (n < 0 && errno == EINTR)
                continue;
            if (n < 0)
                bytes.clear();
            if (n <= 0)
                break;
            if (bytes.size() + n > kMaxShortcutBytes) {
                bytes.clear();
                break;
            }
            bytes.append(chunk, n);
        }
    }
    ::close(fd);
    return bytes;
}

bool removeFile(const QString& path) { return ::unlink(QFile::encodeName(path).constData()) == 0; }

}  // namespace favourites
