// Fuzz target for the skin file parser. Each input is tried as a whole file and, packed
// behind a valid header and checksum, as the text, so the text rules are reached too.
#include "skin/engine/skinfile.h"

#include <cstdint>
#include <cstdlib>

extern "C" int LLVMFuzzerTestOneInput(const uint8_t* data, size_t size)
{
    const QByteArrayView bytes(reinterpret_cast<const char*>(data), qsizetype(size));
    skinfile::parse(bytes);
    const skinfile::Result result = skinfile::parse(skinfile::pack(bytes));
    if (result.ok()) {
        // What a read skin always holds: a name, the two base colours, no variable left over.
        if (result.skin.name.isEmpty() || !result.skin.colour(QPalette::Window) ||
            !result.skin.colour(QPalette::Button) || result.skin.styleSheet.contains(u'@'))
            std::abort();
    }
    return 0;
}
