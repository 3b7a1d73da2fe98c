#pragma once
// The favourites folder (program directory + "/收藏夹"), one Internet Shortcut file per
// favourite, and the panel's commands. The panel holds names only.

#include <QString>

class QAction;
class QIcon;
class QMenu;
class QPoint;
class QTreeWidget;
namespace browsing { class WebView; }

namespace favourites {

QString folderPath();

// The index of the first selected item, or -1 when nothing is selected.
int currentSelection(const QTreeWidget& panel);

// Start-up: appends the folder's favourites to the panel in the order the directory search
// returns them; a missing folder gives an empty panel and is not created.
void load(QTreeWidget& panel, const QIcon& icon);
// "添加到收藏夹(&A)" and "添加(&A)": asks for a name (the page title offered), asks before
// overwriting, writes the current address. A name too long for a file name is refused
// with a message and offered again to be shortened.
void add(QTreeWidget& panel, browsing::WebView& view, const QIcon& icon);
// Left double-click on the panel: opens the selected favourite's address, if its file holds one.
void open(const QTreeWidget& panel, browsing::WebView& view);
// Right click on the panel: "删除(&D)" enabled only with a selection, then the menu.
void showContextMenu(const QTreeWidget& panel, QMenu& menu, QAction* deleteItem, const QPoint& globalPos);
// "删除(&D)": deletes the selected favourite's file and its entry, without asking.
void remove(QTreeWidget& panel);
// "打开收藏夹目录(&F)".
void openFolder();

}  // namespace favourites
