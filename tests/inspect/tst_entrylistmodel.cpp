// The details window's list model: rows appear only when published, texts come back exactly as
// appended, and the model keeps Qt's rules for item models while it grows.
#include "inspect/EntryListModel.h"

#include <QAbstractItemModelTester>
#include <QSignalSpy>
#include <QTest>

using namespace Qt::Literals::StringLiterals;
using inspect::EntryListModel;

class TestEntryListModel : public QObject {
    Q_OBJECT

private slots:
    void texts_data();
    void texts();
    void rowsAppearWhenPublished();
    void readOnly();
};

void TestEntryListModel::texts_data() {
    QTest::addColumn<QStringList>("entries");
    QTest::newRow("none") << QStringList{};
    QTest::newRow("one") << QStringList{u"Valid Values..."_s};
    QTest::newRow("empty ones among others")
        << QStringList{QString(), u"1: On"_s, QString(), QString(), u"x"_s};
    QTest::newRow("surrogate pairs, NUL, line breaks") << QStringList{
        u"1: \U0001F50A dB"_s, QStringView(u"a\0b", 3).toString(), u"two\r\nlines"_s, u"\U0001F50A"_s};
    QStringList many;
    for (int i = 0; i < 70000; ++i)
        many << QString::number(i - 35000) + u": Setting"_s;
    many << QString(100000, u'w');
    QTest::newRow("70,001, the last 100,000 characters long") << many;
}

void TestEntryListModel::texts() {
    QFETCH(QStringList, entries);
    EntryListModel model;
    QAbstractItemModelTester tester(&model, QAbstractItemModelTester::FailureReportingMode::QtTest);
    for (const QString& e : entries)
        model.append(e);
    model.publish();
    QCOMPARE(model.rowCount(), entries.size());
    for (int row = 0; row < entries.size(); ++row) {
        QCOMPARE(model.text(row), entries[row]);
        QCOMPARE(model.index(row, 0).data().toString(), entries[row]);
    }
}

void TestEntryListModel::rowsAppearWhenPublished() {
    EntryListModel model;
    QAbstractItemModelTester tester(&model, QAbstractItemModelTester::FailureReportingMode::QtTest);
    QSignalSpy inserted(&model, &QAbstractItemModel::rowsInserted);

    model.append(u"Valid Values...");
    model.append(u"0: Off");
    QCOMPARE(model.rowCount(), 0);
    QVERIFY(!model.index(0, 0).isValid());
    model.publish();
    model.publish();                                   // nothing new: no signal
    model.append({u"1: ", u"On", u"", QStringView()}); // pieces, empty and null ones among them
    QCOMPARE(model.rowCount(), 2);
    QCOMPARE(model.data(model.index(1, 0)).toString(), u"0: Off"_s);
    model.publish();

    QCOMPARE(inserted.size(), 2);
    QCOMPARE(inserted[0].at(1).toInt(), 0);
    QCOMPARE(inserted[0].at(2).toInt(), 1);
    QCOMPARE(inserted[1].at(1).toInt(), 2);
    QCOMPARE(inserted[1].at(2).toInt(), 2);
    QCOMPARE(model.rowCount(), 3);
    QCOMPARE(model.text(0), u"Valid Values..."_s);
    QCOMPARE(model.text(2), u"1: On"_s);
    // A list has no children and no second column.
    QCOMPARE(model.rowCount(model.index(0, 0)), 0);
    QVERIFY(!model.index(0, 1).isValid());
}

void TestEntryListModel::readOnly() {
    EntryListModel model;
    model.append(u"0: Off");
    model.publish();
    const QModelIndex i = model.index(0, 0);
    QCOMPARE(model.flags(i), Qt::ItemIsSelectable | Qt::ItemIsEnabled | Qt::ItemNeverHasChildren);
    QVERIFY(!model.setData(i, u"changed"_s));
    QVERIFY(!model.data(i, Qt::EditRole).isValid());
    QVERIFY(!model.data(i, Qt::DecorationRole).isValid());
    QCOMPARE(model.text(0), u"0: Off"_s);
}

QTEST_GUILESS_MAIN(TestEntryListModel)
#include "tst_entrylistmodel.moc"
