#pragma once
// What a page asks to use (camera, microphone, location, notifications, the screen, the
// mouse pointer, links of a kind, local files): the user is asked, and anything but a yes
// is a no. An answer holds for that site and that request until the program ends.

#include <QString>
#include <QUrl>
#include <QWebEnginePage>

class QWebEngineFileSystemAccessRequest;
class QWebEngineRegisterProtocolHandlerRequest;
class QWidget;

namespace browsing::webengine::permissions {

void askFeature(QWebEnginePage* page, const QUrl& origin, QWebEnginePage::Feature feature, QWidget* parent);
void askProtocolHandler(QWebEngineRegisterProtocolHandlerRequest request, QWidget* parent);
void askFileAccess(QWebEngineFileSystemAccessRequest request, QWidget* parent);

// What the page wants, completing "“site”想要…".
QString featureText(QWebEnginePage::Feature feature);

}  // namespace browsing::webengine::permissions
