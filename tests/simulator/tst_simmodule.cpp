// The server module: created by class identifier through a class registration in this test's
// private data folder, serving a library folder; its platform reachable for faults and the log.
#include "SimTestUtil.h"
#include "tests/support/SimRegistration.h"

#include <QTest>

#include <fstream>
#include <sstream>

using namespace talvo;

namespace {

const char* kLibrary = R"({"name": "One", "caption": "First",
  "library": {"name": "One Library", "version": "1", "manufacturerId": 1, "libraryId": 2,
    "products": [{"name": "P", "mapName": "M", "platform": "GC5052"}]}})";

vk::HResult create(vk::ComPtr<vk::IUnknown>& out) {
    return vk::coCreateInstance(CLSID_Core2, nullptr, vk::CLSCTX_INPROC_SERVER_ | vk::CLSCTX_LOCAL_SERVER_,
                                vk::Iid<vk::IUnknown>::value, out.putVoid());
}

} // namespace

class TestSimModule : public QObject {
    Q_OBJECT

private slots:
    void initTestCase() { QCOMPARE(vk::coInitialize(), vk::S_OK_); }

    void notRegistered() {
        vk::ComPtr<vk::IUnknown> core;
        QCOMPARE(create(core), vk::REGDB_E_CLASSNOTREG_);
        QVERIFY(!sim::modulePlatform());
    }

    void createThroughTheRegistration() {
        simtest::TempFolder libraries;
        libraries.write("one.json", kLibrary);
        libraries.write("two.json", "{ broken");
        simtest::ModuleRegistration registration(libraries.path());
        {
            vk::ComPtr<vk::IUnknown> object;
            QCOMPARE(create(object), vk::S_OK_);
            auto catalog = vk::call(object.query<ICore>(), &ICore::Catalog);
            QCOMPARE(vk::call(catalog, &ICatalog::Count), 2);
            auto one = named(u"One");
            auto lib = vk::call(vk::call(catalog, &ICatalog::Item, one.get()), &ICatalogEntry::Library);
            QCOMPARE(vk::call(lib, &ILibrary::LibraryID), int16_t(2));
            auto two = at(1);
            vk::ComPtr<ILibrary> broken;
            QCOMPARE(vk::call(catalog, &ICatalog::Item, two.get())->Library(broken.put()), vk::E_FAIL_);
            QVERIFY(takenError().startsWith(QStringLiteral("two.json: line 1, column ")));

            // The module's platform, reached from this executable: its log and its faults.
            std::shared_ptr<sim::Platform> platform = registration.platform();
            QVERIFY(platform);
            QCOMPARE(platform->count("ICatalogEntry.Library"), size_t(2));
            platform->addFault({"ILibrary.Name", "One Library", vk::E_FAIL_, u"from the test", 0, 1, 0, {}});
            vk::Bstr name = nullptr;
            QCOMPARE(lib->Name(&name), vk::E_FAIL_);
            QCOMPARE(takenError(), QStringLiteral("from the test"));
            QVERIFY(sim::moduleLiveObjects() > 0);

            // A second instance for the same folder serves the same platform: the folder is read once.
            vk::ComPtr<vk::IUnknown> second;
            QCOMPARE(create(second), vk::S_OK_);
            QVERIFY(second.get() != object.get());
            QCOMPARE(registration.platform().get(), platform.get());
        }
        QCOMPARE(sim::moduleLiveObjects(), int64_t(0));
    }

    void brokenRegistrations_data() {
        QTest::addColumn<QString>("content");
        QTest::addColumn<QString>("error");
        const QString module = QString::fromUtf8(TALVOSIM_MODULE_PATH);
        QTest::newRow("no library folder") << QStringLiteral("InprocServer=") + module + QStringLiteral("\n")
                                           << QStringLiteral("names no LibraryFolder");
#ifdef _WIN32
        const QString missing = QStringLiteral("C:\\nonexistent\\veskor");
#else
        const QString missing = QStringLiteral("/nonexistent/veskor");
#endif
        QTest::newRow("library folder missing")
            << QStringLiteral("InprocServer=") + module + QStringLiteral("\nLibraryFolder=") + missing + u'\n'
            << QStringLiteral("library folder ") + missing + QStringLiteral(" (LibraryFolder of ");
    }
    void brokenRegistrations() {
        QFETCH(QString, content);
        QFETCH(QString, error);
        simtest::ModuleRegistration registration(simtest::ModuleRegistration::Raw{}, content.toStdString());
        vk::ComPtr<vk::IUnknown> core;
        vk::clearErrorInfo();
        QCOMPARE(create(core), vk::CO_E_SERVER_EXEC_FAILURE_);
        QVERIFY(!core);
        const QString taken = takenError();
        QVERIFY2(taken.contains(error), qPrintable(taken));
    }

    void classFactoryEntry() {
        const simtest::Module module(TALVOSIM_MODULE_PATH);
        QVERIFY(module);
        auto get = module.symbol<vk::DllGetClassObjectFn>("DllGetClassObject");
        QVERIFY(get);
        void* out = reinterpret_cast<void*>(1);
        QCOMPARE(get(vk::Iid<ICore>::value, vk::Iid<vk::IClassFactory>::value, &out),
                 vk::CLASS_E_CLASSNOTAVAILABLE_);
        QVERIFY(!out);
        QVERIFY(takenError().contains(QStringLiteral("serves Core2 only")));
        vk::ComPtr<vk::IClassFactory> factory;
        QCOMPARE(get(CLSID_Core2, vk::Iid<vk::IClassFactory>::value, factory.putVoid()), vk::S_OK_);
        vk::ComPtr<vk::IUnknown> object;
        QCOMPARE(factory->CreateInstance(factory.get(), vk::Iid<vk::IUnknown>::value, object.putVoid()),
                 vk::CLASS_E_NOAGGREGATION_);
        // Only the class factory and the test hooks leave the module.
        QVERIFY(!module.symbol<void*>("_ZN3sim8Platform6createENS_11CatalogSpecE"));
        factory.reset();
    }

    // The build registers the demo catalogue beside the tool.
    void demoRegistration() {
#ifdef _WIN32
        QSKIP("Windows registers the module through regsvr32, not beside the tool");
#else
        std::ifstream in(VESKOR_DEMO_REGISTRATION);
        QVERIFY(in);
        std::stringstream s;
        s << in.rdbuf();
        QCOMPARE(q(s.str()), QStringLiteral("InprocServer=") + QString::fromUtf8(TALVOSIM_MODULE_PATH) +
                                 QStringLiteral("\nLibraryFolder=") + QString::fromUtf8(VESKOR_DEMO_FOLDER) +
                                 QStringLiteral("\n"));
        simtest::ModuleRegistration registration(VESKOR_DEMO_FOLDER);
        vk::ComPtr<vk::IUnknown> object;
        QCOMPARE(create(object), vk::S_OK_);
        QCOMPARE(vk::call(vk::call(object.query<ICore>(), &ICore::Catalog), &ICatalog::Count), 11);
#endif
    }

    void cleanupTestCase() {
        vk::coUninitialize();
    }
};

QTEST_GUILESS_MAIN(TestSimModule)
#include "tst_simmodule.moc"
