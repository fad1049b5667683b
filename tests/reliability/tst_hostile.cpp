// Values from the platform that no sane library holds: huge, empty and malformed texts, counts
// that are negative or change between reads, identifiers and ranges at the 32-bit limits, reals
// that are not numbers, and calls that succeed without handing anything out. The window must show
// something clear, keep going and leak nothing.
#include "Harness.h"

#include "inspect/EffectLabel.h"
#include "inspect/ParameterGrid.h"
#include "platform/TCore2.h"

#include <QClipboard>
#include <QGuiApplication>
#include <QtTest>

#include <cmath>
#include <limits>

using namespace rel;

Q_DECLARE_METATYPE(std::u16string)
Q_DECLARE_METATYPE(std::vector<sim::FaultRule>)

namespace {

constexpr int32_t kMin = std::numeric_limits<int32_t>::min();
constexpr int32_t kMax = std::numeric_limits<int32_t>::max();

// A one-library catalogue whose product carries the given parameters and texts.
sim::CatalogSpec single(std::vector<sim::ParameterSpec> params, const std::u16string& text = u"T") {
    sim::CatalogSpec c;
    sim::LibrarySpec lib{text, text, -1, kMax >> 16, {}, {}};
    sim::ProductSpec p;
    p.name = text;
    p.mapName = text;
    p.platform = text;
    p.limits = sim::LimitsSpec{1, 2, 3};
    p.intParameters = std::move(params);
    p.extParameters = {param(text, 0)};
    lib.products = {p};
    c.entries.push_back(sim::EntrySpec{u"key", text, lib, u"cannot open", false});
    return c;
}

class TestHostile : public QObject {
    Q_OBJECT

    std::set<QWidget*> m_expected;
    std::unique_ptr<simtest::RunningPlatform> m_platform;
    Tmainfrm* m_w = nullptr;
    int64_t m_live0 = 0;

    Tmainfrm* open(sim::CatalogSpec content, std::vector<sim::FaultRule> faults = {}) {
        endProgramState();
        dialogs::testing::clear();
        m_live0 = sim::Platform::liveObjects();
        content.faults = std::move(faults);
        m_platform = std::make_unique<simtest::RunningPlatform>(std::move(content));
        m_w = new Tmainfrm;
        m_w->show();
        return m_w;
    }
    void doubleClick(int row) {
        m_w->cds_()->setRecNo(row);
        emit m_w->DBGrid1()->doubleClicked(m_w->DBGrid1()->model()->index(row, 0));
    }
    static QStringList errors() {
        QStringList out;
        for (const auto& s : dialogs::testing::shown())
            if (s.kind == dialogs::testing::Shown::Error)
                out << s.text;
        return out;
    }
    static sim::FaultRule give(const char* op, double value, uint64_t after = 0, int64_t times = -1) {
        sim::FaultRule r;
        r.op = op;
        r.status = vk::S_OK_;
        r.value = value;
        r.after = after;
        r.times = times;
        return r;
    }
    static QStringList listEntries() {
        QStringList out;
        if (!inspect::frm_details_)
            return out;
        const QAbstractItemModel* list = inspect::frm_details_->ListBox1->model();
        for (int i = 0; i < list->rowCount(); ++i)
            out << list->index(i, 0).data().toString();
        return out;
    }

private slots:
    void initTestCase() {
        initProgram();
        Tmainfrm::setCoreFactory([]() -> std::unique_ptr<talvo::TCore2> { return nullptr; });
        delete new Tmainfrm;
        Tmainfrm::setCoreFactory(nullptr);
        for (QWidget* w : QApplication::topLevelWidgets())
            m_expected.insert(w);
    }
    // Every window and every platform object goes with the window and the program's records.
    void cleanup() {
        delete m_w;
        m_w = nullptr;
        endProgramState();
        m_platform.reset();
        QCOMPARE(sim::Platform::liveObjects(), m_live0);
        QCOMPARE(strayWindows(m_expected), QString());
    }

