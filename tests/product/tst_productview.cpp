// Product selection and platform identification against the simulated platform.
#include "platform/Call.h"
#include "product/ParamTable.h"
#include "product/Pidx.h"
#include "product/ProductView.h"
#include "simulator/SimPlatform.h"
#include "tests/support/ProductViewControls.h"
#include "tests/support/SimFixtures.h"

#include <QLabel>
#include <QLineEdit>
#include <QPlainTextEdit>
#include <QTest>

#include <memory>

Q_DECLARE_METATYPE(sim::ProductSpec)
Q_DECLARE_METATYPE(sim::FaultRule)

using product::ParamTable;

namespace {

using Params = std::vector<sim::ParameterSpec>;

Params params(std::initializer_list<std::pair<const char16_t*, int32_t>> list) {
    Params out;
    for (const auto& [name, id] : list)
        out.push_back({name, id, std::nullopt});
    return out;
}

Params numbered(int count, const std::u16string& prefix = u"P") {
    Params out;
    for (int i = 0; i < count; ++i)
        out.push_back({prefix + vk::fromUtf8(std::to_string(i)), i, std::nullopt});
    return out;
}

sim::ProductSpec makeProduct(std::u16string name, Params ints, Params exts = params({{u"Ext", 0}}),
                             std::u16string platform = u"GC5020") {
    sim::ProductSpec p;
    p.name = std::move(name);
    p.mapName = u"map";
    p.platform = std::move(platform);
    p.hybrid5020 = 1;
    p.limits = sim::LimitsSpec{110.5, 40.0, 2};
    p.intParameters = std::move(ints);
    p.extParameters = std::move(exts);
    return p;
}

sim::ProductSpec chip(std::u16string platform, std::optional<int32_t> h5020, std::optional<int32_t> hybrid,
                      std::optional<int32_t> code, std::optional<sim::LimitsSpec> limits) {
    sim::ProductSpec p = makeProduct(u"Chip", params({{u"A", 1}}), {}, std::move(platform));
    p.hybrid5020 = h5020;
    p.hybridId = hybrid;
    p.sampleRateCode = code;
    p.limits = limits;
    return p;
}

// One library of the given products on a fresh in-memory platform, and the main window's controls.
struct Fixture {
    std::shared_ptr<sim::Platform> platform;
    vk::ComPtr<talvo::ILibrary> lib;
    vk::ComPtr<talvo::IProduct> prod;
    ParamTable table;
    product::PidxTable pidx;
    QWidget window;
    product::ProductView view;

    explicit Fixture(std::vector<sim::ProductSpec> products, std::u16string version = u"1.2.3") {
        platform = sim::Platform::create(
            simtest::oneLibraryCatalog({u"Lib", u"Lib", u"Lib", std::move(version)}, std::move(products)));
        lib = simtest::firstLibrary(*platform);
        simtest::makeProductControls(view, window);
        platform->clearCalls();
    }

    // As the main window's product selection: the product made current, then the rebuild.
    void select(int position) {
        if (product::selectProduct(position, lib, prod, view))
            product::fillParameters(lib, prod, table, pidx, view);
    }

    QString text() const { return view.lstParameters->toPlainText(); }
    QString memo() const { return view.memo2->toPlainText(); }
    QStringList rows() const {
        QStringList out;
        for (int i = 0; i < table.rowCount(); ++i) {
            const auto& r = table.row(i);
            out << QStringLiteral("%1|%2|%3").arg(r.AsListed).arg(r.ParamName).arg(r.IntParamId);
        }
        return out;
    }
    // Written cells as "id=position".
    QStringList cells() const {
        QStringList out;
        for (int id = 0; id < product::PidxTable::Size; ++id)
            if (!pidx.cell(id)->isEmpty())
                out << QStringLiteral("%1=%2").arg(id).arg(pidx.position(id));
        return out;
    }
    QString productName() const { return QString::fromStdU16String(vk::call(prod, &talvo::IProduct::Name)); }
    QStringList summary() const {
        return {view.tVersion->text(),  view.tHybrid->text(),  view.lbl_Hybrid->text(),
                view.tSampFreq->text(), view.tMaxGain->text(), view.tMaxOutput->text()};
    }
};

sim::FaultRule fault(std::string op, std::u16string description = {}, uint64_t after = 0, int64_t times = -1,
                     std::string object = {}) {
    sim::FaultRule r;
    r.op = std::move(op);
    r.object = std::move(object);
    r.description = std::move(description);
    r.after = after;
    r.times = times;
    return r;
}

QString q(const std::u16string& s) {
    return QString::fromStdU16String(s);
}

} // namespace

