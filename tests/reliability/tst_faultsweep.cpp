// Every platform call of every user action made to fail, one at a time.
#include "inspect/EffectLabel.h"
#include "inspect/ParameterGrid.h"
#include "platform/Call.h"
#include "platform/TCore2.h"
//
// Each scenario runs once on a fresh window to read which calls it makes; then, for each of those
// calls, it runs again from scratch with exactly that call failing, and the outcome is checked
// against what the tool promises for a failure at that place: which box (if any) says what, whether
// the handler stopped there or went on, what the lists, fields, current library and product, the
// index and the hand-over record hold afterwards, and that nothing was leaked.
//
// VESKOR_SWEEP_PER_OP=k sweeps only k positions per operation and scenario (for slow builds).
#include "Harness.h"

#include <QClipboard>
#include <QGuiApplication>
#include <QtTest>

#include <cstdlib>
#include <map>

using namespace rel;
using dialogs::testing::Shown;

namespace {

// Where a call stands in what the tool does, as far as its failure is concerned.
enum class Site {
    ScanRead,     // catalogue counts, identifiers, captions, names: the creation handler ends
    RangeOpen,    // fetching or opening a library in the first pass: message, scan goes on
    QuietOpen,    // the same in the later passes: ignored
    Step4,        // finding and opening the chosen library: m_lib stays empty
    Lock,         // lock test and unlock
    Fields,       // identifiers and name of the library
    ProductList,  // rebuilding the product list
    ProductFetch, // fetching the chosen product
    Identify,     // platform identification, not guarded
    Hybrid,       // hybrid reads: guarded or unchecked
    Limits,       // limits: guarded, "Unknown"
    IntParams,
    ExtParams,
    MapName, // the double click's first platform call
    Lookup,  // the double click's guarded lookup
    Build,   // the details window's build
    Default, // the details label click
    Other,
};

const char* siteName(Site s) {
    static const char* names[] = {"scan read",
                                  "range-pass opening",
                                  "quiet opening",
                                  "library lookup",
                                  "lock test",
                                  "library fields",
                                  "product list",
                                  "product fetch",
                                  "identification",
                                  "hybrid read",
                                  "limits",
                                  "internal parameter",
                                  "external parameter",
                                  "map name",
                                  "details lookup",
                                  "details build",
                                  "default click",
                                  "other"};
    return names[int(s)];
}

struct Classified {
    Site site;
    int pass = -1;  // scan pass 0, 1, 2
    int entry = -1; // catalogue position of a scan call
};

bool isText(const sim::Call& c) {
    return !c.argument.empty() && c.argument.front() == '"';
}

// Assigns each call of a scenario's log its site, walking the log as the tool makes its calls.
std::vector<Classified> classify(const std::vector<sim::Call>& log, Site start, int entries) {
    std::vector<Classified> out(log.size(), {Site::Other});
    const auto op = [&](size_t i) -> std::string {
        return i < log.size() ? log[i].op : std::string();
    }; // i - 1 wraps for 0
    bool scanning = start == Site::ScanRead;
    bool inDouble = start == Site::MapName;
    int counts = 0; // ICatalog.Count calls seen
    Site mode = start;
    int entry = -1;
    for (size_t i = 0; i < log.size(); ++i) {
        const std::string o = op(i);
        Classified& c = out[i];
        if (scanning) {
            if (o == "ICore.Catalog" && op(i + 1) == "ICatalog.Item" && isText(log[i + 1]))
                scanning = false;
        }
        if (scanning) {
            const int nextCounts = counts + (o == "ICatalog.Count" || op(i + 1) == "ICatalog.Count");
            c.pass = nextCounts <= 1 + entries ? 0 : nextCounts <= 2 * (1 + entries) ? 1 : 2;
            if (o == "ICatalog.Count")
                ++counts;
            c.site = Site::ScanRead;
            // An entry fetch: Catalog, Item(position), then what it is fetched for.
            size_t item = o == "ICore.Catalog"           ? i + 1
                          : o == "ICatalog.Item"         ? i
                          : o == "ICatalogEntry.Library" ? i - 1
                                                         : 0;
            if (item && op(item) == "ICatalog.Item") {
                entry = std::atoi(log[item].argument.c_str());
                c.entry = entry;
                if (op(item + 1) == "ICatalogEntry.Library")
                    c.site = c.pass == 0 ? Site::RangeOpen : Site::QuietOpen;
            }
            if (c.entry < 0)
                c.entry = entry;
            continue;
        }
        // Selection and product view.
        if (o == "ICore.Catalog" || (o == "ICatalog.Item" && isText(log[i])))
            mode = Site::Step4;
        else if (o == "ILibrary.LibraryID" && mode == Site::Lock)
            mode = Site::Fields;
        else if (o == "ILibrary.Products" && op(i + 1) == "IProducts.Item" && op(i + 2) == "ILibrary.Version")
            mode = Site::ProductFetch;
        else if (o == "ILibrary.Version")
            mode = Site::Identify;
        else if (o == "IProduct.IntParameters")
            mode = inDouble ? Site::Lookup : Site::IntParams;
        else if (o == "IProduct.ExtParameters")
            mode = Site::ExtParams;
        else if (o == "IProduct.MapName")
            mode = Site::MapName, inDouble = true;
        c.site = mode;
        if (mode == Site::Step4 && o == "ICatalogEntry.Library")
            mode = Site::Lock;
        if (mode == Site::Fields && o == "ILibrary.Name")
            mode = Site::ProductList;
        if (mode == Site::Identify) {
            if (o == "IProduct.QueryInterface(IHybridInfo5020)" || o == "IHybridInfo5020.HybridID" ||
                o == "IHybridInfo.HybridID" || o == "IHybridInfo.SampleRateCode")
                c.site = Site::Hybrid;
            else if (o == "IProduct.QueryInterface(IHybridInfo)" &&
                     op(i + 1) != "IProduct.QueryInterface(IProductLimits)")
                c.site = Site::Hybrid;
            else if (o == "IProduct.QueryInterface(IProductLimits)" &&
                     op(i - 1) != "IProduct.QueryInterface(IHybridInfo)")
                c.site = Site::Limits;
            else if (o == "IProductLimits.MaxGain" || o == "IProductLimits.MaxOutput")
                c.site = Site::Limits;
        }
        if (mode == Site::Lookup && (o.rfind("IParameterDetail.", 0) == 0 || o.rfind("IValue", 0) == 0))
            c.site = mode = Site::Build;
        if (start == Site::Default)
            c.site = Site::Default;
    }
    return out;
}

struct Scenario {
    QString name;
    Site start;
    std::function<void(Tmainfrm*&)> setup;  // before the swept part; may open the window
    std::function<void(Tmainfrm*&)> action; // the swept part
};

QStringList boxTexts(size_t from) {
    QStringList out;
    const auto& shown = dialogs::testing::shown();
    for (size_t i = from; i < shown.size(); ++i)
        out << (shown[i].kind == Shown::Error   ? u"error: "_s
                : shown[i].kind == Shown::Input ? u"input: "_s
                                                : u""_s) +
                   shown[i].text;
    return out;
}

// One run's outcome.
struct Outcome {
    Snapshot before, after;
    QStringList boxes;
    std::vector<sim::Call> calls; // the swept part's calls
    QString libName, prodName;    // of m_lib and m_prod after the run
    QString clipboard, detailsLabel, detailsTitle;
    int detailsEntries = -1;
    bool detailsVisible = false;
    QString stray;
    int64_t leaked = 0;
};

const QString kClipboardSentinel = u"clipboard before"_s;

class TestFaultSweep : public QObject {
    Q_OBJECT

