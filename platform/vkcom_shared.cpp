// The parts of the component runtime that do not depend on the system beneath it: compiled into
// both backends, so identifiers, texts and thrown errors come out alike on every system.
#include "vkcom_shared.h"
#include "ComError.h"

#include <cstdio>
#include <mutex>
#include <new>
#include <utility>

namespace vk {

// ---------------------------------------------------------------------------------------------
// Identifiers

bool parseGuid(std::string_view t, Guid& out) {
    return detail::parseGuidText(t, out);
}

std::string toString(const Guid& g) {
    char buf[40];
    std::snprintf(buf, sizeof buf, "{%08X-%04X-%04X-%02X%02X-%02X%02X%02X%02X%02X%02X}", g.data1, g.data2,
                  g.data3, g.data4[0], g.data4[1], g.data4[2], g.data4[3], g.data4[4], g.data4[5], g.data4[6],
                  g.data4[7]);
    return buf;
}

// ---------------------------------------------------------------------------------------------
// Statuses

std::string detail::ownStatusText(HResult h) {
    switch (h) {
    case S_OK_:
        return "The operation completed successfully";
    case S_FALSE_:
        return "The operation completed with a false result";
    case E_NOTIMPL_:
        return "Not implemented";
    case E_NOINTERFACE_:
        return "Interface not supported";
    case E_POINTER_:
        return "Invalid pointer";
    case E_ABORT_:
        return "Operation aborted";
    case E_FAIL_:
        return "Unspecified error";
    case E_UNEXPECTED_:
        return "Catastrophic failure";
    case E_ACCESSDENIED_:
        return "Access is denied";
    case E_HANDLE_:
        return "The handle is invalid";
    case E_OUTOFMEMORY_:
        return "Out of memory";
    case E_INVALIDARG_:
        return "One or more arguments are invalid";
    case DISP_E_TYPEMISMATCH_:
        return "Type mismatch";
    case DISP_E_BADINDEX_:
        return "Invalid index";
    case CLASS_E_NOAGGREGATION_:
        return "Class does not support aggregation";
    case CLASS_E_CLASSNOTAVAILABLE_:
        return "Class not available from the server module";
    case REGDB_E_CLASSNOTREG_:
        return "Class not registered";
    case CO_E_NOTINITIALIZED_:
        return "The component runtime has not been initialised";
    case CO_E_DLLNOTFOUND_:
        return "The server module could not be loaded";
    case CO_E_ERRORINDLL_:
        return "The server module is not valid";
    case MK_E_UNAVAILABLE_:
        return "Operation unavailable";
    case CO_E_SERVER_EXEC_FAILURE_:
        return "Server execution failed";
    default:
        break;
    }
    char buf[40];
    std::snprintf(buf, sizeof buf, "Unspecified error 0x%08X", static_cast<uint32_t>(h));
    return buf;
}

void throwComError(HResult h) {
    std::u16string description;
    if (takeErrorInfo(description) && !description.empty())
        throw ComError(h, toUtf8(description));
    throw ComError(h, statusText(h));
}

// ---------------------------------------------------------------------------------------------
// Apartment faults

namespace {

std::mutex g_faultLock;
std::vector<std::string> g_faults;

} // namespace

void detail::checkModuleCanUnload(const std::string& module, HResult(VK_CALL* canUnloadNow)()) {
    if (!canUnloadNow || canUnloadNow() == S_OK_)
        return;
    const std::string fault = "The server module " + module +
                              " still has live objects as the apartment ends: they were released too late";
    std::fprintf(stderr, "vkcom: %s\n", fault.c_str());
    std::lock_guard guard(g_faultLock);
    g_faults.push_back(fault);
}

std::vector<std::string> takeApartmentFaults() {
    std::lock_guard guard(g_faultLock);
    return std::exchange(g_faults, {});
}

// ---------------------------------------------------------------------------------------------
// Variants

VariantHolder VariantHolder::fromInt(int32_t i) {
    VariantHolder h;
    h.m_v.vt = VT_I4_;
    h.m_v.lVal = i;
    return h;
}

VariantHolder VariantHolder::fromString(std::u16string_view s) {
    VariantHolder h;
    Bstr b = bstrAlloc(s);
    if (!b)
        throw std::bad_alloc();
    h.m_v.vt = VT_BSTR_;
    h.m_v.bstrVal = b;
    return h;
}

// ---------------------------------------------------------------------------------------------
// Text conversion. Unpaired surrogates and invalid bytes become U+FFFD, so texts compare equal
// across builds.

std::string toUtf8(std::u16string_view s) {
    std::string out;
    out.reserve(s.size());
    for (size_t i = 0; i < s.size(); ++i) {
        uint32_t c = s[i];
        if (c >= 0xD800 && c <= 0xDBFF && i + 1 < s.size() && s[i + 1] >= 0xDC00 && s[i + 1] <= 0xDFFF) {
            c = 0x10000 + ((c - 0xD800) << 10) + (uint32_t(s[i + 1]) - 0xDC00);
            ++i;
        } else if (c >= 0xD800 && c <= 0xDFFF) {
            c = 0xFFFD;
        }
        if (c < 0x80) {
            out += static_cast<char>(c);
        } else if (c < 0x800) {
            out += static_cast<char>(0xC0 | (c >> 6));
            out += static_cast<char>(0x80 | (c & 0x3F));
        } else if (c < 0x10000) {
            out += static_cast<char>(0xE0 | (c >> 12));
            out += static_cast<char>(0x80 | ((c >> 6) & 0x3F));
            out += static_cast<char>(0x80 | (c & 0x3F));
        } else {
            out += static_cast<char>(0xF0 | (c >> 18));
            out += static_cast<char>(0x80 | ((c >> 12) & 0x3F));
            out += static_cast<char>(0x80 | ((c >> 6) & 0x3F));
            out += static_cast<char>(0x80 | (c & 0x3F));
        }
    }
    return out;
}

std::u16string fromUtf8(std::string_view s) {
    std::u16string out;
    out.reserve(s.size());
    size_t i = 0;
    while (i < s.size()) {
        const auto b = static_cast<unsigned char>(s[i]);
        if (b < 0x80) {
            out += static_cast<char16_t>(b);
            ++i;
            continue;
        }
        int need = 0;
        uint32_t c = 0;
        unsigned char lo = 0x80, hi = 0xBF; // allowed range of the second byte
        if (b >= 0xC2 && b <= 0xDF) {
            need = 1;
            c = b & 0x1F;
        } else if (b >= 0xE0 && b <= 0xEF) {
            need = 2;
            c = b & 0x0F;
            if (b == 0xE0)
                lo = 0xA0; // no overlong forms
            if (b == 0xED)
                hi = 0x9F; // no encoded surrogates
        } else if (b >= 0xF0 && b <= 0xF4) {
            need = 3;
            c = b & 0x07;
            if (b == 0xF0)
                lo = 0x90;
            if (b == 0xF4)
                hi = 0x8F; // nothing above U+10FFFF
        } else {
            out += u'\uFFFD';
            ++i;
            continue;
        }
        // A broken sequence is replaced by one U+FFFD for its valid beginning; the byte that broke
        // it is looked at afresh.
        size_t j = i + 1;
        bool ok = true;
        for (int k = 0; k < need; ++k, ++j) {
            if (j >= s.size()) {
                ok = false;
                break;
            }
            const auto cb = static_cast<unsigned char>(s[j]);
            const unsigned char l = k == 0 ? lo : 0x80, h = k == 0 ? hi : 0xBF;
            if (cb < l || cb > h) {
                ok = false;
                break;
            }
            c = (c << 6) | (cb & 0x3F);
        }
        if (!ok) {
            out += u'\uFFFD';
            i = j;
            continue;
        }
        i = j;
        if (c >= 0x10000) {
            c -= 0x10000;
            out += static_cast<char16_t>(0xD800 + (c >> 10));
            out += static_cast<char16_t>(0xDC00 + (c & 0x3FF));
        } else {
            out += static_cast<char16_t>(c);
        }
    }
    return out;
}

} // namespace vk
