// Test helpers that make the tool's connection reach a simulated platform, by either path:
//   - ModuleRegistration: a class registration of the server module, serving a library folder;
//   - RunningPlatform: an in-memory fixture catalogue registered as a running Core2 instance.
// Header-only; link the `testsupport` target (it builds the module and names it).
#pragma once

#include "SystemAccess.h"
#include "simulator/SimPlatform.h"

#include <cstdlib>
#include <memory>
#include <optional>
#include <string>

#ifndef TALVOSIM_MODULE_PATH
#error "link the testsupport target"
#endif

namespace simtest {

// Writes the class registration of Core2 naming the simulated platform's module and a library
// folder where the runtime reads it: on Linux in a fresh $XDG_DATA_HOME of this process (so
// parallel tests never share one), on Windows as the machine-wide class key. At destruction the
// registration goes ($XDG_DATA_HOME is restored).
//
// The module reads a folder's catalogue once, at the first instance made for it: a test that needs
// a different catalogue uses a different folder (or a RunningPlatform).
class ModuleRegistration {
public:
    explicit ModuleRegistration(const std::string& libraryFolder = VESKOR_DEMO_FOLDER)
        : ModuleRegistration(Raw{}, "InprocServer=" + std::string(TALVOSIM_MODULE_PATH) +
                                        "\nLibraryFolder=" + libraryFolder + "\n") {}

    // The registration with exactly these key=value lines (for broken registrations).
    struct Raw {};
    ModuleRegistration(Raw, const std::string& content) {
#ifdef _WIN32
        writeClassRegistration(talvo::CLSID_Core2, content);
#else
        if (const char* old = std::getenv("XDG_DATA_HOME"))
            m_oldHome = old;
        setenv("XDG_DATA_HOME", m_home.path().c_str(), 1);
        m_home.write("vkcom/classes/" + vk::toString(talvo::CLSID_Core2) + ".reg", content);
#endif
    }
    ~ModuleRegistration() {
#ifdef _WIN32
        deleteClassRegistration(talvo::CLSID_Core2);
#else
        if (m_oldHome)
            setenv("XDG_DATA_HOME", m_oldHome->c_str(), 1);
        else
            unsetenv("XDG_DATA_HOME");
#endif
    }
    ModuleRegistration(const ModuleRegistration&) = delete;
    ModuleRegistration& operator=(const ModuleRegistration&) = delete;

    // The platform the module serves for this registration (after the first instance was made).
    std::shared_ptr<sim::Platform> platform() const {
        return sim::modulePlatform();
    }

private:
#ifndef _WIN32
    TempFolder m_home;
    std::optional<std::string> m_oldHome;
#endif
};

// A fixture catalogue as a running Core2 instance: the tool's connection attaches to it. Revoked
// at destruction; the platform stays alive while anything holds one of its objects.
class RunningPlatform {
public:
    explicit RunningPlatform(sim::CatalogSpec content)
        : m_platform(sim::Platform::create(std::move(content))),
          m_registration(m_platform->registerRunning()) {}

    sim::Platform& operator*() const { return *m_platform; }
    sim::Platform* operator->() const { return m_platform.get(); }
    const std::shared_ptr<sim::Platform>& platform() const { return m_platform; }

private:
    std::shared_ptr<sim::Platform> m_platform;
    sim::Platform::Registration m_registration;
};

} // namespace simtest
