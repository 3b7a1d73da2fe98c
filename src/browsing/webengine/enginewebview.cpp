#include "browsing/webengine/enginewebview.h"

#include "browsing/site.h"

#include <QAction>
#include <QCoreApplication>
#include <QDesktopServices>
#include <QEventLoop>
#include <QFileDialog>
#include <QPageSetupDialog>
#include <QPointer>
#include <QPrintDialog>
#include <QPrintPreviewDialog>
#include <QPrinter>
#include <QWebEngineDownloadRequest>
#include <QWebEnginePage>
#include <QWebEngineProfile>
#include <QWebEngineUrlRequestInterceptor>
#include <QWebEngineView>

#include <array>
#include <atomic>

namespace browsing::webengine {
namespace {

// Text-size levels 0..4 as zoom factors of the whole page.
constexpr std::array<double, 5> kZoom = {0.75, 0.875, 1.0, 1.25, 1.5};

// While offline is on, no request leaves for the network.
class OfflineGate : public QWebEngineUrlRequestInterceptor {
public:
    using QWebEngineUrlRequestInterceptor::QWebEngineUrlRequestInterceptor;
    void setOffline(bool offline) { m_offline = offline; }
    void interceptRequest(QWebEngineUrlRequestInfo& info) override
    {
        if (!m_offline)
            return;
        const QString scheme = info.requestUrl().scheme();
        if (scheme != u"file" && scheme != u"data" && scheme != u"qrc" && scheme != u"about")
            info.block(true);
    }

private:
    std::atomic<bool> m_offline {true};
};

QWebEngineProfile* sharedProfile()
{
    static QWebEngineProfile* profile = [] {
        auto* p = new QWebEngineProfile(QStringLiteral("default"), qApp);
        p->setPersistentCookiesPolicy(QWebEngineProfile::AllowPersistentCookies);
        return p;
    }();
    return profile;
}

class EngineWebView;

// A page for a window the engine asked to open on its own: the first address it is sent
// to goes to the desktop's default browser, then the page goes away.
class ExternalWindowPage : public QWebEnginePage {
public:
    using QWebEnginePage::QWebEnginePage;

protected:
    bool acceptNavigationRequest(const QUrl& url, NavigationType, bool) override
    {
        if (!m_opened && url.isValid() && !url.isEmpty()) {
            m_opened = true;
            QDesktopServices::openUrl(url);
        }
        deleteLater();
        return false;
    }

private:
    bool m_opened = false;
};

class Page : public QWebEnginePage {
public:
    Page(QWebEngineProfile* profile, EngineWebView& view, QObject* parent)
        : QWebEnginePage(profile, parent), m_view(view) {}

protected:
    bool acceptNavigationRequest(const QUrl& url, NavigationType type, bool isMainFrame) override;
    QWebEnginePage* createWindow(WebWindowType type) override;

private:
    EngineWebView& m_view;
};

class EngineWebView final : public WebView {
public:
    explicit EngineWebView(QWidget* parent)
        : m_widget(new QWebEngineView(parent)),
          m_gate(new OfflineGate(m_widget)),
          m_page(new Page(sharedProfile(), *this, m_widget))
    {
        m_page->setUrlRequestInterceptor(m_gate);
        m_widget->setPage(m_page);
        wire();
    }

    ~EngineWebView() override
    {
        // The page goes before the view and the profile it belongs to.
        m_widget->setPage(nullptr);
        delete m_page;
    }

    QWidget* widget() override { return m_widget; }

    void navigate(const QString& address) override
    {
        if (address.trimmed().isEmpty())
            return;
        m_widget->load(QUrl::fromUserInput(address));
    }

    void command(int number) override
    {
        switch (number) {
        case Forward: m_page->triggerAction(QWebEnginePage::Forward); break;
        case Back: m_page->triggerAction(QWebEnginePage::Back); break;
        case EngineHome: navigate(initialAddress()); break;
        case Refresh: m_page->triggerAction(QWebEnginePage::Reload); break;
        case Stop: m_page->triggerAction(QWebEnginePage::Stop); break;
        case SaveAs: if (hasDocument()) m_page->triggerAction(QWebEnginePage::SavePage); break;
        case Print: if (hasDocument()) print(); break;
        case PrintPreview: if (hasDocument()) printPreview(); break;
        case PageSetup: if (hasDocument()) pageSetup(); break;
        default: break;
        }
    }

