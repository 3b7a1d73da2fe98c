#include "favourites/favourites.h"

#include "browsing/webview.h"
#include "common/dialogs.h"
#include "common/files.h"
#include "common/paths.h"
#include "common/shell.h"
#include "favourites/folder.h"
#include "favourites/names.h"
#include "favourites/shortcut.h"

#include <QAction>
#include <QDir>
#include <QIcon>
#include <QMenu>
#include <QPoint>
#include <QTreeWidget>

#include <utility>

namespace favourites {
namespace {

QTreeWidgetItem* newItem(const QString& name, const QIcon& icon)
{
    auto* item = new QTreeWidgetItem(QStringList{name});
    item->setIcon(0, icon);
    return item;
}

void createFolderIfMissing(const QString& folder)
{
    if (!files::exists(folder))
        files::makeFolder(folder);
}

// The file of the selected favourite; empty when nothing is selected.
QString selectedFile(const QTreeWidget& panel)
{
    const int index = currentSelection(panel);
    const QString name = index < 0 ? QString() : panel.topLevelItem(index)->text(0);
    return name.isEmpty() ? QString() : filePath(folderPath(), name);
}

// The address is taken now, after the name box has closed.
void writeShortcut(const QString& path, const browsing::WebView& view)
{
    files::writeAll(path, shortcutBytes(view.address()));
}

}  // namespace

QString folderPath() { return paths::programFile(QStringLiteral("收藏夹")); }

int currentSelection(const QTreeWidget& panel)
{
    int first = -1;
    for (QTreeWidgetItem* item : panel.selectedItems()) {
        const int index = panel.indexOfTopLevelItem(item);
        if (index >= 0 && (first < 0 || index < first))
            first = index;
    }
    return first;
}

void load(QTreeWidget& panel, const QIcon& icon)
{
    QList<QTreeWidgetItem*> items;
    for (const QString& name : listNames(folderPath()))
        items.append(newItem(name, icon));
    panel.addTopLevelItems(items);
}

void add(QTreeWidget& panel, browsing::WebView& view, const QIcon& icon)
{
    const QString folder = folderPath();
    QString tooLong;  // a name refused for its length is offered again, to be shortened
    for (;;) {
        createFolderIfMissing(folder);
        QString name = tooLong.isEmpty() ? view.title() : std::exchange(tooLong, QString());
        // Cancel keeps the initial text, which is not the user's answer.
        if (!dialogs::inputBox(QStringLiteral("输入名称！"), QStringLiteral("添加到收藏夹："), name) || name.isEmpty())
            return;
        if (!fitsFileName(name)) {
            dialogs::messageBox(QStringLiteral("名称太长，请改短一些！"), QStringLiteral("警告："),
                                dialogs::MB_OK | dialogs::MB_ICONEXCLAMATION);
            tooLong = name;
            continue;
        }
        const QString path = filePath(folder, name);
        if (files::exists(path)) {
            if (dialogs::messageBox(QStringLiteral("文件已经存在，确定要覆盖原文件！不后悔么？"), QStringLiteral("警告："),
                                    dialogs::MB_OKCANCEL | dialogs::MB_ICONEXCLAMATION) != dialogs::Ok)
                continue;
            writeShortcut(path, view);  // already listed (or added from outside): no second entry
            return;
        }
        writeShortcut(path, view);
        panel.addTopLevelItem(newItem(name, icon));
        return;
    }
}

void open(const QTreeWidget& panel, browsing::WebView& view)
{
    const QString path = selectedFile(panel);
    if (path.isEmpty())
        return;
    // A file without an address (missing, empty, no "URL=") opens nothing.
    const QString address = addressFromFile(readShortcut(path));
    if (!address.isEmpty())
        view.setAddress(address);
}

void showContextMenu(const QTreeWidget& panel, QMenu& menu, QAction* deleteItem, const QPoint& globalPos)
{
    if (deleteItem)
        deleteItem->setEnabled(currentSelection(panel) >= 0);
    menu.exec(globalPos + QPoint(3, 3));
}

void remove(QTreeWidget& panel)
{
    const int index = currentSelection(panel);
    if (index < 0)
        return;
    if (const QString path = selectedFile(panel); !path.isEmpty())
        removeFile(path);
    delete panel.takeTopLevelItem(index);
}

void openFolder() { shell::open(folderPath()); }

}  // namespace favourites
