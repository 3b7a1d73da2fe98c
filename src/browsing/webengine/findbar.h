#pragma once
// Find in page: a bar below the page with the text, next, previous and the count of
// matches. Esc closes it (and stays with it: it never reaches the main window).

#include <QWidget>

#include <functional>

class QLabel;
class QLineEdit;
class QWebEngineFindTextResult;
class QWebEnginePage;

namespace browsing::webengine {

class FindBar : public QWidget {
public:
    // `closed` runs when the bar closes, to hand the keyboard back to the page.
    FindBar(QWebEnginePage* page, std::function<void()> closed, QWidget* parent);

    void open();
    void showResult(const QWebEngineFindTextResult& result);

protected:
    void keyPressEvent(QKeyEvent* event) override;

private:
    void find(bool backward);
    void closeBar();

    QWebEnginePage* m_page;
    std::function<void()> m_closed;
    QLineEdit* m_field = nullptr;
    QLabel* m_count = nullptr;
};

// The count shown for a search: "第 2 个，共 5 个", "找不到", or nothing before a search.
QString matchText(bool searched, int active, int total);

}  // namespace browsing::webengine
