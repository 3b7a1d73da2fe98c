#pragma once
// Downloads, "另存为" included: ask where to save, then a small window of the download's
// own with its progress, its result and a cancel button. The engine writes under a
// temporary name beside the chosen one, renamed when the download completes, so a
// cancelled or failed download never leaves a partial file under the chosen name.

#include <QString>
#include <QWebEngineDownloadRequest>

#include <functional>

class QWidget;

namespace browsing::webengine::downloads {

// Handles a download the engine asks for; `owner` is the window the dialogs belong to.
void start(QWebEngineDownloadRequest* download, QWidget* owner);

// The temporary name for `finalPath`: "<finalPath>.part", or "<finalPath>.<n>.part" with
// the first n that is not `taken`; empty when none is free.
QString partialPath(const QString& finalPath, const std::function<bool(const QString&)>& taken);

// A file name the server suggests, reduced to a plain name in one folder.
QString safeFileName(const QString& suggested);

// "512 字节", "1.5 KB", "12.0 MB", "2.3 GB".
QString sizeText(qint64 bytes);
// What has arrived so far, with the percentage when the size is known.
QString progressText(qint64 received, qint64 total);
// Why a download failed.
QString failureText(QWebEngineDownloadRequest::DownloadInterruptReason reason);

}  // namespace browsing::webengine::downloads
