// Catalogue scan, library list and library selection, on small in-memory catalogues that a
// TCore2 reaches through the running-object table.
#include "catalogue/LibraryCatalogue.h"

#include "platform/Call.h"
#include "platform/TCore2.h"
#include "simulator/SimPlatform.h"
#include "tests/support/SimRegistration.h"
#include "ui/Dialogs.h"

#include <QComboBox>
#include <QLabel>
#include <QLineEdit>
#include <QProgressBar>
#include <QSignalSpy>
#include <QTest>

#include <memory>

using namespace Qt::StringLiterals;
using sim::CatalogSpec;
using sim::EntrySpec;
using sim::LibrarySpec;

Q_DECLARE_METATYPE(sim::CatalogSpec)
Q_DECLARE_METATYPE(sim::FaultRule)

namespace {

// An entry named `name` with caption "Cap " + name and a library "Lib " + name of one product.
EntrySpec entry(const QString& name, int16_t manufacturer, int16_t id, int products = 1) {
    EntrySpec e;
    e.name = name.toStdU16String();
    e.caption = u"Cap " + e.name;
    LibrarySpec lib;
    lib.name = u"Lib " + e.name;
    lib.manufacturerId = manufacturer;
    lib.libraryId = id;
    for (int i = 0; i < products; ++i) {
        sim::ProductSpec p;
        p.name = u"P" + QString::number(i).toStdU16String();
        lib.products.push_back(p);
    }
    e.library = lib;
    return e;
}

EntrySpec unopenable(const QString& name) {
    EntrySpec e;
    e.name = name.toStdU16String();
    e.caption = u"Cap " + e.name;
    return e;
}

EntrySpec locked(const QString& name, const QString& password) {
    EntrySpec e = entry(name, 3, 4, 2);
    e.library->password = password.toStdU16String();
    return e;
}

CatalogSpec catalog(std::vector<EntrySpec> entries) {
    CatalogSpec c;
    c.entries = std::move(entries);
    return c;
}

QStringList items(const QComboBox& list) {
    QStringList out;
    for (int i = 0; i < list.count(); ++i)
        out << list.itemText(i);
    return out;
}

QStringList messages() {
    QStringList out;
    for (const auto& s : dialogs::testing::shown())
        if (s.kind == dialogs::testing::Shown::Message)
            out << s.text;
    return out;
}

int inputBoxes() {
    int n = 0;
    for (const auto& s : dialogs::testing::shown())
        n += s.kind == dialogs::testing::Shown::Input;
    return n;
}

// The tool's side of a scan and a selection: the splash gauge and status, the library and product
// lists, the library fields and m_lib, with the callbacks counted.
struct Rig {
    explicit Rig(CatalogSpec content) : running(std::move(content)), platform(running.platform()) {
        gauge.setRange(0, 100);
        gauge.reset(); // every value the scan sets shows as a change
        status.setText(QStringLiteral("Analysing Installed Talvo Components..."));
        QObject::connect(&gauge, &QProgressBar::valueChanged, &gauge, [this](int v) { gaugeValues << v; });
        // What a previous selection left, so early stops can be seen to keep it.
        ed_libid.setText(QStringLiteral("old id"));
        ed_manid.setText(QStringLiteral("old man"));
        ed_.setText(QStringLiteral("old name"));
        products.addItems({QStringLiteral("(0) : old"), QStringLiteral("(1) : older")});
        products.setCurrentIndex(1);
    }

    void scan() {
        catalogue::scanCatalogue(
            core, {&gauge, &status, &libraries}, [this] { ++tablesCreated; },
            [this] {
                ++libraryChanges;
                select();
            });
    }
    void select() {
        catalogue::selectLibrary(core, m_lib, {&libraries, &ed_libid, &ed_manid, &ed_, &products},
                                 [this] { ++productChanges; });
    }
    bool fieldsUnchanged() const {
        return ed_libid.text() == u"old id" && ed_manid.text() == u"old man" && ed_.text() == u"old name" &&
               items(products) == QStringList{QStringLiteral("(0) : old"), QStringLiteral("(1) : older")} &&
               products.currentIndex() == 1 && productChanges == 0;
    }
    std::u16string libraryName() const {
        return m_lib ? vk::call(m_lib, &talvo::ILibrary::Name) : std::u16string(u"<none>");
    }

