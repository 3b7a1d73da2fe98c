// The address splitter of the page-source fetch, any text: a split address has a host, a
// port in range and an object starting with "/" and no fragment, and the address handed
// to the HTTP client splits into the same parts again.
#include "check.h"
#include "tools/url.h"

extern "C" int LLVMFuzzerTestOneInput(const uint8_t* data, size_t size)
{
    const QString address = size > 0 && data[0] & 1
                                ? QString(reinterpret_cast<const QChar*>(data + 1), static_cast<qsizetype>((size - 1) / 2))
                                : QString::fromUtf8(reinterpret_cast<const char*>(data), static_cast<qsizetype>(size));
    tools::UrlParts parts;
    if (!tools::splitAddress(address, parts))
        return 0;
    FUZZ_REQUIRE(!parts.scheme.isEmpty() && !parts.host.isEmpty());
    FUZZ_REQUIRE(parts.port >= 0 && parts.port <= 65535);
    FUZZ_REQUIRE(parts.object.startsWith(u'/') && !parts.object.contains(u'#'));

    tools::UrlParts again;
    FUZZ_REQUIRE(tools::splitAddress(tools::requestAddress(parts), again));
    FUZZ_REQUIRE(again.scheme == parts.scheme && again.host == parts.host && again.port == parts.port &&
                 again.object == parts.object);
    return 0;
}
