#include "common/shell.h"

#include "platform/platform.h"

namespace shell {
bool open(const QString& path)
{
    const QByteArray file = path.toUtf8();
    return platform::ShellExecuteA(nullptr, "open", file.constData(), nullptr, nullptr,
                                   platform::SW_SHOWNORMAL) > 32;
}
}  // namespace shell