class TestProductView : public QObject {
    Q_OBJECT

private slots:
    void fill_data();
    void fill();
    void productLabelAndCarets();
    void refillKeepsOrdering();
    void pidxKeepsOtherProductsCells();
    void identify_data();
    void identify();
    void uncheckedHybridReads();
    void hybridZeroKeepsLabel();
    void family5005Failures_data();
    void family5005Failures();
    void parameterFailures_data();
    void parameterFailures();
    void externalFailure();
    void earlyFailures_data();
    void earlyFailures();
    void noLibrary();
};

void TestProductView::fill_data() {
    QTest::addColumn<sim::ProductSpec>("content");
    QTest::addColumn<QString>("text");
    QTest::addColumn<QStringList>("rows");
    QTest::addColumn<QStringList>("cells");
    QTest::addColumn<QString>("memo");

    QTest::newRow("no internal parameters")
        << makeProduct(u"Empty", {}, params({{u"Volume", 3}, {u"Tone", 4}})) << QString() << QStringList()
        << QStringList() << QStringLiteral("0,Volume\n1,Tone");
    QTest::newRow("no external parameters")
        << makeProduct(u"NoExt", params({{u"Gain", 5}, {u"Mode", 6}}), {})
        << QStringLiteral("0, Gain, 5\n1, Mode, 6")
        << QStringList{QStringLiteral("0|Gain|5"), QStringLiteral("1|Mode|6")}
        << QStringList{QStringLiteral("5=0"), QStringLiteral("6=1")} << QStringLiteral("None Found.");

    const std::u16string long60 = u"Noise reduction strength in the third compression channel xx";
    Q_ASSERT(long60.size() == 60);
    QTest::newRow("60-character name")
        << makeProduct(u"Long", {{long60, 2, std::nullopt}})
        << (QStringLiteral("0, ") + q(long60) + QStringLiteral(", 2"))
        << QStringList{QStringLiteral("0|") + q(long60.substr(0, 50)) + QStringLiteral("|2")}
        << QStringList{QStringLiteral("2=0")} << QStringLiteral("0,Ext");

    const std::u16string nonBmp = std::u16string(49, u'n') + u"\U0001F3B5" + u"tail";
    QTest::newRow("non-BMP character at the cut")
        << makeProduct(u"Note", {{nonBmp, 1, std::nullopt}})
        << (QStringLiteral("0, ") + q(nonBmp) + QStringLiteral(", 1"))
        << QStringList{QStringLiteral("0|") + q(nonBmp.substr(0, 51)) + QStringLiteral("|1")}
        << QStringList{QStringLiteral("1=0")} << QStringLiteral("0,Ext");

    QTest::newRow("ParamID outside the index")
        << makeProduct(u"Range", params({{u"Neg", -1}, {u"Big", 1025}, {u"Top", 1024}, {u"Zero", 0}}))
        << QStringLiteral("0, Neg, -1\n1, Big, 1025\n2, Top, 1024\n3, Zero, 0")
        << QStringList{QStringLiteral("0|Neg|-1"), QStringLiteral("1|Big|1025"), QStringLiteral("2|Top|1024"),
                       QStringLiteral("3|Zero|0")}
        << QStringList{QStringLiteral("0=3"), QStringLiteral("1024=2")} << QStringLiteral("0,Ext");

    Params shared = numbered(10);
    shared[4].paramId = 77;
    shared[9].paramId = 77;
    QStringList sharedRows, sharedCells;
    QString sharedText;
    for (int i = 0; i < 10; ++i) {
        const int id = (i == 4 || i == 9) ? 77 : i;
        sharedRows << QStringLiteral("%1|P%1|%2").arg(i).arg(id);
        sharedText +=
            QStringLiteral("%1%2, P%2, %3").arg(i ? QStringLiteral("\n") : QString()).arg(i).arg(id);
        if (id != 77)
            sharedCells << QStringLiteral("%1=%1").arg(i);
    }
    sharedCells.insert(8, QStringLiteral("77=9"));
    QTest::newRow("shared ParamID at 4 and 9") << makeProduct(u"Shared", shared) << sharedText << sharedRows
                                               << sharedCells << QStringLiteral("0,Ext");

    QTest::newRow("names with separators")
        << makeProduct(u"Odd", params({{u"a, b", 1}, {u"", 2}}), params({{u"x,y", 0}, {u"", 1}}))
        << QStringLiteral("0, a, b, 1\n1, , 2")
        << QStringList{QStringLiteral("0|a, b|1"), QStringLiteral("1||2")}
        << QStringList{QStringLiteral("1=0"), QStringLiteral("2=1")} << QStringLiteral("0,x,y\n1,");
}