    std::set<QWidget*> m_expectedTopLevels;
    Snapshot m_design; // a window as built, before any platform call
    int m_runs = 0, m_faults = 0, m_scenarios = 0;
    std::set<std::string> m_sites;
    std::map<Site, int> m_bySite;

    static Tmainfrm* openWindow() {
        auto* w = new Tmainfrm;
        w->show();
        return w;
    }
    static void activate(QComboBox* box, int index) {
        box->setCurrentIndex(index);
        emit box->activated(index);
    }
    static int libraryIndex(Tmainfrm* w, const QString& key) {
        for (int i = 0; i < w->cmbLibraries()->count(); ++i)
            if (w->cmbLibraries()->itemText(i).endsWith(u" - "_s + key))
                return i;
        return -1;
    }
    static void doubleClick(Tmainfrm* w, int row) {
        w->cds_()->setRecNo(row);
        emit w->DBGrid1()->doubleClicked(w->DBGrid1()->model()->index(row, 0));
    }

    static std::vector<Scenario> scenarios() {
        const auto none = [](Tmainfrm*&) {};
        const auto start = [](Tmainfrm*& w) { w = openWindow(); };
        std::vector<Scenario> s;
        s.push_back({u"start-up"_s, Site::ScanRead, none, start});
        s.push_back({u"library without lock"_s, Site::Step4, start,
                     [](Tmainfrm*& w) { activate(w->cmbLibraries(), libraryIndex(w, u"beta"_s)); }});
        s.push_back({u"library with unlock"_s, Site::Step4, start, [](Tmainfrm*& w) {
                         dialogs::testing::queueInput(u"sesame"_s);
                         activate(w->cmbLibraries(), libraryIndex(w, u"vault"_s));
                     }});
        s.push_back({u"library of another family"_s, Site::Step4, start,
                     [](Tmainfrm*& w) { activate(w->cmbLibraries(), libraryIndex(w, u"other"_s)); }});
        s.push_back(
            {u"product"_s, Site::ProductFetch, start, [](Tmainfrm*& w) { activate(w->cmbProducts(), 1); }});
        s.push_back(
            {u"title click"_s, Site::Other, start, [](Tmainfrm*& w) { w->grid()->DBGrid1TitleClick(1); }});
        const struct {
            const char16_t* kind;
            int product, row;
        } rows[] = {{u"fSingle Bit", 0, 0},
                    {u"fList", 0, 1},
                    {u"fTextList", 0, 2},
                    {u"fData", 0, 3},
                    {u"fDiscrete", 1, 0}};
        for (const auto& r : rows) {
            const int product = r.product, row = r.row;
            s.push_back({u"double click "_s + QString::fromUtf16(r.kind), Site::MapName,
                         [product](Tmainfrm*& w) {
                             w = openWindow();
                             if (product)
                                 activate(w->cmbProducts(), product);
                         },
                         [row](Tmainfrm*& w) { doubleClick(w, row); }});
        }
        const auto opened = [](Tmainfrm*& w) {
            w = openWindow();
            doubleClick(w, 1);
            QGuiApplication::clipboard()->setText(kClipboardSentinel);
        };
        s.push_back({u"map name to clipboard"_s, Site::Other, opened,
                     [](Tmainfrm*&) { inspect::frm_details_->lbl_mapDblClick(); }});
        s.push_back({u"default to clipboard"_s, Site::Default, opened,
                     [](Tmainfrm*&) { inspect::frm_details_->lbl_detailsClick(); }});
        return s;
    }

