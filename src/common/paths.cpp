#include "common/paths.h"

#include "platform/platform.h"
#include "platform/virtualstore.h"

#include <QFile>

namespace paths {
namespace {
QString g_programDirectory;
QString g_executableName;

QString withSlash(const char* buffer, uint32_t length)
{
    if (length == 0)
        return {};
    QString dir = QString::fromUtf8(buffer, length);
    if (!dir.endsWith(u'/'))
        dir += u'/';
    return dir;
}
}  // namespace

void fix(const QString& executablePath)
{
    const qsizetype slash = executablePath.lastIndexOf(u'/');
    g_programDirectory = slash < 0 ? QString() : executablePath.left(slash);
    g_executableName = slash < 0 ? executablePath : executablePath.mid(slash + 1);
    // Writes the program folder refuses go to the user's store.
    platform::virtualstore::setProgramFolder(QFile::encodeName(g_programDirectory).toStdString());
}

QString programDirectory() { return g_programDirectory; }
QString executableName() { return g_executableName; }
QString programFile(const QString& name) { return g_programDirectory + u'/' + name; }

QString systemDirectory()
{
    char buffer[4096];
    const uint32_t n = platform::GetSystemDirectoryA(buffer, sizeof buffer);
    return withSlash(buffer, n < sizeof buffer ? n : 0);
}

QString temporaryDirectory()
{
    char buffer[4096];
    const uint32_t n = platform::GetTempPathA(sizeof buffer, buffer);
    return withSlash(buffer, n < sizeof buffer ? n : 0);
}

}  // namespace paths