void TestProductView::fill() {
    QFETCH(sim::ProductSpec, content);
    QFETCH(QString, text);
    QFETCH(QStringList, rows);
    QFETCH(QStringList, cells);
    QFETCH(QString, memo);
    Fixture f({content});
    f.select(0);
    QCOMPARE(f.text(), text);
    QCOMPARE(f.rows(), rows);
    QCOMPARE(f.cells(), cells);
    QCOMPARE(f.memo(), memo);
    QCOMPARE(f.table.recNo(), rows.isEmpty() ? -1 : 0);
}

void TestProductView::productLabelAndCarets() {
    Fixture f(
        {makeProduct(u"First", numbered(30)), makeProduct(u"Second", numbered(3, u"S"), numbered(40, u"E"))});
    f.select(0);
    QCOMPARE(f.view.lbl_ProdID->text(), QStringLiteral("ProductID: 0"));
    QCOMPARE(f.productName(), QStringLiteral("First"));
    f.select(1);
    QCOMPARE(f.view.lbl_ProdID->text(), QStringLiteral("ProductID: 1"));
    QCOMPARE(f.productName(), QStringLiteral("Second"));
    QCOMPARE(f.view.lstParameters->textCursor().position(), 0);
    QCOMPARE(f.view.memo2->textCursor().position(), 0);
    QCOMPARE(f.view.memo2->document()->blockCount(), 40);

    // Nothing selected: nothing happens.
    f.platform->clearCalls();
    f.select(-1);
    QCOMPARE(f.platform->calls().size(), size_t(0));
    QCOMPARE(f.view.lbl_ProdID->text(), QStringLiteral("ProductID: 1"));
}

void TestProductView::refillKeepsOrdering() {
    Fixture f({makeProduct(u"A", params({{u"one", 1}})),
               makeProduct(u"B", params({{u"delta", 4}, {u"Alpha", 9}, {u"charlie", 2}, {u"bravo", 7}}))});
    f.select(0);
    QVERIFY(f.table.setIndexFieldNames(QStringLiteral("Param Name")));
    f.select(1);
    QCOMPARE(f.rows(), (QStringList{QStringLiteral("1|Alpha|9"), QStringLiteral("3|bravo|7"),
                                    QStringLiteral("2|charlie|2"), QStringLiteral("0|delta|4")}));
    QCOMPARE(f.table.recNo(), 0);
    // The text keeps the platform's order.
    QCOMPARE(f.text(), QStringLiteral("0, delta, 4\n1, Alpha, 9\n2, charlie, 2\n3, bravo, 7"));

    QVERIFY(f.table.setIndexFieldNames(QStringLiteral("IntParamId")));
    f.table.setRecNo(3);
    f.select(1);
    QCOMPARE(f.table.current().IntParamId, 2);
    QCOMPARE(f.table.recNo(), 0);
}

void TestProductView::pidxKeepsOtherProductsCells() {
    Fixture f({makeProduct(u"A", params({{u"a", 3}, {u"b", 8}})), makeProduct(u"B", params({{u"c", 8}}))});
    f.select(0);
    f.select(1);
    QCOMPARE(f.cells(), (QStringList{QStringLiteral("3=0"), QStringLiteral("8=0")}));
}

