// The parameter table, its model, the index and the number texts.
#include "NumberFormat.h"
#include "ParamTable.h"
#include "ParamTableModel.h"
#include "Pidx.h"

#include <QAbstractItemModelTester>
#include <QSignalSpy>
#include <QTest>

#include <cmath>
#include <limits>

using product::ParamTable;
using product::ParamTableModel;

namespace {

std::vector<ParamTable::Row> sampleRows() {
    // Names chosen so that a case-sensitive order would differ from the case-insensitive one.
    return {{0, QStringLiteral("delta"), 30}, {1, QStringLiteral("Bravo"), 10}, {2, QStringLiteral("alpha"), 20},
            {3, QStringLiteral("Charlie"), -1}, {4, QStringLiteral("bravo"), 10}};
}

QList<int> asListedOrder(const ParamTable& t) {
    QList<int> out;
    for (int i = 0; i < t.rowCount(); ++i) out << t.row(i).AsListed;
    return out;
}

} // namespace

class TestParamTable : public QObject {
    Q_OBJECT

private slots:
    void ordering_data();
    void ordering();
    void unknownIndexNameKeepsOrdering_data();
    void unknownIndexNameKeepsOrdering();
    void emptyingKeepsFieldsAndOrdering();
    void cutName_data();
    void cutName();
    void currentRecord();
    void model();
    void modelFollowsTable();
    void pidx();
    void formatReal_data();
    void formatReal();
    void formatInt();
};

void TestParamTable::ordering_data() {
    QTest::addColumn<QString>("index");
    QTest::addColumn<bool>("sortBeforeFill");
    QTest::addColumn<QList<int>>("order");
    // Ties (the two "bravo"s, the two ParamID 10s) keep the order they were stored in.
    QTest::newRow("start") << QString() << false << QList<int>{0, 1, 2, 3, 4};
    QTest::newRow("AsListed") << QStringLiteral("AsListed") << false << QList<int>{0, 1, 2, 3, 4};
    QTest::newRow("name after fill") << QStringLiteral("Param Name") << false << QList<int>{2, 1, 4, 3, 0};
    QTest::newRow("name before fill") << QStringLiteral("param name") << true << QList<int>{2, 1, 4, 3, 0};
    QTest::newRow("name upper case") << QStringLiteral("PARAM NAME") << false << QList<int>{2, 1, 4, 3, 0};
    QTest::newRow("id") << QStringLiteral("intparamid") << false << QList<int>{3, 1, 4, 2, 0};
    QTest::newRow("id before fill") << QStringLiteral("IntParamId") << true << QList<int>{3, 1, 4, 2, 0};
}

void TestParamTable::ordering() {
    QFETCH(QString, index);
    QFETCH(bool, sortBeforeFill);
    QFETCH(QList<int>, order);
    ParamTable t;
    QCOMPARE(t.indexFieldNames(), QStringLiteral("aslisted"));
    QCOMPARE(t.indexField(), ParamTable::AsListed);
    if (!index.isEmpty() && sortBeforeFill) QVERIFY(t.setIndexFieldNames(index));
    t.appendRows(sampleRows());
    if (!index.isEmpty() && !sortBeforeFill) QVERIFY(t.setIndexFieldNames(index));
    QCOMPARE(asListedOrder(t), order);
    if (!index.isEmpty()) QCOMPARE(t.indexFieldNames(), index);

    // Rows added one by one go to their places in index order as well.
    ParamTable single;
    if (!index.isEmpty()) QVERIFY(single.setIndexFieldNames(index));
    for (const auto& r : sampleRows()) single.append(r);
    QCOMPARE(asListedOrder(single), order);
}

void TestParamTable::unknownIndexNameKeepsOrdering_data() {
    QTest::addColumn<QString>("name");
    QTest::newRow("empty") << QString();
    QTest::newRow("other field") << QStringLiteral("Name");
    QTest::newRow("grid title") << QStringLiteral("ParamID");
    QTest::newRow("trailing blank") << QStringLiteral("AsListed ");
}