    simtest::RunningPlatform running;
    std::shared_ptr<sim::Platform> platform;
    talvo::TCore2 core;
    QProgressBar gauge;
    QLabel status;
    QComboBox libraries;
    QLineEdit ed_libid, ed_manid, ed_;
    QComboBox products;
    vk::ComPtr<talvo::ILibrary> m_lib;
    QList<int> gaugeValues;
    int tablesCreated = 0;
    int libraryChanges = 0;
    int productChanges = 0;
};

} // namespace

class tst_catalogue : public QObject {
    Q_OBJECT

private slots:
    void initTestCase() {
        vk::coInitialize();
        dialogs::testing::enable();
    }
    void init() { dialogs::testing::clear(); }
    // Every platform reference the scan and the selection took has been given back.
    void cleanup() { QCOMPARE(sim::Platform::liveObjects(), int64_t(0)); }

    void gaugeValue_data();
    void gaugeValue();
    void gaugeDuringScan_data();
    void gaugeDuringScan();
    void scan_data();
    void scan();
    void emptyCatalogue();
    void addSorted_data();
    void addSorted();
    void libraryKey_data();
    void libraryKey();
    void keyLookup_data();
    void keyLookup();
    void threeProducts();
    void signedIdentifiers();
    void lockedLibrary_data();
    void lockedLibrary();
    void noLibraryObject();
    void scanErrors_data();
    void scanErrors();
    void selectionErrors_data();
    void selectionErrors();
    void nothingCached();
};

void tst_catalogue::gaugeValue_data() {
    QTest::addColumn<int>("i");
    QTest::addColumn<int>("m");
    QTest::addColumn<int>("value");
    QTest::newRow("first of three") << 0 << 3 << 0;
    QTest::newRow("middle of three") << 1 << 3 << 50;
    QTest::newRow("last of three") << 2 << 3 << 100;
    QTest::newRow("12.5 to even") << 1 << 9 << 12;
    QTest::newRow("37.5 to even") << 3 << 9 << 38;
    QTest::newRow("62.5 to even") << 5 << 9 << 62;
    QTest::newRow("87.5 to even") << 7 << 9 << 88;
    QTest::newRow("57.5 to even") << 23 << 41 << 58;
    QTest::newRow("33.3 down") << 1 << 4 << 33;
    QTest::newRow("66.7 up") << 2 << 4 << 67;
    QTest::newRow("one entry") << 0 << 1 << 100;
    QTest::newRow("grown catalogue") << 4 << 3 << 200;
}

void tst_catalogue::gaugeValue() {
    QFETCH(int, i);
    QFETCH(int, m);
    QFETCH(int, value);
    QCOMPARE(catalogue::gaugeValue(i, m), value);
}

void tst_catalogue::gaugeDuringScan_data() {
    QTest::addColumn<int>("entries");
    QTest::addColumn<QList<int>>("values");
    QTest::newRow("one") << 1 << QList<int>{100};
    QTest::newRow("three") << 3 << QList<int>{0, 50, 100, 0, 50, 100};
    QTest::newRow("nine") << 9 << QList<int>{0, 12, 25, 38, 50, 62, 75, 88, 100,
                                             0, 12, 25, 38, 50, 62, 75, 88, 100};
}

void tst_catalogue::gaugeDuringScan() {
    QFETCH(int, entries);
    QFETCH(QList<int>, values);
    std::vector<EntrySpec> list;
    for (int i = 0; i < entries; ++i)
        list.push_back(entry(QString::number(i), 1, int16_t(i + 1)));
    Rig rig(catalog(list));
    rig.scan();
    QCOMPARE(rig.gaugeValues, values);
    QCOMPARE(rig.gauge.value(), 100);
    QCOMPARE(rig.status.text(), QStringLiteral("Checking for Duplicate Libraries..."));
}