void TestProductView::identify_data() {
    QTest::addColumn<sim::ProductSpec>("content");
    QTest::addColumn<QString>("chip");
    QTest::addColumn<QString>("label");
    QTest::addColumn<QString>("freq");
    QTest::addColumn<QString>("gain");
    QTest::addColumn<QString>("output");
    // Operations that must not be called.
    QTest::addColumn<QStringList>("notCalled");

    const sim::LimitsSpec lim{110.5, 40.0, 16};
    const QString h = QStringLiteral("HYBRID");
    auto id = [](int n) { return QStringLiteral("HYBRID:  (ID:%1)").arg(n); };
    const QString g = QStringLiteral("40"), o = QStringLiteral("110.5");
    const QString qHybrid = QStringLiteral("IProduct.QueryInterface(IHybridInfo)");
    const QString q5020 = QStringLiteral("IProduct.QueryInterface(IHybridInfo5020)");
    const QString channels = QStringLiteral("IProductLimits.Channels");

    QTest::newRow("GC5020 1") << chip(u"GC5020", 1, 9, 9, lim) << QStringLiteral("Foundation GA3216") << id(1)
                              << QString() << g << o << QStringList{qHybrid, channels};
    QTest::newRow("GC5020 2") << chip(u"GC5020", 2, {}, {}, lim) << QStringLiteral("Consolidator GA3227")
                              << id(2) << QString() << g << o << QStringList{qHybrid};
    QTest::newRow("GC5020 unlisted") << chip(u"GC5020", 7, {}, {}, lim) << QStringLiteral("GC5020 Based")
                                     << id(7) << QString() << g << o << QStringList();
    QTest::newRow("GC5020 refusing") << chip(u"GC5020", {}, 2, 1, lim) << QStringLiteral("GC5020 Based") << h
                                     << QString() << g << o << QStringList{qHybrid};
    QTest::newRow("gc5020, other case") << chip(u"gc5020", 2, 2, 1, lim) << QStringLiteral("gc5020 Based")
                                        << h << QString() << g << o << QStringList{qHybrid, q5020};
    QTest::newRow("GC5020 with blank") << chip(u"GC5020 ", 2, 2, 1, lim) << QStringLiteral("GC5020  Based")
                                       << h << QString() << g << o << QStringList{qHybrid, q5020};

    const std::pair<int, const char*> venture[] = {
        {2, "Venture GA3217"},          {3, "Venture GA3218"},
        {4, "Venture GA3219"},          {31, "GA3226"},
        {32, "Inspiria GA3284"},        {33, "Inspiria Ultimate GA3285"},
        {35, "Inspiria Extreme SA3286"}};
    for (const auto& [n, text] : venture)
        QTest::addRow("GC5055 %d", n) << chip(u"GC5055", 9, n, 1, lim) << QString::fromLatin1(text) << id(n)
                                      << QStringLiteral("32 kHz") << g << o << QStringList{q5020, channels};
    QTest::newRow("GC5055 unlisted") << chip(u"GC5055", {}, 5, 2, lim) << QStringLiteral("GC5055 Based")
                                     << id(5) << QStringLiteral("48 kHz") << g << o << QStringList();
    QTest::newRow("GC5055 code 0") << chip(u"GC5055", {}, 3, 0, lim) << QStringLiteral("Venture GA3218")
                                   << id(3) << QStringLiteral("16 kHz") << g << o << QStringList();
    QTest::newRow("GC5055 refusing") << chip(u"GC5055", 2, {}, {}, lim) << QStringLiteral("GC5055 Based") << h
                                     << QString() << g << o << QStringList{q5020};
    QTest::newRow("GC5055 code -1") << chip(u"GC5055", {}, 4, -1, lim) << QStringLiteral("Venture GA3219")
                                    << id(4) << QString() << g << o << QStringList();

    QTest::newRow("GC5052") << chip(u"GC5052", 2, 3, 1, lim) << QStringLiteral("Duet GA3212") << h
                            << QString() << g << o << QStringList{qHybrid, q5020, channels};
    QTest::newRow("GC5050") << chip(u"GC5050", 2, 3, 1, lim) << QStringLiteral("Paragon") << h << QString()
                            << g << o << QStringList{qHybrid, q5020, channels};

    QTest::newRow("GC5005 4") << chip(u"GC5005", 1, 4, 2, sim::LimitsSpec{1, 2, 2})
                              << QStringLiteral("Rhythm (2ch)") << id(4) << QStringLiteral("48 kHz")
                              << QStringLiteral("2") << QStringLiteral("1") << QStringList{q5020};
    QTest::newRow("GC5005 6") << chip(u"GC5005", {}, 6, 1, lim)
                              << QStringLiteral("Rhythm Ultimate SB3230(16ch)") << id(6)
                              << QStringLiteral("32 kHz") << g << o << QStringList();
    QTest::newRow("GC5005 8") << chip(u"GC5005", {}, 8, 0, lim)
                              << QStringLiteral("Rhythm Ultimate SB3231(16ch)") << id(8)
                              << QStringLiteral("16 kHz") << g << o << QStringList();
    QTest::newRow("GC5005 5") << chip(u"GC5005", {}, 5, 1, lim) << QStringLiteral("GC5005 Based") << id(5)
                              << QStringLiteral("32 kHz") << g << o << QStringList{channels};
    QTest::newRow("GC5005 0") << chip(u"GC5005", {}, 0, 2, lim) << QStringLiteral("GC5005 Based") << h
                              << QStringLiteral("48 kHz") << g << o << QStringList{channels};

    QTest::newRow("other") << chip(u"XC9000", 2, 3, 1, lim) << QStringLiteral("XC9000 Based") << h
                           << QString() << g << o << QStringList{qHybrid, q5020};
    QTest::newRow("empty name") << chip(u"", 2, 3, 1, lim) << QStringLiteral(" Based") << h << QString() << g
                                << o << QStringList{qHybrid, q5020};
    QTest::newRow("no limits") << chip(u"GC5020", 2, {}, {}, {}) << QStringLiteral("Consolidator GA3227")
                               << id(2) << QString() << QStringLiteral("Unknown") << QStringLiteral("Unknown")
                               << QStringList();
    QTest::newRow("small and large limits")
        << chip(u"GC5052", {}, {}, {}, sim::LimitsSpec{1.5e20, 0.00001, 0}) << QStringLiteral("Duet GA3212")
        << h << QString() << QStringLiteral("1E-5") << QStringLiteral("1.5E20") << QStringList();
}

