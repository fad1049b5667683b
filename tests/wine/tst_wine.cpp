// The connection to the platform against the system's own COM runtime, in three stages that the
// run script separates by registering the server module and by choosing its library folder:
//
//   tst_wine unregistered   nothing registered yet
//   tst_wine registered     the server module registered, its demo catalogue
//   tst_wine faults         the server module reading tests/wine/faults
//
// Prints one line per check ("PASS name" / "FAIL name: why") and exits non-zero when one failed.
#include "platform/Call.h"
#include "platform/ComError.h"
#include "platform/ComPtr.h"
#include "platform/TCore2.h"
#include "platform/talvo.h"
#include "platform/vkcom.h"

#include <atomic>
#include <cstdio>
#include <exception>
#include <functional>
#include <optional>
#include <string>

#ifndef NOMINMAX
#define NOMINMAX
#endif
#define WIN32_LEAN_AND_MEAN
#include <windows.h>
// The other system headers build on windows.h.
#include <oleauto.h>

using talvo::TCore2;
using vk::ComPtr;

namespace {

const std::string kClassId = "{4689781D-6EFD-41BC-950B-E6983890FA5C}";
int g_failures = 0;

void report(const std::string& name, bool ok, const std::string& why = {}) {
    if (ok)
        std::printf("PASS %s\n", name.c_str());
    else
        std::printf("FAIL %s: %s\n", name.c_str(), why.c_str());
    if (!ok)
        ++g_failures;
    std::fflush(stdout);
}

// One group of checks; an unexpected error fails the group with its text.
struct Group {
    std::string name;
    std::string why;
    bool ok = true;
    void expect(bool cond, const std::string& what) {
        if (!cond && ok) {
            ok = false;
            why = what;
        }
    }
};

void run(const std::string& name, const std::function<void(Group&)>& body) {
    Group g{name, {}};
    try {
        body(g);
    } catch (const vk::ComError& e) {
        g.expect(false, "unexpected error " + std::to_string(e.code()) + ": " + e.what());
    } catch (const std::exception& e) {
        g.expect(false, std::string("unexpected exception: ") + e.what());
    }
    report(g.name, g.ok, g.why);
}

std::string hex(vk::HResult h) {
    char buf[16];
    std::snprintf(buf, sizeof buf, "0x%08X", static_cast<uint32_t>(h));
    return buf;
}

bool endsWith(const std::string& s, const std::string& tail) {
    return s.size() >= tail.size() && s.compare(s.size() - tail.size(), tail.size(), tail) == 0;
}

// The error a call raised, or nothing.
template <class F> std::optional<vk::ComError> errorOf(F&& f) {
    try {
        f();
    } catch (const vk::ComError& e) {
        return e;
    }
    return std::nullopt;
}

// The server module's test counters, once COM has loaded it into this process.
HMODULE serverModule() {
    return GetModuleHandleW(L"talvosim.dll");
}

int32_t instancesCreated() {
    HMODULE m = serverModule();
    if (!m)
        return 0;
    auto f = reinterpret_cast<int32_t(VK_CALL*)()>(
        reinterpret_cast<void*>(GetProcAddress(m, "SimInstancesCreated")));
    return f ? f() : -1;
}

int64_t liveObjects() {
    HMODULE m = serverModule();
    if (!m)
        return -1;
    auto f =
        reinterpret_cast<int64_t(VK_CALL*)()>(reinterpret_cast<void*>(GetProcAddress(m, "SimLiveObjects")));
    return f ? f() : -1;
}

int64_t callCount(const char* op) {
    HMODULE m = serverModule();
    if (!m)
        return -1;
    auto f = reinterpret_cast<int64_t(VK_CALL*)(const char*)>(
        reinterpret_cast<void*>(GetProcAddress(m, "SimCallCount")));
    return f ? f(op) : -1;
}

// An object of our own that is no platform: it knows IUnknown only.
class NotACore final : public vk::IUnknown {
public:
    vk::HResult VK_CALL QueryInterface(const vk::Guid& iid, void** out) override {
        if (!out)
            return vk::E_POINTER_;
        *out = nullptr;
        if (iid != vk::Iid<vk::IUnknown>::value)
            return vk::E_NOINTERFACE_;
        AddRef();
        *out = this;
        return vk::S_OK_;
    }
    uint32_t VK_CALL AddRef() override { return ++m_refs; }
    uint32_t VK_CALL Release() override { return --m_refs; } // lives on the stack
    uint32_t refs() const { return m_refs; }

private:
    std::atomic<uint32_t> m_refs{1};
};

// ---------------------------------------------------------------------------------------------

void runtimeBasics() {
    run("runtime: strings, variants and error information of the system", [](Group& g) {
        const std::u16string text = u"Grüße \u20AC \U0001F50A";
        vk::UniqueBstr b(text);
        g.expect(b.get() && vk::bstrLen(b.get()) == text.size() && b.view() == text, "BSTR round trip");
        g.expect(SysStringLen(reinterpret_cast<BSTR>(b.get())) == text.size(),
                 "BSTR length as the system sees it");
        vk::VariantHolder s = vk::VariantHolder::fromString(text);
        vk::VariantHolder copy = s;
        g.expect(copy.ref().vt == vk::VT_BSTR_ && copy.ref().bstrVal != s.ref().bstrVal &&
                     vk::bstrView(copy.ref().bstrVal) == text,
                 "variant copy makes its own string");
        copy.clear();
        g.expect(copy.isEmpty(), "cleared variant is empty");
        vk::setErrorInfo(u"Beschreibung ü");
        std::u16string d;
        g.expect(vk::takeErrorInfo(d) && d == u"Beschreibung ü", "error information round trip");
        g.expect(!vk::takeErrorInfo(d), "taking the error information empties the slot");
        vk::setErrorInfo(u"stale");
        vk::clearErrorInfo();
        g.expect(!vk::takeErrorInfo(d), "cleared error information is gone");
        const auto e = errorOf([] { vk::throwComError(vk::E_FAIL_); });
        g.expect(e && e->code() == vk::E_FAIL_ && std::string(e->what()) == vk::statusText(vk::E_FAIL_),
                 "without a description the status text is the message");
        g.expect(vk::statusText(vk::REGDB_E_CLASSNOTREG_) == "Class not registered" ||
                     !vk::statusText(vk::REGDB_E_CLASSNOTREG_).empty(),
                 "a text for class not registered");
        g.expect(vk::statusText(vk::E_FAIL_).find('\n') == std::string::npos &&
                     !endsWith(vk::statusText(vk::E_FAIL_), "."),
                 "system texts lose their line break and full stop");
    });
}

void unregistered() {
    runtimeBasics();
    run("not registered: the error names the class", [](Group& g) {
        g.expect(vk::registrationPath(talvo::CLSID_Core2).empty(), "a class registration exists already");
        TCore2 core;
        g.expect(!core.isConnected(), "construction connected");
        const auto e = errorOf([&] { core.Catalog(); });
        g.expect(bool(e), "Catalog succeeded without a server");
        if (!e)
            return;
        const std::string msg = e->what();
        g.expect(e->code() == vk::REGDB_E_CLASSNOTREG_, "status " + hex(e->code()));
        g.expect(msg == vk::statusText(vk::REGDB_E_CLASSNOTREG_) + ", ClassID: " + kClassId,
                 "message \"" + msg + "\"");
        g.expect(!core.isConnected(), "connected after a failure");
        std::printf("     message: %s\n", msg.c_str());
    });
}

void registered() {
    runtimeBasics();
    run("registration: the machine-wide class key of the server module", [](Group& g) {
        g.expect(vk::registrationPath(talvo::CLSID_Core2) == "HKEY_CLASSES_ROOT\\CLSID\\" + kClassId,
                 "registrationPath \"" + vk::registrationPath(talvo::CLSID_Core2) + "\"");
        const std::string module = vk::registrationValue(talvo::CLSID_Core2, "InprocServer");
        g.expect(endsWith(module, "\\talvosim.dll"), "InprocServer \"" + module + "\"");
        const std::string folder = vk::registrationValue(talvo::CLSID_Core2, "LibraryFolder", true);
        g.expect(folder.size() > 2 && folder[1] == ':',
                 "LibraryFolder not made absolute: \"" + folder + "\"");
        g.expect(vk::registrationValue(talvo::CLSID_Core2, "ThreadingModel").empty(),
                 "a value of the subkey read as one of the class key");
        g.expect(vk::registrationValue(talvo::CLSID_Core2, "NoSuchValue").empty(),
                 "an absent value is not empty");
    });

    run("no running instance: the first Catalog creates one, later ones reuse it", [](Group& g) {
        ComPtr<vk::IUnknown> none;
        g.expect(vk::getActiveObject(talvo::CLSID_Core2, none.put()) == vk::MK_E_UNAVAILABLE_ && !none,
                 "something is running already");
        TCore2 core;
        g.expect(!serverModule() && !core.isConnected(), "construction loaded or connected the server");
        const int32_t count = vk::call(core.Catalog(), &talvo::ICatalog::Count);
        g.expect(count > 0, "an empty demo catalogue");
        g.expect(instancesCreated() == 1, "instances made: " + std::to_string(instancesCreated()));
        for (int i = 0; i < 200; ++i)
            vk::call(core.Catalog(), &talvo::ICatalog::Count);
        g.expect(instancesCreated() == 1,
                 "instances after many calls: " + std::to_string(instancesCreated()));
        g.expect(callCount("ICore.Catalog") == 201,
                 "ICore.Catalog calls seen by the server: " + std::to_string(callCount("ICore.Catalog")));
        g.expect(callCount("ICore.QueryInterface(ICore)") <= 1, "ICore asked more than once");
    });

    run("running instance: attached to, none created", [](Group& g) {
        const int32_t before = instancesCreated();
        ComPtr<vk::IUnknown> object;
        vk::check(vk::coCreateInstance(talvo::CLSID_Core2, nullptr, vk::CLSCTX_INPROC_SERVER_,
                                       vk::Iid<vk::IUnknown>::value, object.putVoid()));
        g.expect(instancesCreated() == before + 1, "the instance to register was not made by the module");
        uint32_t cookie = 0;
        vk::check(vk::registerActiveObject(object.get(), talvo::CLSID_Core2, &cookie));
        {
            TCore2 core;
            vk::call(core.Catalog(), &talvo::ICatalog::Count);
            g.expect(instancesCreated() == before + 1,
                     "a new instance was created: " + std::to_string(instancesCreated() - before - 1));
            const ComPtr<talvo::ICore> held = core.DefaultInterface();
            const ComPtr<talvo::ICore> registeredCore = object.query<talvo::ICore>();
            g.expect(held == registeredCore, "attached to another object than the registered one");
        }
        g.expect(vk::succeeded(vk::revokeActiveObject(cookie)), "revoke failed");
        ComPtr<vk::IUnknown> none;
        g.expect(vk::getActiveObject(talvo::CLSID_Core2, none.put()) == vk::MK_E_UNAVAILABLE_,
                 "still running after revoke");
    });

    run("refused ICore: \"Interface not supported\", nothing created", [](Group& g) {
        const int32_t before = instancesCreated();
        NotACore impostor;
        uint32_t cookie = 0;
        vk::check(vk::registerActiveObject(&impostor, talvo::CLSID_Core2, &cookie));
        {
            TCore2 core;
            const auto e = errorOf([&] { core.Catalog(); });
            g.expect(e && e->code() == vk::E_NOINTERFACE_ &&
                         std::string(e->what()) == "Interface not supported",
                     e ? "message \"" + std::string(e->what()) + "\"" : "Catalog succeeded");
            g.expect(!core.isConnected(), "connected to an object without ICore");
        }
        vk::check(vk::revokeActiveObject(cookie));
        g.expect(instancesCreated() == before, "an instance was created");
        g.expect(impostor.refs() == 1,
                 "references left on the object: " + std::to_string(impostor.refs() - 1));
    });

    run("object model: queries and index variants through the system", [](Group& g) {
        TCore2 core;
        ComPtr<talvo::ICatalog> catalog = core.Catalog();
        ComPtr<talvo::ICatalogEntry> first =
            vk::call(catalog, &talvo::ICatalog::Item, vk::VariantHolder::fromInt(0).get());
        const std::u16string name = vk::call(first, &talvo::ICatalogEntry::Name);
        ComPtr<talvo::ICatalogEntry> byName =
            vk::call(catalog, &talvo::ICatalog::Item, vk::VariantHolder::fromString(name).get());
        g.expect(vk::call(byName, &talvo::ICatalogEntry::Name) == name, "Item by name gave another entry");
        const auto bad = errorOf(
            [&] { vk::call(catalog, &talvo::ICatalog::Item, vk::VariantHolder::fromInt(1 << 30).get()); });
        g.expect(bad && bad->code() == vk::DISP_E_BADINDEX_ &&
                     std::string(bad->what()).find("out of range") != std::string::npos,
                 bad ? "message \"" + std::string(bad->what()) + "\""
                     : "a position far out of range was accepted");
        ComPtr<talvo::ILibrary> refused;
        g.expect(catalog.tryQuery(refused) == vk::E_NOINTERFACE_ && !refused,
                 "a catalogue claims to be a library");
    });

    run("every object handed out through the system is released again", [](Group& g) {
        g.expect(liveObjects() == 0, "objects of the platform still alive: " + std::to_string(liveObjects()));
    });
}

void faults() {
    run("failing calls: the server's description through the system's error information", [](Group& g) {
        TCore2 core;
        const auto first = errorOf([&] { core.Catalog(); });
        g.expect(first && first->code() == vk::E_FAIL_ &&
                     std::string(first->what()) == "Katalog gesperrt: Wartung läuft ✓",
                 first ? "message \"" + std::string(first->what()) + "\"" : "the fault did not fire");
        g.expect(core.isConnected(), "a failing Catalog undid the connection");

        ComPtr<talvo::ICatalog> catalog = core.Catalog();
        ComPtr<talvo::ILibrary> library = vk::call(
            vk::call(catalog, &talvo::ICatalog::Item, vk::VariantHolder::fromString(u"Faulty").get()),
            &talvo::ICatalogEntry::Library);
        const auto plain = errorOf([&] { vk::call(library, &talvo::ILibrary::Products); });
        g.expect(plain && plain->code() == vk::E_NOTIMPL_ &&
                     std::string(plain->what()) == vk::statusText(vk::E_NOTIMPL_),
                 plain ? "message \"" + std::string(plain->what()) + "\"" : "the fault did not fire");
        auto products = [&] {
            return vk::call(vk::call(library, &talvo::ILibrary::Products), &talvo::IProducts::Count);
        };
        g.expect(products() == 0, "the fault fired more than once, or the library is not locked");
        // The password goes in as a string of the system; a wrong one leaves the library locked.
        vk::call(library, &talvo::ILibrary::Unlock, vk::UniqueBstr(u"Schlüssel").get());
        g.expect(products() == 0, "a wrong password unlocked the library");
        vk::UniqueBstr password(u"Schlüssel ✓");
        vk::call(library, &talvo::ILibrary::Unlock, password.get());
        password.wipe();
        g.expect(!password.get(), "a wiped password is still held");
        g.expect(products() == 1, "the right password did not unlock the library");

        const auto broken = errorOf([&] {
            vk::call(vk::call(core.Catalog(), &talvo::ICatalog::Item,
                              vk::VariantHolder::fromString(u"b-broken").get()),
                     &talvo::ICatalogEntry::Library);
        });
        g.expect(broken && std::string(broken->what()).rfind("b-broken.json: ", 0) == 0,
                 broken ? "message \"" + std::string(broken->what()) + "\"" : "a broken library opened");
        if (first)
            std::printf("     message: %s\n", first->what());
        if (broken)
            std::printf("     message: %s\n", broken->what());
    });
}

} // namespace

int main(int argc, char** argv) {
    const std::string stage = argc > 1 ? argv[1] : "";
    if (vk::failed(vk::coInitialize())) {
        std::printf("FAIL apartment: CoInitializeEx\n");
        return 1;
    }
    if (stage == "unregistered")
        unregistered();
    else if (stage == "registered")
        registered();
    else if (stage == "faults")
        faults();
    else {
        std::printf("usage: tst_wine unregistered|registered|faults\n");
        ++g_failures;
    }
    vk::coUninitialize();
    return g_failures ? 1 : 0;
}
