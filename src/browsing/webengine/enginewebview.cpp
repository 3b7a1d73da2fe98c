#include "browsing/webengine/enginewebview.h"

#include "browsing/site.h"
#include "browsing/webengine/certificates.h"
#include "browsing/webengine/contextmenu.h"
#include "browsing/webengine/dialogs.h"
#include "browsing/webengine/downloads.h"
#include "browsing/webengine/findbar.h"
#include "browsing/webengine/fullscreen.h"
#include "browsing/webengine/page.h"
#include "browsing/webengine/permissions.h"
#include "browsing/webengine/profile.h"

#include <QAction>
#include <QAuthenticator>
#include <QEventLoop>
#include <QMenu>
#include <QPageSetupDialog>
#include <QPointer>
#include <QPrintDialog>
#include <QPrintPreviewDialog>
#include <QPrinter>
#include <QTimer>
#include <QVBoxLayout>

#include <memory>
#include <QWebEngineDownloadRequest>
#include <QWebEngineFileSystemAccessRequest>
#include <QWebEngineFindTextResult>
#include <QWebEngineFullScreenRequest>
#include <QWebEngineProfile>
#include <QWebEngineRegisterProtocolHandlerRequest>
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

// The view is a box holding the engine's view and, below it, the find bar; while the page
// is shown full screen the box stays in its place, empty.
class EngineWebView final : public WebView {
public:
    explicit EngineWebView(QWidget* parent)
        : m_profile(sharedProfile()),
          m_gate(std::make_unique<OfflineGate>()),
          m_box(new QWidget(parent)),
          m_view(new QWebEngineView(m_box)),
          m_page(new Page(m_profile.get(),
                          {[this](const QUrl& url) { return raiseNavigationStarting(url.toString()); },
                           [this] { return raiseNewWindowRequested(); }},
                          nullptr)),
          m_findBar(new FindBar(m_page, [this] { m_view->setFocus(); }, m_box))
    {
        auto* layout = new QVBoxLayout(m_box);
        layout->setContentsMargins(0, 0, 0, 0);
        layout->setSpacing(0);
        layout->addWidget(m_view, 1);
        layout->addWidget(m_findBar);
        m_box->setFocusProxy(m_view);
        m_page->setUrlRequestInterceptor(m_gate.get());
        m_view->setPage(m_page);
        wire();
    }

    ~EngineWebView() override
    {
        // Nothing the page says while it goes reaches the window any more. The page goes
        // after every view that shows it and before its profile.
        setEvents(nullptr);
        QObject::disconnect(m_page, nullptr, m_box, nullptr);
        delete m_fullScreen;
        delete m_findBar;
        delete m_view;
        delete m_page;
    }

    QWidget* widget() override { return m_box; }

    void navigate(const QString& address) override
    {
        if (address.trimmed().isEmpty())
            return;
        m_page->load(QUrl::fromUserInput(address));
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
        case Print: if (printable()) print(); break;
        case PrintPreview: if (printable()) printPreview(); break;
        case PageSetup: if (hasDocument()) pageSetup(); break;
        default: break;
        }
    }

protected:
    void applyTextSize(int level) override { m_page->setZoomFactor(kZoom.at(static_cast<size_t>(level))); }
    void applyOffline(bool offline) override { m_gate->setOffline(offline); }
    QString currentAddress() const override { return m_page->url().toString(); }
    QString currentTitle() const override { return m_page->title(); }

private:
    void wire();
    bool hasDocument() const { return !m_page->url().isEmpty(); }
    // The engine prints what its view shows; not while the page is away in full screen.
    bool printable() const { return hasDocument() && !m_fullScreen; }
    QWidget* dialogParent() const { return m_fullScreen ? static_cast<QWidget*>(m_fullScreen) : m_box->window(); }
    void logIn(const QUrl& url, QAuthenticator* authenticator, const QString& proxyHost);
    void fullScreen(QWebEngineFullScreenRequest request);
    void offerReload();
    void contextMenu(QWebEngineView* view, const QPoint& position);
    void print();
    void printPreview();
    void pageSetup();

    std::shared_ptr<QWebEngineProfile> m_profile;
    std::unique_ptr<OfflineGate> m_gate;
    QWidget* m_box;
    QWebEngineView* m_view;
    Page* m_page;
    FindBar* m_findBar;
    QAction* m_find = nullptr;
    QPointer<FullScreenWindow> m_fullScreen;
    // Made at the first print, preview or page setup: a printer asks the print system for its
    // printers and loads its plugin, which start-up has no use for.
    std::unique_ptr<QPrinter> m_printer;
    QPrinter& printer()
    {
        if (!m_printer)
            m_printer = std::make_unique<QPrinter>(QPrinter::HighResolution);
        return *m_printer;
    }
    bool m_backEnabled = false;
    bool m_forwardEnabled = false;
};

