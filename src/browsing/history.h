#pragma once
// The address history: the address box's list, newest first, kept between runs in
// program directory + "/lj.txt" (each entry followed by CR LF, in the code page).

#include <QByteArray>
#include <QString>
#include <QStringList>

class QComboBox;

namespace browsing::history {

inline constexpr int kLimit = 50;

QString filePath();

// Inserts at the top; an insertion that makes the list exactly 51 long removes entry 51.
void insertAtTop(QComboBox& addressBox, const QString& text);

// The entries a file's bytes hold, top first: up to the first zero byte, split at CR LF
// with double-byte characters kept whole, empty pieces left out.
QStringList parse(const QByteArray& bytes);
// Every entry followed by CR LF; an empty list gives no bytes.
QByteArray serialize(const QStringList& entries);

void load(QComboBox& addressBox);
// Replaces the file atomically; a failed write keeps the old file.
void save(const QComboBox& addressBox);

}  // namespace browsing::history
