// The profile functions on a real file holding any bytes: lookups with small buffers stay
// inside them and end in zero bytes; a write that succeeds reads back; a write that fails
// leaves the file as it was.
#include "check.h"
#include "platform/platform.h"
#include "tempfolder.h"

#include <fuzzer/FuzzedDataProvider.h>

#include <cstdio>
#include <cstring>
#include <fstream>
#include <iterator>
#include <string>
#include <vector>

namespace {

std::string contents(const std::string& path)
{
    std::ifstream in(path, std::ios::binary);
    return std::string(std::istreambuf_iterator<char>(in), {});
}

// Calls the lookup into a buffer with guard bytes on both sides.
std::string lookupInto(uint32_t size, const char* section, const char* key, const char* fallback,
                       const std::string& path)
{
    constexpr char kGuard = '\x5A';
    std::vector<char> buffer(size + 16, kGuard);
    const uint32_t n = platform::GetPrivateProfileStringA(section, key, fallback, buffer.data() + 8, size, path.c_str());
    for (int i = 0; i < 8; ++i)
        FUZZ_REQUIRE(buffer[i] == kGuard && buffer[buffer.size() - 1 - i] == kGuard);
    if (size == 0)
        return {};
    const char* out = buffer.data() + 8;
    FUZZ_REQUIRE(n <= size - 1);
    FUZZ_REQUIRE(out[n] == '\0');
    if (!section || !key) {
        // Names each end in a zero byte and the list in a second one; a list cut short
        // ends in two zero bytes and counts size - 2.
        FUZZ_REQUIRE(n == 0 || out[n - 1] == '\0' || (n == size - 2 && out[n + 1] == '\0'));
    } else {
        FUZZ_REQUIRE(std::strlen(out) == n);
    }
    return std::string(out, n);
}

}  // namespace

extern "C" int LLVMFuzzerTestOneInput(const uint8_t* data, size_t size)
{
    FuzzedDataProvider in(data, size);
    const std::string section = in.ConsumeRandomLengthString(12);
    const std::string key = in.ConsumeRandomLengthString(12);
    const std::string value = in.ConsumeRandomLengthString(48);
    const uint32_t small = in.ConsumeIntegralInRange<uint32_t>(0, 40);
    const std::string file = in.ConsumeRemainingBytesAsString();

    const std::string path = fuzzFolder() + "/浏览器.ini";
    {
        std::ofstream out(path, std::ios::binary | std::ios::trunc);
        out << file;
    }
    for (uint32_t bufferSize : {small, uint32_t(1), uint32_t(2), uint32_t(4096)}) {
        lookupInto(bufferSize, section.c_str(), key.c_str(), "d", path);
        lookupInto(bufferSize, section.c_str(), nullptr, "", path);
        lookupInto(bufferSize, nullptr, nullptr, "", path);
    }

    if (platform::WritePrivateProfileStringA(section.c_str(), key.c_str(), value.c_str(), path.c_str())) {
        const std::string back = lookupInto(4096, section.c_str(), key.c_str(), "\x01 missing", path);
        FUZZ_REQUIRE(back == std::string(value.c_str()));
    } else {
        FUZZ_REQUIRE(contents(path) == file);
    }
    const std::string afterWrite = contents(path);
    if (!platform::WritePrivateProfileStringA(section.c_str(), key.c_str(), nullptr, path.c_str()))
        FUZZ_REQUIRE(contents(path) == afterWrite);
    std::remove(path.c_str());
    return 0;
}
