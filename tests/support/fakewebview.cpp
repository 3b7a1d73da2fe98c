#include "support/fakewebview.h"

namespace testing_support {

FakeWebView::FakeWebView(QWidget* parent) : m_widget(new QWidget(parent)) {}

void FakeWebView::navigate(const QString& address)
{
    navigations.append(address);
    log.append(QStringLiteral("navigate ") + address);
    if (onNavigate)
        onNavigate(address);
}

browsing::WebViewFactory fakeFactory(FakeWebView** made)
{
    return [made](QWidget* parent) -> std::unique_ptr<browsing::WebView> {
        auto view = std::make_unique<FakeWebView>(parent);
        if (made)
            *made = view.get();
        return view;
    };
}

}  // namespace testing_support