void tst_catalogue::scan_data() {
    QTest::addColumn<CatalogSpec>("content");
    QTest::addColumn<QStringList>("items");    // in list order
    QTest::addColumn<QStringList>("messages"); // in the order shown
    QTest::addColumn<QString>("opened");       // the library the selection opened

    QTest::newRow("pair (1,2) twice") << catalog({entry(u"A"_s, 1, 2), entry(u"B"_s, 1, 2)})
                                      << QStringList{u"(1/2=2) Cap A - A"_s, u"(1/2=2) Cap B - B"_s}
                                      << QStringList{u"Duplicate = B"_s} << u"Lib A"_s;
    QTest::newRow("pair (1,2) three times")
        << catalog({entry(u"C"_s, 1, 2), entry(u"A"_s, 1, 2), entry(u"B"_s, 1, 2)})
        << QStringList{u"(1/2=3) Cap A - A"_s, u"(1/2=3) Cap B - B"_s, u"(1/2=3) Cap C - C"_s}
        << QStringList{u"Duplicate = A"_s, u"Duplicate = B"_s} << u"Lib A"_s;
    QTest::newRow("pair (1,0) twice: no message")
        << catalog({entry(u"A"_s, 1, 0), entry(u"B"_s, 1, 0), entry(u"C"_s, 1, 1)})
        << QStringList{u"(1/0=2) Cap A - A"_s, u"(1/0=2) Cap B - B"_s, u"Cap C - C"_s} << QStringList{}
        << u"Lib A"_s;
    QTest::newRow("unique pairs sorted, case ignored")
        << catalog({entry(u"cherry"_s, 1, 1), entry(u"Banana"_s, 1, 2), entry(u"apple"_s, 2, 1)})
        << QStringList{u"Cap apple - apple"_s, u"Cap Banana - Banana"_s, u"Cap cherry - cherry"_s}
        << QStringList{} << u"Lib apple"_s;
    QTest::newRow("prefix takes part in the order")
        << catalog({entry(u"a"_s, 1, 1), entry(u"b"_s, 5, 5), entry(u"c"_s, 5, 5)})
        << QStringList{u"(5/5=2) Cap b - b"_s, u"(5/5=2) Cap c - c"_s, u"Cap a - a"_s}
        << QStringList{u"Duplicate = c"_s} << u"Lib b"_s;
    QTest::newRow("unopenable library: one message, still listed")
        << catalog({entry(u"A"_s, 1, 1), unopenable(u"X"_s), entry(u"B"_s, 1, 2)})
        << QStringList{u"Cap A - A"_s, u"Cap B - B"_s, u"Cap X - X"_s}
        << QStringList{u"Error Opening Library: X"_s} << u"Lib A"_s;
    QTest::newRow("unopenable libraries have no pair")
        << catalog({unopenable(u"X"_s), entry(u"A"_s, 0, 0), unopenable(u"Y"_s)})
        << QStringList{u"Cap A - A"_s, u"Cap X - X"_s, u"Cap Y - Y"_s}
        << QStringList{u"Error Opening Library: X"_s, u"Error Opening Library: Y"_s} << u"Lib A"_s;
    QTest::newRow("negative pairs counted")
        << catalog({entry(u"A"_s, -1, -2), entry(u"B"_s, -1, -2), entry(u"C"_s, -1, -3)})
        << QStringList{u"(-1/-2=2) Cap A - A"_s, u"(-1/-2=2) Cap B - B"_s, u"Cap C - C"_s}
        << QStringList{u"Duplicate = B"_s} << u"Lib A"_s;
    QTest::newRow("largest identifiers, sparse")
        << catalog({entry(u"A"_s, 32767, 32767), entry(u"B"_s, -32768, 32767), entry(u"C"_s, 32767, 32767)})
        << QStringList{u"(32767/32767=2) Cap A - A"_s, u"(32767/32767=2) Cap C - C"_s, u"Cap B - B"_s}
        << QStringList{u"Duplicate = C"_s} << u"Lib A"_s;
    QTest::newRow("caption and name in UTF-16") << catalog({[] {
        EntrySpec e = entry(u"N\u00e4me \U0001F600"_s, 1, 1);
        e.caption = u"\u00c9t\u00e9";
        return e;
    }()}) << QStringList{u"\u00c9t\u00e9 - N\u00e4me \U0001F600"_s}
                                                << QStringList{} << u"Lib N\u00e4me \U0001F600"_s;
}

