#include "app/wiring.h"

#include "app/controls.h"
#include "app/layout.h"
#include "app/mainwindow.h"
#include "app/tray.h"
#include "browsing/history.h"
#include "browsing/navigation.h"
#include "browsing/status.h"
#include "common/lifecycle.h"
#include "favourites/favourites.h"
#include "settings/settings.h"
#include "skin/skin.h"
#include "tools/tools.h"

#include <QAction>
#include <QComboBox>
#include <QLineEdit>
#include <QMenu>
#include <QMouseEvent>
#include <QPushButton>
#include <QSlider>
#include <QTreeWidget>

#include <memory>

namespace app {
namespace {

using lifecycle::guarded;
using browsing::WebView;

// The web view's ten events: 0..7 feed the status feedback, 8 the back and forward
// controls, 9 the new-window redirect.
class ViewEvents final : public browsing::status::Feedback {
public:
    explicit ViewEvents(MainWindow& window)
        : Feedback(window.webView(),
                   {[&window](const QString& text) { window.statusBar->setText(text); },
                    [&window](const QString& caption) { window.setWindowTitle(caption); }, window.progressBar,
                    window.addressBox}),
          m_window(window) {}

    void commandStateChanged(int command, bool enabled) override
    {
        if (!active())
            return;
        const bool forward = command == browsing::Forward;
        m_window.toolbarButton(forward ? 2 : 1)->setEnabled(enabled);
        m_window.item(forward ? Item::Forward : Item::Back)->setEnabled(enabled);
    }

