// Answers under the engine's name and only records how it was called.
#include <cstdlib>

extern "C" __attribute__((visibility("default"))) int SkinH_Attach_Ex(const char* skinFile, const char* password)
{
    setenv("SKIN_TEST_ENGINE_FILE", skinFile ? skinFile : "(null)", 1);
    setenv("SKIN_TEST_ENGINE_PASSWORD", password ? password : "(null)", 1);
    return 42;
}
