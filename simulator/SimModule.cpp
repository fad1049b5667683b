// The in-process server module of the simulated platform: the class factory of Core2. Each Core2
// instance serves the libraries of the folder named by the class registration's "LibraryFolder";
// the catalogue of a folder is read once, at the first instance made for it.
#include "SimModuleHook.h"

#include "platform/ComError.h"

#include <atomic>
#include <filesystem>
#include <map>
#include <new>

#define TALVOSIM_EXPORT extern "C" __attribute__((visibility("default")))

namespace {

struct ModuleState {
    std::map<std::string, std::shared_ptr<sim::Platform>> byFolder;
    std::shared_ptr<sim::Platform> current;
};

ModuleState& state() {
    static ModuleState s;
    return s;
}

vk::HResult fail(vk::HResult status, const std::string& description) {
    vk::setErrorInfo(vk::fromUtf8(description));
    return status;
}

vk::HResult platformForRegistration(std::shared_ptr<sim::Platform>& out) {
    const std::string folder = vk::registrationValue(talvo::CLSID_Core2, "LibraryFolder", true);
    const std::string reg = vk::registrationPath(talvo::CLSID_Core2);
    if (folder.empty())
        return fail(vk::CO_E_SERVER_EXEC_FAILURE_,
                    "The simulated Talvo platform's registration " + reg + " names no LibraryFolder");
    std::error_code ec;
    if (!std::filesystem::is_directory(folder, ec))
        return fail(vk::CO_E_SERVER_EXEC_FAILURE_, "The simulated Talvo platform's library folder " + folder +
                                                       " (LibraryFolder of " + reg + ") does not exist");
    ModuleState& s = state();
    auto& platform = s.byFolder[folder];
    if (!platform)
        platform = sim::Platform::create(sim::loadCatalogFolder(folder));
    s.current = platform;
    out = platform;
    return vk::S_OK_;
}

class Factory final : public vk::IClassFactory {
public:
    vk::HResult VK_CALL QueryInterface(const vk::Guid& iid, void** out) override {
        if (!out)
            return vk::E_POINTER_;
        *out = nullptr;
        if (iid != vk::Iid<vk::IUnknown>::value && iid != vk::Iid<vk::IClassFactory>::value)
            return fail(vk::E_NOINTERFACE_,
                        "The simulated platform's class factory offers IClassFactory only");
        *out = static_cast<vk::IClassFactory*>(this);
        return vk::S_OK_;
    }
    // One factory for the life of the module: counting is not needed.
    uint32_t VK_CALL AddRef() override { return 2; }
    uint32_t VK_CALL Release() override { return 1; }

    vk::HResult VK_CALL CreateInstance(vk::IUnknown* outer, const vk::Guid& iid, void** out) override {
        if (!out)
            return fail(vk::E_POINTER_, "IClassFactory.CreateInstance: no place for the result was given");
        *out = nullptr;
        if (outer)
            return fail(vk::CLASS_E_NOAGGREGATION_, "The simulated Talvo platform cannot be aggregated");
        try {
            std::shared_ptr<sim::Platform> platform;
            if (vk::HResult h = platformForRegistration(platform); vk::failed(h))
                return h;
            vk::ComPtr<talvo::ICore> core = platform->newCore();
            return core->QueryInterface(iid, out);
        } catch (const std::bad_alloc&) {
            return fail(vk::E_OUTOFMEMORY_, "Out of memory while starting the simulated Talvo platform");
        } catch (const std::exception& e) {
            return fail(vk::E_UNEXPECTED_,
                        std::string("The simulated Talvo platform failed to start: ") + e.what());
        }
    }
    vk::HResult VK_CALL LockServer(int32_t lock) override {
        if (lock)
            ++g_locks;
        else if (g_locks > 0)
            --g_locks;
        return vk::S_OK_;
    }

    // Clients that asked to keep the module loaded.
    static inline std::atomic<int32_t> g_locks{0};
};

Factory g_factory;

std::shared_ptr<sim::Platform> currentPlatform() {
    return state().current;
}
int64_t liveObjects() {
    return sim::Platform::liveObjects();
}

const bool g_hooked = [] {
    sim::detail::g_ownModulePlatform = &currentPlatform;
    sim::detail::g_ownModuleLiveObjects = &liveObjects;
    return true;
}();

} // namespace

TALVOSIM_EXPORT vk::HResult VK_CALL DllGetClassObject(const vk::Guid& clsid, const vk::Guid& iid,
                                                      void** out) {
    if (!out)
        return vk::E_POINTER_;
    *out = nullptr;
    if (clsid != talvo::CLSID_Core2)
        return fail(vk::CLASS_E_CLASSNOTAVAILABLE_,
                    "The simulated Talvo platform module serves Core2 only, not " + vk::toString(clsid));
    return g_factory.QueryInterface(iid, out);
}

// The module can go while none of its objects is alive and no client locked it. The catalogues it
// keeps per library folder are not objects of a client: they go with the module.
TALVOSIM_EXPORT vk::HResult VK_CALL DllCanUnloadNow() {
    return liveObjects() == 0 && Factory::g_locks == 0 ? vk::S_OK_ : vk::S_FALSE_;
}

// For tests in other images: see sim::modulePlatform().
TALVOSIM_EXPORT void talvosimModulePlatform(std::shared_ptr<sim::Platform>* out) {
    if (out)
        *out = currentPlatform();
}

TALVOSIM_EXPORT int64_t talvosimLiveObjects() {
    return liveObjects();
}
