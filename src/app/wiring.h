#pragma once

#include <array>

namespace app {
class MainWindow;

// Connects every event of the window, its controls, its menus and the web view to its
// handler. The one place where behaviour meets the declared window.
void wire(MainWindow& window);

// The created handler's steps, in their fixed order; no step looks at an earlier one's outcome.
struct StartupStep {
    const char* name;
    void (*run)(MainWindow& window);
};
const std::array<StartupStep, 10>& startupSteps();

// The created handler: runs the start-up steps.
void created(MainWindow& window);

// The about-to-be-destroyed handler: the history, then the shutdown marker.
void destroying(MainWindow& window);

}  // namespace app
