// What tests need of the system beneath the component runtime, alike on Linux and Windows:
// loaded modules, class registrations where the runtime reads them, and temporary folders.
// Header-only, plain C++.
#pragma once

#include "platform/vkcom.h"

#include <filesystem>
#include <fstream>
#include <random>
#include <stdexcept>
#include <string>
#include <string_view>
#include <vector>

#ifdef _WIN32
#ifndef NOMINMAX
#define NOMINMAX
#endif
#define WIN32_LEAN_AND_MEAN
#include <windows.h>
#else
#include <dlfcn.h>
#endif

namespace simtest {

// ---------------------------------------------------------------------------------------------
// Modules

// A server module, loaded by the test or only looked up when the runtime has loaded it already.
class Module {
public:
    enum class Mode { Load, IfLoaded };
    explicit Module(const std::string& path, Mode mode = Mode::Load) {
#ifdef _WIN32
        const std::wstring wide = widen(nativePath(path));
        if (mode == Mode::Load)
            m_handle = LoadLibraryW(wide.c_str());
        else if (HMODULE h = nullptr; GetModuleHandleExW(0, wide.c_str(), &h))
            m_handle = h;
#else
        m_handle = dlopen(path.c_str(), RTLD_NOW | (mode == Mode::Load ? RTLD_LOCAL : RTLD_NOLOAD));
#endif
    }
    ~Module() {
        if (!m_handle)
            return;
#ifdef _WIN32
        FreeLibrary(static_cast<HMODULE>(m_handle));
#else
        dlclose(m_handle);
#endif
    }
    Module(const Module&) = delete;
    Module& operator=(const Module&) = delete;

    explicit operator bool() const {
        return m_handle != nullptr;
    }
    template <class F> F symbol(const char* name) const {
        if (!m_handle)
            return nullptr;
#ifdef _WIN32
        return reinterpret_cast<F>(
            reinterpret_cast<void*>(GetProcAddress(static_cast<HMODULE>(m_handle), name)));
#else
        return reinterpret_cast<F>(dlsym(m_handle, name));
#endif
    }

    // The path with the system's separators.
    static std::string nativePath(std::string path) {
#ifdef _WIN32
        for (char& c : path)
            if (c == '/')
                c = '\\';
#endif
        return path;
    }

#ifdef _WIN32
    static std::wstring widen(const std::string& utf8) {
        const std::u16string s = vk::fromUtf8(utf8);
        return std::wstring(s.begin(), s.end());
    }
#endif

private:
    void* m_handle = nullptr;
};

// ---------------------------------------------------------------------------------------------
// Class registrations

// The key=value lines of a registration, as the runtime's registrations hold them.
inline std::vector<std::pair<std::string, std::string>> registrationLines(std::string_view content) {
    std::vector<std::pair<std::string, std::string>> lines;
    while (!content.empty()) {
        const size_t end = content.find('\n');
        const std::string_view line = content.substr(0, end);
        if (const size_t eq = line.find('='); eq != std::string_view::npos)
            lines.emplace_back(std::string(line.substr(0, eq)), std::string(line.substr(eq + 1)));
        if (end == std::string_view::npos)
            break;
        content.remove_prefix(end + 1);
    }
    return lines;
}

#ifdef _WIN32
// A class's key under the classes of the machine (which every COM runtime reads, Wine no other) or,
// where a test may not write those, of the user (which Windows merges with them).
inline std::wstring classKey(const vk::Guid& clsid) {
    return L"Software\\Classes\\CLSID\\" + Module::widen(vk::toString(clsid));
}

inline void setRegistryString(HKEY key, const wchar_t* name, const std::wstring& value) {
    RegSetValueExW(key, name, 0, REG_SZ, reinterpret_cast<const BYTE*>(value.c_str()),
                   static_cast<DWORD>((value.size() + 1) * sizeof(wchar_t)));
}

inline void deleteClassRegistration(const vk::Guid& clsid) {
    RegDeleteTreeW(HKEY_LOCAL_MACHINE, classKey(clsid).c_str());
    RegDeleteTreeW(HKEY_CURRENT_USER, classKey(clsid).c_str());
}

// Writes the registration as the class key: "InprocServer" names the module (InprocServer32's
// default value, apartment-threaded), every other key is a value of the class key. Replaces what
// was registered for the class before.
inline void writeClassRegistration(const vk::Guid& clsid, std::string_view content) {
    deleteClassRegistration(clsid);
    HKEY cls = nullptr;
    if (RegCreateKeyExW(HKEY_LOCAL_MACHINE, classKey(clsid).c_str(), 0, nullptr, 0, KEY_WRITE, nullptr, &cls,
                        nullptr) != ERROR_SUCCESS &&
        RegCreateKeyExW(HKEY_CURRENT_USER, classKey(clsid).c_str(), 0, nullptr, 0, KEY_WRITE, nullptr, &cls,
                        nullptr) != ERROR_SUCCESS)
        throw std::runtime_error("cannot write the class key of " + vk::toString(clsid));
    for (const auto& [key, value] : registrationLines(content)) {
        if (key != "InprocServer") {
            setRegistryString(cls, Module::widen(key).c_str(), Module::widen(value));
            continue;
        }
        HKEY inproc = nullptr;
        if (RegCreateKeyExW(cls, L"InprocServer32", 0, nullptr, 0, KEY_WRITE, nullptr, &inproc, nullptr) ==
            ERROR_SUCCESS) {
            setRegistryString(inproc, nullptr, Module::widen(Module::nativePath(value)));
            setRegistryString(inproc, L"ThreadingModel", L"Apartment");
            RegCloseKey(inproc);
        }
    }
    RegCloseKey(cls);
}
#endif

// ---------------------------------------------------------------------------------------------
// Folders

// A folder of its own under the system's temporary folder, removed with everything in it.
class TempFolder {
public:
    TempFolder() {
        std::random_device random;
        const std::filesystem::path base = std::filesystem::temp_directory_path();
        for (int attempt = 0; attempt < 100 && m_path.empty(); ++attempt) {
            const std::filesystem::path candidate = base / ("veskor-test-" + std::to_string(random()));
            std::error_code ec;
            if (std::filesystem::create_directory(candidate, ec))
                m_path = candidate.string();
        }
        if (m_path.empty())
            throw std::runtime_error("cannot make a temporary folder");
    }
    ~TempFolder() {
        std::error_code ec;
        std::filesystem::remove_all(m_path, ec);
    }
    TempFolder(const TempFolder&) = delete;
    TempFolder& operator=(const TempFolder&) = delete;

    const std::string& path() const { return m_path; }
    // Writes a file into the folder (creating subfolders) and returns its full path.
    std::string write(const std::string& name, const std::string& content) const {
        const std::filesystem::path file = std::filesystem::path(m_path) / name;
        std::filesystem::create_directories(file.parent_path());
        std::ofstream out(file, std::ios::binary | std::ios::trunc);
        out << content;
        if (!out)
            throw std::runtime_error("cannot write " + file.string());
        return file.string();
    }

private:
    std::string m_path;
};

} // namespace simtest
