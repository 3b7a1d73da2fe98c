#include "browsing/webengine/notifications.h"

#include <QApplication>
#include <QLabel>
#include <QMouseEvent>
#include <QScreen>
#include <QTimer>
#include <QVBoxLayout>
#include <QWebEngineNotification>

namespace browsing::webengine {
namespace {

constexpr int kShownMs = 8000;

// Shows one notification until it times out, is clicked or the page withdraws it.
class NotificationBox : public QWidget {
public:
    explicit NotificationBox(std::unique_ptr<QWebEngineNotification> notification)
        : QWidget(nullptr, Qt::ToolTip | Qt::FramelessWindowHint | Qt::WindowStaysOnTopHint),
          m_notification(std::move(notification))
    {
        setAttribute(Qt::WA_DeleteOnClose);
        setAttribute(Qt::WA_QuitOnClose, false);
        setAttribute(Qt::WA_ShowWithoutActivating);
        setWindowTitle(QStringLiteral("网页通知"));
        auto* layout = new QVBoxLayout(this);
        auto* title = plain(m_notification->title());
        QFont bold = title->font();
        bold.setBold(true);
        title->setFont(bold);
        layout->addWidget(title);
        layout->addWidget(plain(m_notification->message()));
        layout->addWidget(plain(m_notification->origin().host()));
        setFixedWidth(320);
        QObject::connect(m_notification.get(), &QWebEngineNotification::closed, this, &QWidget::close);
        QTimer::singleShot(kShownMs, this, &QWidget::close);
        m_notification->show();
    }

    ~NotificationBox() override { m_notification->close(); }

protected:
    void mousePressEvent(QMouseEvent*) override
    {
        m_notification->click();
        close();
    }

private:
    QLabel* plain(const QString& text)
    {
        auto* label = new QLabel(text, this);
        // Page text is shown as it is, never as markup.
        label->setTextFormat(Qt::PlainText);
        label->setWordWrap(true);
        return label;
    }

    std::unique_ptr<QWebEngineNotification> m_notification;
};

}  // namespace

void presentNotification(std::unique_ptr<QWebEngineNotification> notification)
{
    auto* box = new NotificationBox(std::move(notification));
    box->adjustSize();
    if (const QScreen* screen = QGuiApplication::primaryScreen()) {
        const QRect area = screen->availableGeometry();
        box->move(area.right() - box->width() - 16, area.bottom() - box->height() - 16);
    }
    box->show();
}

}  // namespace browsing::webengine
