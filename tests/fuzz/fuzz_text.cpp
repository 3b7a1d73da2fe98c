// The code page conversion and the byte rules, any bytes: splitting at CR LF loses and adds
// nothing, a search finds only real matches that start a character, and text survives the
// trip through the code page.
#include "check.h"
#include "common/text.h"

#include <fuzzer/FuzzedDataProvider.h>

extern "C" int LLVMFuzzerTestOneInput(const uint8_t* data, size_t size)
{
    FuzzedDataProvider in(data, size);
    const std::string needleBytes = in.ConsumeRandomLengthString(8);
    const std::string rest = in.ConsumeRemainingBytesAsString();
    const QByteArray needle(needleBytes.data(), static_cast<qsizetype>(needleBytes.size()));
    const QByteArray bytes(rest.data(), static_cast<qsizetype>(rest.size()));

    const QList<QByteArray> pieces = text::splitCrLf(bytes);
    QByteArray joined = pieces.join("\r\n");
    if (bytes.endsWith("\r\n"))
        joined += "\r\n";
    FUZZ_REQUIRE(joined == bytes);
    for (const QByteArray& piece : pieces)
        FUZZ_REQUIRE(!piece.contains("\r\n"));

    const qsizetype at = text::find(bytes, needle);
    if (at != -1) {
        FUZZ_REQUIRE(at >= 1 && at + needle.size() - 1 <= bytes.size());
        FUZZ_REQUIRE(bytes.mid(at - 1, needle.size()) == needle);
        qsizetype start = 0;  // at - 1 is where a character starts
        while (start < at - 1)
            start += text::charLength(bytes, start);
        FUZZ_REQUIRE(start == at - 1);
    }
    for (qsizetype i = 0; i < bytes.size(); ++i) {
        const int n = text::charLength(bytes, i);
        FUZZ_REQUIRE((n == 1 || n == 2 || n == 4) && i + n <= bytes.size());
    }
    FUZZ_REQUIRE(!text::cutAtZero(bytes).contains('\0'));
    FUZZ_REQUIRE(text::left(bytes, needle.size() - 4).size() <= bytes.size());
    FUZZ_REQUIRE(text::right(bytes, qsizetype(rest.size()) + 1) == bytes);

    // GB18030 holds every Unicode character: decoded text encodes and decodes to itself.
    const QString decoded = text::decode(bytes);
    FUZZ_REQUIRE(text::decode(text::encode(decoded)) == decoded);
    const QString utf16(reinterpret_cast<const QChar*>(rest.data()), static_cast<qsizetype>(rest.size() / 2));
    bool loneSurrogate = false;
    for (qsizetype i = 0; i < utf16.size(); ++i) {
        if (utf16[i].isHighSurrogate() && i + 1 < utf16.size() && utf16[i + 1].isLowSurrogate())
            ++i;
        else if (utf16[i].isSurrogate())
            loneSurrogate = true;
    }
    if (!loneSurrogate)
        FUZZ_REQUIRE(text::decode(text::encode(utf16)) == utf16);
    return 0;
}
