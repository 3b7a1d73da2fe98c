#pragma once
// The page alone on the whole screen while it asks for it (a video's full-screen button):
// the page moves to a view of its own in a full-screen window and comes back when it
// leaves. Esc leaves it, as does closing the window.

#include <QWidget>

class QResizeEvent;
class QWebEnginePage;
class QWebEngineView;

namespace browsing::webengine {

class FullScreenWindow : public QWidget {
public:
    FullScreenWindow(QWebEnginePage* page, QWidget* owner);

    QWebEngineView* view() const { return m_view; }
    // Hides the window while its view still holds the page; the caller then hands the
    // page back to its own view and deletes this window.
    void release();

protected:
    void closeEvent(QCloseEvent* event) override;
    void resizeEvent(QResizeEvent* event) override;

private:
    QWebEnginePage* m_page;
    QWebEngineView* m_view;
    QWidget* m_hint = nullptr;
};

}  // namespace browsing::webengine
