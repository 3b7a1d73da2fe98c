#include "common/files.h"

#include "platform/atomicfile.h"
#include "platform/virtualstore.h"

#include <QFile>
#include <QFileInfo>

#include <optional>
#include <string>
#include <string_view>

#include <sys/stat.h>

namespace files {
namespace {

std::string encoded(const QString& path) { return QFile::encodeName(path).toStdString(); }

}  // namespace

QByteArray readAll(const QString& path, qint64 maxBytes)
{
    const std::optional<std::string> from = platform::virtualstore::forReading(encoded(path));
    if (!from)
        return {};
    const QString name = QFile::decodeName(QByteArray::fromStdString(*from));
    QFile file(name);
    const QFileInfo info(name);
    if (!info.isFile() || info.size() > maxBytes || !file.open(QIODevice::ReadOnly))
        return {};
    return file.read(maxBytes);
}

bool writeAll(const QString& path, const QByteArray& bytes)
{
    const std::string_view content(bytes.constData(), static_cast<std::size_t>(bytes.size()));
    return platform::virtualstore::write(encoded(path), [&](const std::string& target) {
        return platform::replaceFile(target, content);
    }) == 0;
}

bool exists(const QString& path)
{
    const std::optional<std::string> from = platform::virtualstore::forReading(encoded(path));
    struct stat st {};
    return from && lstat(from->c_str(), &st) == 0;
}

bool makeFolder(const QString& path) { return platform::virtualstore::makeFolder(encoded(path)) == 0; }

}  // namespace files
