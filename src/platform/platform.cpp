#include "platform/platform.h"

#include <QDesktopServices>
#include <QDir>
#include <QFileInfo>
#include <QHash>
#include <QPointer>
#include <QProcess>
#include <QThread>
#include <QUrl>
#include <QWidget>

#include <cerrno>
#include <cstdlib>
#include <cstring>
#include <dlfcn.h>
#include <signal.h>
#include <string>
#include <sys/stat.h>
#include <unistd.h>

namespace platform {
namespace {

// Copies text into a caller's buffer the way the "A" functions do: the length copied
// on success, the size needed (terminator included) when the buffer is too small.
uint32_t copyOut(const std::string& text, char* buffer, uint32_t size)
{
    if (text.empty())
        return 0;
    if (!buffer || text.size() + 1 > size)
        return static_cast<uint32_t>(text.size() + 1);
    std::memcpy(buffer, text.c_str(), text.size() + 1);
    return static_cast<uint32_t>(text.size());
}

std::string withSlash(std::string path)
{
    if (!path.empty() && path.back() != '/')
        path += '/';
    return path;
}

// A folder we may keep private files in: a real folder (not a link), ours, closed to others.
bool isPrivateFolder(const std::string& path)
{
    struct stat st {};
    if (lstat(path.c_str(), &st) != 0)
        return false;
    return S_ISDIR(st.st_mode) && st.st_uid == getuid() && (st.st_mode & 077) == 0;
}

bool makeFolders(const std::string& path, mode_t mode)
{
    std::string partial;
    for (size_t i = 0; i <= path.size(); ++i) {
        if (i == path.size() || (path[i] == '/' && i > 0)) {
            partial = path.substr(0, i);
            if (mkdir(partial.c_str(), mode) != 0 && errno != EEXIST)
                return false;
        }
    }
    struct stat st {};
    return stat(path.c_str(), &st) == 0 && S_ISDIR(st.st_mode);
}

}  // namespace

uint32_t GetModuleFileNameA(HMODULE, char* buffer, uint32_t size)
{
    char path[4096];
    const ssize_t n = readlink("/proc/self/exe", path, sizeof path - 1);
    if (n <= 0)
        return 0;
    const std::string text(path, static_cast<size_t>(n));
    if (!buffer || text.size() + 1 > size)
        return 0;
    std::memcpy(buffer, text.c_str(), text.size() + 1);
    return static_cast<uint32_t>(text.size());
}

uint32_t GetSystemDirectoryA(char* buffer, uint32_t size)
{
    const char* home = std::getenv("HOME");
    if (!home || !*home)
        return 0;
    const std::string dir = withSlash(home) + ".local/lib";
    if (!makeFolders(dir, 0755))
        return 0;
    return copyOut(dir + '/', buffer, size);
}

uint32_t GetTempPathA(uint32_t size, char* buffer)
{
    if (const char* runtime = std::getenv("XDG_RUNTIME_DIR"); runtime && *runtime == '/') {
        std::string dir(runtime);
        while (dir.size() > 1 && dir.back() == '/')
            dir.pop_back();
        if (isPrivateFolder(dir) && access(dir.c_str(), W_OK | X_OK) == 0)
            return copyOut(dir + '/', buffer, size);
    }
    const std::string dir = "/tmp/sorvane-" + std::to_string(getuid());
    if (mkdir(dir.c_str(), 0700) != 0 && errno != EEXIST)
        return 0;
    if (!isPrivateFolder(dir))
        return 0;
    return copyOut(dir + '/', buffer, size);
}

HMODULE LoadLibraryA(const char* fileName)
{
    if (!fileName || !*fileName)
        return nullptr;
    if (!std::strchr(fileName, '/')) {
        char dir[4096];
        if (GetSystemDirectoryA(dir, sizeof dir) > 0 && std::strlen(dir) < sizeof dir) {
            const std::string inSystem = std::string(dir) + fileName;
            if (access(inSystem.c_str(), F_OK) == 0)
                if (void* handle = dlopen(inSystem.c_str(), RTLD_NOW | RTLD_LOCAL))
                    return handle;
        }
    }
    return dlopen(fileName, RTLD_NOW | RTLD_LOCAL);
}

FARPROC GetProcAddress(HMODULE module, const char* name)
{
    if (!module || !name)
        return nullptr;
    return reinterpret_cast<FARPROC>(dlsym(module, name));
}

bool FreeLibrary(HMODULE module)
{
    return module && dlclose(module) == 0;
}

intptr_t ShellExecuteA(HWND, const char*, const char* file, const char*, const char*, int)
{
    if (!file || !*file)
        return 2;  // ERROR_FILE_NOT_FOUND
    const QString path = QString::fromUtf8(file);
    return QDesktopServices::openUrl(QUrl::fromLocalFile(path)) ? 33 : 31;  // 31: no association
}

int64_t CreateProcessA(const char* applicationName)
{
    if (!applicationName || !*applicationName)
        return 0;
    qint64 pid = 0;
    if (!QProcess::startDetached(QString::fromUtf8(applicationName), {}, QString(), &pid))
        return 0;
    return pid;
}

int32_t WaitForInputIdle(int64_t process, uint32_t milliseconds)
{
    // Linux has no notice of "ready for input"; wait the bounded time, or less if the
    // process is already gone.
    if (process <= 0)
        return -1;
    constexpr uint32_t step = 50;
    for (uint32_t waited = 0; waited < milliseconds; waited += step) {
        if (kill(static_cast<pid_t>(process), 0) != 0)
            return -1;
        QThread::msleep(step);
    }
    return 258;
}

namespace {
QHash<QWidget*, int32_t>& extendedStyles()
{
    static QHash<QWidget*, int32_t> styles;
    return styles;
}
}  // namespace

int32_t GetWindowLongA(HWND window, int index)
{
    if (!window || index != GWL_EXSTYLE)
        return 0;
    return extendedStyles().value(window, 0);
}

int32_t SetWindowLongA(HWND window, int index, int32_t value)
{
    if (!window || index != GWL_EXSTYLE)
        return 0;
    auto& styles = extendedStyles();
    const int32_t previous = styles.value(window, 0);
    if (!styles.contains(window))
        QObject::connect(window, &QObject::destroyed, [window] { extendedStyles().remove(window); });
    styles.insert(window, value);
    return previous;
}

bool SetLayeredWindowAttributes(HWND window, uint32_t, uint8_t alpha, uint32_t flags)
{
    if (!window || !(GetWindowLongA(window, GWL_EXSTYLE) & WS_EX_LAYERED))
        return false;
    if (flags & LWA_ALPHA)
        window->setWindowOpacity(alpha / 255.0);
    return true;
}

}  // namespace platform
