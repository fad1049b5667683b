// The grid's double click and the details window: the hand-over, the texts and list of every kind
// of parameter, the cap on long value lists, a failure midway, and the clipboard shortcuts.
#include "inspect/EffectLabel.h"
#include "inspect/frm_details.h"
#include "platform/Call.h"
#include "product/ParamTable.h"
#include "product/Pidx.h"
#include "simulator/SimPlatform.h"
#include "tests/support/SimFixtures.h"
#include "ui/Dialogs.h"

#include <QClipboard>
#include <QGuiApplication>
#include <QLineEdit>
#include <QListView>
#include <QTest>

#include <climits>
#include <memory>

using namespace Qt::Literals::StringLiterals;
using inspect::SelectedParameter;
using inspect::Tfrm_details_;

namespace {

std::u16string u16(const QString& s) {
    return s.toStdU16String();
}

sim::CatalogSpec catalogOf(std::vector<sim::ProductSpec> products) {
    return simtest::oneLibraryCatalog({u"demo", u"Demo", u"Demo Library", u"1.0"}, std::move(products));
}

sim::ParameterSpec parameter(std::u16string name, int32_t id, std::optional<sim::DetailSpec> detail) {
    sim::ParameterSpec p;
    p.name = std::move(name);
    p.paramId = id;
    p.detail = std::move(detail);
    return p;
}

// The cases here read in decibels unless they say otherwise.
sim::DetailSpec detailOf(int32_t kind, int32_t min, int32_t max, int32_t def, std::u16string units = u"dB") {
    return simtest::detail(kind, min, max, def, std::move(units));
}

// One platform, its products walked to as the tool does, and for each product the table and index
// the product view would have filled.
struct Scene {
    std::shared_ptr<sim::Platform> platform;
    std::vector<vk::ComPtr<talvo::IProduct>> products;
    std::vector<std::unique_ptr<product::ParamTable>> tables;
    product::PidxTable pidx;
    QLineEdit ed_;
    QWidget mainWindow;

    explicit Scene(std::vector<sim::ProductSpec> specs) {
        ed_.setText(u"Demo Library"_s);
        mainWindow.setGeometry(100, 100, 800, 600);
        const size_t count = specs.size();
        std::vector<std::vector<sim::ParameterSpec>> params;
        for (const auto& s : specs)
            params.push_back(s.intParameters);
        platform = sim::Platform::create(catalogOf(std::move(specs)));
        auto library = simtest::firstLibrary(*platform);
        auto all = vk::call(library, &talvo::ILibrary::Products);
        for (size_t i = 0; i < count; ++i) {
            auto at = vk::VariantHolder::fromInt(int32_t(i));
            products.push_back(vk::call(all, &talvo::IProducts::Item, at.get()));
            auto table = std::make_unique<product::ParamTable>();
            std::vector<product::ParamTable::Row> rows;
            for (size_t n = 0; n < params[i].size(); ++n)
                rows.push_back(
                    {int32_t(n), QString::fromStdU16String(params[i][n].name), params[i][n].paramId});
            table->appendRows(std::move(rows));
            table->first();
            tables.push_back(std::move(table));
        }
        platform->clearCalls();
    }

    // Selecting a product writes its cells over what an earlier product left.
    void select(size_t product) {
        const auto& t = *tables[product];
        for (int r = 0; r < t.rowCount(); ++r)
            pidx.set(t.row(r).IntParamId, t.row(r).AsListed);
    }

    void doubleClick(size_t product, int row) {
        tables[product]->setRecNo(row);
        inspect::DBGrid1DblClick(products[product], *tables[product], pidx, &ed_, &mainWindow);
    }

    // Opens the details of a single parameter of a single product.
    static std::unique_ptr<Scene> single(sim::DetailSpec detail, std::u16string name = u"Gain",
                                         int32_t id = 7) {
        sim::ProductSpec p;
        p.name = u"P1";
        p.mapName = u"MAP_A";
        p.intParameters.push_back(parameter(std::move(name), id, std::move(detail)));
        auto scene = std::make_unique<Scene>(std::vector<sim::ProductSpec>{std::move(p)});
        scene->select(0);
        return scene;
    }
};

QStringList items(const QListView* list) {
    QStringList out;
    const QAbstractItemModel* model = list->model();
    for (int i = 0; i < model->rowCount(); ++i)
        out << model->index(i, 0).data().toString();
    return out;
}

QString detailsText(const QString& name, const QStringList& lines) {
    QString d = name + u" Parameter Details\n\r"_s;
    for (const QString& l : lines)
        d += u"\r\n"_s + l;
    return d;
}

} // namespace

