#include "EntryListModel.h"

#include <algorithm>
#include <limits>
#include <stdexcept>

namespace inspect {

EntryListModel::EntryListModel(QObject* parent) : QAbstractListModel(parent) {}

EntryListModel::~EntryListModel() = default;

void EntryListModel::append(std::initializer_list<QStringView> pieces) {
    const qsizetype start = m_chars.size();
    quint64 end = quint64(start);
    for (QStringView piece : pieces)
        end += quint64(piece.size());
    if (end > std::numeric_limits<quint32>::max() || m_ends.size() >= size_t(std::numeric_limits<int>::max()))
        throw std::length_error("too many list entries");
    m_chars.resize(qsizetype(end));
    char16_t* out = reinterpret_cast<char16_t*>(m_chars.data()) + start;
    for (QStringView piece : pieces)
        out = std::copy(piece.utf16(), piece.utf16() + piece.size(), out);
    m_ends.push_back(quint32(end));
}

void EntryListModel::publish() {
    const int all = int(m_ends.size());
    if (all > m_shown) {
        beginInsertRows(QModelIndex(), m_shown, all - 1);
        m_shown = all;
        endInsertRows();
    }
    m_chars.squeeze();
    m_ends.shrink_to_fit();
}

QStringView EntryListModel::text(int row) const {
    const quint32 begin = row == 0 ? 0 : m_ends[size_t(row) - 1];
    return QStringView(m_chars).sliced(begin, m_ends[size_t(row)] - begin);
}

int EntryListModel::rowCount(const QModelIndex& parent) const {
    return parent.isValid() ? 0 : m_shown;
}

QVariant EntryListModel::data(const QModelIndex& index, int role) const {
    if (role != Qt::DisplayRole || index.model() != this || index.column() != 0 || index.row() >= m_shown)
        return {};
    return text(index.row()).toString();
}

Qt::ItemFlags EntryListModel::flags(const QModelIndex& index) const {
    if (!index.isValid())
        return Qt::NoItemFlags;
    return Qt::ItemIsSelectable | Qt::ItemIsEnabled | Qt::ItemNeverHasChildren;
}

} // namespace inspect
