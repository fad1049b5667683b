#include "ParameterGrid.h"

#include "product/ParamTable.h"
#include "product/ParamTableModel.h"
#include "ui/Fonts.h"

#include <QHeaderView>
#include <QIdentityProxyModel>
#include <QPainter>
#include <QStyledItemDelegate>
#include <QTableView>

namespace inspect {

namespace {

QFont titleFont() {
    return vk::fonts::form();
}

QFont gridFont() {
    QFont f = titleFont();
    f.setBold(true);
    return f;
}

bool isTextColumn(int logicalColumn) {
    return logicalColumn == product::ParamTable::ParamName;
}

// Painted flat in the brush's exact colour: the default style shades title backgrounds.
class FlatHeader final : public QHeaderView {
public:
    explicit FlatHeader(QWidget* parent) : QHeaderView(Qt::Horizontal, parent) {}

protected:
    void paintSection(QPainter* painter, const QRect& rect, int logicalIndex) const override {
        if (!rect.isValid() || !model())
            return;
        const QVariant bg = model()->headerData(logicalIndex, Qt::Horizontal, Qt::BackgroundRole);
        const QVariant fg = model()->headerData(logicalIndex, Qt::Horizontal, Qt::ForegroundRole);
        const QVariant font = model()->headerData(logicalIndex, Qt::Horizontal, Qt::FontRole);
        const QString text = model()->headerData(logicalIndex, Qt::Horizontal, Qt::DisplayRole).toString();

        painter->save();
        painter->fillRect(rect, bg.isValid() ? bg.value<QBrush>() : palette().button());
        // A raised edge like the grid's fixed cells: light above and left, dark below and right.
        painter->setPen(palette().color(QPalette::Light));
        painter->drawLine(rect.topLeft(), rect.topRight());
        painter->drawLine(rect.topLeft(), rect.bottomLeft());
        painter->setPen(palette().color(QPalette::Dark));
        painter->drawLine(rect.bottomLeft(), rect.bottomRight());
        painter->drawLine(rect.topRight(), rect.bottomRight());
        painter->setFont(font.isValid() ? font.value<QFont>() : this->font());
        painter->setPen(fg.isValid() ? fg.value<QBrush>().color() : palette().color(QPalette::ButtonText));
        painter->setClipRect(rect.adjusted(1, 1, -1, -1));
        painter->drawText(rect.adjusted(2, 0, -2, 0), Qt::AlignCenter | Qt::TextSingleLine, text);
        painter->restore();
    }
};

} // namespace

// The title looks: none highlighted until the first title click, then the sorting column.
class GridHeaderModel final : public QIdentityProxyModel {
public:
    using QIdentityProxyModel::QIdentityProxyModel;

    int sortColumn() const { return m_sortColumn; }
    void setSortColumn(int column) {
        m_sortColumn = column;
        if (columnCount() > 0)
            emit headerDataChanged(Qt::Horizontal, 0, columnCount() - 1);
    }

    QVariant headerData(int section, Qt::Orientation orientation, int role) const override {
        if (orientation == Qt::Horizontal) {
            const bool sorting = m_sortColumn >= 0 && section == m_sortColumn;
            switch (role) {
            case Qt::BackgroundRole:
                if (m_sortColumn < 0)
                    return {};
                return QBrush(sorting ? ParameterGrid::sortedTitleColor() : ParameterGrid::otherTitleColor());
            case Qt::ForegroundRole:
                return QBrush(sorting ? QColor(Qt::white) : QColor(Qt::black));
            case Qt::FontRole: {
                QFont f = titleFont();
                f.setBold(sorting);
                return f;
            }
            case Qt::TextAlignmentRole:
                return QVariant::fromValue(Qt::Alignment(Qt::AlignCenter));
            default:
                break;
            }
        }
        return QIdentityProxyModel::headerData(section, orientation, role);
    }

    QVariant data(const QModelIndex& index, int role) const override {
        if (role == Qt::TextAlignmentRole)
            return QVariant::fromValue(
                Qt::Alignment(isTextColumn(index.column()) ? Qt::AlignLeft : Qt::AlignRight) | Qt::AlignTop);
        return QIdentityProxyModel::data(index, role);
    }

private:
    int m_sortColumn = -1;
};

// Hands every data cell the grid paints to the grid's painting handler.
class GridCellDelegate final : public QStyledItemDelegate {
public:
    GridCellDelegate(ParameterGrid* grid, QObject* parent) : QStyledItemDelegate(parent), m_grid(grid) {}

