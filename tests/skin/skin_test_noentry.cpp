// A library under the engine's name that exports something else.
extern "C" __attribute__((visibility("default"))) int SkinH_Attach(const char*, const char*)
{
    return 0;
}
