#include "favourites/favourites.h"

#include "common/paths.h"

// Not built yet: the favourites land with their own change.
namespace favourites {
QString folderPath() { return paths::programFile(QStringLiteral("收藏夹")); }
void load(QTreeWidget&, const QIcon&) {}
void add(QTreeWidget&, browsing::WebView&, const QIcon&) {}
void open(const QTreeWidget&, browsing::WebView&) {}
void showContextMenu(const QTreeWidget&, QMenu&, QAction*, const QPoint&) {}
void remove(QTreeWidget&) {}
void openFolder() {}
}  // namespace favourites
