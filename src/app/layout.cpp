#include "app/layout.h"

#include "app/controls.h"
#include "app/mainwindow.h"
#include "settings/settings.h"

#include <QComboBox>
#include <QLabel>
#include <QProgressBar>
#include <QPushButton>
#include <QToolBar>
#include <QTreeWidget>

#include <algorithm>

namespace app::layout {
namespace {

constexpr int kPanelWidth = 194;
constexpr int kGap = 2;
constexpr int kPanelToView = 4;
constexpr int kHiddenViewLeft = 2;

// A width or height below 0 becomes 0, above 32627 becomes 32627.
int size(int value) { return std::clamp(value, 0, 32627); }

void setLeft(QWidget* w, int left) { w->move(left, w->y()); }
void setTop(QWidget* w, int top) { w->move(w->x(), top); }
void setWidth(QWidget* w, int width) { w->resize(size(width), w->height()); }
void setHeight(QWidget* w, int height) { w->resize(w->width(), size(height)); }

// The progress bar follows the web view along its lower edge.
void followView(MainWindow& window, const Frame& f)
{
    QWidget* view = window.webViewWidget();
    setLeft(window.progressBar, view->x());
    setWidth(window.progressBar, view->width());
    setTop(window.progressBar, f.S - window.progressBar->height());
}

}  // namespace

Frame frameOf(const MainWindow& window)
{
    const QRect toolbar = window.addressToolbar->geometry();
    return {window.outerWidth(), toolbar.y() + toolbar.height(), window.statusBar->y()};
}

bool panelShown(const MainWindow& window) { return !window.favouritesList->isHidden(); }

void relayout(MainWindow& window)
{
    const Frame f = frameOf(window);
    QTreeWidget* list = window.favouritesList;
    QWidget* view = window.webViewWidget();

    setLeft(list, 0);
    setTop(list, f.B + kGap);
    setHeight(list, f.S - list->y() - kGap);
    setTop(view, f.B + kGap);
    if (panelShown(window)) {
        setLeft(view, list->width() + kPanelToView);
        setWidth(view, f.W - list->width() - 20);
    } else {
        setWidth(view, f.W - 10);
    }
    setHeight(view, f.S - view->y() - kGap);
    setLeft(window.goButton, f.W - window.goButton->width() - 20);
    setWidth(window.addressBox, f.W - window.addressLabel->width() - window.goButton->width() - 40);
    followView(window, f);
}

void hidePanel(MainWindow& window)
{
    const Frame f = frameOf(window);
    QWidget* view = window.webViewWidget();
    window.favouritesList->setVisible(false);
    window.panelCloseButton->setVisible(false);
    setWidth(window.favouritesList, 0);
    setLeft(view, kHiddenViewLeft);
    setWidth(view, f.W - 20);
    followView(window, f);
    settings::write(QStringLiteral("SCJ"), QStringLiteral("1"));
}

void showPanel(MainWindow& window)
{
    const Frame f = frameOf(window);
    QTreeWidget* list = window.favouritesList;
    QWidget* view = window.webViewWidget();
    setWidth(list, kPanelWidth);
    setHeight(list, f.S - list->y() - kGap);
    setLeft(view, list->width() + kPanelToView);
    setWidth(view, f.W - list->width() - 20);
    list->setVisible(true);
    window.panelCloseButton->setVisible(true);
    followView(window, f);
    settings::write(QStringLiteral("SCJ"), QStringLiteral("2"));
}

void togglePanel(MainWindow& window)
{
    if (panelShown(window))
        hidePanel(window);
    else
        showPanel(window);
}

void restorePanelState(MainWindow& window)
{
    if (settings::read(QStringLiteral("SCJ"), QStringLiteral("2")) == u"1")
        hidePanel(window);
}

}  // namespace app::layout
