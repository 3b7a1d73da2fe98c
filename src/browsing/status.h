#pragma once
// Page status feedback: what web view events 0 to 7 show in the status bar, the page
// progress bar, the window caption and the address box.

#include "browsing/webview.h"

#include <QString>

#include <functional>

class QComboBox;
class QProgressBar;

namespace browsing {

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

// Routes events 0..7 of a view to the targets; events 8 and 9 are left to a subclass.
class Feedback : public WebViewEvents {
public:
    Feedback(const WebView& view, Targets targets) : m_view(view), m_targets(std::move(targets)) {}

    bool navigationStarting() override { return show(0), true; }
    void navigationCompleted() override { show(1); }
    void downloadBegins() override { show(2); }
    void downloadProgress(int percent) override { show(3, percent); }
    void downloadComplete() override { show(4); }
    void documentComplete() override { show(5); }
    void statusTextChanged() override { show(6); }
    void titleChanged() override { show(7); }

protected:
    // Whether events reach the targets now.
    virtual bool active() const { return true; }

private:
    void show(int event, int percent = 0)
    {
        if (active())
            status::show(event, m_view, m_targets, percent);
    }

    const WebView& m_view;
    Targets m_targets;
};

}  // namespace status
}  // namespace browsing
