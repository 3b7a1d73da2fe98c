// The settings file's text rules, fed any bytes as the file, the names and the value.
// Besides not crashing: what is stored reads back as itself, a removed key or section is
// gone, and no lookup reads past the file.
#include "check.h"
#include "platform/ini.h"

#include <fuzzer/FuzzedDataProvider.h>

#include <algorithm>
#include <string>

using namespace platform::ini;

extern "C" int LLVMFuzzerTestOneInput(const uint8_t* data, size_t size)
{
    FuzzedDataProvider in(data, size);
    const std::string section = in.ConsumeRandomLengthString(16);
    const std::string key = in.ConsumeRandomLengthString(16);
    const std::string value = in.ConsumeRandomLengthString(64);
    const std::string file = in.ConsumeRemainingBytesAsString();

    const std::optional<std::string> before = lookup(file, section, key);
    const std::vector<std::string> sections = sectionNames(file);
    (void)keyNames(file, section);
    for (std::size_t limit : {std::size_t(0), std::size_t(1), std::size_t(7), file.size()})
        FUZZ_REQUIRE(fittingLength(file, limit) <= std::min(limit, file.size()));

    if (const std::optional<std::string> written = withValue(file, section, key, value)) {
        const std::optional<std::string> back = lookup(*written, section, key);
        FUZZ_REQUIRE(back.has_value());
        FUZZ_REQUIRE(*back == value.substr(0, value.find('\0')));
        const std::vector<std::string> names = keyNames(*written, section);
        FUZZ_REQUIRE(std::any_of(names.begin(), names.end(), [&](const std::string& n) { return sameName(n, trimBlanks(key)); }));
        // Only that key changed: writing the old value back (or removing the key when there
        // was none) reads as the file did before.
        const std::optional<std::string> undone =
            before ? withValue(*written, section, key, *before) : withoutKey(*written, section, key);
        if (undone)  // an old value with a lone CR in it cannot be written back
            FUZZ_REQUIRE(lookup(*undone, section, key) == before);
    }
    if (before) {
        FUZZ_REQUIRE(!lookup(withoutKey(file, section, key), section, key).has_value());
    }
    const std::string cut = withoutSection(file, section);
    FUZZ_REQUIRE(!lookup(cut, section, key).has_value());
    for (const std::string& name : sectionNames(cut))
        FUZZ_REQUIRE(!sameName(name, trimBlanks(section)));
    FUZZ_REQUIRE(sectionNames(cut).size() <= sections.size());
    return 0;
}
