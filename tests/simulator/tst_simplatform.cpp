// The simulated platform's object model, faults and call log, built in memory from fixtures.
#include "SimTestUtil.h"
#include "tests/support/SimRegistration.h"

#include <QTest>

using namespace talvo;
using sim::FaultRule;
using sim::Platform;

class TestSimPlatform : public QObject {
    Q_OBJECT

    std::shared_ptr<Platform> m_platform;
    vk::ComPtr<ICatalog> m_catalog;
    int64_t m_liveAtStart = 0;

    vk::ComPtr<ICatalogEntry> entry(int32_t i) {
        auto v = at(i);
        return vk::call(m_catalog, &ICatalog::Item, v.get());
    }
    vk::ComPtr<IProduct> product(int32_t lib, int32_t i) {
        auto products = vk::call(vk::call(entry(lib), &ICatalogEntry::Library), &ILibrary::Products);
        auto v = at(i);
        return vk::call(products, &IProducts::Item, v.get());
    }
    vk::ComPtr<IParameter> parameter(int32_t i, bool ext = false) {
        auto list = vk::call(product(0, 0), ext ? &IProduct::ExtParameters : &IProduct::IntParameters);
        auto v = at(i);
        return vk::call(list, &IParameters::Item, v.get());
    }

private slots:
    // The system's runtime wants the apartment before anything is published in it.
    void initTestCase() { QVERIFY(vk::succeeded(vk::coInitialize())); }
    void cleanupTestCase() { vk::coUninitialize(); }
    void init() {
        m_liveAtStart = Platform::liveObjects();
        m_platform = Platform::create(fixtureCatalog());
        m_catalog = vk::call(m_platform->newCore(), &ICore::Catalog);
    }
    void cleanup() {
        m_catalog.reset();
        m_platform.reset();
        QCOMPARE(Platform::liveObjects(), m_liveAtStart);
    }

    void walkThroughTheObjectModel() {
        QCOMPARE(vk::call(m_catalog, &ICatalog::Count), 4);
        QCOMPARE(q(vk::call(entry(0), &ICatalogEntry::Name)), QStringLiteral("Alpha"));
        QCOMPARE(q(vk::call(entry(0), &ICatalogEntry::Caption)), QStringLiteral("Alpha Caption"));

        auto lib = vk::call(entry(0), &ICatalogEntry::Library);
        QCOMPARE(q(vk::call(lib, &ILibrary::Name)), QStringLiteral("Alpha Library"));
        QCOMPARE(q(vk::call(lib, &ILibrary::Version)), QStringLiteral("1.2"));
        QCOMPARE(vk::call(lib, &ILibrary::ManufacturerID), int16_t(3));
        QCOMPARE(vk::call(lib, &ILibrary::LibraryID), int16_t(11));
        QCOMPARE(vk::call(vk::call(lib, &ILibrary::Products), &IProducts::Count), 2);

        auto p0 = product(0, 0);
        QCOMPARE(q(vk::call(p0, &IProduct::Name)), QStringLiteral("P0"));
        QCOMPARE(q(vk::call(p0, &IProduct::MapName)), QStringLiteral("P0.map"));
        QCOMPARE(q(vk::call(vk::call(p0, &IProduct::Platform), &IPlatform::Name)), QStringLiteral("GC5020"));
        QCOMPARE(vk::call(p0.query<IHybridInfo5020>(), &IHybridInfo5020::HybridID), 2);
        auto limits = p0.query<IProductLimits>();
        QCOMPARE(vk::call(limits, &IProductLimits::MaxOutput), 118.5);
        QCOMPARE(vk::call(limits, &IProductLimits::MaxGain), 40.0);
        QCOMPARE(vk::call(limits, &IProductLimits::Channels), 4);
        QCOMPARE(vk::call(vk::call(p0, &IProduct::IntParameters), &IParameters::Count), 3);
        QCOMPARE(vk::call(vk::call(p0, &IProduct::ExtParameters), &IParameters::Count), 1);

        auto p1 = product(0, 1);
        auto hybrid = p1.query<IHybridInfo>();
        QCOMPARE(vk::call(hybrid, &IHybridInfo::HybridID), 3);
        QCOMPARE(vk::call(hybrid, &IHybridInfo::SampleRateCode), 1);
        QCOMPARE(vk::call(vk::call(p1, &IProduct::IntParameters), &IParameters::Count), 0);

        auto gain = parameter(0);
        auto info = vk::ComPtr<IParameter>(gain).query<IParameterInfo>();
        QCOMPARE(q(vk::call(info, &IParameterInfo::Name)), QStringLiteral("Gain"));
        QCOMPARE(vk::call(info, &IParameterInfo::ParamID), 1);
        auto detail = gain.query<IParameterDetail>();
        QCOMPARE(vk::call(detail, &IParameterDetail::Kind), 1);
        QCOMPARE(vk::call(detail, &IParameterDetail::Min), -2);
        QCOMPARE(vk::call(detail, &IParameterDetail::Max), 2);
        QCOMPARE(vk::call(detail, &IParameterDetail::Default), 0);
        QCOMPARE(q(vk::call(detail, &IParameterDetail::Units)), QStringLiteral("dB"));
        QCOMPARE(vk::call(vk::call(detail, &IParameterDetail::Scale), &IValueScale::ToReal, -2), 0.0);
        QCOMPARE(vk::call(vk::call(detail, &IParameterDetail::Scale), &IValueScale::ToReal, 3), 2.5);

        auto texts = vk::call(parameter(2).query<IParameterDetail>(), &IParameterDetail::Texts);
        QCOMPARE(q(vk::call(texts, &IValueTexts::Text, 10)), QStringLiteral("Off"));
        QCOMPARE(q(vk::call(texts, &IValueTexts::Text, 12)), QStringLiteral("High"));
        // Values without a text of their own (the last of the range, and outside it) read as decimals.
        QCOMPARE(q(vk::call(texts, &IValueTexts::Text, 13)), QStringLiteral("13"));
        QCOMPARE(q(vk::call(texts, &IValueTexts::Text, -7)), QStringLiteral("-7"));
    }

