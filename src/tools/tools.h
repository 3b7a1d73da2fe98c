#pragma once
// The tools menu and its neighbours: screenshot to file, page source, new window, About.

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

}  // namespace tools
