#include "browsing/navigation.h"

#include "browsing/history.h"
#include "browsing/site.h"
#include "browsing/webview.h"

#include <QComboBox>
#include <QLineEdit>
#include <QMimeData>
#include <QUrl>

namespace browsing {

ToolbarAction toolbarAction(int button)
{
    switch (button) {
    case 1: return {ToolbarAction::Command, Back};
    case 2: return {ToolbarAction::Command, Forward};
    case 3: return {ToolbarAction::Command, Stop};
    case 4: return {ToolbarAction::Command, Refresh};
    case 5: return {ToolbarAction::Command, EngineHome};
    case 6: return {ToolbarAction::GoAction, 0};
    case 7: return {ToolbarAction::TogglePanel, 0};
    case 8: return {ToolbarAction::Command, Print};
    default: return {ToolbarAction::Nothing, 0};
    }
}

void goAction(QComboBox& addressBox, WebView& view)
{
    view.navigate(addressBox.currentText());
    history::insertAtTop(addressBox, addressBox.currentText());
}

void chooseFromList(const QComboBox& addressBox, WebView& view)
{
    view.setAddress(addressBox.currentText());
}

QString searchAddress(const QString& text)
{
    return initialAddress() + QStringLiteral("/s?wd=") + QString::fromLatin1(QUrl::toPercentEncoding(text));
}

void search(const QLineEdit& searchBox, WebView& view)
{
    view.setAddress(searchAddress(searchBox.text()));
}

QStringList droppedTexts(const QMimeData& data)
{
    QStringList texts;
    // Qt reports a URL list as text too; only real plain text counts here.
    if (data.hasFormat(QStringLiteral("text/plain")) && !data.hasHtml())
        texts.append(data.text());
    if (data.hasFormat(QStringLiteral("text/x-moz-url"))) {
        // UTF-16: the address, a line break, the link's title.
        const QByteArray raw = data.data(QStringLiteral("text/x-moz-url"));
        const QString link = QString::fromUtf16(reinterpret_cast<const char16_t*>(raw.constData()), raw.size() / 2);
        texts.append(link.section(u'\n', 0, 0));
    } else if (data.hasUrls() && !data.urls().isEmpty()) {
        const QUrl url = data.urls().constFirst();
        if (!url.isLocalFile())
            texts.append(url.toString());
    }
    return texts;
}

bool newWindowRedirect(WebView& view)
{
    const QString status = view.statusText();
    if (status.isEmpty())
        return true;
    // Secure links are kept in this view like plain ones; any other text is dropped.
    if (status.startsWith(QLatin1String("http://")) || status.startsWith(QLatin1String("https://")))
        view.navigate(status);
    return false;
}

}  // namespace browsing