class TestDetails : public QObject {
    Q_OBJECT

private slots:
    void initTestCase();
    void cleanup();

    void noProductOrNoRowDoesNothing();
    void threeDoubleClicksThreeWindows();
    void failedLookup_data();
    void failedLookup();
    void mapNameFailureLeavesHandOver();
    void windowShape();
    void listShowsAndSelects();

    void details_data();
    void details();
    void platformAskedAfresh_data();
    void platformAskedAfresh();
    void longRangeCapped_data();
    void longRangeCapped();
    void failureMidway();

    void clipboardFollowsNewestParameter();
    void failingDefaultOnClick();
};

void TestDetails::initTestCase() {
    dialogs::testing::enable();
}

void TestDetails::cleanup() {
    dialogs::testing::clear();
    QLocale::setDefault(QLocale::c());
    // Windows live until the end; close those of this case so the next one starts uncovered.
    for (Tfrm_details_* w : Tfrm_details_::all())
        w->close();
}

void TestDetails::noProductOrNoRowDoesNothing() {
    auto scene = Scene::single(detailOf(2, 0, 1, 0));
    const auto before = Tfrm_details_::all().size();
    product::ParamTable empty;
    inspect::DBGrid1DblClick({}, *scene->tables[0], scene->pidx, &scene->ed_, &scene->mainWindow);
    inspect::DBGrid1DblClick(scene->products[0], empty, scene->pidx, &scene->ed_, &scene->mainWindow);
    QCOMPARE(Tfrm_details_::all().size(), before);
    QVERIFY(scene->platform->calls().empty());
    QVERIFY(dialogs::testing::shown().empty());
}

void TestDetails::threeDoubleClicksThreeWindows() {
    sim::ProductSpec p;
    p.name = u"P1";
    p.mapName = u"MAP_A";
    p.intParameters = {parameter(u"Volume", 3, detailOf(2, 0, 10, 5)),
                       parameter(u"Bass", 1, detailOf(0, 0, 1, 0)),
                       parameter(u"Treble", 2, detailOf(2, -5, 5, 0))};
    Scene scene({p});
    scene.select(0);
    const auto before = Tfrm_details_::all().size();
    QList<Tfrm_details_*> opened;
    for (int row = 0; row < 3; ++row) {
        scene.doubleClick(0, row);
        QVERIFY(inspect::frm_details_);
        opened << inspect::frm_details_;
        QCOMPARE(inspect::frm_details_->windowTitle(), u"Demo Library"_s);
        QVERIFY(inspect::frm_details_->isVisible());
    }
    QCOMPARE(Tfrm_details_::all().size(), before + 3);
    QCOMPARE(Tfrm_details_::all().mid(before), opened);
    QCOMPARE(inspect::frm_details_, opened.last());
    for (Tfrm_details_* w : opened)
        QVERIFY(w->isVisible());
    QVERIFY(opened[2]->lbl_details->text().startsWith(u"Treble Parameter Details"_s));
    QCOMPARE(SelectedParameter.ParameterName, u"Treble"_s);
    QCOMPARE(SelectedParameter.ParamID, 2);
    QCOMPARE(SelectedParameter.MapName, u"MAP_A"_s);

    // Closing hides a window; it stays alive.
    opened[0]->close();
    QVERIFY(opened[0]->isHidden());
    QVERIFY(Tfrm_details_::all().contains(opened[0]));
}

void TestDetails::failedLookup_data() {
    QTest::addColumn<int>("row");
    QTest::addColumn<bool>("lookedUp"); // whether the product was asked for its parameters
    // Rows: 0 fine, 1 refuses IParameterDetail, 2 has no Pidx cell for this product,
    // 3 ParamID above the index, 4 negative ParamID.
    QTest::newRow("no detail interface") << 1 << true;
    QTest::newRow("empty Pidx cell") << 2 << false;
    QTest::newRow("ParamID above 1024") << 3 << false;
    QTest::newRow("negative ParamID") << 4 << false;
}