void tst_catalogue::scan() {
    QFETCH(CatalogSpec, content);
    QFETCH(QStringList, items);
    QFETCH(QStringList, messages);
    QFETCH(QString, opened);
    Rig rig(content);
    rig.scan();
    QCOMPARE(::items(rig.libraries), items);
    QCOMPARE(::messages(), messages);
    QCOMPARE(rig.libraries.currentIndex(), 0);
    QCOMPARE(rig.tablesCreated, 1);
    QCOMPARE(rig.libraryChanges, 1);
    QCOMPARE(QString::fromStdU16String(rig.libraryName()), opened);
    QCOMPARE(rig.ed_.text(), opened);
    QCOMPARE(rig.productChanges, 1);
    QCOMPARE(inputBoxes(), 0);
}

void tst_catalogue::emptyCatalogue() {
    Rig rig(catalog({}));
    rig.scan();
    QVERIFY(rig.gaugeValues.isEmpty());
    QCOMPARE(rig.status.text(), QStringLiteral("Checking for Duplicate Libraries..."));
    QVERIFY(dialogs::testing::shown().empty());
    QCOMPARE(rig.libraries.count(), 0);
    QCOMPARE(rig.libraries.currentIndex(), -1);
    QCOMPARE(rig.tablesCreated, 1);
    QCOMPARE(rig.libraryChanges, 1);
    QVERIFY(!rig.m_lib);
    QVERIFY(rig.fieldsUnchanged());
    QCOMPARE(rig.platform->count("ICatalog.Item"), size_t(0));
    rig.select(); // a later change of an empty list does nothing either
    QVERIFY(rig.fieldsUnchanged());
}

void tst_catalogue::addSorted_data() {
    QTest::addColumn<QStringList>("before"); // already in the list, as given
    QTest::addColumn<QStringList>("added");
    QTest::addColumn<QStringList>("after");
    QTest::newRow("into empty") << QStringList{} << QStringList{u"b"_s, u"C"_s, u"a"_s}
                                << QStringList{u"a"_s, u"b"_s, u"C"_s};
    QTest::newRow("whole text, not first letter")
        << QStringList{} << QStringList{u"ab - z"_s, u"Ab - a"_s, u"a - q"_s}
        << QStringList{u"a - q"_s, u"Ab - a"_s, u"ab - z"_s};
    QTest::newRow("equal texts keep their order")
        << QStringList{} << QStringList{u"B"_s, u"a"_s, u"b"_s, u"A"_s}
        << QStringList{u"a"_s, u"A"_s, u"B"_s, u"b"_s};
    QTest::newRow("among equal items already listed")
        << QStringList{} << QStringList{u"b"_s, u"a"_s, u"B"_s, u"c"_s, u"A"_s, u"b"_s}
        << QStringList{u"a"_s, u"A"_s, u"b"_s, u"B"_s, u"b"_s, u"c"_s};
    QTest::newRow("list filled by other means") << QStringList{u"d"_s, u"b"_s} << QStringList{u"c"_s, u"a"_s}
                                                << QStringList{u"a"_s, u"d"_s, u"b"_s, u"c"_s};
}

void tst_catalogue::addSorted() {
    QFETCH(QStringList, before);
    QFETCH(QStringList, added);
    QFETCH(QStringList, after);
    QComboBox list;
    // Sorted first, then changed behind its back: the next insertion must see the change.
    catalogue::addSorted(&list, u"zzz"_s);
    list.clear();
    list.addItems(before);
    for (const QString& s : added)
        catalogue::addSorted(&list, s);
    QCOMPARE(items(list), after);

    // All at once: the same places as one by one.
    QComboBox batch;
    catalogue::addSorted(&batch, u"zzz"_s);
    batch.clear();
    batch.addItems(before);
    catalogue::addSorted(&batch, added);
    QCOMPARE(items(batch), after);
}

void tst_catalogue::libraryKey_data() {
    QTest::addColumn<QString>("item");
    QTest::addColumn<QString>("key");
    const QString name100(100, u'n');
    QTest::newRow("plain") << u"Cap - Name"_s << u"Name"_s;
    QTest::newRow("prefix") << u"(1/2=2) Cap - Name"_s << u"Name"_s;
    QTest::newRow("caption with separator") << u"A - B - N"_s << u"B - N"_s;
    QTest::newRow("120 cut to 100") << u"Cap - "_s + name100 + QString(20, u'x') << name100;
    QTest::newRow("surrogate pair kept whole")
        << u"Cap - "_s + QString(99, u'n') + u"\U0001F600"_s << QString(99, u'n');
}

void tst_catalogue::libraryKey() {
    QFETCH(QString, item);
    QFETCH(QString, key);
    QCOMPARE(catalogue::libraryKey(item), key);
}

