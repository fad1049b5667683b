// The error raised when a platform call returns a failure status.
#pragma once

#include "vkcom.h"

#include <stdexcept>
#include <string>

namespace vk {

VKCOM_API std::string toUtf8(std::u16string_view s);
VKCOM_API std::u16string fromUtf8(std::string_view s);

class VKCOM_API ComError : public std::runtime_error {
public:
    // message: UTF-8; the server's description, or the system's text for the status.
    ComError(HResult code, const std::string& message) : std::runtime_error(message), m_code(code) {}
    HResult code() const { return m_code; }

private:
    HResult m_code;
};

// Unpaired surrogates become U+FFFD; invalid UTF-8 bytes too.

// Raises the error for a failure status that was just returned: the server's description when it
// set one, else the system's text for the status.
[[noreturn]] VKCOM_API void throwComError(HResult h);

// Tests a status at once.
inline void check(HResult h) {
    if (failed(h))
        throwComError(h);
}

} // namespace vk