    bool startNavigation(const QUrl& url) { return raiseNavigationStarting(url.toString()); }
    bool newWindow() { return raiseNewWindowRequested(); }

protected:
    void applyTextSize(int level) override { m_widget->setZoomFactor(kZoom.at(static_cast<size_t>(level))); }
    void applyOffline(bool offline) override { m_gate->setOffline(offline); }
    QString currentAddress() const override { return m_widget->url().toString(); }
    QString currentTitle() const override { return m_widget->title(); }

private:
    void wire();
    bool hasDocument() const { return !m_widget->url().isEmpty(); }
    void print();
    void printPreview();
    void pageSetup();
    void saveDownload(QWebEngineDownloadRequest* download);

    QWebEngineView* m_widget;
    OfflineGate* m_gate;
    Page* m_page;
    QPrinter m_printer {QPrinter::HighResolution};
    bool m_backEnabled = false;
    bool m_forwardEnabled = false;
};

bool Page::acceptNavigationRequest(const QUrl& url, NavigationType, bool)
{
    return m_view.startNavigation(url);
}

QWebEnginePage* Page::createWindow(WebWindowType)
{
    if (!m_view.newWindow())
        return nullptr;
    return new ExternalWindowPage(profile(), this);
}

void EngineWebView::wire()
{
    QWebEngineView* view = m_widget;
    QObject::connect(view, &QWebEngineView::urlChanged, view, [this, view](const QUrl& url) {
        // The engine forgets a zoom set before the first document; apply the text size again.
        if (!qFuzzyCompare(view->zoomFactor(), kZoom.at(static_cast<size_t>(textSize()))))
            applyTextSize(textSize());
        raiseNavigationCompleted(url.toString());
    });
    QObject::connect(view, &QWebEngineView::loadStarted, view, [this] { raiseDownloadBegins(); });
    QObject::connect(view, &QWebEngineView::loadProgress, view, [this](int percent) { raiseDownloadProgress(percent, 100); });
    QObject::connect(view, &QWebEngineView::loadFinished, view, [this, view](bool) {
        raiseDownloadComplete();
        raiseDocumentComplete(view->url().toString());
    });
    QObject::connect(m_page, &QWebEnginePage::linkHovered, view, [this](const QString& url) { raiseStatusTextChanged(url); });
    QObject::connect(view, &QWebEngineView::titleChanged, view, [this](const QString& title) { raiseTitleChanged(title); });

    auto follow = [this](QWebEnginePage::WebAction action, int number, bool& last) {
        QAction* a = m_page->action(action);
        QObject::connect(a, &QAction::enabledChanged, m_widget, [this, number, &last](bool enabled) {
            if (enabled != last) {
                last = enabled;
                raiseCommandStateChanged(number, enabled);
            }
        });
    };
    follow(QWebEnginePage::Back, Back, m_backEnabled);
    follow(QWebEnginePage::Forward, Forward, m_forwardEnabled);

    QObject::connect(m_page->profile(), &QWebEngineProfile::downloadRequested, m_widget,
                     [this](QWebEngineDownloadRequest* download) {
                         if (download->page() == m_page)
                             saveDownload(download);
                     });
}

void EngineWebView::saveDownload(QWebEngineDownloadRequest* download)
{
    const QString suggested = download->downloadDirectory() + u'/' + download->downloadFileName();
    const QString path = QFileDialog::getSaveFileName(m_widget->window(), QString(), suggested);
    if (path.isEmpty()) {
        download->cancel();
        return;
    }
    const qsizetype slash = path.lastIndexOf(u'/');
    download->setDownloadDirectory(path.left(slash));
    download->setDownloadFileName(path.mid(slash + 1));
    download->accept();
}

void EngineWebView::print()
{
    QPrintDialog dialog(&m_printer, m_widget->window());
    if (dialog.exec() != QDialog::Accepted)
        return;
    QEventLoop wait;
    QObject::connect(m_widget, &QWebEngineView::printFinished, &wait, &QEventLoop::quit);
    m_widget->print(&m_printer);
    wait.exec();
}

void EngineWebView::printPreview()
{
    QPrintPreviewDialog dialog(&m_printer, m_widget->window());
    QObject::connect(&dialog, &QPrintPreviewDialog::paintRequested, &dialog, [this](QPrinter* printer) {
        QEventLoop wait;
        QObject::connect(m_widget, &QWebEngineView::printFinished, &wait, &QEventLoop::quit);
        m_widget->print(printer);
        wait.exec();
    });
    dialog.exec();
}

void EngineWebView::pageSetup()
{
    QPageSetupDialog dialog(&m_printer, m_widget->window());
    dialog.exec();
}

}  // namespace

WebViewFactory factory()
{
    return [](QWidget* parent) -> std::unique_ptr<WebView> { return std::make_unique<EngineWebView>(parent); };
}

}  // namespace browsing::webengine
