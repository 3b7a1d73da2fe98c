#pragma once
// Notifications a page was allowed to show: a small box in the screen's lower right corner.

#include <memory>

#include <QWebEngineNotification>

namespace browsing::webengine {

void presentNotification(std::unique_ptr<QWebEngineNotification> notification);

}  // namespace browsing::webengine
