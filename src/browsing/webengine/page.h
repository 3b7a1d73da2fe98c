#pragma once
// The engine's page as the program drives it: navigations and new windows go to the web
// view's events; script dialogs and file choosers are ours.

#include <QWebEnginePage>

#include <functional>

namespace browsing::webengine {

class Page : public QWebEnginePage {
public:
    struct Hooks {
        std::function<bool(const QUrl&)> navigationStarting;  // false cancels
        std::function<bool()> newWindow;                      // false cancels
    };

    Page(QWebEngineProfile* profile, Hooks hooks, QObject* parent);

protected:
    bool acceptNavigationRequest(const QUrl& url, NavigationType type, bool isMainFrame) override;
    QWebEnginePage* createWindow(WebWindowType type) override;
    QStringList chooseFiles(FileSelectionMode mode, const QStringList& oldFiles,
                            const QStringList& acceptedMimeTypes) override;
    void javaScriptAlert(const QUrl& securityOrigin, const QString& message) override;
    bool javaScriptConfirm(const QUrl& securityOrigin, const QString& message) override;
    bool javaScriptPrompt(const QUrl& securityOrigin, const QString& message, const QString& defaultValue,
                          QString* result) override;

private:
    QWidget* dialogParent() const;

    Hooks m_hooks;
};

// The name filters of an upload chooser for what the page accepts (".pdf", "image/png",
// "image/*"): one filter of the accepted patterns and one for all files; none when nothing
// usable is named.
QStringList uploadFilters(const QStringList& accepted);

// What a script dialog says: the message, introduced by the host that shows it.
QString scriptDialogText(const QUrl& origin, const QString& message);

}  // namespace browsing::webengine
