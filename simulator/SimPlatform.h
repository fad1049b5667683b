// The simulated Talvo platform: the whole object model in memory, built from library files or from
// C++ fixtures, with fault injection and a call log.
#pragma once

#include "platform/ComPtr.h"
#include "platform/talvo.h"
#include "platform/vkcom.h"

#include <cstdint>
#include <memory>
#include <optional>
#include <string>
#include <vector>

namespace sim {

// ---------------------------------------------------------------------------------------------
// Fault rules (see Platform::addFault); also part of a catalogue, so a library file can carry them.

struct FaultRule {
    std::string op;     // operation as in Call::op; "*" matches any
    std::string object; // "" matches any object
    vk::HResult status = vk::E_FAIL_;
    std::u16string description; // set as error information when it fires ("" sets none)
    uint64_t after = 0;         // let this many matching calls succeed first
    int64_t times = -1;         // fire this many times, -1: always
    uint64_t seq = 0;           // when not 0: fire only for the call with this sequence number
    // With a success status: the number a numeric result is given instead of an empty one (for
    // hostile values: negative counts, identifiers at their limits, NaN and infinite reals).
    std::optional<double> value;
};

// ---------------------------------------------------------------------------------------------
// Fixtures: plain data describing a catalogue. Texts are UTF-16 so tests can hold any code unit.

struct DetailSpec {
    int32_t kind = 2;
    int32_t min = 0;
    int32_t max = 0;
    int32_t defaultValue = 0;
    std::u16string units;
    double scale = 1.0; // ToReal(v) = offset + scale * v
    double offset = 0.0;
    std::vector<std::u16string> texts; // Text(v) = texts[v - min] when inside, else the decimal of v
};

struct ParameterSpec {
    std::u16string name;
    int32_t paramId = 0;
    std::optional<DetailSpec> detail; // absent: the parameter refuses IParameterDetail
};

struct LimitsSpec {
    double maxOutput = 0;
    double maxGain = 0;
    int32_t channels = 0;
};

struct ProductSpec {
    std::u16string name;
    std::u16string mapName;
    std::u16string platform;           // IPlatform.Name, e.g. u"GC5020"
    std::optional<int32_t> hybrid5020; // IHybridInfo5020.HybridID; absent: query refused
    std::optional<int32_t> hybridId;   // IHybridInfo.HybridID; absent (with sampleRateCode): refused
    std::optional<int32_t> sampleRateCode;
    std::optional<LimitsSpec> limits; // absent: IProductLimits refused
    std::vector<ParameterSpec> intParameters;
    std::vector<ParameterSpec> extParameters;
};

struct LibrarySpec {
    std::u16string name;
    std::u16string version;
    int16_t manufacturerId = 0;
    int16_t libraryId = 0;
    std::optional<std::u16string> password; // present: locked until Unlock gets it
    std::vector<ProductSpec> products;
};

struct EntrySpec {
    std::u16string name; // ICatalogEntry.Name, the key ICatalog.Item accepts
    std::u16string caption;
    // The library behind the entry; absent: Library fails with openError.
    std::optional<LibrarySpec> library;
    std::u16string openError = u"Library file could not be opened";
    // Library succeeds but hands out no object (S_OK with a null result).
    bool nullLibrary = false;
};

struct CatalogSpec {
    std::vector<EntrySpec> entries;
    std::vector<FaultRule> faults; // installed when the platform is created
};

// ---------------------------------------------------------------------------------------------
// Library files (format documented in simulator/README.md)

struct LoadResult {
    std::optional<EntrySpec> entry; // set when the file was read
    std::string error;              // otherwise: "<file>: <place>: <problem>"
    std::vector<FaultRule> faults;  // the file's "faults", when it was read
};

// Reads one library file. Never throws; a malformed file gives an error naming file, place, problem.
LoadResult loadLibraryFile(const std::string& path);
LoadResult parseLibraryText(const std::string& text, const std::string& fileName);
// Reads every *.json file of a folder, in file-name order. A file that cannot be read becomes an
// entry whose Library fails with the loader's error (named after the file), so the rest still works.
CatalogSpec loadCatalogFolder(const std::string& folder);

// ---------------------------------------------------------------------------------------------
// Faults and the call log

struct Call {
    uint64_t seq;   // 1-based, in call order over the whole platform
    std::string op; // "Interface.Operation", e.g. "ICatalog.Item", "IProduct.QueryInterface(IProductLimits)"
    std::string argument; // the argument as text ("3", "\"name\"", "" when none)
    std::string
        object; // the object's name: entry/library/product/parameter name, UTF-8 ("" for root objects)
    bool failed = false; // this call was made to fail by a fault rule
};

class Platform;

// ---------------------------------------------------------------------------------------------
// The platform

class Platform : public std::enable_shared_from_this<Platform> {
public:
    static std::shared_ptr<Platform> create(CatalogSpec content);
    ~Platform();

    // A new root object (the Core2 instance); every object it hands out keeps the platform alive.
    vk::ComPtr<talvo::ICore> newCore();

    // Registers a new Core2 instance in the running-object table; revoked by the returned guard.
    class Registration {
    public:
        Registration() = default;
        explicit Registration(uint32_t cookie) : m_cookie(cookie) {}
        Registration(Registration&& o) noexcept : m_cookie(o.m_cookie) { o.m_cookie = 0; }
        Registration& operator=(Registration&& o) noexcept;
        ~Registration();

    private:
        uint32_t m_cookie = 0;
    };
    Registration registerRunning();

    void addFault(FaultRule rule);
    void clearFaults();
    const std::vector<Call>& calls() const;
    void clearCalls();
    // Off: calls are still numbered and faults still apply, but nothing is recorded (for long
    // runs and benchmarks, where the log would only grow). On at creation.
    void setCallLog(bool on);
    // How many calls of this operation (and object, when given) are in the log.
    size_t count(const std::string& op, const std::string& object = {}) const;
    // Objects alive now (for leak checks in tests).
    static int64_t liveObjects();

    CatalogSpec& content();

private:
    explicit Platform(CatalogSpec content);
    struct Impl;
    std::unique_ptr<Impl> m_impl;
    friend struct SimAccess;
};

// The platform behind the server module (the class registration's "LibraryFolder"); tests that
// create the tool's connection through a class registration can reach its log and faults here.
// The module keeps one platform per library folder, made at its first CreateInstance; this gives
// the one of the folder registered now, or null while the module is not loaded or has made none.
// Works from the test executable too: the module is found with dlopen(RTLD_NOLOAD) through the
// class registration.
std::shared_ptr<Platform> modulePlatform();
// Platform::liveObjects() as counted inside the server module (its objects are counted there),
// -1 while the module is not loaded.
int64_t moduleLiveObjects();

// A demo catalogue in memory with a few of everything, for tests that need "some" catalogue.
CatalogSpec demoCatalogSpec();

} // namespace sim
