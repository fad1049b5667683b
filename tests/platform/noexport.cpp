// A module that loads but offers no class factory entry.
extern "C" __attribute__((visibility("default"))) int vkcomTestNothingHere() {
    return 42;
}
