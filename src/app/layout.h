#pragma once
// Keeping the controls in place as the window's size changes, and hiding and showing the
// favourites panel (the list with its close button). The panel's state is stored as "SCJ".

namespace app {
class MainWindow;

namespace layout {

// The numbers the formulas start from, read from the controls at the moment of use.
struct Frame {
    int W;  // the window's outer width, frame included
    int B;  // the bottom of the address toolbar
    int S;  // the top of the status bar
};

Frame frameOf(const MainWindow& window);
bool panelShown(const MainWindow& window);

void relayout(MainWindow& window);
void hidePanel(MainWindow& window);
void showPanel(MainWindow& window);
void togglePanel(MainWindow& window);
// Start-up: hides the panel when "SCJ" is exactly "1".
void restorePanelState(MainWindow& window);

}  // namespace layout
}  // namespace app
