#pragma once
#include "browsing/webview.h"

namespace app {
// The program from start to the end of its event loop; returns the exit code.
int run(const browsing::WebViewFactory& webViewFactory);
}
