#pragma once
// A broken promise found by a fuzz target: said on stderr, then abort(), which libFuzzer
// records as a crash with the input that caused it.

#include <cstdio>
#include <cstdlib>

#define FUZZ_REQUIRE(condition)                                                              \
    do {                                                                                     \
        if (!(condition)) {                                                                  \
            std::fprintf(stderr, "%s:%d: broken: %s\n", __FILE__, __LINE__, #condition);      \
            std::abort();                                                                    \
        }                                                                                    \
    } while (false)