// Keys that do not name an entry: the lookup fails with the platform's error, which propagates;
// m_lib stays empty and nothing else moves.
void tst_catalogue::keyLookup_data() {
    QTest::addColumn<CatalogSpec>("content");
    QTest::addColumn<QString>("key");
    EntrySpec dashed = entry(u"N"_s, 1, 1);
    dashed.caption = u"A - B";
    QTest::newRow("caption containing the separator") << catalog({dashed}) << u"B - N"_s;
    const QString longName = QString(100, u'k') + QString(20, u'x');
    QTest::newRow("name of 120 characters") << catalog({entry(longName, 1, 1)}) << QString(100, u'k');
}

void tst_catalogue::keyLookup() {
    QFETCH(CatalogSpec, content);
    QFETCH(QString, key);
    Rig rig(content);
    QVERIFY_THROWS_EXCEPTION(vk::ComError, rig.scan());
    QCOMPARE(rig.libraries.currentIndex(), 0);
    QVERIFY(!rig.m_lib);
    QVERIFY(rig.fieldsUnchanged());
    const std::string quoted = "\"" + key.toStdString() + "\"";
    bool looked = false;
    for (const auto& c : rig.platform->calls())
        if (c.op == "ICatalog.Item" && c.argument == quoted)
            looked = true;
    QVERIFY2(looked, quoted.c_str());
}

void tst_catalogue::threeProducts() {
    Rig rig(catalog({entry(u"A"_s, 7, 9, 3)}));
    rig.scan();
    QCOMPARE(items(rig.products), (QStringList{u"(0) : P0"_s, u"(1) : P1"_s, u"(2) : P2"_s}));
    QCOMPARE(rig.products.currentIndex(), 0);
    QCOMPARE(rig.productChanges, 1);
    QCOMPARE(rig.ed_libid.text(), u"9"_s);
    QCOMPARE(rig.ed_manid.text(), u"7"_s);
    QCOMPARE(rig.ed_.text(), u"Lib A"_s);
    QCOMPARE(inputBoxes(), 0);
    QVERIFY(messages().isEmpty());
}

void tst_catalogue::signedIdentifiers() {
    Rig rig(catalog({entry(u"A"_s, -32768, -1)}));
    rig.scan();
    QCOMPARE(rig.ed_libid.text(), u"-1"_s);
    QCOMPARE(rig.ed_manid.text(), u"-32768"_s);
}

void tst_catalogue::lockedLibrary_data() {
    QTest::addColumn<bool>("ok");
    QTest::addColumn<QString>("typed");
    QTest::addColumn<bool>("unlocked");
    QTest::addColumn<QString>("message");
    QTest::newRow("right password") << true << u"s3cret"_s << true << QString();
    QTest::newRow("wrong password") << true << u"RovQuad"_s << false << u"DLL Unlock failed"_s;
    QTest::newRow("cancel") << false << QString() << false << QString();
}

void tst_catalogue::lockedLibrary() {
    QFETCH(bool, ok);
    QFETCH(QString, typed);
    QFETCH(bool, unlocked);
    QFETCH(QString, message);
    Rig rig(catalog({locked(u"L"_s, u"s3cret"_s)}));
    dialogs::testing::queueInput(ok ? std::optional<QString>(typed) : std::nullopt);
    rig.scan();

    QCOMPARE(inputBoxes(), 1);
    const auto& box = dialogs::testing::shown().front();
    QCOMPARE(box.title, u"Password Required"_s);
    QCOMPARE(box.text, u"Library Locked.  Please enter the password..."_s);
    QCOMPARE(box.initial, u"RovQuad"_s);
    QCOMPARE(box.maxLength, 255);
    QCOMPARE(messages(), message.isEmpty() ? QStringList{} : QStringList{message});
    QCOMPARE(rig.platform->count("ILibrary.Unlock"), size_t(ok ? 1 : 0));

    // Every stop leaves the newly opened library in m_lib; the list keeps showing its entry.
    QCOMPARE(rig.libraryName(), std::u16string(u"Lib L"));
    QCOMPARE(rig.libraries.currentText(), u"Cap L - L"_s);
    if (unlocked) {
        QCOMPARE(items(rig.products), (QStringList{u"(0) : P0"_s, u"(1) : P1"_s}));
        QCOMPARE(rig.products.currentIndex(), 0);
        QCOMPARE(rig.ed_.text(), u"Lib L"_s);
        QCOMPARE(rig.productChanges, 1);
    } else {
        QVERIFY(rig.fieldsUnchanged());
        QCOMPARE(vk::call(vk::call(rig.m_lib, &talvo::ILibrary::Products), &talvo::IProducts::Count), 0);
    }
}

