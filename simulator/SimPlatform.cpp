// The simulated platform's objects. Each object keeps the platform alive and finds its data
// afresh on every call (by positions into the catalogue), so a test may change the catalogue
// between two reads and an object whose data has gone fails cleanly instead of reading freed memory.
#include "SimPlatform.h"

#include "platform/ComError.h"

#include <atomic>
#include <limits>
#include <stdexcept>
#include <type_traits>

namespace sim {

namespace {

std::atomic<int64_t> g_liveObjects{0};

std::string interfaceName(const vk::Guid& iid) {
    using namespace talvo;
#define SIM_NAME(I)                                                                                          \
    if (iid == vk::Iid<I>::value)                                                                            \
    return #I
    SIM_NAME(ICore);
    SIM_NAME(ICatalog);
    SIM_NAME(ICatalogEntry);
    SIM_NAME(ILibrary);
    SIM_NAME(IProducts);
    SIM_NAME(IProduct);
    SIM_NAME(IPlatform);
    SIM_NAME(IParameters);
    SIM_NAME(IParameter);
    SIM_NAME(IParameterInfo);
    SIM_NAME(IParameterDetail);
    SIM_NAME(IValueScale);
    SIM_NAME(IValueTexts);
    SIM_NAME(IHybridInfo5020);
    SIM_NAME(IHybridInfo);
    SIM_NAME(IProductLimits);
#undef SIM_NAME
    return {};
}

std::u16string u16(const std::string& s) {
    return vk::fromUtf8(s);
}

std::string variantText(const vk::Variant* v) {
    if (!v)
        return {};
    switch (v->vt) {
    case vk::VT_I4_:
        return std::to_string(v->lVal);
    case vk::VT_BSTR_:
        return "\"" + vk::toUtf8(vk::bstrView(v->bstrVal)) + "\"";
    case vk::VT_EMPTY_:
        return "(empty)";
    default:
        return "(variant type " + std::to_string(v->vt) + ")";
    }
}

vk::HResult fail(vk::HResult status, const std::string& description) {
    vk::setErrorInfo(u16(description));
    return status;
}

} // namespace

// ---------------------------------------------------------------------------------------------
// Platform state

struct FaultState {
    FaultRule rule;
    uint64_t matched = 0;
    int64_t fired = 0;
};

struct Platform::Impl {
    CatalogSpec content;
    std::vector<FaultState> faults;
    std::vector<Call> calls;
    uint64_t seq = 0;
    bool logging = true;
    std::optional<double> injectedValue; // of the fault that fired last

    // Logs the call and applies the fault rules: the status of the fault that fired, or nothing.
    std::optional<vk::HResult> enter(std::string op, std::string argument, const std::string& object) {
        vk::clearErrorInfo();
        Call call{++seq, std::move(op), std::move(argument), object, false};
        std::optional<vk::HResult> result;
        for (FaultState& f : faults) {
            const FaultRule& r = f.rule;
            if (!r.op.empty() && r.op != "*" && r.op != call.op)
                continue;
            if (!r.object.empty() && r.object != call.object)
                continue;
            if (r.seq != 0) {
                if (r.seq != call.seq)
                    continue;
            } else if (f.matched++ < r.after) {
                continue;
            }
            if (r.times >= 0 && f.fired >= r.times)
                continue;
            ++f.fired;
            call.failed = true;
            if (!r.description.empty())
                vk::setErrorInfo(r.description);
            result = r.status;
            injectedValue = r.value;
            break;
        }
        if (logging)
            calls.push_back(std::move(call));
        return result;
    }

    const EntrySpec* entry(size_t e) const {
        return e < content.entries.size() ? &content.entries[e] : nullptr;
    }
    const LibrarySpec* library(size_t e) const {
        const EntrySpec* en = entry(e);
        return en && en->library ? &*en->library : nullptr;
    }
    const ProductSpec* product(size_t e, size_t p) const {
        const LibrarySpec* l = library(e);
        return l && p < l->products.size() ? &l->products[p] : nullptr;
    }
    const std::vector<ParameterSpec>* parameters(size_t e, size_t p, bool ext) const {
        const ProductSpec* pr = product(e, p);
        return pr ? (ext ? &pr->extParameters : &pr->intParameters) : nullptr;
    }
    const ParameterSpec* parameter(size_t e, size_t p, bool ext, size_t k) const {
        const auto* list = parameters(e, p, ext);
        return list && k < list->size() ? &(*list)[k] : nullptr;
    }
};

// Where the objects reach the platform's state; a friend of Platform.
struct SimAccess {
    using State = Platform::Impl;
    static State& impl(Platform& p) { return *p.m_impl; }
};

namespace {

using vk::HResult;
using vk::S_OK_;

// What every object shares: the platform it belongs to, its name in the call log, its count.
class Base {
public:
    Base(const Base&) = delete;
    Base& operator=(const Base&) = delete;

protected:
    Base(std::shared_ptr<Platform> platform, std::string name, const char* iface)
        : m_platform(std::move(platform)), m_name(std::move(name)), m_iface(iface) {
        ++g_liveObjects;
    }
    virtual ~Base() { --g_liveObjects; }

