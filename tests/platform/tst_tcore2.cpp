// The connection component: what it records at construction, when it connects, how it attaches to a
// running platform, how often it connects, and the errors of a platform that cannot be reached.
#include "Fakes.h"
#include "Registry.h"
#include "ServerProbe.h"
#include "platform/Call.h"
#include "platform/ComError.h"
#include "platform/TCore2.h"

#include <QTest>

#include <memory>

using namespace Qt::StringLiterals;

namespace {

// A platform instance published in the running-object table for the life of the guard.
class Running {
public:
    explicit Running(fake::Core* core) : m_core(core) {
        vk::check(vk::registerActiveObject(core, talvo::CLSID_Core2, &m_cookie));
    }
    ~Running() {
        vk::revokeActiveObject(m_cookie);
        m_core->Release();
    }
    fake::Core* core() const { return m_core; }

private:
    fake::Core* m_core;
    uint32_t m_cookie = 0;
};

const QString kClassIdSuffix = u", ClassID: {4689781D-6EFD-41BC-950B-E6983890FA5C}"_s;

} // namespace

class tst_tcore2 : public QObject {
    Q_OBJECT

private slots:
    // The system's runtime wants the apartment before anything is created or published in it.
    void initTestCase() { QVERIFY(vk::succeeded(vk::coInitialize())); }
    void cleanupTestCase() { vk::coUninitialize(); }
    void init() {
        m_reg.clear();
        vk::clearErrorInfo();
    }

    void construction();
    void attachesToRunningInstance();
    void createsOnFirstCatalog();
    void connectsOnce();
    void notInstalled_data();
    void notInstalled();
    void refusedCore();
    void failingCatalog_data();
    void failingCatalog();

private:
    void registerServer() { m_reg.write(talvo::CLSID_Core2, "InprocServer=" VK_TEST_SERVER "\n"); }

    PrivateRegistry m_reg;
};

void tst_tcore2::construction() {
    fake::Counts c;
    Running running(new fake::Core(&c));
    registerServer();
    const int created = serverCreated();
    const fake::Counts before = c;
    {
        talvo::TCore2 core;
        const vk::ServerData& d = core.serverData();
        QVERIFY(d.classId == talvo::CLSID_Core2);
        QVERIFY(d.interfaceId == vk::Iid<talvo::ICore>::value);
        QVERIFY(d.eventInterfaceId == vk::kNullGuid);
        QCOMPARE(d.version, 500);
        QVERIFY(core.connectKind() == vk::ConnectKind::ckRunningOrNew);
        QVERIFY(!core.autoConnect());
        QVERIFY(core.remoteMachineName().empty());
        QVERIFY(!core.isConnected());
    }
    // Neither the running instance nor the registered server was touched.
    QCOMPARE(c.queries, before.queries);
    QCOMPARE(c.addRefs, before.addRefs);
    QCOMPARE(serverCreated(), created);
}

void tst_tcore2::attachesToRunningInstance() {
    fake::Counts c;
    Running running(new fake::Core(&c));
    registerServer();
    const int created = serverCreated();
    const uint32_t refsBefore = running.core()->refs();
    {
        talvo::TCore2 core;
        vk::ComPtr<talvo::ICatalog> catalog = core.Catalog();
        QVERIFY(catalog);
        QCOMPARE(vk::call(catalog, &talvo::ICatalog::Count), 3);
        QCOMPARE(running.core()->catalogCalls, 1);
        QVERIFY(core.isConnected());
        // The component keeps exactly one reference: its ICore; the first object was let go.
        QCOMPARE(running.core()->refs(), refsBefore + 1);
        vk::ComPtr<talvo::ICore> def = core.DefaultInterface();
        QVERIFY(def.get() == static_cast<talvo::ICore*>(running.core()));
        QCOMPARE(running.core()->refs(), refsBefore + 2);
    }
    QCOMPARE(serverCreated(), created);           // no new instance
    QCOMPARE(running.core()->refs(), refsBefore); // destruction disconnects
}

void tst_tcore2::createsOnFirstCatalog() {
    registerServer();
    const int created = serverCreated();
    talvo::TCore2 core;
    QCOMPARE(serverCreated(), created);
    QVERIFY(!core.isConnected());
    vk::ComPtr<talvo::ICatalog> catalog = core.Catalog();
    QVERIFY(catalog);
    QCOMPARE(vk::call(catalog, &talvo::ICatalog::Count), 3);
    QCOMPARE(serverCreated(), created + 1);
    QVERIFY(core.isConnected());

    core.Disconnect();
    QVERIFY(!core.isConnected());
    core.Disconnect(); // twice does no harm
    QVERIFY(catalog);  // handed-out catalogues outlive the connection
}

