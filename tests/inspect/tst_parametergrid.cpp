// The parameter grid: title clicks and their colours, cell colours and text placement, the widths
// held while starting up, and the current row kept in step with the table.
#include "inspect/ParameterGrid.h"
#include "product/ParamTable.h"

#include <QApplication>
#include <QHeaderView>
#include <QImage>
#include <QTableView>
#include <QTest>

#include <algorithm>
#include <map>
#include <memory>

using namespace Qt::Literals::StringLiterals;
using inspect::ParameterGrid;
using product::ParamTable;

namespace {

bool isDark(QRgb c) {
    return qGray(c) < 110;
}

// A grid shown over four rows whose fields are in three different orders.
struct GridFixture {
    ParamTable table;
    bool startingUp = false;
    QTableView view;
    std::unique_ptr<ParameterGrid> grid;

    explicit GridFixture(bool starting = false) : startingUp(starting) {
        view.setObjectName(QStringLiteral("DBGrid1"));
        table.appendRows({{0, QStringLiteral("Delta"), 30},
                          {1, QStringLiteral("bravo"), 10},
                          {2, QStringLiteral("Alpha"), 40},
                          {3, QStringLiteral("charlie"), 20}});
        table.first();
        grid = std::make_unique<ParameterGrid>(&view, &table, &startingUp);
        view.resize(276, 300);
    }
    void show() {
        view.show();
        QVERIFY(QTest::qWaitForWindowExposed(&view));
    }
    QHeaderView* header() const { return view.horizontalHeader(); }
    // The title's background: the colour most of its inside shows (its text covers a varying part,
    // depending on the fonts the system has).
    QRgb titlePixel(int logical) const {
        const QImage img = header()->grab().toImage();
        const int left = header()->sectionViewportPosition(logical);
        std::map<QRgb, int> seen;
        for (int x = left + 1; x < left + header()->sectionSize(logical) - 1; ++x)
            for (int y = 1; y < img.height() - 1; ++y)
                ++seen[img.pixel(x, y)];
        return std::max_element(seen.begin(), seen.end(),
                                [](auto& a, auto& b) { return a.second < b.second; })
            ->first;
    }
    QStringList names() const {
        QStringList out;
        for (int r = 0; r < view.model()->rowCount(); ++r)
            out << view.model()->index(r, 1).data().toString();
        return out;
    }
    QPoint titleCentre(int logical) const {
        return {header()->sectionViewportPosition(logical) + header()->sectionSize(logical) / 2,
                header()->height() / 2};
    }
};

} // namespace

class TestParameterGrid : public QObject {
    Q_OBJECT

private slots:
    void titleClickSameColumnTwice_data();
    void titleClickSameColumnTwice();
    void resizeReleaseIsNoClick();
    void cellColoursAndPlacement();
    void cellTextUnderLightSkinText();
    void startUpWidthsHeld();
    void currentRowInStep();
};

void TestParameterGrid::titleClickSameColumnTwice_data() {
    QTest::addColumn<int>("column");
    QTest::addColumn<QStringList>("order");
    QTest::newRow("AsListed") << 0 << QStringList{u"Delta"_s, u"bravo"_s, u"Alpha"_s, u"charlie"_s};
    QTest::newRow("Param Name") << 1 << QStringList{u"Alpha"_s, u"bravo"_s, u"charlie"_s, u"Delta"_s};
    QTest::newRow("ParamID") << 2 << QStringList{u"bravo"_s, u"charlie"_s, u"Delta"_s, u"Alpha"_s};
}

void TestParameterGrid::titleClickSameColumnTwice() {
    QFETCH(int, column);
    QFETCH(QStringList, order);
    GridFixture f;
    f.show();
    QAbstractItemModel* m = f.view.model();

    // Ordered by AsListed from the start, yet no title is highlighted.
    QCOMPARE(f.grid->sortColumn(), -1);
    for (int c = 0; c < 3; ++c) {
        QVERIFY(!m->headerData(c, Qt::Horizontal, Qt::BackgroundRole).isValid());
        QCOMPARE(QColor(f.titlePixel(c)), f.header()->palette().color(QPalette::Button));
        QVERIFY(!m->headerData(c, Qt::Horizontal, Qt::FontRole).value<QFont>().bold());
    }

    for (int click = 0; click < 2; ++click) {
        f.table.setRecNo(3);
        QTest::mouseClick(f.header()->viewport(), Qt::LeftButton, {}, f.titleCentre(column));
        QCOMPARE(f.table.indexField(), ParamTable::Field(column));
        QCOMPARE(f.names(), order);
        QCOMPARE(f.table.recNo(), 0);
        QCOMPARE(f.view.currentIndex().row(), 0);
        for (int c = 0; c < 3; ++c) {
            const bool sorting = c == column;
            QCOMPARE(QColor(f.titlePixel(c)),
                     sorting ? QColor(0x00, 0x80, 0x00) : ParameterGrid::otherTitleColor());
            QCOMPARE(m->headerData(c, Qt::Horizontal, Qt::ForegroundRole).value<QBrush>().color(),
                     sorting ? QColor(Qt::white) : QColor(Qt::black));
            QCOMPARE(m->headerData(c, Qt::Horizontal, Qt::FontRole).value<QFont>().bold(), sorting);
        }
    }
}

