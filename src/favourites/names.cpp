#include "favourites/names.h"

#include <QStringDecoder>

namespace favourites {
namespace {

constexpr char16_t kHexDigits[] = u"0123456789ABCDEF";

int hexValue(QChar c)
{
    const char16_t u = c.unicode();
    if (u >= u'0' && u <= u'9')
        return u - u'0';
    if (u >= u'A' && u <= u'F')
        return u - u'A' + 10;
    return -1;  // lower case is not an escape: the encoder writes upper case only
}

// The value of n upper-case hex digits at text[at], or -1.
int hexAt(QStringView text, qsizetype at, int n)
{
    if (at < 0 || at + n > text.size())
        return -1;
    int value = 0;
    for (int k = 0; k < n; ++k) {
        const int digit = hexValue(text[at + k]);
        if (digit < 0)
            return -1;
        value = value * 16 + digit;
    }
    return value;
}

bool isControl(char16_t u) { return u <= 0x1F || (u >= 0x7F && u <= 0x9F); }

// Characters written as "%XX" (the '%' itself aside).
bool escapedAsByte(char16_t u, bool atStart) { return isControl(u) || u == u'/' || (u == u'.' && atStart); }

bool loneSurrogateAt(QStringView text, qsizetype i)
{
    const QChar c = text[i];
    if (c.isHighSurrogate())
        return i + 1 >= text.size() || !text[i + 1].isLowSurrogate();
    if (c.isLowSurrogate())
        return i == 0 || !text[i - 1].isHighSurrogate();
    return false;
}

int surrogateEscapeAt(QStringView text, qsizetype at)
{
    if (at >= text.size() || text[at] != u'u')
        return -1;
    const int value = hexAt(text, at + 1, 4);
    return value >= 0xD800 && value <= 0xDFFF ? value : -1;
}

// Whether a '%' followed by text[at...] would be read back as an escape. Only digits,
// 'A'..'F' and 'u' are looked at, and those are stored unchanged, so the answer is the
// same for the name and for its file name.
bool readsAsEscape(QStringView text, qsizetype at, bool atStart)
{
    for (;;) {
        const int value = hexAt(text, at, 2);
        if (value == '%') {  // "%25" is itself an escape only in front of another one
            at += 2;
            continue;
        }
        if (value >= 0)
            return escapedAsByte(char16_t(value), atStart);
        return surrogateEscapeAt(text, at) >= 0;
    }
}

void appendEscape(QString& out, int value, int digits)
{
    out += u'%';
    if (digits == 4)
        out += u'u';
    for (int shift = (digits - 1) * 4; shift >= 0; shift -= 4)
        out += QChar(kHexDigits[(value >> shift) & 0xF]);
}

QString escaped(QStringView name)
{
    QString out;
    out.reserve(name.size());
    for (qsizetype i = 0; i < name.size(); ++i) {
        const char16_t u = name[i].unicode();
        const bool atStart = i == 0;
        if (escapedAsByte(u, atStart) || (u == u'%' && readsAsEscape(name, i + 1, atStart)))
            appendEscape(out, u, 2);
        else if (loneSurrogateAt(name, i))
            appendEscape(out, u, 4);
        else
            out += name[i];
    }
    return out;
}

QString unescaped(QStringView stored)
{
    QString out;
    out.reserve(stored.size());
    for (qsizetype i = 0; i < stored.size();) {
        if (stored[i] == u'%') {
            const bool atStart = i == 0;
            const int value = hexAt(stored, i + 1, 2);
            if (value == '%' ? readsAsEscape(stored, i + 3, atStart) : value >= 0 && escapedAsByte(char16_t(value), atStart)) {
                out += QChar(char16_t(value));
                i += 3;
                continue;
            }
            if (const int surrogate = surrogateEscapeAt(stored, i + 1); surrogate >= 0) {
                out += QChar(char16_t(surrogate));
                i += 6;
                continue;
            }
        }
        out += stored[i++];
    }
    return out;
}

}  // namespace

QByteArray fileStem(const QString& name) { return escaped(name).toUtf8(); }

std::optional<QString> nameFromStem(QByteArrayView stem)
{
    // A name may begin with U+FEFF (page titles do): keep it rather than take it for a mark.
    QStringDecoder utf8(QStringDecoder::Utf8, QStringConverter::Flag::ConvertInitialBom);
    QString name = unescaped(QString(utf8.decode(stem)));
    // Bytes that are not UTF-8, or escapes the encoder would not have written, map to a
    // name whose file is another one: such a file cannot be opened under that name.
    if (name.isEmpty() || fileStem(name) != stem)
        return std::nullopt;
    return name;
}

bool fitsFileName(const QString& name) { return fileStem(name).size() + 4 <= kMaxFileNameBytes; }

bool hasUrlExtension(QByteArrayView fileName)
{
    return fileName.size() > 4 && fileName.last(4).compare(".url", Qt::CaseInsensitive) == 0;
}

}  // namespace favourites