void tst_catalogue::noLibraryObject() {
    EntrySpec empty = entry(u"E"_s, 1, 1);
    empty.nullLibrary = true;
    Rig rig(catalog({empty, entry(u"F"_s, 1, 1)}));
    rig.scan();
    // Without an object there is no pair: reported once while scanning, listed without prefix.
    QCOMPARE(items(rig.libraries), (QStringList{u"Cap E - E"_s, u"Cap F - F"_s}));
    QCOMPARE(messages(), (QStringList{u"Error Opening Library: E"_s, u"Lib not found"_s}));
    QVERIFY(!rig.m_lib);
    QVERIFY(rig.fieldsUnchanged());
}

// Errors the scan does not catch end it where they happen: the list keeps what the list pass added,
// nothing is selected and the selection is not called.
void tst_catalogue::scanErrors_data() {
    QTest::addColumn<sim::FaultRule>("fault");
    QTest::addColumn<QStringList>("items");
    QTest::addColumn<int>("tables");
    QTest::addColumn<QString>("status");
    QTest::addColumn<QList<int>>("gauge");
    const QString analysing = u"Analysing Installed Talvo Components..."_s;
    const QString checking = u"Checking for Duplicate Libraries..."_s;
    auto rule = [](const char* op, const char* object, uint64_t after) {
        sim::FaultRule r;
        r.op = op;
        r.object = object;
        r.after = after;
        r.description = u"simulated failure";
        return r;
    };
    QTest::newRow("first Count") << rule("ICatalog.Count", "", 0) << QStringList{} << 0 << analysing
                                 << QList<int>{};
    QTest::newRow("Count in the range pass")
        << rule("ICatalog.Count", "", 2) << QStringList{} << 0 << analysing << QList<int>{0};
    QTest::newRow("identifiers in the range pass")
        << rule("ILibrary.LibraryID", "", 1) << QStringList{} << 0 << analysing << QList<int>{0, 50};
    QTest::newRow("Count of the duplicate pass")
        << rule("ICatalog.Count", "", 4) << QStringList{} << 0 << checking << QList<int>{0, 50, 100};
    QTest::newRow("Catalog of the list pass") << rule("ICore.Catalog", "", 14) << QStringList{} << 1
                                              << checking << QList<int>{0, 50, 100, 0, 50, 100};
    QTest::newRow("Caption of the second entry")
        << rule("ICatalogEntry.Caption", "B", 0) << QStringList{u"Cap A - A"_s} << 1 << checking
        << QList<int>{0, 50, 100, 0, 50, 100};
    QTest::newRow("Name of the third entry")
        << rule("ICatalogEntry.Name", "C", 0) << QStringList{u"Cap A - A"_s, u"Cap B - B"_s} << 1 << checking
        << QList<int>{0, 50, 100, 0, 50, 100};
}

void tst_catalogue::scanErrors() {
    QFETCH(sim::FaultRule, fault);
    QFETCH(QStringList, items);
    QFETCH(int, tables);
    QFETCH(QString, status);
    QFETCH(QList<int>, gauge);
    Rig rig(catalog({entry(u"A"_s, 1, 1), entry(u"B"_s, 1, 2), entry(u"C"_s, 1, 3)}));
    rig.platform->addFault(fault);
    QVERIFY_THROWS_EXCEPTION(vk::ComError, rig.scan());
    QCOMPARE(::items(rig.libraries), items);
    QCOMPARE(rig.libraries.currentIndex(), -1);
    QCOMPARE(rig.tablesCreated, tables);
    QCOMPARE(rig.libraryChanges, 0);
    QCOMPARE(rig.status.text(), status);
    QCOMPARE(rig.gaugeValues, gauge);
    QVERIFY(!rig.m_lib);
    QVERIFY(messages().isEmpty());
}

