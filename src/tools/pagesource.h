#pragma once
// The page source: the current address fetched again and its body written to a file.

#include "tools/http.h"

#include <QString>

namespace tools {

// The page source file's name, in the temporary directory.
QString pageSourcePath();

// GETs the address and writes the body, as it arrives and unchanged, to a temporary name
// beside `path`, which then replaces `path`. An empty address, another scheme than http or
// https, or a failure before the first byte gives an empty file; a transfer that breaks
// off leaves the bytes received. While the transfer runs the caller's thread keeps
// handling events other than user input. Returns whether `path` was replaced: never
// through a symbolic link at that name, never when the disk refuses the bytes.
bool fetchToFile(const QString& address, const QString& path, const FetchLimits& limits = {});

}  // namespace tools
