// Fixture catalogues built in code, and the walk the tool makes from a platform to a library.
// Header-only; link the `testsupport` target.
#pragma once

#include "platform/Call.h"
#include "platform/talvo.h"
#include "simulator/SimPlatform.h"

#include <string>
#include <utility>
#include <vector>

namespace simtest {

// What a one-library catalogue is called where the tool shows or looks it up.
struct LibraryNames {
    std::u16string entry;   // the entry's Name, the key the catalogue accepts
    std::u16string caption; // the entry's Caption
    std::u16string library; // the library's Name
    std::u16string version; // the library's Version
};

// A catalogue of a single entry whose library holds these products.
inline sim::CatalogSpec oneLibraryCatalog(LibraryNames names, std::vector<sim::ProductSpec> products) {
    sim::LibrarySpec lib;
    lib.name = std::move(names.library);
    lib.version = std::move(names.version);
    lib.products = std::move(products);
    sim::EntrySpec entry;
    entry.name = std::move(names.entry);
    entry.caption = std::move(names.caption);
    entry.library = std::move(lib);
    sim::CatalogSpec content;
    content.entries.push_back(std::move(entry));
    return content;
}

// The library of the catalogue's first entry, reached through a new core as the tool reaches it.
inline vk::ComPtr<talvo::ILibrary> firstLibrary(sim::Platform& platform) {
    vk::ComPtr<talvo::ICore> core = platform.newCore();
    vk::ComPtr<talvo::ICatalog> catalog = vk::call(core, &talvo::ICore::Catalog);
    vk::VariantHolder first = vk::VariantHolder::fromInt(0);
    vk::ComPtr<talvo::ICatalogEntry> entry = vk::call(catalog, &talvo::ICatalog::Item, first.get());
    return vk::call(entry, &talvo::ICatalogEntry::Library);
}

// A parameter detail of a kind and value range, with the identity scale and no value texts.
inline sim::DetailSpec detail(int32_t kind, int32_t min, int32_t max, int32_t def,
                              std::u16string units = {}) {
    sim::DetailSpec d;
    d.kind = kind;
    d.min = min;
    d.max = max;
    d.defaultValue = def;
    d.units = std::move(units);
    return d;
}

} // namespace simtest
