// Helper process for the concurrent-writer test: waits for a line on stdin, then writes its
// own key `count` times (values 0 .. count-1) into section "SZ" of the file. After each write
// it checks that its own key reads back as just written and that the other writer's key
// never goes backwards; any lost update ends the process with a non-zero code.
#include "platform/platform.h"

#include <cstdio>
#include <cstdlib>
#include <iostream>
#include <string>

namespace {

long readNumber(const char* file, const char* key)
{
    char buffer[64];
    platform::GetPrivateProfileStringA("SZ", key, "-1", buffer, sizeof buffer, file);
    return std::strtol(buffer, nullptr, 10);
}

}  // namespace

int main(int argc, char** argv)
{
    if (argc != 5) {
        std::cerr << "usage: file own-key other-key count\n";
        return 64;
    }
    const char* file = argv[1];
    const char* own = argv[2];
    const char* other = argv[3];
    const long count = std::strtol(argv[4], nullptr, 10);
    std::string go;
    std::getline(std::cin, go);

    long otherSeen = -1;
    for (long i = 0; i < count; ++i) {
        const std::string value = std::to_string(i);
        if (!platform::WritePrivateProfileStringA("SZ", own, value.c_str(), file)) {
            std::cerr << own << ": write " << i << " failed\n";
            return 2;
        }
        const long back = readNumber(file, own);
        const long otherNow = readNumber(file, other);
        if (back != i) {
            std::cerr << own << ": wrote " << i << ", read back " << back << "\n";
            return 3;
        }
        if (otherNow < otherSeen) {
            std::cerr << own << ": " << other << " went back from " << otherSeen << " to " << otherNow << "\n";
            return 4;
        }
        otherSeen = otherNow;
    }
    return 0;
}
