// Start-up scan and library list fill on the in-memory simulated platform.
//
// The floor makes the same platform calls in a bare loop, with the same gauge updates and event
// processing, and fills the list once in bulk; the tool's cost above it is the sorted insertion and
// its bookkeeping. Times are the thread's processor time, so other work on a busy machine does not
// land in either figure.
#include "catalogue/LibraryCatalogue.h"

#include "platform/Call.h"
#include "platform/TCore2.h"
#include "simulator/SimPlatform.h"
#include "ui/Dialogs.h"

#include <QApplication>
#include <QComboBox>
#include <QCoreApplication>
#include <QLabel>
#include <QProgressBar>
#include <QStringList>
#include <QVBoxLayout>
#include <QWidget>

#include <algorithm>
#include <cstdio>
#include <ctime>
#include <map>
#include <vector>

using namespace talvo;

namespace {

class CpuTimer {
public:
    void start() { m_start = now(); }
    double ms() const { return (now() - m_start) / 1e6; }

private:
    static double now() {
        timespec t{};
        clock_gettime(CLOCK_THREAD_CPUTIME_ID, &t);
        return double(t.tv_sec) * 1e9 + double(t.tv_nsec);
    }
    double m_start = 0;
};

sim::CatalogSpec makeCatalog(int n) {
    sim::CatalogSpec content;
    uint32_t state = 12345;
    for (int i = 0; i < n; ++i) {
        state = state * 1103515245u + 12345u; // names in no particular order
        char text[32];
        std::snprintf(text, sizeof text, "Library %08X %d", state, i);
        sim::EntrySpec e;
        for (const char* c = text; *c; ++c)
            e.name.push_back(char16_t(*c));
        e.caption = (i % 2 ? u"hearing " : u"Fitting ") + e.name;
        sim::LibrarySpec lib;
        lib.name = e.name;
        lib.manufacturerId = int16_t(1 + i / 1000);
        lib.libraryId = int16_t(1 + i % 1000);
        lib.products.push_back(sim::ProductSpec{});
        e.library = lib;
        content.entries.push_back(std::move(e));
    }
    return content;
}

struct Splash {
    Splash() {
        auto* layout = new QVBoxLayout(&window);
        gauge = new QProgressBar(&window);
        gauge->setRange(0, 100);
        label = new QLabel(QStringLiteral("Analysing Installed Talvo Components..."), &window);
        layout->addWidget(gauge);
        layout->addWidget(label);
        window.show();
        QCoreApplication::processEvents();
    }
    QWidget window;
    QProgressBar* gauge;
    QLabel* label;
};

int32_t count(TCore2& core) {
    return vk::call(core.Catalog(), &ICatalog::Count);
}
vk::ComPtr<ICatalogEntry> entryAt(TCore2& core, int32_t i) {
    auto index = vk::VariantHolder::fromInt(i);
    return vk::call(core.Catalog(), &ICatalog::Item, index.get());
}

double runTool(TCore2& core, Splash& splash) {
    QComboBox list;
    CpuTimer timer;
    timer.start();
    catalogue::scanCatalogue(
        core, {splash.gauge, splash.label, &list}, [] {}, [] {});
    const double ms = timer.ms();
    if (list.count() != count(core))
        std::fprintf(stderr, "list incomplete\n");
    return ms;
}

double runFloor(TCore2& core, Splash& splash) {
    QComboBox list;
    CpuTimer timer;
    timer.start();
    for (int pass = 0; pass < 2; ++pass) {
        const int32_t n = count(core);
        for (int32_t i = 0; i < n; ++i) {
            splash.gauge->setValue(catalogue::gaugeValue(i, count(core)));
            QCoreApplication::processEvents();
            auto lib = vk::call(entryAt(core, i), &ICatalogEntry::Library);
            (void)vk::call(lib, &ILibrary::ManufacturerID);
            (void)vk::call(lib, &ILibrary::LibraryID);
        }
        splash.label->setText(QStringLiteral("Checking for Duplicate Libraries..."));
    }
    QStringList items;
    const int32_t n = count(core);
    for (int32_t i = 0; i < n; ++i) {
        auto lib = vk::call(entryAt(core, i), &ICatalogEntry::Library);
        (void)vk::call(lib, &ILibrary::ManufacturerID);
        (void)vk::call(lib, &ILibrary::LibraryID);
        std::u16string item = vk::call(entryAt(core, i), &ICatalogEntry::Caption);
        item += u" - ";
        item += vk::call(entryAt(core, i), &ICatalogEntry::Name);
        items << QString::fromStdU16String(item);
    }
    list.addItems(items);
    list.setCurrentIndex(0);
    return timer.ms();
}

double median(std::vector<double> v) {
    std::sort(v.begin(), v.end());
    return v[v.size() / 2];
}

} // namespace

int main(int argc, char** argv) {
    QApplication app(argc, argv);
    vk::coInitialize();
    dialogs::testing::enable(); // no box may stop the run
    Splash splash;
    constexpr int kRuns = 7;
    {
        // Warm-up: first use of fonts, the collator and the widgets' styles is not the scan's cost.
        auto platform = sim::Platform::create(makeCatalog(200));
        auto registration = platform->registerRunning();
        TCore2 core;
        runFloor(core, splash);
        runTool(core, splash);
    }
    double perLibrary500 = 0;
    for (int n : {500, 1000, 2000, 4000}) {
        auto platform = sim::Platform::create(makeCatalog(n));
        auto registration = platform->registerRunning();
        TCore2 core;
        core.Connect();
        std::vector<double> tool, floor;
        for (int run = 0; run < kRuns; ++run) {
            platform->clearCalls();
            floor.push_back(runFloor(core, splash));
            platform->clearCalls();
            tool.push_back(runTool(core, splash));
        }
        platform->clearCalls();
        const double t = median(tool), f = median(floor);
        std::printf("BENCH\tcatalogue scan\t%d\t%.3f\t%.3f\n", n, t, f);
        std::fflush(stdout);
        if (n == 500)
            perLibrary500 = t / n;
        std::fprintf(stderr,
                     "catalogue scan %d: %.2f us per library (ratio to floor %.2f, growth vs 500 %.2f)\n", n,
                     1000.0 * t / n, t / f, (t / n) / perLibrary500);
    }
    if (!dialogs::testing::shown().empty())
        std::fprintf(stderr, "unexpected boxes during the benchmark\n");
    return 0;
}