    SimAccess::State& impl() const { return SimAccess::impl(*m_platform); }

    // The frame of every operation: clear the result, log, apply faults, check the result
    // pointer, then run the body. A fault with a success status returns before the body, so the
    // caller gets S_OK with an empty result.
    template <class T, class Body> HResult op(const char* name, std::string argument, T* out, Body&& body) {
        if (out)
            *out = T{};
        const std::string full = std::string(m_iface) + "." + name;
        if (auto faulted = impl().enter(full, std::move(argument), m_name))
            return injected(*faulted, out);
        if (!out)
            return fail(vk::E_POINTER_, full + ": no place for the result was given");
        return body();
    }
    // A fault that fired: its status, and with a success status the number it hands out, if any.
    template <class T> HResult injected(HResult status, T* out) const {
        if constexpr (std::is_arithmetic_v<T>) {
            const std::optional<double>& v = impl().injectedValue;
            if (out && v && !vk::failed(status)) {
                if constexpr (std::is_floating_point_v<T>)
                    *out = static_cast<T>(*v);
                else if (*v >= double(std::numeric_limits<T>::min()) &&
                         *v <= double(std::numeric_limits<T>::max()))
                    *out = static_cast<T>(*v);
            }
        }
        return status;
    }
    template <class Body> HResult opNoResult(const char* name, std::string argument, Body&& body) {
        const std::string full = std::string(m_iface) + "." + name;
        if (auto faulted = impl().enter(full, std::move(argument), m_name))
            return *faulted;
        return body();
    }
    HResult reserved(int place) {
        const std::string full = std::string(m_iface) + ".reserved" + std::to_string(place);
        if (auto faulted = impl().enter(full, {}, m_name))
            return *faulted;
        return fail(vk::E_NOTIMPL_, std::string(m_iface) + ": operation #" + std::to_string(place) +
                                        " is not implemented by the simulated platform");
    }
    HResult dispatchPlace(const char* name) {
        return fail(vk::E_NOTIMPL_,
                    std::string(m_iface) + "." + name + " is not implemented by the simulated platform");
    }
    HResult gone(const char* what) {
        return fail(vk::E_UNEXPECTED_, std::string(m_iface) + ": the " + what + " \"" + m_name +
                                           "\" no longer exists in the platform's catalogue");
    }
    static HResult text(std::u16string_view s, vk::Bstr* out) {
        *out = vk::bstrAlloc(s);
        if (!*out && !s.empty())
            return fail(vk::E_OUTOFMEMORY_, "out of memory for a text");
        return S_OK_;
    }

    // The query frame: asks of the platform's interfaces are logged and can be made to fail.
    template <class Find> HResult queryWith(const vk::Guid& iid, void** out, Find&& find) {
        if (!out)
            return fail(vk::E_POINTER_,
                        std::string(m_iface) + ".QueryInterface: no place for the result was given");
        *out = nullptr;
        const std::string name = interfaceName(iid);
        if (!name.empty()) {
            if (auto faulted =
                    impl().enter(std::string(m_iface) + ".QueryInterface(" + name + ")", {}, m_name))
                return *faulted;
        }
        vk::IUnknown* found = find(iid);
        if (!found)
            return fail(vk::E_NOINTERFACE_, std::string(m_iface) + " \"" + m_name + "\" does not support " +
                                                (name.empty() ? vk::toString(iid) : name));
        found->AddRef();
        *out = found;
        return S_OK_;
    }