    void queries() {
        auto p0 = product(0, 0);
        auto p1 = product(0, 1);
        vk::ComPtr<IHybridInfo> hybrid;
        QCOMPARE(p0.tryQuery(hybrid), vk::E_NOINTERFACE_);
        QVERIFY(!hybrid);
        QCOMPARE(takenError(), QStringLiteral("IProduct \"P0\" does not support IHybridInfo"));
        vk::ComPtr<IProductLimits> limits;
        QCOMPARE(p1.tryQuery(limits), vk::E_NOINTERFACE_);
        vk::ComPtr<IHybridInfo5020> h5020;
        QCOMPARE(p1.tryQuery(h5020), vk::E_NOINTERFACE_);

        // IParameterInfo always, IParameterDetail only with a detail.
        auto plain = parameter(1);
        QCOMPARE(vk::call(plain.query<IParameterInfo>(), &IParameterInfo::ParamID), -3);
        vk::ComPtr<IParameterDetail> detail;
        QCOMPARE(plain.tryQuery(detail), vk::E_NOINTERFACE_);
        QCOMPARE(takenError(), QStringLiteral("IParameter \"Plain\" does not support IParameterDetail"));

        // One identity whichever interface is asked; IDispatch too.
        auto limits0 = p0.query<IProductLimits>();
        QCOMPARE(limits0.query<vk::IUnknown>().get(), p0.query<vk::IUnknown>().get());
        QCOMPARE(p0.query<IHybridInfo5020>().query<IProduct>().get(), p0.get());
        QVERIFY(p0.query<vk::IDispatch>());
        QCOMPARE(p0.tryQuery(detail), vk::E_NOINTERFACE_);
        QCOMPARE(takenError(), QStringLiteral("IProduct \"P0\" does not support IParameterDetail"));
    }

    void reservedAndDispatchPlacesAreNotImplemented() {
        auto p0 = product(0, 0);
        QCOMPARE(p0->reserved5(), vk::E_NOTIMPL_);
        QCOMPARE(takenError(),
                 QStringLiteral("IProduct: operation #5 is not implemented by the simulated platform"));
        uint32_t n = 7;
        QCOMPARE(m_catalog->GetTypeInfoCount(&n), vk::E_NOTIMPL_);
        QCOMPARE(takenError(),
                 QStringLiteral("ICatalog.GetTypeInfoCount is not implemented by the simulated platform"));
        QCOMPARE(m_catalog->reserved3(), vk::E_NOTIMPL_);
        QCOMPARE(takenError(),
                 QStringLiteral("ICatalog: operation #3 is not implemented by the simulated platform"));
    }

