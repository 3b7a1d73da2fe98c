#pragma once
// The page area as the program sees it: a web engine driven by numbered commands and a few
// properties, reporting through ten numbered events. No engine type appears here; one
// implementation wraps Qt WebEngine, a test double records calls and raises events.

#include <QString>

#include <functional>
#include <memory>

class QWidget;

namespace browsing {

// Browser commands by number (3 is not used).
enum Command : int {
    Forward = 0,
    Back = 1,
    EngineHome = 2,
    Refresh = 4,
    Stop = 5,
    SaveAs = 6,
    Print = 7,
    PrintPreview = 8,
    PageSetup = 9,
};

// The ten events, handed synchronously to the window's handlers.
class WebViewEvents {
public:
    virtual ~WebViewEvents() = default;
    virtual bool navigationStarting() { return true; }              // 0: false cancels
    virtual void navigationCompleted() {}                           // 1
    virtual void downloadBegins() {}                                // 2
    virtual void downloadProgress(int /*percent*/) {}               // 3
    virtual void downloadComplete() {}                              // 4
    virtual void documentComplete() {}                              // 5
    virtual void statusTextChanged() {}                             // 6
    virtual void titleChanged() {}                                  // 7
    virtual void commandStateChanged(int /*command*/, bool /*enabled*/) {}  // 8: 0 forward, 1 back
    virtual bool newWindowRequested() { return true; }              // 9: false cancels
};

class WebView {
public:
    static constexpr int kInitialTextSize = 2;

    virtual ~WebView() = default;

    virtual QWidget* widget() = 0;

    // The text goes to the engine unchanged.
    virtual void navigate(const QString& address) = 0;
    // Commands 0..9 above; any other number does nothing.
    virtual void command(int number) = 0;

    // Levels 0 (smallest) to 4 (largest); outside values are clamped. Reading gives the last level set.
    void setTextSize(int level);
    int textSize() const { return m_textSize; }

    // While on, no request leaves for the network.
    void setOffline(bool offline);
    bool offline() const { return m_offline; }

    // During events 0, 1 and 5 the address the event concerns; otherwise the current location.
    QString address() const;
    void setAddress(const QString& address) { navigate(address); }
    // The last status text the engine reported; empty before the first.
    QString statusText() const { return m_statusText; }
    // During event 7 the new title; otherwise the current location's name.
    QString title() const;

    void setEvents(WebViewEvents* events) { m_events = events; }

protected:
    virtual void applyTextSize(int level) = 0;
    virtual void applyOffline(bool offline) = 0;
    virtual QString currentAddress() const = 0;
    virtual QString currentTitle() const = 0;

    // Implementations raise the events through these.
    bool raiseNavigationStarting(const QString& address);
    void raiseNavigationCompleted(const QString& address);
    void raiseDownloadBegins();
    void raiseDownloadProgress(qint64 progress, qint64 maximum);
    void raiseDownloadComplete();
    void raiseDocumentComplete(const QString& address);
    void raiseStatusTextChanged(const QString& text);
    void raiseTitleChanged(const QString& title);
    void raiseCommandStateChanged(int command, bool enabled);
    bool raiseNewWindowRequested();

private:
    template <class Event>
    auto withEventAddress(const QString& address, Event event);
    WebViewEvents* m_events = nullptr;
    int m_textSize = kInitialTextSize;
    bool m_offline = true;
    QString m_statusText;
    const QString* m_eventAddress = nullptr;
    const QString* m_eventTitle = nullptr;
};

// Percent of a progress report: progress x 100 / maximum to the nearest whole number,
// 100 when the maximum is 0.
int progressPercent(qint64 progress, qint64 maximum);

using WebViewFactory = std::function<std::unique_ptr<WebView>(QWidget* parent)>;

// Creates the view in its initial state (text size 2, offline on) and hands it its initial
// address.
std::unique_ptr<WebView> createWebView(const WebViewFactory& factory, QWidget* parent);

}  // namespace browsing
