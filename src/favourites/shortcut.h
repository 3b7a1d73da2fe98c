#pragma once
// The Internet Shortcut file of one favourite, as bytes in the code page.

#include <QByteArray>
#include <QString>

namespace favourites {

// "[InternetShortcut]" CR LF "URL=" and the address: 24 bytes and the address's own, with
// no line break after it.
QByteArray shortcutBytes(const QString& address);

// The address a shortcut file holds: the text ends at the first zero byte; the address
// follows the first "URL=" that starts where a character starts, up to the end of its line
// (CR or LF), so files with further lines and sections open the right page. Empty when
// there is no "URL=".
QString addressFromFile(const QByteArray& bytes);

}  // namespace favourites
