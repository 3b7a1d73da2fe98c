#include "browsing/webengine/downloads.h"

#include "browsing/webengine/dialogs.h"
#include "common/files.h"

#include <QCloseEvent>
#include <QDir>
#include <QFile>
#include <QFileInfo>
#include <QHash>
#include <QHBoxLayout>
#include <QLabel>
#include <QPointer>
#include <QProgressBar>
#include <QPushButton>
#include <QVBoxLayout>

#include <algorithm>
#include <array>
#include <cstdio>
#include <utility>

namespace browsing::webengine::downloads {
namespace {

using Request = QWebEngineDownloadRequest;

struct PageFormat {
    const char* filter;
    Request::SavePageFormat format;
};

// "另存为" offers the page in the engine's three forms; the first is the usual choice.
constexpr std::array<PageFormat, 3> kPageFormats = {{
    {"网页，全部 (*.html *.htm)", Request::CompleteHtmlSaveFormat},
    {"网页，仅 HTML (*.html *.htm)", Request::SingleHtmlSaveFormat},
    {"单个文件网页 (*.mhtml *.mht)", Request::MimeHtmlSaveFormat},
}};

bool renameOver(const QString& from, const QString& to)
{
    return std::rename(QFile::encodeName(from).constData(), QFile::encodeName(to).constData()) == 0;
}

void removeIfThere(const QString& path)
{
    if (!path.isEmpty() && files::exists(path))
        QFile::remove(path);
}

// The engine keeps the data of a failed download under a name of its own beside the
// target, to resume it later; we do not resume, so that goes too.
QString engineLeftover(const QString& written) { return written + QStringLiteral(".download"); }

// One download: its progress while it runs, then its result.
class DownloadWindow : public QWidget {
public:
    // `written` is where the engine writes: `partial`, or the final path itself when
    // `partial` is empty.
    DownloadWindow(QString finalPath, QString partial, QWidget* owner)
        : QWidget(owner, Qt::Dialog), m_finalPath(std::move(finalPath)), m_partial(std::move(partial))
    {
        setAttribute(Qt::WA_DeleteOnClose);
        setAttribute(Qt::WA_QuitOnClose, false);
        setWindowTitle(QStringLiteral("下载"));
        const QFileInfo target(m_finalPath);
        auto* layout = new QVBoxLayout(this);
        layout->addWidget(plain(QStringLiteral("文件：%1").arg(target.fileName())));
        layout->addWidget(plain(QStringLiteral("保存到：%1").arg(QDir::toNativeSeparators(target.absolutePath()))));
        m_bar = new QProgressBar(this);
        m_bar->setRange(0, 0);
        layout->addWidget(m_bar);
        m_status = plain(QStringLiteral("正在下载…"));
        layout->addWidget(m_status);
        auto* row = new QHBoxLayout;
        row->addStretch();
        m_button = new QPushButton(QStringLiteral("取消"), this);
        m_button->setDefault(true);
        row->addWidget(m_button);
        layout->addLayout(row);
        setMinimumWidth(420);
        QObject::connect(m_button, &QPushButton::clicked, this, [this] { cancelOrClose(); });
    }

    ~DownloadWindow() override
    {
        windows().remove(m_id);
        // Leaving with the download still running (the program ends): stop it, keep nothing.
        if (m_settled)
            return;
        m_settled = true;
        if (m_download)
            m_download->cancel();
        discardPartial();
    }

    QString written() const { return m_partial.isEmpty() ? m_finalPath : m_partial; }

    // Takes the engine's request, also when the engine starts a running download over
    // (it asks again for the same download then): it goes on under the same names.
    void follow(Request* download)
    {
        if (m_download)
            QObject::disconnect(m_download, nullptr, this, nullptr);
        m_download = download;
        m_id = download->id();
        windows().insert(m_id, this);
        const QFileInfo target(written());
        download->setDownloadDirectory(target.absolutePath());
        download->setDownloadFileName(target.fileName());
        QObject::connect(download, &Request::receivedBytesChanged, this, [this] { showProgress(); });
        QObject::connect(download, &Request::totalBytesChanged, this, [this] { showProgress(); });
        QObject::connect(download, &Request::stateChanged, this, [this](Request::DownloadState state) { settle(state); });
        QObject::connect(download, &QObject::destroyed, this, [this] {
            if (!m_settled)
                end(QStringLiteral("下载已中断。"));
        });
        download->accept();
    }

