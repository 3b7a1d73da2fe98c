#include "browsing/webengine/permissions.h"

#include "browsing/webengine/dialogs.h"

#include <QDir>
#include <QHash>
#include <QPointer>
#include <QTimer>
#include <QWebEngineFileSystemAccessRequest>
#include <QWebEngineRegisterProtocolHandlerRequest>

namespace browsing::webengine::permissions {
namespace {

const QString kCaption = QStringLiteral("权限请求");

QString site(const QUrl& origin)
{
    const QString host = origin.host();
    return host.isEmpty() ? origin.toDisplayString() : host;
}

// The answers given during this run, by site and request.
QHash<QString, bool>& answers()
{
    static QHash<QString, bool> given;
    return given;
}

// Asks once per key: later requests get the same answer without a dialog.
template <class Answer>
void askOnce(const QString& key, const QString& text, QWidget* parent, Answer answer)
{
    if (const auto known = answers().constFind(key); known != answers().constEnd()) {
        answer(known.value());
        return;
    }
    // The dialog opens after the engine's call has returned; the request waits for it.
    QPointer<QWidget> owner = parent;
    QTimer::singleShot(0, [key, text, owner, answer]() mutable {
        if (const auto known = answers().constFind(key); known != answers().constEnd()) {
            answer(known.value());
            return;
        }
        const bool allow = dialogs::ask(owner, kCaption, text, QStringLiteral("允许(&A)"), QStringLiteral("拒绝(&D)"),
                                        QMessageBox::Question);
        answers().insert(key, allow);
        answer(allow);
    });
}

}  // namespace

void askFeature(QWebEnginePage* page, const QUrl& origin, QWebEnginePage::Feature feature, QWidget* parent)
{
    const QString key = origin.toString() + QStringLiteral("|feature|") + QString::number(feature);
    const QString text = QStringLiteral("“%1”想要%2。").arg(site(origin), featureText(feature));
    QPointer<QWebEnginePage> target = page;
    askOnce(key, text, parent, [target, origin, feature](bool allow) {
        if (target)
            target->setFeaturePermission(origin, feature,
                                         allow ? QWebEnginePage::PermissionGrantedByUser
                                               : QWebEnginePage::PermissionDeniedByUser);
    });
}

void askProtocolHandler(QWebEngineRegisterProtocolHandlerRequest request, QWidget* parent)
{
    const QUrl origin = request.origin();
    const QString scheme = request.scheme();
    const QString key = origin.toString() + QStringLiteral("|scheme|") + scheme;
    const QString text = QStringLiteral("“%1”想要打开所有 %2 链接。").arg(site(origin), scheme);
    askOnce(key, text, parent, [request](bool allow) mutable {
        if (allow)
            request.accept();
        else
            request.reject();
    });
}

void askFileAccess(QWebEngineFileSystemAccessRequest request, QWidget* parent)
{
    const bool write = request.accessFlags().testFlag(QWebEngineFileSystemAccessRequest::Write);
    const QString path = QDir::toNativeSeparators(request.filePath().toLocalFile());
    const QString key = request.origin().toString() + QStringLiteral("|file|") + path + (write ? u'w' : u'r');
    const QString text = write ? QStringLiteral("“%1”想要修改“%2”。").arg(site(request.origin()), path)
                               : QStringLiteral("“%1”想要读取“%2”。").arg(site(request.origin()), path);
    askOnce(key, text, parent, [request](bool allow) mutable {
        if (allow)
            request.accept();
        else
            request.reject();
    });
}

QString featureText(QWebEnginePage::Feature feature)
{
    switch (feature) {
    case QWebEnginePage::Notifications: return QStringLiteral("显示通知");
    case QWebEnginePage::Geolocation: return QStringLiteral("知道你的位置");
    case QWebEnginePage::MediaAudioCapture: return QStringLiteral("使用你的麦克风");
    case QWebEnginePage::MediaVideoCapture: return QStringLiteral("使用你的摄像头");
    case QWebEnginePage::MediaAudioVideoCapture: return QStringLiteral("使用你的摄像头和麦克风");
    case QWebEnginePage::MouseLock: return QStringLiteral("隐藏并锁定鼠标指针");
    case QWebEnginePage::DesktopVideoCapture: return QStringLiteral("共享你的屏幕");
    case QWebEnginePage::DesktopAudioVideoCapture: return QStringLiteral("共享你的屏幕和声音");
    }
    return QStringLiteral("使用一项功能");
}

}  // namespace browsing::webengine::permissions
