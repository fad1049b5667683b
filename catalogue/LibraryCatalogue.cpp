#include "LibraryCatalogue.h"

#include "platform/Call.h"
#include "ui/Dialogs.h"
#include "ui/WideText.h"

#include <QCollator>
#include <QComboBox>
#include <QCoreApplication>
#include <QLabel>
#include <QLineEdit>
#include <QLocale>
#include <QProgressBar>
#include <QSignalBlocker>

#include <QList>
#include <algorithm>
#include <cstdint>
#include <map>
#include <optional>
#include <string>
#include <utility>
#include <vector>

using talvo::ICatalog;
using talvo::ICatalogEntry;
using talvo::ILibrary;
using talvo::IProduct;
using talvo::IProducts;

namespace catalogue {

namespace {

// ---------------------------------------------------------------------------------------------
// Sorted insertion. Collating two item texts costs far more than comparing two sort keys, and a
// catalogue can hold thousands of libraries, so the sort keys of a list's items are kept beside
// the list. Any change made to the list by other means marks the keys stale; they are then
// rebuilt once from the items.
//
// The C locale's sort keys ignore the case setting of the collator, so there the keys are the
// case-folded texts, compared by code point as the C collation compares.
//
// On Windows Qt keeps the system's sort key, a byte string, in a QString and compares it as UTF-16
// text, which puts "(1/0=2) Cap A" after "Cap C" and "a" apart from "A". There the "key" is the text
// itself, collated pair by pair with the system's comparison.

#ifdef Q_OS_WIN
struct PairwiseKey {
    QString text;
    const QCollator* collator;
    int compare(const PairwiseKey& other) const { return collator->compare(text, other.text); }
};
#endif

class SortIndex : public QObject {
    Q_OBJECT
public:
    explicit SortIndex(QComboBox* list) : QObject(list), m_list(list) {}

    void insert(const QString& item) {
        if (m_model != m_list->model())
            watch(m_list->model());
        if (m_stale || !m_collator || m_collator->locale() != QLocale())
            rebuild();
        if (m_plain)
            insertWith(m_plainKeys, item.toCaseFolded(), item);
        else
            insertWith(m_keys, collatedKey(item), item);
    }

    // The same for many items at once: equal to inserting them one by one, in their order. Into an
    // empty list that is one fill instead of one insertion into the middle of it per item.
    void insertAll(const QStringList& items) {
        if (m_model != m_list->model())
            watch(m_list->model());
        if (m_stale || !m_collator || m_collator->locale() != QLocale())
            rebuild();
        if (m_list->count() > 0) {
            for (const QString& item : items)
                insert(item);
            return;
        }
        if (m_plain)
            fillWith(m_plainKeys, items, [](const QString& s) { return s.toCaseFolded(); });
        else
            fillWith(m_keys, items, [this](const QString& s) { return collatedKey(s); });
    }

private:
#ifdef Q_OS_WIN
    using CollatedKey = PairwiseKey;
    CollatedKey collatedKey(const QString& text) const {
        return {text, &*m_collator};
    }
#else
    using CollatedKey = QCollatorSortKey;
    CollatedKey collatedKey(const QString& text) const {
        return m_collator->sortKey(text);
    }
#endif

    template <class Keys, class MakeKey>
    void fillWith(Keys& keys, const QStringList& items, MakeKey makeKey) {
        std::vector<std::pair<typename Keys::value_type, QString>> sorted;
        sorted.reserve(size_t(items.size()));
        for (const QString& item : items)
            sorted.emplace_back(makeKey(item), item);
        // Stable: equal texts keep the order they came in, as after one-by-one insertion.
        std::stable_sort(sorted.begin(), sorted.end(),
                         [](const auto& a, const auto& b) { return a.first.compare(b.first) < 0; });
        QStringList texts;
        texts.reserve(items.size());
        keys.clear();
        keys.reserve(items.size());
        for (auto& [key, text] : sorted) {
            texts.append(text);
            keys.append(std::move(key));
        }
        m_inserting = true;
        m_list->addItems(texts);
        m_inserting = false;
        if (m_list->count() != texts.size())
            m_stale = true;
    }

