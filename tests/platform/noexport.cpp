// A module that loads but offers no class factory entry.
#ifdef _WIN32
extern "C" __declspec(dllexport) int vkcomTestNothingHere() {
#else
extern "C" __attribute__((visibility("default"))) int vkcomTestNothingHere() {
#endif
    return 42;
}
