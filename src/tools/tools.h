#pragma once
// The tools menu and its neighbours: screenshot to file, page source, new window, About.

#include <QByteArray>
#include <QString>

class QFileDialog;
namespace browsing { class WebView; }

namespace tools {

// "开始截图": snapshot first, then the save dialog, then the confirmation.
void takeScreenshot(QFileDialog& saveDialog);
// "查看网页源码": fetches the current address again and opens it as a text file.
void viewPageSource(browsing::WebView& view);
// "新建(&W)": starts the program's own executable again.
void newWindow();
// "关于(&G)...".
void about();

// The last snapshot taken in this run, held until the next one or releaseSnapshot (the
// exit clean-up).
const QByteArray& lastSnapshot();
void releaseSnapshot();

// Turns the window's file dialog into the snapshot's save dialog: save mode, any file
// name, ".bmp" added to a name typed without an extension, the overwrite question, and
// the path chosen the last time in this run (none at the first use).
void prepareSaveDialog(QFileDialog& dialog);

// The About box's text: four lines separated by CR LF.
QString aboutText();

}  // namespace tools