void TestProductView::identify() {
    QFETCH(sim::ProductSpec, content);
    QFETCH(QString, chip);
    QFETCH(QString, label);
    QFETCH(QString, freq);
    QFETCH(QString, gain);
    QFETCH(QString, output);
    QFETCH(QStringList, notCalled);
    Fixture f({content}, u"4.5");
    f.view.tSampFreq->setText(QStringLiteral("old"));
    f.select(0);
    QCOMPARE(f.summary(), (QStringList{QStringLiteral("V: 4.5"), chip, label, freq, gain, output}));
    for (const QString& op : notCalled)
        QCOMPARE(f.platform->count(op.toStdString()), size_t(0));
    // The names above are the log's own: the reads a row does make are logged under them.
    const std::u16string& name = content.platform;
    if (name == u"GC5020")
        QCOMPARE(f.platform->count("IProduct.QueryInterface(IHybridInfo5020)"), size_t(1));
    if (name == u"GC5055" || name == u"GC5005")
        QCOMPARE(f.platform->count("IProduct.QueryInterface(IHybridInfo)"), size_t(1));
    if (name == u"GC5005" && chip != u"GC5005 Based")
        QCOMPARE(f.platform->count("IProductLimits.Channels"), size_t(1));
    // Identification is part of a complete selection.
    QCOMPARE(f.text(), QStringLiteral("0, A, 1"));
}

void TestProductView::uncheckedHybridReads() {
    // Failing statuses of the hybrid and rate reads are not looked at: the value counts as read (0 here).
    Fixture f({chip(u"GC5055", {}, 3, 2, sim::LimitsSpec{1, 2, 3}),
               chip(u"GC5005", {}, 6, 2, sim::LimitsSpec{1, 2, 3})});
    f.platform->addFault(fault("IHybridInfo.HybridID", u"no hybrid"));
    f.select(0);
    QCOMPARE(f.view.tHybrid->text(), QStringLiteral("GC5055 Based"));
    QCOMPARE(f.view.lbl_Hybrid->text(), QStringLiteral("HYBRID"));
    QCOMPARE(f.view.tSampFreq->text(), QStringLiteral("48 kHz"));
    f.platform->clearFaults();
    f.platform->addFault(fault("IHybridInfo.SampleRateCode"));
    f.select(1); // not guarded, yet nothing is raised
    QCOMPARE(f.view.tHybrid->text(), QStringLiteral("Rhythm Ultimate SB3230(3ch)"));
    QCOMPARE(f.view.lbl_Hybrid->text(), QStringLiteral("HYBRID:  (ID:6)"));
}

