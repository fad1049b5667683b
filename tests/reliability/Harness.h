// Shared by the reliability tests: a compact catalogue with a bit of everything, a main window on
// it that is opened and torn down completely per run, and a snapshot of what the window shows.
#pragma once

#include "app/SkinManager.h"
#include "app/Tmainfrm.h"
#include "inspect/frm_details.h"
#include "platform/vkcom.h"
#include "product/ParamTable.h"
#include "product/Pidx.h"
#include "simulator/SimPlatform.h"
#include "tests/support/SimFixtures.h"
#include "tests/support/SimRegistration.h"
#include "ui/Dialogs.h"

#include <QApplication>
#include <QComboBox>
#include <QDialog>
#include <QLabel>
#include <QLineEdit>
#include <QListView>
#include <QPlainTextEdit>
#include <QTableView>

#include <memory>
#include <set>

namespace rel {

using namespace Qt::StringLiterals;

inline sim::DetailSpec detail(int32_t kind, int32_t min, int32_t max, int32_t def, std::u16string units = {},
                              std::vector<std::u16string> texts = {}) {
    sim::DetailSpec d = simtest::detail(kind, min, max, def, std::move(units));
    d.scale = 0.5;
    d.offset = -1;
    d.texts = std::move(texts);
    return d;
}

inline sim::ParameterSpec param(std::u16string name, int32_t id, std::optional<sim::DetailSpec> d = {}) {
    return {std::move(name), id, std::move(d)};
}

// Catalogue order: alpha and beta share the identifier pair (1, 2); broken cannot be opened; vault
// is locked with "sesame"; other has a family no row names. Every chip-table row is reached, every
// parameter kind, a parameter without details, a negative and a shared ParamID.
inline sim::CatalogSpec fixture() {
    sim::CatalogSpec c;
    {
        sim::EntrySpec e{u"alpha", u"Alpha", {}, u"cannot open", false};
        sim::LibrarySpec lib{u"Alpha Lib", u"1.0", 1, 2, {}, {}};
        sim::ProductSpec p0;
        p0.name = u"A-5055";
        p0.mapName = u"map-a0";
        p0.platform = u"GC5055";
        p0.hybridId = 3;
        p0.sampleRateCode = 1;
        p0.limits = sim::LimitsSpec{120.5, 40, 8};
        p0.intParameters = {param(u"Switch", 0, detail(0, 0, 1, 1)),
                            param(u"Gain", 1, detail(1, 0, 2, 1, u"dB")),
                            param(u"Mode", 2, detail(3, 0, 2, 2, u"", {u"Off", u"Low", u"High"})),
                            param(u"Raw", 3, detail(2, 0, 10, 4, u"ms")),
                            param(u"NoDetail", 4),
                            param(u"Negative", -1, detail(2, 0, 1, 0))};
        p0.extParameters = {param(u"Ext A", 0), param(u"Ext B", 1)};
        sim::ProductSpec p1;
        p1.name = u"A-5005";
        p1.mapName = u"map-a1";
        p1.platform = u"GC5005";
        p1.hybridId = 6;
        p1.sampleRateCode = 2;
        p1.limits = sim::LimitsSpec{99, 30, 16};
        p1.intParameters = {param(u"Disc", 5, detail(4, 1, 2, 1, u"Hz", {u"One", u"Two"})),
                            param(u"Dup", 5, detail(2, 0, 3, 3))};
        lib.products = {p0, p1};
        e.library = lib;
        c.entries.push_back(e);
    }
    {
        sim::EntrySpec e{u"beta", u"Beta", {}, u"cannot open", false};
        sim::LibrarySpec lib{u"Beta Lib", u"2.0", 1, 2, {}, {}};
        sim::ProductSpec p;
        p.name = u"B-5020";
        p.mapName = u"map-b";
        p.platform = u"GC5020";
        p.hybrid5020 = 2;
        p.intParameters = {param(u"X", 7, detail(2, 0, 1, 0))};
        p.extParameters = {param(u"E", 0)};
        lib.products = {p};
        e.library = lib;
        c.entries.push_back(e);
    }
    c.entries.push_back(sim::EntrySpec{u"broken", u"Broken", {}, u"Library file damaged", false});
    {
        sim::EntrySpec e{u"vault", u"Vault", {}, u"cannot open", false};
        sim::LibrarySpec lib{u"Vault Lib", u"3.0", 3, 4, u"sesame", {}};
        sim::ProductSpec p0;
        p0.name = u"V-5052";
        p0.platform = u"GC5052";
        p0.limits = sim::LimitsSpec{1, 2, 2};
        p0.intParameters = {param(u"Y", 8, detail(0, 0, 1, 0))};
        sim::ProductSpec p1;
        p1.name = u"V-5050";
        p1.platform = u"GC5050";
        lib.products = {p0, p1};
        e.library = lib;
        c.entries.push_back(e);
    }
    {
        sim::EntrySpec e{u"other", u"Other", {}, u"cannot open", false};
        sim::LibrarySpec lib{u"Other Lib", u"4.0", 5, 6, {}, {}};
        sim::ProductSpec p;
        p.name = u"O-x";
        p.platform = u"GC9999";
        p.limits = sim::LimitsSpec{1e300, -0.5, 1};
        p.intParameters = {param(u"Z", 9, detail(1, -1, 1, 0, u"V"))};
        lib.products = {p};
        e.library = lib;
        c.entries.push_back(e);
    }
    return c;
}

// Text shown by a named control of the window (label, one-line edit or text box).
inline QString textOf(const QWidget* w, const char* name) {
    const QString n = QString::fromLatin1(name);
    if (auto* l = w->findChild<QLabel*>(n))
        return l->text();
    if (auto* e = w->findChild<QLineEdit*>(n))
        return e->text();
    if (auto* t = w->findChild<QPlainTextEdit*>(n))
        return t->toPlainText();
    return u"<no control "_s + n + u'>';
}

inline QStringList itemsOf(const QComboBox* c) {
    QStringList out;
    for (int i = 0; i < c->count(); ++i)
        out << c->itemText(i);
    return out;
}

// What the window shows of the product view.
struct View {
    QString prodId, lst, memo2, tVersion, tHybrid, lblHybrid, tSampFreq, gain, output;
    QStringList rows;
    bool operator==(const View&) const = default;
};

struct Snapshot {
    QStringList libs;
    int libCur = -1;
    QString libid, manid, ed;
    QStringList prods;
    int prodCur = -1;
    View view;
    bool hasTable = false;
    int recNo = -1;
    const void* lib = nullptr;
    const void* prod = nullptr;
    QString spMap, spName;
    int32_t spId = 0;
    const void* spDetail = nullptr;
    int details = 0;
    std::vector<int32_t> pidx; // Pidx positions, -1 for an empty cell