    // The window of a download that is still running, if any.
    static DownloadWindow* running(quint32 id)
    {
        DownloadWindow* window = windows().value(id);
        return window && !window->m_settled ? window : nullptr;
    }

protected:
    void closeEvent(QCloseEvent* event) override
    {
        if (!m_settled && m_download)
            m_download->cancel();
        event->accept();
    }

private:
    static QHash<quint32, DownloadWindow*>& windows()
    {
        static QHash<quint32, DownloadWindow*> open;
        return open;
    }

    QLabel* plain(const QString& text)
    {
        auto* label = new QLabel(text, this);
        label->setTextFormat(Qt::PlainText);
        label->setWordWrap(true);
        return label;
    }

    void showProgress()
    {
        if (m_settled || !m_download)
            return;
        const qint64 received = m_download->receivedBytes();
        const qint64 total = m_download->totalBytes();
        if (total > 0) {
            m_bar->setRange(0, 1000);
            m_bar->setValue(static_cast<int>(std::clamp<qint64>(received * 1000 / total, 0, 1000)));
        }
        m_status->setText(progressText(received, total));
    }

    void settle(Request::DownloadState state)
    {
        if (m_settled)
            return;
        switch (state) {
        case Request::DownloadCompleted: complete(); break;
        case Request::DownloadCancelled: end(QStringLiteral("已取消下载。")); break;
        case Request::DownloadInterrupted:
            end(QStringLiteral("下载失败：%1").arg(failureText(m_download->interruptReason())));
            break;
        default: showProgress(); break;
        }
    }

    void complete()
    {
        if (!m_partial.isEmpty() && !renameOver(m_partial, m_finalPath)) {
            end(QStringLiteral("下载失败：无法保存为“%1”。").arg(QFileInfo(m_finalPath).fileName()));
            return;
        }
        m_completed = true;
        m_bar->setRange(0, 1000);
        m_bar->setValue(1000);
        end(QStringLiteral("下载完成，共 %1。").arg(sizeText(QFileInfo(m_finalPath).size())));
    }

    void end(const QString& text)
    {
        m_settled = true;
        if (!m_completed)
            discardPartial();
        m_status->setText(text);
        m_button->setText(QStringLiteral("关闭"));
        if (m_bar->maximum() == 0)
            m_bar->setRange(0, 1000);
    }

    // Whatever a download that did not complete left behind; never the chosen file itself
    // unless the engine was writing it directly.
    void discardPartial()
    {
        removeIfThere(m_partial);
        removeIfThere(engineLeftover(written()));
    }

    void cancelOrClose()
    {
        if (!m_settled && m_download)
            m_download->cancel();
        else
            close();
    }