    void texts_data() {
        QTest::addColumn<std::u16string>("text");
        QTest::newRow("100,000 characters") << std::u16string(100000, u'W');
        QTest::newRow("empty") << std::u16string();
        QTest::newRow("NUL characters") << std::u16string(u"a\0b\0", 4);
        QTest::newRow("unpaired surrogates") << std::u16string(u"\xD800x\xDC00\xDBFF");
        std::u16string pairAt50(49, u'n');
        pairAt50 += u"\U0001F600tail";
        QTest::newRow("pair across the name field's end") << pairAt50;
    }
    // Shown whole where the tool shows platform texts, cut safely where a field is limited.
    void texts() {
        QFETCH(std::u16string, text);
        const QString t = QString::fromStdU16String(text);
        sim::DetailSpec d = detail(3, 0, 1, 0, text, {text, text});
        open(single({param(text, 7, d)}, text));
        QCOMPARE(errors(), QStringList());
        // A one-line edit holds at most its maximum length.
        QCOMPARE(textOf(m_w, "ed_"), t.left(m_w->findChild<QLineEdit*>(u"ed_"_s)->maxLength()));
        QCOMPARE(m_w->cmbProducts()->itemText(0), u"(0) : "_s + t);
        QCOMPARE(textOf(m_w, "lstParameters"), u"0, "_s + t + u", 7"_s);
        QCOMPARE(textOf(m_w, "memo2"), u"0,"_s + t);
        QCOMPARE(textOf(m_w, "tHybrid"),
                 (t + u" Based"_s).left(m_w->findChild<QLineEdit*>(u"tHybrid"_s)->maxLength()));
        const QString stored = m_w->cds_()->row(0).ParamName;
        QCOMPARE(stored, product::ParamTable::cutName(t));
        QVERIFY(stored.toUcs4().size() <= product::ParamTable::NameSize);
        QVERIFY(t.startsWith(stored));
        if (stored.size())
            QVERIFY2(!stored.back().isHighSurrogate() || t.at(stored.size() - 1).isHighSurrogate(),
                     "pair split");

        doubleClick(0);
        QCOMPARE(errors(), QStringList());
        QVERIFY(inspect::frm_details_);
        QCOMPARE(inspect::frm_details_->lbl_map->text(), u"Map : "_s + t);
        QCOMPARE(listEntries().size(), 3);
        QVERIFY(inspect::frm_details_->lbl_details->text().contains(u"MAX = 1 ("_s + t + u' ' + t + u')'));
        inspect::frm_details_->lbl_mapDblClick();
        inspect::frm_details_->lbl_detailsClick();
        QCOMPARE(QGuiApplication::clipboard()->text(), u"0"_s);
        QCOMPARE(errors(), QStringList());
    }

    // A library key that is cut to 100 characters names no entry: the selection reports the
    // platform's refusal and the window keeps going.
    void keyLongerThanALookup() {
        sim::CatalogSpec c = single({param(u"p", 1)});
        c.entries[0].name = std::u16string(100000, u'k');
        open(std::move(c));
        QCOMPARE(errors().size(), 1);
        QVERIFY(!m_w->currentLibrary());
        QCOMPARE(m_w->cmbLibraries()->count(), 1);
        QVERIFY(m_w->isVisible());
    }

