#pragma once
// Whole-file reading and writing. Writes replace the file atomically (a temporary name in
// the same folder, then a rename), so a crash never leaves a half-written file, and they
// never write through a symbolic link planted under the file's name.
//
// Inside the program folder, a write the folder refuses goes to the user's store instead
// (platform/virtualstore.h), and reads and existence tests look there first.

#include <QByteArray>
#include <QString>

namespace files {

// All bytes of the file, or none when it is missing, unreadable, not a regular file or
// larger than maxBytes.
QByteArray readAll(const QString& path, qint64 maxBytes = qint64(1) << 30);

// Creates the file or replaces its whole content. Returns whether it was written.
bool writeAll(const QString& path, const QByteArray& bytes);

// Whether any directory entry (a file, a folder, a link) exists under that name.
bool exists(const QString& path);

// Makes one folder (its parent must exist). Returns whether it was made.
bool makeFolder(const QString& path);

}  // namespace files