void TestParameterGrid::resizeReleaseIsNoClick() {
    GridFixture f;
    f.show();
    QWidget* vp = f.header()->viewport();
    const int border = f.header()->sectionViewportPosition(0) + f.header()->sectionSize(0) - 1;
    const int y = f.header()->height() / 2;
    const int before = f.header()->sectionSize(0);
    QTest::mousePress(vp, Qt::LeftButton, {}, QPoint(border, y));
    QTest::mouseMove(vp, QPoint(border + 20, y));
    QTest::mouseRelease(vp, Qt::LeftButton, {}, QPoint(border + 20, y));
    QVERIFY(f.header()->sectionSize(0) > before);
    QCOMPARE(f.grid->sortColumn(), -1);
    QCOMPARE(f.table.indexField(), ParamTable::AsListed);
}

void TestParameterGrid::cellColoursAndPlacement() {
    GridFixture f;
    f.show();
    f.table.setRecNo(1);
    const QImage img = f.view.viewport()->grab().toImage();
    QAbstractItemModel* m = f.view.model();
    for (int row = 0; row < 4; ++row) {
        for (int col = 0; col < 3; ++col) {
            const QRect r = f.view.visualRect(m->index(row, col));
            const QColor expected = row == 1 ? QColor(0xE8, 0xFF, 0xE8) : QColor(Qt::white);
            QCOMPARE(QColor(img.pixel(r.left() + 1, r.top() + 1)), expected);
            // Text starts 2 px below the top, 2 px from the left or ends 3 px from the right.
            auto darkIn = [&](int x0, int x1, int y0, int y1) {
                for (int x = x0; x <= x1; ++x)
                    for (int y = y0; y <= y1; ++y)
                        if (isDark(img.pixel(x, y)))
                            return true;
                return false;
            };
            QVERIFY(!darkIn(r.left(), r.right(), r.top(), r.top() + 1));
            if (col == 1) {
                QVERIFY(!darkIn(r.left(), r.left() + 1, r.top(), r.bottom()));
                QVERIFY(darkIn(r.left() + 2, r.left() + 6, r.top() + 2, r.bottom()));
            } else {
                QVERIFY(!darkIn(r.right() - 2, r.right(), r.top(), r.bottom()));
                QVERIFY(darkIn(r.right() - 8, r.right() - 3, r.top() + 2, r.bottom()));
            }
        }
    }
}

// A skin with light window text, and a skin change that re-polishes every widget: the one selected
// row of a table still shows black bold text on its pale green.
void TestParameterGrid::cellTextUnderLightSkinText() {
    QPalette light = QApplication::palette();
    light.setColor(QPalette::WindowText, Qt::white);
    light.setColor(QPalette::Text, Qt::white);
    QApplication::setPalette(light);
    qApp->setStyleSheet(QStringLiteral("QPushButton { padding: 2px; }"));
    GridFixture f;
    f.table.emptyDataSet();
    f.table.append({0, QStringLiteral("Volume"), 7});
    f.table.first();
    f.show();
    const auto darkPixels = [&f] {
        const QImage img = f.view.viewport()->grab().toImage();
        const QRect r = f.view.visualRect(f.view.model()->index(0, 1));
        int n = 0;
        for (int x = r.left(); x <= r.right(); ++x)
            for (int y = r.top(); y <= r.bottom(); ++y)
                n += isDark(img.pixel(x, y));
        return n;
    };
    const int before = darkPixels();
    QVERIFY(before > 0);
    qApp->setStyleSheet(QStringLiteral("QPushButton { padding: 3px; }"));
    QCOMPARE(darkPixels(), before);
    qApp->setStyleSheet(QString());
    QApplication::setPalette(QPalette());
}

void TestParameterGrid::startUpWidthsHeld() {
    GridFixture f(true);
    QHeaderView* h = f.header();
    // The design widths last only until the first painting while starting up.
    QCOMPARE(h->sectionSize(0), 56);
    QCOMPARE(h->sectionSize(1), 144);
    QCOMPARE(h->sectionSize(2), 51);
    f.show();
    QTRY_COMPARE(h->sectionSize(0), 50);
    QCOMPARE(h->sectionSize(1), 142);
    QCOMPARE(h->sectionSize(2), 60);

    // Widened by the user while starting up: put back at the next painting.
    h->resizeSection(1, 200);
    f.view.viewport()->grab();
    QTRY_COMPARE(h->sectionSize(1), 142);

    // Once start-up is over the width is the user's.
    f.startingUp = false;
    h->resizeSection(1, 200);
    f.view.viewport()->grab();
    QCoreApplication::processEvents();
    QCOMPARE(h->sectionSize(1), 200);
}

void TestParameterGrid::currentRowInStep() {
    GridFixture f;
    f.show();
    QAbstractItemModel* m = f.view.model();
    QTest::mouseClick(f.view.viewport(), Qt::LeftButton, {}, f.view.visualRect(m->index(2, 1)).center());
    QCOMPARE(f.table.recNo(), 2);
    QVERIFY(f.view.selectionModel()->isRowSelected(2, {}));

    f.table.setRecNo(3);
    QCOMPARE(f.view.currentIndex().row(), 3);
    QVERIFY(f.view.selectionModel()->isRowSelected(3, {}));

    // A refill lands on the table's first row in the order in force.
    f.grid->DBGrid1TitleClick(1);
    f.table.emptyDataSet();
    f.table.appendRows({{0, QStringLiteral("zulu"), 1}, {1, QStringLiteral("echo"), 2}});
    f.table.first();
    QCOMPARE(f.view.currentIndex().row(), 0);
    QCOMPARE(f.view.currentIndex().data().toString().isEmpty(), false);
    QCOMPARE(m->index(0, 1).data().toString(), QStringLiteral("echo"));
}

QTEST_MAIN(TestParameterGrid)
#include "tst_parametergrid.moc"
