#include "favourites/shortcut.h"

#include <gtest/gtest.h>

#include "printing.h"

namespace {

TEST(ShortcutBytes, HeaderThenTheAddressInTheCodePage)
{
    const struct {
        QString address;
        QByteArray addressBytes;
    } cases[] = {
        {QStringLiteral("http://127.0.0.1:8080/a?b=c"), "http://127.0.0.1:8080/a?b=c"},
        {QStringLiteral("http://a/中文"), "http://a/\xD6\xD0\xCE\xC4"},
        {QString(), ""},
    };
    for (const auto& c : cases) {
        const QByteArray bytes = favourites::shortcutBytes(c.address);
        EXPECT_EQ(bytes, QByteArray("[InternetShortcut]\r\nURL=") + c.addressBytes);
        EXPECT_EQ(bytes.size(), 24 + c.addressBytes.size());
        EXPECT_EQ(favourites::addressFromFile(bytes), c.address) << "reads back exactly";
    }
}

}  // namespace
