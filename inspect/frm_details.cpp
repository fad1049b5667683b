#include "frm_details.h"

#include "EffectLabel.h"
#include "EntryListModel.h"
#include "platform/Call.h"
#include "product/NumberFormat.h"
#include "product/ParamTable.h"
#include "product/Pidx.h"
#include "ui/Dialogs.h"
#include "ui/Fonts.h"
#include "ui/WideText.h"

#include <QApplication>
#include <QClipboard>
#include <QCoreApplication>
#include <QLineEdit>
#include <QListView>
#include <QScreen>
#include <QStyledItemDelegate>
#include <QVarLengthArray>

#include <exception>

namespace inspect {

TSelectedParameter SelectedParameter;
Tfrm_details_* frm_details_ = nullptr;

namespace {

QList<Tfrm_details_*>& windows() {
    static QList<Tfrm_details_*> list;
    return list;
}

void registerWindow(Tfrm_details_* w) {
    static bool routineAdded = false;
    if (!routineAdded) {
        // A program that ends without freeDetailsWindows() still frees them while the widget
        // machinery is up (the program entry frees them earlier, before the apartment ends).
        qAddPostRoutine(freeDetailsWindows);
        routineAdded = true;
    }
    windows().append(w);
}

QString num(int64_t v) {
    return QString::number(v);
}

// The list box's items are 13 pixels high whatever their font says.
class FixedHeightItems final : public QStyledItemDelegate {
public:
    using QStyledItemDelegate::QStyledItemDelegate;
    QSize sizeHint(const QStyleOptionViewItem& option, const QModelIndex& index) const override {
        return {QStyledItemDelegate::sizeHint(option, index).width(), 13};
    }
};

// Distances to the client area's right and bottom edges at design size.
constexpr int kMapRightGap = Tfrm_details_::kClientWidth - (168 + 169);
constexpr int kListRightGap = Tfrm_details_::kClientWidth - (168 + 169);
constexpr int kListBottomGap = Tfrm_details_::kClientHeight - (32 + 401);

} // namespace

const QList<Tfrm_details_*>& Tfrm_details_::all() {
    return windows();
}

void freeDetailsWindows() {
    const QList<Tfrm_details_*> all = windows();
    for (Tfrm_details_* w : all)
        delete w;
    frm_details_ = nullptr;
    SelectedParameter = TSelectedParameter{};
}

Tfrm_details_::Tfrm_details_(QWidget* centreOver)
    : QWidget(nullptr, Qt::Window | Qt::WindowTitleHint | Qt::WindowCloseButtonHint |
                           Qt::CustomizeWindowHint | Qt::WindowStaysOnTopHint) {
    setObjectName(QStringLiteral("frm_details_"));
    setWindowTitle(QStringLiteral("Parameter Details..."));
    setFont(vk::fonts::form());
    setBackgroundRole(QPalette::Button);
    setAutoFillBackground(true);
    resize(kClientWidth, kClientHeight);

    lbl_map = new EffectLabel(this);
    lbl_map->setObjectName(QStringLiteral("lbl_map"));
    lbl_map->setAlignment(Qt::AlignHCenter);
    lbl_map->setGeometry(168, 8, 169, 25);
    lbl_map->setText(QStringLiteral("Mapname_"));

    lbl_details = new EffectLabel(this);
    lbl_details->setObjectName(QStringLiteral("lbl_details"));
    lbl_details->setAlignment(Qt::AlignLeft);
    lbl_details->move(8, 6);
    // Long texts wrap before the list instead of running under it.
    lbl_details->setWrapWidth(168 - 8 - 4);
    lbl_details->setAutoSize(true);
    lbl_details->setText(QStringLiteral("lbl_details"));

    ListBox1 = new QListView(this);
    ListBox1->setObjectName(QStringLiteral("ListBox1"));
    m_entries = new EntryListModel(ListBox1);
    ListBox1->setModel(m_entries);
    ListBox1->setEditTriggers(QAbstractItemView::NoEditTriggers);
    ListBox1->setUniformItemSizes(true);
    ListBox1->setItemDelegate(new FixedHeightItems(ListBox1));
    ListBox1->setGeometry(168, 32, 169, 401);

    connect(lbl_map, &EffectLabel::doubleClicked, this, &Tfrm_details_::lbl_mapDblClick);
    connect(lbl_details, &EffectLabel::clicked, this, &Tfrm_details_::lbl_detailsClick);

    if (centreOver) {
        const QRect over = centreOver->frameGeometry();
        move(over.center() - QPoint(kClientWidth / 2, kClientHeight / 2));
    } else if (const QScreen* screen = QGuiApplication::primaryScreen()) {
        move(screen->availableGeometry().center() - QPoint(kClientWidth / 2, kClientHeight / 2));
    }

    registerWindow(this);
    try {
        FormCreate();
    } catch (...) {
        dialogs::showException(std::current_exception());
    }
}

Tfrm_details_::~Tfrm_details_() {
    windows().removeOne(this);
    if (frm_details_ == this)
        frm_details_ = nullptr;
}

void Tfrm_details_::resizeEvent(QResizeEvent* event) {
    QWidget::resizeEvent(event);
    const int w = width();
    const int h = height();
    lbl_map->setGeometry(168, 8, qMax(0, w - 168 - kMapRightGap), 25);
    ListBox1->setGeometry(168, 32, qMax(0, w - 168 - kListRightGap), qMax(0, h - 32 - kListBottomGap));
}

void Tfrm_details_::FormCreate() {
    using talvo::IParameterDetail;
    const TSelectedParameter& sp = SelectedParameter;
    const auto& d = sp.Detail;

    lbl_map->setText(QStringLiteral("Map : ") + sp.MapName);

    // The platform is asked afresh at every use, as its values are not ours to cache.
    auto kind = [&] { return vk::call(d, &IParameterDetail::Kind); };
    auto minV = [&] { return num(vk::call(d, &IParameterDetail::Min)); };
    auto maxV = [&] { return num(vk::call(d, &IParameterDetail::Max)); };
    auto defV = [&] { return num(vk::call(d, &IParameterDetail::Default)); };
    const QString decimalPoint = QLocale().decimalPoint(); // the user's settings, read once per window
    auto toReal = [&](int32_t raw) {
        auto scale = vk::call(d, &IParameterDetail::Scale);
        return vk::call(scale, &talvo::IValueScale::ToReal, raw);
    };
    auto real = [&](int32_t raw) {
        QString out;
        product::appendReal(out, toReal(raw), decimalPoint);
        return out;
    };
    // Value texts are read into the runtime's string and looked at there: a long text list is
    // read twice per entry, and copying each text twice more cost as much as the reads.
    auto wideText = [&](int32_t raw) {
        auto texts = vk::call(d, &IParameterDetail::Texts);
        vk::UniqueBstr out;
        if (!texts)
            vk::throwComError(vk::E_POINTER_);
        vk::check(texts->Text(raw, out.put()));
        return out;
    };
    auto view = [](const vk::UniqueBstr& t) {
        const std::u16string_view v = t.view();
        return QStringView(v.data(), qsizetype(v.size()));
    };
    auto text = [&](int32_t raw) { return view(wideText(raw)).toString(); };

    QString D = sp.ParameterName + QStringLiteral(" Parameter Details") + u'\n' + u'\r';
    QString typeText;
    switch (kind()) {
    case 0:
        typeText = QStringLiteral("fSingle Bit");
        break;
    case 1:
        typeText = QStringLiteral("fList");
        break;
    case 2:
        typeText = QStringLiteral("fData");
        break;
    case 3:
        typeText = QStringLiteral("fTextList");
        break;
    case 4:
        typeText = QStringLiteral("fDiscrete");
        break;
    default:
        break;
    }
    const QString crlf = QStringLiteral("\r\n");
    D += crlf + QStringLiteral("ParamID = ") + num(sp.ParamID);
    D += crlf + QStringLiteral("Type = ") + typeText;
    const QString U = vk::text::fromWide(vk::call(d, &IParameterDetail::Units));

    // Entries are gathered out of sight and shown in one go; a failure midway still shows the ones
    // gathered before it.
    EntryListModel& entries = *m_entries;
    entries.append(u"Valid Values...");
    struct Flush {
        EntryListModel& entries;
        ~Flush() { entries.publish(); }
    } flush{entries};

    // Walks the raw values from Min to Max (each asked once) with a 64-bit counter, so a range
    // reaching the largest value ends; a range too long to list ends with a count of the rest.
    // An entry's start ("v: ") and number are written into one small buffer kept for all entries,
    // and the entry goes to the list in pieces: nothing is allocated per entry.
    QVarLengthArray<char16_t, 64> head(product::kIntChars + 2 + product::kRealChars + decimalPoint.size() +
                                       1);
    auto forEachValue = [&](auto&& add) {
        const int64_t n = vk::call(d, &IParameterDetail::Min);
        const int64_t x = vk::call(d, &IParameterDetail::Max);
        int64_t listed = 0;
        for (int64_t v = n; v <= x; ++v) {
            char16_t* p = head.data();
            if (listed == kMaxValueEntries) {
                *p++ = u'(';
                p = product::writeInt(p, x - v + 1);
                entries.append({QStringView(head.data(), p), u" more values not listed)"});
                return;
            }
            p = product::writeInt(p, v);
            *p++ = u':';
            *p++ = u' ';
            add(static_cast<int32_t>(v), p);
            ++listed;
        }
    };

    if (kind() == 0) {
        entries.append(u"0: Off");
        entries.append(u"1: On");
    } else if (kind() == 1) {
        D += crlf + QStringLiteral("MIN = ") + minV();
        D += QStringLiteral(" (") + real(vk::call(d, &IParameterDetail::Min)) + u' ' + U + u')';
        D += crlf + QStringLiteral("MAX = ") + maxV();
        D += QStringLiteral(" (") + real(vk::call(d, &IParameterDetail::Max)) + u' ' + U + u')';
        D += crlf + QStringLiteral("Default Value = ") + defV();
        D += QStringLiteral(" (") + real(vk::call(d, &IParameterDetail::Default)) + u' ' + U + u')';
        forEachValue([&](int32_t v, char16_t* p) {
            p = product::writeReal(p, toReal(v), decimalPoint);
            *p++ = u' ';
            entries.append({QStringView(head.data(), p), U});
        });
    } else if (kind() == 2) {
        D += crlf + QStringLiteral("MIN = ") + minV() + U;
        D += crlf + QStringLiteral("MAX = ") + maxV() + U;
        D += crlf + QStringLiteral("Default Value = ") + defV() + u' ' + U;
        entries.append(u"No List for this Parameter Type (fData)");
    } else if (kind() == 3 || kind() == 4) {
        D += crlf + QStringLiteral("MIN = ") + minV();
        D += QStringLiteral(" (") + text(vk::call(d, &IParameterDetail::Min)) + U + u')';
        D += crlf + QStringLiteral("MAX = ") + maxV();
        D += QStringLiteral(" (") + text(vk::call(d, &IParameterDetail::Max)) + u' ' + U + u')';
        D += crlf + QStringLiteral("Default Value = ") + defV();
        D += QStringLiteral(" (") + text(vk::call(d, &IParameterDetail::Default)) + U + u')';
        forEachValue([&](int32_t v, const char16_t* p) {
            const QStringView start(head.data(), p);
            const bool off = view(wideText(v)) == u"Off";
            const vk::UniqueBstr t = wideText(v);
            if (off)
                entries.append({start, view(t)});
            else
                entries.append({start, view(t), u" ", U});
        });
    }

    lbl_details->setText(D);
}

void Tfrm_details_::lbl_mapDblClick() {
    QGuiApplication::clipboard()->setText(SelectedParameter.MapName);
}

void Tfrm_details_::lbl_detailsClick() {
    dialogs::guarded([] {
        const int32_t def = vk::call(SelectedParameter.Detail, &talvo::IParameterDetail::Default);
        QGuiApplication::clipboard()->setText(num(def));
    });
}

void DBGrid1DblClick(const vk::ComPtr<talvo::IProduct>& currentProduct, const product::ParamTable& table,
                     const product::PidxTable& pidx, const QLineEdit* libraryName, QWidget* mainWindow) {
    // Without a product or a row there is nothing to hand over and nothing to ask.
    if (!currentProduct || table.recNo() < 0)
        return;
    QCoreApplication::processEvents();

    SelectedParameter.MapName = vk::text::fromWide(vk::call(currentProduct, &talvo::IProduct::MapName));
    const product::ParamTable::Row& row = table.current();
    SelectedParameter.ParameterName = row.ParamName;
    SelectedParameter.ParamID = row.IntParamId;
    const int32_t key = row.IntParamId;

    try {
        // A ParamID outside the index, or one this product left empty, has no position to look up.
        const vk::VariantHolder* cell = pidx.cell(key);
        if (!cell || cell->isEmpty())
            throw std::out_of_range("no index position");
        vk::VariantHolder index = *cell;
        auto params = vk::call(currentProduct, &talvo::IProduct::IntParameters);
        auto parameter = vk::call(params, &talvo::IParameters::Item, index.get());
        SelectedParameter.Detail = parameter.query<talvo::IParameterDetail>();
    } catch (const std::exception&) {
        dialogs::showMessage(QStringLiteral("Insufficient Data in Product Library"));
        return;
    }

    auto* window = new Tfrm_details_(mainWindow);
    window->setWindowTitle(libraryName ? libraryName->text() : QString());
    window->show();
    frm_details_ = window;
    QCoreApplication::processEvents();
}

} // namespace inspect