void TestDetails::failedLookup() {
    QFETCH(int, row);
    QFETCH(bool, lookedUp);
    sim::ProductSpec p;
    p.name = u"P1";
    p.mapName = u"MAP_A";
    p.intParameters = {parameter(u"Good", 1, detailOf(2, 0, 1, 0)), parameter(u"Bare", 2, std::nullopt),
                       parameter(u"Unindexed", 3, detailOf(2, 0, 1, 0)),
                       parameter(u"High", 2000, detailOf(2, 0, 1, 0)),
                       parameter(u"Low", -1, detailOf(2, 0, 1, 0))};
    Scene scene({p});
    scene.select(0);
    scene.pidx.cell(3)->clear(); // as if the product view had never written it
    scene.doubleClick(0, 0);
    const auto goodDetail = SelectedParameter.Detail;
    QVERIFY(goodDetail);
    const auto before = Tfrm_details_::all().size();
    Tfrm_details_* const last = inspect::frm_details_;
    dialogs::testing::clear();
    scene.platform->clearCalls();

    scene.doubleClick(0, row);
    QCOMPARE(dialogs::testing::texts(), std::vector<QString>{u"Insufficient Data in Product Library"_s});
    QCOMPARE(Tfrm_details_::all().size(), before);
    QCOMPARE(inspect::frm_details_, last);
    // The new row's name and identifier are handed over; the detail stays the previous one.
    QCOMPARE(SelectedParameter.ParameterName, scene.tables[0]->row(row).ParamName);
    QCOMPARE(SelectedParameter.ParamID, scene.tables[0]->row(row).IntParamId);
    QVERIFY(SelectedParameter.Detail == goodDetail);
    QCOMPARE(scene.platform->count("IProduct.IntParameters") > 0, lookedUp);
}

void TestDetails::mapNameFailureLeavesHandOver() {
    auto scene = Scene::single(detailOf(2, 0, 1, 0), u"Gain", 7);
    scene->doubleClick(0, 0);
    const auto before = Tfrm_details_::all().size();
    SelectedParameter.ParameterName = u"Earlier"_s;
    sim::FaultRule rule;
    rule.op = "IProduct.MapName";
    rule.description = u"map unreadable";
    scene->platform->addFault(rule);
    QVERIFY_THROWS_EXCEPTION(vk::ComError, scene->doubleClick(0, 0));
    QCOMPARE(SelectedParameter.ParameterName, u"Earlier"_s);
    QCOMPARE(Tfrm_details_::all().size(), before);
}

void TestDetails::windowShape() {
    auto scene = Scene::single(detailOf(0, 0, 1, 0));
    scene->doubleClick(0, 0);
    Tfrm_details_* w = inspect::frm_details_;
    QVERIFY(w);
    QCOMPARE(w->objectName(), u"frm_details_"_s);
    QCOMPARE(w->size(), QSize(346, 444));
    QVERIFY(!w->parent());
    const Qt::WindowFlags flags = w->windowFlags();
    QVERIFY(flags & Qt::WindowStaysOnTopHint);
    QVERIFY(flags & Qt::WindowCloseButtonHint);
    QVERIFY(!(flags & Qt::WindowMinimizeButtonHint));
    QVERIFY(!(flags & Qt::WindowMaximizeButtonHint));
    QVERIFY((w->frameGeometry().center() - scene->mainWindow.frameGeometry().center()).manhattanLength() <=
            12);
    QCOMPARE(w->lbl_map->text(), u"Map : MAP_A"_s);
    // The list and the map label follow the right and bottom edges; the details label does not.
    w->resize(446, 544);
    QCOMPARE(w->ListBox1->geometry(), QRect(168, 32, 269, 501));
    QCOMPARE(w->lbl_map->geometry(), QRect(168, 8, 269, 25));
    QCOMPARE(w->lbl_details->pos(), QPoint(8, 6));
}