    bool newWindowRequested() override
    {
        return active() ? browsing::newWindowRedirect(m_window.webView()) : true;
    }

protected:
    bool active() const override { return lifecycle::handlersOpen(); }

private:
    MainWindow& m_window;
};

// Runs a handler for one kind of event on one object, leaving the event to the object.
class EventHook : public QObject {
public:
    EventHook(QObject* target, QEvent::Type type, std::function<void(QEvent*)> handler)
        : QObject(target), m_type(type), m_handler(std::move(handler))
    {
        target->installEventFilter(this);
    }

protected:
    bool eventFilter(QObject*, QEvent* event) override
    {
        if (event->type() == m_type && lifecycle::handlersOpen())
            m_handler(event);
        return false;
    }

private:
    QEvent::Type m_type;
    std::function<void(QEvent*)> m_handler;
};

void goAction(MainWindow& w) { browsing::goAction(*w.addressBox, w.webView()); }

void toolbarClicked(MainWindow& w, int number)
{
    const browsing::ToolbarAction action = browsing::toolbarAction(number);
    switch (action.kind) {
    case browsing::ToolbarAction::Command: w.webView().command(action.command); break;
    case browsing::ToolbarAction::GoAction: goAction(w); break;
    case browsing::ToolbarAction::TogglePanel: layout::togglePanel(w); break;
    case browsing::ToolbarAction::Nothing: break;
    }
}

void wireMenus(MainWindow& w)
{
    WebView& view = w.webView();
    const std::pair<Item, std::function<void()>> handlers[] = {
        {Item::NewWindow, [] { tools::newWindow(); }},
        {Item::SaveAs, [&view] { view.command(browsing::SaveAs); }},
        {Item::Print, [&view] { view.command(browsing::Print); }},
        {Item::PrintPreview, [&view] { view.command(browsing::PrintPreview); }},
        {Item::PageSetup, [&view] { view.command(browsing::PageSetup); }},
        {Item::Quit, [&w] { w.requestClose(); }},
        {Item::Forward, [&view] { view.command(browsing::Forward); }},
        {Item::Back, [&view] { view.command(browsing::Back); }},
        {Item::Refresh, [&view] { view.command(browsing::Refresh); }},
        {Item::Stop, [&view] { view.command(browsing::Stop); }},
        {Item::ViewSource, [&view] { tools::viewPageSource(view); }},
        {Item::AddFavourite, [&w] { favourites::add(*w.favouritesList, w.webView(), w.favouriteIcon()); }},
        {Item::PanelAdd, [&w] { favourites::add(*w.favouritesList, w.webView(), w.favouriteIcon()); }},
        {Item::PanelDelete, [&w] { favourites::remove(*w.favouritesList); }},
        {Item::PanelOpenFolder, [] { favourites::openFolder(); }},
        {Item::HomePage, [] { settings::homePageCommand(); }},
        {Item::Screenshot, [&w] { tools::takeScreenshot(*w.saveDialog); }},
        {Item::About, [] { tools::about(); }},
        {Item::TrayShow, [&w] { tray::showWindow(w); }},
        {Item::TrayEnd, [] { lifecycle::endAtOnce(); }},
    };
    for (const auto& [item, handler] : handlers)
        QObject::connect(w.item(item), &QAction::triggered, &w, guarded([handler](bool) { handler(); }));

    const QList<QAction*> sizes = w.textSizeItems();
    for (int level = 0; level < sizes.size(); ++level)
        QObject::connect(sizes[level], &QAction::triggered, &w, guarded([&w, level](bool) {
                             settings::applyTextSize(level, w.webView(), w.textSizeItems());
                         }));
}

void wireControls(MainWindow& w)
{
    QObject::connect(&w, &MainWindow::toolbarButtonClicked, &w, guarded([&w](int n) { toolbarClicked(w, n); }));
    QObject::connect(w.goButton, &QPushButton::clicked, &w, guarded([&w](bool) { goAction(w); }));
    QObject::connect(w.addressBox->lineEdit(), &QLineEdit::returnPressed, &w, guarded([&w] { goAction(w); }));
    QObject::connect(w.addressBox, &AddressBox::chosenFromList, &w,
                     guarded([&w] { browsing::chooseFromList(*w.addressBox, w.webView()); }));
    QObject::connect(w.searchButton, &QPushButton::clicked, &w,
                     guarded([&w](bool) { browsing::search(*w.searchBox, w.webView()); }));
    QObject::connect(w.dropTarget, &DropTarget::dropped, &w, guarded([&w](const QMimeData& data) {
                         for (const QString& text : browsing::droppedTexts(data)) {
                             w.addressBox->setEditText(text);
                             goAction(w);
                         }
                     }));
    QObject::connect(w.panelCloseButton, &QPushButton::clicked, &w, guarded([&w](bool) { layout::hidePanel(w); }));
    QObject::connect(w.opacitySlider, &QSlider::valueChanged, &w, guarded([&w](int alpha) { tray::setOpacity(w, alpha); }));

    QTreeWidget* list = w.favouritesList;
    new EventHook(list->viewport(), QEvent::MouseButtonDblClick, [&w](QEvent* event) {
        if (static_cast<QMouseEvent*>(event)->button() == Qt::LeftButton)
            favourites::open(*w.favouritesList, w.webView());
    });
    QObject::connect(list, &QWidget::customContextMenuRequested, &w, guarded([&w](const QPoint& pos) {
                         favourites::showContextMenu(*w.favouritesList, *w.favouritesMenu, w.item(Item::PanelDelete),
                                                     w.favouritesList->viewport()->mapToGlobal(pos));
                     }));
}

}  // namespace

void wire(MainWindow& w)
{
    w.setViewEvents(std::make_unique<ViewEvents>(w));
    QObject::connect(&w, &MainWindow::created, &w, guarded([&w] { created(w); }));
    QObject::connect(&w, &MainWindow::sizeChanged, &w, guarded([&w] { layout::relayout(w); }));
    QObject::connect(&w, &MainWindow::destroying, &w, [&w] { destroying(w); });
    wireMenus(w);
    wireControls(w);
}

const std::array<StartupStep, 10>& startupSteps()
{
    static const std::array<StartupStep, 10> steps = {{
        {"apply skin", [](MainWindow&) { skin::apply(8); }},
        {"enable opacity", [](MainWindow& w) { tray::enableOpacity(w); }},
        {"offline off", [](MainWindow& w) { w.webView().setOffline(false); }},
        {"restore panel state", [](MainWindow& w) { layout::restorePanelState(w); }},
        {"restore text size", [](MainWindow& w) { settings::restoreTextSize(w.webView(), w.textSizeItems()); }},
        {"load favourites", [](MainWindow& w) { favourites::load(*w.favouritesList, w.favouriteIcon()); }},
        {"load address history", [](MainWindow& w) { browsing::history::load(*w.addressBox); }},
        {"install tray icon", [](MainWindow& w) { tray::install(w); }},
        {"open home page", [](MainWindow& w) { settings::openHomePage(w.webView()); }},
        {"register drop target", [](MainWindow& w) { w.dropTarget->attach(w.addressBox->lineEdit()); }},
    }};
    return steps;
}

void created(MainWindow& w)
{
    for (const StartupStep& step : startupSteps())
        step.run(w);
}

void destroying(MainWindow& w)
{
    browsing::history::save(*w.addressBox);
    settings::markShutdown();
}

}  // namespace app
