// Reaching the platform of the server module from outside it, on Windows: the module is a
// separate image with its own copy of the simulator, loaded by the system's COM, so a test finds
// the module's platform by asking the already-loaded module itself.
#include "simulator/SimModuleHook.h"

#ifndef NOMINMAX
#define NOMINMAX
#endif
#define WIN32_LEAN_AND_MEAN
#include <windows.h>

#include <string>

namespace sim {

namespace {

// The module as already loaded by the system, found by the path of its registration; null when
// it is not loaded. Loading it here would make a platform nobody asked for.
HMODULE loadedModule() {
    const std::u16string path = vk::fromUtf8(vk::registrationValue(talvo::CLSID_Core2, "InprocServer", true));
    if (path.empty())
        return nullptr;
    return GetModuleHandleW(reinterpret_cast<const wchar_t*>(path.c_str()));
}

template <class F> F entry(HMODULE module, const char* name) {
    return reinterpret_cast<F>(reinterpret_cast<void*>(GetProcAddress(module, name)));
}

} // namespace

std::shared_ptr<Platform> modulePlatform() {
    if (detail::g_ownModulePlatform)
        return detail::g_ownModulePlatform();
    std::shared_ptr<Platform> result;
    if (HMODULE module = loadedModule())
        if (auto fn = entry<void (*)(std::shared_ptr<Platform>*)>(module, "talvosimModulePlatform"))
            fn(&result);
    return result;
}

int64_t moduleLiveObjects() {
    if (detail::g_ownModuleLiveObjects)
        return detail::g_ownModuleLiveObjects();
    if (HMODULE module = loadedModule())
        if (auto fn = entry<int64_t (*)()>(module, "talvosimLiveObjects"))
            return fn();
    return -1;
}

} // namespace sim
