#include "tools/pagesource.h"

#include "common/paths.h"

#include <QCoreApplication>
#include <QEventLoop>
#include <QFile>
#include <QFileInfo>
#include <QTemporaryFile>

#include <cstdio>
#include <thread>

namespace tools {
namespace {

// Runs the work on a thread of its own while this thread goes on painting and handling
// timers, but no user input, until the work ends.
void runResponsively(const std::function<void(const std::atomic<bool>& cancel)>& work)
{
    std::atomic<bool> cancel{false};
    if (!QCoreApplication::instance()) {
        work(cancel);
        return;
    }
    QEventLoop loop;
    std::atomic<bool> finished{false};
    std::thread worker([&] {
        work(cancel);
        finished = true;
        QMetaObject::invokeMethod(&loop, [&loop] { loop.quit(); }, Qt::QueuedConnection);
    });
    loop.exec(QEventLoop::ExcludeUserInputEvents);
    // The loop also ends when the program quits: the transfer is then cut short.
    if (!finished)
        cancel = true;
    worker.join();
}

bool isHttp(const UrlParts& parts) { return parts.scheme == u"http" || parts.scheme == u"https"; }

}  // namespace

QString pageSourcePath()
{
    const QString folder = paths::temporaryDirectory();
    return folder.isEmpty() ? QString() : folder + u"网页源码.txt";
}

bool fetchToFile(const QString& address, const QString& path, const FetchLimits& limits)
{
    static bool running = false;  // the one client serves one request at a time
    if (running || path.isEmpty() || QFileInfo(path).isSymLink())
        return false;
    running = true;
    struct Done {
        ~Done() { running = false; }
    } done;

    QTemporaryFile file(path + u".XXXXXX");
    if (!file.open())
        return false;

    UrlParts parts;
    bool diskRefused = false;
    if (!address.isEmpty() && splitAddress(address, parts) && isHttp(parts)) {
        HttpClient& client = httpClient();  // made here, on the caller's thread
        qint64 written = 0;
        const HttpClient::Sink sink = [&](const char* data, qsizetype size) {
            const qint64 room = limits.maxBytes - written;
            const qint64 take = qMin<qint64>(size, room);
            if (take > 0 && file.write(data, take) != take) {
                diskRefused = true;
                return false;
            }
            written += take;
            return take == size;
        };
        runResponsively([&](const std::atomic<bool>& cancel) { client.get(parts, sink, limits, &cancel); });
    }

    if (diskRefused || !file.flush())
        return false;
    file.close();
    // rename replaces the name itself, so a link planted since the check is replaced, not followed.
    if (std::rename(QFile::encodeName(file.fileName()).constData(), QFile::encodeName(path).constData()) != 0)
        return false;
    file.setAutoRemove(false);
    return true;
}

}  // namespace tools
