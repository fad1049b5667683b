// Details window: the whole double click (hand-over, build, show) against the same platform calls
// in a bare loop plus the same widgets given their final texts once: a window of the same size
// with the two effect labels and the list (a list view over the window's entry model, filled in
// one go); and the resident memory each window keeps, as windows live until the program ends.
// Grid sort: a title click on a shown 8,192-row grid against a bare stable sort and model reset
// under an equal view.
#include "inspect/EffectLabel.h"
#include "inspect/EntryListModel.h"
#include "inspect/ParameterGrid.h"
#include "inspect/frm_details.h"
#include "platform/Call.h"
#include "product/ParamTable.h"
#include "product/Pidx.h"
#include "simulator/SimPlatform.h"
#include "tests/support/SimFixtures.h"

#include <QAbstractTableModel>
#include <QApplication>
#include <QElapsedTimer>
#include <QHeaderView>
#include <QLineEdit>
#include <QListView>
#include <QStyledItemDelegate>
#include <QTableView>

#include <algorithm>
#include <cstdio>
#include <ctime>
#include <functional>
#include <malloc.h>
#include <memory>
#include <random>
#include <unistd.h>
#include <vector>

using namespace Qt::Literals::StringLiterals;

namespace {

constexpr int kRuns = 7;

double median(std::vector<double> v) {
    std::sort(v.begin(), v.end());
    return v[v.size() / 2];
}

double timeMs(const std::function<void()>& f) {
    QElapsedTimer t;
    t.start();
    f();
    return double(t.nsecsElapsed()) / 1e6;
}

// The thread's processor time: the machine is shared, and another process's work must land in
// neither the tool's figure nor the floor's.
double cpuMs(const std::function<void()>& f) {
    auto now = [] {
        timespec t{};
        clock_gettime(CLOCK_THREAD_CPUTIME_ID, &t);
        return double(t.tv_sec) * 1e3 + double(t.tv_nsec) / 1e6;
    };
    const double start = now();
    f();
    return now() - start;
}

long residentKb() {
    long pages = 0, resident = 0;
    if (FILE* f = std::fopen("/proc/self/statm", "r")) {
        if (std::fscanf(f, "%ld %ld", &pages, &resident) != 2)
            resident = 0;
        std::fclose(f);
    }
    return resident * (sysconf(_SC_PAGESIZE) / 1024);
}

// kB < 0: the row has no memory figure.
void report(const char* name, int size, double tool, double floor, long kB = -1) {
    if (kB >= 0)
        std::printf("BENCH\t%s\t%d\t%.3f\t%.3f\t%ld\n", name, size, tool, floor, kB);
    else
        std::printf("BENCH\t%s\t%d\t%.3f\t%.3f\n", name, size, tool, floor);
    std::fflush(stdout);
}

// The list's rows as the details window has them, 13 pixels high.
class ThirteenPixelRows final : public QStyledItemDelegate {
public:
    using QStyledItemDelegate::QStyledItemDelegate;
    QSize sizeHint(const QStyleOptionViewItem& option, const QModelIndex& index) const override {
        return {QStyledItemDelegate::sizeHint(option, index).width(), 13};
    }
};

// What a details window shows, for the floor to set once; the entries one after another in one
// string, so the floor reads them as cheaply as can be.
struct Shown {
    QString map, details;
    QString entries;
    std::vector<qsizetype> ends;
};

QFont formFont() {
    QFont font(QStringLiteral("MS Sans Serif"));
    font.setStyleHint(QFont::SansSerif);
    font.setPixelSize(11);
    return font;
}

// The list as the details window has it, over its own model filled in one go.
QListView* filledList(const Shown& texts, QWidget* parent) {
    auto* list = new QListView(parent);
    auto* model = new inspect::EntryListModel(list);
    list->setModel(model);
    list->setUniformItemSizes(true);
    list->setItemDelegate(new ThirteenPixelRows(list));
    list->setGeometry(168, 32, 169, 401);
    qsizetype start = 0;
    for (qsizetype end : texts.ends) {
        model->append(QStringView(texts.entries).sliced(start, end - start));
        start = end;
    }
    model->publish();
    return list;
}

// The floor's widgets: those of a details window, in their places, given their final texts once.
// Shown and handed to the caller, who keeps it (hidden) as the tool keeps its windows.
std::unique_ptr<QWidget> showBare(const Shown& texts) {
    auto window = std::make_unique<QWidget>();
    window->setFont(formFont());
    window->setBackgroundRole(QPalette::Button);
    window->setAutoFillBackground(true);
    window->resize(inspect::Tfrm_details_::kClientWidth, inspect::Tfrm_details_::kClientHeight);
    auto* map = new inspect::EffectLabel(window.get());
    map->setAlignment(Qt::AlignHCenter);
    map->setGeometry(168, 8, 169, 25);
    map->setText(texts.map);
    auto* details = new inspect::EffectLabel(window.get());
    details->move(8, 6);
    details->setWrapWidth(168 - 8 - 4);
    details->setText(texts.details);
    details->setAutoSize(true);
    filledList(texts, window.get());
    window->show();
    QCoreApplication::processEvents();
    return window;
}

// The list alone as its own window: what the floor was before it had the window's other widgets.
std::unique_ptr<QWidget> showBareList(const Shown& texts) {
    std::unique_ptr<QWidget> list(filledList(texts, nullptr));
    list->setFont(formFont());
    list->show();
    QCoreApplication::processEvents();
    return list;
}

struct DetailScene {
    std::shared_ptr<sim::Platform> platform;
    vk::ComPtr<talvo::IProduct> product;
    product::ParamTable table;
    product::PidxTable pidx;
    QLineEdit ed;
    QWidget mainWindow;

