#include "FileVersion.h"

#include <QFile>
#include <QFileInfo>

#include <elf.h>

#include <cstring>

namespace vk {

namespace {

template <class T> bool readAt(QFile& file, quint64 offset, T& out)
{
    if (offset > quint64(file.size()) || !file.seek(qint64(offset))) return false;
    return file.read(reinterpret_cast<char*>(&out), sizeof(T)) == qint64(sizeof(T));
}

// Finds the named section in an ELF file of one class (32 or 64 bits, host byte order), reading
// only the headers, the section names and the section itself.
template <class Ehdr, class Shdr> QByteArray sectionOf(QFile& file, const char* name)
{
    Ehdr eh;
    if (!readAt(file, 0, eh) || eh.e_shentsize != sizeof(Shdr) || eh.e_shstrndx >= eh.e_shnum) return {};
    Shdr names;
    if (!readAt(file, eh.e_shoff + quint64(eh.e_shstrndx) * sizeof(Shdr), names)) return {};
    const quint64 fileSize = quint64(file.size());
    if (names.sh_offset > fileSize || names.sh_size > fileSize - names.sh_offset || !file.seek(qint64(names.sh_offset)))
        return {};
    const QByteArray nameTable = file.read(qint64(names.sh_size));
    const QByteArray wanted(name);
    for (unsigned i = 0; i < eh.e_shnum; ++i) {
        Shdr sh;
        if (!readAt(file, eh.e_shoff + quint64(i) * sizeof(Shdr), sh)) return {};
        if (sh.sh_name >= quint64(nameTable.size())) continue;
        const char* at = nameTable.constData() + sh.sh_name;
        if (QByteArray(at, qstrnlen(at, uint(nameTable.size() - qsizetype(sh.sh_name)))) != wanted) continue;
        if (sh.sh_type == SHT_NOBITS || sh.sh_offset > fileSize || sh.sh_size > fileSize - sh.sh_offset
            || !file.seek(qint64(sh.sh_offset)))
            return {};
        return file.read(qint64(sh.sh_size));
    }
    return {};
}

// One node of the block: u16 length, u16 value length, u16 type, key, value, children.
struct Node {
    qsizetype start = 0, end = 0; // the node's bytes in the block
    QString key;
    qsizetype valueStart = 0;
    quint16 valueLength = 0, type = 0;
    qsizetype childrenStart = 0;
};

qsizetype align4(qsizetype at) { return (at + 3) & ~qsizetype(3); }

quint16 u16At(const QByteArray& b, qsizetype at)
{
    return quint16(quint8(b[at]) | (quint8(b[at + 1]) << 8));
}

std::optional<Node> nodeAt(const QByteArray& b, qsizetype at, qsizetype limit)
{
    if (at + 6 > limit) return std::nullopt;
    Node n;
    n.start = at;
    const quint16 length = u16At(b, at);
    if (length < 6 || at + length > limit) return std::nullopt;
    n.end = at + length;
    n.valueLength = u16At(b, at + 2);
    n.type = u16At(b, at + 4);
    qsizetype p = at + 6;
    for (;;) {
        if (p + 2 > n.end) return std::nullopt;
        const quint16 c = u16At(b, p);
        p += 2;
        if (c == 0) break;
        n.key.append(QChar(c));
    }
    n.valueStart = align4(p);
    const qsizetype valueBytes = n.type == 1 ? qsizetype(n.valueLength) * 2 : n.valueLength;
    if (n.valueStart > n.end) n.valueStart = n.end;
    n.childrenStart = std::min(n.end, align4(n.valueStart + valueBytes));
    return n;
}

std::optional<Node> childNamed(const QByteArray& b, const Node& parent, QStringView key)
{
    qsizetype at = parent.childrenStart;
    while (at + 6 <= parent.end) {
        const auto child = nodeAt(b, at, parent.end);
        if (!child) return std::nullopt;
        if (QStringView(child->key).compare(key, Qt::CaseInsensitive) == 0) return child;
        at = align4(child->end);
    }
    return std::nullopt;
}

} // namespace

QByteArray readVersionInfo(const QString& fileName)
{
    QFile file(fileName);
    if (!file.open(QIODevice::ReadOnly)) return {};
    const QByteArray ident = file.read(EI_NIDENT);
    if (ident.size() < EI_NIDENT || std::memcmp(ident.constData(), ELFMAG, SELFMAG) != 0) return {};
    switch (ident[EI_CLASS]) {
    case ELFCLASS64: return sectionOf<Elf64_Ehdr, Elf64_Shdr>(file, versionSectionName);
    case ELFCLASS32: return sectionOf<Elf32_Ehdr, Elf32_Shdr>(file, versionSectionName);
    default: return {};
    }
}

std::optional<QString> queryVersionString(const QByteArray& block, QStringView table, QStringView key)
{
    const auto root = nodeAt(block, 0, block.size());
    if (!root || root->key != u"VS_VERSION_INFO") return std::nullopt;
    const auto fileInfo = childNamed(block, *root, u"StringFileInfo");
    if (!fileInfo) return std::nullopt;
    const auto stringTable = childNamed(block, *fileInfo, table);
    if (!stringTable) return std::nullopt;
    const auto value = childNamed(block, *stringTable, key);
    if (!value) return std::nullopt;
    // The text runs up to its terminating zero, within the node.
    QString text;
    for (qsizetype p = value->valueStart; p + 2 <= value->end; p += 2) {
        const quint16 c = u16At(block, p);
        if (c == 0) break;
        text.append(QChar(c));
    }
    return text;
}

QString runningExecutable()
{
    return QFileInfo(QStringLiteral("/proc/self/exe")).canonicalFilePath();
}

} // namespace vk
