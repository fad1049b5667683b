// The component runtime on systems without one of their own.
#include "vkcom.h"
#include "ComError.h"
#include "vkcom_shared.h"

#include <dlfcn.h>
#include <unistd.h>

#include <cstdlib>
#include <cstring>
#include <filesystem>
#include <fstream>
#include <mutex>
#include <new>
#include <utility>
#include <vector>

namespace fs = std::filesystem;

namespace vk {

// ---------------------------------------------------------------------------------------------
// Statuses: with no system texts to ask, ours are the only ones.

std::string statusText(HResult h) {
    return detail::ownStatusText(h);
}

// ---------------------------------------------------------------------------------------------
// Wide strings: [uint32 byte length][characters][u'\0'], the pointer handed out is to the characters.

Bstr bstrAlloc(const char16_t* text, uint32_t length) {
    const size_t bytes = size_t(length) * sizeof(char16_t);
    if (bytes > 0xFFFFFFF0u)
        return nullptr;
    auto* block = static_cast<unsigned char*>(std::malloc(sizeof(uint32_t) + bytes + sizeof(char16_t)));
    if (!block)
        return nullptr;
    const uint32_t prefix = static_cast<uint32_t>(bytes);
    std::memcpy(block, &prefix, sizeof prefix);
    auto* chars = reinterpret_cast<char16_t*>(block + sizeof(uint32_t));
    if (text)
        std::memcpy(chars, text, bytes);
    else
        std::memset(chars, 0, bytes);
    chars[length] = u'\0';
    return chars;
}

void bstrFree(Bstr s) {
    if (s)
        std::free(reinterpret_cast<unsigned char*>(s) - sizeof(uint32_t));
}

uint32_t bstrLen(const char16_t* s) {
    if (!s)
        return 0;
    uint32_t bytes;
    std::memcpy(&bytes, reinterpret_cast<const unsigned char*>(s) - sizeof(uint32_t), sizeof bytes);
    return bytes / sizeof(char16_t);
}

void UniqueBstr::wipe() {
    if (m_s) {
        // volatile, so the overwrite of a block about to be freed is not optimised away
        volatile char16_t* p = m_s;
        for (uint32_t i = 0, n = bstrLen(m_s); i < n; ++i)
            p[i] = u'\0';
    }
    bstrFree(m_s);
    m_s = nullptr;
}

// ---------------------------------------------------------------------------------------------
// Variants

void variantClear(Variant& v) {
    if (v.vt == VT_BSTR_)
        bstrFree(v.bstrVal);
    v.vt = VT_EMPTY_;
    v.reserved1 = v.reserved2 = v.reserved3 = 0;
    v.record[0] = v.record[1] = nullptr;
}

HResult variantCopy(Variant& dst, const Variant& src) {
    if (&dst == &src)
        return S_OK_;
    variantClear(dst);
    if (src.vt == VT_BSTR_) {
        Bstr copy = nullptr;
        if (src.bstrVal) {
            copy = bstrAlloc(src.bstrVal, bstrLen(src.bstrVal));
            if (!copy)
                return E_OUTOFMEMORY_;
        }
        dst.vt = VT_BSTR_;
        dst.bstrVal = copy;
        return S_OK_;
    }
    // Every other kind holds its value in place.
    std::memcpy(static_cast<void*>(&dst), &src, sizeof(Variant));
    return S_OK_;
}

// ---------------------------------------------------------------------------------------------
// Error information

namespace {

struct ErrorSlot {
    bool set = false;
    std::u16string description;
};
thread_local ErrorSlot t_error;

} // namespace

void setErrorInfo(std::u16string_view description) {
    t_error.set = true;
    t_error.description.assign(description);
}

void clearErrorInfo() {
    t_error.set = false;
    t_error.description.clear();
}

bool takeErrorInfo(std::u16string& description) {
    if (!t_error.set)
        return false;
    description = std::move(t_error.description);
    clearErrorInfo();
    return true;
}

// ---------------------------------------------------------------------------------------------
// Apartment

namespace {

thread_local int t_initCount = 0;

struct LoadedModule {
    std::string path;
    void* handle;
};
// The server modules creations on this thread loaded, asked at the apartment's end whether they
// could unload.
thread_local std::vector<LoadedModule> t_modules;

void noteLoaded(const std::string& path, void* handle) {
    for (const LoadedModule& m : t_modules)
        if (m.handle == handle)
            return;
    t_modules.push_back({path, handle});
}

} // namespace

HResult coInitialize() {
    return t_initCount++ == 0 ? S_OK_ : S_FALSE_;
}

void coUninitialize() {
    if (t_initCount == 0 || --t_initCount > 0)
        return;
    // Modules stay loaded (see coCreateInstance); the question is only asked.
    const std::vector<LoadedModule> modules = std::exchange(t_modules, {});
    for (const LoadedModule& m : modules)
        detail::checkModuleCanUnload(m.path,
                                     reinterpret_cast<HResult (*)()>(dlsym(m.handle, "DllCanUnloadNow")));
}

// ---------------------------------------------------------------------------------------------
// Class registrations

namespace {

std::vector<fs::path> classFolders() {
    std::vector<fs::path> folders;
    const char* home = std::getenv("XDG_DATA_HOME");
    if (home && *home == '/') {
        folders.emplace_back(home);
    } else if (const char* h = std::getenv("HOME"); h && *h) {
        folders.emplace_back(fs::path(h) / ".local/share");
    }
    const char* dirs = std::getenv("XDG_DATA_DIRS");
    std::string_view list = dirs && *dirs ? dirs : "/usr/local/share:/usr/share";
    while (!list.empty()) {
        const size_t colon = list.find(':');
        std::string_view one = list.substr(0, colon);
        if (!one.empty() && one.front() == '/')
            folders.emplace_back(std::string(one));
        if (colon == std::string_view::npos)
            break;
        list.remove_prefix(colon + 1);
    }
    for (fs::path& f : folders)
        f /= "vkcom/classes";
    std::error_code ec;
    fs::path exe = fs::read_symlink("/proc/self/exe", ec);
    if (!ec && !exe.empty())
        folders.push_back(exe.parent_path() / "vkcom/classes");
    return folders;
}

std::string_view trim(std::string_view s) {
    const char* blanks = " \t\r\n";
    const size_t b = s.find_first_not_of(blanks);
    if (b == std::string_view::npos)
        return {};
    return s.substr(b, s.find_last_not_of(blanks) - b + 1);
}

// The value of key in a registration file; false when the file has no such line.
bool readValue(const std::string& file, std::string_view key, std::string& value) {
    std::ifstream in(file);
    std::string line;
    while (std::getline(in, line)) {
        std::string_view l = trim(line);
        if (l.empty() || l.front() == '#')
            continue;
        const size_t eq = l.find('=');
        if (eq == std::string_view::npos)
            continue;
        if (trim(l.substr(0, eq)) != key)
            continue;
        value = std::string(trim(l.substr(eq + 1)));
        return true;
    }
    return false;
}

std::string resolveAgainst(const std::string& regFile, const std::string& value) {
    fs::path p(value);
    if (p.is_absolute())
        return value;
    return (fs::path(regFile).parent_path() / p).lexically_normal().string();
}

void setError(const std::string& text) {
    setErrorInfo(fromUtf8(text));
}

} // namespace

std::string registrationPath(const Guid& clsid) {
    try {
        const std::string name = toString(clsid) + ".reg";
        for (const fs::path& folder : classFolders()) {
            std::error_code ec;
            fs::path file = folder / name;
            if (fs::is_regular_file(file, ec))
                return file.string();
        }
    } catch (...) {
    }
    return {};
}

std::string registrationValue(const Guid& clsid, std::string_view key, bool resolvePath) {
    try {
        const std::string file = registrationPath(clsid);
        std::string value;
        if (file.empty() || !readValue(file, key, value) || value.empty())
            return {};
        return resolvePath ? resolveAgainst(file, value) : value;
    } catch (...) {
        return {};
    }
}

// ---------------------------------------------------------------------------------------------
// Creation

HResult coCreateInstance(const Guid& clsid, IUnknown* outer, uint32_t clsctx, const Guid& iid, void** out) {
    if (!out)
        return E_POINTER_;
    *out = nullptr;
    clearErrorInfo();
    if (outer)
        return CLASS_E_NOAGGREGATION_;
    if (!(clsctx & CLSCTX_INPROC_SERVER_)) {
        setError("Cannot create " + toString(clsid) + ": local servers are not supported here");
        return CO_E_SERVER_EXEC_FAILURE_;
    }
    try {
        const std::string reg = registrationPath(clsid);
        if (reg.empty())
            return REGDB_E_CLASSNOTREG_;
        std::string module;
        if (!readValue(reg, "InprocServer", module) || module.empty()) {
            setError("Class registration " + reg + " names no InprocServer");
            return REGDB_E_CLASSNOTREG_;
        }
        module = resolveAgainst(reg, module);

        // Modules stay loaded for the life of the process: objects and running-object entries
        // may outlive any one creation.
        dlerror();
        void* handle = dlopen(module.c_str(), RTLD_NOW | RTLD_LOCAL);
        if (!handle) {
            const char* why = dlerror();
            setError("Cannot load the server module " + module + ": " + (why ? why : "unknown reason"));
            return CO_E_DLLNOTFOUND_;
        }
        noteLoaded(module, handle);
        auto entry = reinterpret_cast<DllGetClassObjectFn>(dlsym(handle, "DllGetClassObject"));
        if (!entry) {
            setError("The server module " + module + " does not export DllGetClassObject");
            return CO_E_ERRORINDLL_;
        }

        IClassFactory* factory = nullptr;
        HResult h = entry(clsid, Iid<IClassFactory>::value, reinterpret_cast<void**>(&factory));
        if (failed(h))
            return h;
        if (!factory) {
            setError("The server module " + module + " gave no class factory for " + toString(clsid));
            return CLASS_E_CLASSNOTAVAILABLE_;
        }
        h = factory->CreateInstance(nullptr, iid, out);
        factory->Release();
        if (succeeded(h) && !*out)
            return E_NOINTERFACE_;
        return h;
    } catch (const std::bad_alloc&) {
        return E_OUTOFMEMORY_;
    } catch (...) {
        return E_UNEXPECTED_;
    }
}

// ---------------------------------------------------------------------------------------------
// Running-object table

namespace {

struct RunningObject {
    uint32_t cookie;
    Guid clsid;
    IUnknown* object;
};

struct RunningTable {
    std::recursive_mutex lock;
    std::vector<RunningObject> entries;
    uint32_t nextCookie = 1;
};

// Never destroyed: objects still registered at exit may live in modules whose code is already
// gone by then, so they are not released from a static destructor.
RunningTable& runningTable() {
    static RunningTable* table = new RunningTable;
    return *table;
}

} // namespace

HResult registerActiveObject(IUnknown* object, const Guid& clsid, uint32_t* cookie) {
    if (!object || !cookie)
        return E_INVALIDARG_;
    RunningTable& t = runningTable();
    std::lock_guard guard(t.lock);
    try {
        t.entries.push_back({t.nextCookie, clsid, object});
    } catch (...) {
        return E_OUTOFMEMORY_;
    }
    object->AddRef();
    *cookie = t.nextCookie++;
    return S_OK_;
}

HResult revokeActiveObject(uint32_t cookie) {
    RunningTable& t = runningTable();
    IUnknown* object = nullptr;
    {
        std::lock_guard guard(t.lock);
        for (auto it = t.entries.begin(); it != t.entries.end(); ++it) {
            if (it->cookie == cookie) {
                object = it->object;
                t.entries.erase(it);
                break;
            }
        }
    }
    if (!object)
        return E_INVALIDARG_;
    object->Release();
    return S_OK_;
}

HResult getActiveObject(const Guid& clsid, IUnknown** out) {
    if (!out)
        return E_POINTER_;
    *out = nullptr;
    RunningTable& t = runningTable();
    IUnknown* object = nullptr;
    {
        std::lock_guard guard(t.lock);
        for (const RunningObject& e : t.entries) {
            if (e.clsid == clsid) {
                object = e.object;
                object->AddRef();
                break;
            }
        }
    }
    if (!object)
        return MK_E_UNAVAILABLE_;
    HResult h = object->QueryInterface(Iid<IUnknown>::value, reinterpret_cast<void**>(out));
    object->Release();
    if (succeeded(h) && !*out)
        return E_NOINTERFACE_;
    return h;
}

} // namespace vk
