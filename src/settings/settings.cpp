#include "settings/settings.h"

#include "browsing/site.h"
#include "browsing/webview.h"
#include "common/dialogs.h"
#include "common/paths.h"
#include "common/text.h"
#include "platform/platform.h"

#include <QAction>
#include <QFile>

#include <climits>
#include <vector>

namespace settings {
namespace {

constexpr char kSection[] = "SZ";
constexpr uint32_t kBufferSize = 10240;
constexpr int kLevels = 5;

QByteArray fileName() { return QFile::encodeName(filePath()); }

// Full-width digits and signs and the ideographic blank read as their ASCII forms.
char16_t narrowed(QChar c)
{
    const char16_t u = c.unicode();
    if (u >= u'０' && u <= u'９')
        return static_cast<char16_t>(u'0' + (u - u'０'));
    if (u == u'＋')
        return u'+';
    if (u == u'－')
        return u'-';
    if (u == u'\u3000')
        return u' ';
    return u;
}

bool isBlank(char16_t c) { return c == u' ' || (c >= u'\t' && c <= u'\r'); }

}  // namespace

QString filePath() { return paths::programFile(QStringLiteral("浏览器.ini")); }

QString read(const QString& key, const QString& defaultValue)
{
    std::vector<char> buffer(kBufferSize);
    const uint32_t n = platform::GetPrivateProfileStringA(kSection, text::encode(key).constData(),
                                                          text::encode(defaultValue).constData(), buffer.data(),
                                                          kBufferSize, fileName().constData());
    return text::decode(QByteArray(buffer.data(), static_cast<qsizetype>(n)));
}

void write(const QString& key, const QString& value)
{
    platform::WritePrivateProfileStringA(kSection, text::encode(key).constData(), text::encode(value).constData(),
                                         fileName().constData());
}

int parseLevel(const QString& text)
{
    qsizetype i = 0;
    while (i < text.size() && isBlank(narrowed(text[i])))
        ++i;
    bool negative = false;
    if (i < text.size() && (narrowed(text[i]) == u'+' || narrowed(text[i]) == u'-'))
        negative = narrowed(text[i++]) == u'-';
    // Accumulated as a negative number, which reaches INT_MIN; a longer run saturates.
    int value = 0;
    for (; i < text.size(); ++i) {
        const char16_t c = narrowed(text[i]);
        if (c < u'0' || c > u'9')
            break;
        const int digit = c - u'0';
        value = value < (INT_MIN + digit) / 10 ? INT_MIN : value * 10 - digit;
    }
    if (negative)
        return value;
    return value == INT_MIN ? INT_MAX : -value;
}

void applyTextSize(int level, browsing::WebView& view, const QList<QAction*>& levelItems)
{
    if (level < 0 || level >= kLevels)
        return;
    view.setTextSize(level);
    for (qsizetype i = 0; i < levelItems.size(); ++i)
        if (levelItems[i])
            levelItems[i]->setChecked(i == level);
    write(QStringLiteral("zt"), QString::number(level));
}

void restoreTextSize(browsing::WebView& view, const QList<QAction*>& levelItems)
{
    const int level = parseLevel(read(QStringLiteral("zt"), QStringLiteral("2")));
    if (level >= 0 && level < kLevels)
        applyTextSize(level, view, levelItems);
}

void openHomePage(browsing::WebView& view)
{
    view.navigate(read(QStringLiteral("zy"), browsing::defaultHomePage()));
}

// Cancel keeps the stored home page: only a confirmed field, even an empty one, is written.
void homePageCommand()
{
    QString address;
    if (dialogs::inputBox(QStringLiteral("请输入你的主页地址！"), QStringLiteral("主页设置："), address))
        write(QStringLiteral("zy"), address);
}

void markShutdown() { write(QStringLiteral("tzs"), QStringLiteral("1")); }

}  // namespace settings
