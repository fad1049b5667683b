#include "ParamTableModel.h"

#include "NumberFormat.h"

namespace product {

ParamTableModel::ParamTableModel(ParamTable* table, QObject* parent)
    : QAbstractTableModel(parent), m_table(table) {
    connect(table, &ParamTable::aboutToReset, this, &ParamTableModel::beginResetModel);
    connect(table, &ParamTable::reset, this, &ParamTableModel::endResetModel);
}

int ParamTableModel::rowCount(const QModelIndex& parent) const {
    return parent.isValid() ? 0 : m_table->rowCount();
}

int ParamTableModel::columnCount(const QModelIndex& parent) const {
    return parent.isValid() ? 0 : ColumnCount;
}

QVariant ParamTableModel::data(const QModelIndex& index, int role) const {
    if (!checkIndex(index, CheckIndexOption::IndexIsValid | CheckIndexOption::ParentIsInvalid))
        return {};
    const ParamTable::Row& r = m_table->row(index.row());
    switch (role) {
    case Qt::DisplayRole:
        switch (index.column()) {
        case AsListed:
            return formatInt(r.AsListed);
        case ParamName:
            return r.ParamName;
        case IntParamId:
            return formatInt(r.IntParamId);
        }
        break;
    case RawRole:
        switch (index.column()) {
        case AsListed:
            return r.AsListed;
        case ParamName:
            return r.ParamName;
        case IntParamId:
            return r.IntParamId;
        }
        break;
    case Qt::TextAlignmentRole:
        // Numbers right, text left, as the fields' kinds ask.
        return QVariant::fromValue(Qt::AlignVCenter |
                                   (index.column() == ParamName ? Qt::AlignLeft : Qt::AlignRight));
    default:
        break;
    }
    return {};
}

QVariant ParamTableModel::headerData(int section, Qt::Orientation orientation, int role) const {
    if (orientation != Qt::Horizontal || role != Qt::DisplayRole || section < 0 || section >= ColumnCount)
        return QAbstractTableModel::headerData(section, orientation, role);
    // The identifier column is titled apart from its field's name.
    if (section == IntParamId)
        return QStringLiteral("ParamID");
    return ParamTable::fieldName(field(section));
}

Qt::ItemFlags ParamTableModel::flags(const QModelIndex& index) const {
    if (!index.isValid())
        return Qt::NoItemFlags;
    return Qt::ItemIsEnabled | Qt::ItemIsSelectable | Qt::ItemNeverHasChildren;
}

} // namespace product