    void numbers_data() {
        QTest::addColumn<std::vector<sim::FaultRule>>("faults");
        QTest::addColumn<QString>("control");
        QTest::addColumn<QString>("shows");
        QTest::addColumn<int>("errorBoxes");
        QTest::newRow("negative catalogue count")
            << std::vector{give("ICatalog.Count", -3)} << u"cmbLibraries"_s << u""_s << 0;
        QTest::newRow("negative product count")
            << std::vector{give("IProducts.Count", -1)} << u"cmbProducts"_s << u""_s << 0;
        QTest::newRow("negative parameter counts")
            << std::vector{give("IParameters.Count", kMin)} << u"memo2"_s << u"None Found."_s << 0;
        // The product list's own count read says 5 where the library holds one product.
        QTest::newRow("product count grows between reads")
            << std::vector{give("IProducts.Count", 5, 2, 1)} << u"cmbProducts"_s << u"(0) : T"_s << 1;
        QTest::newRow("parameter count grows")
            << std::vector{give("IParameters.Count", 1000, 0, 1)} << u"lstParameters"_s << u"0, p, 1"_s << 1;
        QTest::newRow("gain NaN") << std::vector{give("IProductLimits.MaxGain", std::nan(""))}
                                  << u"tMaxGain"_s << u"NAN"_s << 0;
        QTest::newRow("output infinite")
            << std::vector{give("IProductLimits.MaxOutput", -HUGE_VAL)} << u"tMaxOutput"_s << u"-INF"_s << 0;
        QTest::newRow("identifiers at their limits")
            << std::vector{give("ILibrary.LibraryID", -32768)} << u"ed_libid"_s << u"-32768"_s << 0;
        // The frequency wraps to 0 in 32-bit arithmetic, which shows as no frequency.
        QTest::newRow("sample rate code at the limit")
            << std::vector{give("IHybridInfo.SampleRateCode", kMax)} << u"tSampFreq"_s << u""_s << 0;
        QTest::newRow("sample rate code negative")
            << std::vector{give("IHybridInfo.SampleRateCode", -3)} << u"tSampFreq"_s << u"-32 kHz"_s << 0;
    }
    void numbers() {
        QFETCH(std::vector<sim::FaultRule>, faults);
        QFETCH(QString, control);
        QFETCH(QString, shows);
        QFETCH(int, errorBoxes);
        sim::CatalogSpec c = single({param(u"p", 1, detail(1, 0, 1, 0))});
        c.entries[0].library->products[0].platform = u"GC5055";
        c.entries[0].library->products[0].hybridId = 2;
        c.entries[0].library->products[0].sampleRateCode = 1;
        open(std::move(c), faults);
        QCOMPARE(errors().size(), errorBoxes);
        const QString name = control;
        if (auto* box = m_w->findChild<QComboBox*>(name))
            QCOMPARE(box->count() ? box->itemText(0) : QString(), shows);
        else
            QCOMPARE(textOf(m_w, control.toLatin1().constData()), shows);
        // The text and the table agree whatever the counts said.
        QCOMPARE(lineCount(textOf(m_w, "lstParameters")), m_w->cds_()->rowCount());
    }

    // A parameter count at the 32-bit limit for a product of one parameter: the walk ends at the
    // platform's refusal of the second, having reserved nothing by the count's word.
    void parameterCountAtTheLimit() {
        open(single({param(u"p", 1)}), {give("IParameters.Count", kMax, 0, 1)});
        const QStringList shown = errors();
        QCOMPARE(shown.size(), 1);
        QVERIFY2(!shown[0].contains(u"alloc"_s), qPrintable(shown[0]));
        QCOMPARE(textOf(m_w, "lstParameters"), u"0, p, 1"_s);
        QCOMPARE(m_w->cds_()->rowCount(), 1);
    }

    // Identifiers at the 32-bit limits get their rows but no index cell; the double click reports
    // the missing position instead of reaching outside the index.
    void paramIdsAtTheLimits() {
        open(single({param(u"lowest", kMin, detail(2, 0, 1, 0)), param(u"highest", kMax, detail(2, 0, 1, 0)),
                     param(u"last cell", 1024, detail(2, 0, 1, 0)),
                     param(u"past it", 1025, detail(2, 0, 1, 0))}));
        QCOMPARE(textOf(m_w, "lstParameters"),
                 u"0, lowest, -2147483648\n1, highest, 2147483647\n2, last cell, 1024\n3, past it, 1025"_s);
        QCOMPARE(product::Pidx.position(1024), 2);
        for (int row : {0, 1, 3}) {
            dialogs::testing::clear();
            doubleClick(row);
            QCOMPARE(dialogs::testing::texts(),
                     std::vector<QString>{u"Insufficient Data in Product Library"_s});
        }
        QVERIFY(!inspect::frm_details_);
        dialogs::testing::clear();
        doubleClick(2);
        QVERIFY(inspect::frm_details_);
        QCOMPARE(errors(), QStringList());
    }

