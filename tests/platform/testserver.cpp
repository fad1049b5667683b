// A tiny in-process server module: Core2 (a fake Core) and a catalogue class, each object counted
// so the tests can tell whether the runtime created one. A third class is refused by the module
// with a description of its own.
#include "Fakes.h"

#include <algorithm>
#include <memory>
#include <vector>

namespace {

int g_created = 0;
// What happened to each object made, so the module knows whether any is still alive.
std::vector<std::unique_ptr<fake::Counts>> g_made;

class Factory final : public fake::Unknown<vk::IClassFactory> {
public:
    explicit Factory(const vk::Guid& clsid) : m_clsid(clsid) {}

    vk::HResult VK_CALL CreateInstance(vk::IUnknown* outer, const vk::Guid& iid, void** out) override {
        *out = nullptr;
        if (outer)
            return vk::CLASS_E_NOAGGREGATION_;
        fake::Counts* counts = g_made.emplace_back(std::make_unique<fake::Counts>()).get();
        vk::IUnknown* object = nullptr;
        if (m_clsid == talvo::CLSID_Core2)
            object = new fake::Core(counts);
        else
            object = new fake::Catalog(counts);
        ++g_created;
        const vk::HResult h = object->QueryInterface(iid, out);
        object->Release();
        return h;
    }
    vk::HResult VK_CALL LockServer(int32_t) override { return vk::S_OK_; }

private:
    vk::Guid m_clsid;
};

} // namespace

VK_TEST_EXPORT vk::HResult VK_CALL DllGetClassObject(const vk::Guid& clsid, const vk::Guid& iid, void** out) {
    *out = nullptr;
    if (clsid == fake::CLSID_TestRefused) {
        vk::setErrorInfo(u"the test server does not serve this class");
        return vk::CLASS_E_CLASSNOTAVAILABLE_;
    }
    if (clsid != talvo::CLSID_Core2 && clsid != fake::CLSID_TestCatalog)
        return vk::CLASS_E_CLASSNOTAVAILABLE_;
    auto* f = new Factory(clsid);
    const vk::HResult h = f->QueryInterface(iid, out);
    f->Release();
    return h;
}

VK_TEST_EXPORT vk::HResult VK_CALL DllCanUnloadNow() {
    const bool alive = std::any_of(g_made.begin(), g_made.end(), [](const auto& c) { return !c->destroyed; });
    return alive ? vk::S_FALSE_ : vk::S_OK_;
}

VK_TEST_EXPORT int vkcomTestServerCreated() {
    return g_created;
}
