#pragma once
// The window's pictures, drawn here at 1x and 2x so they stay sharp on any screen.

#include <QIcon>
#include <QPixmap>

namespace pictures {

enum class Button { Back, Forward, Stop, Refresh, Home, Search, Favourites, Print };

QIcon toolbarButton(Button button);  // 32 x 32
QIcon goArrow();                     // small green right arrow
QIcon webPageIcon();                 // 16 x 15, blue web page
QIcon programIcon();
QPixmap labelStrip();                // 246 x 34, light grey-blue

}  // namespace pictures