void TestProductView::hybridZeroKeepsLabel() {
    sim::LimitsSpec lim{1, 2, 3};
    Fixture f(
        {chip(u"GC5055", {}, 3, 1, lim), chip(u"GC5055", {}, 0, 1, lim), chip(u"GC5050", {}, {}, {}, lim)});
    f.select(0);
    f.select(1);
    QCOMPARE(f.view.lbl_Hybrid->text(), QStringLiteral("HYBRID:  (ID:3)"));
    QCOMPARE(f.view.tHybrid->text(), QStringLiteral("GC5055 Based"));
    QCOMPARE(f.view.tSampFreq->text(), QStringLiteral("32 kHz"));
    f.select(2);
    QCOMPARE(f.view.lbl_Hybrid->text(), QStringLiteral("HYBRID:  (ID:3)"));
    QCOMPARE(f.view.tSampFreq->text(), QString());
}

void TestProductView::family5005Failures_data() {
    QTest::addColumn<sim::ProductSpec>("content");
    QTest::addColumn<sim::FaultRule>("fault");
    const sim::LimitsSpec lim{7, 8, 4};
    QTest::newRow("refusing IHybridInfo") << chip(u"GC5005", 1, {}, {}, lim) << fault("none");
    QTest::newRow("refusing IProductLimits") << chip(u"GC5005", {}, 6, 1, {}) << fault("none");
    QTest::newRow("failing Channels")
        << chip(u"GC5005", {}, 6, 1, lim) << fault("IProductLimits.Channels", u"gone");
}

void TestProductView::family5005Failures() {
    QFETCH(sim::ProductSpec, content);
    QFETCH(sim::FaultRule, fault);
    sim::ProductSpec before = chip(u"GC5055", {}, 3, 1, sim::LimitsSpec{110.5, 40, 2});
    before.extParameters = params({{u"Prev", 0}});
    Fixture f({before, content});
    f.select(0);
    const QStringList previous = f.summary();
    f.view.tVersion->setText(QStringLiteral("stale"));
    f.platform->addFault(fault);
    QVERIFY_THROWS_EXCEPTION(vk::ComError, f.select(1));
    QCOMPARE(f.view.lbl_ProdID->text(), QStringLiteral("ProductID: 1"));
    QCOMPARE(f.productName(), QStringLiteral("Chip"));
    QStringList now = previous;
    now[0] = QStringLiteral("V: 1.2.3");
    QCOMPARE(f.summary(), now);
    QCOMPARE(f.text(), QString());
    QCOMPARE(f.table.rowCount(), 0);
    QCOMPARE(f.memo(), QStringLiteral("0,Prev"));
}

void TestProductView::parameterFailures_data() {
    QTest::addColumn<QString>("op");
    QTest::addColumn<int>("k"); // the parameter that fails
    for (int k : {0, 1, 5, 9})
        QTest::addRow("Name at %d", k) << QStringLiteral("IParameterInfo.Name") << k;
    QTest::newRow("ParamID at 3") << QStringLiteral("IParameterInfo.ParamID") << 3;
    QTest::newRow("Item at 2") << QStringLiteral("IParameters.Item") << 2;
    QTest::newRow("query at 4") << QStringLiteral("IParameter.QueryInterface(IParameterInfo)") << 4;
}

void TestProductView::parameterFailures() {
    QFETCH(QString, op);
    QFETCH(int, k);
    sim::ProductSpec before = makeProduct(u"Before", params({{u"x", 500}}), params({{u"Prev", 0}}));
    Fixture f({before, makeProduct(u"After", numbered(10))});
    f.select(0);
    QVERIFY(f.table.setIndexFieldNames(QStringLiteral("Param Name")));
    f.platform->addFault(fault(op.toStdString(), u"broken parameter", uint64_t(k), 1));
    try {
        f.select(1);
        QFAIL("no error raised");
    } catch (const vk::ComError& e) {
        QCOMPARE(QString::fromStdString(e.what()), QStringLiteral("broken parameter"));
    }
    QStringList lines, rows, cells{QStringLiteral("500=0")};
    for (int i = 0; i < k; ++i) {
        lines << QStringLiteral("%1, P%1, %1").arg(i);
        rows << QStringLiteral("%1|P%1|%1").arg(i);
        cells.insert(i, QStringLiteral("%1=%1").arg(i));
    }
    QCOMPARE(f.text(), lines.join(QLatin1Char('\n')));
    rows.sort(); // name order in force; "P0".."P8" sort like their numbers
    QCOMPARE(f.rows(), rows);
    QCOMPARE(f.cells(), cells);
    // The table is not moved to its first row: it stands on the last row stored.
    if (k > 1) {
        QCOMPARE(f.table.current().AsListed, k - 1);
        QVERIFY(f.table.recNo() != 0 || k == 1);
    }
    QCOMPARE(f.memo(), QStringLiteral("0,Prev"));
}

