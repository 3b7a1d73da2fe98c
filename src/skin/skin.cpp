#include "skin/skin.h"

#include "common/files.h"
#include "common/lifecycle.h"
#include "common/paths.h"
#include "platform/platform.h"

#include <QFile>
#include <QFileInfo>

#include <cerrno>
#include <cstdio>
#include <cstring>

#include <fcntl.h>
#include <link.h>
#include <sys/stat.h>
#include <unistd.h>

namespace skin {
namespace {

// The skin table, row 1 first.
constexpr const char* kNames[kSkinCount] = {
    "aero", "asus", "black", "compact", "darkroyale", "dogmax", "elegance", "enjoy",
    "gem", "hlong", "homestead", "insomnia", "itunes", "longhorn", "office2007", "ouframe",
    "pixos", "qq2008", "royale", "storm", "vista", "wish", "xmp",
};

using AttachFunction = int (*)(const char* skinFile, const char* password);
platform::HMODULE g_library = nullptr;
AttachFunction g_attach = nullptr;

QByteArray resource(const QString& fileName)
{
    QFile file(QStringLiteral(":/skin/") + fileName);
    return file.open(QIODevice::ReadOnly) ? file.readAll() : QByteArray();
}

bool writeFully(int fd, const QByteArray& bytes)
{
    qsizetype done = 0;
    while (done < bytes.size()) {
        const ssize_t n = ::write(fd, bytes.constData() + done, static_cast<size_t>(bytes.size() - done));
        if (n < 0 && errno == EINTR)
            continue;
        if (n <= 0)
            return false;
        done += n;
    }
    return true;
}

// Moves the finished temporary file to the name only while the name is free. Returns
// whether the temporary name is still there to be removed.
bool placeWithoutReplacing(const QByteArray& from, const QByteArray& to, bool& placed)
{
    placed = ::renameat2(AT_FDCWD, from.constData(), AT_FDCWD, to.constData(), RENAME_NOREPLACE) == 0;
    if (placed || (errno != EINVAL && errno != ENOSYS))
        return !placed;
    // A file system without that rename: a hard link fails just the same when the name is taken.
    placed = ::link(from.constData(), to.constData()) == 0;
    return true;
}

// The engine is looked for on the first call: the program's own copy first, then by its
// bare name (the system directory, then the dynamic linker's search). A damaged file under
// the name (cut short, say) must not be handed to the dynamic linker: it maps the missing
// part and the process dies of SIGBUS instead of reporting the missing engine.
bool loadEngine()
{
    if (g_attach)
        return true;
    const QString ownCopy = paths::programDirectory() + u'/' + QLatin1String(kLibraryName);
    platform::HMODULE library = nullptr;
    if (isWholeLibrary(ownCopy))
        library = platform::LoadLibraryA(ownCopy.toUtf8().constData());
    const QString systemCopy = libraryPath();
    if (!library && (!QFileInfo(systemCopy).isFile() || isWholeLibrary(systemCopy)))
        library = platform::LoadLibraryA(kLibraryName);
    if (!library)
        return false;
    g_attach = reinterpret_cast<AttachFunction>(platform::GetProcAddress(library, kEntryPoint));
    if (!g_attach) {
        platform::FreeLibrary(library);
        return false;
    }
    g_library = library;
    return true;
}

}  // namespace

bool isWholeLibrary(const QString& path)
{
    constexpr unsigned char ourClass = sizeof(void*) == 8 ? ELFCLASS64 : ELFCLASS32;
    const int fd = ::open(QFile::encodeName(path).constData(), O_RDONLY | O_NONBLOCK | O_CLOEXEC | O_NOCTTY);
    if (fd < 0)
        return false;
    struct stat st {};
    ElfW(Ehdr) header {};
    bool whole = ::fstat(fd, &st) == 0 && S_ISREG(st.st_mode) &&
                 ::pread(fd, &header, sizeof header, 0) == ssize_t(sizeof header) &&
                 std::memcmp(header.e_ident, ELFMAG, SELFMAG) == 0 && header.e_ident[EI_CLASS] == ourClass &&
                 header.e_phentsize == sizeof(ElfW(Phdr)) && header.e_phnum > 0 &&
                 header.e_phoff + uint64_t(header.e_phnum) * sizeof(ElfW(Phdr)) <= uint64_t(st.st_size);
    // Every loaded segment must lie within the file.
    for (unsigned i = 0; whole && i < header.e_phnum; ++i) {
        ElfW(Phdr) segment {};
        whole = ::pread(fd, &segment, sizeof segment, off_t(header.e_phoff + i * sizeof segment)) ==
                    ssize_t(sizeof segment) &&
                (segment.p_type != PT_LOAD || (segment.p_offset <= uint64_t(st.st_size) &&
                                               segment.p_filesz <= uint64_t(st.st_size) - segment.p_offset));
    }
    ::close(fd);
    return whole;
}

int clampNumber(int number) { return number < 1 || number > kSkinCount ? 1 : number; }

QString name(int number) { return QString::fromLatin1(kNames[clampNumber(number) - 1]); }

QByteArray carriedLibrary() { return resource(QLatin1String(kLibraryName)); }

QByteArray carriedSkin(int number) { return resource(name(number) + QStringLiteral(".she")); }

QString libraryPath() { return paths::systemDirectory() + QLatin1String(kLibraryName); }

QString skinPath(int number) { return paths::temporaryDirectory() + name(number) + QStringLiteral(".she"); }

bool writeIfMissing(const QString& path, const QByteArray& bytes)
{
    // A folder the platform could not give leaves a bare name: never write that into
    // whatever the current directory is.
    const qsizetype slash = path.lastIndexOf(u'/');
    if (bytes.isEmpty() || !path.startsWith(u'/') || slash < 0 || files::exists(path))
        return false;
    const QByteArray target = QFile::encodeName(path);
    QByteArray temporary =
        QFile::encodeName(path.left(slash + 1) + u'.' + path.mid(slash + 1) + QStringLiteral(".XXXXXX"));
    const int fd = ::mkostemp(temporary.data(), O_CLOEXEC);
    if (fd < 0)
        return false;
    // fsync before the rename: after a crash the name holds the whole file or nothing.
    const bool written = ::fchmod(fd, 0644) == 0 && writeFully(fd, bytes) && ::fsync(fd) == 0;
    const bool closed = ::close(fd) == 0;
    bool placed = false;
    if (!written || !closed || placeWithoutReplacing(temporary, target, placed))
        ::unlink(temporary.constData());
    return placed;
}

void installLibrary()
{
    writeIfMissing(libraryPath(), carriedLibrary());
}

void apply(int number)
{
    number = clampNumber(number);
    const QString path = skinPath(number);
    writeIfMissing(path, carriedSkin(number));
    if (!loadEngine())
        lifecycle::fatalError(QStringLiteral("找不到皮肤引擎 %1 或其中的函数 %2")
                                  .arg(QLatin1String(kLibraryName), QLatin1String(kEntryPoint)));
    // The engine's answer changes nothing here: an unreadable skin leaves the plain look.
    g_attach(path.toUtf8().constData(), "");
}

void release()
{
    if (g_library)
        platform::FreeLibrary(g_library);
    g_library = nullptr;
    g_attach = nullptr;
}

}  // namespace skin
