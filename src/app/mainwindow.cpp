#include "app/mainwindow.h"

#include "app/controls.h"
#include "app/pictures.h"
#include "common/lifecycle.h"

#include <QAction>
#include <QApplication>
#include <QCloseEvent>
#include <QComboBox>
#include <QFileDialog>
#include <QHeaderView>
#include <QKeyEvent>
#include <QLabel>
#include <QLineEdit>
#include <QMenu>
#include <QMenuBar>
#include <QProgressBar>
#include <QPushButton>
#include <QScreen>
#include <QSlider>
#include <QTimer>
#include <QToolBar>
#include <QToolButton>
#include <QTreeWidget>
#include <QWindow>

#include <algorithm>
#include <limits>

namespace app {
namespace {

// Control sizes are clamped the way the original toolkit does.
int clampSize(int value) { return std::clamp(value, 0, 32627); }

void place(QWidget* widget, int x, int y, int w, int h)
{
    widget->setGeometry(x, y, clampSize(w), clampSize(h));
}

enum RowFlag : unsigned { Disabled = 1, Checkable = 2, Checked = 4 };

struct MenuRow {
    int level;          // 0 menu, 1 item, 2 sub-item
    const char* text;   // "-" is a separator
    const char* shortcut;
    Item item;          // Item::Count for menus and separators
    unsigned flags;
};

// The menu bar, in order.
constexpr MenuRow kMenuBar[] = {
    {0, "文件(&F)", "", Item::Count, 0},
    {1, "新建(&W)", "Ctrl+N", Item::NewWindow, 0},
    {1, "另存为(&A)", "", Item::SaveAs, 0},
    {1, "-", "", Item::Count, 0},
    {1, "打印(&P)", "Ctrl+P", Item::Print, 0},
    {1, "打印预览(&V)", "", Item::PrintPreview, 0},
    {1, "页面设置(&U)", "", Item::PageSetup, 0},
    {1, "-", "", Item::Count, 0},
    {1, "退出(&Q)", "Ctrl+Q", Item::Quit, 0},
    {0, "查看(&V)", "", Item::Count, 0},
    {1, "前进(&F)", "", Item::Forward, Disabled},
    {1, "后退(&B)", "", Item::Back, Disabled},
    {1, "刷新(&R)", "F5", Item::Refresh, 0},
    {1, "停止(&P)", "", Item::Stop, 0},
    {1, "-", "", Item::Count, 0},
    {1, "查看网页源码", "", Item::ViewSource, 0},
    {0, "收藏(&A)", "", Item::Count, 0},
    {1, "添加到收藏夹(&A)", "", Item::AddFavourite, 0},
    {0, "设置(&G)", "", Item::Count, 0},
    {1, "主页(&H)", "", Item::HomePage, 0},
    {1, "字体(&T)", "", Item::Count, 0},
    {2, "较小", "", Item::TextSize0, Checkable},
    {2, "小", "", Item::TextSize1, Checkable},
    {2, "中等", "", Item::TextSize2, Checkable | Checked},
    {2, "大", "", Item::TextSize3, Checkable},
    {2, "较大", "", Item::TextSize4, Checkable},
    {0, "工具(&T)", "", Item::Count, 0},
    {1, "截图(&P)", "", Item::Count, 0},
    {2, "开始截图", "", Item::Screenshot, 0},
    {0, "帮助(&H)", "", Item::Count, 0},
    {1, "关于(&G)...", "", Item::About, 0},
};

// The two menus the menu bar leaves out; the program shows them only as popups.
constexpr MenuRow kPopups[] = {
    {0, "菜单", "", Item::Count, 0},
    {1, "添加(&A)", "", Item::PanelAdd, 0},
    {1, "删除(&D)", "", Item::PanelDelete, 0},
    {1, "打开收藏夹目录(&F)", "", Item::PanelOpenFolder, 0},
    {0, "托盘菜单", "", Item::Count, 0},
    {1, "显示窗口(&L)", "", Item::TrayShow, 0},
    {1, "结束(&X)", "", Item::TrayEnd, 0},
};

struct ToolbarRow {
    const char* text;
    pictures::Button picture;
    bool enabled;
    bool visible;
};

// Buttons 1..8; button 0 is the separator.
constexpr ToolbarRow kToolbar[] = {
    {"后退", pictures::Button::Back, false, true},
    {"前进", pictures::Button::Forward, false, true},
    {"停止", pictures::Button::Stop, true, false},
    {"刷新", pictures::Button::Refresh, true, true},
    {"主页", pictures::Button::Home, true, true},
    {"搜索", pictures::Button::Search, true, false},
    {"收藏", pictures::Button::Favourites, true, true},
    {"打印", pictures::Button::Print, true, false},
};

template <class T>
T* named(T* object, const char* objectName)
{
    object->setObjectName(QString::fromUtf8(objectName));
    return object;
}

// A control's object name, and the name a screen reader says: its role, as a user calls it.
template <class T>
T* named(T* widget, const char* objectName, const char* accessibleName)
{
    widget->setAccessibleName(QString::fromUtf8(accessibleName));
    return named(widget, objectName);
}

}  // namespace

MainWindow::MainWindow(const browsing::WebViewFactory& webViewFactory)
{
    setObjectName(QStringLiteral("启动窗口"));
    setWindowTitle(QStringLiteral("Sorvane浏览器"));
    setWindowIcon(pictures::programIcon());
    QPalette white = palette();
    white.setColor(QPalette::Window, Qt::white);
    setPalette(white);
    setAutoFillBackground(true);

    buildMenus();
    clientArea = new QWidget(this);
    clientArea->setObjectName(QStringLiteral("客户区"));
    buildControls(webViewFactory);

    resize(kDesignedWidth, kDesignedHeight);
    if (const QScreen* screen = QGuiApplication::primaryScreen())
        move(screen->availableGeometry().center() - rect().center());
    dockBars();
    // Accelerators, the toolbar's missing tooltips and the free move are decided before any
    // control sees the event.
    qApp->installEventFilter(this);
}

MainWindow::~MainWindow()
{
    qApp->removeEventFilter(this);
    // The view's widget is a child of the client area; let the view own its teardown first.
    m_webView->setEvents(nullptr);
    m_webView.reset();
}

void MainWindow::buildMenus()
{
    menuBar = new QMenuBar(this);
    menuBar->setObjectName(QStringLiteral("菜单栏"));
    menuBar->setNativeMenuBar(false);

    auto build = [this](const auto& rows, auto addTopMenu) {
        QMenu* menu = nullptr;
        QMenu* submenu = nullptr;
        for (const MenuRow& row : rows) {
            const QString text = QString::fromUtf8(row.text);
            if (row.level == 0) {
                menu = addTopMenu(text);
                submenu = nullptr;
                continue;
            }
            QMenu* into = row.level == 2 ? submenu : menu;
            if (row.level == 1)
                submenu = nullptr;
            if (text == u"-") {
                into->addSeparator();
                continue;
            }
            if (row.item == Item::Count) {
                submenu = into->addMenu(text);
                continue;
            }
            QAction* action = into->addAction(text);
            action->setEnabled(!(row.flags & Disabled));
            action->setCheckable(row.flags & Checkable);
            action->setChecked(row.flags & Checked);
            if (*row.shortcut) {
                action->setShortcut(QKeySequence(QString::fromLatin1(row.shortcut)));
                action->setShortcutContext(Qt::WindowShortcut);
                addAction(action);
                m_accelerators.append(action);
            }
            m_items.at(static_cast<size_t>(row.item)) = action;
        }
    };
    build(kMenuBar, [this](const QString& title) { return menuBar->addMenu(title); });
    build(kPopups, [this](const QString& title) {
        auto* popup = new QMenu(title, this);
        (favouritesMenu ? trayMenu : favouritesMenu) = popup;
        return popup;
    });
}

void MainWindow::buildControls(const browsing::WebViewFactory& webViewFactory)
{
    QWidget* const area = clientArea;

    // Invisible parts first; then the controls from the back of the stacking order to the
    // front, so that each is drawn over the ones created before it.
    timer = named(new QTimer(this), "时钟1");
    timer->setInterval(0);
    saveDialog = named(new QFileDialog(this), "通用对话框1");
    saveDialog->setAcceptMode(QFileDialog::AcceptOpen);
    saveDialog->setFileMode(QFileDialog::ExistingFile);
    saveDialog->setOption(QFileDialog::DontConfirmOverwrite, false);
    saveDialog->setOption(QFileDialog::DontUseNativeDialog, true);
    dropTarget = named(new DropTarget(this), "拖放对象1");

    navigationToolbar = named(new QToolBar(area), "工具条1", "导航工具栏");
    buildNavigationToolbar();

    addressToolbar = named(new QToolBar(area), "工具条2", "地址工具栏");
    addressToolbar->setMovable(false);
    addressToolbar->setFloatable(false);

    addressBox = named(new AddressBox(area), "组合框1", "地址栏");
    addressBox->setEditable(true);
    // Screen readers name an editable combo box by its text; its field carries the role's name.
    addressBox->lineEdit()->setAccessibleName(QStringLiteral("地址栏"));
    addressBox->setInsertPolicy(QComboBox::NoInsert);
    addressBox->setDuplicatesEnabled(true);
    addressBox->setCompleter(nullptr);
    addressBox->setMaxCount(std::numeric_limits<int>::max());
    place(addressBox, 69, 50, 774, 20);

    m_webView = browsing::createWebView(webViewFactory, area);
    QWidget* view = m_webView->widget();
    view->setObjectName(QStringLiteral("超文本浏览框1"));
    view->setAccessibleName(QStringLiteral("网页"));
    if (QWidget* focus = view->focusProxy())  // the part that takes the focus is what a reader announces
        focus->setAccessibleName(view->accessibleName());
    place(view, 198, 73, 748, 372);

    statusBar = named(new StatusBar(area), "状态条1", "状态栏");

    favouritesList = named(new QTreeWidget(area), "超级列表框1", "收藏夹列表");
    favouritesList->setColumnCount(1);
    favouritesList->setHeaderLabels({QStringLiteral("收藏夹")});
    favouritesList->headerItem()->setTextAlignment(0, Qt::AlignLeft | Qt::AlignVCenter);
    favouritesList->setColumnWidth(0, 190);
    favouritesList->header()->setSectionsClickable(false);
    favouritesList->header()->setStretchLastSection(false);
    favouritesList->setRootIsDecorated(false);
    favouritesList->setItemsExpandable(false);
    favouritesList->setSelectionBehavior(QAbstractItemView::SelectRows);
    favouritesList->setSelectionMode(QAbstractItemView::SingleSelection);
    favouritesList->setEditTriggers(QAbstractItemView::NoEditTriggers);
    favouritesList->setSortingEnabled(false);
    favouritesList->setIconSize(QSize(16, 15));
    favouritesList->setFrameShadow(QFrame::Sunken);
    favouritesList->setContextMenuPolicy(Qt::CustomContextMenu);
    {
        // The selection is not shown while the list lacks the focus.
        QPalette p = favouritesList->palette();
        p.setColor(QPalette::Inactive, QPalette::Highlight, p.color(QPalette::Inactive, QPalette::Base));
        p.setColor(QPalette::Inactive, QPalette::HighlightedText, p.color(QPalette::Inactive, QPalette::Text));
        favouritesList->setPalette(p);
    }
    place(favouritesList, 0, 73, 194, 372);

    panelCloseButton = named(new QPushButton(QStringLiteral("X"), area), "超级按钮1", "关闭收藏夹");
    panelCloseButton->setAutoDefault(false);
    place(panelCloseButton, 177, 77, 14, 13);

    goButton = named(new QPushButton(pictures::goArrow(), QStringLiteral("转到"), area), "超级按钮2", "转到");
    goButton->setAutoDefault(false);
    place(goButton, 865, 49, 72, 22);

    progressBar = named(new QProgressBar(area), "进度条1", "网页加载进度");
    progressBar->setRange(0, 100);
    progressBar->setValue(0);
    progressBar->setTextVisible(false);
    progressBar->setProperty("segmented", true);
    place(progressBar, 208, 429, 711, 14);

    const QPixmap strip = pictures::labelStrip();
    auto stripBackground = [&strip](QLabel* label) {
        QPalette p = label->palette();
        p.setBrush(QPalette::Window, QBrush(strip));
        label->setPalette(p);
        label->setAutoFillBackground(true);
    };

    addressLabel = named(new QLabel(QStringLiteral("地址(D)："), area), "标签1", "地址标签");
    stripBackground(addressLabel);
    place(addressLabel, 12, 54, 50, 11);

    sloganLabel = named(new QLabel(QStringLiteral("不是每一款浏览器都是这样！"), area), "标签2", "标语");
    QFont slogan(QStringLiteral("MingLiU"));
    slogan.setBold(true);
    slogan.setPixelSize(12);
    sloganLabel->setFont(slogan);
    sloganLabel->setEnabled(false);
    stripBackground(sloganLabel);
    place(sloganLabel, 688, 9, 168, 23);

    opacitySlider = named(new QSlider(Qt::Horizontal, area), "滑块条1", "窗口透明度");
    opacitySlider->setRange(50, 255);
    opacitySlider->setValue(255);
    opacitySlider->setPageStep(5);
    opacitySlider->setSingleStep(1);
    opacitySlider->setTickInterval(1);
    opacitySlider->setTickPosition(QSlider::TicksBelow);
    place(opacitySlider, 400, 8, 288, 32);

    searchBox = named(new QLineEdit(area), "编辑框1", "搜索框");
    place(searchBox, 856, 8, 128, 24);

    searchButton = named(new QPushButton(QStringLiteral("百度一下"), area), "按钮1", "搜索");
    searchButton->setAutoDefault(false);
    searchButton->setDefault(false);
    place(searchButton, 984, 8, 64, 24);

    for (QWidget* w : {static_cast<QWidget*>(addressBox), static_cast<QWidget*>(searchBox)}) {
        QPalette p = w->palette();
        p.setColor(QPalette::Base, Qt::white);
        p.setColor(QPalette::Text, Qt::black);
        w->setPalette(p);
    }
}

void MainWindow::buildNavigationToolbar()
{
    QToolBar* bar = navigationToolbar;
    bar->setMovable(false);
    bar->setFloatable(false);
    bar->setIconSize(QSize(32, 32));
    bar->setToolButtonStyle(Qt::ToolButtonTextBesideIcon);
    bar->setFocusPolicy(Qt::NoFocus);

    m_toolbarButtons[0] = bar->addSeparator();
    for (int number = 1; number < kToolbarButtons; ++number) {
        const ToolbarRow& row = kToolbar[number - 1];
        QAction* action = bar->addAction(pictures::toolbarButton(row.picture), QString::fromUtf8(row.text));
        action->setEnabled(row.enabled);
        action->setVisible(row.visible);
        m_toolbarButtons[number] = action;
        connect(action, &QAction::triggered, this, [this, number] { Q_EMIT toolbarButtonClicked(number); });
        if (QWidget* button = bar->widgetForAction(action)) {
            button->setFocusPolicy(Qt::NoFocus);
        }
    }
}

QWidget* MainWindow::webViewWidget() const { return m_webView->widget(); }

void MainWindow::setViewEvents(std::unique_ptr<browsing::WebViewEvents> events)
{
    m_viewEvents = std::move(events);
    m_webView->setEvents(m_viewEvents.get());
}

QList<QAction*> MainWindow::textSizeItems() const
{
    return {item(Item::TextSize0), item(Item::TextSize1), item(Item::TextSize2), item(Item::TextSize3),
            item(Item::TextSize4)};
}

const QIcon& MainWindow::favouriteIcon() const
{
    static const QIcon icon = pictures::webPageIcon();
    return icon;
}

int MainWindow::outerWidth() const { return frameGeometry().width(); }
int MainWindow::outerHeight() const { return frameGeometry().height(); }

void MainWindow::dockBars()
{
    const int menuHeight = menuBar->sizeHint().height();
    menuBar->setGeometry(0, 0, width(), menuHeight);
    clientArea->setGeometry(0, menuHeight, width(), std::max(0, height() - menuHeight));

    const int w = clientArea->width();
    const int navigationHeight = navigationToolbar->sizeHint().height();
    navigationToolbar->setGeometry(0, 0, w, navigationHeight);
    const int addressHeight = std::max(addressToolbar->sizeHint().height(), 28);
    addressToolbar->setGeometry(0, navigationHeight, w, addressHeight);
    const int statusHeight = statusBar->sizeHint().height();
    statusBar->setGeometry(0, clientArea->height() - statusHeight, w, statusHeight);
}

void MainWindow::raiseStartEvents()
{
    Q_EMIT created();
    dockBars();
    Q_EMIT sizeChanged();
}

void MainWindow::requestClose()
{
    QMetaObject::invokeMethod(this, &QWidget::close, Qt::QueuedConnection);
}

void MainWindow::resizeEvent(QResizeEvent* event)
{
    QWidget::resizeEvent(event);
    dockBars();
    Q_EMIT sizeChanged();
}

void MainWindow::moveEvent(QMoveEvent* event)
{
    QWidget::moveEvent(event);
    fitOuterSize();
}

void MainWindow::showEvent(QShowEvent* event)
{
    QWidget::showEvent(event);
    fitOuterSize();
}

// The designed size is the outer size, frame and caption included; the frame is known only
// once the window manager has framed the window. Until the user resizes the window it is
// fitted once, keeping it centred.
void MainWindow::fitOuterSize()
{
    if (m_outerSizeFitted || !isVisible())
        return;
    const QSize frame = frameGeometry().size() - size();
    if (frame.width() <= 0 && frame.height() <= 0)
        return;
    m_outerSizeFitted = true;
    if (size() != QSize(kDesignedWidth, kDesignedHeight))
        return;
    resize(kDesignedWidth - frame.width(), kDesignedHeight - frame.height());
    if (const QScreen* screen = QGuiApplication::primaryScreen())
        move(screen->availableGeometry().center() - QRect(QPoint(), QSize(kDesignedWidth, kDesignedHeight)).center());
}

void MainWindow::closeEvent(QCloseEvent* event)
{
    // Nothing can refuse the close; the about-to-be-destroyed handler runs once, while every
    // control still holds its contents.
    if (!m_destroyingRaised && lifecycle::handlersOpen()) {
        m_destroyingRaised = true;
        Q_EMIT destroying();
    }
    lifecycle::setStage(lifecycle::Stage::Ending);
    event->accept();
}

void MainWindow::keyPressEvent(QKeyEvent* event)
{
    // Esc reaches here only when the focused control did not take it.
    if (event->key() == Qt::Key_Escape && event->modifiers() == Qt::NoModifier) {
        close();
        return;
    }
    QWidget::keyPressEvent(event);
}

bool MainWindow::eventFilter(QObject* watched, QEvent* event)
{
    switch (event->type()) {
    case QEvent::ShortcutOverride:
        return takeAccelerator(event);
    case QEvent::ToolTip:
        return watched->parent() == navigationToolbar;
    case QEvent::MouseButtonPress:
        return startMove(watched, event);
    default:
        return false;
    }
}

// The menu bar's accelerators come before any control, the web view included: a control
// that would claim the key for itself is not asked.
bool MainWindow::takeAccelerator(QEvent* event)
{
    if (!isActiveWindow())
        return false;
    const auto* key = static_cast<QKeyEvent*>(event);
    const QKeySequence pressed(key->keyCombination());
    for (const QAction* action : std::as_const(m_accelerators)) {
        if (action->shortcut() == pressed) {
            event->ignore();
            return true;
        }
    }
    return false;
}

// Pressing the left button on the bare background, a label or the progress bar drags the
// window, as its title bar would.
bool MainWindow::startMove(QObject* watched, QEvent* event)
{
    if (watched != clientArea && watched != addressLabel && watched != sloganLabel && watched != progressBar)
        return false;
    if (static_cast<QMouseEvent*>(event)->button() != Qt::LeftButton)
        return false;
    if (QWindow* handle = windowHandle())
        handle->startSystemMove();
    return true;
}

}  // namespace app