    // One run from a fresh program state; seq 0: no fault.
    Outcome run(const Scenario& sc, uint64_t seq) {
        Outcome out;
        endProgramState();
        dialogs::testing::clear();
        const int64_t live0 = sim::Platform::liveObjects();
        Tmainfrm* w = nullptr;
        {
            simtest::RunningPlatform platform(fixture());
            sc.setup(w);
            const size_t boxesFrom = dialogs::testing::shown().size();
            const size_t callsFrom = platform->calls().size();
            out.before = w ? snapshot(*w) : m_design;
            if (seq) {
                sim::FaultRule rule;
                rule.op = "*";
                rule.status = vk::E_FAIL_;
                rule.description = u"injected fault #" + QString::number(seq).toStdU16String();
                rule.seq = seq;
                platform->addFault(rule);
            }
            sc.action(w);
            out.boxes = boxTexts(boxesFrom);
            out.calls.assign(platform->calls().begin() + long(callsFrom), platform->calls().end());
            out.after = snapshot(*w);
            // Which library and product are current, asked after the run (their addresses can be reused).
            if (const auto& lib = w->currentLibrary())
                out.libName = QString::fromStdU16String(vk::call(lib, &talvo::ILibrary::Name));
            if (const auto& prod = w->currentProduct())
                out.prodName = QString::fromStdU16String(vk::call(prod, &talvo::IProduct::Name));
            out.clipboard = QGuiApplication::clipboard()->text();
            if (auto* d = inspect::frm_details_) {
                out.detailsLabel = d->lbl_details->text();
                out.detailsEntries = d->ListBox1->model()->rowCount();
                out.detailsTitle = d->windowTitle();
                out.detailsVisible = d->isVisible();
            }
            delete w;
            endProgramState();
        }
        out.leaked = sim::Platform::liveObjects() - live0;
        out.stray = strayWindows(m_expectedTopLevels);
        return out;
    }

