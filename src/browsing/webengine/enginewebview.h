#pragma once
// The web view on Qt WebEngine. All engine wiring is in EngineWebView::wire().

#include "browsing/webview.h"

namespace browsing::webengine {

// Creates the engine's views; they share one persistent profile under the user's data folder.
WebViewFactory factory();

}  // namespace browsing::webengine