    QString describe() const {
        return u"libs=[%1] cur=%2 ids=%3/%4 ed=%5 prods=[%6] cur=%7 prodId=%8 rows=%9 lst=[%10] memo2=[%11] "
               "hybrid=%12 gain=%13 out=%14 lib=%15 prod=%16 details=%17"_s.arg(libs.join(u'|'))
                   .arg(libCur)
                   .arg(libid, manid, ed, prods.join(u'|'))
                   .arg(prodCur)
                   .arg(view.prodId)
                   .arg(view.rows.size())
                   .arg(view.lst.left(200), view.memo2.left(200), view.tHybrid, view.gain, view.output)
                   .arg(lib ? 1 : 0)
                   .arg(prod ? 1 : 0)
                   .arg(details);
    }
};

inline Snapshot snapshot(const Tmainfrm& w) {
    Snapshot s;
    s.libs = itemsOf(w.cmbLibraries());
    s.libCur = w.cmbLibraries()->currentIndex();
    s.libid = textOf(&w, "ed_libid");
    s.manid = textOf(&w, "ed_manid");
    s.ed = textOf(&w, "ed_");
    s.prods = itemsOf(w.cmbProducts());
    s.prodCur = w.cmbProducts()->currentIndex();
    View& v = s.view;
    v.prodId = textOf(&w, "lbl_ProdID");
    v.lst = textOf(&w, "lstParameters");
    v.memo2 = textOf(&w, "memo2");
    v.tVersion = textOf(&w, "tVersion");
    v.tHybrid = textOf(&w, "tHybrid");
    v.lblHybrid = textOf(&w, "lbl_Hybrid");
    v.tSampFreq = textOf(&w, "tSampFreq");
    v.gain = textOf(&w, "tMaxGain");
    v.output = textOf(&w, "tMaxOutput");
    if (const product::ParamTable* t = w.cds_()) {
        s.hasTable = true;
        s.recNo = t->recNo();
        for (int i = 0; i < t->rowCount(); ++i) {
            const auto& r = t->row(i);
            v.rows << u"%1,%2,%3"_s.arg(r.AsListed).arg(r.ParamName).arg(r.IntParamId);
        }
    }
    s.lib = w.currentLibrary().get();
    s.prod = w.currentProduct().get();
    s.spMap = inspect::SelectedParameter.MapName;
    s.spName = inspect::SelectedParameter.ParameterName;
    s.spId = inspect::SelectedParameter.ParamID;
    s.spDetail = inspect::SelectedParameter.Detail.get();
    s.details = int(inspect::Tfrm_details_::all().size());
    for (int id = 0; id < product::PidxTable::Size; ++id)
        s.pidx.push_back(product::Pidx.position(id));
    return s;
}

inline int lineCount(const QString& text) {
    return text.isEmpty() ? 0 : int(text.count(u'\n')) + 1;
}

// Releases what the program keeps until its end, so each run starts like a fresh program.
inline void endProgramState() {
    inspect::freeDetailsWindows();
    product::Pidx = product::PidxTable{};
}

// Top-level widgets other than the program-wide splash, and any box left open.
inline QString strayWindows(const std::set<QWidget*>& expected) {
    QStringList stray;
    for (QWidget* w : QApplication::topLevelWidgets()) {
        if (expected.count(w))
            continue;
        if (qobject_cast<QDialog*>(w) && !w->isVisible())
            continue; // parked by the combo boxes' popups
        stray << QString::fromLatin1(w->metaObject()->className()) + u' ' + w->objectName() +
                     (w->isVisible() ? u" (visible)"_s : QString());
    }
    return stray.join(u", ");
}

// The program-wide environment for window tests.
inline void initProgram() {
    vk::coInitialize();
    SkinManager::suppressAnimations(true);
    Tmainfrm::setSlidePause(0);
    dialogs::testing::enable();
}

} // namespace rel
