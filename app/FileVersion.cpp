// Our reader of a version block (VS_VERSIONINFO): every node bounds-checked against the block,
// so a damaged block gives no value rather than a read past its end.
#include "FileVersion.h"

#include <algorithm>

namespace vk {

namespace {

// One node of the block: u16 length, u16 value length, u16 type, key, value, children.
struct Node {
    qsizetype start = 0, end = 0; // the node's bytes in the block
    QString key;
    qsizetype valueStart = 0;
    quint16 valueLength = 0, type = 0;
    qsizetype childrenStart = 0;
};

qsizetype align4(qsizetype at) {
    return (at + 3) & ~qsizetype(3);
}

quint16 u16At(const QByteArray& b, qsizetype at) {
    return quint16(quint8(b[at]) | (quint8(b[at + 1]) << 8));
}

std::optional<Node> nodeAt(const QByteArray& b, qsizetype at, qsizetype limit) {
    if (at + 6 > limit)
        return std::nullopt;
    Node n;
    n.start = at;
    const quint16 length = u16At(b, at);
    if (length < 6 || at + length > limit)
        return std::nullopt;
    n.end = at + length;
    n.valueLength = u16At(b, at + 2);
    n.type = u16At(b, at + 4);
    qsizetype p = at + 6;
    for (;;) {
        if (p + 2 > n.end)
            return std::nullopt;
        const quint16 c = u16At(b, p);
        p += 2;
        if (c == 0)
            break;
        n.key.append(QChar(c));
    }
    n.valueStart = align4(p);
    const qsizetype valueBytes = n.type == 1 ? qsizetype(n.valueLength) * 2 : n.valueLength;
    if (n.valueStart > n.end)
        n.valueStart = n.end;
    n.childrenStart = std::min(n.end, align4(n.valueStart + valueBytes));
    return n;
}

std::optional<Node> childNamed(const QByteArray& b, const Node& parent, QStringView key) {
    qsizetype at = parent.childrenStart;
    while (at + 6 <= parent.end) {
        const auto child = nodeAt(b, at, parent.end);
        if (!child)
            return std::nullopt;
        if (QStringView(child->key).compare(key, Qt::CaseInsensitive) == 0)
            return child;
        at = align4(child->end);
    }
    return std::nullopt;
}

} // namespace

std::optional<QString> parseVersionString(const QByteArray& block, QStringView table, QStringView key) {
    const auto root = nodeAt(block, 0, block.size());
    if (!root || root->key != u"VS_VERSION_INFO")
        return std::nullopt;
    const auto fileInfo = childNamed(block, *root, u"StringFileInfo");
    if (!fileInfo)
        return std::nullopt;
    const auto stringTable = childNamed(block, *fileInfo, table);
    if (!stringTable)
        return std::nullopt;
    const auto value = childNamed(block, *stringTable, key);
    if (!value)
        return std::nullopt;
    // The text runs up to its terminating zero, within the node.
    QString text;
    for (qsizetype p = value->valueStart; p + 2 <= value->end; p += 2) {
        const quint16 c = u16At(block, p);
        if (c == 0)
            break;
        text.append(QChar(c));
    }
    return text;
}

} // namespace vk
