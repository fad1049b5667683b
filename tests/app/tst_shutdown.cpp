// The program's end with the platform's server module loaded through its class registration, as
// the tool meets it: every platform reference must be gone before the apartment ends, or the
// runtime reports the module that still has live objects.
#include "app/Program.h"
#include "app/SkinManager.h"
#include "app/TSplash.h"
#include "app/Tmainfrm.h"
#include "inspect/frm_details.h"
#include "platform/vkcom.h"
#include "tests/support/SimRegistration.h"
#include "ui/Dialogs.h"

#include <QComboBox>
#include <QPointer>
#include <QTableView>
#include <QtTest>

using namespace Qt::StringLiterals;

class TestShutdown : public QObject {
    Q_OBJECT

    // Opens the demo library with a full product and double-clicks the grid's first row.
    static void openDetails(Tmainfrm& w) {
        QComboBox* libraries = w.cmbLibraries();
        const int meridian = libraries->findText(u"Meridian Professional - MeridianPro"_s);
        QVERIFY(meridian >= 0);
        libraries->setCurrentIndex(meridian);
        emit libraries->activated(meridian);
        QTableView* grid = w.DBGrid1();
        QVERIFY(grid->model() && grid->model()->rowCount() > 0);
        const QRect firstRow = grid->visualRect(grid->model()->index(0, 1));
        // A double click as the user makes it: a click, then the second press.
        QTest::mouseClick(grid->viewport(), Qt::LeftButton, {}, firstRow.center());
        QTest::mouseDClick(grid->viewport(), Qt::LeftButton, {}, firstRow.center());
        QCOMPARE(inspect::Tfrm_details_::all().size(), 1);
        QVERIFY(inspect::SelectedParameter.Detail);
    }

private slots:
    void initTestCase() {
        SkinManager::suppressAnimations(true);
        Tmainfrm::setSlidePause(0);
        dialogs::testing::enable();
    }

    void doubleClickThenShutDown_data() {
        QTest::addColumn<bool>("wholeEnd");
        QTest::addColumn<int>("faults");
        QTest::newRow("the program's end") << true << 0;
        QTest::newRow("details kept past the apartment") << false << 1;
    }
    void doubleClickThenShutDown() {
        QFETCH(bool, wholeEnd);
        QFETCH(int, faults);
        simtest::ModuleRegistration registration;
        vk::takeApartmentFaults();
        QCOMPARE(vk::coInitialize(), vk::S_OK_);

        QPointer<Tmainfrm> w = new Tmainfrm;
        w->show();
        openDetails(*w);
        QVERIFY(w->currentLibrary() && w->currentProduct());

        // Closing frees the main window, as the user ends the program.
        w->close();
        QTRY_VERIFY(w.isNull());
        if (wholeEnd) {
            vk::endProgram();
            QVERIFY(inspect::Tfrm_details_::all().isEmpty());
            QVERIFY(!inspect::SelectedParameter.Detail);
            QVERIFY(!Splash);
        } else {
            delete Splash;
            Splash = nullptr;
        }
        vk::coUninitialize();

        const std::vector<std::string> reported = vk::takeApartmentFaults();
        QCOMPARE(int(reported.size()), faults);
        for (const std::string& fault : reported)
            QVERIFY2(QString::fromStdString(fault).contains(u"talvosim"_s), fault.c_str());
        // None left, or (-1) the system has unloaded the module with the apartment.
        if (wholeEnd)
            QVERIFY(sim::moduleLiveObjects() <= 0);

            // The late release a breach leads to. Safe only where modules are never unloaded.
#ifdef _WIN32
        static_cast<void>(inspect::SelectedParameter.Detail.detach());
#endif
        inspect::freeDetailsWindows();
    }
};

QTEST_MAIN(TestShutdown)
#include "tst_shutdown.moc"
