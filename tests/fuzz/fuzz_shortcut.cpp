// The favourite file reader, any bytes: the address is one line; and any address the
// program writes into a favourite reads back unchanged.
#include "check.h"
#include "common/text.h"
#include "favourites/shortcut.h"

extern "C" int LLVMFuzzerTestOneInput(const uint8_t* data, size_t size)
{
    const QByteArray bytes(reinterpret_cast<const char*>(data), static_cast<qsizetype>(size));
    const QString address = favourites::addressFromFile(bytes);
    FUZZ_REQUIRE(!address.contains(u'\r') && !address.contains(u'\n') && !address.contains(QChar(0)));

    // The same bytes taken as an address (what a page may report as its own).
    QString written = text::decode(bytes);
    written.remove(u'\r').remove(u'\n').remove(QChar(0));
    FUZZ_REQUIRE(favourites::addressFromFile(favourites::shortcutBytes(written)) == written);
    return 0;
}