    void paint(QPainter* painter, const QStyleOptionViewItem& option,
               const QModelIndex& index) const override {
        m_grid->DBGrid1RowChanged(painter, option.rect, index, option.state & QStyle::State_Selected);
    }

private:
    ParameterGrid* m_grid;
};

QColor ParameterGrid::sortedTitleColor() {
    return QColor(0x00, 0x80, 0x00);
}
// The scroll-bar system colour of the classic desktop scheme has no palette role here; a light grey
// stands in for it.
QColor ParameterGrid::otherTitleColor() {
    return QColor(0xC8, 0xC8, 0xC8);
}
QColor ParameterGrid::selectedRowColor() {
    return QColor(0xE8, 0xFF, 0xE8);
}

ParameterGrid::ParameterGrid(QTableView* view, product::ParamTable* table, const bool* startingUp,
                             QObject* parent)
    : QObject(parent), m_view(view), m_table(table), m_startingUp(startingUp) {
    m_ds = new product::ParamTableModel(table, this);
    m_ds->setObjectName(QStringLiteral("ds"));
    m_header = new GridHeaderModel(this);
    m_header->setSourceModel(m_ds);

    auto* header = new FlatHeader(view);
    header->setFont(titleFont());
    view->setHorizontalHeader(header);
    view->setModel(m_header);
    m_delegate = new GridCellDelegate(this, this);
    view->setItemDelegate(m_delegate);

    view->setFont(gridFont());
    view->setToolTip(QStringLiteral("Double Click for Details"));
    view->verticalHeader()->hide();
    view->verticalHeader()->setSectionResizeMode(QHeaderView::Fixed);
    view->verticalHeader()->setDefaultSectionSize(QFontMetrics(gridFont()).height() + 4);
    view->setShowGrid(true);
    view->setSelectionBehavior(QAbstractItemView::SelectRows);
    view->setSelectionMode(QAbstractItemView::SingleSelection);
    view->setEditTriggers(QAbstractItemView::NoEditTriggers);
    view->setSortingEnabled(false);
    view->setWordWrap(false);
    view->setTextElideMode(Qt::ElideNone);

    header->setSectionsClickable(true);
    header->setSectionsMovable(true);
    header->setHighlightSections(false);
    header->setSortIndicatorShown(false);
    header->setStretchLastSection(false);
    header->setSectionResizeMode(QHeaderView::Interactive);
    header->setMinimumSectionSize(1);
    for (int i = 0; i < 3 && i < header->count(); ++i)
        header->resizeSection(i, kDesignWidths[i]);

    // QHeaderView emits no click for a release that ends a resize or a move of a column.
    connect(header, &QHeaderView::sectionClicked, this, &ParameterGrid::DBGrid1TitleClick);

    connect(view->selectionModel(), &QItemSelectionModel::currentRowChanged, this,
            [this](const QModelIndex& current) {
                if (m_syncing || !current.isValid())
                    return;
                if (current.row() != m_table->recNo())
                    m_table->setRecNo(current.row());
            });
    connect(table, &product::ParamTable::currentChanged, this, &ParameterGrid::syncViewToTable);
    connect(m_header, &QAbstractItemModel::modelReset, this, &ParameterGrid::syncViewToTable);
    syncViewToTable();
}

ParameterGrid::~ParameterGrid() = default;

int ParameterGrid::sortColumn() const {
    return m_header->sortColumn();
}

void ParameterGrid::DBGrid1TitleClick(int column) {
    if (column < 0 || column >= product::ParamTable::FieldCount)
        return;
    m_table->setIndexFieldNames(product::ParamTable::fieldName(product::ParamTable::Field(column)));
    m_table->first();
    m_header->setSortColumn(column);
    syncViewToTable();
}

void ParameterGrid::syncViewToTable() {
    if (!m_view || m_syncing)
        return;
    m_syncing = true;
    QItemSelectionModel* sel = m_view->selectionModel();
    const int rec = m_table->recNo();
    if (rec < 0 || rec >= m_header->rowCount()) {
        sel->clear();
    } else {
        const int column = sel->currentIndex().isValid() ? sel->currentIndex().column() : 0;
        const QModelIndex idx = m_header->index(rec, column);
        if (sel->currentIndex() != idx || !sel->isRowSelected(rec, {}))
            sel->setCurrentIndex(idx, QItemSelectionModel::ClearAndSelect | QItemSelectionModel::Rows);
        m_view->scrollTo(idx);
    }
    m_syncing = false;
}

void ParameterGrid::DBGrid1RowChanged(QPainter* painter, const QRect& rect, const QModelIndex& field,
                                      bool selected) {
    QColor background;
    if (selected) {
        background = selectedRowColor();
    } else {
        background = Qt::white;
        m_fontColor = Qt::black;
    }
    const QString text = field.data(Qt::DisplayRole).toString();
    painter->save();
    painter->setClipRect(rect);
    painter->fillRect(rect, background);
    // The grid's own bold font, not the option's: a skin change re-polishes the view and its font.
    static const QFont font = gridFont();
    painter->setFont(font);
    painter->setPen(m_fontColor);
    if (isTextColumn(field.column()))
        painter->drawText(rect.adjusted(2, 2, 0, 0), Qt::AlignLeft | Qt::AlignTop | Qt::TextSingleLine, text);
    else
        painter->drawText(rect.adjusted(0, 2, -3, 0), Qt::AlignRight | Qt::AlignTop | Qt::TextSingleLine,
                          text);
    painter->restore();
    holdStartWidths();
}

void ParameterGrid::holdStartWidths() {
    if (!m_startingUp || !*m_startingUp || m_widthsQueued || !m_view)
        return;
    const QHeaderView* header = m_view->horizontalHeader();
    bool differs = false;
    for (int pos = 0; pos < 3 && pos < header->count(); ++pos)
        differs |= header->sectionSize(header->logicalIndex(pos)) != kStartWidths[pos];
    if (!differs)
        return;
    // Resizing from inside the paint pass would schedule another one at once; do it right after.
    m_widthsQueued = true;
    QMetaObject::invokeMethod(this, &ParameterGrid::applyStartWidths, Qt::QueuedConnection);
}

void ParameterGrid::applyStartWidths() {
    m_widthsQueued = false;
    if (!m_view)
        return;
    QHeaderView* header = m_view->horizontalHeader();
    for (int pos = 0; pos < 3 && pos < header->count(); ++pos) {
        const int logical = header->logicalIndex(pos);
        if (header->sectionSize(logical) != kStartWidths[pos])
            header->resizeSection(logical, kStartWidths[pos]);
    }
}

} // namespace inspect
