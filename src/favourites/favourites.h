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

// Start-up: fills the panel from the folder; a missing folder gives an empty panel.
void load(QTreeWidget& panel, const QIcon& icon);
// "添加到收藏夹(&A)" and "添加(&A)".
void add(QTreeWidget& panel, browsing::WebView& view, const QIcon& icon);
// Left double-click on the panel.
void open(const QTreeWidget& panel, browsing::WebView& view);
// Right click on the panel: "删除(&D)" enabled only with a selection, then the menu.
void showContextMenu(const QTreeWidget& panel, QMenu& menu, QAction* deleteItem, const QPoint& globalPos);
// "删除(&D)".
void remove(QTreeWidget& panel);
// "打开收藏夹目录(&F)".
void openFolder();

}  // namespace favourites