void TestDetails::listShowsAndSelects() {
    auto scene = Scene::single(detailOf(1, 0, 99, 0, u"u"));
    scene->doubleClick(0, 0);
    Tfrm_details_* w = inspect::frm_details_;
    QListView* list = w->findChild<QListView*>(u"ListBox1"_s);
    QCOMPARE(list, w->ListBox1);
    QCOMPARE(list->geometry(), QRect(168, 32, 169, 401));
    QVERIFY(QTest::qWaitForWindowExposed(w));

    // Rows 13 pixels high from the top, each showing its entry.
    const QAbstractItemModel* model = list->model();
    QCOMPARE(list->visualRect(model->index(0, 0)).top(), 0);
    for (int row : {0, 1, 30})
        QCOMPARE(list->visualRect(model->index(row, 0)).height(), 13);
    QCOMPARE(list->indexAt(QPoint(10, 3 * 13 + 6)).data().toString(), u"2: 2 u"_s);

    // One entry selected at a time, by click or key; nothing to edit.
    QTest::mouseClick(list->viewport(), Qt::LeftButton, {}, list->visualRect(model->index(3, 0)).center());
    QCOMPARE(list->currentIndex().row(), 3);
    QTest::mouseClick(list->viewport(), Qt::LeftButton, Qt::ControlModifier,
                      list->visualRect(model->index(5, 0)).center());
    QTest::keyClick(list, Qt::Key_Down);
    const QModelIndexList selected = list->selectionModel()->selectedIndexes();
    QCOMPARE(selected.size(), 1);
    QCOMPARE(selected[0].data().toString(), u"5: 5 u"_s);
    QTest::mouseDClick(list->viewport(), Qt::LeftButton, {}, list->visualRect(selected[0]).center());
    QTest::keyClick(list, Qt::Key_F2);
    QVERIFY(!list->viewport()->findChild<QLineEdit*>());

    // Whatever the font's own height, rows stay 13 pixels high.
    QFont large = list->font();
    large.setPixelSize(24);
    list->setFont(large);
    QCOMPARE(list->visualRect(model->index(1, 0)).height(), 13);
    QCOMPARE(list->visualRect(model->index(2, 0)).top(), 26);
}