    // What a failure at log position k must leave; empty when it did.
    QStringList check(const Scenario& sc, const Outcome& base, const std::vector<Classified>& sites, size_t k,
                      const Outcome& got) {
        QStringList bad;
        const auto expect = [&](bool ok, const QString& what) {
            if (!ok)
                bad << what;
        };
        const sim::Call& failing = base.calls[k];
        const Classified& c = sites[k];
        const QString desc = u"injected fault #"_s + QString::number(failing.seq);
        const Snapshot& b = got.before;
        const Snapshot& a = got.after;

        // Determinism: the same call was reached and made to fail.
        const auto hit = std::find_if(got.calls.begin(), got.calls.end(),
                                      [&](const sim::Call& x) { return x.seq == failing.seq; });
        const bool injected = hit != got.calls.end() && hit->op == failing.op && hit->failed;
        expect(injected, u"the call was not reached the same way"_s);
        m_faults += injected;
        expect(got.leaked == 0, u"%1 platform objects leaked"_s.arg(got.leaked));
        expect(got.stray.isEmpty(), u"windows left: "_s + got.stray);

        const bool query = failing.op.find("QueryInterface") != std::string::npos;
        const auto boxesBefore = [&] {
            // Boxes of the run up to the fault are those of the fault-free run.
            QStringList same;
            for (const QString& t : got.boxes)
                if (!t.startsWith(u"error: "_s) && !t.startsWith(u"Insufficient"_s))
                    same << t;
            return same;
        };
        const auto endedWithError = [&] {
            expect(!got.boxes.isEmpty() && got.boxes.last().startsWith(u"error: "_s) &&
                       (query || got.boxes.last().contains(desc)),
                   u"no error box with the description, boxes: "_s + got.boxes.join(u" / "));
            expect(int(boxesBefore().size()) == got.boxes.size() - 1 &&
                       base.boxes.mid(0, got.boxes.size() - 1) == boxesBefore(),
                   u"boxes differ before the error: "_s + got.boxes.join(u" / "));
            expect(got.calls.back().seq == failing.seq,
                   u"calls went on after the failing one: "_s + QString::fromStdString(got.calls.back().op));
        };
        const auto wentOn = [&] {
            expect(got.calls.back().op == base.calls.back().op, u"the handler did not go on to its end"_s);
        };
        const auto sameView = [&](const char* what) {
            expect(a.view == b.view, QString::fromLatin1(what) + u": product view changed"_s);
        };

        switch (c.site) {
        case Site::ScanRead:
            endedWithError();
            expect(!a.lib && !a.prod, u"a library or product is current"_s);
            if (c.pass < 2)
                expect(a.libs.isEmpty() && !a.hasTable, u"list filled or table made before the list pass"_s);
            else
                expect(a.libCur == -1 && a.hasTable, u"list pass: an entry selected or no table"_s);
            break;
        case Site::RangeOpen: {
            const sim::CatalogSpec content = fixture();
            const bool opens = c.entry >= 0 && content.entries[size_t(c.entry)].library.has_value();
            QStringList expected = base.boxes;
            if (opens)
                expected << u"Error Opening Library: "_s +
                                QString::fromStdU16String(content.entries[size_t(c.entry)].name);
            QStringList gotSorted = got.boxes, expSorted = expected;
            gotSorted.sort();
            expSorted.sort();
            expect(gotSorted == expSorted, u"boxes: "_s + got.boxes.join(u" / "));
            expect(a.libs == base.after.libs && a.view == base.after.view,
                   u"the scan did not end as without the fault"_s);
            wentOn();
            break;
        }
        case Site::QuietOpen:
            for (const QString& t : got.boxes)
                expect(!t.startsWith(u"error: "_s) &&
                           (!t.startsWith(u"Error Opening"_s) || base.boxes.contains(t)),
                       u"box for an ignored failure: "_s + t);
            expect(a.libs.size() == base.after.libs.size() && a.libCur == 0 && a.lib && a.prod,
                   u"the scan did not end normally"_s);
            break;
        case Site::Step4:
            endedWithError();
            expect(!a.lib, u"m_lib not empty"_s);
            expect(a.prods == b.prods && a.prodCur == b.prodCur && a.ed == b.ed && a.prod == b.prod,
                   u"selection moved"_s);
            sameView("library lookup");
            break;
        case Site::Lock:
        case Site::Fields:
            endedWithError();
            expect(a.lib && got.libName == base.libName, u"m_lib is not the new library: "_s + got.libName);
            expect(a.prods == b.prods && a.prodCur == b.prodCur && a.prod == b.prod,
                   u"product list or product moved"_s);
            if (c.site == Site::Lock)
                expect(a.ed == b.ed && a.libid == b.libid && a.manid == b.manid, u"fields changed"_s);
            sameView("library");
            break;
        case Site::ProductList:
            endedWithError();
            expect(a.lib && a.prodCur == -1 && a.prods.size() <= base.after.prods.size() && a.prod == b.prod,
                   u"product list: "_s + a.describe());
            sameView("product list");
            break;
        case Site::ProductFetch:
            endedWithError();
            expect(a.prod == b.prod, u"m_prod moved"_s);
            sameView("product fetch");
            break;
        case Site::Identify:
            endedWithError();
            expect(a.prod && got.prodName == base.prodName,
                   u"m_prod is not the new product: "_s + got.prodName);
            expect(a.view.lst.isEmpty() && a.view.rows.isEmpty(), u"text or table not empty"_s);
            expect(a.view.memo2 == b.view.memo2, u"memo2 changed"_s);
            expect(a.view.tHybrid == b.view.tHybrid && a.view.gain == b.view.gain &&
                       a.view.output == b.view.output,
                   u"platform summary changed"_s);
            break;
        case Site::Hybrid:
            expect(got.boxes == base.boxes, u"boxes: "_s + got.boxes.join(u" / "));
            expect(a.view.memo2 == base.after.view.memo2 && a.view.rows == base.after.view.rows,
                   u"the selection did not go on"_s);
            wentOn();
            break;
        case Site::Limits:
            expect(got.boxes == base.boxes, u"boxes: "_s + got.boxes.join(u" / "));
            expect(a.view.gain == u"Unknown"_s && a.view.output == u"Unknown"_s, u"limits not Unknown"_s);
            expect(a.view.memo2 == base.after.view.memo2, u"the selection did not go on"_s);
            wentOn();
            break;
        case Site::IntParams: {
            endedWithError();
            expect(lineCount(a.view.lst) == a.view.rows.size(), u"text lines and rows differ"_s);
            expect(a.view.rows.size() <= base.after.view.rows.size(), u"too many rows"_s);
            expect(a.view.memo2 == b.view.memo2, u"memo2 changed"_s);
            // Each row read before the failure has its index cell.
            for (const QString& r : a.view.rows) {
                const int32_t id = r.section(u',', -1).toInt();
                if (product::PidxTable::inRange(id))
                    expect(a.pidx[size_t(id)] >= 0, u"no Pidx cell for "_s + r);
            }
            break;
        }
        case Site::ExtParams:
            endedWithError();
            expect(a.view.lst == base.after.view.lst && a.view.rows == base.after.view.rows,
                   u"internal parameters incomplete"_s);
            expect(!a.view.memo2.contains(u"None Found."_s), u"None Found. added"_s);
            expect(lineCount(a.view.memo2) < lineCount(base.after.view.memo2) ||
                       base.after.view.memo2 == u"None Found."_s,
                   u"memo2 lines"_s);
            break;
        case Site::MapName:
            endedWithError();
            expect(a.spMap == b.spMap && a.spName == b.spName && a.spId == b.spId && a.spDetail == b.spDetail,
                   u"SelectedParameter changed"_s);
            expect(a.details == b.details, u"a details window was made"_s);
            break;
        case Site::Lookup:
            expect(got.boxes == QStringList{u"Insufficient Data in Product Library"_s},
                   u"boxes: "_s + got.boxes.join(u" / "));
            expect(got.calls.back().seq == failing.seq, u"calls went on after the failed lookup"_s);
            expect(a.spMap == base.after.spMap && a.spName == base.after.spName &&
                       a.spId == base.after.spId && a.spDetail == b.spDetail,
                   u"SelectedParameter"_s);
            expect(a.details == b.details, u"a details window was made"_s);
            break;
        case Site::Build:
            endedWithError();
            expect(a.details == b.details + 1 && got.detailsVisible, u"the window was not shown"_s);
            expect(got.detailsLabel == u"lbl_details"_s, u"details label was set: "_s + got.detailsLabel);
            expect(got.detailsEntries <= base.detailsEntries, u"more entries than without the fault"_s);
            expect(got.detailsTitle == a.ed, u"caption"_s);
            expect(a.spDetail && a.spMap == base.after.spMap && a.spId == base.after.spId,
                   u"SelectedParameter"_s);
            break;
        case Site::Default:
            endedWithError();
            expect(got.clipboard == kClipboardSentinel, u"clipboard changed"_s);
            break;
        case Site::Other:
            expect(!got.boxes.isEmpty() && (query || got.boxes.last().contains(desc)),
                   u"no box with the description"_s);
            break;
        }
        (void)sc;
        return bad;
    }

private slots:
    void initTestCase() {
        initProgram();
        // One window without a platform makes the splash; it stays for the program.
        Tmainfrm::setCoreFactory([]() -> std::unique_ptr<talvo::TCore2> { return nullptr; });
        Tmainfrm* design = openWindow();
        m_design = snapshot(*design);
        delete design;
        Tmainfrm::setCoreFactory(nullptr);
        dialogs::testing::clear();
        for (QWidget* w : QApplication::topLevelWidgets())
            m_expectedTopLevels.insert(w);
    }

