#include "common/text.h"

#include <QStringDecoder>
#include <QStringEncoder>

namespace text {

QByteArray encode(const QString& text)
{
    QStringEncoder encoder("GB18030");
    return encoder.encode(text);
}

QString decode(const QByteArray& bytes)
{
    QStringDecoder decoder("GB18030");
    return decoder.decode(bytes);
}

QByteArray cutAtZero(const QByteArray& bytes)
{
    const qsizetype zero = bytes.indexOf('\0');
    return zero < 0 ? bytes : bytes.left(zero);
}

QByteArray left(const QByteArray& bytes, qsizetype n)
{
    return n <= 0 ? QByteArray() : bytes.left(n);
}

QByteArray right(const QByteArray& bytes, qsizetype n)
{
    return n <= 0 ? QByteArray() : bytes.right(n);
}

int charLength(const QByteArray& bytes, qsizetype i)
{
    const auto at = [&](qsizetype k) { return static_cast<unsigned char>(bytes.at(k)); };
    const unsigned char lead = at(i);
    if (lead < 0x81 || lead == 0xFF || i + 1 >= bytes.size())
        return 1;
    const unsigned char second = at(i + 1);
    if ((second >= 0x40 && second <= 0x7E) || (second >= 0x80 && second <= 0xFE))
        return 2;
    if (second >= 0x30 && second <= 0x39 && i + 3 < bytes.size()) {
        const unsigned char third = at(i + 2), fourth = at(i + 3);
        if (third >= 0x81 && third <= 0xFE && fourth >= 0x30 && fourth <= 0x39)
            return 4;
    }
    return 1;
}

qsizetype find(const QByteArray& bytes, const QByteArray& needle)
{
    if (needle.isEmpty())
        return -1;
    for (qsizetype i = 0; i + needle.size() <= bytes.size(); i += charLength(bytes, i)) {
        if (bytes.at(i) == needle.at(0) && QByteArrayView(bytes).sliced(i, needle.size()) == needle)
            return i + 1;
    }
    return -1;
}

QList<QByteArray> splitCrLf(const QByteArray& bytes)
{
    QList<QByteArray> pieces;
    qsizetype start = 0;
    qsizetype i = 0;
    while (i < bytes.size()) {
        if (bytes.at(i) == '\r' && i + 1 < bytes.size() && bytes.at(i + 1) == '\n') {
            pieces.append(bytes.mid(start, i - start));
            i += 2;
            start = i;
        } else {
            i += charLength(bytes, i);
        }
    }
    if (start < bytes.size())
        pieces.append(bytes.mid(start));
    return pieces;
}

}  // namespace text