void TestDetails::details_data() {
    QTest::addColumn<int>("kind");
    QTest::addColumn<int>("min");
    QTest::addColumn<int>("max");
    QTest::addColumn<int>("def");
    QTest::addColumn<QString>("units");
    QTest::addColumn<double>("scale");
    QTest::addColumn<QStringList>("texts");
    QTest::addColumn<QString>("locale");
    QTest::addColumn<QStringList>("lines");
    QTest::addColumn<QStringList>("list");

    const QString valid = u"Valid Values..."_s;
    QTest::newRow("single bit ignores its range")
        << 0 << 5 << 9 << 6 << u"dB"_s << 1.0 << QStringList{} << u"C"_s
        << QStringList{u"ParamID = 7"_s, u"Type = fSingle Bit"_s}
        << QStringList{valid, u"0: Off"_s, u"1: On"_s};
    QTest::newRow("list, 2 and 0.5") << 1 << 0 << 3 << 4 << u"dB"_s << 0.5 << QStringList{} << u"C"_s
                                     << QStringList{u"ParamID = 7"_s, u"Type = fList"_s, u"MIN = 0 (0 dB)"_s,
                                                    u"MAX = 3 (1.5 dB)"_s, u"Default Value = 4 (2 dB)"_s}
                                     << QStringList{valid, u"0: 0 dB"_s, u"1: 0.5 dB"_s, u"2: 1 dB"_s,
                                                    u"3: 1.5 dB"_s};
    QTest::newRow("list, decimal comma")
        << 1 << 0 << 3 << 4 << u"dB"_s << 0.5 << QStringList{} << u"de_DE"_s
        << QStringList{u"ParamID = 7"_s, u"Type = fList"_s, u"MIN = 0 (0 dB)"_s, u"MAX = 3 (1,5 dB)"_s,
                       u"Default Value = 4 (2 dB)"_s}
        << QStringList{valid, u"0: 0 dB"_s, u"1: 0,5 dB"_s, u"2: 1 dB"_s, u"3: 1,5 dB"_s};
    QTest::newRow("list, empty units keep their space")
        << 1 << -1 << 0 << 0 << QString() << 2.0 << QStringList{} << u"C"_s
        << QStringList{u"ParamID = 7"_s, u"Type = fList"_s, u"MIN = -1 (-2 )"_s, u"MAX = 0 (0 )"_s,
                       u"Default Value = 0 (0 )"_s}
        << QStringList{valid, u"-1: -2 "_s, u"0: 0 "_s};
    QTest::newRow("list, tiny steps in scientific form")
        << 1 << 1 << 1 << 1 << u"V"_s << 0.00001 << QStringList{} << u"C"_s
        << QStringList{u"ParamID = 7"_s, u"Type = fList"_s, u"MIN = 1 (1E-5 V)"_s, u"MAX = 1 (1E-5 V)"_s,
                       u"Default Value = 1 (1E-5 V)"_s}
        << QStringList{valid, u"1: 1E-5 V"_s};
    QTest::newRow("list, Max below Min")
        << 1 << 5 << 4 << 5 << u"ms"_s << 1.0 << QStringList{} << u"C"_s
        << QStringList{u"ParamID = 7"_s, u"Type = fList"_s, u"MIN = 5 (5 ms)"_s, u"MAX = 4 (4 ms)"_s,
                       u"Default Value = 5 (5 ms)"_s}
        << QStringList{valid};
    QTest::newRow("data") << 2 << -3 << 12 << 0 << u"Hz"_s << 1.0 << QStringList{} << u"C"_s
                          << QStringList{u"ParamID = 7"_s, u"Type = fData"_s, u"MIN = -3Hz"_s,
                                         u"MAX = 12Hz"_s, u"Default Value = 0 Hz"_s}
                          << QStringList{valid, u"No List for this Parameter Type (fData)"_s};
    QTest::newRow("text list, Off against off")
        << 3 << 0 << 2 << 1 << u"x"_s << 1.0 << QStringList{u"Off"_s, u"On"_s, u"off"_s} << u"C"_s
        << QStringList{u"ParamID = 7"_s, u"Type = fTextList"_s, u"MIN = 0 (Offx)"_s, u"MAX = 2 (off x)"_s,
                       u"Default Value = 1 (Onx)"_s}
        << QStringList{valid, u"0: Off"_s, u"1: On x"_s, u"2: off x"_s};
    QTest::newRow("discrete, OFF and empty units")
        << 4 << -1 << 1 << 0 << QString() << 1.0 << QStringList{u"OFF"_s, u"Off"_s, u"Auto"_s} << u"C"_s
        << QStringList{u"ParamID = 7"_s, u"Type = fDiscrete"_s, u"MIN = -1 (OFF)"_s, u"MAX = 1 (Auto )"_s,
                       u"Default Value = 0 (Off)"_s}
        << QStringList{valid, u"-1: OFF "_s, u"0: Off"_s, u"1: Auto "_s};
    QTest::newRow("discrete, Max below Min")
        << 4 << 2 << 1 << 2 << u"x"_s << 1.0 << QStringList{} << u"C"_s
        << QStringList{u"ParamID = 7"_s, u"Type = fDiscrete"_s, u"MIN = 2 (2x)"_s, u"MAX = 1 (1 x)"_s,
                       u"Default Value = 2 (2x)"_s}
        << QStringList{valid};
    QTest::newRow("unknown kind 7") << 7 << 0 << 3 << 1 << u"dB"_s << 1.0 << QStringList{} << u"C"_s
                                    << QStringList{u"ParamID = 7"_s, u"Type = "_s} << QStringList{valid};
}

void TestDetails::details() {
    QFETCH(int, kind);
    QFETCH(int, min);
    QFETCH(int, max);
    QFETCH(int, def);
    QFETCH(QString, units);
    QFETCH(double, scale);
    QFETCH(QStringList, texts);
    QFETCH(QString, locale);
    QFETCH(QStringList, lines);
    QFETCH(QStringList, list);
    QLocale::setDefault(QLocale(locale));

    sim::DetailSpec d = detailOf(kind, min, max, def, u16(units));
    d.scale = scale;
    for (const QString& t : texts)
        d.texts.push_back(u16(t));
    auto scene = Scene::single(d);
    scene->doubleClick(0, 0);
    QVERIFY(dialogs::testing::shown().empty());
    Tfrm_details_* w = inspect::frm_details_;
    QVERIFY(w);
    QCOMPARE(w->lbl_details->text(), detailsText(u"Gain"_s, lines));
    QCOMPARE(items(w->ListBox1), list);
}