    void items_data() {
        QTest::addColumn<QString>("collection");
        QTest::addColumn<int>("variantType");
        QTest::addColumn<int>("position");
        QTest::addColumn<QString>("name");
        QTest::addColumn<int>("status");
        QTest::addColumn<QString>("error");
        const int i4 = vk::VT_I4_, bstr = vk::VT_BSTR_, none = vk::VT_EMPTY_;
        const QString ok = QStringLiteral("(none)");
        QTest::newRow("catalogue first") << "catalog" << i4 << 0 << "" << 0 << ok;
        QTest::newRow("catalogue last") << "catalog" << i4 << 3 << "" << 0 << ok;
        QTest::newRow("catalogue past the end")
            << "catalog" << i4 << 4 << "" << int(vk::DISP_E_BADINDEX_)
            << "ICatalog.Item: position 4 is out of range (there are 4 items)";
        QTest::newRow("catalogue negative")
            << "catalog" << i4 << -1 << "" << int(vk::DISP_E_BADINDEX_)
            << "ICatalog.Item: position -1 is out of range (there are 4 items)";
        QTest::newRow("catalogue by name") << "catalog" << bstr << 0 << "Null" << 0 << ok;
        QTest::newRow("catalogue by unknown name")
            << "catalog" << bstr << 0 << "Nope" << int(vk::DISP_E_BADINDEX_)
            << "ICatalog.Item: no catalogue entry is named \"Nope\"";
        QTest::newRow("catalogue by name is exact")
            << "catalog" << bstr << 0 << "alpha" << int(vk::DISP_E_BADINDEX_)
            << "ICatalog.Item: no catalogue entry is named \"alpha\"";
        QTest::newRow("catalogue empty index")
            << "catalog" << none << 0 << "" << int(vk::DISP_E_TYPEMISMATCH_)
            << "ICatalog.Item: the index must be a 32-bit integer position, not (empty)";
        QTest::newRow("products past the end")
            << "products" << i4 << 2 << "" << int(vk::DISP_E_BADINDEX_)
            << "IProducts.Item: position 2 is out of range (there are 2 items)";
        QTest::newRow("products by name")
            << "products" << bstr << 0 << "P0" << int(vk::DISP_E_TYPEMISMATCH_)
            << "IProducts.Item: the index must be a 32-bit integer position, not \"P0\"";
        QTest::newRow("parameters last") << "parameters" << i4 << 2 << "" << 0 << ok;
        QTest::newRow("parameters past the end")
            << "parameters" << i4 << 3 << "" << int(vk::DISP_E_BADINDEX_)
            << "IParameters.Item: position 3 is out of range (there are 3 items)";
        QTest::newRow("external parameters")
            << "ext" << i4 << 1 << "" << int(vk::DISP_E_BADINDEX_)
            << "IParameters.Item: position 1 is out of range (there is 1 item)";
    }
    void items() {
        QFETCH(QString, collection);
        QFETCH(int, variantType);
        QFETCH(int, position);
        QFETCH(QString, name);
        QFETCH(int, status);
        QFETCH(QString, error);
        vk::VariantHolder index;
        if (variantType == vk::VT_I4_)
            index = at(position);
        if (variantType == vk::VT_BSTR_)
            index = named(name.toStdU16String());
        vk::clearErrorInfo();
        vk::ComPtr<vk::IUnknown> result;
        vk::HResult h = vk::S_OK_;
        if (collection == QLatin1String("catalog")) {
            vk::ComPtr<ICatalogEntry> e;
            h = m_catalog->Item(index.get(), e.put());
            result = e ? e.query<vk::IUnknown>() : nullptr;
        } else if (collection == QLatin1String("products")) {
            auto products = vk::call(vk::call(entry(0), &ICatalogEntry::Library), &ILibrary::Products);
            vk::ComPtr<IProduct> p;
            h = products->Item(index.get(), p.put());
            result = p ? p.query<vk::IUnknown>() : nullptr;
        } else {
            auto list =
                vk::call(product(0, 0), collection == QLatin1String("ext") ? &IProduct::ExtParameters
                                                                           : &IProduct::IntParameters);
            vk::ComPtr<IParameter> p;
            h = list->Item(index.get(), p.put());
            result = p ? p.query<vk::IUnknown>() : nullptr;
        }
        QCOMPARE(h, status);
        QCOMPARE(takenError(), error);
        QCOMPARE(bool(result), status == 0);
    }

