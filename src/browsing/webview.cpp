#include "browsing/webview.h"

#include "browsing/site.h"

#include <algorithm>
#include <cmath>
#include <utility>

namespace browsing {

void WebView::setTextSize(int level)
{
    m_textSize = std::clamp(level, 0, 4);
    applyTextSize(m_textSize);
}

void WebView::setOffline(bool offline)
{
    m_offline = offline;
    applyOffline(offline);
}

QString WebView::address() const
{
    return m_eventAddress ? *m_eventAddress : currentAddress();
}

QString WebView::title() const
{
    return m_eventTitle ? *m_eventTitle : currentTitle();
}

// Runs an event with the address it concerns visible through address().
template <class Event>
auto WebView::withEventAddress(const QString& address, Event event)
{
    const QString* saved = std::exchange(m_eventAddress, &address);
    struct Restore {
        const QString*& slot;
        const QString* saved;
        ~Restore() { slot = saved; }
    } restore{m_eventAddress, saved};
    return event();
}

bool WebView::raiseNavigationStarting(const QString& address)
{
    return !m_events || withEventAddress(address, [this] { return m_events->navigationStarting(); });
}

void WebView::raiseNavigationCompleted(const QString& address)
{
    if (m_events)
        withEventAddress(address, [this] { m_events->navigationCompleted(); });
}

void WebView::raiseDownloadBegins()
{
    if (m_events)
        m_events->downloadBegins();
}

void WebView::raiseDownloadProgress(qint64 progress, qint64 maximum)
{
    if (m_events)
        m_events->downloadProgress(progressPercent(progress, maximum));
}

void WebView::raiseDownloadComplete()
{
    if (m_events)
        m_events->downloadComplete();
}

void WebView::raiseDocumentComplete(const QString& address)
{
    if (m_events)
        withEventAddress(address, [this] { m_events->documentComplete(); });
}

void WebView::raiseStatusTextChanged(const QString& text)
{
    m_statusText = text;
    if (m_events)
        m_events->statusTextChanged();
}

void WebView::raiseTitleChanged(const QString& title)
{
    if (!m_events)
        return;
    const QString* saved = std::exchange(m_eventTitle, &title);
    m_events->titleChanged();
    m_eventTitle = saved;
}

void WebView::raiseCommandStateChanged(int command, bool enabled)
{
    if (m_events && (command == Forward || command == Back))
        m_events->commandStateChanged(command, enabled);
}

bool WebView::raiseNewWindowRequested()
{
    return m_events ? m_events->newWindowRequested() : true;
}

int progressPercent(qint64 progress, qint64 maximum)
{
    if (maximum == 0)
        return 100;
    return static_cast<int>(std::llround(static_cast<double>(progress) * 100.0 / static_cast<double>(maximum)));
}

std::unique_ptr<WebView> createWebView(const WebViewFactory& factory, QWidget* parent)
{
    std::unique_ptr<WebView> view = factory(parent);
    view->setTextSize(WebView::kInitialTextSize);
    view->setOffline(true);
    view->navigate(initialAddress());
    return view;
}

}  // namespace browsing
