#include "common/files.h"

#include <QFile>
#include <QFileInfo>
#include <QSaveFile>

#include <sys/stat.h>

namespace files {

QByteArray readAll(const QString& path, qint64 maxBytes)
{
    QFile file(path);
    const QFileInfo info(path);
    if (!info.isFile() || info.size() > maxBytes || !file.open(QIODevice::ReadOnly))
        return {};
    return file.read(maxBytes);
}

bool writeAll(const QString& path, const QByteArray& bytes)
{
    if (QFileInfo(path).isSymLink())
        return false;
    QSaveFile file(path);
    if (!file.open(QIODevice::WriteOnly))
        return false;
    if (file.write(bytes) != bytes.size()) {
        file.cancelWriting();
        return false;
    }
    return file.commit();
}

bool exists(const QString& path)
{
    struct stat st {};
    return lstat(QFile::encodeName(path).constData(), &st) == 0;
}

}  // namespace files