    void lockAndUnlock() {
        auto lib = vk::call(entry(1), &ICatalogEntry::Library);
        auto locked = vk::call(lib, &ILibrary::Products);
        QCOMPARE(vk::call(locked, &IProducts::Count), 0);
        auto v = at(0);
        vk::ComPtr<IProduct> p;
        QCOMPARE(locked->Item(v.get(), p.put()), vk::DISP_E_BADINDEX_);

        vk::UniqueBstr wrong(u"Secret");
        QCOMPARE(lib->Unlock(wrong.get()), vk::S_OK_);
        QCOMPARE(vk::call(vk::call(lib, &ILibrary::Products), &IProducts::Count), 0);

        vk::UniqueBstr right(u"secret");
        vk::call(lib, &ILibrary::Unlock, right.get());
        QCOMPARE(vk::call(vk::call(lib, &ILibrary::Products), &IProducts::Count), 1);
        // A collection asked for while locked stays as it was handed out.
        QCOMPARE(vk::call(locked, &IProducts::Count), 0);
        // The unlock belongs to that opening: opening the library again finds it locked.
        auto again = vk::call(entry(1), &ICatalogEntry::Library);
        QCOMPARE(vk::call(vk::call(again, &ILibrary::Products), &IProducts::Count), 0);
        // Unlocking a library without a password changes nothing.
        auto open = vk::call(entry(0), &ICatalogEntry::Library);
        vk::call(open, &ILibrary::Unlock, wrong.get());
        QCOMPARE(vk::call(vk::call(open, &ILibrary::Products), &IProducts::Count), 2);
    }

    void librariesThatDoNotOpen() {
        vk::ComPtr<ILibrary> lib;
        QCOMPARE(entry(2)->Library(lib.put()), vk::E_FAIL_);
        QCOMPARE(takenError(), QStringLiteral("cannot open Broken"));
        QCOMPARE(entry(3)->Library(lib.put()), vk::S_OK_);
        QVERIFY(!lib);
    }

    void nullResultPointers() {
        QCOMPARE(m_catalog->Count(nullptr), vk::E_POINTER_);
        QCOMPARE(takenError(), QStringLiteral("ICatalog.Count: no place for the result was given"));
        QCOMPARE(m_catalog->QueryInterface(vk::Iid<ICatalog>::value, nullptr), vk::E_POINTER_);
        QCOMPARE(parameter(0).query<IParameterDetail>()->Kind(nullptr), vk::E_POINTER_);
        QCOMPARE(takenError(), QStringLiteral("IParameterDetail.Kind: no place for the result was given"));
    }

    void objectsKeepThePlatformAlive() {
        auto gain = parameter(0).query<IParameterDetail>();
        m_catalog.reset();
        m_platform.reset();
        QCOMPARE(vk::call(gain, &IParameterDetail::Max), 2);
    }

    // Tests may change the catalogue under live objects; those whose data went fail cleanly.
    void changedCatalogue() {
        auto p1 = product(0, 1);
        auto detail = parameter(0).query<IParameterDetail>();
        m_platform->content().entries[0].library->products.resize(1);
        vk::Bstr name = nullptr;
        QCOMPARE(p1->Name(&name), vk::E_UNEXPECTED_);
        QVERIFY(!name);
        QCOMPARE(takenError(),
                 QStringLiteral("IProduct: the product \"P1\" no longer exists in the platform's catalogue"));
        m_platform->content().entries[0].library->products[0].intParameters[0].detail.reset();
        int32_t kind = 5;
        QCOMPARE(detail->Kind(&kind), vk::E_UNEXPECTED_);
        QCOMPARE(kind, 0);
        m_platform->content().entries.clear();
        QCOMPARE(vk::call(m_catalog, &ICatalog::Count), 0);
    }

