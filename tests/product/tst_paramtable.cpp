// The parameter table, its model, the index and the number texts.
#include "product/NumberFormat.h"
#include "product/ParamTable.h"
#include "product/ParamTableModel.h"
#include "product/Pidx.h"

#include <QAbstractItemModelTester>
#include <QSignalSpy>
#include <QTest>

#include <charconv>
#include <cmath>
#include <cstring>
#include <limits>
#include <random>
#include <string>
#include <string_view>
#include <vector>

using product::ParamTable;
using product::ParamTableModel;

namespace {

std::vector<ParamTable::Row> sampleRows() {
    // Names chosen so that a case-sensitive order would differ from the case-insensitive one.
    return {{0, QStringLiteral("delta"), 30},
            {1, QStringLiteral("Bravo"), 10},
            {2, QStringLiteral("alpha"), 20},
            {3, QStringLiteral("Charlie"), -1},
            {4, QStringLiteral("bravo"), 10}};
}

QList<int> asListedOrder(const ParamTable& t) {
    QList<int> out;
    for (int i = 0; i < t.rowCount(); ++i)
        out << t.row(i).AsListed;
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
    void formatRealAsPlainRounding();
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
    if (!index.isEmpty() && sortBeforeFill)
        QVERIFY(t.setIndexFieldNames(index));
    t.appendRows(sampleRows());
    if (!index.isEmpty() && !sortBeforeFill)
        QVERIFY(t.setIndexFieldNames(index));
    QCOMPARE(asListedOrder(t), order);
    if (!index.isEmpty())
        QCOMPARE(t.indexFieldNames(), index);

    // Rows added one by one go to their places in index order as well.
    ParamTable single;
    if (!index.isEmpty())
        QVERIFY(single.setIndexFieldNames(index));
    for (const auto& r : sampleRows())
        single.append(r);
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
    t.appendRows(
        {{0, QStringLiteral("zulu"), 1}, {1, QStringLiteral("Yankee"), 2}, {2, QStringLiteral("x-ray"), 3}});
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
    for (int i = 0; i < 50; ++i)
        grins += grin;
    QTest::newRow("50 non-BMP") << grins << grins;
    QTest::newRow("55 non-BMP") << grins + grin + grin + grin + grin + grin << grins;
    QTest::newRow("lone surrogate at the cut")
        << a49 + QChar(0xD800) + QStringLiteral("bc") << a49 + QChar(0xD800);
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
    for (int i = 0; i < 1000; ++i)
        many.push_back({i, QStringLiteral("p%1").arg(999 - i), i});
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
    for (int id : {0, 1, 512, 1024})
        QVERIFY(p.cell(id) && p.cell(id)->isEmpty());
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
    // Appending writes the same after what the text already holds.
    QString appended = QStringLiteral("7: ");
    product::appendReal(appended, value, QLocale(locale).decimalPoint());
    QCOMPARE(appended, QStringLiteral("7: ") + text);
}

namespace {

// The rule written out the plain way: round to 15 significant digits with to_chars, then lay the
// digits out. The formatter must give the same text for every value, whatever shortcuts it takes.
QString plainRounding(double v) {
    if (v == 0)
        return QStringLiteral("0");
    char buf[40];
    const auto res = std::to_chars(buf, buf + sizeof buf, std::fabs(v), std::chars_format::scientific, 14);
    const std::string_view s(buf, size_t(res.ptr - buf));
    const size_t e = s.find('e');
    std::string digits = std::string(s.substr(0, 1)) + std::string(s.substr(2, e - 2));
    while (digits.size() > 1 && digits.back() == '0')
        digits.pop_back();
    const int exp10 = std::stoi(std::string(s.substr(e + 1)));
    std::string out = v < 0 ? "-" : "";
    if (exp10 >= 15 || exp10 < -4) {
        out += digits.substr(0, 1) + (digits.size() > 1 ? "." + digits.substr(1) : "") + "E" +
               std::to_string(exp10);
    } else if (exp10 < 0) {
        out += "0." + std::string(size_t(-exp10 - 1), '0') + digits;
    } else if (digits.size() <= size_t(exp10) + 1) {
        out += digits + std::string(size_t(exp10) + 1 - digits.size(), '0');
    } else {
        out += digits.substr(0, size_t(exp10) + 1) + "." + digits.substr(size_t(exp10) + 1);
    }
    return QString::fromStdString(out);
}

} // namespace

void TestParamTable::formatRealAsPlainRounding() {
    std::vector<double> values;
    // Steps of the kinds scales give, across the range of raw values.
    for (int i = -20000; i <= 20000; ++i)
        for (double v : {i * 0.25 - 12, i * 0.1, i * 0.001 + 0.5, i / 7.0, i * 1e-7, i * 123456789.123})
            values.push_back(v);
    // Both sides of every power of ten from 1E-6 to 1E17, where the notation and digit count change.
    for (int p = -6; p <= 17; ++p) {
        const double x = std::pow(10.0, p);
        for (double v : {x, std::nextafter(x, 0.0), std::nextafter(x, 1e300), x * 0.99999999999999994,
                         x * 9.9999999999999995})
            values.push_back(v);
    }
    // Halves at the sixteenth digit (exact ties), tiny values below the smallest normal, and any bits.
    for (double v : {33110032036284.25, 292412377032120.5, 0.30000000000000004, 4.9406564584124654e-324,
                     1.3577664124044803e-310, 2.2250738585072014e-308})
        values.push_back(v);
    std::mt19937_64 rng(7);
    for (int i = 0; i < 100000; ++i) {
        const uint64_t bits = rng();
        double v;
        std::memcpy(&v, &bits, sizeof v);
        if (std::isfinite(v))
            values.push_back(v);
    }
    for (double v : values) {
        QString text;
        product::appendReal(text, v, u".");
        if (text != plainRounding(v))
            QFAIL(qPrintable(QStringLiteral("%1 written %2").arg(v, 0, 'g', 17).arg(text)));
        QVERIFY(text.size() <= product::kRealChars);
    }
}

void TestParamTable::formatInt() {
    QCOMPARE(product::formatInt(0), QStringLiteral("0"));
    QCOMPARE(product::formatInt(-1), QStringLiteral("-1"));
    QCOMPARE(product::formatInt(1234567), QStringLiteral("1234567"));
    QCOMPARE(product::formatInt(std::numeric_limits<qint64>::min()), QStringLiteral("-9223372036854775808"));
    // Written one after the other into a buffer of the room promised for each.
    char16_t buf[2 * product::kIntChars];
    char16_t* end = product::writeInt(buf, -4294901760);
    end = product::writeInt(end, std::numeric_limits<qint64>::min());
    QCOMPARE(QStringView(buf, end), QStringLiteral("-4294901760-9223372036854775808"));
}

QTEST_MAIN(TestParamTable)
#include "tst_paramtable.moc"