    // Keys are held in QLists, which move their (relocatable) elements as a block on insertion.
    template <class Keys, class Key> void insertWith(Keys& keys, Key key, const QString& item) {
        // After every equal key, so equal texts keep the order they came in.
        const auto at = std::upper_bound(keys.cbegin(), keys.cend(), key,
                                         [](const Key& a, const Key& b) { return a.compare(b) < 0; });
        const int row = static_cast<int>(at - keys.cbegin());
        m_inserting = true;
        m_list->insertItem(row, item);
        m_inserting = false;
        if (m_list->count() != keys.size() + 1) {
            m_stale = true; // the list refused the item or changed on its own
            return;
        }
        keys.insert(row, std::move(key));
    }

    void watch(QAbstractItemModel* model) {
        if (m_model)
            disconnect(m_model, nullptr, this, nullptr);
        m_model = model;
        m_stale = true;
        if (!model)
            return;
        const auto stale = [this] {
            if (!m_inserting)
                m_stale = true;
        };
        connect(model, &QAbstractItemModel::rowsInserted, this, stale);
        connect(model, &QAbstractItemModel::rowsRemoved, this, stale);
        connect(model, &QAbstractItemModel::rowsMoved, this, stale);
        connect(model, &QAbstractItemModel::modelReset, this, stale);
        connect(model, &QAbstractItemModel::layoutChanged, this, stale);
        connect(model, &QAbstractItemModel::dataChanged, this, stale);
        connect(model, &QObject::destroyed, this, [this] {
            m_model = nullptr;
            m_stale = true;
        });
    }

    void rebuild() {
        if (!m_collator || m_collator->locale() != QLocale()) {
            m_collator.emplace(QLocale());
            m_collator->setCaseSensitivity(Qt::CaseInsensitive);
            m_plain = m_collator->locale().language() == QLocale::C;
        }
        m_keys.clear();
        m_plainKeys.clear();
        const int n = m_list->count();
        for (int row = 0; row < n; ++row) {
            const QString text = m_list->itemText(row);
            if (m_plain)
                m_plainKeys.append(text.toCaseFolded());
            else
                m_keys.append(collatedKey(text));
        }
        m_stale = false;
    }

