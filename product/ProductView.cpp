#include "ProductView.h"

#include "NumberFormat.h"
#include "platform/Call.h"
#include "ui/WideText.h"

#include <QLabel>
#include <QLineEdit>
#include <QPlainTextEdit>
#include <QTextCursor>

#include <algorithm>
#include <exception>

namespace product {

namespace {

// The platform's automation index for a position.
vk::VariantHolder position(int32_t n) {
    return vk::VariantHolder::fromInt(n);
}

vk::ComPtr<talvo::IParameterInfo> parameterInfo(const vk::ComPtr<talvo::IParameters>& params, int32_t n) {
    vk::VariantHolder index = position(n);
    vk::ComPtr<talvo::IParameter> p = vk::call(params, &talvo::IParameters::Item, index.get());
    return p.query<talvo::IParameterInfo>();
}

// 32-bit arithmetic as the platform means it; a nonsense code wraps instead of being undefined.
int32_t frequencyOf(int32_t code) {
    return static_cast<int32_t>(static_cast<uint32_t>(code) * 16u + 16u);
}

QString chipText5020(int32_t hybrid) {
    switch (hybrid) {
    case 1:
        return QStringLiteral("Foundation GA3216");
    case 2:
        return QStringLiteral("Consolidator GA3227");
    }
    return {};
}

QString chipText5055(int32_t hybrid) {
    switch (hybrid) {
    case 2:
        return QStringLiteral("Venture GA3217");
    case 3:
        return QStringLiteral("Venture GA3218");
    case 4:
        return QStringLiteral("Venture GA3219");
    case 31:
        return QStringLiteral("GA3226");
    case 32:
        return QStringLiteral("Inspiria GA3284");
    case 33:
        return QStringLiteral("Inspiria Ultimate GA3285");
    case 35:
        return QStringLiteral("Inspiria Extreme SA3286");
    }
    return {};
}

QString chipText5005(int32_t hybrid) {
    switch (hybrid) {
    case 4:
        return QStringLiteral("Rhythm (");
    case 6:
        return QStringLiteral("Rhythm Ultimate SB3230(");
    case 8:
        return QStringLiteral("Rhythm Ultimate SB3231(");
    }
    return {};
}

void setTextAtStart(QPlainTextEdit* box, const QString& text) {
    box->setPlainText(text);
    box->moveCursor(QTextCursor::Start);
}

} // namespace

bool selectProduct(int pos, const vk::ComPtr<talvo::ILibrary>& library, vk::ComPtr<talvo::IProduct>& product,
                   const ProductView& view) {
    if (pos < 0)
        return false;
    // Possible after a library failed to open: say so rather than ask a missing library.
    if (!library)
        throw vk::ComError(vk::E_POINTER_, "No product library is open");
    vk::ComPtr<talvo::IProducts> products = vk::call(library, &talvo::ILibrary::Products);
    vk::VariantHolder index = position(pos);
    product = vk::call(products, &talvo::IProducts::Item, index.get());
    view.lbl_ProdID->setText(QStringLiteral("ProductID: ") + formatInt(pos));
    return true;
}

void fillParameters(const vk::ComPtr<talvo::ILibrary>& library, const vk::ComPtr<talvo::IProduct>& product,
                    ParamTable& table, PidxTable& pidx, const ProductView& view) {
    view.lstParameters->clear();
    table.emptyDataSet();
    identifyPlatform(library, product, view);

    // The text and the rows are gathered and handed over in one step each; a failure hands over
    // what was gathered before it, so the view shows exactly the parameters read.
    QString text;
    std::vector<ParamTable::Row> rows;
    auto flush = [&] {
        view.lstParameters->setPlainText(text);
        table.appendRows(std::move(rows));
        rows.clear();
    };
    try {
        vk::ComPtr<talvo::IParameters> ints = vk::call(product, &talvo::IProduct::IntParameters);
        const int32_t count = vk::call(ints, &talvo::IParameters::Count);
        // The count is the platform's word: room is made ahead for a sane number of parameters
        // only, so a hostile count costs nothing until its parameters actually arrive.
        constexpr int32_t kReserveAtMost = 65536;
        if (count > 0) {
            const int32_t ahead = std::min(count, kReserveAtMost);
            rows.reserve(static_cast<size_t>(ahead));
            text.reserve(static_cast<qsizetype>(ahead) * 32);
        }
        for (int32_t n = 0; n < count; ++n) {
            vk::ComPtr<talvo::IParameterInfo> info = parameterInfo(ints, n);
            const QString name = vk::text::fromWide(vk::call(info, &talvo::IParameterInfo::Name));
            const int32_t id = vk::call(info, &talvo::IParameterInfo::ParamID);
            if (n > 0)
                text += QLatin1Char('\n');
            text += formatInt(n) + QStringLiteral(", ") + name + QStringLiteral(", ") + formatInt(id);
            rows.push_back({n, name, id});
            pidx.set(id, n); // identifiers outside 0..1024 have no cell
        }
    } catch (...) {
        flush();
        throw;
    }
    flush();
    view.lstParameters->moveCursor(QTextCursor::Start);
    table.first();

    QString ext;
    try {
        vk::ComPtr<talvo::IParameters> exts = vk::call(product, &talvo::IProduct::ExtParameters);
        const int32_t count = vk::call(exts, &talvo::IParameters::Count);
        for (int32_t n = 0; n < count; ++n) {
            vk::ComPtr<talvo::IParameterInfo> info = parameterInfo(exts, n);
            const QString name = vk::text::fromWide(vk::call(info, &talvo::IParameterInfo::Name));
            if (n > 0)
                ext += QLatin1Char('\n');
            ext += formatInt(n) + QLatin1Char(',') + name;
        }
    } catch (...) {
        setTextAtStart(view.memo2, ext);
        throw;
    }
    setTextAtStart(view.memo2, ext.isEmpty() ? QStringLiteral("None Found.") : ext);
}

void identifyPlatform(const vk::ComPtr<talvo::ILibrary>& library, const vk::ComPtr<talvo::IProduct>& product,
                      const ProductView& view) {
    view.tVersion->setText(QStringLiteral("V: ") +
                           vk::text::fromWide(vk::call(library, &talvo::ILibrary::Version)));
    vk::ComPtr<talvo::IPlatform> platform = vk::call(product, &talvo::IProduct::Platform);
    const QString name = vk::text::fromWide(vk::call(platform, &talvo::IPlatform::Name));

    int32_t hybrid = 0;
    int32_t frequency = 0;
    QString chip;
    // Exact, case-sensitive names; the first matching row decides.
    if (name == u"GC5020") {
        chip = QStringLiteral("GC5020 Based");
        try {
            auto info = product.query<talvo::IHybridInfo5020>();
            hybrid = vk::callUnchecked(info, &talvo::IHybridInfo5020::HybridID);
            if (QString t = chipText5020(hybrid); !t.isEmpty())
                chip = t;
        } catch (const std::exception&) {
            // A product of the family without hybrid information keeps the family's text.
        }
    } else if (name == u"GC5055") {
        chip = QStringLiteral("GC5055 Based");
        try {
            auto info = product.query<talvo::IHybridInfo>();
            hybrid = vk::callUnchecked(info, &talvo::IHybridInfo::HybridID);
            frequency = frequencyOf(vk::callUnchecked(info, &talvo::IHybridInfo::SampleRateCode));
            if (QString t = chipText5055(hybrid); !t.isEmpty())
                chip = t;
        } catch (const std::exception&) {
        }
    } else if (name == u"GC5052") {
        chip = QStringLiteral("Duet GA3212");
    } else if (name == u"GC5050") {
        chip = QStringLiteral("Paragon");
    } else if (name == u"GC5005") {
        // Not guarded: a product of this family must answer both interfaces.
        chip = QStringLiteral("GC5005 Based");
        auto info = product.query<talvo::IHybridInfo>();
        auto limits = product.query<talvo::IProductLimits>();
        hybrid = vk::callUnchecked(info, &talvo::IHybridInfo::HybridID);
        // These products run at a rate too; it is coded as in the GC5055 family.
        frequency = frequencyOf(vk::callUnchecked(info, &talvo::IHybridInfo::SampleRateCode));
        if (QString t = chipText5005(hybrid); !t.isEmpty()) {
            const int32_t channels = vk::call(limits, &talvo::IProductLimits::Channels);
            chip = t + formatInt(channels) + QStringLiteral("ch)");
        }
    } else {
        chip = name + QStringLiteral(" Based");
    }

    if (hybrid != 0)
        view.lbl_Hybrid->setText(QStringLiteral("HYBRID:  (ID:") + formatInt(hybrid) + QLatin1Char(')'));
    view.tHybrid->setText(chip);
    view.tSampFreq->setText(frequency != 0 ? formatInt(frequency) + QStringLiteral(" kHz") : QString());

    QString gain = QStringLiteral("Unknown");
    QString output = gain;
    try {
        auto limits = product.query<talvo::IProductLimits>();
        const double g = vk::call(limits, &talvo::IProductLimits::MaxGain);
        const double o = vk::call(limits, &talvo::IProductLimits::MaxOutput);
        gain = formatReal(g);
        output = formatReal(o);
    } catch (const std::exception&) {
        // Limits a product does not give read "Unknown", both of them.
    }
    view.tMaxGain->setText(gain);
    view.tMaxOutput->setText(output);
}

} // namespace product
