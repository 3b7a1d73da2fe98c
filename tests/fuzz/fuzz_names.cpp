// Favourite names and file names. Any name (UTF-16, lone surrogates too) maps to one plain
// file name inside the folder that maps back to the name; any file name found on disk maps
// to at most one name, whose file is exactly that one.
#include "check.h"
#include "favourites/names.h"

#include <QStringDecoder>

extern "C" int LLVMFuzzerTestOneInput(const uint8_t* data, size_t size)
{
    // The bytes as a file stem found on disk.
    const QByteArrayView stem(reinterpret_cast<const char*>(data), static_cast<qsizetype>(size));
    if (const std::optional<QString> name = favourites::nameFromStem(stem))
        FUZZ_REQUIRE(favourites::fileStem(*name) == stem);

    // The bytes as a name typed by the user.
    const QString name(reinterpret_cast<const QChar*>(data), static_cast<qsizetype>(size / 2));
    const QByteArray fileStem = favourites::fileStem(name);
    FUZZ_REQUIRE(!fileStem.contains('/') && !fileStem.contains('\0') && !fileStem.startsWith('.'));
    for (char c : fileStem)
        FUZZ_REQUIRE(static_cast<unsigned char>(c) >= 0x20 && c != 0x7F);
    QStringDecoder utf8(QStringDecoder::Utf8);
    (void)utf8.decode(fileStem);
    FUZZ_REQUIRE(!utf8.hasError());
    if (!name.isEmpty()) {
        const std::optional<QString> back = favourites::nameFromStem(fileStem);
        FUZZ_REQUIRE(back.has_value() && *back == name);
    }
    FUZZ_REQUIRE(favourites::fitsFileName(name) == (fileStem.size() + 4 <= favourites::kMaxFileNameBytes));
    return 0;
}
