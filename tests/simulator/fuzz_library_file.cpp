// libFuzzer target for the library-file reader: any bytes give either an entry or an error naming
// the file, never a crash, hang or unbounded allocation; an entry that was read is then served by
// the platform and walked, so the values a file can carry are exercised through the object model.
#include "platform/Call.h"
#include "simulator/SimPlatform.h"

#include <cstddef>
#include <cstdint>
#include <string>

using namespace talvo;

namespace {

template <class I> void walkParameters(const vk::ComPtr<I>& list) {
    int32_t count = 0;
    if (vk::failed(list->Count(&count)))
        __builtin_trap();
    for (int32_t i = 0; i < count; ++i) {
        vk::VariantHolder v = vk::VariantHolder::fromInt(i);
        vk::ComPtr<IParameter> p;
        if (vk::failed(list->Item(v.get(), p.put())) || !p)
            __builtin_trap();
        vk::ComPtr<IParameterInfo> info = p.template query<IParameterInfo>();
        vk::UniqueBstr name;
        int32_t id = 0;
        info->Name(name.put());
        info->ParamID(&id);
        vk::ComPtr<IParameterDetail> d;
        if (vk::failed(p.tryQuery(d)))
            continue;
        int32_t kind = 0, lo = 0, hi = 0, def = 0;
        d->Kind(&kind);
        d->Min(&lo);
        d->Max(&hi);
        d->Default(&def);
        vk::UniqueBstr units;
        d->Units(units.put());
        vk::ComPtr<IValueScale> scale;
        vk::ComPtr<IValueTexts> texts;
        if (vk::failed(d->Scale(scale.put())) || vk::failed(d->Texts(texts.put())))
            __builtin_trap();
        // A few values from each end of the range, however wide it is.
        const int64_t values[] = {int64_t(lo) - 1, lo, int64_t(lo) + 1, def,
                                  int64_t(hi) - 1, hi, int64_t(hi) + 1};
        for (int64_t value : values) {
            const int32_t raw = static_cast<int32_t>(value);
            double real = 0;
            scale->ToReal(raw, &real);
            vk::UniqueBstr text;
            if (vk::failed(texts->Text(raw, text.put())))
                __builtin_trap();
        }
    }
}

void walk(const sim::LoadResult& r) {
    sim::CatalogSpec content;
    content.entries.push_back(*r.entry);
    auto platform = sim::Platform::create(std::move(content));
    auto core = platform->newCore();
    vk::ComPtr<ICatalog> catalog;
    if (vk::failed(core->Catalog(catalog.put())))
        __builtin_trap();
    vk::VariantHolder zero = vk::VariantHolder::fromInt(0);
    vk::ComPtr<ICatalogEntry> entry;
    if (vk::failed(catalog->Item(zero.get(), entry.put())))
        __builtin_trap();
    vk::ComPtr<ILibrary> lib;
    if (vk::failed(entry->Library(lib.put())) || !lib)
        return;
    vk::UniqueBstr password(r.entry->library->password.value_or(u""));
    lib->Unlock(password.get());
    vk::ComPtr<IProducts> products;
    lib->Products(products.put());
    int32_t count = 0;
    products->Count(&count);
    if (count != static_cast<int32_t>(r.entry->library->products.size()))
        __builtin_trap();
    for (int32_t i = 0; i < count; ++i) {
        vk::VariantHolder v = vk::VariantHolder::fromInt(i);
        vk::ComPtr<IProduct> p;
        if (vk::failed(products->Item(v.get(), p.put())))
            __builtin_trap();
        vk::ComPtr<IProductLimits> limits;
        if (vk::succeeded(p.tryQuery(limits))) {
            double g = 0;
            limits->MaxGain(&g);
        }
        vk::ComPtr<IParameters> params;
        p->IntParameters(params.put());
        walkParameters(params);
        p->ExtParameters(params.put());
        walkParameters(params);
    }
}

} // namespace

extern "C" int LLVMFuzzerTestOneInput(const uint8_t* data, size_t size) {
    const std::string text(reinterpret_cast<const char*>(data), size);
    const int64_t live = sim::Platform::liveObjects();
    const sim::LoadResult r = sim::parseLibraryText(text, "fuzz.json");
    // Exactly one of entry and error, and an error names the file and a place.
    if (r.entry.has_value() == !r.error.empty())
        __builtin_trap();
    if (!r.error.empty() &&
        (r.error.rfind("fuzz.json: ", 0) != 0 || r.error.find(": ", 11) == std::string::npos))
        __builtin_trap();
    if (r.entry && r.entry->library)
        walk(r);
    if (sim::Platform::liveObjects() != live)
        __builtin_trap();
    return 0;
}
