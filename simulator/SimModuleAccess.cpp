// Reaching the platform of the server module from outside it. The module is a separate image with
// its own copy of this library, so a test executable finds the module's platform by asking the
// already-loaded module itself.
#include "SimModuleHook.h"

#include <dlfcn.h>

namespace sim {

namespace {

// The module as already loaded by the runtime; null when it is not loaded.
void* loadedModule() {
    const std::string path = vk::registrationValue(talvo::CLSID_Core2, "InprocServer", true);
    if (path.empty())
        return nullptr;
    return dlopen(path.c_str(), RTLD_NOW | RTLD_NOLOAD);
}

} // namespace

std::shared_ptr<Platform> modulePlatform() {
    if (detail::g_ownModulePlatform)
        return detail::g_ownModulePlatform();
    std::shared_ptr<Platform> result;
    if (void* module = loadedModule()) {
        if (auto fn = reinterpret_cast<void (*)(std::shared_ptr<Platform>*)>(
                dlsym(module, "talvosimModulePlatform")))
            fn(&result);
        dlclose(module);
    }
    return result;
}

int64_t moduleLiveObjects() {
    if (detail::g_ownModuleLiveObjects)
        return detail::g_ownModuleLiveObjects();
    int64_t result = -1;
    if (void* module = loadedModule()) {
        if (auto fn = reinterpret_cast<int64_t (*)()>(dlsym(module, "talvosimLiveObjects")))
            result = fn();
        dlclose(module);
    }
    return result;
}

} // namespace sim
