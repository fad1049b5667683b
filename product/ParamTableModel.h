// The data source `ds`: the parameter table as a Qt table model, for the grid.
#pragma once

#include "ParamTable.h"

#include <QAbstractTableModel>

namespace product {

// Three columns, one per field of the table, rows in the table's index order. Qt::DisplayRole
// gives the texts, Qt::UserRole the raw values (int for the numbers, QString for the name).
// Resets whenever the table is emptied, filled or re-ordered.
class ParamTableModel final : public QAbstractTableModel {
    Q_OBJECT
    Q_DISABLE_COPY_MOVE(ParamTableModel)

public:
    enum Column {
        AsListed = ParamTable::AsListed,
        ParamName = ParamTable::ParamName,
        IntParamId = ParamTable::IntParamId,
        ColumnCount = ParamTable::FieldCount
    };
    static constexpr int RawRole = Qt::UserRole;

    explicit ParamTableModel(ParamTable* table, QObject* parent = nullptr);

    ParamTable* table() const { return m_table; }
    // The field a column shows (the grid orders the table by it on a title click).
    static ParamTable::Field field(int column) { return static_cast<ParamTable::Field>(column); }

    int rowCount(const QModelIndex& parent = {}) const override;
    int columnCount(const QModelIndex& parent = {}) const override;
    QVariant data(const QModelIndex& index, int role = Qt::DisplayRole) const override;
    QVariant headerData(int section, Qt::Orientation orientation, int role = Qt::DisplayRole) const override;
    Qt::ItemFlags flags(const QModelIndex& index) const override;

private:
    ParamTable* m_table;
};

} // namespace product
