#include "browsing/webengine/page.h"

#include "browsing/webengine/dialogs.h"

#include <QCoreApplication>
#include <QDesktopServices>
#include <QFileDialog>
#include <QMimeDatabase>
#include <QRegularExpression>
#include <QStandardPaths>
#include <QWebEngineView>

namespace browsing::webengine {
namespace {

const QString kScriptCaption = QStringLiteral("来自网页的消息");

// The engine asks before a page with unsaved changes is left through a confirm carrying
// this text of its own.
const char kLeaveQuestion[] = "Are you sure you want to leave this page? Changes that you made may not be saved.";

bool isLeaveQuestion(const QString& message)
{
    return message == QLatin1String(kLeaveQuestion)
           || message == QCoreApplication::translate("QWebEnginePage", kLeaveQuestion);
}

// A page for a window the engine asked to open on its own: the first address it is sent
// to goes to the desktop's default browser, then the page goes away.
class ExternalWindowPage : public QWebEnginePage {
public:
    using QWebEnginePage::QWebEnginePage;

protected:
    bool acceptNavigationRequest(const QUrl& url, NavigationType, bool) override
    {
        if (!m_opened && url.isValid() && !url.isEmpty()) {
            m_opened = true;
            QDesktopServices::openUrl(url);
        }
        deleteLater();
        return false;
    }

private:
    bool m_opened = false;
};

}  // namespace

Page::Page(QWebEngineProfile* profile, Hooks hooks, QObject* parent)
    : QWebEnginePage(profile, parent), m_hooks(std::move(hooks))
{
}

bool Page::acceptNavigationRequest(const QUrl& url, NavigationType, bool)
{
    return m_hooks.navigationStarting(url);
}

QWebEnginePage* Page::createWindow(WebWindowType)
{
    if (!m_hooks.newWindow())
        return nullptr;
    return new ExternalWindowPage(profile(), this);
}

QWidget* Page::dialogParent() const
{
    QWebEngineView* view = QWebEngineView::forPage(this);
    return view ? view->window() : nullptr;
}

QStringList Page::chooseFiles(FileSelectionMode mode, const QStringList& oldFiles, const QStringList& acceptedMimeTypes)
{
    if (mode == FileSelectSave) {
        const QString folder = QStandardPaths::writableLocation(QStandardPaths::DownloadLocation);
        const QString name = oldFiles.isEmpty() ? QString() : QFileInfo(oldFiles.constFirst()).fileName();
        const QString path = dialogs::saveFileName(dialogParent(), QStringLiteral("保存文件"), folder + u'/' + name,
                                                   uploadFilters(acceptedMimeTypes));
        return path.isEmpty() ? QStringList() : QStringList{path};
    }

    QFileDialog dialog(dialogParent());
    dialog.setAcceptMode(QFileDialog::AcceptOpen);
    QString caption = QStringLiteral("选择要上传的文件");
    switch (mode) {
    case FileSelectOpenMultiple: dialog.setFileMode(QFileDialog::ExistingFiles); break;
    case FileSelectUploadFolder:
        dialog.setFileMode(QFileDialog::Directory);
        dialog.setOption(QFileDialog::ShowDirsOnly, true);
        caption = QStringLiteral("选择要上传的文件夹");
        break;
    default: dialog.setFileMode(QFileDialog::ExistingFile); break;
    }
    dialogs::prepare(dialog, caption);
    const QStringList filters = uploadFilters(acceptedMimeTypes);
    if (!filters.isEmpty() && mode != FileSelectUploadFolder)
        dialog.setNameFilters(filters);
    if (!oldFiles.isEmpty())
        dialog.selectFile(oldFiles.constFirst());
    if (dialog.exec() != QDialog::Accepted)
        return {};
    return dialog.selectedFiles();
}

void Page::javaScriptAlert(const QUrl& securityOrigin, const QString& message)
{
    dialogs::tell(dialogParent(), kScriptCaption, scriptDialogText(securityOrigin, message), QMessageBox::Information);
}

bool Page::javaScriptConfirm(const QUrl& securityOrigin, const QString& message)
{
    if (isLeaveQuestion(message))
        return dialogs::ask(dialogParent(), QStringLiteral("离开此网页？"),
                            QStringLiteral("要离开此网页吗？\n你所做的更改可能不会保存。"), QStringLiteral("离开(&L)"),
                            QStringLiteral("留下(&S)"), QMessageBox::Question);
    return dialogs::ask(dialogParent(), kScriptCaption, scriptDialogText(securityOrigin, message),
                        QStringLiteral("确定"), QStringLiteral("取消"), QMessageBox::Question, true);
}

bool Page::javaScriptPrompt(const QUrl& securityOrigin, const QString& message, const QString& defaultValue,
                            QString* result)
{
    QString value = defaultValue;
    if (!dialogs::askText(dialogParent(), kScriptCaption, scriptDialogText(securityOrigin, message), value))
        return false;
    *result = value;
    return true;
}

QStringList uploadFilters(const QStringList& accepted)
{
    static const QRegularExpression usable(QStringLiteral("^\\*\\.[A-Za-z0-9_+~-]{1,16}$"));
    const QMimeDatabase mimes;
    QStringList patterns;
    for (const QString& entry : accepted) {
        const QString name = entry.trimmed().toLower();
        if (name.startsWith(u'.')) {
            patterns.append(u'*' + name);
        } else if (name.endsWith(QLatin1String("/*"))) {
            const QString family = name.chopped(1);
            for (const QMimeType& type : mimes.allMimeTypes())
                if (type.name().startsWith(family))
                    patterns.append(type.globPatterns());
        } else if (const QMimeType type = mimes.mimeTypeForName(name); type.isValid()) {
            patterns.append(type.globPatterns());
        }
    }
    QStringList kept;
    for (const QString& pattern : std::as_const(patterns))
        if (usable.match(pattern).hasMatch() && !kept.contains(pattern))
            kept.append(pattern);
    if (kept.isEmpty())
        return {};
    return {QStringLiteral("网页接受的文件 (%1)").arg(kept.join(u' ')), QStringLiteral("所有文件 (*)")};
}

QString scriptDialogText(const QUrl& origin, const QString& message)
{
    const QString host = origin.host();
    if (host.isEmpty())
        return message;
    return QStringLiteral("%1 上的网页显示：\n\n%2").arg(host, message);
}

}  // namespace browsing::webengine