    void ranges_data() {
        QTest::addColumn<int32_t>("kind");
        QTest::addColumn<int32_t>("min");
        QTest::addColumn<int32_t>("max");
        QTest::addColumn<int>("entries"); // after "Valid Values..."
        QTest::addColumn<QString>("last");
        QTest::newRow("whole 32-bit range, fList")
            << 1 << kMin << kMax << 65537 << u"(4294901760 more values not listed)"_s;
        QTest::newRow("whole 32-bit range, fTextList")
            << 3 << kMin << kMax << 65537 << u"(4294901760 more values not listed)"_s;
        QTest::newRow("one value at the top") << 1 << kMax << kMax << 1 << u"2147483647: 2147483647 "_s;
        QTest::newRow("one value at the bottom") << 4 << kMin << kMin << 1 << u"-2147483648: -2147483648 "_s;
        QTest::newRow("max below min at the limits") << 1 << kMax << kMin << 0 << u"Valid Values..."_s;
        QTest::newRow("kind at the lower limit") << kMin << 0 << 5 << 0 << u"Valid Values..."_s;
        QTest::newRow("kind at the upper limit") << kMax << 0 << 5 << 0 << u"Valid Values..."_s;
    }
    // The list stops at 65,536 values with a line counting the rest, and a range that reaches the
    // largest value ends.
    void ranges() {
        QFETCH(int32_t, kind);
        QFETCH(int32_t, min);
        QFETCH(int32_t, max);
        QFETCH(int, entries);
        QFETCH(QString, last);
        sim::DetailSpec d = detail(kind, min, max, min);
        d.scale = 1;
        d.offset = 0;
        open(single({param(u"p", 1, d)}));
        m_platform->operator->()->setCallLog(false);
        doubleClick(0);
        QCOMPARE(errors(), QStringList());
        const QStringList list = listEntries();
        QCOMPARE(list.size(), 1 + entries);
        QCOMPARE(list.last(), last);
        QCOMPARE(list.size() - 1 <= inspect::Tfrm_details_::kMaxValueEntries + 1, true);
    }

    void reals_data() {
        QTest::addColumn<double>("scale");
        QTest::addColumn<double>("offset");
        QTest::addColumn<QString>("entry");
        QTest::newRow("NaN") << std::nan("") << 0.0 << u"1: NAN u"_s;
        QTest::newRow("infinite") << 1.0 << HUGE_VAL << u"1: INF u"_s;
        QTest::newRow("minus infinite") << 1.0 << -HUGE_VAL << u"1: -INF u"_s;
        QTest::newRow("largest") << std::numeric_limits<double>::max() << 0.0
                                 << u"1: 1.79769313486232E308 u"_s;
        QTest::newRow("smallest subnormal")
            << std::numeric_limits<double>::denorm_min() << 0.0 << u"1: 4.94065645841247E-324 u"_s;
    }
    void reals() {
        QFETCH(double, scale);
        QFETCH(double, offset);
        QFETCH(QString, entry);
        sim::DetailSpec d = detail(1, 1, 1, 1, u"u");
        d.scale = scale;
        d.offset = offset;
        open(single({param(u"p", 1, d)}));
        doubleClick(0);
        QCOMPARE(errors(), QStringList());
        QCOMPARE(listEntries().value(1), entry);
    }

    // Calls that succeed but hand out nothing (no object, empty text, zero), each in turn: the
    // tool reports or skips them, and never calls through a missing object.
    void emptyResults() {
        sim::CatalogSpec c = fixture();
        int swept = 0, boxes = 0;
        std::vector<uint64_t> seqs;
        {
            open(fixture());
            doubleClick(1);
            inspect::frm_details_->lbl_detailsClick();
            for (const sim::Call& call : m_platform->operator->()->calls())
                seqs.push_back(call.seq);
            cleanup();
        }
        for (uint64_t seq : seqs) {
            sim::FaultRule r;
            r.op = "*";
            r.status = vk::S_OK_;
            r.seq = seq;
            open(fixture(), {r});
            if (m_w->cds_() && m_w->cds_()->rowCount() > 1) {
                doubleClick(1);
                if (inspect::frm_details_)
                    inspect::frm_details_->lbl_detailsClick();
            }
            boxes += int(dialogs::testing::shown().size());
            ++swept;
            QVERIFY2(m_w->isVisible(), qPrintable(QString::number(seq)));
            cleanup();
            if (QTest::currentTestFailed()) {
                qWarning("empty result at call #%llu", (unsigned long long)seq);
                return;
            }
        }
        qInfo("HOSTILE\tempty results swept %d calls, %d boxes", swept, boxes);
    }
};

} // namespace

QTEST_MAIN(TestHostile)
#include "tst_hostile.moc"
