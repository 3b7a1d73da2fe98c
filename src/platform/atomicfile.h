#pragma once
// Replacing a file's whole content so that no reader, and no crash, ever sees half of it.

#include <string>
#include <string_view>

namespace platform {

// Writes the bytes under a fresh name beside the file, flushes them to disk and renames that
// over the file. An existing file keeps its permission bits; a new one gets 0666 less the
// umask. Never writes through a symbolic link under the name, nor over a folder.
// Returns 0, or the errno of the step that failed (the file is then as it was).
int replaceFile(const std::string& path, std::string_view bytes);

}  // namespace platform
