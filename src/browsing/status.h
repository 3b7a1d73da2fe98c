#pragma once
// Page status feedback: what web view events 0 to 7 show in the status bar, the page
// progress bar, the window caption and the address box.

#include <QString>

#include <functional>

class QComboBox;
class QProgressBar;

namespace browsing {

class WebView;

namespace status {

QString navigating(const QString& address);  // "正在行动中“" + address + "”"
QString progress(int percent);               // "还有" + percent + "%"
QString finished(const QString& title);      // "完毕!(" + title + ")"
inline constexpr char16_t kNavigationDone[] = u"行动完毕！";
inline constexpr char16_t kBuffering[] = u"正在缓冲中";
inline constexpr char16_t kDownloadDone[] = u"完毕！";
inline constexpr char16_t kDocumentDone[] = u"就这样吧！";

// Where the feedback goes.
struct Targets {
    std::function<void(const QString&)> setStatusText;
    std::function<void(const QString&)> setCaption;
    QProgressBar* progressBar;
    QComboBox* addressBox;
};

// Event n (0..7) of the view, shown on the targets.
void show(int event, const WebView& view, const Targets& targets, int percent = 0);

}  // namespace status
}  // namespace browsing