    void faults_data() {
        QTest::addColumn<QString>("op");
        QTest::addColumn<qulonglong>("after");
        QTest::addColumn<qlonglong>("times");
        QTest::addColumn<qulonglong>("seqOffset"); // 0: none; n: the n-th Count call from now
        QTest::addColumn<QString>("failures");     // per Count call: x failed, . succeeded
        QTest::newRow("always") << "ICatalog.Count" << 0ull << -1ll << 0ull << "xxxxx";
        QTest::newRow("any operation") << "*" << 0ull << -1ll << 0ull << "xxxxx";
        QTest::newRow("after two") << "ICatalog.Count" << 2ull << -1ll << 0ull << "..xxx";
        QTest::newRow("once") << "ICatalog.Count" << 0ull << 1ll << 0ull << "x....";
        QTest::newRow("after one, twice") << "ICatalog.Count" << 1ull << 2ll << 0ull << ".xx..";
        QTest::newRow("never") << "ICatalog.Count" << 0ull << 0ll << 0ull << ".....";
        QTest::newRow("other operation") << "ICatalog.Item" << 0ull << -1ll << 0ull << ".....";
        QTest::newRow("by sequence number") << "*" << 0ull << -1ll << 3ull << "..x..";
        QTest::newRow("by sequence number, after ignored")
            << "ICatalog.Count" << 5ull << -1ll << 2ull << ".x...";
    }
    void faults() {
        QFETCH(QString, op);
        QFETCH(qulonglong, after);
        QFETCH(qlonglong, times);
        QFETCH(qulonglong, seqOffset);
        QFETCH(QString, failures);
        FaultRule rule;
        rule.op = op.toStdString();
        rule.status = vk::hr(0x80041234);
        rule.description = u"injected";
        rule.after = after;
        rule.times = times;
        if (seqOffset)
            rule.seq = m_platform->calls().size() + seqOffset;
        m_platform->addFault(rule);
        QString seen;
        for (int i = 0; i < failures.size(); ++i) {
            int32_t n = -1;
            const vk::HResult h = m_catalog->Count(&n);
            seen += h == vk::S_OK_ ? u'.' : u'x';
            if (h != vk::S_OK_) {
                QCOMPARE(h, vk::hr(0x80041234));
                QCOMPARE(takenError(), QStringLiteral("injected"));
                QCOMPARE(n, 0);
            } else {
                QCOMPARE(n, 4);
            }
        }
        QCOMPARE(seen, failures);
        int failedInLog = 0;
        for (const sim::Call& c : m_platform->calls())
            failedInLog += c.failed;
        QCOMPARE(failedInLog, int(failures.count(u'x')));
        m_platform->clearFaults();
        QCOMPARE(m_catalog->Count(nullptr), vk::E_POINTER_);
    }

    void faultsByObjectAndOnQueries() {
        m_platform->addFault(
            {"ICatalogEntry.Name", "Locked", vk::E_ACCESSDENIED_, u"no name today", 0, -1, 0, {}});
        QCOMPARE(q(vk::call(entry(0), &ICatalogEntry::Name)), QStringLiteral("Alpha"));
        try {
            vk::call(entry(1), &ICatalogEntry::Name);
            QFAIL("the fault did not fire");
        } catch (const vk::ComError& e) {
            QCOMPARE(e.code(), vk::E_ACCESSDENIED_);
            QCOMPARE(q(e.what()), QStringLiteral("no name today"));
        }

        // Queries of the platform's interfaces can be made to fail like any operation.
        m_platform->addFault(
            {"IProduct.QueryInterface(IProductLimits)", "", vk::E_FAIL_, u"limits gone", 0, 1, 0, {}});
        auto p0 = product(0, 0);
        vk::ComPtr<IProductLimits> limits;
        QCOMPARE(p0.tryQuery(limits), vk::E_FAIL_);
        QCOMPARE(takenError(), QStringLiteral("limits gone"));
        QVERIFY(p0.query<IProductLimits>());

        // Without a description the call leaves no error information.
        m_platform->addFault({"IProduct.MapName", "", vk::E_FAIL_, u"", 0, 1, 0, {}});
        vk::Bstr s = nullptr;
        QCOMPARE(p0->MapName(&s), vk::E_FAIL_);
        QCOMPARE(takenError(), QStringLiteral("(none)"));

        // A success status returns at once with an empty result.
        m_platform->addFault({"IProduct.Platform", "P0", vk::S_OK_, u"", 0, 1, 0, {}});
        vk::ComPtr<IPlatform> platform;
        QCOMPARE(p0->Platform(platform.put()), vk::S_OK_);
        QVERIFY(!platform);
    }

    void callLogMarksFaultedCalls() {
        auto scale = vk::call(parameter(0).query<IParameterDetail>(), &IParameterDetail::Scale);
        m_platform->clearCalls();
        m_platform->addFault({"IValueScale.ToReal", "", vk::E_FAIL_, u"x", 1, 1, 0, {}});
        double r = 0;
        scale->ToReal(-2, &r);
        scale->ToReal(7, &r);

        const auto& calls = m_platform->calls();
        QCOMPARE(calls.size(), size_t(2));
        QCOMPARE(q(calls[1].op), QStringLiteral("IValueScale.ToReal"));
        QCOMPARE(q(calls[1].argument), QStringLiteral("7"));
        QCOMPARE(q(calls[1].object), QStringLiteral("Gain"));
        QVERIFY(!calls[0].failed);
        QVERIFY(calls[1].failed);
        QCOMPARE(calls[1].seq, calls[0].seq + 1);

        // With the log off, calls are still counted for faults by sequence number.
        m_platform->setCallLog(false);
        m_platform->addFault({"*", "", vk::E_FAIL_, u"by seq", 0, -1, calls[1].seq + 2, {}});
        QCOMPARE(scale->ToReal(1, &r), vk::S_OK_);
        QCOMPARE(scale->ToReal(1, &r), vk::E_FAIL_);
        QCOMPARE(m_platform->calls().size(), size_t(2));
        m_platform->setCallLog(true);
    }

