// The simulated platform's server module on the system's COM: the entry points the system asks
// for, around the module's own class factory (SimModule.cpp), plus counters for tests.
//
// The module is a separate image with its own copy of the simulator, and the system loads it by
// itself: a test reaches its platform only through these exports.
#include "simulator/SimModuleHook.h"

#include "platform/ComPtr.h"
#include "platform/talvo.h"
#include "platform/vkcom.h"

#include <atomic>

// The module's own entry (SimModule.cpp); exported under that name only through this wrapper.
extern "C" vk::HResult VK_CALL DllGetClassObject(const vk::Guid& clsid, const vk::Guid& iid, void** out);

namespace {

std::atomic<int32_t> g_created{0};

// Hands every request to the module's factory and counts the instances it makes.
class CountingFactory final : public vk::IClassFactory {
public:
    vk::HResult VK_CALL QueryInterface(const vk::Guid& iid, void** out) override {
        if (!out)
            return vk::E_POINTER_;
        *out = nullptr;
        if (iid != vk::Iid<vk::IUnknown>::value && iid != vk::Iid<vk::IClassFactory>::value)
            return vk::E_NOINTERFACE_;
        *out = static_cast<vk::IClassFactory*>(this);
        return vk::S_OK_;
    }
    uint32_t VK_CALL AddRef() override { return 2; }
    uint32_t VK_CALL Release() override { return 1; }

    vk::HResult VK_CALL CreateInstance(vk::IUnknown* outer, const vk::Guid& iid, void** out) override {
        vk::ComPtr<vk::IClassFactory> inner;
        vk::HResult h =
            DllGetClassObject(talvo::CLSID_Core2, vk::Iid<vk::IClassFactory>::value, inner.putVoid());
        if (vk::failed(h))
            return h;
        h = inner->CreateInstance(outer, iid, out);
        if (vk::succeeded(h))
            ++g_created;
        return h;
    }
    vk::HResult VK_CALL LockServer(int32_t lock) override {
        vk::ComPtr<vk::IClassFactory> inner;
        const vk::HResult h =
            DllGetClassObject(talvo::CLSID_Core2, vk::Iid<vk::IClassFactory>::value, inner.putVoid());
        return vk::failed(h) ? h : inner->LockServer(lock);
    }
};

CountingFactory g_factory;

} // namespace

// Exported through talvosim.def.
extern "C" {

vk::HResult VK_CALL SimWinGetClassObject(const vk::Guid& clsid, const vk::Guid& iid, void** out) {
    if (!out)
        return vk::E_POINTER_;
    *out = nullptr;
    // The module's own entry gives the refusal for other classes, with its description.
    if (clsid != talvo::CLSID_Core2)
        return DllGetClassObject(clsid, iid, out);
    return g_factory.QueryInterface(iid, out);
}

// For tests: how many Core2 instances the module has made in this process.
int32_t VK_CALL SimInstancesCreated() {
    return g_created.load();
}

// For tests: how often an operation ("ICore.Catalog") was called on the platform of the library
// folder registered now; -1 while the module has made none.
int64_t VK_CALL SimCallCount(const char* op) {
    try {
        const std::shared_ptr<sim::Platform> p = sim::modulePlatform();
        return p && op ? static_cast<int64_t>(p->count(op)) : -1;
    } catch (...) {
        return -1;
    }
}

// For tests: objects of the simulated platform alive in this process.
int64_t VK_CALL SimLiveObjects() {
    return sim::moduleLiveObjects();
}

} // extern "C"