// Failing platform calls during a selection propagate; what the selection did so far stays.
void tst_catalogue::selectionErrors_data() {
    QTest::addColumn<QString>("op");
    QTest::addColumn<QString>("object");
    QTest::addColumn<bool>("opened");          // m_lib holds the new library
    QTest::addColumn<QStringList>("products"); // the product list afterwards (empty: unchanged)
    QTest::addColumn<QString>("name");         // ed_ afterwards
    QTest::newRow("opening") << u"ICatalogEntry.Library"_s << u"B"_s << false << QStringList{}
                             << u"old name"_s;
    QTest::newRow("lock test") << u"ILibrary.Products"_s << u"Lib B"_s << true << QStringList{}
                               << u"old name"_s;
    QTest::newRow("identifiers") << u"ILibrary.ManufacturerID"_s << u"Lib B"_s << true << QStringList{}
                                 << u"old name"_s;
    QTest::newRow("second product") << u"IProduct.Name"_s << u"P1"_s << true << QStringList{u"(0) : P0"_s}
                                    << u"Lib B"_s;
}

void tst_catalogue::selectionErrors() {
    QFETCH(QString, op);
    QFETCH(QString, object);
    QFETCH(bool, opened);
    QFETCH(QStringList, products);
    QFETCH(QString, name);
    Rig rig(catalog({entry(u"A"_s, 1, 1, 3), entry(u"B"_s, 1, 2, 3)}));
    rig.scan();
    QCOMPARE(rig.ed_.text(), u"Lib A"_s);
    rig.ed_.setText(u"old name"_s);
    rig.productChanges = 0;
    sim::FaultRule fault;
    fault.op = op.toStdString();
    fault.object = object.toStdString();
    rig.platform->addFault(fault);
    rig.libraries.setCurrentIndex(1);
    QVERIFY_THROWS_EXCEPTION(vk::ComError, rig.select());
    QCOMPARE(rig.libraryName(), std::u16string(opened ? u"Lib B" : u"<none>"));
    QCOMPARE(rig.ed_.text(), name);
    QCOMPARE(rig.productChanges, 0);
    if (products.isEmpty()) {
        QCOMPARE(items(rig.products), (QStringList{u"(0) : P0"_s, u"(1) : P1"_s, u"(2) : P2"_s}));
        QCOMPARE(rig.products.currentIndex(), 0);
    } else {
        QCOMPARE(items(rig.products), products);
        QCOMPARE(rig.products.currentIndex(), -1);
    }
}

void tst_catalogue::nothingCached() {
    Rig rig(catalog(
        {entry(u"B"_s, 1, 1, 2), unopenable(u"X"_s), entry(u"A"_s, 1, 2, 2), entry(u"C"_s, 1, 2, 2)}));
    rig.scan();
    const auto& p = *rig.platform;
    // One fresh catalogue for every catalogue operation.
    QCOMPARE(p.count("ICore.Catalog"), p.count("ICatalog.Count") + p.count("ICatalog.Item"));
    // Count at the start of each pass and at each step of the first two.
    QCOMPARE(p.count("ICatalog.Count"), size_t(3 + 2 * 4));
    // Each library opened once per pass; the selected one once more.
    QCOMPARE(p.count("ICatalogEntry.Library", "B"), size_t(3));
    QCOMPARE(p.count("ICatalogEntry.Library", "C"), size_t(3));
    QCOMPARE(p.count("ICatalogEntry.Library", "X"), size_t(3));
    QCOMPARE(p.count("ICatalogEntry.Library", "A"), size_t(4));
    // Entries fetched afresh for every text: Caption and Name in the list pass, Name for each message.
    QCOMPARE(p.count("ICatalogEntry.Caption"), size_t(4));
    QCOMPARE(p.count("ICatalogEntry.Name"), size_t(4 + 1 + 1));
    // By position: open in each pass, Caption and Name in the list pass, plus one per message;
    // by key: the selection.
    QCOMPARE(p.count("ICatalog.Item"), size_t(4 * 5 + 2 + 1));
    // The selection: lock test, recount, count for the list, one collection per product.
    QCOMPARE(p.count("ILibrary.Products", "Lib A"), size_t(3 + 2));
    QCOMPARE(messages(), (QStringList{u"Error Opening Library: X"_s, u"Duplicate = C"_s}));
}

QTEST_MAIN(tst_catalogue)
#include "tst_catalogue.moc"