    QComboBox* m_list;
    QAbstractItemModel* m_model = nullptr;
    std::optional<QCollator> m_collator;
    bool m_plain = false;
    QList<CollatedKey> m_keys;
    QList<QString> m_plainKeys;
    bool m_stale = true;
    bool m_inserting = false;
};

SortIndex* sortIndexOf(QComboBox* list) {
    auto* index = list->findChild<SortIndex*>(QString(), Qt::FindDirectChildrenOnly);
    return index ? index : new SortIndex(list);
}

// ---------------------------------------------------------------------------------------------
// Platform reads. The catalogue is asked of the connection afresh for every operation and
// released right after; entries are fetched afresh for every use.

int32_t catalogCount(talvo::TCore2& core) {
    return vk::call(core.Catalog(), &ICatalog::Count);
}

vk::ComPtr<ICatalogEntry> entryAt(talvo::TCore2& core, int32_t position) {
    auto index = vk::VariantHolder::fromInt(position);
    return vk::call(core.Catalog(), &ICatalog::Item, index.get());
}

std::u16string entryName(talvo::TCore2& core, int32_t position) {
    return vk::call(entryAt(core, position), &ICatalogEntry::Name);
}

// The library behind the entry at position, or empty when it cannot be fetched or opened. An opening
// that hands out no object counts as a failed one: such an entry has no identifier pair.
vk::ComPtr<ILibrary> tryOpen(talvo::TCore2& core, int32_t position) {
    try {
        return vk::call(entryAt(core, position), &ICatalogEntry::Library);
    } catch (const std::exception&) {
        return {};
    }
}

using Pair = std::pair<int16_t, int16_t>; // ManufacturerID, LibraryID

Pair pairOf(const vk::ComPtr<ILibrary>& library) {
    const int16_t manufacturer = vk::call(library, &ILibrary::ManufacturerID);
    const int16_t id = vk::call(library, &ILibrary::LibraryID);
    return {manufacturer, id};
}

std::u16string decimal(int64_t value) {
    const std::string digits = std::to_string(value);
    return {digits.begin(), digits.end()};
}

// A catalogue that grows or shrinks during a pass can give values outside the gauge's range; they
// are held at its ends (the bar would ignore them).
void setGauge(const ScanView& view, int value) {
    QProgressBar* gauge = view.ProgressBar1;
    gauge->setValue(std::clamp(value, gauge->minimum(), gauge->maximum()));
    QCoreApplication::processEvents();
}

int32_t productCount(const vk::ComPtr<ILibrary>& library) {
    return vk::call(vk::call(library, &ILibrary::Products), &IProducts::Count);
}

// Overwrites the characters of a text we alone hold, then empties it.
void wipe(QString& text) {
    if (text.isDetached())
        text.fill(QChar(u'\0'));
    text.clear();
}

// Hands the typed password to the library; every copy the tool made of it is cleared, also when
// the call fails.
void unlock(const vk::ComPtr<ILibrary>& library, QString& typed) {
    vk::UniqueBstr password(vk::text::wideView(typed));
    wipe(typed);
    struct Wiper {
        vk::UniqueBstr& bstr;
        ~Wiper() { bstr.wipe(); }
    } wiper{password};
    vk::call(library, &ILibrary::Unlock, password.get());
}

} // namespace

// -------------------------------------------------------------------------------------------------

int gaugeValue(int i, int m) {
    int64_t num = int64_t(i) * 100;
    int64_t den = int64_t(m) - 1;
    if (den == 0)
        return 100;
    if (den < 0) {
        num = -num;
        den = -den;
    }
    int64_t q = num / den;
    int64_t r = num % den;
    if (r < 0) { // floor division
        q -= 1;
        r += den;
    }
    if (2 * r > den || (2 * r == den && (q & 1) != 0))
        q += 1;
    return static_cast<int>(std::clamp<int64_t>(q, INT32_MIN, INT32_MAX));
}

void addSorted(QComboBox* list, const QString& item) {
    sortIndexOf(list)->insert(item);
}

void addSorted(QComboBox* list, const QStringList& items) {
    sortIndexOf(list)->insertAll(items);
}

QString libraryKey(const QString& item) {
    static const QString separator = QStringLiteral(" - ");
    const qsizetype at = item.indexOf(separator);
    QString key = at < 0 ? item : item.mid(at + separator.size());
    constexpr qsizetype kMaxKey = 100;
    if (key.size() > kMaxKey)
        key.truncate(key.at(kMaxKey - 1).isHighSurrogate() ? kMaxKey - 1 : kMaxKey);
    return key;
}

void scanCatalogue(talvo::TCore2& core, const ScanView& view,
                   const std::function<void()>& createParameterTable,
                   const std::function<void()>& cmbLibrariesChange) {
    // Range pass. Only the duplicate pass counts pairs, but the identifiers are read here too: a
    // library whose identifiers cannot be read ends the scan in this pass, before any counting.
    {
        const int32_t n = catalogCount(core);
        for (int32_t i = 0; i < n; ++i) {
            setGauge(view, gaugeValue(i, catalogCount(core)));
            const vk::ComPtr<ILibrary> library = tryOpen(core, i);
            if (!library) {
                dialogs::showMessage(QStringLiteral("Error Opening Library: ") +
                                     vk::text::fromWide(entryName(core, i)));
                continue;
            }
            (void)pairOf(library);
        }
    }
    view.Label1->setText(QStringLiteral("Checking for Duplicate Libraries..."));

    // Duplicate pass. Keyed by the pair, so any identifiers (negative ones included) cost one
    // counter per distinct pair.
    std::map<Pair, int32_t> pairCounts;
    {
        const int32_t n = catalogCount(core);
        for (int32_t i = 0; i < n; ++i) {
            setGauge(view, gaugeValue(i, catalogCount(core)));
            const vk::ComPtr<ILibrary> library = tryOpen(core, i);
            if (!library)
                continue;
            const Pair pair = pairOf(library);
            const int32_t count = ++pairCounts[pair];
            if (count != 1 && pair.second != 0)
                dialogs::showMessage(QStringLiteral("Duplicate = ") + vk::text::fromWide(entryName(core, i)));
        }
    }
    createParameterTable();

    // List pass. Filling and selecting from code is not a user's choice: the list's signals stay
    // quiet, and the change handler is called once at the end.
    {
        QComboBox* list = view.cmbLibraries;
        const QSignalBlocker quiet(list);
        list->clear();
        // Nothing runs between two additions (no events are handled in this pass), so the items
        // go to their sorted places together when the pass ends, or fails.
        QStringList items;
        try {
            const int32_t n = catalogCount(core);
            for (int32_t i = 0; i < n; ++i) {
                std::u16string item;
                if (const vk::ComPtr<ILibrary> library = tryOpen(core, i)) {
                    const Pair pair = pairOf(library);
                    const auto found = pairCounts.find(pair);
                    const int32_t count = found == pairCounts.end() ? 0 : found->second;
                    if (count != 1) {
                        item.append(u"(")
                            .append(decimal(pair.first))
                            .append(u"/")
                            .append(decimal(pair.second));
                        item.append(u"=").append(decimal(count)).append(u") ");
                    }
                }
                item += vk::call(entryAt(core, i), &ICatalogEntry::Caption);
                item += u" - ";
                item += entryName(core, i);
                items.append(vk::text::fromWide(item));
            }
        } catch (...) {
            addSorted(list, items);
            list->setCurrentIndex(-1);
            throw;
        }
        addSorted(list, items);
        list->setCurrentIndex(list->count() > 0 ? 0 : -1);
    }
    cmbLibrariesChange();
}

void selectLibrary(talvo::TCore2& core, vk::ComPtr<ILibrary>& library, const LibraryView& view,
                   const std::function<void()>& cmbProductsChange) {
    const int selected = view.cmbLibraries->currentIndex();
    if (selected < 0)
        return;
    library = nullptr;

    const QString key = libraryKey(view.cmbLibraries->itemText(selected));
    {
        auto index = vk::VariantHolder::fromString(vk::text::wideView(key));
        const vk::ComPtr<ICatalogEntry> entry = vk::call(core.Catalog(), &ICatalog::Item, index.get());
        library = vk::call(entry, &ICatalogEntry::Library);
    }
    if (!library) {
        dialogs::showMessage(QStringLiteral("Lib not found"));
        return;
    }

    if (productCount(library) == 0) {
        std::optional<QString> typed = dialogs::inputBox(
            QStringLiteral("Password Required"),
            QStringLiteral("Library Locked.  Please enter the password..."), QStringLiteral("RovQuad"), 255);
        if (!typed)
            return;
        unlock(library, *typed);
    }
    if (productCount(library) == 0) {
        dialogs::showMessage(QStringLiteral("DLL Unlock failed"));
        return;
    }

    view.ed_libid->setText(QString::number(vk::call(library, &ILibrary::LibraryID)));
    view.ed_manid->setText(QString::number(vk::call(library, &ILibrary::ManufacturerID)));
    view.ed_->setText(vk::text::fromWide(vk::call(library, &ILibrary::Name)));

    // Filled and selected from code: the product list's signals stay quiet; product selection is
    // called explicitly below.
    {
        QComboBox* products = view.cmbProducts;
        const QSignalBlocker quiet(products);
        products->clear();
        try {
            const int32_t count = productCount(library);
            for (int32_t i = 0; i < count; ++i) {
                auto position = vk::VariantHolder::fromInt(i);
                const vk::ComPtr<IProduct> product =
                    vk::call(vk::call(library, &ILibrary::Products), &IProducts::Item, position.get());
                std::u16string entry(u"(");
                entry.append(decimal(i)).append(u") : ").append(vk::call(product, &IProduct::Name));
                products->addItem(vk::text::fromWide(entry));
            }
        } catch (...) {
            products->setCurrentIndex(-1);
            throw;
        }
        products->setCurrentIndex(products->count() > 0 ? 0 : -1);
    }
    cmbProductsChange();
}

} // namespace catalogue

#include "LibraryCatalogue.moc"