void TestProductView::externalFailure() {
    Fixture f({makeProduct(u"A", params({{u"a", 1}}), numbered(6, u"E"))});
    f.platform->addFault(fault("IParameterInfo.Name", {}, 0, -1, "E3"));
    QVERIFY_THROWS_EXCEPTION(vk::ComError, f.select(0));
    QCOMPARE(f.memo(), QStringLiteral("0,E0\n1,E1\n2,E2"));
    QCOMPARE(f.text(), QStringLiteral("0, a, 1"));
    QCOMPARE(f.table.recNo(), 0);

    f.platform->clearFaults();
    f.platform->addFault(fault("IProduct.ExtParameters"));
    QVERIFY_THROWS_EXCEPTION(vk::ComError, f.select(0));
    QCOMPARE(f.memo(), QString()); // emptied, and no "None Found."
}

void TestProductView::earlyFailures_data() {
    QTest::addColumn<QString>("op");
    QTest::addColumn<bool>("productChanges");
    QTest::addColumn<bool>("versionChanges");
    QTest::newRow("Products") << QStringLiteral("ILibrary.Products") << false << false;
    QTest::newRow("Item") << QStringLiteral("IProducts.Item") << false << false;
    QTest::newRow("Version") << QStringLiteral("ILibrary.Version") << true << false;
    QTest::newRow("Platform") << QStringLiteral("IProduct.Platform") << true << true;
    QTest::newRow("platform Name") << QStringLiteral("IPlatform.Name") << true << true;
    QTest::newRow("IntParameters") << QStringLiteral("IProduct.IntParameters") << true << true;
    QTest::newRow("Count") << QStringLiteral("IParameters.Count") << true << true;
}

void TestProductView::earlyFailures() {
    QFETCH(QString, op);
    QFETCH(bool, productChanges);
    QFETCH(bool, versionChanges);
    sim::ProductSpec before = chip(u"GC5020", 2, {}, {}, sim::LimitsSpec{1, 2, 3});
    before.name = u"Before";
    before.extParameters = params({{u"Prev", 0}});
    Fixture f({before, makeProduct(u"After", numbered(3), {}, u"GC5052")});
    f.select(0);
    const QStringList summary = f.summary();
    const QString text = f.text();
    f.view.tVersion->setText(QStringLiteral("stale"));
    f.platform->addFault(fault(op.toStdString()));
    QVERIFY_THROWS_EXCEPTION(vk::ComError, f.select(1));
    QCOMPARE(f.productName(), productChanges ? QStringLiteral("After") : QStringLiteral("Before"));
    QCOMPARE(f.view.lbl_ProdID->text(),
             productChanges ? QStringLiteral("ProductID: 1") : QStringLiteral("ProductID: 0"));
    QCOMPARE(f.view.tVersion->text(), versionChanges ? QStringLiteral("V: 1.2.3") : QStringLiteral("stale"));
    QStringList rest = f.summary().mid(1);
    if (op == u"IProduct.IntParameters" || op == u"IParameters.Count") {
        QCOMPARE(rest.at(0), QStringLiteral("Duet GA3212")); // identification completed
    } else {
        QCOMPARE(rest, summary.mid(1));
    }
    QCOMPARE(f.text(), productChanges ? QString() : text);
    QCOMPARE(f.table.rowCount(), productChanges ? 0 : 1);
    QCOMPARE(f.memo(), QStringLiteral("0,Prev"));
}

void TestProductView::noLibrary() {
    Fixture f({makeProduct(u"A", params({{u"a", 1}}))});
    f.select(0);
    vk::ComPtr<talvo::IProduct> kept = f.prod;
    f.lib = nullptr;
    try {
        f.select(0);
        QFAIL("no error raised");
    } catch (const vk::ComError& e) {
        QCOMPARE(e.code(), vk::E_POINTER_);
        QCOMPARE(QString::fromUtf8(e.what()), QStringLiteral("No product library is open"));
    }
    QVERIFY(f.prod == kept);
    QCOMPARE(f.text(), QStringLiteral("0, a, 1"));
    f.select(-1); // nothing selected: nothing asked, nothing raised
}

QTEST_MAIN(TestProductView)
#include "tst_productview.moc"
