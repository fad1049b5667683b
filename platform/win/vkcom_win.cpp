// The component runtime on Windows: the system's own COM and OLE automation behind our declarations.
//
// Our Guid, Variant and Bstr have the layouts of the system's GUID, VARIANT and BSTR, and our
// interfaces hold only pure virtual methods in the system's order and calling convention, so every
// value crosses this boundary by a plain reinterpret_cast.
#define WIN32_LEAN_AND_MEAN
#ifndef NOMINMAX
#define NOMINMAX
#endif
#include <windows.h>
// The other system headers build on windows.h.
#include <objbase.h>
#include <oleauto.h>

#include "platform/ComError.h"
#include "platform/vkcom.h"
#include "platform/vkcom_shared.h"

#include <algorithm>
#include <cstddef>
#include <cstring>
#include <string>
#include <utility>
#include <vector>

namespace vk {

static_assert(sizeof(Guid) == sizeof(GUID));
static_assert(offsetof(Guid, data2) == offsetof(GUID, Data2));
static_assert(offsetof(Guid, data3) == offsetof(GUID, Data3));
static_assert(offsetof(Guid, data4) == offsetof(GUID, Data4));
static_assert(sizeof(HResult) == sizeof(HRESULT));
static_assert(sizeof(char16_t) == sizeof(OLECHAR));
static_assert(sizeof(Variant) == sizeof(VARIANT));
static_assert(offsetof(Variant, lVal) == offsetof(VARIANT, lVal));
static_assert(offsetof(Variant, bstrVal) == offsetof(VARIANT, bstrVal));
static_assert(int(VT_EMPTY_) == int(VT_EMPTY) && int(VT_I4_) == int(VT_I4) && int(VT_BSTR_) == int(VT_BSTR));
static_assert(int(CLSCTX_INPROC_SERVER_) == int(CLSCTX_INPROC_SERVER) &&
              int(CLSCTX_LOCAL_SERVER_) == int(CLSCTX_LOCAL_SERVER));
static_assert(REGDB_E_CLASSNOTREG_ == REGDB_E_CLASSNOTREG && MK_E_UNAVAILABLE_ == MK_E_UNAVAILABLE);
static_assert(E_NOINTERFACE_ == E_NOINTERFACE && E_FAIL_ == E_FAIL);

namespace {

const GUID& sys(const Guid& g) {
    return reinterpret_cast<const GUID&>(g);
}
::IUnknown* sys(IUnknown* p) {
    return reinterpret_cast<::IUnknown*>(p);
}
VARIANT* sys(Variant* v) {
    return reinterpret_cast<VARIANT*>(v);
}
const wchar_t* wide(const char16_t* s) {
    return reinterpret_cast<const wchar_t*>(s);
}

std::wstring toWide(std::string_view utf8) {
    const std::u16string s = fromUtf8(utf8);
    return std::wstring(s.begin(), s.end());
}

std::string fromWide(const wchar_t* s, size_t n) {
    return toUtf8(std::u16string_view(reinterpret_cast<const char16_t*>(s), n));
}

} // namespace

// ---------------------------------------------------------------------------------------------
// Statuses

namespace {

// The system's message for a code, trimmed of its line break and full stop; empty when it has none.
std::string systemMessage(DWORD code) {
    wchar_t* buf = nullptr;
    const DWORD n = FormatMessageW(
        FORMAT_MESSAGE_ALLOCATE_BUFFER | FORMAT_MESSAGE_FROM_SYSTEM | FORMAT_MESSAGE_IGNORE_INSERTS, nullptr,
        code, MAKELANGID(LANG_NEUTRAL, SUBLANG_DEFAULT), reinterpret_cast<wchar_t*>(&buf), 0, nullptr);
    std::string text;
    if (n && buf) {
        size_t len = n;
        while (len && (buf[len - 1] == L'\r' || buf[len - 1] == L'\n' || buf[len - 1] == L' ' ||
                       buf[len - 1] == L'.'))
            --len;
        text = fromWide(buf, len);
    }
    if (buf)
        LocalFree(buf);
    return text;
}

} // namespace

std::string statusText(HResult h) {
    std::string text = systemMessage(static_cast<DWORD>(h));
    // Statuses wrapping a system error code carry that code's message.
    if (text.empty() && HRESULT_FACILITY(h) == FACILITY_WIN32 && failed(h))
        text = systemMessage(static_cast<DWORD>(HRESULT_CODE(h)));
    if (!text.empty())
        return text;
    // Ours for the rest (Wine has none for "class not registered" or "operation unavailable").
    return detail::ownStatusText(h);
}

// ---------------------------------------------------------------------------------------------
// Wide strings

Bstr bstrAlloc(const char16_t* text, uint32_t length) {
    BSTR s = SysAllocStringLen(wide(text), length);
    // The system leaves the characters of a string made without a source undefined.
    if (s && !text)
        std::memset(s, 0, size_t(length) * sizeof(OLECHAR));
    return reinterpret_cast<Bstr>(s);
}

void bstrFree(Bstr s) {
    SysFreeString(reinterpret_cast<BSTR>(s));
}

uint32_t bstrLen(const char16_t* s) {
    return SysStringLen(reinterpret_cast<BSTR>(const_cast<char16_t*>(s)));
}

void UniqueBstr::wipe() {
    if (m_s)
        SecureZeroMemory(m_s, size_t(bstrLen(m_s)) * sizeof(char16_t));
    bstrFree(m_s);
    m_s = nullptr;
}

// ---------------------------------------------------------------------------------------------
// Variants

void variantClear(Variant& v) {
    VariantClear(sys(&v));
    v.vt = VT_EMPTY_;
    v.reserved1 = v.reserved2 = v.reserved3 = 0;
    v.record[0] = v.record[1] = nullptr;
}

HResult variantCopy(Variant& dst, const Variant& src) {
    if (&dst == &src)
        return S_OK_;
    return VariantCopy(sys(&dst), sys(const_cast<Variant*>(&src)));
}

// ---------------------------------------------------------------------------------------------
// Error information: the system's per-thread error object, so a description set by a server
// module reaches the caller whatever runtime copy each was built with.

void setErrorInfo(std::u16string_view description) {
    ICreateErrorInfo* create = nullptr;
    if (FAILED(CreateErrorInfo(&create)) || !create)
        return;
    const std::wstring text(description.begin(), description.end());
    create->SetDescription(const_cast<wchar_t*>(text.c_str()));
    IErrorInfo* info = nullptr;
    if (SUCCEEDED(create->QueryInterface(IID_IErrorInfo, reinterpret_cast<void**>(&info))) && info) {
        SetErrorInfo(0, info);
        info->Release();
    }
    create->Release();
}

void clearErrorInfo() {
    SetErrorInfo(0, nullptr);
}

bool takeErrorInfo(std::u16string& description) {
    IErrorInfo* info = nullptr;
    // GetErrorInfo hands the object over and empties the thread's slot.
    if (GetErrorInfo(0, &info) != S_OK || !info)
        return false;
    BSTR text = nullptr;
    description.clear();
    if (SUCCEEDED(info->GetDescription(&text)) && text)
        description.assign(reinterpret_cast<const char16_t*>(text), SysStringLen(text));
    SysFreeString(text);
    info->Release();
    return true;
}

// ---------------------------------------------------------------------------------------------
// Apartment and creation

namespace {

thread_local int t_initCount = 0;
// The classes created on this thread: at the apartment's end their server modules, where loaded,
// are asked whether they can unload before the system unloads them.
thread_local std::vector<Guid> t_created;

void checkCreatedModules() {
    const std::vector<Guid> created = std::exchange(t_created, {});
    for (const Guid& clsid : created) {
        const std::string module = registrationValue(clsid, "InprocServer");
        if (module.empty())
            continue;
        const std::wstring path = toWide(module);
        HMODULE loaded = GetModuleHandleW(path.c_str());
        if (!loaded)
            continue;
        const auto canUnload = reinterpret_cast<HResult(VK_CALL*)()>(
            reinterpret_cast<void*>(GetProcAddress(loaded, "DllCanUnloadNow")));
        detail::checkModuleCanUnload(module, canUnload);
    }
}

} // namespace

HResult coInitialize() {
    const HResult h = CoInitializeEx(nullptr, COINIT_APARTMENTTHREADED);
    if (succeeded(h))
        ++t_initCount;
    return h;
}

void coUninitialize() {
    if (t_initCount == 0)
        return;
    if (--t_initCount == 0)
        checkCreatedModules();
    CoUninitialize();
}

HResult coCreateInstance(const Guid& clsid, IUnknown* outer, uint32_t clsctx, const Guid& iid, void** out) {
    if (!out)
        return E_POINTER_;
    *out = nullptr;
    // The system sets no error information for a failed creation; a stale one must not pass for it.
    clearErrorInfo();
    const HResult h = CoCreateInstance(sys(clsid), sys(outer), clsctx, sys(iid), out);
    if (succeeded(h) && !*out)
        return E_NOINTERFACE_;
    if (succeeded(h) && (clsctx & CLSCTX_INPROC_SERVER_) &&
        std::find(t_created.begin(), t_created.end(), clsid) == t_created.end())
        t_created.push_back(clsid);
    return h;
}

// ---------------------------------------------------------------------------------------------
// Class registrations: a class's registry key, HKEY_CLASSES_ROOT\CLSID\{...} (the machine-wide
// classes, merged with the user's where the system does so). "InprocServer" is the module named by
// its InprocServer32 subkey; every other key is a value of the class key itself.

namespace {

const char kClassesRoot[] = "HKEY_CLASSES_ROOT\\CLSID\\";

std::wstring classKeyName(const Guid& clsid) {
    return L"CLSID\\" + toWide(toString(clsid));
}

// A string value of a key under HKEY_CLASSES_ROOT, environment references expanded; false when absent.
bool readString(const std::wstring& key, const wchar_t* name, std::wstring& value) {
    HKEY k = nullptr;
    if (RegOpenKeyExW(HKEY_CLASSES_ROOT, key.c_str(), 0, KEY_READ, &k) != ERROR_SUCCESS)
        return false;
    DWORD type = 0, bytes = 0;
    bool ok = RegQueryValueExW(k, name, nullptr, &type, nullptr, &bytes) == ERROR_SUCCESS &&
              (type == REG_SZ || type == REG_EXPAND_SZ);
    std::wstring raw;
    if (ok) {
        raw.resize(bytes / sizeof(wchar_t) + 1);
        ok = RegQueryValueExW(k, name, nullptr, &type, reinterpret_cast<BYTE*>(raw.data()), &bytes) ==
             ERROR_SUCCESS;
        raw.resize(ok ? bytes / sizeof(wchar_t) : 0);
        while (!raw.empty() && raw.back() == L'\0')
            raw.pop_back();
    }
    RegCloseKey(k);
    if (!ok)
        return false;
    if (type == REG_EXPAND_SZ) {
        const DWORD n = ExpandEnvironmentStringsW(raw.c_str(), nullptr, 0);
        std::wstring expanded(n, L'\0');
        if (n && ExpandEnvironmentStringsW(raw.c_str(), expanded.data(), n) == n) {
            expanded.resize(n - 1);
            raw = std::move(expanded);
        }
    }
    value = std::move(raw);
    return true;
}

bool isAbsolute(const std::wstring& p) {
    return (p.size() >= 3 && p[1] == L':' && (p[2] == L'\\' || p[2] == L'/')) ||
           (p.size() >= 2 && (p[0] == L'\\' || p[0] == L'/') && (p[1] == L'\\' || p[1] == L'/'));
}

} // namespace

std::string registrationPath(const Guid& clsid) {
    HKEY k = nullptr;
    if (RegOpenKeyExW(HKEY_CLASSES_ROOT, classKeyName(clsid).c_str(), 0, KEY_READ, &k) != ERROR_SUCCESS)
        return {};
    RegCloseKey(k);
    return kClassesRoot + toString(clsid);
}

std::string registrationValue(const Guid& clsid, std::string_view key, bool resolvePath) {
    try {
        const std::wstring classKey = classKeyName(clsid);
        std::wstring module;
        const bool hasModule = readString(classKey + L"\\InprocServer32", nullptr, module);
        std::wstring value;
        if (key == "InprocServer") {
            if (!hasModule)
                return {};
            value = module;
        } else if (!readString(classKey, toWide(key).c_str(), value)) {
            return {};
        }
        if (value.empty())
            return {};
        // Relative paths are taken from the server module's folder, where its files travel with it.
        if (resolvePath && !isAbsolute(value) && hasModule) {
            const size_t slash = module.find_last_of(L"\\/");
            if (slash != std::wstring::npos)
                value = module.substr(0, slash + 1) + value;
        }
        return fromWide(value.data(), value.size());
    } catch (...) {
        return {};
    }
}

// ---------------------------------------------------------------------------------------------
// Running-object table

HResult registerActiveObject(IUnknown* object, const Guid& clsid, uint32_t* cookie) {
    if (!object || !cookie)
        return E_INVALIDARG_;
    DWORD c = 0;
    const HResult h = RegisterActiveObject(sys(object), sys(clsid), ACTIVEOBJECT_STRONG, &c);
    *cookie = succeeded(h) ? static_cast<uint32_t>(c) : 0;
    return h;
}

HResult revokeActiveObject(uint32_t cookie) {
    return RevokeActiveObject(cookie, nullptr);
}

HResult getActiveObject(const Guid& clsid, IUnknown** out) {
    if (!out)
        return E_POINTER_;
    *out = nullptr;
    ::IUnknown* object = nullptr;
    const HResult h = GetActiveObject(sys(clsid), nullptr, &object);
    if (failed(h))
        return h;
    if (!object)
        return MK_E_UNAVAILABLE_;
    *out = reinterpret_cast<IUnknown*>(object);
    return h;
}

} // namespace vk
