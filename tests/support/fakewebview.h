#pragma once
// The web view's test double: records what the program asks of it and lets a test raise
// any of the ten events.

#include "browsing/webview.h"

#include <QString>
#include <QStringList>
#include <QWidget>

#include <functional>
#include <vector>

namespace testing_support {

class FakeWebView final : public browsing::WebView {
public:
    explicit FakeWebView(QWidget* parent);

    QWidget* widget() override { return m_widget; }
    void navigate(const QString& address) override;
    void command(int number) override { commands.push_back(number); log.append(QStringLiteral("command %1").arg(number)); }

    // What the program did, in order.
    QStringList navigations;
    std::vector<int> commands;
    QStringList log;
    // Called at each navigate, so a test can look at the window at that moment.
    std::function<void(const QString&)> onNavigate;

    QString currentUrl;
    QString currentTitleText;

    bool raise0(const QString& address) { return raiseNavigationStarting(address); }
    void raise1(const QString& address) { raiseNavigationCompleted(address); }
    void raise2() { raiseDownloadBegins(); }
    void raise3(qint64 progress, qint64 maximum) { raiseDownloadProgress(progress, maximum); }
    void raise4() { raiseDownloadComplete(); }
    void raise5(const QString& address) { raiseDocumentComplete(address); }
    void raise6(const QString& text) { raiseStatusTextChanged(text); }
    void raise7(const QString& title) { raiseTitleChanged(title); }
    void raise8(int command, bool enabled) { raiseCommandStateChanged(command, enabled); }
    bool raise9() { return raiseNewWindowRequested(); }

protected:
    void applyTextSize(int level) override { log.append(QStringLiteral("text size %1").arg(level)); }
    void applyOffline(bool offline) override { log.append(offline ? QStringLiteral("offline on") : QStringLiteral("offline off")); }
    QString currentAddress() const override { return currentUrl; }
    QString currentTitle() const override { return currentTitleText; }

private:
    QWidget* m_widget;
};

// A factory for the main window that keeps a pointer to the double it made.
browsing::WebViewFactory fakeFactory(FakeWebView** made);

}  // namespace testing_support
