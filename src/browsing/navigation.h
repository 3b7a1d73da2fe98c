#pragma once
// Every way the user drives the web view: toolbar, menus, the Go action, the address box's
// list, the search button, drops on the address box, and new-window requests.

#include <QString>
#include <QStringList>

class QComboBox;
class QLineEdit;
class QMimeData;

namespace browsing {

class WebView;

// What a navigation toolbar button does, by number (0 is the separator).
struct ToolbarAction {
    enum Kind { Nothing, Command, GoAction, TogglePanel } kind;
    int command;  // for Command
};
ToolbarAction toolbarAction(int button);

// Navigates to the address box's text and inserts that text at the top of the history.
void goAction(QComboBox& addressBox, WebView& view);
// A completed choice from the address box's list: navigates to it; the history is unchanged.
void chooseFromList(const QComboBox& addressBox, WebView& view);

// The default site's search address for a text, the text encoded so that the site receives
// exactly what was typed.
QString searchAddress(const QString& text);
void search(const QLineEdit& searchBox, WebView& view);

// The texts a drop on the address box carries, in the order they are handled: plain text
// (only when the drop has no HTML fragment), then a link.
QStringList droppedTexts(const QMimeData& data);

// A new-window request: false keeps it in this view (navigating to a status text that is an
// http or https address, or dropping it), true lets the engine open its window.
bool newWindowRedirect(WebView& view);

}  // namespace browsing