    DetailScene(int kind, int values) {
        sim::DetailSpec d = simtest::detail(kind, 0, values - 1, values / 2, u"dB");
        d.scale = 0.25;
        d.offset = -12;
        if (kind == 3)
            for (int v = 0; v < values; ++v)
                d.texts.push_back((v % 7 == 0 ? u"Off"_s : u"Setting %1"_s.arg(v)).toStdU16String());
        sim::ParameterSpec p;
        p.name = u"Gain";
        p.paramId = 1;
        p.detail = d;
        sim::ProductSpec ps;
        ps.name = u"P";
        ps.mapName = u"MAP";
        ps.intParameters.push_back(p);
        platform = sim::Platform::create(simtest::oneLibraryCatalog({u"bench", {}, u"Bench", {}}, {ps}));
        // The simulator's record of calls is a test aid: it would weigh in both figures and in the memory.
        platform->setCallLog(false);
        auto library = simtest::firstLibrary(*platform);
        auto products = vk::call(library, &talvo::ILibrary::Products);
        auto zero = vk::VariantHolder::fromInt(0);
        product = vk::call(products, &talvo::IProducts::Item, zero.get());
        table.append({0, u"Gain"_s, 1});
        table.first();
        pidx.set(1, 0);
        ed.setText(u"Bench"_s);
        mainWindow.resize(800, 600);
    }

