#pragma once
// One private folder per fuzzing process for targets that go through real files; on a
// memory-backed file system when there is one, since every settings write syncs to disk.

#include <cstdlib>
#include <string>
#include <sys/stat.h>
#include <unistd.h>

inline const std::string& fuzzFolder()
{
    static const std::string folder = [] {
        const char* base = access("/dev/shm", W_OK) == 0 ? "/dev/shm" : std::getenv("TMPDIR");
        std::string pattern = std::string(base && *base ? base : "/tmp") + "/sorvane-fuzz-XXXXXX";
        if (!mkdtemp(pattern.data()))
            std::abort();
        return pattern;
    }();
    return folder;
}
