// The address history file, any bytes: every entry is a non-empty line, and saving what
// was loaded loads the same list again.
#include "browsing/history.h"
#include "check.h"

extern "C" int LLVMFuzzerTestOneInput(const uint8_t* data, size_t size)
{
    const QByteArray bytes(reinterpret_cast<const char*>(data), static_cast<qsizetype>(size));
    const QStringList entries = browsing::history::parse(bytes);
    for (const QString& entry : entries) {
        FUZZ_REQUIRE(!entry.isEmpty());
        FUZZ_REQUIRE(!entry.contains(QStringLiteral("\r\n")));
        FUZZ_REQUIRE(!entry.contains(QChar(0)));
    }
    FUZZ_REQUIRE(browsing::history::parse(browsing::history::serialize(entries)) == entries);
    return 0;
}