    // The platform calls the build makes, in the same order, with nothing done with the results.
    void bareCalls(int kind) {
        using D = talvo::IParameterDetail;
        (void)vk::call(product, &talvo::IProduct::MapName);
        auto params = vk::call(product, &talvo::IProduct::IntParameters);
        vk::VariantHolder index = *pidx.cell(1);
        auto parameter = vk::call(params, &talvo::IParameters::Item, index.get());
        auto d = parameter.query<D>();
        for (int i = 0; i < (kind == 1 ? 3 : 5); ++i)
            (void)vk::call(d, &D::Kind);
        (void)vk::call(d, &D::Units);
        auto convert = [&](int32_t v) {
            if (kind == 1) {
                (void)vk::call(vk::call(d, &D::Scale), &talvo::IValueScale::ToReal, v);
            } else {
                (void)vk::call(vk::call(d, &D::Texts), &talvo::IValueTexts::Text, v);
            }
        };
        for (auto op : {&D::Min, &D::Max, &D::Default}) {
            (void)vk::call(d, op);
            convert(vk::call(d, op));
        }
        const int32_t n = vk::call(d, &D::Min);
        const int32_t x = vk::call(d, &D::Max);
        for (int64_t v = n; v <= x; ++v) {
            convert(int32_t(v));
            if (kind != 1)
                convert(int32_t(v));
        }
    }
};

// Resident memory each window keeps, as a user's double clicks one after another would leave it:
// one scene, the windows left shown (they live until the program ends, and a shown window holds
// its backing store too), nothing else run between them. Memory freed before the first is given
// back first, so no window can hide its cost in what earlier benchmarks left.
long keptPerWindow(int kind, int values) {
    DetailScene scene(kind, values);
    QCoreApplication::processEvents();
    malloc_trim(0);
    std::vector<double> kept;
    QList<inspect::Tfrm_details_*> opened;
    for (int run = 0; run < kRuns; ++run) {
        const long before = residentKb();
        inspect::DBGrid1DblClick(scene.product, scene.table, scene.pidx, &scene.ed, &scene.mainWindow);
        kept.push_back(double(residentKb() - before));
        opened << inspect::frm_details_;
    }
    for (inspect::Tfrm_details_* w : opened)
        w->close();
    QCoreApplication::processEvents();
    return long(median(kept));
}

void benchDetails(int kind, int values) {
    const long kept = keptPerWindow(kind, values);
    std::vector<double> tool, floor, listOnly;
    std::vector<std::unique_ptr<QWidget>> bareWindows;
    for (int run = 0; run < kRuns; ++run) {
        DetailScene scene(kind, values);
        QCoreApplication::processEvents();
        tool.push_back(cpuMs([&] {
            inspect::DBGrid1DblClick(scene.product, scene.table, scene.pidx, &scene.ed, &scene.mainWindow);
        }));
        Shown texts{
            inspect::frm_details_->lbl_map->text(), inspect::frm_details_->lbl_details->text(), {}, {}};
        const QAbstractItemModel* shown = inspect::frm_details_->ListBox1->model();
        for (int i = 0; i < shown->rowCount(); ++i) {
            texts.entries += shown->index(i, 0).data().toString();
            texts.ends.push_back(texts.entries.size());
        }
        inspect::frm_details_->close();
        QCoreApplication::processEvents();

        // A platform of its own, so both start alike.
        DetailScene bare(kind, values);
        QCoreApplication::processEvents();
        floor.push_back(cpuMs([&] {
            QCoreApplication::processEvents();
            bare.bareCalls(kind);
            bareWindows.push_back(showBare(texts));
        }));
        bareWindows.back()->close();
        QCoreApplication::processEvents();
        DetailScene bareForList(kind, values);
        QCoreApplication::processEvents();
        listOnly.push_back(cpuMs([&] {
            QCoreApplication::processEvents();
            bareForList.bareCalls(kind);
            bareWindows.push_back(showBareList(texts));
        }));
        bareWindows.back()->close();
        QCoreApplication::processEvents();
    }
    const char* name = kind == 1 ? "details kind 1" : "details kind 3";
    std::fprintf(stderr, "%s %d: %.2fx the floor without the window's labels (the list alone, %.3f ms)\n",
                 name, values, median(tool) / median(listOnly), median(listOnly));
    report(name, values, median(tool), median(floor), kept);
}

// A plain model over a vector of rows, for the floor of the sort.
class BareModel final : public QAbstractTableModel {
public:
    std::vector<product::ParamTable::Row> rows;
    void reset(const std::function<void()>& change) {
        beginResetModel();
        change();
        endResetModel();
    }
    int rowCount(const QModelIndex& = {}) const override { return int(rows.size()); }
    int columnCount(const QModelIndex& = {}) const override { return 3; }
    QVariant data(const QModelIndex& i, int role) const override {
        if (role != Qt::DisplayRole)
            return {};
        const auto& r = rows[size_t(i.row())];
        switch (i.column()) {
        case 0:
            return QString::number(r.AsListed);
        case 1:
            return r.ParamName;
        default:
            return QString::number(r.IntParamId);
        }
    }
};

bool lessBy(int column, const product::ParamTable::Row& a, const product::ParamTable::Row& b) {
    if (column == 0)
        return a.AsListed < b.AsListed;
    if (column == 2)
        return a.IntParamId < b.IntParamId;
    return a.ParamName.compare(b.ParamName, Qt::CaseInsensitive) < 0;
}

void benchGridSort() {
    constexpr int kRows = 8192;
    std::mt19937 rng(42);
    std::vector<product::ParamTable::Row> rows;
    for (int i = 0; i < kRows; ++i)
        rows.push_back({i, u"Param_%1_%2"_s.arg(rng() % 100000).arg(i), int32_t(rng() % 1025)});

    product::ParamTable table;
    table.appendRows(rows);
    table.first();
    bool startingUp = false;
    QTableView view;
    inspect::ParameterGrid grid(&view, &table, &startingUp);
    view.resize(276, 573);
    view.show();

    BareModel bare;
    bare.rows = rows;
    QTableView bareView;
    bareView.setModel(&bare);
    bareView.resize(276, 573);
    bareView.show();
    QCoreApplication::processEvents();

    const char* names[3] = {"grid sort AsListed", "grid sort Param Name", "grid sort ParamID"};
    for (int column = 0; column < 3; ++column) {
        std::vector<double> tool, floor;
        const int other = (column + 1) % 3;
        for (int run = 0; run < kRuns; ++run) {
            grid.DBGrid1TitleClick(other);
            QCoreApplication::processEvents();
            tool.push_back(timeMs([&] {
                grid.DBGrid1TitleClick(column);
                QCoreApplication::processEvents();
            }));
            bare.reset([&] {
                std::stable_sort(bare.rows.begin(), bare.rows.end(),
                                 [&](const auto& a, const auto& b) { return lessBy(other, a, b); });
            });
            QCoreApplication::processEvents();
            floor.push_back(timeMs([&] {
                bare.reset([&] {
                    std::stable_sort(bare.rows.begin(), bare.rows.end(),
                                     [&](const auto& a, const auto& b) { return lessBy(column, a, b); });
                });
                QCoreApplication::processEvents();
            }));
        }
        report(names[column], kRows, median(tool), median(floor));
    }
}

} // namespace

int main(int argc, char** argv) {
    QApplication app(argc, argv);
    {
        // Fonts, styles and the list's first item are loaded once per process; keep that out of the figures.
        DetailScene warm(1, 16);
        inspect::DBGrid1DblClick(warm.product, warm.table, warm.pidx, &warm.ed, &warm.mainWindow);
        inspect::frm_details_->close();
    }
    for (int kind : {1, 3})
        for (int values : {256, 4096, 65536})
            benchDetails(kind, values);
    benchGridSort();
    return 0;
}