void TestParamTable::unknownIndexNameKeepsOrdering() {
    QFETCH(QString, name);
    ParamTable t;
    t.appendRows(sampleRows());
    QVERIFY(t.setIndexFieldNames(QStringLiteral("Param Name")));
    QSignalSpy resets(&t, &ParamTable::reset);
    QVERIFY(!t.setIndexFieldNames(name));
    QCOMPARE(resets.count(), 0);
    QCOMPARE(t.indexFieldNames(), QStringLiteral("Param Name"));
    QCOMPARE(asListedOrder(t), (QList<int>{2, 1, 4, 3, 0}));
}

void TestParamTable::emptyingKeepsFieldsAndOrdering() {
    ParamTable t;
    QVERIFY(t.setIndexFieldNames(QStringLiteral("Param Name")));
    t.appendRows(sampleRows());
    t.emptyDataSet();
    QCOMPARE(t.rowCount(), 0);
    QCOMPARE(t.recNo(), -1);
    QCOMPARE(t.indexFieldNames(), QStringLiteral("Param Name"));
    t.appendRows({{0, QStringLiteral("zulu"), 1}, {1, QStringLiteral("Yankee"), 2}, {2, QStringLiteral("x-ray"), 3}});
    QCOMPARE(asListedOrder(t), (QList<int>{2, 1, 0}));
    QCOMPARE(ParamTable::fieldName(ParamTable::AsListed), QStringLiteral("AsListed"));
    QCOMPARE(ParamTable::fieldName(ParamTable::ParamName), QStringLiteral("Param Name"));
    QCOMPARE(ParamTable::fieldName(ParamTable::IntParamId), QStringLiteral("IntParamId"));
}

void TestParamTable::cutName_data() {
    QTest::addColumn<QString>("name");
    QTest::addColumn<QString>("stored");
    const QString a49(49, QLatin1Char('a'));
    const QString a50(50, QLatin1Char('a'));
    const QString grin = QString::fromUcs4(U"\U0001F600");
    QTest::newRow("short") << QStringLiteral("Gain") << QStringLiteral("Gain");
    QTest::newRow("empty") << QString() << QString();
    QTest::newRow("50") << a50 << a50;
    QTest::newRow("60") << a50 + QStringLiteral("bbbbbbbbbb") << a50;
    QTest::newRow("non-BMP at the cut") << a49 + grin + QStringLiteral("zz") << a49 + grin;
    QTest::newRow("non-BMP just after") << a50 + grin << a50;
    QString grins;
    for (int i = 0; i < 50; ++i) grins += grin;
    QTest::newRow("50 non-BMP") << grins << grins;
    QTest::newRow("55 non-BMP") << grins + grin + grin + grin + grin + grin << grins;
    QTest::newRow("lone surrogate at the cut") << a49 + QChar(0xD800) + QStringLiteral("bc") << a49 + QChar(0xD800);
}

void TestParamTable::cutName() {
    QFETCH(QString, name);
    QFETCH(QString, stored);
    QCOMPARE(ParamTable::cutName(name), stored);
    ParamTable t;
    t.append({0, name, 0});
    QCOMPARE(t.row(0).ParamName, stored);
}

void TestParamTable::currentRecord() {
    ParamTable t;
    QSignalSpy moves(&t, &ParamTable::currentChanged);
    QCOMPARE(t.recNo(), -1);
    t.first(); // nothing to stand on
    QCOMPARE(t.recNo(), -1);
    QVERIFY(t.setIndexFieldNames(QStringLiteral("Param Name")));
    moves.clear();
    t.appendRows(sampleRows());
    // The last row stored is current: "bravo" (AsListed 4), third in name order.
    QCOMPARE(t.recNo(), 2);
    QCOMPARE(t.current().AsListed, 4);
    QCOMPARE(moves.count(), 1);
    QCOMPARE(moves.last().at(0).toInt(), 2);
    // Re-ordering keeps the same record current.
    QVERIFY(t.setIndexFieldNames(QStringLiteral("AsListed")));
    QCOMPARE(t.current().AsListed, 4);
    QCOMPARE(t.recNo(), 4);
    t.first();
    QCOMPARE(t.recNo(), 0);
    QCOMPARE(t.current().ParamName, QStringLiteral("delta"));
    t.setRecNo(99);
    QCOMPARE(t.recNo(), 4);
    t.emptyDataSet();
    QCOMPARE(t.recNo(), -1);
    QCOMPARE(moves.last().at(0).toInt(), -1);
}

