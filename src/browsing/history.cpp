#include "browsing/history.h"

#include "common/files.h"
#include "common/paths.h"
#include "common/text.h"

#include <QComboBox>
#include <QStringDecoder>

namespace browsing::history {

QString filePath() { return paths::programFile(QStringLiteral("lj.txt")); }

void insertAtTop(QComboBox& addressBox, const QString& text)
{
    // Inserting must not change what the box shows.
    const QString shown = addressBox.currentText();
    addressBox.insertItem(0, text);
    if (addressBox.count() == kLimit + 1)
        addressBox.removeItem(kLimit);
    if (addressBox.currentText() != shown)
        addressBox.setEditText(shown);
}

QStringList parse(const QByteArray& bytes)
{
    QStringList entries;
    QStringDecoder decoder("GB18030", QStringConverter::Flag::Stateless);
    for (const QByteArray& piece : text::splitCrLf(text::cutAtZero(bytes))) {
        // A piece that is only an unfinished character (a lone lead byte) decodes to nothing;
        // as an empty entry it would be saved as an empty line and vanish at the next start.
        QString entry = piece.isEmpty() ? QString() : decoder.decode(piece);
        if (!entry.isEmpty())
            entries.append(std::move(entry));
    }
    return entries;
}

QByteArray serialize(const QStringList& entries)
{
    QByteArray bytes;
    for (const QString& entry : entries) {
        bytes += text::encode(entry);
        bytes += "\r\n";
    }
    return bytes;
}

void load(QComboBox& addressBox)
{
    const QStringList entries = parse(files::readAll(filePath()));
    const QString shown = addressBox.currentText();
    addressBox.insertItems(0, entries);
    addressBox.setEditText(shown);
}

void save(const QComboBox& addressBox)
{
    QStringList entries;
    entries.reserve(addressBox.count());
    for (int i = 0; i < addressBox.count(); ++i)
        entries.append(addressBox.itemText(i));
    files::writeAll(filePath(), serialize(entries));
}

}  // namespace browsing::history
