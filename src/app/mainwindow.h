#pragma once
// The main window: every control of the program at its designed place, the navigation
// toolbar, the menu bar and the two popup menus that the menu bar leaves out. Behaviour
// lives elsewhere (wiring.cpp connects it); this class only declares and docks.

#include "browsing/webview.h"

#include <QList>
#include <QWidget>

#include <array>
#include <memory>

class QAction;
class QComboBox;
class QFileDialog;
class QLabel;
class QLineEdit;
class QMenu;
class QMenuBar;
class QProgressBar;
class QPushButton;
class QSlider;
class QStatusBar;
class QTimer;
class QToolBar;
class QTreeWidget;

namespace app {

class AddressBox;
class DropTarget;
class StatusBar;

// Menu items and popup items, by role.
enum class Item {
    NewWindow, SaveAs, Print, PrintPreview, PageSetup, Quit,
    Forward, Back, Refresh, Stop, ViewSource,
    AddFavourite,
    HomePage, TextSize0, TextSize1, TextSize2, TextSize3, TextSize4,
    Screenshot,
    About,
    PanelAdd, PanelDelete, PanelOpenFolder,
    TrayShow, TrayEnd,
    Count
};

class MainWindow : public QWidget {
    Q_OBJECT
public:
    static constexpr int kDesignedWidth = 1061;
    static constexpr int kDesignedHeight = 514;
    static constexpr int kToolbarButtons = 9;

    explicit MainWindow(const browsing::WebViewFactory& webViewFactory);
    ~MainWindow() override;

    // Controls, by role.
    QPushButton* searchButton = nullptr;      // 按钮1
    QLineEdit* searchBox = nullptr;           // 编辑框1
    QSlider* opacitySlider = nullptr;         // 滑块条1
    QLabel* sloganLabel = nullptr;            // 标签2
    QLabel* addressLabel = nullptr;           // 标签1
    QProgressBar* progressBar = nullptr;      // 进度条1
    QPushButton* goButton = nullptr;          // 超级按钮2
    QPushButton* panelCloseButton = nullptr;  // 超级按钮1
    QTreeWidget* favouritesList = nullptr;    // 超级列表框1
    StatusBar* statusBar = nullptr;           // 状态条1
    AddressBox* addressBox = nullptr;         // 组合框1
    QToolBar* addressToolbar = nullptr;       // 工具条2
    QToolBar* navigationToolbar = nullptr;    // 工具条1
    DropTarget* dropTarget = nullptr;         // 拖放对象1
    QFileDialog* saveDialog = nullptr;        // 通用对话框1
    QTimer* timer = nullptr;                  // 时钟1

    QMenuBar* menuBar = nullptr;
    QWidget* clientArea = nullptr;  // below the menu bar; every control is its child

    browsing::WebView& webView() const { return *m_webView; }  // 超文本浏览框1
    QWidget* webViewWidget() const;
    // The handlers of the web view's events; the window keeps them as long as the view.
    void setViewEvents(std::unique_ptr<browsing::WebViewEvents> events);

    // The navigation toolbar's buttons by number, the separator (0) included.
    QAction* toolbarButton(int number) const { return m_toolbarButtons.at(number); }
    QAction* item(Item role) const { return m_items.at(static_cast<size_t>(role)); }
    QList<QAction*> textSizeItems() const;
    QMenu* favouritesMenu = nullptr;  // "菜单", popup only
    QMenu* trayMenu = nullptr;        // "托盘菜单", popup only

    // The small-icon list of the favourites panel: image 0.
    const QIcon& favouriteIcon() const;

    // The outer width and height, frame included (equal to the inner size while no frame is known).
    int outerWidth() const;
    int outerHeight() const;

    // Places the menu bar and the client area, then docks the two toolbars at the top and the
    // status bar at the bottom of the client area.
    void dockBars();

    // Asks for the window to be destroyed once the event loop gets there ("退出(&Q)").
    void requestClose();

    // Raises the created and size-changed events once each, as the start does before the
    // first show.
    void raiseStartEvents();

Q_SIGNALS:
    void created();
    void sizeChanged();
    void destroying();
    void toolbarButtonClicked(int number);

protected:
    void resizeEvent(QResizeEvent* event) override;
    void moveEvent(QMoveEvent* event) override;
    void showEvent(QShowEvent* event) override;
    void closeEvent(QCloseEvent* event) override;
    void keyPressEvent(QKeyEvent* event) override;
    bool eventFilter(QObject* watched, QEvent* event) override;

private:
    void buildControls(const browsing::WebViewFactory& webViewFactory);
    void buildNavigationToolbar();
    void buildMenus();
    bool startMove(QObject* watched, QEvent* event);
    bool takeAccelerator(QEvent* event);
    void fitOuterSize();

    std::unique_ptr<browsing::WebViewEvents> m_viewEvents;
    std::unique_ptr<browsing::WebView> m_webView;
    std::array<QAction*, kToolbarButtons> m_toolbarButtons {};
    std::array<QAction*, static_cast<size_t>(Item::Count)> m_items {};
    QList<QAction*> m_accelerators;
    bool m_destroyingRaised = false;
    bool m_outerSizeFitted = false;
};

}  // namespace app
