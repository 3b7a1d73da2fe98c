#include "tools/url.h"

namespace tools {
namespace {

int defaultPort(const QString& scheme)
{
    if (scheme == u"http")
        return 80;
    if (scheme == u"https")
        return 443;
    if (scheme == u"ftp")
        return 21;
    return 0;
}

bool validScheme(QStringView scheme)
{
    if (scheme.isEmpty() || !scheme.front().isLetter())
        return false;
    for (QChar c : scheme)
        if (!(c.isLetterOrNumber() && c.unicode() < 128) && c != u'+' && c != u'-' && c != u'.')
            return false;
    return true;
}

}  // namespace

bool splitAddress(const QString& address, UrlParts& parts)
{
    const qsizetype schemeEnd = address.indexOf(u"://");
    if (schemeEnd <= 0 || !validScheme(QStringView(address).left(schemeEnd)))
        return false;
    UrlParts result;
    result.scheme = address.left(schemeEnd).toLower();

    const qsizetype authorityStart = schemeEnd + 3;
    qsizetype authorityEnd = authorityStart;
    while (authorityEnd < address.size() && address[authorityEnd] != u'/' && address[authorityEnd] != u'?'
           && address[authorityEnd] != u'#')
        ++authorityEnd;
    QStringView authority = QStringView(address).mid(authorityStart, authorityEnd - authorityStart);

    const qsizetype at = authority.lastIndexOf(u'@');
    if (at >= 0) {
        const QStringView userInfo = authority.left(at);
        const qsizetype colon = userInfo.indexOf(u':');
        result.user = (colon < 0 ? userInfo : userInfo.left(colon)).toString();
        if (colon >= 0)
            result.password = userInfo.mid(colon + 1).toString();
        authority = authority.mid(at + 1);
    }

    QStringView portText;
    if (authority.startsWith(u'[')) {
        const qsizetype close = authority.indexOf(u']');
        if (close < 0)
            return false;
        result.host = authority.mid(1, close - 1).toString();
        if (result.host.contains(u'['))
            return false;  // handed on as "[host]", it would not split the same way again
        const QStringView rest = authority.mid(close + 1);
        if (!rest.isEmpty() && !rest.startsWith(u':'))
            return false;
        portText = rest.mid(1);
    } else {
        const qsizetype colon = authority.indexOf(u':');
        result.host = (colon < 0 ? authority : authority.left(colon)).toString();
        if (colon >= 0)
            portText = authority.mid(colon + 1);
    }
    if (result.host.isEmpty())
        return false;

    result.port = defaultPort(result.scheme);
    if (!portText.isEmpty()) {
        if (portText.size() > 5)
            return false;
        for (QChar c : portText)
            if (c < u'0' || c > u'9')
                return false;
        const int port = portText.toInt();
        if (port < 1 || port > 65535)
            return false;
        result.port = port;
    }

    QString object = address.mid(authorityEnd);
    const qsizetype hash = object.indexOf(u'#');
    if (hash >= 0)
        object.truncate(hash);
    if (!object.startsWith(u'/'))
        object.prepend(u'/');
    result.object = object;

    parts = result;
    return true;
}

QString requestAddress(const UrlParts& parts)
{
    const QString host = parts.host.contains(u':') ? u'[' + parts.host + u']' : parts.host;
    const bool usualPort = parts.port == defaultPort(parts.scheme);
    return parts.scheme + u"://" + host + (usualPort ? QString() : u':' + QString::number(parts.port)) + parts.object;
}

}  // namespace tools
