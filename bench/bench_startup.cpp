// Start-up: from process start to the main window shown with its first product filled, on the demo
// catalogue and on a generated catalogue of 4,000 libraries, against a bare Qt program that shows a
// window of the same size with one combo box of 4,000 collated entries.
//
// Each figure is a child process started here: the time runs from just before the start request to
// the child's first painting of its window, both read on the system's monotonic clock (the child
// prints its reading; see StartupWatch.h). The tool's child is the tool's own entry code with a
// watch added (startup_probe.cpp), so no option or variable of the tool is needed to know when it
// is up. Peak memory is the child's peak resident memory at that moment. Times are wall-clock, as a
// user waits them: loading the libraries, the platform reading its catalogue, the catalogue scan,
// the first library and product, and the main window's opening slide with its pauses.
#include "GeneratedCatalogue.h"
#include "StartupWatch.h"
#include "tests/support/SimRegistration.h"

#include "platform/talvo.h"
#include "platform/vkcom.h"

#include <QCoreApplication>
#include <QDir>
#include <QProcess>
#include <QProcessEnvironment>
#include <QStringList>

#include <nlohmann/json.hpp>

#include <algorithm>
#include <cstdio>
#include <optional>
#include <vector>

#ifndef VESKOR_STARTUP_PROBE
#error "built by bench/startup.cmake"
#endif

namespace {

constexpr int kRuns = 7;
constexpr int kLibraries = 4000;

struct Run {
    double ms = 0;        // process start to first painting
    double createdMs = 0; // process start to the window's show request
    long peakKb = 0;
};

// Starts a program and waits for its report; nothing when it fails or shows the wrong window.
std::optional<Run> launch(const QString& program, const QProcessEnvironment& env) {
    QProcess child;
    child.setProgram(program);
    child.setProcessEnvironment(env);
    child.setStandardErrorFile(QProcess::nullDevice());
    const long long start = startup::monotonicNs();
    child.start();
    if (!child.waitForFinished(120000) || child.exitStatus() != QProcess::NormalExit ||
        child.exitCode() != 0) {
        std::fprintf(stderr, "%s did not end normally\n", qPrintable(program));
        child.kill();
        child.waitForFinished();
        return std::nullopt;
    }
    for (const QByteArray& line : child.readAllStandardOutput().split('\n')) {
        const QList<QByteArray> f = line.split('\t');
        if (f.size() < 7 || f[0] != "SHOWN")
            continue;
        if (f[6] != "ok") {
            std::fprintf(stderr, "%s: %s\n", qPrintable(program), f[6].constData());
            return std::nullopt;
        }
        Run r;
        r.createdMs = double(f[1].toLongLong() - start) / 1e6;
        r.ms = double(f[2].toLongLong() - start) / 1e6;
        r.peakKb = f[3].toLong();
        return r;
    }
    std::fprintf(stderr, "%s reported nothing\n", qPrintable(program));
    return std::nullopt;
}

template <class T> T median(std::vector<T> v) {
    std::sort(v.begin(), v.end());
    return v[v.size() / 2];
}

nlohmann::json parameter(const char* name, int id, int kind, int min, int max, int def, const char* units) {
    return {{"name", name},
            {"paramId", id},
            {"detail", {{"kind", kind}, {"min", min}, {"max", max}, {"default", def}, {"units", units}}}};
}

// A library the size of the demo's: two products of a few parameters each.
std::string libraryFile(const startup::GeneratedLibrary& lib) {
    nlohmann::json products = nlohmann::json::array();
    for (int p = 0; p < 2; ++p) {
        nlohmann::json intParameters = nlohmann::json::array();
        intParameters.push_back(parameter("Volume", 0, 1, 0, 15, 8, "dB"));
        intParameters.push_back(parameter("Mode", 1, 0, 0, 1, 0, ""));
        intParameters.push_back(parameter("Low Cut", 2, 2, 0, 20, 4, "Hz"));
        intParameters.push_back(parameter("Program", 3, 3, 0, 3, 1, ""));
        intParameters.push_back(parameter("Channels", 4, 4, 1, 8, 4, ""));
        products.push_back(
            {{"name", "Product " + std::to_string(p)},
             {"mapName", "MAP" + std::to_string(p) + ".map"},
             {"platform", "GC5055"},
             {"hybridId", 3},
             {"sampleRateCode", 1},
             {"limits", {{"maxOutput", 118.5}, {"maxGain", 40}, {"channels", 4}}},
             {"intParameters", intParameters},
             {"extParameters", nlohmann::json::array({{{"name", "Mute On Start"}, {"paramId", 1}}})}});
    }
    const nlohmann::json file = {{"name", lib.name},
                                 {"caption", lib.caption},
                                 {"library",
                                  {{"name", lib.name + " Library"},
                                   {"version", "1.0"},
                                   {"manufacturerId", lib.manufacturerId},
                                   {"libraryId", lib.libraryId},
                                   {"products", products}}}};
    return file.dump(1);
}

struct Row {
    std::vector<double> ms, createdMs;
    std::vector<long> peakKb;
    bool add(const std::optional<Run>& r) {
        if (!r)
            return false;
        ms.push_back(r->ms);
        createdMs.push_back(r->createdMs);
        peakKb.push_back(r->peakKb);
        return true;
    }
};

} // namespace

