// Test helpers that make the tool's connection reach a simulated platform, by either path:
//   - ModuleRegistration: a class registration of the server module, serving a library folder;
//   - RunningPlatform: an in-memory fixture catalogue registered as a running Core2 instance.
// Header-only; link the `testsupport` target (it builds the module and names it).
#pragma once

#include "SimPlatform.h"

#include <cstdlib>
#include <filesystem>
#include <fstream>
#include <memory>
#include <optional>
#include <stdexcept>
#include <string>

#ifndef TALVOSIM_MODULE_PATH
#error "link the testsupport target"
#endif

namespace simtest {

// A folder of its own under the system's temporary folder, removed with everything in it.
class TempFolder {
public:
    TempFolder() {
        std::string pattern = (std::filesystem::temp_directory_path() / "veskor-test-XXXXXX").string();
        if (!mkdtemp(pattern.data())) throw std::runtime_error("cannot make a temporary folder");
        m_path = pattern;
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
        if (!out) throw std::runtime_error("cannot write " + file.string());
        return file.string();
    }

private:
    std::string m_path;
};

// Points $XDG_DATA_HOME at a fresh folder of this process (so parallel tests never share one) and
// writes there the class registration of Core2 naming the simulated platform's module and a library
// folder. At destruction the registration goes and $XDG_DATA_HOME is restored.
//
// The module reads a folder's catalogue once, at the first instance made for it: a test that needs
// a different catalogue uses a different folder (or a RunningPlatform).
class ModuleRegistration {
public:
    explicit ModuleRegistration(const std::string& libraryFolder = VESKOR_DEMO_FOLDER)
        : ModuleRegistration(Raw{}, "InprocServer=" + std::string(TALVOSIM_MODULE_PATH) + "\nLibraryFolder=" +
                                        libraryFolder + "\n") {}

    // The registration file with exactly this content (for broken registrations).
    struct Raw {};
    ModuleRegistration(Raw, const std::string& content) {
        if (const char* old = std::getenv("XDG_DATA_HOME")) m_oldHome = old;
        setenv("XDG_DATA_HOME", m_home.path().c_str(), 1);
        m_file = m_home.write("vkcom/classes/" + vk::toString(talvo::CLSID_Core2) + ".reg", content);
    }
    ~ModuleRegistration() {
        if (m_oldHome) setenv("XDG_DATA_HOME", m_oldHome->c_str(), 1);
        else unsetenv("XDG_DATA_HOME");
    }
    ModuleRegistration(const ModuleRegistration&) = delete;
    ModuleRegistration& operator=(const ModuleRegistration&) = delete;

    const std::string& file() const { return m_file; }

    // The platform the module serves for this registration (after the first instance was made).
    std::shared_ptr<sim::Platform> platform() const { return sim::modulePlatform(); }

private:
    TempFolder m_home;
    std::string m_file;
    std::optional<std::string> m_oldHome;
};

// A fixture catalogue as a running Core2 instance: the tool's connection attaches to it. Revoked
// at destruction; the platform stays alive while anything holds one of its objects.
class RunningPlatform {
public:
    explicit RunningPlatform(sim::CatalogSpec content)
        : m_platform(sim::Platform::create(std::move(content))), m_registration(m_platform->registerRunning()) {}

    sim::Platform& operator*() const { return *m_platform; }
    sim::Platform* operator->() const { return m_platform.get(); }
    const std::shared_ptr<sim::Platform>& platform() const { return m_platform; }

private:
    std::shared_ptr<sim::Platform> m_platform;
    sim::Platform::Registration m_registration;
};

} // namespace simtest
