// The executable's version information. Linux executables carry no Windows version resource, so
// ours gets a Windows-format version block (VS_VERSIONINFO) in the ELF section ".vkversion" at
// build time; these functions read it back the way the Windows version functions would.
#pragma once

#include <QByteArray>
#include <QString>
#include <QStringView>

#include <optional>

namespace vk {

inline constexpr char versionSectionName[] = ".vkversion";

// The version block of an ELF file; empty when the file cannot be read, is no ELF file or has
// no such section.
QByteArray readVersionInfo(const QString& fileName);

// The text of a string value: "StringFileInfo\<table>\<key>". Nothing when the block is
// malformed or lacks the table or the key. Keys compare without regard to case.
std::optional<QString> queryVersionString(const QByteArray& block, QStringView table, QStringView key);

// The running executable's full file name.
QString runningExecutable();

} // namespace vk
