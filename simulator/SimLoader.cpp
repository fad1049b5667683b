// Library files: one JSON file per catalogue entry (format in simulator/README.md).
//
// A file can hold anything, so every value is checked for its type and range before it is used,
// nothing is allocated on the strength of a number in the file, and every problem is reported as
// "<file>: <place>: <problem>" instead of being thrown at the caller.
#include "SimPlatform.h"

#include "platform/ComError.h"

#include <nlohmann/json.hpp>

#include <algorithm>
#include <cmath>
#include <filesystem>
#include <fstream>
#include <limits>
#include <new>
#include <sstream>

namespace sim {

namespace {

using nlohmann::json;

// Bounds of what a file may ask for; generous for any real library, small enough that a hostile
// file cannot exhaust memory.
constexpr size_t kMaxFileBytes = 16u << 20;
constexpr size_t kMaxDepth = 32;
constexpr size_t kMaxTextUnits = 1u << 20;
constexpr size_t kMaxProducts = 4096;
constexpr size_t kMaxParameters = 65536;
constexpr size_t kMaxTexts = 65536;
constexpr size_t kMaxFaults = 1024;

struct BadFile {
    std::string place;
    std::string problem;
};

[[noreturn]] void bad(const std::string& place, const std::string& problem) {
    throw BadFile{place, problem};
}

std::string at(const std::string& place, const char* key) {
    return place.empty() ? key : place + "." + key;
}
std::string at(const std::string& place, size_t i) {
    return place + "[" + std::to_string(i) + "]";
}

const char* typeName(const json& v) {
    switch (v.type()) {
    case json::value_t::object:
        return "an object";
    case json::value_t::array:
        return "an array";
    case json::value_t::string:
        return "a text";
    case json::value_t::boolean:
        return "true or false";
    case json::value_t::number_integer:
    case json::value_t::number_unsigned:
        return "an integer";
    case json::value_t::number_float:
        return "a real number";
    case json::value_t::null:
        return "null";
    default:
        return "something else";
    }
}

void onlyKeys(const json& obj, const std::string& place, std::initializer_list<const char*> allowed) {
    for (auto it = obj.begin(); it != obj.end(); ++it) {
        const std::string& k = it.key();
        if (k == "comment")
            continue;
        if (std::none_of(allowed.begin(), allowed.end(), [&](const char* a) { return k == a; }))
            bad(at(place, k.c_str()), "unknown key");
    }
}

const json& object(const json& v, const std::string& place) {
    if (!v.is_object())
        bad(place.empty() ? "(top level)" : place, std::string("must be an object, not ") + typeName(v));
    return v;
}

const json* optional(const json& obj, const char* key) {
    auto it = obj.find(key);
    return it == obj.end() ? nullptr : &*it;
}

const json& required(const json& obj, const std::string& place, const char* key) {
    const json* v = optional(obj, key);
    if (!v)
        bad(at(place, key), "missing");
    return *v;
}

const json& array(const json& v, const std::string& place, size_t max) {
    if (!v.is_array())
        bad(place, std::string("must be an array, not ") + typeName(v));
    if (v.size() > max)
        bad(place, "has " + std::to_string(v.size()) + " elements, more than " + std::to_string(max));
    return v;
}

std::u16string text(const json& v, const std::string& place) {
    if (!v.is_string())
        bad(place, std::string("must be a text, not ") + typeName(v));
    std::u16string s = vk::fromUtf8(v.get_ref<const std::string&>());
    if (s.size() > kMaxTextUnits)
        bad(place, "is longer than " + std::to_string(kMaxTextUnits) + " characters");
    return s;
}

int64_t integer(const json& v, const std::string& place, int64_t lo, int64_t hi) {
    if (!v.is_number_integer())
        bad(place, std::string("must be an integer, not ") + typeName(v));
    if (v.is_number_unsigned()) {
        const uint64_t u = v.get<uint64_t>();
        if (u > static_cast<uint64_t>(hi))
            bad(place, std::to_string(u) + " is outside " + std::to_string(lo) + " to " + std::to_string(hi));
        return static_cast<int64_t>(u);
    }
    const int64_t i = v.get<int64_t>();
    if (i < lo || i > hi)
        bad(place, std::to_string(i) + " is outside " + std::to_string(lo) + " to " + std::to_string(hi));
    return i;
}

int32_t int32(const json& v, const std::string& place) {
    return static_cast<int32_t>(
        integer(v, place, std::numeric_limits<int32_t>::min(), std::numeric_limits<int32_t>::max()));
}

double real(const json& v, const std::string& place) {
    if (!v.is_number())
        bad(place, std::string("must be a number, not ") + typeName(v));
    const double d = v.get<double>();
    if (!std::isfinite(d))
        bad(place, "must be a finite number");
    return d;
}

bool boolean(const json& v, const std::string& place) {
    if (!v.is_boolean())
        bad(place, std::string("must be true or false, not ") + typeName(v));
    return v.get<bool>();
}

// A status: an integer (negative, or as the unsigned 32-bit code) or a text "0x80004005".
vk::HResult status(const json& v, const std::string& place) {
    if (v.is_string()) {
        const std::string& s = v.get_ref<const std::string&>();
        if (s.size() < 3 || s.size() > 10 || s[0] != '0' || (s[1] != 'x' && s[1] != 'X') ||
            s.find_first_not_of("0123456789abcdefABCDEF", 2) != std::string::npos)
            bad(place, "\"" + s + "\" is not a status like \"0x80004005\"");
        return static_cast<vk::HResult>(static_cast<uint32_t>(std::stoul(s.substr(2), nullptr, 16)));
    }
    return static_cast<vk::HResult>(static_cast<uint32_t>(static_cast<int64_t>(
        integer(v, place, std::numeric_limits<int32_t>::min(), std::numeric_limits<uint32_t>::max()))));
}

DetailSpec readDetail(const json& v, const std::string& place) {
    object(v, place);
    onlyKeys(v, place, {"kind", "min", "max", "default", "units", "scale", "offset", "texts"});
    DetailSpec d;
    d.kind = int32(required(v, place, "kind"), at(place, "kind"));
    d.min = int32(required(v, place, "min"), at(place, "min"));
    d.max = int32(required(v, place, "max"), at(place, "max"));
    d.defaultValue = int32(required(v, place, "default"), at(place, "default"));
    if (const json* u = optional(v, "units"))
        d.units = text(*u, at(place, "units"));
    if (const json* s = optional(v, "scale"))
        d.scale = real(*s, at(place, "scale"));
    if (const json* o = optional(v, "offset"))
        d.offset = real(*o, at(place, "offset"));
    if (const json* t = optional(v, "texts")) {
        const std::string tp = at(place, "texts");
        array(*t, tp, kMaxTexts);
        // A text list longer than the range could never be shown and points at a mistake.
        const int64_t range = static_cast<int64_t>(d.max) - d.min + 1;
        if (static_cast<int64_t>(t->size()) > std::max<int64_t>(range, 0))
            bad(tp, "has " + std::to_string(t->size()) + " texts for the " +
                        std::to_string(std::max<int64_t>(range, 0)) + " values from min to max");
        d.texts.reserve(t->size());
        for (size_t i = 0; i < t->size(); ++i)
            d.texts.push_back(text((*t)[i], at(tp, i)));
    }
    return d;
}

std::vector<ParameterSpec> readParameters(const json& v, const std::string& place) {
    array(v, place, kMaxParameters);
    std::vector<ParameterSpec> out;
    out.reserve(v.size());
    for (size_t i = 0; i < v.size(); ++i) {
        const std::string pp = at(place, i);
        const json& p = object(v[i], pp);
        onlyKeys(p, pp, {"name", "paramId", "detail"});
        ParameterSpec ps;
        ps.name = text(required(p, pp, "name"), at(pp, "name"));
        ps.paramId = int32(required(p, pp, "paramId"), at(pp, "paramId"));
        if (const json* d = optional(p, "detail"))
            ps.detail = readDetail(*d, at(pp, "detail"));
        out.push_back(std::move(ps));
    }
    return out;
}

ProductSpec readProduct(const json& p, const std::string& place) {
    object(p, place);
    onlyKeys(p, place,
             {"name", "mapName", "platform", "hybrid5020", "hybridId", "sampleRateCode", "limits",
              "intParameters", "extParameters"});
    ProductSpec ps;
    ps.name = text(required(p, place, "name"), at(place, "name"));
    ps.mapName = text(required(p, place, "mapName"), at(place, "mapName"));
    ps.platform = text(required(p, place, "platform"), at(place, "platform"));
    if (const json* h = optional(p, "hybrid5020"))
        ps.hybrid5020 = int32(*h, at(place, "hybrid5020"));
    if (const json* h = optional(p, "hybridId"))
        ps.hybridId = int32(*h, at(place, "hybridId"));
    if (const json* s = optional(p, "sampleRateCode")) {
        if (!ps.hybridId)
            bad(at(place, "sampleRateCode"), "given without hybridId");
        ps.sampleRateCode = int32(*s, at(place, "sampleRateCode"));
    }
    if (const json* l = optional(p, "limits")) {
        const std::string lp = at(place, "limits");
        object(*l, lp);
        onlyKeys(*l, lp, {"maxOutput", "maxGain", "channels"});
        LimitsSpec ls;
        ls.maxOutput = real(required(*l, lp, "maxOutput"), at(lp, "maxOutput"));
        ls.maxGain = real(required(*l, lp, "maxGain"), at(lp, "maxGain"));
        ls.channels = int32(required(*l, lp, "channels"), at(lp, "channels"));
        ps.limits = ls;
    }
    if (const json* v = optional(p, "intParameters"))
        ps.intParameters = readParameters(*v, at(place, "intParameters"));
    if (const json* v = optional(p, "extParameters"))
        ps.extParameters = readParameters(*v, at(place, "extParameters"));
    return ps;
}

LibrarySpec readLibrary(const json& v, const std::string& place) {
    object(v, place);
    onlyKeys(v, place, {"name", "version", "manufacturerId", "libraryId", "password", "products"});
    LibrarySpec l;
    l.name = text(required(v, place, "name"), at(place, "name"));
    l.version = text(required(v, place, "version"), at(place, "version"));
    l.manufacturerId = static_cast<int16_t>(
        integer(required(v, place, "manufacturerId"), at(place, "manufacturerId"), -32768, 32767));
    l.libraryId =
        static_cast<int16_t>(integer(required(v, place, "libraryId"), at(place, "libraryId"), -32768, 32767));
    if (const json* pw = optional(v, "password"))
        l.password = text(*pw, at(place, "password"));
    const std::string pp = at(place, "products");
    const json& products = array(required(v, place, "products"), pp, kMaxProducts);
    l.products.reserve(products.size());
    for (size_t i = 0; i < products.size(); ++i)
        l.products.push_back(readProduct(products[i], at(pp, i)));
    return l;
}

std::vector<FaultRule> readFaults(const json& v, const std::string& place) {
    array(v, place, kMaxFaults);
    std::vector<FaultRule> out;
    for (size_t i = 0; i < v.size(); ++i) {
        const std::string fp = at(place, i);
        const json& f = object(v[i], fp);
        onlyKeys(f, fp, {"op", "object", "status", "description", "after", "times", "seq"});
        FaultRule r;
        const json& op = required(f, fp, "op");
        if (!op.is_string() || op.get_ref<const std::string&>().empty())
            bad(at(fp, "op"), "must be a non-empty text such as \"ILibrary.Products\" or \"*\"");
        r.op = op.get<std::string>();
        if (const json* o = optional(f, "object")) {
            if (!o->is_string())
                bad(at(fp, "object"), std::string("must be a text, not ") + typeName(*o));
            r.object = o->get<std::string>();
        }
        if (const json* s = optional(f, "status"))
            r.status = status(*s, at(fp, "status"));
        if (const json* d = optional(f, "description"))
            r.description = text(*d, at(fp, "description"));
        if (const json* a = optional(f, "after"))
            r.after =
                static_cast<uint64_t>(integer(*a, at(fp, "after"), 0, std::numeric_limits<int64_t>::max()));
        if (const json* t = optional(f, "times"))
            r.times = integer(*t, at(fp, "times"), -1, std::numeric_limits<int64_t>::max());
        if (const json* s = optional(f, "seq"))
            r.seq = static_cast<uint64_t>(integer(*s, at(fp, "seq"), 0, std::numeric_limits<int64_t>::max()));
        out.push_back(std::move(r));
    }
    return out;
}

// The parser itself copes with deep nesting, but every level costs memory and time further on;
// no library needs more than a handful.
void checkNesting(const std::string& text) {
    size_t depth = 0, line = 1;
    bool inString = false, escaped = false;
    for (char c : text) {
        if (c == '\n')
            ++line;
        if (inString) {
            if (escaped)
                escaped = false;
            else if (c == '\\')
                escaped = true;
            else if (c == '"')
                inString = false;
            continue;
        }
        if (c == '"')
            inString = true;
        else if (c == '[' || c == '{') {
            if (++depth > kMaxDepth)
                bad("line " + std::to_string(line),
                    "nested deeper than " + std::to_string(kMaxDepth) + " levels");
        } else if ((c == ']' || c == '}') && depth > 0) {
            --depth;
        }
    }
}

// The parser's message quotes what it last read, which may be any bytes: keep the message plain text.
std::string printable(const std::string& s) {
    static const char* hex = "0123456789ABCDEF";
    std::string out;
    for (unsigned char c : s) {
        if (c >= 0x20 && c < 0x7F) {
            out += static_cast<char>(c);
        } else {
            out += '<';
            out += hex[c >> 4];
            out += hex[c & 15];
            out += '>';
        }
    }
    return out;
}

json parseJson(const std::string& text) {
    try {
        return json::parse(text);
    } catch (const json::parse_error& e) {
        // "[json.exception.parse_error.101] parse error at line 3, column 7: syntax error ..."
        const std::string what = printable(e.what());
        const size_t lineAt = what.find("at line ");
        const size_t colon = lineAt == std::string::npos ? std::string::npos : what.find(": ", lineAt);
        if (colon != std::string::npos)
            bad(what.substr(lineAt + 3, colon - lineAt - 3), "not valid JSON: " + what.substr(colon + 2));
        const size_t close = what.find("] ");
        bad("byte " + std::to_string(e.byte),
            "not valid JSON: " + (close == std::string::npos ? what : what.substr(close + 2)));
    } catch (const json::exception& e) {
        // Numbers beyond the range of a double end the parse without a position.
        const std::string what = printable(e.what());
        const size_t close = what.find("] ");
        bad("value", close == std::string::npos ? what : what.substr(close + 2));
    }
}

} // namespace

LoadResult parseLibraryText(const std::string& text, const std::string& fileName) {
    LoadResult result;
    try {
        if (text.size() > kMaxFileBytes)
            bad("file", "is larger than " + std::to_string(kMaxFileBytes >> 20) + " MiB");
        checkNesting(text);
        const json doc = parseJson(text);
        object(doc, {});
        onlyKeys(doc, {}, {"name", "caption", "library", "openError", "nullLibrary", "faults"});
        EntrySpec entry;
        entry.name = sim::text(required(doc, {}, "name"), "name");
        entry.caption = sim::text(required(doc, {}, "caption"), "caption");
        const json* lib = optional(doc, "library");
        const json* openError = optional(doc, "openError");
        const json* nullLibrary = optional(doc, "nullLibrary");
        if (nullLibrary)
            entry.nullLibrary = boolean(*nullLibrary, "nullLibrary");
        const int ways = (lib ? 1 : 0) + (openError ? 1 : 0) + (entry.nullLibrary ? 1 : 0);
        if (ways == 0)
            bad("library", "missing (or give \"openError\" for a library that cannot be opened)");
        if (ways > 1)
            bad(lib ? "library" : "openError",
                "only one of \"library\", \"openError\" and \"nullLibrary\" may be given");
        if (lib)
            entry.library = readLibrary(*lib, "library");
        if (openError)
            entry.openError = sim::text(*openError, "openError");
        if (const json* f = optional(doc, "faults"))
            result.faults = readFaults(*f, "faults");
        result.entry = std::move(entry);
    } catch (const BadFile& b) {
        result = LoadResult{};
        result.error = fileName + ": " + b.place + ": " + b.problem;
    } catch (const std::bad_alloc&) {
        result = LoadResult{};
        result.error = fileName + ": file: too large to read (out of memory)";
    } catch (const std::exception& e) {
        result = LoadResult{};
        result.error = fileName + ": file: " + e.what();
    }
    return result;
}

LoadResult loadLibraryFile(const std::string& path) {
    namespace fs = std::filesystem;
    std::string name;
    try {
        name = fs::path(path).filename().string();
        std::error_code ec;
        if (!fs::is_regular_file(path, ec)) {
            LoadResult r;
            r.error = name + ": file: " + (fs::exists(path, ec) ? "is not a regular file" : "does not exist");
            return r;
        }
        const auto size = fs::file_size(path, ec);
        if (ec || size > kMaxFileBytes) {
            LoadResult r;
            r.error = name + ": file: " +
                      (ec ? "cannot be read (" + ec.message() + ")"
                          : "is larger than " + std::to_string(kMaxFileBytes >> 20) + " MiB");
            return r;
        }
        std::ifstream in(path, std::ios::binary);
        std::ostringstream buffer;
        buffer << in.rdbuf();
        if (!in && !in.eof()) {
            LoadResult r;
            r.error = name + ": file: cannot be read";
            return r;
        }
        return parseLibraryText(buffer.str(), name);
    } catch (const std::exception& e) {
        LoadResult r;
        r.error = (name.empty() ? path : name) + ": file: cannot be read (" + e.what() + ")";
        return r;
    }
}

CatalogSpec loadCatalogFolder(const std::string& folder) {
    namespace fs = std::filesystem;
    CatalogSpec catalog;
    std::vector<fs::path> files;
    std::error_code ec;
    for (fs::directory_iterator it(folder, ec), end; !ec && it != end; it.increment(ec)) {
        std::error_code fileEc;
        if (it->path().extension() == ".json" && it->is_regular_file(fileEc))
            files.push_back(it->path());
    }
    std::sort(files.begin(), files.end(),
              [](const fs::path& a, const fs::path& b) { return a.filename() < b.filename(); });
    for (const fs::path& file : files) {
        LoadResult r = loadLibraryFile(file.string());
        if (r.entry) {
            catalog.entries.push_back(std::move(*r.entry));
            for (FaultRule& f : r.faults)
                catalog.faults.push_back(std::move(f));
        } else {
            EntrySpec broken;
            broken.name = vk::fromUtf8(file.stem().string());
            broken.caption = vk::fromUtf8(file.filename().string());
            broken.openError = vk::fromUtf8(r.error);
            catalog.entries.push_back(std::move(broken));
        }
    }
    return catalog;
}

CatalogSpec demoCatalogSpec() {
    return loadCatalogFolder(SIM_DEMO_FOLDER);
}

} // namespace sim
