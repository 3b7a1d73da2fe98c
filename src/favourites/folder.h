#pragma once
// The favourites folder on disk: listing, finding, reading and deleting favourite files.
// Nothing here follows a symbolic link planted under a favourite's file name.
//
// A favourites folder inside a program folder the user may not write to is seen through
// the user's store (platform/virtualstore.h): the store's entries are merged in, the
// store's copy winning for the same name, and an entry of the folder itself that the user
// deleted is hidden by the store's marker while the file stays where it is.

#include <QByteArray>
#include <QString>
#include <QStringList>

namespace favourites {

// Shortcut files larger than this are not read: no address is that long.
constexpr qint64 kMaxShortcutBytes = qint64(4) << 20;

// The names of the favourites in `folder`, in the order the directory search returns them
// (the folder's own entries, then those only the store has).
// Folders are skipped (a link to a folder too); every other entry whose name ends in
// ".url", letter case not counting, and maps back to a name counts. A missing folder
// gives no names.
QStringList listNames(const QString& folder);

// The file for `name`: name's file stem + ".url", or an existing file whose extension
// differs only in letter case (the listing takes "A.URL" as "A"). Either way inside `folder`.
QString filePath(const QString& folder, const QString& name);

// The file's bytes when it is a regular file (not a link) of at most kMaxShortcutBytes;
// none otherwise.
QByteArray readShortcut(const QString& path);

// Deletes the entry itself (a link, never its target; never a folder); one the folder
// refuses to delete is hidden instead.
bool removeFile(const QString& path);

}  // namespace favourites