    std::shared_ptr<Platform> m_platform;
    std::string m_name;
    const char* m_iface;
    std::atomic<uint32_t> m_refs{1};
};

template <class I> bool is(const vk::Guid& iid) {
    return iid == vk::Iid<I>::value;
}

// IUnknown and IDispatch of a class whose first interface is PRIMARY; FIND maps an identifier to
// one of its interfaces (or null).
#define SIM_OBJECT(PRIMARY)                                                                                  \
    uint32_t VK_CALL AddRef() override {                                                                     \
        return ++m_refs;                                                                                     \
    }                                                                                                        \
    uint32_t VK_CALL Release() override {                                                                    \
        const uint32_t r = --m_refs;                                                                         \
        if (r == 0)                                                                                          \
            delete this;                                                                                     \
        return r;                                                                                            \
    }                                                                                                        \
    HResult VK_CALL QueryInterface(const vk::Guid& iid, void** out) override {                               \
        return queryWith(iid, out, [this](const vk::Guid& i) { return find(i); });                           \
    }                                                                                                        \
    HResult VK_CALL GetTypeInfoCount(uint32_t*) override {                                                   \
        return dispatchPlace("GetTypeInfoCount");                                                            \
    }                                                                                                        \
    HResult VK_CALL GetTypeInfo(uint32_t, uint32_t, void**) override {                                       \
        return dispatchPlace("GetTypeInfo");                                                                 \
    }                                                                                                        \
    HResult VK_CALL GetIDsOfNames(const vk::Guid&, char16_t**, uint32_t, uint32_t, int32_t*) override {      \
        return dispatchPlace("GetIDsOfNames");                                                               \
    }                                                                                                        \
    HResult VK_CALL Invoke(int32_t, const vk::Guid&, uint32_t, uint16_t, void*, vk::Variant*, void*,         \
                           uint32_t*) override {                                                             \
        return dispatchPlace("Invoke");                                                                      \
    }                                                                                                        \
    vk::IUnknown* primary() {                                                                                \
        return static_cast<PRIMARY*>(this);                                                                  \
    }

#define SIM_RESERVED(n)                                                                                      \
    HResult VK_CALL reserved##n() override {                                                                 \
        return reserved(n);                                                                                  \
    }

// An index given as a variant: a position inside 0..count-1.
HResult position(const char* op, const vk::Variant* index, int64_t count, size_t& out) {
    if (!index)
        return fail(vk::E_POINTER_, std::string(op) + ": no index was given");
    if (index->vt != vk::VT_I4_)
        return fail(vk::DISP_E_TYPEMISMATCH_, std::string(op) +
                                                  ": the index must be a 32-bit integer position, not " +
                                                  variantText(index));
    if (index->lVal < 0 || index->lVal >= count)
        return fail(vk::DISP_E_BADINDEX_, std::string(op) + ": position " + std::to_string(index->lVal) +
                                              " is out of range (there " + (count == 1 ? "is " : "are ") +
                                              std::to_string(count) + (count == 1 ? " item)" : " items)"));
    out = static_cast<size_t>(index->lVal);
    return S_OK_;
}

// ---------------------------------------------------------------------------------------------

class ValueScale final : public Base, public talvo::IValueScale {
public:
    ValueScale(std::shared_ptr<Platform> p, std::string name, size_t e, size_t pr, bool ext, size_t k)
        : Base(std::move(p), std::move(name), "IValueScale"), m_e(e), m_p(pr), m_ext(ext), m_k(k) {}
    SIM_OBJECT(talvo::IValueScale)
    SIM_RESERVED(1)
    SIM_RESERVED(2)
    SIM_RESERVED(3)
    HResult VK_CALL ToReal(int32_t raw, double* result) override {
        return op("ToReal", std::to_string(raw), result, [&] {
            const ParameterSpec* ps = impl().parameter(m_e, m_p, m_ext, m_k);
            if (!ps || !ps->detail)
                return gone("parameter");
            *result = ps->detail->offset + ps->detail->scale * static_cast<double>(raw);
            return S_OK_;
        });
    }

private:
    vk::IUnknown* find(const vk::Guid& iid) {
        if (is<vk::IUnknown>(iid) || is<vk::IDispatch>(iid) || is<talvo::IValueScale>(iid))
            return primary();
        return nullptr;
    }
    size_t m_e, m_p;
    bool m_ext;
    size_t m_k;
};

class ValueTexts final : public Base, public talvo::IValueTexts {
public:
    ValueTexts(std::shared_ptr<Platform> p, std::string name, size_t e, size_t pr, bool ext, size_t k)
        : Base(std::move(p), std::move(name), "IValueTexts"), m_e(e), m_p(pr), m_ext(ext), m_k(k) {}
    SIM_OBJECT(talvo::IValueTexts)
    SIM_RESERVED(1)
    SIM_RESERVED(2)
    SIM_RESERVED(3)
    HResult VK_CALL Text(int32_t value, vk::Bstr* result) override {
        return op("Text", std::to_string(value), result, [&] {
            const ParameterSpec* ps = impl().parameter(m_e, m_p, m_ext, m_k);
            if (!ps || !ps->detail)
                return gone("parameter");
            const DetailSpec& d = *ps->detail;
            const int64_t at = static_cast<int64_t>(value) - d.min;
            if (at >= 0 && at < static_cast<int64_t>(d.texts.size()))
                return text(d.texts[static_cast<size_t>(at)], result);
            return text(u16(std::to_string(value)), result);
        });
    }

private:
    vk::IUnknown* find(const vk::Guid& iid) {
        if (is<vk::IUnknown>(iid) || is<vk::IDispatch>(iid) || is<talvo::IValueTexts>(iid))
            return primary();
        return nullptr;
    }
    size_t m_e, m_p;
    bool m_ext;
    size_t m_k;
};

class Parameter final : public Base,
                        public talvo::IParameter,
                        public talvo::IParameterInfo,
                        public talvo::IParameterDetail {
public:
    Parameter(std::shared_ptr<Platform> p, std::string name, size_t e, size_t pr, bool ext, size_t k)
        : Base(std::move(p), std::move(name), "IParameter"), m_e(e), m_p(pr), m_ext(ext), m_k(k) {}
    SIM_OBJECT(talvo::IParameter)
    SIM_RESERVED(1)
    SIM_RESERVED(2)
    SIM_RESERVED(3)
    SIM_RESERVED(4)
    SIM_RESERVED(5)
    SIM_RESERVED(6)
    SIM_RESERVED(7)
    SIM_RESERVED(8)
    SIM_RESERVED(9)
    SIM_RESERVED(10)
    SIM_RESERVED(11)
    SIM_RESERVED(12)
    SIM_RESERVED(13)
    SIM_RESERVED(14)
    SIM_RESERVED(15)
    SIM_RESERVED(16)

    // IParameterInfo
    HResult VK_CALL Name(vk::Bstr* result) override {
        return info("Name", result, [&](const ParameterSpec& ps) { return text(ps.name, result); });
    }
    HResult VK_CALL ParamID(int32_t* result) override {
        return info("ParamID", result, [&](const ParameterSpec& ps) {
            *result = ps.paramId;
            return S_OK_;
        });
    }

    // IParameterDetail
    HResult VK_CALL Kind(int32_t* result) override {
        return detail("Kind", result, [&](const DetailSpec& d) {
            *result = d.kind;
            return S_OK_;
        });
    }
    HResult VK_CALL Default(int32_t* result) override {
        return detail("Default", result, [&](const DetailSpec& d) {
            *result = d.defaultValue;
            return S_OK_;
        });
    }
    HResult VK_CALL Min(int32_t* result) override {
        return detail("Min", result, [&](const DetailSpec& d) {
            *result = d.min;
            return S_OK_;
        });
    }
    HResult VK_CALL Max(int32_t* result) override {
        return detail("Max", result, [&](const DetailSpec& d) {
            *result = d.max;
            return S_OK_;
        });
    }
    HResult VK_CALL Units(vk::Bstr* result) override {
        return detail("Units", result, [&](const DetailSpec& d) { return text(d.units, result); });
    }
    HResult VK_CALL Scale(talvo::IValueScale** result) override {
        return detail("Scale", result, [&](const DetailSpec&) {
            *result = new ValueScale(m_platform, m_name, m_e, m_p, m_ext, m_k);
            return S_OK_;
        });
    }
    HResult VK_CALL Texts(talvo::IValueTexts** result) override {
        return detail("Texts", result, [&](const DetailSpec&) {
            *result = new ValueTexts(m_platform, m_name, m_e, m_p, m_ext, m_k);
            return S_OK_;
        });
    }

private:
    template <class T, class Body> HResult info(const char* name, T* out, Body&& body) {
        if (out)
            *out = T{};
        const std::string full = std::string("IParameterInfo.") + name;
        if (auto faulted = impl().enter(full, {}, m_name))
            return *faulted;
        if (!out)
            return fail(vk::E_POINTER_, full + ": no place for the result was given");
        const ParameterSpec* ps = impl().parameter(m_e, m_p, m_ext, m_k);
        if (!ps)
            return gone("parameter");
        return body(*ps);
    }
    template <class T, class Body> HResult detail(const char* name, T* out, Body&& body) {
        if (out)
            *out = T{};
        const std::string full = std::string("IParameterDetail.") + name;
        if (auto faulted = impl().enter(full, {}, m_name))
            return *faulted;
        if (!out)
            return fail(vk::E_POINTER_, full + ": no place for the result was given");
        const ParameterSpec* ps = impl().parameter(m_e, m_p, m_ext, m_k);
        if (!ps || !ps->detail)
            return gone("parameter");
        return body(*ps->detail);
    }
    vk::IUnknown* find(const vk::Guid& iid) {
        if (is<vk::IUnknown>(iid) || is<vk::IDispatch>(iid) || is<talvo::IParameter>(iid))
            return primary();
        if (is<talvo::IParameterInfo>(iid))
            return static_cast<talvo::IParameterInfo*>(this);
        if (is<talvo::IParameterDetail>(iid)) {
            const ParameterSpec* ps = impl().parameter(m_e, m_p, m_ext, m_k);
            if (ps && ps->detail)
                return static_cast<talvo::IParameterDetail*>(this);
        }
        return nullptr;
    }
    size_t m_e, m_p;
    bool m_ext;
    size_t m_k;
};

class Parameters final : public Base, public talvo::IParameters {
public:
    Parameters(std::shared_ptr<Platform> p, std::string name, size_t e, size_t pr, bool ext)
        : Base(std::move(p), std::move(name), "IParameters"), m_e(e), m_p(pr), m_ext(ext) {}
    SIM_OBJECT(talvo::IParameters)
    HResult VK_CALL Count(int32_t* result) override {
        return op("Count", {}, result, [&] {
            const auto* list = impl().parameters(m_e, m_p, m_ext);
            if (!list)
                return gone("product");
            *result = static_cast<int32_t>(list->size());
            return S_OK_;
        });
    }
    HResult VK_CALL Item(vk::Variant* index, talvo::IParameter** result) override {
        return op("Item", variantText(index), result, [&] {
            const auto* list = impl().parameters(m_e, m_p, m_ext);
            if (!list)
                return gone("product");
            size_t k = 0;
            if (HResult h = position("IParameters.Item", index, static_cast<int64_t>(list->size()), k);
                vk::failed(h))
                return h;
            *result = new Parameter(m_platform, vk::toUtf8((*list)[k].name), m_e, m_p, m_ext, k);
            return S_OK_;
        });
    }

private:
    vk::IUnknown* find(const vk::Guid& iid) {
        if (is<vk::IUnknown>(iid) || is<vk::IDispatch>(iid) || is<talvo::IParameters>(iid))
            return primary();
        return nullptr;
    }
    size_t m_e, m_p;
    bool m_ext;
};

class PlatformObject final : public Base, public talvo::IPlatform {
public:
    PlatformObject(std::shared_ptr<Platform> p, std::string name, size_t e, size_t pr)
        : Base(std::move(p), std::move(name), "IPlatform"), m_e(e), m_p(pr) {}
    SIM_OBJECT(talvo::IPlatform)
    HResult VK_CALL Name(vk::Bstr* result) override {
        return op("Name", {}, result, [&] {
            const ProductSpec* ps = impl().product(m_e, m_p);
            if (!ps)
                return gone("product");
            return text(ps->platform, result);
        });
    }

private:
    vk::IUnknown* find(const vk::Guid& iid) {
        if (is<vk::IUnknown>(iid) || is<vk::IDispatch>(iid) || is<talvo::IPlatform>(iid))
            return primary();
        return nullptr;
    }
    size_t m_e, m_p;
};

// IHybridInfo5020 and IHybridInfo both have a HybridID; these keep the two apart in one object.
struct Hybrid5020Part : talvo::IHybridInfo5020 {
    HResult VK_CALL HybridID(int32_t* result) override { return hybrid5020Id(result); }
    virtual HResult hybrid5020Id(int32_t* result) = 0;
};
struct HybridPart : talvo::IHybridInfo {
    HResult VK_CALL HybridID(int32_t* result) override { return hybridInfoId(result); }
    virtual HResult hybridInfoId(int32_t* result) = 0;
};

class Product final : public Base,
                      public talvo::IProduct,
                      public Hybrid5020Part,
                      public HybridPart,
                      public talvo::IProductLimits {
public:
    Product(std::shared_ptr<sim::Platform> p, std::string name, size_t e, size_t pr)
        : Base(std::move(p), std::move(name), "IProduct"), m_e(e), m_p(pr) {}
    SIM_OBJECT(talvo::IProduct)
    SIM_RESERVED(1)
    SIM_RESERVED(2)
    SIM_RESERVED(3)
    SIM_RESERVED(4)
    SIM_RESERVED(5)
    SIM_RESERVED(6)
    SIM_RESERVED(7)
    SIM_RESERVED(8)
    SIM_RESERVED(9)
    SIM_RESERVED(10)
    SIM_RESERVED(11)
    SIM_RESERVED(12)
    SIM_RESERVED(13)
    SIM_RESERVED(14)
    SIM_RESERVED(15)
    SIM_RESERVED(16)
    SIM_RESERVED(17)
    SIM_RESERVED(18)
    SIM_RESERVED(19)
    SIM_RESERVED(20)
    SIM_RESERVED(21)
    SIM_RESERVED(22)
    SIM_RESERVED(23)
    SIM_RESERVED(24)

    HResult VK_CALL Name(vk::Bstr* result) override {
        return with("IProduct.Name", result, [&](const ProductSpec& ps) { return text(ps.name, result); });
    }
    HResult VK_CALL MapName(vk::Bstr* result) override {
        return with("IProduct.MapName", result,
                    [&](const ProductSpec& ps) { return text(ps.mapName, result); });
    }
    HResult VK_CALL IntParameters(talvo::IParameters** result) override {
        return with("IProduct.IntParameters", result, [&](const ProductSpec&) {
            *result = new Parameters(m_platform, m_name, m_e, m_p, false);
            return S_OK_;
        });
    }
    HResult VK_CALL ExtParameters(talvo::IParameters** result) override {
        return with("IProduct.ExtParameters", result, [&](const ProductSpec&) {
            *result = new Parameters(m_platform, m_name, m_e, m_p, true);
            return S_OK_;
        });
    }
    HResult VK_CALL Platform(talvo::IPlatform** result) override {
        return with("IProduct.Platform", result, [&](const ProductSpec&) {
            *result = new PlatformObject(m_platform, m_name, m_e, m_p);
            return S_OK_;
        });
    }

    HResult hybrid5020Id(int32_t* result) override {
        return with("IHybridInfo5020.HybridID", result, [&](const ProductSpec& ps) {
            *result = ps.hybrid5020.value_or(0);
            return S_OK_;
        });
    }
    HResult hybridInfoId(int32_t* result) override {
        return with("IHybridInfo.HybridID", result, [&](const ProductSpec& ps) {
            *result = ps.hybridId.value_or(0);
            return S_OK_;
        });
    }
    HResult VK_CALL SampleRateCode(int32_t* result) override {
        return with("IHybridInfo.SampleRateCode", result, [&](const ProductSpec& ps) {
            *result = ps.sampleRateCode.value_or(0);
            return S_OK_;
        });
    }
    HResult VK_CALL MaxOutput(double* result) override {
        return with("IProductLimits.MaxOutput", result, [&](const ProductSpec& ps) {
            if (!ps.limits)
                return gone("limits of the product");
            *result = ps.limits->maxOutput;
            return S_OK_;
        });
    }
    HResult VK_CALL MaxGain(double* result) override {
        return with("IProductLimits.MaxGain", result, [&](const ProductSpec& ps) {
            if (!ps.limits)
                return gone("limits of the product");
            *result = ps.limits->maxGain;
            return S_OK_;
        });
    }
    HResult VK_CALL Channels(int32_t* result) override {
        return with("IProductLimits.Channels", result, [&](const ProductSpec& ps) {
            if (!ps.limits)
                return gone("limits of the product");
            *result = ps.limits->channels;
            return S_OK_;
        });
    }

private:
    template <class T, class Body> HResult with(const char* full, T* out, Body&& body) {
        if (out)
            *out = T{};
        if (auto faulted = impl().enter(full, {}, m_name))
            return injected(*faulted, out);
        if (!out)
            return fail(vk::E_POINTER_, std::string(full) + ": no place for the result was given");
        const ProductSpec* ps = impl().product(m_e, m_p);
        if (!ps)
            return gone("product");
        return body(*ps);
    }
    vk::IUnknown* find(const vk::Guid& iid) {
        if (is<vk::IUnknown>(iid) || is<vk::IDispatch>(iid) || is<talvo::IProduct>(iid))
            return primary();
        const ProductSpec* ps = impl().product(m_e, m_p);
        if (!ps)
            return nullptr;
        if (is<talvo::IHybridInfo5020>(iid) && ps->hybrid5020)
            return static_cast<talvo::IHybridInfo5020*>(this);
        if (is<talvo::IHybridInfo>(iid) && (ps->hybridId || ps->sampleRateCode))
            return static_cast<talvo::IHybridInfo*>(this);
        if (is<talvo::IProductLimits>(iid) && ps->limits)
            return static_cast<talvo::IProductLimits*>(this);
        return nullptr;
    }
    size_t m_e, m_p;
};

class Products final : public Base, public talvo::IProducts {
public:
    Products(std::shared_ptr<Platform> p, std::string name, size_t e, bool unlocked)
        : Base(std::move(p), std::move(name), "IProducts"), m_e(e), m_unlocked(unlocked) {}
    SIM_OBJECT(talvo::IProducts)
    HResult VK_CALL Count(int32_t* result) override {
        return op("Count", {}, result, [&] {
            const LibrarySpec* l = impl().library(m_e);
            if (!l)
                return gone("library");
            *result = m_unlocked ? static_cast<int32_t>(l->products.size()) : 0;
            return S_OK_;
        });
    }
    HResult VK_CALL Item(vk::Variant* index, talvo::IProduct** result) override {
        return op("Item", variantText(index), result, [&] {
            const LibrarySpec* l = impl().library(m_e);
            if (!l)
                return gone("library");
            const int64_t count = m_unlocked ? static_cast<int64_t>(l->products.size()) : 0;
            size_t k = 0;
            if (HResult h = position("IProducts.Item", index, count, k); vk::failed(h))
                return h;
            *result = new Product(m_platform, vk::toUtf8(l->products[k].name), m_e, k);
            return S_OK_;
        });
    }

private:
    vk::IUnknown* find(const vk::Guid& iid) {
        if (is<vk::IUnknown>(iid) || is<vk::IDispatch>(iid) || is<talvo::IProducts>(iid))
            return primary();
        return nullptr;
    }
    size_t m_e;
    bool m_unlocked;
};

// An opened library. Unlocking belongs to this opening: the next Library call opens it locked again.
class Library final : public Base, public talvo::ILibrary {
public:
    Library(std::shared_ptr<Platform> p, std::string name, size_t e)
        : Base(std::move(p), std::move(name), "ILibrary"), m_e(e) {}
    SIM_OBJECT(talvo::ILibrary)
    SIM_RESERVED(1)
    SIM_RESERVED(4)
    HResult VK_CALL Name(vk::Bstr* result) override {
        return with("Name", result, [&](const LibrarySpec& l) { return text(l.name, result); });
    }
    HResult VK_CALL Version(vk::Bstr* result) override {
        return with("Version", result, [&](const LibrarySpec& l) { return text(l.version, result); });
    }
    HResult VK_CALL ManufacturerID(int16_t* result) override {
        return with("ManufacturerID", result, [&](const LibrarySpec& l) {
            *result = l.manufacturerId;
            return S_OK_;
        });
    }
    HResult VK_CALL LibraryID(int16_t* result) override {
        return with("LibraryID", result, [&](const LibrarySpec& l) {
            *result = l.libraryId;
            return S_OK_;
        });
    }
    HResult VK_CALL Products(talvo::IProducts** result) override {
        return with("Products", result, [&](const LibrarySpec& l) {
            *result = new sim::Products(m_platform, m_name, m_e, m_unlocked || !l.password);
            return S_OK_;
        });
    }
    // A wrong password is not an error: the library just stays locked.
    HResult VK_CALL Unlock(vk::Bstr password) override {
        const std::u16string_view given = vk::bstrView(password);
        return opNoResult("Unlock", "\"" + vk::toUtf8(given) + "\"", [&] {
            const LibrarySpec* l = impl().library(m_e);
            if (!l)
                return gone("library");
            if (!l->password || *l->password == given)
                m_unlocked = true;
            return S_OK_;
        });
    }

private:
    template <class T, class Body> HResult with(const char* name, T* out, Body&& body) {
        return op(name, {}, out, [&] {
            const LibrarySpec* l = impl().library(m_e);
            if (!l)
                return gone("library");
            return body(*l);
        });
    }
    vk::IUnknown* find(const vk::Guid& iid) {
        if (is<vk::IUnknown>(iid) || is<vk::IDispatch>(iid) || is<talvo::ILibrary>(iid))
            return primary();
        return nullptr;
    }
    size_t m_e;
    bool m_unlocked = false;
};

class CatalogEntry final : public Base, public talvo::ICatalogEntry {
public:
    CatalogEntry(std::shared_ptr<Platform> p, std::string name, size_t e)
        : Base(std::move(p), std::move(name), "ICatalogEntry"), m_e(e) {}
    SIM_OBJECT(talvo::ICatalogEntry)
    HResult VK_CALL Name(vk::Bstr* result) override {
        return with("Name", result, [&](const EntrySpec& en) { return text(en.name, result); });
    }
    HResult VK_CALL Caption(vk::Bstr* result) override {
        return with("Caption", result, [&](const EntrySpec& en) { return text(en.caption, result); });
    }
    HResult VK_CALL Library(talvo::ILibrary** result) override {
        return with("Library", result, [&](const EntrySpec& en) {
            if (en.nullLibrary)
                return S_OK_;
            if (!en.library) {
                vk::setErrorInfo(en.openError);
                return vk::E_FAIL_;
            }
            *result = new sim::Library(m_platform, vk::toUtf8(en.library->name), m_e);
            return S_OK_;
        });
    }

private:
    template <class T, class Body> HResult with(const char* name, T* out, Body&& body) {
        return op(name, {}, out, [&] {
            const EntrySpec* en = impl().entry(m_e);
            if (!en)
                return gone("catalogue entry");
            return body(*en);
        });
    }
    vk::IUnknown* find(const vk::Guid& iid) {
        if (is<vk::IUnknown>(iid) || is<vk::IDispatch>(iid) || is<talvo::ICatalogEntry>(iid))
            return primary();
        return nullptr;
    }
    size_t m_e;
};

class Catalog final : public Base, public talvo::ICatalog {
public:
    explicit Catalog(std::shared_ptr<Platform> p) : Base(std::move(p), {}, "ICatalog") {}
    SIM_OBJECT(talvo::ICatalog)
    SIM_RESERVED(3)
    SIM_RESERVED(4)
    HResult VK_CALL Count(int32_t* result) override {
        return op("Count", {}, result, [&] {
            *result = static_cast<int32_t>(impl().content.entries.size());
            return S_OK_;
        });
    }
    HResult VK_CALL Item(vk::Variant* index, talvo::ICatalogEntry** result) override {
        return op("Item", variantText(index), result, [&] {
            const auto& entries = impl().content.entries;
            size_t e = 0;
            if (index && index->vt == vk::VT_BSTR_) {
                const std::u16string_view key = vk::bstrView(index->bstrVal);
                while (e < entries.size() && entries[e].name != key)
                    ++e;
                if (e == entries.size())
                    return fail(vk::DISP_E_BADINDEX_,
                                "ICatalog.Item: no catalogue entry is named \"" + vk::toUtf8(key) + "\"");
            } else if (HResult h = position("ICatalog.Item", index, static_cast<int64_t>(entries.size()), e);
                       vk::failed(h)) {
                return h;
            }
            *result = new CatalogEntry(m_platform, vk::toUtf8(entries[e].name), e);
            return S_OK_;
        });
    }

private:
    vk::IUnknown* find(const vk::Guid& iid) {
        if (is<vk::IUnknown>(iid) || is<vk::IDispatch>(iid) || is<talvo::ICatalog>(iid))
            return primary();
        return nullptr;
    }
};

class Core final : public Base, public talvo::ICore {
public:
    explicit Core(std::shared_ptr<sim::Platform> p) : Base(std::move(p), {}, "ICore") {}
    SIM_OBJECT(talvo::ICore)
    SIM_RESERVED(1)
    SIM_RESERVED(3)
    SIM_RESERVED(4)
    SIM_RESERVED(5)
    SIM_RESERVED(6)
    SIM_RESERVED(7)
    SIM_RESERVED(8)
    HResult VK_CALL Catalog(talvo::ICatalog** result) override {
        return op("Catalog", {}, result, [&] {
            *result = new sim::Catalog(m_platform);
            return S_OK_;
        });
    }

private:
    vk::IUnknown* find(const vk::Guid& iid) {
        if (is<vk::IUnknown>(iid) || is<vk::IDispatch>(iid) || is<talvo::ICore>(iid))
            return primary();
        return nullptr;
    }
};

} // namespace