int main(int argc, char** argv) {
    QCoreApplication app(argc, argv);

    // Children find only the registrations meant for them: none at all for the demo run (so the
    // build's registration beside the tool serves the demo catalogue), the generated one otherwise.
    simtest::TempFolder noRegistration;
    QProcessEnvironment demoEnv = QProcessEnvironment::systemEnvironment();
    demoEnv.insert(QStringLiteral("XDG_DATA_HOME"), QString::fromStdString(noRegistration.path()));
    demoEnv.insert(QStringLiteral("XDG_DATA_DIRS"), QString::fromStdString(noRegistration.path()));

    simtest::TempFolder generated;
    for (const startup::GeneratedLibrary& lib : startup::generatedLibraries(kLibraries))
        generated.write("libraries/" + lib.file, libraryFile(lib));
    generated.write("home/vkcom/classes/" + vk::toString(talvo::CLSID_Core2) + ".reg",
                    "InprocServer=" + std::string(TALVOSIM_MODULE_PATH) +
                        "\nLibraryFolder=" + generated.path() + "/libraries\n");
    QProcessEnvironment generatedEnv = demoEnv;
    generatedEnv.insert(QStringLiteral("XDG_DATA_HOME"), QString::fromStdString(generated.path() + "/home"));

    const QString probe = QStringLiteral(VESKOR_STARTUP_PROBE);
    const QString floorProgram = QStringLiteral(VESKOR_STARTUP_FLOOR);
    const int demoLibraries = int(
        QDir(QStringLiteral(VESKOR_DEMO_FOLDER)).entryList({QStringLiteral("*.json")}, QDir::Files).size());

    // One start of each first: the files' first reading from disk is no part of any figure.
    if (!launch(probe, demoEnv) || !launch(probe, generatedEnv) || !launch(floorProgram, demoEnv))
        return 1;
    Row demo, large, floor;
    for (int run = 0; run < kRuns; ++run) {
        // Interleaved, so a busy spell of the machine touches all three alike.
        if (!demo.add(launch(probe, demoEnv)) || !large.add(launch(probe, generatedEnv)) ||
            !floor.add(launch(floorProgram, demoEnv)))
            return 1;
    }

    const double floorMs = median(floor.ms);
    std::printf("BENCH\tstart-up, demo catalogue\t%d\t%.3f\t%.3f\t%ld\n", demoLibraries, median(demo.ms),
                floorMs, median(demo.peakKb));
    std::printf("BENCH\tstart-up, generated catalogue\t%d\t%.3f\t%.3f\t%ld\n", kLibraries, median(large.ms),
                floorMs, median(large.peakKb));
    std::fflush(stdout);
    // Where the time goes: up to the show request the process loads, the platform reads its
    // catalogue, the scan runs and the first library and product are selected; after it, the show
    // handler's opening slide with its pauses.
    for (auto [name, row] : {std::pair{"demo catalogue", &demo}, std::pair{"generated catalogue", &large}})
        std::fprintf(stderr,
                     "start-up, %s: %.0f ms to the show request, %.0f ms more to the first painting\n", name,
                     median(row->createdMs), median(row->ms) - median(row->createdMs));
    std::fprintf(stderr, "start-up: floor %.0f ms, peak %ld kB\n", floorMs, median(floor.peakKb));
    std::fprintf(stderr,
                 "start-up: ratio to floor %.2f (demo), %.2f (%d libraries); from the demo to %d libraries "
                 "%.2fx the time and %+ld kB of peak memory\n",
                 median(demo.ms) / floorMs, median(large.ms) / floorMs, kLibraries, kLibraries,
                 median(large.ms) / median(demo.ms), median(large.peakKb) - median(demo.peakKb));
    return 0;
}