    void callLogOfAWalk() {
        m_platform->clearCalls();
        auto byName = named(u"Alpha");
        auto e = vk::call(m_catalog, &ICatalog::Item, byName.get());
        auto lib = vk::call(e, &ICatalogEntry::Library);
        vk::UniqueBstr pw(u"pw");
        vk::call(lib, &ILibrary::Unlock, pw.get());
        auto zero = at(0);
        auto p = vk::call(vk::call(lib, &ILibrary::Products), &IProducts::Item, zero.get());
        (void)p.query<IProductLimits>();
        (void)p.query<vk::IUnknown>(); // not a platform interface: not logged

        QStringList log;
        uint64_t seq = 0;
        for (const sim::Call& c : m_platform->calls()) {
            QCOMPARE(c.seq, seq ? seq + 1 : c.seq);
            seq = c.seq;
            log << q(c.op + " " + c.argument + " @" + c.object);
        }
        QCOMPARE(log, (QStringList{
                          QStringLiteral("ICatalog.Item \"Alpha\" @"),
                          QStringLiteral("ICatalogEntry.Library  @Alpha"),
                          QStringLiteral("ILibrary.Unlock \"pw\" @Alpha Library"),
                          QStringLiteral("ILibrary.Products  @Alpha Library"),
                          QStringLiteral("IProducts.Item 0 @Alpha Library"),
                          QStringLiteral("IProduct.QueryInterface(IProductLimits)  @P0"),
                      }));
        QCOMPARE(m_platform->count("IProducts.Item"), size_t(1));
        QCOMPARE(m_platform->count("ILibrary.Unlock", "Alpha Library"), size_t(1));
        QCOMPARE(m_platform->count("ILibrary.Unlock", "Other"), size_t(0));
    }

    void faultsFromTheCatalogue() {
        sim::CatalogSpec content = fixtureCatalog();
        content.faults.push_back(
            {"ICatalogEntry.Caption", "Alpha", vk::E_FAIL_, u"from the file", 0, -1, 0, {}});
        auto platform = Platform::create(content);
        auto catalog = vk::call(platform->newCore(), &ICore::Catalog);
        auto v = at(0);
        vk::Bstr s = nullptr;
        QCOMPARE(vk::call(catalog, &ICatalog::Item, v.get())->Caption(&s), vk::E_FAIL_);
        QCOMPARE(takenError(), QStringLiteral("from the file"));
    }

    void runningObjectTable() {
        {
            simtest::RunningPlatform running(fixtureCatalog());
            vk::ComPtr<vk::IUnknown> found;
            QCOMPARE(vk::getActiveObject(CLSID_Core2, found.put()), vk::S_OK_);
            auto catalog = vk::call(found.query<ICore>(), &ICore::Catalog);
            QCOMPARE(vk::call(catalog, &ICatalog::Count), 4);
            QCOMPARE(running->count("ICore.Catalog"), size_t(1));
            QCOMPARE(running->count("ICore.QueryInterface(ICore)"), size_t(1));
        }
        vk::ComPtr<vk::IUnknown> gone;
        QCOMPARE(vk::getActiveObject(CLSID_Core2, gone.put()), vk::MK_E_UNAVAILABLE_);
    }

    void hostileTexts() {
        // Any code unit passes through unchanged, NUL and unpaired surrogates included.
        std::u16string odd = u"a";
        odd.push_back(u'\0');
        odd.push_back(char16_t(0xD800));
        odd += std::u16string(100000, u'x');
        m_platform->content().entries[0].name = odd;
        vk::UniqueBstr name;
        QCOMPARE(entry(0)->Name(name.put()), vk::S_OK_);
        QVERIFY(name.view() == odd);
    }
};

QTEST_GUILESS_MAIN(TestSimPlatform)
#include "tst_simplatform.moc"
