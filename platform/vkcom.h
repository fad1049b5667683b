// The component runtime: our small stand-in for the system's component object model.
//
// Every type here has the binary layout of its Windows counterpart (GUID, HRESULT, BSTR, VARIANT,
// IUnknown, IDispatch), so that a Windows build can put the system's own runtime behind the same
// declarations. Signatures use only fixed-width integers and 16-bit UTF-16 code units.
#pragma once

#include <cstddef>
#include <cstdint>
#include <string>
#include <string_view>
#include <vector>

#if defined(_WIN32) && !defined(_WIN64)
#define VK_CALL __stdcall
#else
#define VK_CALL
#endif

#if defined(_WIN32)
#define VKCOM_API
#else
#define VKCOM_API __attribute__((visibility("default")))
#endif

namespace vk {

// ---------------------------------------------------------------------------------------------
// Identifiers

struct Guid {
    uint32_t data1 = 0;
    uint16_t data2 = 0;
    uint16_t data3 = 0;
    uint8_t data4[8] = {};

    friend bool operator==(const Guid& a, const Guid& b) = default;
};
static_assert(sizeof(Guid) == 16);

namespace detail {

constexpr int hexDigit(char c) {
    if (c >= '0' && c <= '9')
        return c - '0';
    if (c >= 'A' && c <= 'F')
        return c - 'A' + 10;
    if (c >= 'a' && c <= 'f')
        return c - 'a' + 10;
    return -1;
}

// One reader for run-time texts and the identifiers written in the declarations.
constexpr bool parseGuidText(std::string_view t, Guid& out) {
    if (t.size() != 38 || t[0] != '{' || t[37] != '}')
        return false;
    for (std::size_t i = 1; i < 37; ++i) {
        const bool dash = i == 9 || i == 14 || i == 19 || i == 24;
        if (dash ? t[i] != '-' : hexDigit(t[i]) < 0)
            return false;
    }
    auto num = [&](std::size_t from, int digits) {
        uint32_t v = 0;
        for (int i = 0; i < digits; ++i)
            v = v * 16 + static_cast<uint32_t>(hexDigit(t[from + i]));
        return v;
    };
    Guid g;
    g.data1 = num(1, 8);
    g.data2 = static_cast<uint16_t>(num(10, 4));
    g.data3 = static_cast<uint16_t>(num(15, 4));
    g.data4[0] = static_cast<uint8_t>(num(20, 2));
    g.data4[1] = static_cast<uint8_t>(num(22, 2));
    for (int i = 0; i < 6; ++i)
        g.data4[2 + i] = static_cast<uint8_t>(num(25 + 2 * i, 2));
    out = g;
    return true;
}

} // namespace detail

// Parses the registry form "{4689781D-6EFD-41BC-950B-E6983890FA5C}" (either case, braces required).
VKCOM_API bool parseGuid(std::string_view text, Guid& out);
// For identifiers written in the declarations: parsed at compile time, so a typo does not build.
consteval Guid guidOf(const char (&t)[39]) {
    Guid g;
    if (!detail::parseGuidText(std::string_view(t, 38), g))
        throw "identifier not in registry form";
    return g;
}
// The registry form with braces and upper-case hex digits.
VKCOM_API std::string toString(const Guid& g);

inline constexpr Guid kNullGuid{};

// ---------------------------------------------------------------------------------------------
// Statuses

using HResult = int32_t;

constexpr HResult hr(uint32_t code) {
    return static_cast<HResult>(code);
}
constexpr bool succeeded(HResult h) {
    return h >= 0;
}
constexpr bool failed(HResult h) {
    return h < 0;
}

inline constexpr HResult S_OK_ = 0;
inline constexpr HResult S_FALSE_ = 1;
inline constexpr HResult E_NOTIMPL_ = hr(0x80004001);
inline constexpr HResult E_NOINTERFACE_ = hr(0x80004002);
inline constexpr HResult E_POINTER_ = hr(0x80004003);
inline constexpr HResult E_ABORT_ = hr(0x80004004);
inline constexpr HResult E_FAIL_ = hr(0x80004005);
inline constexpr HResult E_UNEXPECTED_ = hr(0x8000FFFF);
inline constexpr HResult E_ACCESSDENIED_ = hr(0x80070005);
inline constexpr HResult E_HANDLE_ = hr(0x80070006);
inline constexpr HResult E_OUTOFMEMORY_ = hr(0x8007000E);
inline constexpr HResult E_INVALIDARG_ = hr(0x80070057);
inline constexpr HResult DISP_E_TYPEMISMATCH_ = hr(0x80020005);
inline constexpr HResult DISP_E_BADINDEX_ = hr(0x8002000B);
inline constexpr HResult CLASS_E_NOAGGREGATION_ = hr(0x80040110);
inline constexpr HResult CLASS_E_CLASSNOTAVAILABLE_ = hr(0x80040111);
inline constexpr HResult REGDB_E_CLASSNOTREG_ = hr(0x80040154);
inline constexpr HResult CO_E_NOTINITIALIZED_ = hr(0x800401F0);
inline constexpr HResult CO_E_DLLNOTFOUND_ = hr(0x800401F8);
inline constexpr HResult CO_E_ERRORINDLL_ = hr(0x800401F9);
inline constexpr HResult MK_E_UNAVAILABLE_ = hr(0x800401E3);
inline constexpr HResult CO_E_SERVER_EXEC_FAILURE_ = hr(0x80080005);

// The system's text for a status (no trailing full stop, no line break). Unknown codes get a
// generic text that names the code in hex, e.g. "Unspecified error 0x80041234".
VKCOM_API std::string statusText(HResult h);

// ---------------------------------------------------------------------------------------------
// Wide strings: length-prefixed UTF-16, allocated and freed by the runtime. A null Bstr is the
// empty string.

using Bstr = char16_t*;

VKCOM_API Bstr bstrAlloc(const char16_t* text, uint32_t length);
inline Bstr bstrAlloc(std::u16string_view s) {
    return bstrAlloc(s.data(), static_cast<uint32_t>(s.size()));
}
VKCOM_API void bstrFree(Bstr s);
VKCOM_API uint32_t bstrLen(const char16_t* s);
inline std::u16string_view bstrView(const char16_t* s) {
    return s ? std::u16string_view(s, bstrLen(s)) : u"";
}

// Owns one Bstr; frees it at the end of its life.
class UniqueBstr {
public:
    UniqueBstr() = default;
    explicit UniqueBstr(std::u16string_view s) : m_s(bstrAlloc(s)) {}
    ~UniqueBstr() { bstrFree(m_s); }
    UniqueBstr(const UniqueBstr&) = delete;
    UniqueBstr& operator=(const UniqueBstr&) = delete;
    UniqueBstr(UniqueBstr&& o) noexcept : m_s(o.m_s) { o.m_s = nullptr; }
    UniqueBstr& operator=(UniqueBstr&& o) noexcept {
        if (this != &o) {
            bstrFree(m_s);
            m_s = o.m_s;
            o.m_s = nullptr;
        }
        return *this;
    }
    Bstr get() const { return m_s; }
    // Frees the held string and hands out the address for an out parameter.
    Bstr* put() {
        bstrFree(m_s);
        m_s = nullptr;
        return &m_s;
    }
    std::u16string_view view() const { return bstrView(m_s); }
    std::u16string str() const { return std::u16string(view()); }
    // Overwrites the characters before freeing (for passwords).
    VKCOM_API void wipe();

private:
    Bstr m_s = nullptr;
};

// ---------------------------------------------------------------------------------------------
// Automation variants: empty, 32-bit integer, wide string. Layout as the system's VARIANT.

enum VarType : uint16_t { VT_EMPTY_ = 0, VT_I4_ = 3, VT_BSTR_ = 8 };

struct Variant {
    uint16_t vt = VT_EMPTY_;
    uint16_t reserved1 = 0, reserved2 = 0, reserved3 = 0;
    union {
        int32_t lVal;
        Bstr bstrVal;
        int64_t llVal;
        void* record[2];
    };
    Variant() : record{nullptr, nullptr} {}
};
static_assert(sizeof(Variant) == 8 + 2 * sizeof(void*));

VKCOM_API void variantClear(Variant& v);
VKCOM_API HResult variantCopy(Variant& dst, const Variant& src);

// Owns one Variant and clears it at the end of its life.
class VariantHolder {
public:
    VariantHolder() = default;
    VKCOM_API static VariantHolder fromInt(int32_t i);
    VKCOM_API static VariantHolder fromString(std::u16string_view s);
    ~VariantHolder() { variantClear(m_v); }
    VariantHolder(const VariantHolder& o) { variantCopy(m_v, o.m_v); }
    VariantHolder& operator=(const VariantHolder& o) {
        if (this != &o) {
            variantClear(m_v);
            variantCopy(m_v, o.m_v);
        }
        return *this;
    }
    Variant* get() { return &m_v; }
    const Variant& ref() const { return m_v; }
    bool isEmpty() const { return m_v.vt == VT_EMPTY_; }
    void clear() { variantClear(m_v); }

private:
    Variant m_v;
};

// ---------------------------------------------------------------------------------------------
// Interfaces

struct IUnknown {
    virtual HResult VK_CALL QueryInterface(const Guid& iid, void** out) = 0;
    virtual uint32_t VK_CALL AddRef() = 0;
    virtual uint32_t VK_CALL Release() = 0;
};

// The four dispatch places. The tool never calls them; they only keep operation #n at method
// table entry 7 + n, as on the platform's dual interfaces.
struct IDispatch : IUnknown {
    virtual HResult VK_CALL GetTypeInfoCount(uint32_t* count) = 0;
    virtual HResult VK_CALL GetTypeInfo(uint32_t index, uint32_t locale, void** info) = 0;
    virtual HResult VK_CALL GetIDsOfNames(const Guid& iid, char16_t** names, uint32_t count, uint32_t locale,
                                          int32_t* ids) = 0;
    virtual HResult VK_CALL Invoke(int32_t id, const Guid& iid, uint32_t locale, uint16_t flags, void* params,
                                   Variant* result, void* exception, uint32_t* argError) = 0;
};

struct IClassFactory : IUnknown {
    virtual HResult VK_CALL CreateInstance(IUnknown* outer, const Guid& iid, void** out) = 0;
    virtual HResult VK_CALL LockServer(int32_t lock) = 0;
};

// The identifier of an interface: Iid<I>::value, specialised next to each declaration.
template <class I> struct Iid;

#define VK_DECLARE_IID(I, text)                                                                              \
    template <> struct Iid<I> { static constexpr Guid value = guidOf(text); }

VK_DECLARE_IID(IUnknown, "{00000000-0000-0000-C000-000000000046}");
VK_DECLARE_IID(IDispatch, "{00020400-0000-0000-C000-000000000046}");
VK_DECLARE_IID(IClassFactory, "{00000001-0000-0000-C000-000000000046}");

// ---------------------------------------------------------------------------------------------
// Error information: a server sets a description just before it returns a failure; the caller
// takes it right after the failing call. One slot per thread, cleared by taking it.

VKCOM_API void setErrorInfo(std::u16string_view description);
VKCOM_API void clearErrorInfo();
// True and the description when one was set since the last take or clear.
VKCOM_API bool takeErrorInfo(std::u16string& description);

// ---------------------------------------------------------------------------------------------
// Apartment, creation and the running-object table

VKCOM_API HResult coInitialize();
// Ends one initialisation of this thread's apartment. When the last one ends, every in-process
// server module that creations on this thread loaded is asked whether it can unload
// (DllCanUnloadNow), as the system asks before it unloads one. A module that still has live
// objects then is the caller's fault: an object was released after the apartment it belongs to
// (on Windows that release would call into a module already gone). Such a fault is written to
// the standard error stream and kept for takeApartmentFaults().
VKCOM_API void coUninitialize();
// The apartment faults reported since the last take, oldest first; taking them empties the list.
VKCOM_API std::vector<std::string> takeApartmentFaults();

enum ClsCtx : uint32_t { CLSCTX_INPROC_SERVER_ = 0x1, CLSCTX_LOCAL_SERVER_ = 0x4 };

// Creates an instance of a registered class. An in-process server module is found through the
// class registration (see registrationPath), loaded, and asked through its exported
// DllGetClassObject. A local server is not supported here. On failure the error information
// carries a description naming the registration or module and the reason.
VKCOM_API HResult coCreateInstance(const Guid& clsid, IUnknown* outer, uint32_t clsctx, const Guid& iid,
                                   void** out);

// Where the registration of a class lives, searched in this order:
//   $XDG_DATA_HOME (or ~/.local/share), each folder of $XDG_DATA_DIRS (or /usr/local/share:/usr/share),
//   each under "vkcom/classes/"; then "vkcom/classes/" beside the running executable.
// The file is "{CLSID}.reg" holding lines "key=value"; "InprocServer" names the module (relative
// paths are taken from the file's folder). Returns the empty string when no file is found.
VKCOM_API std::string registrationPath(const Guid& clsid);
// A value of the class registration ("" when absent); a server uses it to read its own settings,
// with relative paths resolved against the registration file's folder when resolvePath is true.
VKCOM_API std::string registrationValue(const Guid& clsid, std::string_view key, bool resolvePath = false);

VKCOM_API HResult registerActiveObject(IUnknown* object, const Guid& clsid, uint32_t* cookie);
VKCOM_API HResult revokeActiveObject(uint32_t cookie);
// MK_E_UNAVAILABLE_ when no object is registered under the class.
VKCOM_API HResult getActiveObject(const Guid& clsid, IUnknown** out);

// The signature of a server module's exported class factory entry.
using DllGetClassObjectFn = HResult(VK_CALL*)(const Guid& clsid, const Guid& iid, void** out);

} // namespace vk