// ---------------------------------------------------------------------------------------------
// Platform

Platform::Platform(CatalogSpec content) : m_impl(std::make_unique<Impl>()) {
    m_impl->content = std::move(content);
    for (FaultRule& r : m_impl->content.faults)
        m_impl->faults.push_back({r});
}

Platform::~Platform() = default;

std::shared_ptr<Platform> Platform::create(CatalogSpec content) {
    return std::shared_ptr<Platform>(new Platform(std::move(content)));
}

vk::ComPtr<talvo::ICore> Platform::newCore() {
    return vk::ComPtr<talvo::ICore>::attach(new Core(shared_from_this()));
}

Platform::Registration& Platform::Registration::operator=(Registration&& o) noexcept {
    if (this != &o) {
        if (m_cookie)
            vk::revokeActiveObject(m_cookie);
        m_cookie = o.m_cookie;
        o.m_cookie = 0;
    }
    return *this;
}

Platform::Registration::~Registration() {
    if (m_cookie)
        vk::revokeActiveObject(m_cookie);
}

Platform::Registration Platform::registerRunning() {
    vk::ComPtr<talvo::ICore> core = newCore();
    uint32_t cookie = 0;
    const vk::HResult h = vk::registerActiveObject(core.get(), talvo::CLSID_Core2, &cookie);
    if (vk::failed(h))
        throw std::runtime_error("registering the simulated platform as running failed: " +
                                 vk::statusText(h));
    return Registration(cookie);
}

void Platform::addFault(FaultRule rule) {
    m_impl->faults.push_back({std::move(rule)});
}

void Platform::clearFaults() {
    m_impl->faults.clear();
}

const std::vector<Call>& Platform::calls() const {
    return m_impl->calls;
}

void Platform::clearCalls() {
    m_impl->calls.clear();
}

void Platform::setCallLog(bool on) {
    m_impl->logging = on;
}

size_t Platform::count(const std::string& op, const std::string& object) const {
    size_t n = 0;
    for (const Call& c : m_impl->calls)
        if (c.op == op && (object.empty() || c.object == object))
            ++n;
    return n;
}

int64_t Platform::liveObjects() {
    return g_liveObjects.load();
}

CatalogSpec& Platform::content() {
    return m_impl->content;
}

} // namespace sim
