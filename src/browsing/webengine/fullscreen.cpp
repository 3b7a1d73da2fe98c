#include "browsing/webengine/fullscreen.h"

#include <QAction>
#include <QCloseEvent>
#include <QLabel>
#include <QTimer>
#include <QVBoxLayout>
#include <QWebEngineView>

namespace browsing::webengine {
namespace {

constexpr int kHintMs = 3000;

}  // namespace

FullScreenWindow::FullScreenWindow(QWebEnginePage* page, QWidget* owner)
    : QWidget(owner, Qt::Window), m_page(page), m_view(new QWebEngineView(this))
{
    setAttribute(Qt::WA_QuitOnClose, false);
    setWindowTitle(QStringLiteral("全屏"));
    auto* layout = new QVBoxLayout(this);
    layout->setContentsMargins(0, 0, 0, 0);
    layout->addWidget(m_view);

    auto* leave = new QAction(this);
    leave->setShortcut(Qt::Key_Escape);
    leave->setShortcutContext(Qt::WindowShortcut);
    QObject::connect(leave, &QAction::triggered, this, [this] { m_page->triggerAction(QWebEnginePage::ExitFullScreen); });
    addAction(leave);

    // A short word on how to come back, over the page.
    auto* hint = new QLabel(QStringLiteral("按 Esc 键退出全屏"), this);
    hint->setStyleSheet(QStringLiteral("background: rgba(0, 0, 0, 170); color: white; padding: 12px; border-radius: 6px;"));
    hint->adjustSize();
    QTimer::singleShot(kHintMs, hint, &QWidget::hide);
    m_hint = hint;

    m_view->setPage(page);
    showFullScreen();
    m_view->setFocus();
}

void FullScreenWindow::release()
{
    hide();
}

void FullScreenWindow::resizeEvent(QResizeEvent* event)
{
    QWidget::resizeEvent(event);
    m_hint->move((width() - m_hint->width()) / 2, 40);
    m_hint->raise();
}

void FullScreenWindow::closeEvent(QCloseEvent* event)
{
    // The page decides: it leaves full screen and then this window goes.
    event->ignore();
    m_page->triggerAction(QWebEnginePage::ExitFullScreen);
}

}  // namespace browsing::webengine
