#include "browsing/status.h"

#include "browsing/webview.h"

#include <QComboBox>
#include <QProgressBar>

#include <algorithm>

namespace browsing::status {

QString navigating(const QString& address) { return u"正在行动中“" + address + u"”"; }
QString progress(int percent) { return u"还有" + QString::number(percent) + u'%'; }
QString finished(const QString& title) { return u"完毕!(" + title + u')'; }

void show(int event, const WebView& view, const Targets& t, int percent)
{
    switch (event) {
    case 0: t.setStatusText(navigating(view.address())); break;
    case 1: t.setStatusText(QString::fromUtf16(kNavigationDone)); break;
    case 2: t.setStatusText(QString::fromUtf16(kBuffering)); break;
    case 3:
        if (percent > 0 && percent < 100)
            t.progressBar->setVisible(true);
        t.progressBar->setValue(std::clamp(percent, 0, 100));
        t.setStatusText(progress(percent));
        if (percent == 100) {
            t.setStatusText(finished(view.title()));
            t.progressBar->setVisible(false);
        }
        break;
    case 4: t.setStatusText(QString::fromUtf16(kDownloadDone)); break;
    case 5:
        t.setStatusText(QString::fromUtf16(kDocumentDone));
        t.addressBox->setEditText(view.address());
        break;
    case 6: t.setStatusText(view.statusText()); break;
    case 7: t.setCaption(view.title()); break;
    default: break;
    }
}

}  // namespace browsing::status
