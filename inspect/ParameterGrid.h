// The parameter grid DBGrid1: a table view over the parameter table cds_ through its model ds.
//
// Adds what the table itself does not have: the columns' look, re-ordering by a click on a column
// title with the sorting title highlighted, the colours of the data cells, and the column widths
// held while the main window is starting up.
#pragma once

#include <QColor>
#include <QObject>
#include <QPointer>

#include <QTableView>

class QModelIndex;
class QPainter;
class QRect;

namespace product {
class ParamTable;
class ParamTableModel;
} // namespace product

namespace inspect {

class GridHeaderModel;
class GridCellDelegate;

class ParameterGrid final : public QObject {
    Q_OBJECT
    Q_DISABLE_COPY_MOVE(ParameterGrid)

public:
    // startingUp: the main window's start-up flag; read at every cell painting, never written here.
    ParameterGrid(QTableView* view, product::ParamTable* table, const bool* startingUp,
                  QObject* parent = nullptr);
    ~ParameterGrid() override;

    // Orders the table by the clicked column's field, moves to its first row and highlights the title.
    void DBGrid1TitleClick(int column);

    // The data-cell painting handler, for every data cell the grid paints: the cell's colours by
    // whether it belongs to the selected row, its text at the field's offsets in the grid's bold
    // font, and, while starting up, the start-up column widths.
    void DBGrid1RowChanged(QPainter* painter, const QRect& rect, const QModelIndex& field, bool selected);

    // The widths shown while starting up, by visual position.
    static constexpr int kStartWidths[3] = {50, 142, 60};
    // The design widths, which last only until the first painting while starting up.
    static constexpr int kDesignWidths[3] = {56, 144, 51};

    // The title colours after a title click: the sorting column and every other column.
    static QColor sortedTitleColor();
    static QColor otherTitleColor();
    static QColor selectedRowColor();

    QTableView* view() const { return m_view; }
    // -1 until the first title click.
    int sortColumn() const;

private:
    void holdStartWidths();
    void applyStartWidths();
    void syncViewToTable();

    QPointer<QTableView> m_view;
    product::ParamTable* m_table;
    const bool* m_startingUp;
    product::ParamTableModel* m_ds = nullptr;
    GridHeaderModel* m_header = nullptr;
    GridCellDelegate* m_delegate = nullptr;
    bool m_widthsQueued = false;
    bool m_syncing = false;
    // The grid's font colour: left alone by the selected row, set black by every other cell. It
    // starts as the classic window-text black, not the skin's text colour: a light skin text would
    // vanish on the pale green of a selected row in a table of one row.
    QColor m_fontColor = Qt::black;
};

} // namespace inspect
