#include "browsing/webengine/certificates.h"

#include "browsing/webengine/dialogs.h"

#include <QCryptographicHash>
#include <QHash>
#include <QPointer>
#include <QSet>
#include <QSslCertificate>
#include <QTimer>

#include <vector>

namespace browsing::webengine::certificates {
namespace {

using Error = QWebEngineCertificateError;

// Host, error and the certificate's fingerprint: one exception the user allowed.
QString keyOf(const Error& error)
{
    const QList<QSslCertificate> chain = error.certificateChain();
    const QByteArray print = chain.isEmpty() ? QByteArray() : chain.constFirst().digest(QCryptographicHash::Sha256);
    return error.url().host() + u'|' + QString::number(error.url().port()) + u'|' + QString::number(error.type())
           + u'|' + QString::fromLatin1(print.toHex());
}

// What the user decided during this run, and the errors waiting for a dialog already open.
struct Decisions {
    QSet<QString> allowed;
    QHash<QString, std::vector<Error>> waiting;
};

// Never destroyed: an error still waiting when the program ends must not be answered after
// the engine has gone.
Decisions& decisions()
{
    static auto* d = new Decisions;
    return *d;
}

void askUser(const QString& key, QPointer<QWidget> parent)
{
    std::vector<Error>& queue = decisions().waiting[key];
    if (queue.empty())
        return;
    const Error& first = queue.front();
    const QString host = first.url().host();
    const bool overridable = first.isOverridable();
    const QString text = question(host, reason(first.type(), first.description()), overridable);
    bool goOn = false;
    if (overridable)
        goOn = dialogs::ask(parent, QStringLiteral("安全警告"), text, QStringLiteral("仍然继续(&C)"),
                            QStringLiteral("返回(&B)"), QMessageBox::Warning);
    else
        dialogs::tell(parent, QStringLiteral("安全警告"), text, QMessageBox::Critical);

    if (goOn)
        decisions().allowed.insert(key);
    std::vector<Error> answered = std::move(decisions().waiting[key]);
    decisions().waiting.remove(key);
    for (Error& error : answered) {
        if (goOn)
            error.acceptCertificate();
        else
            error.rejectCertificate();
    }
}

}  // namespace

void handle(const QWebEngineCertificateError& error, QWidget* parent)
{
    const QString key = keyOf(error);
    Error copy = error;
    if (error.isOverridable() && decisions().allowed.contains(key)) {
        copy.acceptCertificate();
        return;
    }
    // The engine waits while the user reads the dialog, which opens once the engine's
    // call has returned. Further errors of the same kind wait for the same answer.
    copy.defer();
    std::vector<Error>& queue = decisions().waiting[key];
    queue.push_back(copy);
    if (queue.size() > 1)
        return;
    QPointer<QWidget> owner = parent;
    QTimer::singleShot(0, [key, owner] { askUser(key, owner); });
}

QString reason(QWebEngineCertificateError::Type type, const QString& fallback)
{
    switch (type) {
    case Error::SslPinnedKeyNotInCertificateChain: return QStringLiteral("证书与此网站固定使用的公钥不符。");
    case Error::CertificateCommonNameInvalid: return QStringLiteral("证书上的名称与网站的地址不符。");
    case Error::CertificateDateInvalid: return QStringLiteral("证书已过期或尚未生效。");
    case Error::CertificateAuthorityInvalid: return QStringLiteral("证书不是由受信任的证书颁发机构颁发的。");
    case Error::CertificateContainsErrors: return QStringLiteral("证书含有错误。");
    case Error::CertificateNoRevocationMechanism: return QStringLiteral("证书没有吊销检查机制。");
    case Error::CertificateUnableToCheckRevocation: return QStringLiteral("无法检查证书是否已被吊销。");
    case Error::CertificateRevoked: return QStringLiteral("证书已被吊销。");
    case Error::CertificateInvalid: return QStringLiteral("证书无效。");
    case Error::CertificateWeakSignatureAlgorithm: return QStringLiteral("证书使用了不安全的签名算法。");
    case Error::CertificateNonUniqueName: return QStringLiteral("证书上的名称不是唯一的。");
    case Error::CertificateWeakKey: return QStringLiteral("证书的密钥太弱。");
    case Error::CertificateNameConstraintViolation: return QStringLiteral("证书违反了颁发机构的名称限制。");
    case Error::CertificateValidityTooLong: return QStringLiteral("证书的有效期太长。");
    case Error::CertificateTransparencyRequired: return QStringLiteral("证书没有按要求公开记录。");
    case Error::CertificateSymantecLegacy: return QStringLiteral("证书由已不再受信任的旧证书颁发机构颁发。");
    case Error::CertificateKnownInterceptionBlocked: return QStringLiteral("证书属于已知会拦截网络通信的软件。");
    case Error::SslObsoleteVersion: return QStringLiteral("网站使用的安全协议版本已过时。");
    }
    return fallback;
}

QString question(const QString& host, const QString& why, bool overridable)
{
    QString text = QStringLiteral("无法确认“%1”的安全证书。\n\n原因：%2\n\n").arg(host, why);
    if (overridable)
        text += QStringLiteral("有人可能正在冒充这个网站，窃取你的信息。建议返回。");
    else
        text += QStringLiteral("这个错误不能忽略，网页不会打开。");
    return text;
}

}  // namespace browsing::webengine::certificates
