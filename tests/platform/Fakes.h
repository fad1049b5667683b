// Small hand-made platform objects that count what is done to them. Shared by the runtime and
// connection tests and by the test server module (so no Qt here).
#pragma once

#include "platform/ComError.h"
#include "platform/talvo.h"
#include "platform/vkcom.h"

#include <cstdint>
#include <string>
#include <type_traits>
#include <vector>

// Exports of the test server modules.
#ifdef _WIN32
#define VK_TEST_EXPORT extern "C" __declspec(dllexport)
#else
#define VK_TEST_EXPORT extern "C" __attribute__((visibility("default")))
#endif

namespace fake {

// What happened to one object; kept outside it, so it can be read after the object is gone.
struct Counts {
    int addRefs = 0;
    int releases = 0;
    int queries = 0;
    bool destroyed = false;
};

// IUnknown for one interface I. The creator holds the first reference.
template <class I> class Unknown : public I {
public:
    explicit Unknown(Counts* counts = nullptr) : m_counts(counts) {}
    virtual ~Unknown() {
        if (m_counts)
            m_counts->destroyed = true;
    }

    vk::HResult VK_CALL QueryInterface(const vk::Guid& iid, void** out) override {
        if (m_counts)
            ++m_counts->queries;
        if (!out)
            return vk::E_POINTER_;
        constexpr bool dual = std::is_base_of_v<vk::IDispatch, I>;
        if (iid == vk::Iid<vk::IUnknown>::value || (dual && iid == vk::Iid<vk::IDispatch>::value) ||
            (iid == vk::Iid<I>::value && !refuseOwn)) {
            *out = static_cast<I*>(this);
            AddRef();
            return vk::S_OK_;
        }
        *out = nullptr;
        return vk::E_NOINTERFACE_;
    }
    uint32_t VK_CALL AddRef() override {
        if (m_counts)
            ++m_counts->addRefs;
        return ++m_refs;
    }
    uint32_t VK_CALL Release() override {
        if (m_counts)
            ++m_counts->releases;
        const uint32_t left = --m_refs;
        if (left == 0)
            delete this;
        return left;
    }

    uint32_t refs() const { return m_refs; }
    // Refuses to be asked for I itself (it still answers IUnknown).
    bool refuseOwn = false;

private:
    Counts* m_counts;
    uint32_t m_refs = 1;
};

// Unknown plus the four dispatch places of a platform interface.
template <class I> class Object : public Unknown<I> {
public:
    using Unknown<I>::Unknown;

    vk::HResult VK_CALL GetTypeInfoCount(uint32_t*) override { return vk::E_NOTIMPL_; }
    vk::HResult VK_CALL GetTypeInfo(uint32_t, uint32_t, void**) override { return vk::E_NOTIMPL_; }
    vk::HResult VK_CALL GetIDsOfNames(const vk::Guid&, char16_t**, uint32_t, uint32_t, int32_t*) override {
        return vk::E_NOTIMPL_;
    }
    vk::HResult VK_CALL Invoke(int32_t, const vk::Guid&, uint32_t, uint16_t, void*, vk::Variant*, void*,
                               uint32_t*) override {
        return vk::E_NOTIMPL_;
    }

protected:
    // A failure the way a server returns one: the description first, then the status.
    static vk::HResult fail(vk::HResult status, const std::u16string& description) {
        if (!description.empty())
            vk::setErrorInfo(description);
        return status;
    }
};

class CatalogEntry final : public Object<talvo::ICatalogEntry> {
public:
    using Object::Object;
    std::u16string name;
    std::u16string caption;
    vk::HResult libraryStatus = vk::E_FAIL_;
    std::u16string libraryError; // the description set with libraryStatus

    vk::HResult VK_CALL Name(vk::Bstr* out) override { return text(name, out); }
    vk::HResult VK_CALL Caption(vk::Bstr* out) override { return text(caption, out); }
    vk::HResult VK_CALL Library(talvo::ILibrary** out) override {
        *out = nullptr;
        return fail(libraryStatus, libraryError);
    }

private:
    static vk::HResult text(const std::u16string& s, vk::Bstr* out) {
        if (!out)
            return vk::E_POINTER_;
        *out = vk::bstrAlloc(s);
        return *out ? vk::S_OK_ : vk::E_OUTOFMEMORY_;
    }
};

class Library final : public Object<talvo::ILibrary> {
public:
    using Object::Object;
    int16_t libraryId = 0;
    std::u16string password; // the right one
    std::vector<std::u16string> tried;