    void sweep_data() {
        QTest::addColumn<int>("index");
        int i = 0;
        for (const Scenario& s : scenarios())
            QTest::newRow(qPrintable(s.name)) << i++;
    }
    void sweep() {
        QFETCH(int, index);
        const Scenario sc = scenarios()[size_t(index)];
        ++m_scenarios;
        const Outcome base = run(sc, 0);
        QVERIFY2(base.leaked == 0, "fault-free run leaked platform objects");
        QVERIFY2(base.stray.isEmpty(), qPrintable(base.stray));
        for (const QString& t : base.boxes)
            QVERIFY2(!t.startsWith(u"error: "_s), qPrintable(t));
        if (sc.name == u"map name to clipboard"_s)
            QCOMPARE(base.clipboard, u"map-a0"_s);
        if (sc.name == u"default to clipboard"_s)
            QCOMPARE(base.clipboard, u"1"_s);

        const int entries = int(fixture().entries.size());
        const std::vector<Classified> sites = classify(base.calls, sc.start, entries);
        const int perOp = qEnvironmentVariableIntValue("VESKOR_SWEEP_PER_OP");
        std::map<std::string, std::vector<size_t>> byOp;
        for (size_t k = 0; k < base.calls.size(); ++k)
            byOp[base.calls[k].op].push_back(k);
        std::vector<size_t> chosen;
        for (auto& [op, ks] : byOp) {
            if (perOp <= 0 || int(ks.size()) <= perOp) {
                chosen.insert(chosen.end(), ks.begin(), ks.end());
                continue;
            }
            for (int j = 0; j < perOp; ++j)
                chosen.push_back(ks[size_t(j) * (ks.size() - 1) / size_t(perOp - 1 > 0 ? perOp - 1 : 1)]);
        }
        std::sort(chosen.begin(), chosen.end());
        chosen.erase(std::unique(chosen.begin(), chosen.end()), chosen.end());

        QStringList failures;
        for (size_t k : chosen) {
            const Outcome got = run(sc, base.calls[k].seq);
            ++m_runs;
            m_sites.insert(base.calls[k].op);
            ++m_bySite[sites[k].site];
            const QStringList bad = check(sc, base, sites, k, got);
            if (!bad.isEmpty())
                failures << u"#%1 %2 [%3]: %4"_s.arg(base.calls[k].seq)
                                .arg(QString::fromStdString(base.calls[k].op),
                                     QString::fromLatin1(siteName(sites[k].site)), bad.join(u"; "));
        }
        if (qEnvironmentVariableIsSet("VESKOR_SWEEP_DUMP"))
            for (size_t k = 0; k < base.calls.size(); ++k)
                qInfo("%llu %s %s [%s] pass %d entry %d", (unsigned long long)base.calls[k].seq,
                      base.calls[k].op.c_str(), base.calls[k].argument.c_str(), siteName(sites[k].site),
                      sites[k].pass, sites[k].entry);
        QVERIFY2(failures.isEmpty(),
                 qPrintable(u"%1 of %2 faults misbehaved:\n"_s.arg(failures.size()).arg(chosen.size()) +
                            failures.mid(0, 30).join(u'\n')));
    }

    void cleanupTestCase() {
        QStringList bySite;
        for (auto [s, n] : m_bySite)
            bySite << u"%1 %2"_s.arg(QString::fromLatin1(siteName(s))).arg(n);
        qInfo("SWEEP\tcalls swept %d\tdistinct call sites %zu\tscenarios %d\tfaults injected %d", m_runs,
              m_sites.size(), m_scenarios, m_faults);
        qInfo("SWEEP\tby site: %s", qPrintable(bySite.join(u", ")));
    }
};

} // namespace

QTEST_MAIN(TestFaultSweep)
#include "tst_faultsweep.moc"