void TestDetails::platformAskedAfresh_data() {
    QTest::addColumn<int>("kind");
    QTest::addColumn<QStringList>("ops");
    const QString k = u"Kind"_s, mn = u"Min"_s, mx = u"Max"_s, df = u"Default"_s, un = u"Units"_s;
    const QString sc = u"Scale"_s, tx = u"Texts"_s;
    QTest::newRow("list") << 1 << QStringList{k,  un,
                                              k,  k,
                                              mn, mn,
                                              sc, u"ToReal(0)"_s,
                                              mx, mx,
                                              sc, u"ToReal(1)"_s,
                                              df, df,
                                              sc, u"ToReal(1)"_s,
                                              mn, mx,
                                              sc, u"ToReal(0)"_s,
                                              sc, u"ToReal(1)"_s};
    const QStringList textOps{mn, mn,           tx, u"Text(0)"_s, mx, mx,          tx, u"Text(1)"_s,
                              df, df,           tx, u"Text(1)"_s, mn, mx,          tx, u"Text(0)"_s,
                              tx, u"Text(0)"_s, tx, u"Text(1)"_s, tx, u"Text(1)"_s};
    QTest::newRow("text list") << 3 << QStringList{k, un, k, k, k, k} + textOps;
    QTest::newRow("discrete") << 4 << QStringList{k, un, k, k, k, k, k} + textOps;
    QTest::newRow("data") << 2 << QStringList{k, un, k, k, k, mn, mx, df};
}

void TestDetails::platformAskedAfresh() {
    QFETCH(int, kind);
    QFETCH(QStringList, ops);
    auto scene = Scene::single(detailOf(kind, 0, 1, 1));
    scene->doubleClick(0, 0);
    QStringList seen;
    for (const sim::Call& c : scene->platform->calls()) {
        const QString op = QString::fromStdString(c.op);
        if (!op.startsWith(u"IParameterDetail."_s) && !op.startsWith(u"IValue"_s))
            continue;
        QString name = op.section(u'.', 1);
        if (!c.argument.empty())
            name += u'(' + QString::fromStdString(c.argument) + u')';
        seen << name;
    }
    QCOMPARE(seen, ops);
}

void TestDetails::longRangeCapped_data() {
    QTest::addColumn<int>("kind");
    QTest::addColumn<int>("min");
    QTest::addColumn<int>("max");
    QTest::addColumn<int>("valueEntries");
    QTest::addColumn<QString>("lastValue");
    QTest::addColumn<QString>("tail"); // empty: no count entry

    QTest::newRow("65,536 values, all listed")
        << 1 << 0 << 65535 << 65536 << u"65535: 65535 u"_s << QString();
    QTest::newRow("65,537 values") << 1 << 0 << 65536 << 65536 << u"65535: 65535 u"_s
                                   << u"(1 more values not listed)"_s;
    QTest::newRow("whole 32-bit range, list")
        << 1 << INT_MIN << INT_MAX << 65536 << u"-2147418113: -2147418113 u"_s
        << u"(4294901760 more values not listed)"_s;
    QTest::newRow("whole 32-bit range, text list")
        << 3 << INT_MIN << INT_MAX << 65536 << u"-2147418113: -2147418113 u"_s
        << u"(4294901760 more values not listed)"_s;
    QTest::newRow("range ending at the largest value")
        << 4 << INT_MAX - 2 << INT_MAX << 3 << u"2147483647: 2147483647 u"_s << QString();
}

