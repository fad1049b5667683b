// The version resource through the system's version functions.
#include "FileVersion.h"

#include <QDir>

#ifndef NOMINMAX
#define NOMINMAX
#endif
#define WIN32_LEAN_AND_MEAN
#include <windows.h>

#include <string>

namespace vk {

namespace {

const wchar_t* wide(const QString& s) {
    return reinterpret_cast<const wchar_t*>(s.utf16());
}

} // namespace

QByteArray readVersionInfo(const QString& fileName) {
    const QString path = QDir::toNativeSeparators(fileName);
    DWORD ignored = 0;
    const DWORD size = GetFileVersionInfoSizeW(wide(path), &ignored);
    if (size == 0)
        return {};
    QByteArray info(qsizetype(size), '\0');
    if (!GetFileVersionInfoW(wide(path), 0, size, info.data()))
        return {};
    return info;
}

std::optional<QString> queryVersionString(const QByteArray& info, QStringView table, QStringView key) {
    if (info.isEmpty())
        return std::nullopt;
    const QString subBlock = QStringLiteral("\\StringFileInfo\\") + table.toString() + u'\\' + key.toString();
    void* value = nullptr;
    UINT length = 0;
    // The system reads the copy it filled in readVersionInfo, never a block of ours.
    if (!VerQueryValueW(info.constData(), wide(subBlock), &value, &length) || !value)
        return std::nullopt;
    const auto* text = static_cast<const char16_t*>(value);
    qsizetype n = 0;
    while (n < qsizetype(length) && text[n] != u'\0')
        ++n;
    return QString(reinterpret_cast<const QChar*>(text), n);
}

QString runningExecutable() {
    std::wstring path(MAX_PATH, L'\0');
    for (;;) {
        const DWORD n = GetModuleFileNameW(nullptr, path.data(), DWORD(path.size()));
        if (n == 0)
            return {};
        if (n < path.size())
            return QString::fromWCharArray(path.data(), qsizetype(n));
        path.resize(path.size() * 2);
    }
}

} // namespace vk
