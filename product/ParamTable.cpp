#include "ParamTable.h"

#include <algorithm>
#include <array>
#include <numeric>
#include <utility>

namespace product {

namespace {

const std::array<QString, ParamTable::FieldCount>& names() {
    static const std::array<QString, ParamTable::FieldCount> n{
        QStringLiteral("AsListed"), QStringLiteral("Param Name"), QStringLiteral("IntParamId")};
    return n;
}

} // namespace

struct ParamTable::Impl {
    std::vector<Row> rows;
    QString indexName = QStringLiteral("aslisted");
    Field index = AsListed;
    int recNo = -1;

    // Sorts the rows ascending by the index field and returns the new place of the row at `track`.
    // The sort is stable: rows equal in the key keep their order. Names compare without regard to
    // case, through keys folded once per sort rather than folding at every comparison.
    int sort(int track) {
        const size_t n = rows.size();
        std::vector<uint32_t> order(n);
        std::iota(order.begin(), order.end(), 0u);
        if (index == ParamName) {
            std::vector<QString> keys;
            keys.reserve(n);
            for (const Row& r : rows)
                keys.push_back(r.ParamName.toCaseFolded());
            return permute(order, track, [&](uint32_t a, uint32_t b) { return keys[a] < keys[b]; });
        }
        std::vector<int32_t> keys;
        keys.reserve(n);
        for (const Row& r : rows)
            keys.push_back(index == AsListed ? r.AsListed : r.IntParamId);
        return permute(order, track, [&](uint32_t a, uint32_t b) { return keys[a] < keys[b]; });
    }

    template <class Less> int permute(std::vector<uint32_t>& order, int track, Less less) {
        if (std::is_sorted(order.begin(), order.end(), less))
            return track;
        std::stable_sort(order.begin(), order.end(), less);
        std::vector<Row> sorted;
        sorted.reserve(rows.size());
        int moved = -1;
        for (size_t i = 0; i < order.size(); ++i) {
            if (static_cast<int>(order[i]) == track)
                moved = static_cast<int>(i);
            sorted.push_back(std::move(rows[order[i]]));
        }
        rows = std::move(sorted);
        return moved;
    }
};

ParamTable::ParamTable(QObject* parent) : QObject(parent), m_d(new Impl) {}

ParamTable::~ParamTable() {
    delete m_d;
}

QString ParamTable::fieldName(Field f) {
    if (f < 0 || f >= FieldCount)
        return {};
    return names()[f];
}

ParamTable::Field ParamTable::fieldByName(const QString& name) {
    for (int f = 0; f < FieldCount; ++f)
        if (names()[f].compare(name, Qt::CaseInsensitive) == 0)
            return static_cast<Field>(f);
    return FieldCount;
}

bool ParamTable::setIndexFieldNames(const QString& name) {
    const Field f = fieldByName(name);
    if (f == FieldCount)
        return false;
    emit aboutToReset();
    m_d->indexName = name;
    m_d->index = f;
    // The current record stays the same record, now at its place in the new order.
    m_d->recNo = m_d->sort(m_d->recNo);
    emit reset();
    emit currentChanged(m_d->recNo);
    return true;
}

QString ParamTable::indexFieldNames() const {
    return m_d->indexName;
}

ParamTable::Field ParamTable::indexField() const {
    return m_d->index;
}

void ParamTable::emptyDataSet() {
    emit aboutToReset();
    m_d->rows.clear();
    m_d->recNo = -1;
    emit reset();
    emit currentChanged(-1);
}

void ParamTable::appendRows(std::vector<Row> rows) {
    if (rows.empty())
        return;
    emit aboutToReset();
    m_d->rows.reserve(m_d->rows.size() + rows.size());
    for (Row& r : rows) {
        r.ParamName = cutName(r.ParamName);
        m_d->rows.push_back(std::move(r));
    }
    // As after storing a record, the last one stored is the current one.
    m_d->recNo = m_d->sort(static_cast<int>(m_d->rows.size()) - 1);
    emit reset();
    emit currentChanged(m_d->recNo);
}

int ParamTable::rowCount() const {
    return static_cast<int>(m_d->rows.size());
}

const ParamTable::Row& ParamTable::row(int i) const {
    return m_d->rows.at(static_cast<size_t>(i));
}

int ParamTable::recNo() const {
    return m_d->recNo;
}

void ParamTable::setRecNo(int i) {
    if (m_d->rows.empty())
        return;
    i = std::clamp(i, 0, rowCount() - 1);
    if (i == m_d->recNo)
        return;
    m_d->recNo = i;
    emit currentChanged(i);
}

void ParamTable::first() {
    if (m_d->rows.empty())
        return;
    m_d->recNo = 0;
    emit currentChanged(0); // also when already there: a view may have moved away from it
}

const ParamTable::Row& ParamTable::current() const {
    return row(m_d->recNo);
}

QString ParamTable::cutName(const QString& name) {
    if (name.size() <= NameSize)
        return name;
    qsizetype units = 0;
    for (int chars = 0; chars < NameSize && units < name.size(); ++chars) {
        const bool pair = name.at(units).isHighSurrogate() && units + 1 < name.size() &&
                          name.at(units + 1).isLowSurrogate();
        units += pair ? 2 : 1;
    }
    return name.left(units);
}

} // namespace product
