#include "favourites/folder.h"

#include "favourites/names.h"
#include "platform/virtualstore.h"

#include <QFile>
#include <QSet>

#include <array>
#include <cerrno>
#include <optional>
#include <string>

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

bool entryExists(const std::string& path)
{
    struct stat st {};
    return lstat(path.c_str(), &st) == 0;
}

// Whether the entry is there for the program: its store copy, or its own one not deleted.
bool visible(const QByteArray& path)
{
    const std::optional<std::string> from = platform::virtualstore::forReading(path.toStdString());
    return from && entryExists(*from);
}

bool inStore(const QByteArray& path)
{
    const std::optional<std::string> copy = platform::virtualstore::storePath(path.toStdString());
    return copy && entryExists(*copy);
}

// The names in a folder, in the order the directory search returns them; the favourites'
// files only (".url", not a folder) when asked.
QList<QByteArray> entries(const std::string& folder, bool favouritesOnly)
{
    QList<QByteArray> found;
    DIR* dir = opendir(folder.c_str());
    if (!dir)
        return found;
    const int fd = dirfd(dir);
    while (const dirent* entry = readdir(dir)) {
        const QByteArrayView fileName(entry->d_name);
        if (fileName == "." || fileName == "..")
            continue;
        if (favouritesOnly && (!hasUrlExtension(fileName) || isFolder(fd, *entry)))
            continue;
        found.append(fileName.toByteArray());
    }
    closedir(dir);
    return found;
}

QList<QByteArray> favouriteFiles(const std::string& folder) { return entries(folder, true); }
QList<QByteArray> entryNames(const std::string& folder) { return entries(folder, false); }

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
    namespace store = platform::virtualstore;
    const std::string real = QFile::encodeName(folder).toStdString();
    const std::optional<std::string> copies = store::storePath(real);
    const std::optional<std::string> markers = store::deletedMarker(real);
    const QList<QByteArray> kept = copies ? favouriteFiles(*copies) : QList<QByteArray>();
    const QSet<QByteArray> inStore(kept.begin(), kept.end());
    const QList<QByteArray> deleted = markers ? entryNames(*markers) : QList<QByteArray>();
    const QSet<QByteArray> hidden(deleted.begin(), deleted.end());

    // The folder's own entries keep their places, with the store's copy of an entry in its
    // place; the store's new entries follow. A name is listed once, the store's spelling first.
    QStringList names;
    QSet<QString> seen;
    const auto take = [&](const QByteArray& fileName) {
        std::optional<QString> name = nameFromStem(QByteArrayView(fileName).chopped(4));
        if (name && !seen.contains(*name)) {
            seen.insert(*name);
            names.append(std::move(*name));
        }
    };
    for (const QByteArray& fileName : favouriteFiles(real))
        if (inStore.contains(fileName) || !hidden.contains(fileName))
            take(fileName);
    for (const QByteArray& fileName : kept)
        take(fileName);
    return names;
}

QString filePath(const QString& folder, const QString& name)
{
    const QByteArray base = QFile::encodeName(folder) + '/' + fileStem(name);
    static const std::array<QByteArray, 16> spellings = extensions();
    // The store's copy wins over the folder's own file of another spelling.
    for (const QByteArray& ext : spellings)
        if (inStore(base + ext))
            return QFile::decodeName(base + ext);
    for (const QByteArray& ext : spellings)
        if (visible(base + ext))
            return QFile::decodeName(base + ext);
    return QFile::decodeName(base + ".url");
}

QByteArray readShortcut(const QString& path)
{
    const std::optional<std::string> from = platform::virtualstore::forReading(QFile::encodeName(path).toStdString());
    if (!from)
        return {};
    const int fd = ::open(from->c_str(), O_RDONLY | O_NOFOLLOW | O_NONBLOCK | O_CLOEXEC);
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

bool removeFile(const QString& path)
{
    return platform::virtualstore::remove(QFile::encodeName(path).toStdString()) == 0;
}

}  // namespace favourites
