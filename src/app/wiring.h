#pragma once

namespace app {
class MainWindow;

// Connects every event of the window, its controls, its menus and the web view to its
// handler. The one place where behaviour meets the declared window.
void wire(MainWindow& window);

// The created handler: the window's start-up steps, in their fixed order.
void created(MainWindow& window);

// The about-to-be-destroyed handler: the history, then the shutdown marker.
void destroying(MainWindow& window);

}  // namespace app