void EngineWebView::wire()
{
    QWebEnginePage* page = m_page;
    QWidget* box = m_box;

    // The ten events.
    QObject::connect(page, &QWebEnginePage::urlChanged, box, [this](const QUrl& url) {
        // The engine forgets a zoom set before the first document; apply the text size again.
        if (!qFuzzyCompare(m_page->zoomFactor(), kZoom.at(static_cast<size_t>(textSize()))))
            applyTextSize(textSize());
        raiseNavigationCompleted(url.toString());
    });
    QObject::connect(page, &QWebEnginePage::loadStarted, box, [this] { raiseDownloadBegins(); });
    QObject::connect(page, &QWebEnginePage::loadProgress, box, [this](int percent) { raiseDownloadProgress(percent, 100); });
    QObject::connect(page, &QWebEnginePage::loadFinished, box, [this](bool) {
        raiseDownloadComplete();
        raiseDocumentComplete(m_page->url().toString());
    });
    QObject::connect(page, &QWebEnginePage::linkHovered, box, [this](const QString& url) { raiseStatusTextChanged(url); });
    QObject::connect(page, &QWebEnginePage::titleChanged, box, [this](const QString& title) { raiseTitleChanged(title); });
    auto follow = [this, box](QWebEnginePage::WebAction action, int number, bool& last) {
        QObject::connect(m_page->action(action), &QAction::enabledChanged, box, [this, number, &last](bool enabled) {
            if (enabled != last) {
                last = enabled;
                raiseCommandStateChanged(number, enabled);
            }
        });
    };
    follow(QWebEnginePage::Back, Back, m_backEnabled);
    follow(QWebEnginePage::Forward, Forward, m_forwardEnabled);

    // What the engine leaves to the program: downloads, log-in, certificates, permissions.
    QObject::connect(m_profile.get(), &QWebEngineProfile::downloadRequested, box, [this](QWebEngineDownloadRequest* download) {
        if (download->page() == m_page)
            downloads::start(download, dialogParent());
    });
    QObject::connect(page, &QWebEnginePage::authenticationRequired, box,
                     [this](const QUrl& url, QAuthenticator* authenticator) { logIn(url, authenticator, QString()); });
    QObject::connect(page, &QWebEnginePage::proxyAuthenticationRequired, box,
                     [this](const QUrl& url, QAuthenticator* authenticator, const QString& proxyHost) {
                         logIn(url, authenticator, proxyHost);
                     });
    QObject::connect(page, &QWebEnginePage::certificateError, box,
                     [this](const QWebEngineCertificateError& error) { certificates::handle(error, dialogParent()); });
    QObject::connect(page, &QWebEnginePage::featurePermissionRequested, box,
                     [this](const QUrl& origin, QWebEnginePage::Feature feature) {
                         permissions::askFeature(m_page, origin, feature, dialogParent());
                     });
    QObject::connect(page, &QWebEnginePage::registerProtocolHandlerRequested, box,
                     [this](QWebEngineRegisterProtocolHandlerRequest request) {
                         permissions::askProtocolHandler(request, dialogParent());
                     });
    QObject::connect(page, &QWebEnginePage::fileSystemAccessRequested, box,
                     [this](QWebEngineFileSystemAccessRequest request) { permissions::askFileAccess(request, dialogParent()); });

    // A page whose process died is blank: say so, and offer to load it again.
    QObject::connect(page, &QWebEnginePage::renderProcessTerminated, box,
                     [this](QWebEnginePage::RenderProcessTerminationStatus status, int) {
                         if (status != QWebEnginePage::NormalTerminationStatus)
                             QTimer::singleShot(0, m_box, [this] { offerReload(); });
                     });

    // Full screen, the context menu, find in page.
    QObject::connect(page, &QWebEnginePage::fullScreenRequested, box,
                     [this](QWebEngineFullScreenRequest request) { fullScreen(request); });
    contextmenu::nameActions(page);
    m_view->setContextMenuPolicy(Qt::CustomContextMenu);
    QObject::connect(m_view, &QWidget::customContextMenuRequested, box,
                     [this](const QPoint& position) { contextMenu(m_view, position); });
    m_find = new QAction(QStringLiteral("查找(&F)…"), box);
    m_find->setShortcut(QKeySequence::Find);
    m_find->setShortcutContext(Qt::WidgetWithChildrenShortcut);
    box->addAction(m_find);
    QObject::connect(m_find, &QAction::triggered, box, [this] { m_findBar->open(); });
    QObject::connect(page, &QWebEnginePage::findTextFinished, box,
                     [this](const QWebEngineFindTextResult& result) { m_findBar->showResult(result); });
}

