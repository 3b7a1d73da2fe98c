#include "settings/settings.h"

#include "browsing/webview.h"
#include "common/paths.h"

// Not built yet: the settings file lands with its own change.
namespace settings {
QString filePath() { return paths::programFile(QStringLiteral("浏览器.ini")); }
QString read(const QString&, const QString& defaultValue) { return defaultValue; }
void write(const QString&, const QString&) {}
int parseLevel(const QString&) { return 2; }
void applyTextSize(int, browsing::WebView&, const QList<QAction*>&) {}
void restoreTextSize(browsing::WebView&, const QList<QAction*>&) {}
void openHomePage(browsing::WebView&) {}
void homePageCommand() {}
void markShutdown() {}
}  // namespace settings
