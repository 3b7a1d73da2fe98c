#pragma once
// The page's context menu, in the program's language: what it offers depends on what was
// clicked (a link, an image, a video, a text field, a selection or the page itself).

#include <QWebEnginePage>

#include <functional>
#include <vector>

class QMenu;
class QPoint;
class QWebEngineView;

namespace browsing::webengine::contextmenu {

// What was under the pointer.
struct Target {
    bool link = false;
    bool image = false;
    bool media = false;  // a video or an audio element
    bool editable = false;
    bool selection = false;
};

// The page's actions the menu shows, in order; NoWebAction stands for a separator.
std::vector<QWebEnginePage::WebAction> actionsFor(const Target& target);

// Whether the menu is the one for the page itself (no link, image, field or selection),
// the place for the program's own items.
bool isPageMenu(const Target& target);

// Gives the page's actions their texts in the program's language.
void nameActions(QWebEnginePage* page);

// Shows the menu for the last click in `view`; `addOwn` adds the program's items to the
// page's own menu.
void show(QWebEngineView* view, const QPoint& position, const std::function<void(QMenu&)>& addOwn);

}  // namespace browsing::webengine::contextmenu
