// The executable's version information (a VS_VERSIONINFO block). On Windows it is the version
// resource, read with the system's version functions. Elsewhere executables carry no such
// resource, so ours get the same block in the ELF section ".vkversion" at build time, and these
// functions read it back the way the system's would.
#pragma once

#include <QByteArray>
#include <QString>
#include <QStringView>

#include <optional>

namespace vk {

inline constexpr char versionSectionName[] = ".vkversion";

// The version information of an executable; empty when the file cannot be read or has none.
QByteArray readVersionInfo(const QString& fileName);

// The text of the string value "\StringFileInfo\<table>\<key>" of information that
// readVersionInfo gave, up to its terminating zero. Nothing when the table or the key is missing.
std::optional<QString> queryVersionString(const QByteArray& info, QStringView table, QStringView key);

// The same lookup done by our own reader, on any block, however damaged: nothing when it is
// malformed or lacks the table or the key. Keys compare without regard to case.
std::optional<QString> parseVersionString(const QByteArray& block, QStringView table, QStringView key);

// The running executable's full file name.
QString runningExecutable();

} // namespace vk
