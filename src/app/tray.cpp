#include "app/tray.h"

#include "app/mainwindow.h"
#include "common/lifecycle.h"
#include "platform/platform.h"

#include <QCursor>
#include <QMenu>
#include <QSystemTrayIcon>

#include <algorithm>

namespace app::tray {

void enableOpacity(MainWindow& window)
{
    const int32_t style = platform::GetWindowLongA(&window, platform::GWL_EXSTYLE);
    platform::SetWindowLongA(&window, platform::GWL_EXSTYLE, style | platform::WS_EX_LAYERED);
    platform::SetLayeredWindowAttributes(&window, 0, 255, platform::LWA_ALPHA);
}

void setOpacity(MainWindow& window, int alpha)
{
    platform::SetLayeredWindowAttributes(&window, 0, static_cast<uint8_t>(std::clamp(alpha, 0, 255)),
                                         platform::LWA_ALPHA);
}

void install(MainWindow& window)
{
    auto* icon = new QSystemTrayIcon(window.windowIcon(), &window);
    icon->setObjectName(QStringLiteral("托盘图标"));
    QObject::connect(icon, &QSystemTrayIcon::activated, &window,
                     lifecycle::guarded([&window](QSystemTrayIcon::ActivationReason reason) {
                         switch (reason) {
                         case QSystemTrayIcon::Trigger: trayEvent(window, 1); break;
                         case QSystemTrayIcon::DoubleClick: trayEvent(window, 2); break;
                         case QSystemTrayIcon::Context: trayEvent(window, 3); break;
                         default: break;
                         }
                     }));
    icon->show();
}

void trayEvent(MainWindow& window, int value)
{
    if (value == 2) {
        showWindow(window);
    } else if (value == 3) {
        window.activateWindow();
        QMenu* menu = window.trayMenu;
        const QPoint pointer = QCursor::pos();
        // The menu's top-right corner 5 pixels left of and above the pointer.
        menu->exec(QPoint(pointer.x() - 5 - menu->sizeHint().width(), pointer.y() - 5));
    }
}

void showWindow(MainWindow& window)
{
    if (window.isHidden())
        window.show();
}

}  // namespace app::tray
