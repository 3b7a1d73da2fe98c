#pragma once
// The tray icon with its menu, and the window's opacity.

namespace app {
class MainWindow;

namespace tray {

// Start-up: makes the window layered and fully opaque (alpha 255).
void enableOpacity(MainWindow& window);
// The opacity slider moved: alpha becomes its position.
void setOpacity(MainWindow& window, int alpha);

// Start-up: the notification-area icon with the program's icon and no tooltip. It goes with
// the window.
void install(MainWindow& window);
// 1 left button released, 2 left double click, 3 right button released or context menu.
void trayEvent(MainWindow& window, int value);
// "显示窗口(&L)": shown if hidden; a minimized window stays minimized.
void showWindow(MainWindow& window);

}  // namespace tray
}  // namespace app