void tst_tcore2::connectsOnce() {
    fake::Counts c;
    Running running(new fake::Core(&c));
    const int queriesBefore = c.queries;
    talvo::TCore2 core;
    vk::ComPtr<talvo::ICatalog> previous;
    for (int i = 0; i < 20; ++i) {
        vk::ComPtr<talvo::ICatalog> catalog = core.Catalog();
        QVERIFY(catalog);
        QVERIFY(catalog.get() != previous.get()); // a fresh catalogue per call
        previous = catalog;
    }
    core.Connect(); // already connected: nothing happens
    QCOMPARE(running.core()->catalogCalls, 20);
    // One lookup in the table and one ICore query, however many catalogues.
    QCOMPARE(c.queries - queriesBefore, 2);
}

void tst_tcore2::notInstalled_data() {
    QTest::addColumn<QByteArray>("registration"); // empty: none
    QTest::addColumn<int>("status");
    QTest::addColumn<QString>("message");
    QTest::addColumn<bool>("anySystem"); // the status and message alike on every system
    QTest::newRow("not registered") << QByteArray() << vk::REGDB_E_CLASSNOTREG_
                                    << u"Class not registered"_s + kClassIdSuffix << true;
    QTest::newRow("module missing") << QByteArray("InprocServer=/opt/talvo/missing/libcore2.so\n")
                                    << vk::CO_E_DLLNOTFOUND_ << u"/opt/talvo/missing/libcore2.so"_s << false;
    QTest::newRow("module without factory") << QByteArray("InprocServer=" VK_TEST_NOEXPORT "\n")
                                            << vk::CO_E_ERRORINDLL_ << u"DllGetClassObject"_s << false;
}

void tst_tcore2::notInstalled() {
    QFETCH(QByteArray, registration);
    QFETCH(int, status);
    QFETCH(QString, message);
    QFETCH(bool, anySystem);
    if (!registration.isEmpty())
        m_reg.write(talvo::CLSID_Core2, registration);
    vk::setErrorInfo(u"left over from an earlier call");
#ifdef _WIN32
    // The system's runtime fails these creations with statuses and texts of its own (Wine's
    // differ from Windows'); the text still names the class.
    const bool exact = anySystem;
#else
    Q_UNUSED(anySystem);
    const bool exact = true;
#endif

    talvo::TCore2 core;
    int errors = 0;
    try {
        (void)core.Catalog();
    } catch (const vk::ComError& e) {
        ++errors;
        const QString text = QString::fromUtf8(e.what());
        QVERIFY(vk::failed(e.code()));
        if (exact)
            QCOMPARE(e.code(), status);
        QVERIFY2(text.endsWith(kClassIdSuffix), qPrintable(text));
        if (exact)
            QVERIFY2(text.contains(message), qPrintable(text));
        QVERIFY2(!text.contains(u"left over"_s), qPrintable(text));
    }
    QCOMPARE(errors, 1);
    QVERIFY(!core.isConnected());
}

void tst_tcore2::refusedCore() {
    fake::Counts c;
    auto* refusing = new fake::Core(&c);
    refusing->refuseOwn = true;
    {
        Running running(refusing);
        refusing->AddRef(); // keep it to look at after the guard let go of it
        talvo::TCore2 core;
        try {
            (void)core.DefaultInterface();
            QFAIL("no error raised");
        } catch (const vk::ComError& e) {
            QCOMPARE(e.code(), vk::E_NOINTERFACE_);
            QCOMPARE(QString::fromUtf8(e.what()), u"Interface not supported"_s);
        }
        QVERIFY(!core.isConnected());
        QCOMPARE(refusing->catalogCalls, 0);
    }
    QCOMPARE(refusing->refs(), 1u); // the object asked for ICore was released
    refusing->Release();
    QVERIFY(c.destroyed);
}

void tst_tcore2::failingCatalog_data() {
    QTest::addColumn<QString>("description");
    QTest::addColumn<QString>("message");
    QTest::newRow("server's description")
        << u"Catalogue store \u00abmain\u00bb is locked"_s << u"Catalogue store \u00abmain\u00bb is locked"_s;
#ifdef _WIN32
    QTest::newRow("status text") << QString() << QString::fromStdString(vk::statusText(vk::E_FAIL_));
#else
    QTest::newRow("status text") << QString() << u"Unspecified error"_s;
#endif
}

void tst_tcore2::failingCatalog() {
    QFETCH(QString, description);
    QFETCH(QString, message);
    Running running(new fake::Core);
    running.core()->catalogStatus = vk::E_FAIL_;
    running.core()->catalogError = description.toStdU16String();
    talvo::TCore2 core;
    try {
        (void)core.Catalog();
        QFAIL("no error raised");
    } catch (const vk::ComError& e) {
        QCOMPARE(e.code(), vk::E_FAIL_);
        QCOMPARE(QString::fromUtf8(e.what()), message);
    }
    // The connection itself stands; the next call asks again.
    QVERIFY(core.isConnected());
    running.core()->catalogStatus = vk::S_OK_;
    QVERIFY(core.Catalog());
    QCOMPARE(running.core()->catalogCalls, 2);
}

QTEST_APPLESS_MAIN(tst_tcore2)
#include "tst_tcore2.moc"