void TestDetails::longRangeCapped() {
    QFETCH(int, kind);
    QFETCH(int, min);
    QFETCH(int, max);
    QFETCH(int, valueEntries);
    QFETCH(QString, lastValue);
    QFETCH(QString, tail);
    auto scene = Scene::single(detailOf(kind, min, max, min, u"u"));
    scene->doubleClick(0, 0);
    const QAbstractItemModel* list = inspect::frm_details_->ListBox1->model();
    const int expected = 1 + valueEntries + (tail.isEmpty() ? 0 : 1);
    QCOMPARE(list->rowCount(), expected);
    QCOMPARE(list->index(valueEntries, 0).data().toString(), lastValue);
    if (!tail.isEmpty())
        QCOMPARE(list->index(expected - 1, 0).data().toString(), tail);
    // Three conversions for the MIN, MAX and Default lines, then one (list) or two (text kinds) per entry.
    const size_t perEntry = kind == 1 ? 1 : 2;
    const char* conv = kind == 1 ? "IValueScale.ToReal" : "IValueTexts.Text";
    QCOMPARE(scene->platform->count(conv), 3 + perEntry * size_t(valueEntries));
}

void TestDetails::failureMidway() {
    auto scene = Scene::single(detailOf(1, 0, 9, 0, u"dB"));
    sim::FaultRule rule;
    rule.op = "IValueScale.ToReal";
    rule.after = 5; // the three lines and two entries succeed
    rule.description = u"scale unreadable";
    scene->platform->addFault(rule);
    const auto before = Tfrm_details_::all().size();
    scene->doubleClick(0, 0);
    QCOMPARE(Tfrm_details_::all().size(), before + 1);
    Tfrm_details_* w = inspect::frm_details_;
    QCOMPARE(dialogs::testing::shown().size(), size_t(1));
    QCOMPARE(dialogs::testing::shown()[0].kind, dialogs::testing::Shown::Error);
    QCOMPARE(dialogs::testing::shown()[0].text, u"scale unreadable."_s);
    QVERIFY(w->isVisible());
    QCOMPARE(w->windowTitle(), u"Demo Library"_s);
    QCOMPARE(w->lbl_map->text(), u"Map : MAP_A"_s);
    QCOMPARE(w->lbl_details->text(), u"lbl_details"_s);
    QCOMPARE(items(w->ListBox1), (QStringList{u"Valid Values..."_s, u"0: 0 dB"_s, u"1: 1 dB"_s}));
    QCOMPARE(scene->platform->count("IValueScale.ToReal"), size_t(6));
}

void TestDetails::clipboardFollowsNewestParameter() {
    sim::ProductSpec a;
    a.name = u"P1";
    a.mapName = u"MAP_A";
    a.intParameters = {parameter(u"Volume", 3, detailOf(2, 0, 10, 5))};
    sim::ProductSpec b;
    b.name = u"P2";
    b.mapName = u"MAP_B";
    b.intParameters = {parameter(u"Bass", 4, detailOf(2, -20, 20, -7))};
    Scene scene({a, b});
    scene.select(0);
    scene.doubleClick(0, 0);
    Tfrm_details_* older = inspect::frm_details_;
    scene.select(1);
    scene.doubleClick(1, 0);
    Tfrm_details_* newer = inspect::frm_details_;
    QVERIFY(older && newer && older != newer);
    QCOMPARE(older->lbl_map->text(), u"Map : MAP_A"_s);

    QClipboard* cb = QGuiApplication::clipboard();
    cb->setText(u"untouched"_s);
    QTest::mouseClick(older->lbl_details, Qt::LeftButton);
    QCOMPARE(cb->text(), u"-7"_s);
    QTest::mouseDClick(older->lbl_map, Qt::LeftButton);
    QCOMPARE(cb->text(), u"MAP_B"_s);
    cb->setText(u"untouched"_s);
    QTest::mouseClick(newer->lbl_details, Qt::LeftButton);
    QCOMPARE(cb->text(), u"-7"_s);
}

void TestDetails::failingDefaultOnClick() {
    auto scene = Scene::single(detailOf(2, 0, 10, 5));
    scene->doubleClick(0, 0);
    sim::FaultRule rule;
    rule.op = "IParameterDetail.Default";
    rule.description = u"default unreadable";
    scene->platform->addFault(rule);
    QClipboard* cb = QGuiApplication::clipboard();
    cb->setText(u"untouched"_s);
    inspect::frm_details_->lbl_detailsClick();
    QCOMPARE(cb->text(), u"untouched"_s);
    QCOMPARE(dialogs::testing::texts(), std::vector<QString>{u"default unreadable."_s});
}

QTEST_MAIN(TestDetails)
#include "tst_details.moc"
