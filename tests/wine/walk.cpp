// Walks the whole catalogue of the platform reached through TCore2 and prints what every read
// gives, as plain UTF-8 text. Built for Linux against our runtime and for Windows against the
// system's COM, the two outputs must be byte for byte the same: any difference in method tables,
// strings, variants or error information between the two shows up as a differing line.
//
//   vkwalk          the catalogue walk
//   vkwalk status   our texts for statuses the system may not know
#include "platform/Call.h"
#include "platform/ComError.h"
#include "platform/TCore2.h"
#include "platform/talvo.h"
#include "platform/vkcom.h"

#include <charconv>
#include <cstdio>
#include <exception>
#include <functional>
#include <string>

#if defined(_WIN32)
#include <fcntl.h>
#include <io.h>
#endif

using vk::ComPtr;
using vk::VariantHolder;
using namespace talvo;

namespace {

std::string out;

void line(int depth, const std::string& s) {
    out.append(size_t(depth) * 2, ' ');
    out += s;
    out += '\n';
}

std::string hex(vk::HResult h) {
    char buf[16];
    std::snprintf(buf, sizeof buf, "0x%08X", static_cast<uint32_t>(h));
    return buf;
}

std::string text(std::u16string_view s) {
    return '"' + vk::toUtf8(s) + '"';
}

// Shortest text that reads back as the same double, the same on every system.
std::string real(double d) {
    char buf[64];
    const auto r = std::to_chars(buf, buf + sizeof buf, d);
    return std::string(buf, r.ptr);
}

// One read: its value, or the status and message of its failure; the walk goes on either way.
void field(int depth, const std::string& name, const std::function<std::string()>& read) {
    try {
        line(depth, name + ": " + read());
    } catch (const vk::ComError& e) {
        line(depth, name + ": error " + hex(e.code()) + " " + e.what());
    }
}

// A query that the object may refuse: the walk prints the refusal rather than failing.
template <class I, class From>
ComPtr<I> optional(int depth, const std::string& name, const ComPtr<From>& from) {
    ComPtr<I> to;
    const vk::HResult h = from.tryQuery(to);
    if (vk::failed(h) || !to) {
        line(depth, name + ": refused " + hex(h));
        return nullptr;
    }
    return to;
}

void walkParameter(int depth, const ComPtr<IParameter>& parameter, bool details) {
    ComPtr<IParameterInfo> info = parameter.query<IParameterInfo>();
    field(depth, "Name", [&] { return text(vk::call(info, &IParameterInfo::Name)); });
    field(depth, "ParamID", [&] { return std::to_string(vk::call(info, &IParameterInfo::ParamID)); });
    if (!details)
        return;
    ComPtr<IParameterDetail> detail = optional<IParameterDetail>(depth, "Detail", parameter);
    if (!detail)
        return;
    int32_t kind = 0, min = 0, max = 0, def = 0;
    field(depth, "Kind", [&] { return std::to_string(kind = vk::call(detail, &IParameterDetail::Kind)); });
    field(depth, "Min", [&] { return std::to_string(min = vk::call(detail, &IParameterDetail::Min)); });
    field(depth, "Max", [&] { return std::to_string(max = vk::call(detail, &IParameterDetail::Max)); });
    field(depth, "Default",
          [&] { return std::to_string(def = vk::call(detail, &IParameterDetail::Default)); });
    field(depth, "Units", [&] { return text(vk::call(detail, &IParameterDetail::Units)); });
    field(depth, "Scale", [&] {
        ComPtr<IValueScale> scale = vk::call(detail, &IParameterDetail::Scale);
        return real(vk::call(scale, &IValueScale::ToReal, min)) + " " +
               real(vk::call(scale, &IValueScale::ToReal, def)) + " " +
               real(vk::call(scale, &IValueScale::ToReal, max));
    });
    // Value texts of the kinds that show them, a bounded run from the minimum.
    if (kind == 1 || kind == 3 || kind == 4) {
        field(depth, "Texts", [&] {
            ComPtr<IValueTexts> texts = vk::call(detail, &IParameterDetail::Texts);
            std::string all;
            for (int64_t v = min; v <= max && v < int64_t(min) + 16; ++v)
                all += (all.empty() ? "" : " ") + text(vk::call(texts, &IValueTexts::Text, int32_t(v)));
            return all;
        });
    }
}

void walkParameters(int depth, const std::string& name, const ComPtr<IProduct>& product,
                    vk::HResult (VK_CALL IProduct::*which)(IParameters**), bool details) {
    try {
        ComPtr<IParameters> parameters = vk::call(product, which);
        const int32_t count = vk::call(parameters, &IParameters::Count);
        line(depth, name + ": " + std::to_string(count));
        for (int32_t i = 0; i < count; ++i) {
            line(depth + 1, "[" + std::to_string(i) + "]");
            try {
                walkParameter(depth + 2,
                              vk::call(parameters, &IParameters::Item, VariantHolder::fromInt(i).get()),
                              details);
            } catch (const vk::ComError& e) {
                line(depth + 2, "error " + hex(e.code()) + " " + e.what());
            }
        }
    } catch (const vk::ComError& e) {
        line(depth, name + ": error " + hex(e.code()) + " " + e.what());
    }
}

void walkProduct(int depth, const ComPtr<IProduct>& product) {
    field(depth, "Name", [&] { return text(vk::call(product, &IProduct::Name)); });
    field(depth, "MapName", [&] { return text(vk::call(product, &IProduct::MapName)); });
    field(depth, "Platform",
          [&] { return text(vk::call(vk::call(product, &IProduct::Platform), &IPlatform::Name)); });
    if (auto h = optional<IHybridInfo5020>(depth, "IHybridInfo5020", product))
        field(depth, "IHybridInfo5020.HybridID",
              [&] { return std::to_string(vk::call(h, &IHybridInfo5020::HybridID)); });
    if (auto h = optional<IHybridInfo>(depth, "IHybridInfo", product)) {
        field(depth, "IHybridInfo.HybridID",
              [&] { return std::to_string(vk::call(h, &IHybridInfo::HybridID)); });
        field(depth, "IHybridInfo.SampleRateCode",
              [&] { return std::to_string(vk::call(h, &IHybridInfo::SampleRateCode)); });
    }
    if (auto l = optional<IProductLimits>(depth, "IProductLimits", product)) {
        field(depth, "MaxOutput", [&] { return real(vk::call(l, &IProductLimits::MaxOutput)); });
        field(depth, "MaxGain", [&] { return real(vk::call(l, &IProductLimits::MaxGain)); });
        field(depth, "Channels", [&] { return std::to_string(vk::call(l, &IProductLimits::Channels)); });
    }
    walkParameters(depth, "IntParameters", product, &IProduct::IntParameters, true);
    walkParameters(depth, "ExtParameters", product, &IProduct::ExtParameters, false);
}

void walkLibrary(int depth, const ComPtr<ILibrary>& library) {
    field(depth, "Name", [&] { return text(vk::call(library, &ILibrary::Name)); });
    field(depth, "Version", [&] { return text(vk::call(library, &ILibrary::Version)); });
    field(depth, "ManufacturerID",
          [&] { return std::to_string(vk::call(library, &ILibrary::ManufacturerID)); });
    field(depth, "LibraryID", [&] { return std::to_string(vk::call(library, &ILibrary::LibraryID)); });
    try {
        ComPtr<IProducts> products = vk::call(library, &ILibrary::Products);
        const int32_t count = vk::call(products, &IProducts::Count);
        line(depth, "Products: " + std::to_string(count));
        for (int32_t i = 0; i < count; ++i) {
            line(depth + 1, "[" + std::to_string(i) + "]");
            try {
                walkProduct(depth + 2, vk::call(products, &IProducts::Item, VariantHolder::fromInt(i).get()));
            } catch (const vk::ComError& e) {
                line(depth + 2, "error " + hex(e.code()) + " " + e.what());
            }
        }
    } catch (const vk::ComError& e) {
        line(depth, "Products: error " + hex(e.code()) + " " + e.what());
    }
}

void walkCatalogue() {
    TCore2 core;
    const int32_t count = vk::call(core.Catalog(), &ICatalog::Count);
    line(0, "Catalog: " + std::to_string(count));
    for (int32_t i = 0; i < count; ++i) {
        line(1, "[" + std::to_string(i) + "]");
        try {
            // A fresh catalogue for every use, as the tool does.
            ComPtr<ICatalogEntry> entry =
                vk::call(core.Catalog(), &ICatalog::Item, VariantHolder::fromInt(i).get());
            std::u16string name;
            field(2, "Name", [&] { return text(name = vk::call(entry, &ICatalogEntry::Name)); });
            field(2, "Caption", [&] { return text(vk::call(entry, &ICatalogEntry::Caption)); });
            field(2, "ByName", [&] {
                ComPtr<ICatalogEntry> again =
                    vk::call(core.Catalog(), &ICatalog::Item, VariantHolder::fromString(name).get());
                return text(vk::call(again, &ICatalogEntry::Name));
            });
            ComPtr<ILibrary> library;
            try {
                library = vk::call(entry, &ICatalogEntry::Library);
            } catch (const vk::ComError& e) {
                line(2, "Library: error " + hex(e.code()) + " " + e.what());
                continue;
            }
            if (!library) {
                line(2, "Library: none");
                continue;
            }
            line(2, "Library:");
            walkLibrary(3, library);
        } catch (const vk::ComError& e) {
            line(2, "error " + hex(e.code()) + " " + e.what());
        }
    }
}

// Statuses for which our own texts stand in where the system has none.
void statusTexts() {
    for (vk::HResult h : {vk::REGDB_E_CLASSNOTREG_, vk::MK_E_UNAVAILABLE_, vk::hr(0x80041234)})
        line(0, hex(h) + " " + vk::statusText(h));
}

} // namespace

int main(int argc, char** argv) {
#if defined(_WIN32)
    // Byte-identical output: no line-end translation.
    _setmode(_fileno(stdout), _O_BINARY);
#endif
    const std::string mode = argc > 1 ? argv[1] : "";
    int rc = 0;
    vk::coInitialize();
    try {
        if (mode == "status")
            statusTexts();
        else
            walkCatalogue();
    } catch (const std::exception& e) {
        line(0, std::string("fatal: ") + e.what());
        rc = 1;
    }
    vk::coUninitialize();
    std::fwrite(out.data(), 1, out.size(), stdout);
    std::fflush(stdout);
    return rc;
}
