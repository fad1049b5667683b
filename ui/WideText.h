// The platform's texts are wide (UTF-16) strings; they become the window's texts where they are
// shown, and typed texts go back the other way.
#pragma once

#include <QString>

#include <string_view>

namespace vk::text {

// A wide text as the window's text, every code unit kept (NULs and unpaired surrogates too).
inline QString fromWide(std::u16string_view text) {
    return QString(reinterpret_cast<const QChar*>(text.data()), static_cast<qsizetype>(text.size()));
}

// The window's text as the platform takes it, without a copy; valid while the text is.
inline std::u16string_view wideView(const QString& text) {
    return {reinterpret_cast<const char16_t*>(text.utf16()), static_cast<size_t>(text.size())};
}

} // namespace vk::text
