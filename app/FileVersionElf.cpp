// The version block of our executables where the system has no version resources: the ELF
// section the build adds, read with bounds checks from the file itself.
#include "FileVersion.h"

#include <QFile>
#include <QFileInfo>

#include <elf.h>

#include <cstring>

namespace vk {

namespace {

template <class T> bool readAt(QFile& file, quint64 offset, T& out) {
    if (offset > quint64(file.size()) || !file.seek(qint64(offset)))
        return false;
    return file.read(reinterpret_cast<char*>(&out), sizeof(T)) == qint64(sizeof(T));
}

// Finds the named section in an ELF file of one class (32 or 64 bits, host byte order), reading
// only the headers, the section names and the section itself.
template <class Ehdr, class Shdr> QByteArray sectionOf(QFile& file, const char* name) {
    Ehdr eh;
    if (!readAt(file, 0, eh) || eh.e_shentsize != sizeof(Shdr) || eh.e_shstrndx >= eh.e_shnum)
        return {};
    Shdr names;
    if (!readAt(file, eh.e_shoff + quint64(eh.e_shstrndx) * sizeof(Shdr), names))
        return {};
    const quint64 fileSize = quint64(file.size());
    if (names.sh_offset > fileSize || names.sh_size > fileSize - names.sh_offset ||
        !file.seek(qint64(names.sh_offset)))
        return {};
    const QByteArray nameTable = file.read(qint64(names.sh_size));
    const QByteArray wanted(name);
    for (unsigned i = 0; i < eh.e_shnum; ++i) {
        Shdr sh;
        if (!readAt(file, eh.e_shoff + quint64(i) * sizeof(Shdr), sh))
            return {};
        if (sh.sh_name >= quint64(nameTable.size()))
            continue;
        const char* at = nameTable.constData() + sh.sh_name;
        if (QByteArray(at, qstrnlen(at, uint(nameTable.size() - qsizetype(sh.sh_name)))) != wanted)
            continue;
        if (sh.sh_type == SHT_NOBITS || sh.sh_offset > fileSize || sh.sh_size > fileSize - sh.sh_offset ||
            !file.seek(qint64(sh.sh_offset)))
            return {};
        return file.read(qint64(sh.sh_size));
    }
    return {};
}

} // namespace

QByteArray readVersionInfo(const QString& fileName) {
    QFile file(fileName);
    if (!file.open(QIODevice::ReadOnly))
        return {};
    const QByteArray ident = file.read(EI_NIDENT);
    if (ident.size() < EI_NIDENT || std::memcmp(ident.constData(), ELFMAG, SELFMAG) != 0)
        return {};
    switch (ident[EI_CLASS]) {
    case ELFCLASS64:
        return sectionOf<Elf64_Ehdr, Elf64_Shdr>(file, versionSectionName);
    case ELFCLASS32:
        return sectionOf<Elf32_Ehdr, Elf32_Shdr>(file, versionSectionName);
    default:
        return {};
    }
}

std::optional<QString> queryVersionString(const QByteArray& block, QStringView table, QStringView key) {
    return parseVersionString(block, table, key);
}

QString runningExecutable() {
    return QFileInfo(QStringLiteral("/proc/self/exe")).canonicalFilePath();
}

} // namespace vk
