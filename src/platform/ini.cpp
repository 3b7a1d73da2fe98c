#include "platform/platform.h"

// Placeholder until the INI reader and writer land: every read gives the default and
// nothing is written.
#include <algorithm>
#include <cstring>

namespace platform {

uint32_t GetPrivateProfileStringA(const char*, const char*, const char* defaultValue, char* returned,
                                  uint32_t size, const char*)
{
    if (!returned || size == 0)
        return 0;
    const size_t n = defaultValue ? std::min<size_t>(std::strlen(defaultValue), size - 1) : 0;
    std::memcpy(returned, defaultValue ? defaultValue : "", n);
    returned[n] = 0;
    return static_cast<uint32_t>(n);
}

bool WritePrivateProfileStringA(const char*, const char*, const char*, const char*)
{
    return false;
}

}  // namespace platform