void TestParamTable::model() {
    ParamTable t;
    ParamTableModel m(&t);
    QAbstractItemModelTester tester(&m, QAbstractItemModelTester::FailureReportingMode::QtTest);
    QCOMPARE(m.columnCount(), 3);
    QCOMPARE(m.rowCount(), 0);
    QCOMPARE(m.headerData(0, Qt::Horizontal).toString(), QStringLiteral("AsListed"));
    QCOMPARE(m.headerData(1, Qt::Horizontal).toString(), QStringLiteral("Param Name"));
    QCOMPARE(m.headerData(2, Qt::Horizontal).toString(), QStringLiteral("ParamID"));

    t.appendRows(sampleRows());
    QCOMPARE(m.rowCount(), 5);
    const QModelIndex id = m.index(3, ParamTableModel::IntParamId);
    QCOMPARE(m.data(id).toString(), QStringLiteral("-1"));
    QCOMPARE(m.data(id, Qt::UserRole).typeId(), QMetaType::Int);
    QCOMPARE(m.data(id, Qt::UserRole).toInt(), -1);
    QCOMPARE(m.data(m.index(3, ParamTableModel::ParamName)).toString(), QStringLiteral("Charlie"));
    QCOMPARE(m.data(m.index(3, ParamTableModel::AsListed), Qt::UserRole).toInt(), 3);
    QVERIFY(m.data(id, Qt::TextAlignmentRole).value<Qt::Alignment>() & Qt::AlignRight);
    QVERIFY(m.data(m.index(0, ParamTableModel::ParamName), Qt::TextAlignmentRole).value<Qt::Alignment>() &
            Qt::AlignLeft);
    QVERIFY(!(m.flags(id) & Qt::ItemIsEditable));

    QVERIFY(t.setIndexFieldNames(QStringLiteral("Param Name")));
    QCOMPARE(m.data(m.index(0, ParamTableModel::ParamName)).toString(), QStringLiteral("alpha"));
    t.emptyDataSet();
    QCOMPARE(m.rowCount(), 0);
}

void TestParamTable::modelFollowsTable() {
    ParamTable t;
    ParamTableModel m(&t);
    QSignalSpy about(&m, &QAbstractItemModel::modelAboutToBeReset);
    QSignalSpy done(&m, &QAbstractItemModel::modelReset);
    std::vector<ParamTable::Row> many;
    for (int i = 0; i < 1000; ++i) many.push_back({i, QStringLiteral("p%1").arg(999 - i), i});
    t.appendRows(std::move(many));
    QCOMPARE(about.count(), 1); // one batch, one update
    QCOMPARE(done.count(), 1);
    t.emptyDataSet();
    QCOMPARE(done.count(), 2);
    t.appendRows({});
    QCOMPARE(done.count(), 2);
}

void TestParamTable::pidx() {
    product::PidxTable p;
    for (int id : {0, 1, 512, 1024}) QVERIFY(p.cell(id) && p.cell(id)->isEmpty());
    for (int id : {-1, 1025, std::numeric_limits<int32_t>::min(), std::numeric_limits<int32_t>::max()}) {
        QVERIFY(!p.cell(id));
        p.set(id, 7); // ignored
        QCOMPARE(p.position(id), -1);
    }
    p.set(1024, 3);
    p.set(0, 5);
    p.set(0, 9); // a later write wins
    QCOMPARE(p.cell(1024)->ref().vt, vk::VT_I4_);
    QCOMPARE(p.cell(1024)->ref().lVal, 3);
    QCOMPARE(p.position(0), 9);
    QCOMPARE(p.position(1), -1);
    QCOMPARE(product::PidxTable::Size, 1025);
}

