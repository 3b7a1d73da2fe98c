#include "favourites/shortcut.h"

#include "common/text.h"

namespace favourites {
namespace {
constexpr char kHeader[] = "[InternetShortcut]\r\nURL=";
constexpr char kKey[] = "URL=";
}  // namespace

QByteArray shortcutBytes(const QString& address) { return QByteArray(kHeader) + text::encode(address); }

QString addressFromFile(const QByteArray& bytes)
{
    const QByteArray content = text::cutAtZero(bytes);
    const qsizetype position = text::find(content, QByteArray(kKey));
    if (position < 0)
        return {};
    const qsizetype start = position - 1 + qsizetype(sizeof kKey - 1);
    // CR and LF are never part of a double-byte character, so a plain search is exact.
    qsizetype end = start;
    while (end < content.size() && content.at(end) != '\r' && content.at(end) != '\n')
        ++end;
    return text::decode(content.mid(start, end - start));
}

}  // namespace favourites
