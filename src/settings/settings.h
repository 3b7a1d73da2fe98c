#pragma once
// The settings file: section "SZ" of program directory + "/浏览器.ini". Nothing is held in
// memory; every read and write goes to the file at the moment it is needed.

#include <QList>
#include <QString>

class QAction;
namespace browsing { class WebView; }

namespace settings {

QString filePath();
QString read(const QString& key, const QString& defaultValue);
void write(const QString& key, const QString& value);

// The integer of a stored level: leading blanks skipped, one sign, digits up to the first
// non-digit; full-width digits, signs and blanks count as their ASCII forms; no digits give 0.
int parseLevel(const QString& text);

// levelItems are the five text-size menu items, level 0 first.
void applyTextSize(int level, browsing::WebView& view, const QList<QAction*>& levelItems);
void restoreTextSize(browsing::WebView& view, const QList<QAction*>& levelItems);
void openHomePage(browsing::WebView& view);
void homePageCommand();
void markShutdown();

}  // namespace settings
