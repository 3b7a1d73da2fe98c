#pragma once
// The tests talk only to 127.0.0.1: no proxy from the environment may redirect them.
#include <cstdlib>
#include <initializer_list>

namespace testing_support {
inline void dropProxySettings()
{
    for (const char* name : {"http_proxy", "https_proxy", "all_proxy", "HTTP_PROXY", "HTTPS_PROXY", "ALL_PROXY"})
        unsetenv(name);
    setenv("no_proxy", "*", 1);
}
}  // namespace testing_support
