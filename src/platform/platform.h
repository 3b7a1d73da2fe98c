#pragma once
// Linux stand-ins for the few operating-system functions the program was designed against.
// Names, arguments and results follow the originals, written with standard types; the rest
// of the program calls only these, so a Windows build could map them onto the real ones.
//
// Text arguments are bytes: file and folder names in the file system's encoding (UTF-8),
// profile strings in the program's code page.

#include <cstdint>

class QWidget;

namespace platform {

using HWND = QWidget*;
using HMODULE = void*;
using FARPROC = void (*)();

// The full path of the running executable (from /proc/self/exe). Returns the length
// copied, or 0 when the path cannot be read or does not fit.
uint32_t GetModuleFileNameA(HMODULE module, char* buffer, uint32_t size);

// The user's private library folder, $HOME/.local/lib/ with its trailing slash,
// created when needed. Returns the length copied; the size needed, terminator
// included, when the buffer is too small; 0 on failure.
uint32_t GetSystemDirectoryA(char* buffer, uint32_t size);

// A private per-user folder for temporary files with its trailing slash:
// $XDG_RUNTIME_DIR/ when it is ours and private, else /tmp/sorvane-<uid>/ made
// with mode 0700 and refused (0) when it is a link or belongs to someone else.
uint32_t GetTempPathA(uint32_t size, char* buffer);

// INI files with the Windows profile functions' rules; see ini.cpp.
uint32_t GetPrivateProfileStringA(const char* section, const char* key, const char* defaultValue,
                                  char* returned, uint32_t size, const char* fileName);
bool WritePrivateProfileStringA(const char* section, const char* key, const char* value,
                                const char* fileName);

// Library loading with dlopen. A bare name is looked for in the system directory
// first, then by the dynamic linker's own search.
HMODULE LoadLibraryA(const char* fileName);
FARPROC GetProcAddress(HMODULE module, const char* name);
bool FreeLibrary(HMODULE module);

// Opens a file or folder with the desktop's default action. Returns a value above 32
// on success, as the original does.
constexpr int SW_SHOWNORMAL = 1;
intptr_t ShellExecuteA(HWND window, const char* operation, const char* file, const char* parameters,
                       const char* directory, int showCommand);

// Starts a program detached from this one; the command line is the executable's path.
// Returns the new process id, or 0 when it could not be started.
int64_t CreateProcessA(const char* applicationName);
// Waits at most the given milliseconds for a started process to be ready for input.
// Returns 0 when it is, 258 (WAIT_TIMEOUT) when the wait ran out, -1 on failure.
int32_t WaitForInputIdle(int64_t process, uint32_t milliseconds);

// Extended window styles kept per window; alpha applied once the layered bit is set.
constexpr int GWL_EXSTYLE = -20;
constexpr int32_t WS_EX_LAYERED = 0x80000;
constexpr uint32_t LWA_ALPHA = 2;
int32_t GetWindowLongA(HWND window, int index);
int32_t SetWindowLongA(HWND window, int index, int32_t value);
bool SetLayeredWindowAttributes(HWND window, uint32_t colorKey, uint8_t alpha, uint32_t flags);

}  // namespace platform
