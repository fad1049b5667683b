// Product selection for products of many parameters, against a floor measured in the same run: the
// same platform calls in a bare loop, plus setting the same final texts and rows into the same widgets
// once.
#include "platform/Call.h"
#include "product/ParamTable.h"
#include "product/ParamTableModel.h"
#include "product/Pidx.h"
#include "product/ProductView.h"
#include "simulator/SimPlatform.h"
#include "tests/support/ProductViewControls.h"
#include "tests/support/SimFixtures.h"

#include <QApplication>
#include <QElapsedTimer>
#include <QHBoxLayout>
#include <QLabel>
#include <QLineEdit>
#include <QPlainTextEdit>
#include <QTableView>
#include <QTextCursor>

#include <algorithm>
#include <cstdio>
#include <memory>
#include <string>
#include <vector>

namespace {

std::vector<sim::ParameterSpec> parameters(int n, const char* prefix) {
    std::vector<sim::ParameterSpec> out;
    out.reserve(static_cast<size_t>(n));
    for (int i = 0; i < n; ++i)
        out.push_back(
            {vk::fromUtf8(std::string(prefix) + " parameter number " + std::to_string(i)), i, std::nullopt});
    return out;
}

std::shared_ptr<sim::Platform> platformWith(int n) {
    sim::ProductSpec p;
    p.name = u"Bench";
    p.platform = u"GC5055";
    p.hybridId = 3;
    p.sampleRateCode = 1;
    p.limits = sim::LimitsSpec{110.5, 40.0, 2};
    p.intParameters = parameters(n, "Internal");
    p.extParameters = parameters(n, "External");
    std::vector<sim::ProductSpec> products;
    products.push_back(std::move(p));
    return sim::Platform::create(
        simtest::oneLibraryCatalog({u"Bench", u"Bench", u"Bench", u"1.0"}, std::move(products)));
}

// Every platform call a selection makes, with nothing done with the results.
void bareCalls(const vk::ComPtr<talvo::ILibrary>& lib) {
    vk::VariantHolder zero = vk::VariantHolder::fromInt(0);
    auto products = vk::call(lib, &talvo::ILibrary::Products);
    auto prod = vk::call(products, &talvo::IProducts::Item, zero.get());
    (void)vk::call(lib, &talvo::ILibrary::Version);
    auto platform = vk::call(prod, &talvo::IProduct::Platform);
    (void)vk::call(platform, &talvo::IPlatform::Name);
    auto hybrid = prod.query<talvo::IHybridInfo>();
    (void)vk::callUnchecked(hybrid, &talvo::IHybridInfo::HybridID);
    (void)vk::callUnchecked(hybrid, &talvo::IHybridInfo::SampleRateCode);
    auto limits = prod.query<talvo::IProductLimits>();
    (void)vk::call(limits, &talvo::IProductLimits::MaxGain);
    (void)vk::call(limits, &talvo::IProductLimits::MaxOutput);
    for (auto op : {&talvo::IProduct::IntParameters, &talvo::IProduct::ExtParameters}) {
        auto params = vk::call(prod, op);
        const int32_t count = vk::call(params, &talvo::IParameters::Count);
        for (int32_t i = 0; i < count; ++i) {
            vk::VariantHolder index = vk::VariantHolder::fromInt(i);
            auto p = vk::call(params, &talvo::IParameters::Item, index.get());
            auto info = p.query<talvo::IParameterInfo>();
            (void)vk::call(info, &talvo::IParameterInfo::Name);
            if (op == &talvo::IProduct::IntParameters)
                (void)vk::call(info, &talvo::IParameterInfo::ParamID);
        }
    }
}

double median(std::vector<double> v) {
    std::sort(v.begin(), v.end());
    return v[v.size() / 2];
}

} // namespace

int main(int argc, char** argv) {
    QApplication app(argc, argv);
    QWidget window;
    auto* layout = new QHBoxLayout(&window);
    product::ProductView view;
    simtest::makeProductControls(view, window);
    product::ParamTable table;
    product::ParamTableModel model(&table);
    auto* grid = new QTableView(&window);
    grid->setModel(&model);
    for (QWidget* w : {static_cast<QWidget*>(view.lstParameters), static_cast<QWidget*>(grid),
                       static_cast<QWidget*>(view.memo2)})
        layout->addWidget(w);
    window.resize(1000, 600);
    window.show();
    QCoreApplication::processEvents();

    for (int n : {128, 1024, 8192}) {
        auto platform = platformWith(n);
        vk::ComPtr<talvo::ILibrary> lib = simtest::firstLibrary(*platform);
        vk::ComPtr<talvo::IProduct> prod;
        product::PidxTable pidx;
        const int reps = n <= 128 ? 41 : n <= 1024 ? 15 : 7;

        // The final content, taken once from a selection, for the floor to set.
        if (product::selectProduct(0, lib, prod, view))
            product::fillParameters(lib, prod, table, pidx, view);
        QCoreApplication::processEvents();
        const QString text = view.lstParameters->toPlainText();
        const QString memo = view.memo2->toPlainText();
        std::vector<product::ParamTable::Row> rows;
        for (int i = 0; i < table.rowCount(); ++i)
            rows.push_back(table.row(i));
        const QStringList labels{view.lbl_ProdID->text(), view.tVersion->text(),  view.tHybrid->text(),
                                 view.lbl_Hybrid->text(), view.tSampFreq->text(), view.tMaxGain->text(),
                                 view.tMaxOutput->text()};

        std::vector<double> tool, floor;
        for (int r = 0; r < reps; ++r) {
            platform->clearCalls();
            QElapsedTimer t;
            t.start();
            if (product::selectProduct(0, lib, prod, view))
                product::fillParameters(lib, prod, table, pidx, view);
            QCoreApplication::processEvents();
            tool.push_back(static_cast<double>(t.nsecsElapsed()) / 1e6);

            platform->clearCalls();
            auto copy = rows;
            t.restart();
            bareCalls(lib);
            view.lbl_ProdID->setText(labels[0]);
            view.tVersion->setText(labels[1]);
            view.tHybrid->setText(labels[2]);
            view.lbl_Hybrid->setText(labels[3]);
            view.tSampFreq->setText(labels[4]);
            view.tMaxGain->setText(labels[5]);
            view.tMaxOutput->setText(labels[6]);
            view.lstParameters->setPlainText(text);
            table.emptyDataSet();
            table.appendRows(std::move(copy));
            table.first();
            view.memo2->setPlainText(memo);
            QCoreApplication::processEvents();
            floor.push_back(static_cast<double>(t.nsecsElapsed()) / 1e6);
        }
        std::printf("BENCH\tproduct selection\t%d\t%.3f\t%.3f\n", n, median(tool), median(floor));
        std::fflush(stdout);
    }
    return 0;
}