void TestParamTable::formatReal_data() {
    QTest::addColumn<double>("value");
    QTest::addColumn<QString>("locale");
    QTest::addColumn<QString>("text");
    const QString c = QStringLiteral("C");
    const QString de = QStringLiteral("de_DE");
    QTest::newRow("2") << 2.0 << c << QStringLiteral("2");
    QTest::newRow("0.5") << 0.5 << c << QStringLiteral("0.5");
    QTest::newRow("40") << 40.0 << c << QStringLiteral("40");
    QTest::newRow("100") << 100.0 << c << QStringLiteral("100");
    QTest::newRow("0") << 0.0 << c << QStringLiteral("0");
    QTest::newRow("-0") << -0.0 << c << QStringLiteral("0");
    QTest::newRow("1E-5") << 0.00001 << c << QStringLiteral("1E-5");
    QTest::newRow("0.0001") << 0.0001 << c << QStringLiteral("0.0001");
    QTest::newRow("0.00012345") << 0.00012345 << c << QStringLiteral("0.00012345");
    QTest::newRow("1.5E20") << 1.5e20 << c << QStringLiteral("1.5E20");
    QTest::newRow("15 digits") << 123456789012345.0 << c << QStringLiteral("123456789012345");
    QTest::newRow("1E15") << 1e15 << c << QStringLiteral("1E15");
    QTest::newRow("rounds up to 1E15") << 999999999999999.9 << c << QStringLiteral("1E15");
    QTest::newRow("16 digits") << 1234567890123456.0 << c << QStringLiteral("1.23456789012346E15");
    QTest::newRow("1E14") << 1e14 << c << QStringLiteral("100000000000000");
    QTest::newRow("negative") << -40.25 << c << QStringLiteral("-40.25");
    QTest::newRow("negative small") << -2.5e-7 << c << QStringLiteral("-2.5E-7");
    QTest::newRow("0.1 + 0.2") << 0.1 + 0.2 << c << QStringLiteral("0.3");
    QTest::newRow("1/3") << 1.0 / 3 << c << QStringLiteral("0.333333333333333");
    QTest::newRow("2/3") << 2.0 / 3 << c << QStringLiteral("0.666666666666667");
    QTest::newRow("large") << 1.7976931348623157e308 << c << QStringLiteral("1.79769313486232E308");
    QTest::newRow("denormal") << 4.9406564584124654e-324 << c << QStringLiteral("4.94065645841247E-324");
    QTest::newRow("no grouping") << 1234567.5 << de << QStringLiteral("1234567,5");
    QTest::newRow("decimal comma") << 0.5 << de << QStringLiteral("0,5");
    QTest::newRow("decimal comma, scientific") << 1.5e20 << de << QStringLiteral("1,5E20");
    QTest::newRow("decimal comma, integer") << 40.0 << de << QStringLiteral("40");
    QTest::newRow("nan") << std::nan("") << c << QStringLiteral("NAN");
    QTest::newRow("inf") << std::numeric_limits<double>::infinity() << c << QStringLiteral("INF");
    QTest::newRow("-inf") << -std::numeric_limits<double>::infinity() << c << QStringLiteral("-INF");
}

void TestParamTable::formatReal() {
    QFETCH(double, value);
    QFETCH(QString, locale);
    QFETCH(QString, text);
    QCOMPARE(product::formatReal(value, QLocale(locale)), text);
}

void TestParamTable::formatInt() {
    QCOMPARE(product::formatInt(0), QStringLiteral("0"));
    QCOMPARE(product::formatInt(-1), QStringLiteral("-1"));
    QCOMPARE(product::formatInt(1234567), QStringLiteral("1234567"));
    QCOMPARE(product::formatInt(std::numeric_limits<qint64>::min()), QStringLiteral("-9223372036854775808"));
}

QTEST_MAIN(TestParamTable)
#include "tst_paramtable.moc"