    vk::HResult VK_CALL reserved1() override { return vk::E_NOTIMPL_; }
    vk::HResult VK_CALL Name(vk::Bstr*) override { return vk::E_NOTIMPL_; }
    vk::HResult VK_CALL Version(vk::Bstr*) override { return vk::E_NOTIMPL_; }
    vk::HResult VK_CALL reserved4() override { return vk::E_NOTIMPL_; }
    vk::HResult VK_CALL Products(talvo::IProducts**) override { return vk::E_NOTIMPL_; }
    vk::HResult VK_CALL ManufacturerID(int16_t*) override { return vk::E_NOTIMPL_; }
    vk::HResult VK_CALL LibraryID(int16_t* out) override {
        *out = libraryId;
        return vk::S_OK_;
    }
    vk::HResult VK_CALL Unlock(vk::Bstr pw) override {
        tried.emplace_back(vk::bstrView(pw));
        return vk::bstrView(pw) == password ? vk::S_OK_ : fail(vk::E_ACCESSDENIED_, u"wrong password");
    }
};

// A catalogue of `count` entries named "entry<i>"; Item takes a position or a name.
class Catalog final : public Object<talvo::ICatalog> {
public:
    using Object::Object;
    int32_t count = 0;
    vk::HResult countStatus = vk::S_OK_;
    Counts* entryCounts = nullptr; // handed to every entry made

    vk::HResult VK_CALL Count(int32_t* out) override {
        if (vk::failed(countStatus))
            return countStatus;
        *out = count;
        return vk::S_OK_;
    }
    vk::HResult VK_CALL Item(vk::Variant* index, talvo::ICatalogEntry** out) override {
        *out = nullptr;
        if (!index)
            return vk::E_POINTER_;
        std::u16string name;
        if (index->vt == vk::VT_I4_ && index->lVal >= 0 && index->lVal < count)
            name = u"entry" + std::u16string(vk::fromUtf8(std::to_string(index->lVal)));
        else if (index->vt == vk::VT_BSTR_)
            name = std::u16string(vk::bstrView(index->bstrVal));
        else
            return fail(vk::DISP_E_BADINDEX_, u"no such catalogue entry");
        auto* e = new CatalogEntry(entryCounts);
        e->name = name;
        *out = e;
        return vk::S_OK_;
    }
    vk::HResult VK_CALL reserved3() override { return vk::E_NOTIMPL_; }
    vk::HResult VK_CALL reserved4() override { return vk::E_NOTIMPL_; }
};

// The platform's root object: each Catalog call makes a new catalogue of catalogCount entries.
class Core final : public Object<talvo::ICore> {
public:
    using Object::Object;
    int catalogCalls = 0;
    int32_t catalogCount = 3;
    vk::HResult catalogStatus = vk::S_OK_;
    std::u16string catalogError;

    vk::HResult VK_CALL Catalog(talvo::ICatalog** out) override {
        ++catalogCalls;
        *out = nullptr;
        if (vk::failed(catalogStatus))
            return fail(catalogStatus, catalogError);
        auto* c = new fake::Catalog;
        c->count = catalogCount;
        *out = c;
        return vk::S_OK_;
    }
    vk::HResult VK_CALL reserved1() override { return vk::E_NOTIMPL_; }
    vk::HResult VK_CALL reserved3() override { return vk::E_NOTIMPL_; }
    vk::HResult VK_CALL reserved4() override { return vk::E_NOTIMPL_; }
    vk::HResult VK_CALL reserved5() override { return vk::E_NOTIMPL_; }
    vk::HResult VK_CALL reserved6() override { return vk::E_NOTIMPL_; }
    vk::HResult VK_CALL reserved7() override { return vk::E_NOTIMPL_; }
    vk::HResult VK_CALL reserved8() override { return vk::E_NOTIMPL_; }
};

// Classes served by the test server module besides Core2.
inline constexpr vk::Guid CLSID_TestCatalog = vk::guidOf("{6D1C0C52-3B7E-4F0A-9E51-2A8E5C7B1F01}");
inline constexpr vk::Guid CLSID_TestRefused = vk::guidOf("{6D1C0C52-3B7E-4F0A-9E51-2A8E5C7B1F02}");

// Exported by the test server module: how many objects its factories have made so far.
using CreatedCountFn = int (*)();

} // namespace fake