void EngineWebView::logIn(const QUrl& url, QAuthenticator* authenticator, const QString& proxyHost)
{
    const bool proxy = !proxyHost.isEmpty();
    const auto credentials = dialogs::logIn(dialogParent(), proxy ? proxyHost : url.host(), authenticator->realm(), proxy);
    if (!credentials) {
        // A null authenticator tells the engine to give up: it shows what the server sent.
        *authenticator = QAuthenticator();
        return;
    }
    authenticator->setUser(credentials->user);
    authenticator->setPassword(credentials->password);
}

void EngineWebView::offerReload()
{
    if (dialogs::ask(dialogParent(), QStringLiteral("网页出错"), QStringLiteral("显示这个网页的进程意外结束了。"),
                     QStringLiteral("重新加载(&R)"), QStringLiteral("关闭"), QMessageBox::Warning, true))
        m_page->triggerAction(QWebEnginePage::Reload);
}

void EngineWebView::fullScreen(QWebEngineFullScreenRequest request)
{
    if (request.toggleOn()) {
        request.accept();
        if (m_fullScreen)
            return;
        m_view->hide();
        m_fullScreen = new FullScreenWindow(m_page, m_box->window());
        QWebEngineView* view = m_fullScreen->view();
        view->setContextMenuPolicy(Qt::CustomContextMenu);
        QObject::connect(view, &QWidget::customContextMenuRequested, m_fullScreen,
                         [this, view](const QPoint& position) { contextMenu(view, position); });
        return;
    }
    if (!m_fullScreen)
        return;
    request.accept();
    m_fullScreen->release();
    m_view->setPage(m_page);
    m_view->show();
    m_fullScreen->deleteLater();
    m_fullScreen = nullptr;
    m_box->window()->activateWindow();
    m_view->setFocus();
}

void EngineWebView::contextMenu(QWebEngineView* view, const QPoint& position)
{
    contextmenu::show(view, position, [this, view](QMenu& menu) {
        if (view != m_view) {
            menu.addSeparator();
            menu.addAction(m_page->action(QWebEnginePage::ExitFullScreen));
            return;
        }
        menu.addAction(m_find);
    });
}

void EngineWebView::print()
{
    QPrintDialog dialog(&printer(), m_box->window());
    if (dialog.exec() != QDialog::Accepted)
        return;
    QEventLoop wait;
    QObject::connect(m_view, &QWebEngineView::printFinished, &wait, &QEventLoop::quit);
    m_view->print(&printer());
    wait.exec();
}

void EngineWebView::printPreview()
{
    QPrintPreviewDialog dialog(&printer(), m_box->window());
    QObject::connect(&dialog, &QPrintPreviewDialog::paintRequested, &dialog, [this](QPrinter* printer) {
        QEventLoop wait;
        QObject::connect(m_view, &QWebEngineView::printFinished, &wait, &QEventLoop::quit);
        m_view->print(printer);
        wait.exec();
    });
    dialog.exec();
}

void EngineWebView::pageSetup()
{
    QPageSetupDialog dialog(&printer(), m_box->window());
    dialog.exec();
}

}  // namespace

WebViewFactory factory()
{
    return [](QWidget* parent) -> std::unique_ptr<WebView> { return std::make_unique<EngineWebView>(parent); };
}

}  // namespace browsing::webengine
