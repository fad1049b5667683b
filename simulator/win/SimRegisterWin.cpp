// Self-registration of the server module: the machine-wide class key, which every COM runtime
// reads (Wine reads no other), with the module, its threading model and the library folder.
#define WIN32_LEAN_AND_MEAN
#ifndef NOMINMAX
#define NOMINMAX
#endif
#include <windows.h>
// The other system headers build on windows.h.
#include <olectl.h>

#include <string>

namespace {

const wchar_t kClassKey[] = L"Software\\Classes\\CLSID\\{4689781D-6EFD-41BC-950B-E6983890FA5C}";

std::wstring modulePath() {
    HMODULE self = nullptr;
    if (!GetModuleHandleExW(GET_MODULE_HANDLE_EX_FLAG_FROM_ADDRESS |
                                GET_MODULE_HANDLE_EX_FLAG_UNCHANGED_REFCOUNT,
                            reinterpret_cast<LPCWSTR>(&modulePath), &self))
        return {};
    std::wstring path(MAX_PATH, L'\0');
    for (;;) {
        const DWORD n = GetModuleFileNameW(self, path.data(), static_cast<DWORD>(path.size()));
        if (n == 0)
            return {};
        if (n < path.size()) {
            path.resize(n);
            return path;
        }
        path.resize(path.size() * 2);
    }
}

LSTATUS setString(HKEY key, const wchar_t* name, const std::wstring& value) {
    return RegSetValueExW(key, name, 0, REG_SZ, reinterpret_cast<const BYTE*>(value.c_str()),
                          static_cast<DWORD>((value.size() + 1) * sizeof(wchar_t)));
}

} // namespace

STDAPI DllRegisterServer() {
    const std::wstring module = modulePath();
    if (module.empty())
        return SELFREG_E_CLASS;
    HKEY cls = nullptr, inproc = nullptr;
    if (RegCreateKeyExW(HKEY_LOCAL_MACHINE, kClassKey, 0, nullptr, 0, KEY_WRITE | KEY_READ, nullptr, &cls,
                        nullptr) != ERROR_SUCCESS)
        return SELFREG_E_CLASS;
    LSTATUS s = setString(cls, nullptr, L"Core2");
    // The demo catalogue travels beside the module; a folder chosen after registration is kept.
    if (s == ERROR_SUCCESS &&
        RegQueryValueExW(cls, L"LibraryFolder", nullptr, nullptr, nullptr, nullptr) != ERROR_SUCCESS)
        s = setString(cls, L"LibraryFolder", L"demo");
    if (s == ERROR_SUCCESS)
        s = RegCreateKeyExW(cls, L"InprocServer32", 0, nullptr, 0, KEY_WRITE, nullptr, &inproc, nullptr);
    if (s == ERROR_SUCCESS)
        s = setString(inproc, nullptr, module);
    if (s == ERROR_SUCCESS)
        s = setString(inproc, L"ThreadingModel", L"Apartment");
    if (inproc)
        RegCloseKey(inproc);
    RegCloseKey(cls);
    return s == ERROR_SUCCESS ? S_OK : SELFREG_E_CLASS;
}

STDAPI DllUnregisterServer() {
    const LSTATUS s = RegDeleteTreeW(HKEY_LOCAL_MACHINE, kClassKey);
    return s == ERROR_SUCCESS || s == ERROR_FILE_NOT_FOUND ? S_OK : SELFREG_E_CLASS;
}
