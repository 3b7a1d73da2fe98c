#pragma once
// Text in the program's code page (GB18030, which reads GBK unchanged). Files hold these
// bytes; the byte-level rules below are applied to them before they become QString.
// Positions are 1-based byte positions; a search that finds nothing gives -1.

#include <QByteArray>
#include <QList>
#include <QString>

namespace text {

QByteArray encode(const QString& text);
QString decode(const QByteArray& bytes);

// The bytes up to the first zero byte (all of them when there is none).
QByteArray cutAtZero(const QByteArray& bytes);

// The first or last n bytes: empty for n <= 0, everything for n beyond the length.
QByteArray left(const QByteArray& bytes, qsizetype n);
QByteArray right(const QByteArray& bytes, qsizetype n);

// Length in bytes of the code-page character that starts at index i (0-based):
// 1, 2 or 4; a lead byte without a valid trail counts as one byte.
int charLength(const QByteArray& bytes, qsizetype i);

// The 1-based position of the first occurrence of needle that begins where a character
// begins, so a match never starts on the second byte of a double-byte character; -1 if none.
qsizetype find(const QByteArray& bytes, const QByteArray& needle);

// Splits at every CR LF, scanning character by character. Each CR LF ends one piece (two in
// a row give an empty piece); what follows the last CR LF is a piece only if it is not empty.
QList<QByteArray> splitCrLf(const QByteArray& bytes);

}  // namespace text
