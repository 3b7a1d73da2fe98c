#pragma once
// How a favourite's name becomes a file name in the favourites folder and back.
//
// The user may type anything as a name: "../x", "a/b", "..", control characters, text
// with a lone surrogate. Each name maps to exactly one plain file name inside the folder,
// and the mapping is reversible, so the panel entry always finds its file again:
// - '/', NUL and other control characters (U+0001..U+001F, U+007F..U+009F) become "%XX";
// - a '.' at the start becomes "%2E", so ".", ".." and hidden names cannot occur;
// - a lone surrogate becomes "%uXXXX";
// - a '%' becomes "%25" only where the text after it would otherwise read as one of these
//   escapes, so a name such as "100%" or "50% off" stays as it is on disk;
// - everything else is kept; the result is stored as UTF-8.
// A file made by another program lists under the name that maps back to exactly its file
// name; a file name no name maps to (a hidden file, bytes that are not UTF-8) is not listed.

#include <QByteArray>
#include <QByteArrayView>
#include <QString>

#include <optional>

namespace favourites {

// The longest file name the file system takes, ".url" included.
constexpr qsizetype kMaxFileNameBytes = 255;

// The file name without ".url", as bytes on disk.
QByteArray fileStem(const QString& name);
// The name whose file stem is exactly `stem`; none when no name maps to it.
std::optional<QString> nameFromStem(QByteArrayView stem);

// Whether name + ".url" fits in one file name.
bool fitsFileName(const QString& name);

// Whether a directory entry's name ends in ".url", letter case not counting, and has
// something before it.
bool hasUrlExtension(QByteArrayView fileName);

}  // namespace favourites
