#pragma once
// A program folder the user may not write to (an installed copy under /opt or /usr): the
// program keeps its settings, history and favourites beside its executable, so there every
// write would fail and be lost. As Windows does for such programs, a write the program
// folder refuses goes to a per-user mirror of it instead,
//   $XDG_DATA_HOME (or ~/.local/share) + "/sorvane/VirtualStore" + the folder's absolute path,
// and from then on that entry lives in the mirror: reads, existence tests and later writes
// look there first. A writable program folder is used as it is and the mirror stays unused.
//
// An entry of the program folder itself that the user deletes but may not remove is hidden
// by an empty marker file of the same name in a second mirror, ".../sorvane/VirtualStore-deleted"
// + the same path; writing the entry again brings it back (in the mirror) and drops the marker.
//
// Paths are bytes in the file system's encoding. Errors are errno values, 0 for success.

#include <functional>
#include <optional>
#include <string>
#include <string_view>

namespace platform::virtualstore {

// The folder whose refused writes are redirected: absolute, without a trailing slash.
// Anything else (empty, relative) turns redirection off.
void setProgramFolder(std::string folder);
std::string programFolder();

// Whether a failed call's errno says this user may not write there.
bool refused(int error);

// The current user's mirror root, asked of the environment afresh each time; empty when
// neither XDG_DATA_HOME (absolute) nor HOME is set.
std::string storeRoot();

// The mirror's path for a path inside the program folder (the folder itself included);
// nothing for any other path, or one with empty, "." or ".." parts.
std::optional<std::string> storePath(std::string_view path);
// The marker that hides the program folder's own entry at that path.
std::optional<std::string> deletedMarker(std::string_view path);

// Where to read or test a path: its mirror copy when there is one, the path itself
// otherwise; nothing when the entry was deleted and only its marker remains.
std::optional<std::string> forReading(const std::string& path);

// Runs a write (`attempt` gets the path to write and returns 0 or errno) on the path, or
// on its mirror copy when the entry already lives in the mirror or the program folder
// refuses (a refused errno, or a missing folder the program folder would not let us make).
// The mirror's folders are made as needed, closed to other users.
int write(const std::string& path, const std::function<int(const std::string& target)>& attempt);

// Makes a folder, in the mirror when the program folder refuses.
int makeFolder(const std::string& path);

// Deletes an entry (never a folder): its mirror copy, and the program folder's own one,
// which is hidden by a marker when the program folder refuses to delete it.
int remove(const std::string& path);

}  // namespace platform::virtualstore