    QPointer<Request> m_download;
    quint32 m_id = 0;
    QString m_finalPath;
    QString m_partial;
    QProgressBar* m_bar = nullptr;
    QLabel* m_status = nullptr;
    QPushButton* m_button = nullptr;
    bool m_settled = false;
    bool m_completed = false;
};

struct Choice {
    QString path;
    Request::SavePageFormat format = Request::UnknownSaveFormat;
};

Choice choose(Request* download, QWidget* owner)
{
    const QString folder = download->downloadDirectory();
    QDir().mkpath(folder);
    const QString name = safeFileName(download->suggestedFileName().isEmpty() ? download->downloadFileName()
                                                                              : download->suggestedFileName());
    if (!download->isSavePageDownload())
        return {dialogs::saveFileName(owner, QStringLiteral("保存下载的文件"), folder + u'/' + name)};

    QStringList filters;
    for (const PageFormat& f : kPageFormats)
        filters.append(QString::fromUtf8(f.filter));
    QString chosenFilter;
    const QString suggested = folder + u'/' + QFileInfo(name).completeBaseName() + QStringLiteral(".html");
    Choice choice{dialogs::saveFileName(owner, QStringLiteral("另存为"), suggested, filters, &chosenFilter)};
    choice.format = kPageFormats.front().format;
    for (const PageFormat& f : kPageFormats)
        if (chosenFilter == QString::fromUtf8(f.filter))
            choice.format = f.format;
    // A name typed as a single-file page is one, whatever the list shows.
    const QString suffix = QFileInfo(choice.path).suffix().toLower();
    if (suffix == u"mhtml" || suffix == u"mht")
        choice.format = Request::MimeHtmlSaveFormat;
    return choice;
}

}  // namespace

void start(Request* download, QWidget* owner)
{
    if (DownloadWindow* window = DownloadWindow::running(download->id())) {
        window->follow(download);
        return;
    }
    const Choice choice = choose(download, owner);
    if (choice.path.isEmpty()) {
        download->cancel();
        return;
    }
    if (download->isSavePageDownload())
        download->setSavePageFormat(choice.format);

    // A complete page is written as the page and a folder named after it; the engine builds
    // both under temporary names itself, so it gets the chosen name directly.
    const bool direct = download->isSavePageDownload() && choice.format == Request::CompleteHtmlSaveFormat;
    const QString partial = direct ? QString() : partialPath(choice.path, files::exists);
    if (!direct && partial.isEmpty()) {
        download->cancel();
        dialogs::tell(owner, QStringLiteral("下载"), QStringLiteral("无法在所选的文件夹中保存文件。"), QMessageBox::Warning);
        return;
    }
    auto* window = new DownloadWindow(choice.path, partial, owner);
    window->follow(download);
    window->show();
}

QString partialPath(const QString& finalPath, const std::function<bool(const QString&)>& taken)
{
    constexpr int kTries = 100;
    QString candidate = finalPath + QStringLiteral(".part");
    for (int n = 1; n <= kTries; ++n) {
        if (!taken(candidate))
            return candidate;
        candidate = finalPath + u'.' + QString::number(n) + QStringLiteral(".part");
    }
    return {};
}

QString safeFileName(const QString& suggested)
{
    QString name = suggested.section(u'/', -1).section(u'\\', -1).trimmed();
    name.remove(QChar(0));
    while (name.startsWith(u'.'))
        name.remove(0, 1);
    return name.isEmpty() ? QStringLiteral("下载") : name;
}

QString sizeText(qint64 bytes)
{
    constexpr double kUnit = 1024.0;
    if (bytes < 1024)
        return QStringLiteral("%1 字节").arg(bytes);
    double value = static_cast<double>(bytes) / kUnit;
    for (const char* unit : {"KB", "MB", "GB"}) {
        if (value < kUnit || unit[0] == 'G')
            return QStringLiteral("%1 %2").arg(value, 0, 'f', 1).arg(QLatin1String(unit));
        value /= kUnit;
    }
    return {};
}

QString progressText(qint64 received, qint64 total)
{
    if (total <= 0)
        return QStringLiteral("已下载 %1").arg(sizeText(received));
    const qint64 percent = std::clamp<qint64>(received * 100 / total, 0, 100);
    return QStringLiteral("已下载 %1，共 %2（%3%）").arg(sizeText(received), sizeText(total), QString::number(percent));
}

QString failureText(QWebEngineDownloadRequest::DownloadInterruptReason reason)
{
    switch (reason) {
    case Request::FileAccessDenied: return QStringLiteral("没有权限写入所选的文件夹。");
    case Request::FileNoSpace: return QStringLiteral("磁盘空间不足。");
    case Request::FileNameTooLong: return QStringLiteral("文件名太长。");
    case Request::FileTooLarge: return QStringLiteral("文件太大。");
    case Request::FileFailed:
    case Request::FileTransientError: return QStringLiteral("无法写入文件。");
    case Request::FileBlocked:
    case Request::FileSecurityCheckFailed:
    case Request::FileVirusInfected: return QStringLiteral("文件被拦截。");
    case Request::FileTooShort:
    case Request::FileHashMismatch: return QStringLiteral("收到的文件不完整。");
    case Request::NetworkFailed:
    case Request::NetworkDisconnected: return QStringLiteral("网络连接中断。");
    case Request::NetworkTimeout: return QStringLiteral("网络连接超时。");
    case Request::NetworkServerDown:
    case Request::ServerUnreachable: return QStringLiteral("无法连接服务器。");
    case Request::NetworkInvalidRequest:
    case Request::ServerBadContent: return QStringLiteral("服务器不提供这个文件。");
    case Request::ServerUnauthorized:
    case Request::ServerForbidden: return QStringLiteral("服务器拒绝了请求。");
    case Request::ServerCertProblem: return QStringLiteral("服务器的证书有问题。");
    case Request::ServerFailed: return QStringLiteral("服务器出错。");
    case Request::UserCanceled: return QStringLiteral("已取消。");
    case Request::NoReason: break;
    }
    return QStringLiteral("未知错误。");
}

}  // namespace browsing::webengine::downloads
