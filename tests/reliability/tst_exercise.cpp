// A seeded random exercise of the real main window: library and product picks, unlocks with the
// right and wrong password and Cancel, title clicks, double clicks, slide clicks (also during a
// slide and inside boxes), skin cycles, frame drags, details windows opened and closed, clipboard
// clicks, with random platform faults. Invariants are checked after every step.
//
// VESKOR_SEED replays a run; VESKOR_EXERCISE_STEPS sets its length (3,000 by default).
#include "Harness.h"

#include "inspect/EffectLabel.h"
#include "inspect/ParameterGrid.h"
#include "platform/TCore2.h"

#include <QPushButton>
#include <QRandomGenerator>
#include <QtTest>

using namespace rel;

namespace {

class TestExercise : public QObject {
    Q_OBJECT

private slots:
    void initTestCase() { initProgram(); }

    void exercise() {
        const quint32 seed = qEnvironmentVariableIsSet("VESKOR_SEED")
                                 ? qgetenv("VESKOR_SEED").toUInt()
                                 : QRandomGenerator::global()->generate();
        const int steps = qEnvironmentVariableIsSet("VESKOR_EXERCISE_STEPS")
                              ? qEnvironmentVariableIntValue("VESKOR_EXERCISE_STEPS")
                              : 3000;
        qInfo("EXERCISE\tseed %u (VESKOR_SEED=%u replays)\tsteps %d", seed, seed, steps);
        QRandomGenerator rng(seed);

        // The splash, made by a first window, stays for the program.
        Tmainfrm::setCoreFactory([]() -> std::unique_ptr<talvo::TCore2> { return nullptr; });
        delete new Tmainfrm;
        Tmainfrm::setCoreFactory(nullptr);
        std::set<QWidget*> expected;
        for (QWidget* w : QApplication::topLevelWidgets())
            expected.insert(w);
        dialogs::testing::clear();

        const int64_t live0 = sim::Platform::liveObjects();
        int faults = 0, boxes = 0, checked = 0;
        {
            simtest::RunningPlatform platform(fixture());
            platform->setCallLog(false);
            auto* w = new Tmainfrm;
            w->show();

            // Boxes may come up inside a slide; some of them click the slide button again.
            int nestedClicks = 0;
            dialogs::testing::setOnShown([&](const dialogs::testing::Shown&) {
                ++boxes;
                if (nestedClicks < 3 && rng.bounded(4) == 0) {
                    ++nestedClicks;
                    w->Button2()->click();
                    --nestedClicks;
                }
            });
            int inSlide = 0;
            w->setSlideObserver([&](int, int) {
                if (inSlide < 2 && rng.bounded(40) == 0) {
                    ++inSlide;
                    switch (rng.bounded(3)) {
                    case 0:
                        w->Button2()->click();
                        break;
                    case 1:
                        w->setOuterWidth(int(rng.bounded(500, 1000)));
                        break;
                    case 2:
                        if (w->cmbProducts()->count()) {
                            const int i = int(rng.bounded(w->cmbProducts()->count()));
                            w->cmbProducts()->setCurrentIndex(i);
                            emit w->cmbProducts()->activated(i);
                        }
                        break;
                    }
                    --inSlide;
                }
            });

            for (int step = 0; step < steps; ++step) {
                bool faulted = false;
                if (rng.bounded(6) == 0) {
                    sim::FaultRule r;
                    r.op = "*";
                    r.after = rng.bounded(40);
                    r.times = 1;
                    r.status = rng.bounded(2) ? vk::E_FAIL_ : vk::S_OK_;
                    r.description = u"random fault";
                    platform->addFault(r);
                    faulted = true;
                    ++faults;
                }
                const int action = int(rng.bounded(12));
                switch (action) {
                case 0:
                case 1: {
                    const int n = w->cmbLibraries()->count();
                    if (!n)
                        break;
                    const int i = int(rng.bounded(n));
                    switch (rng.bounded(3)) {
                    case 0:
                        dialogs::testing::queueInput(u"sesame"_s);
                        break;
                    case 1:
                        dialogs::testing::queueInput(u"wrong"_s);
                        break;
                    default:
                        dialogs::testing::queueInput(std::nullopt);
                        break;
                    }
                    w->cmbLibraries()->setCurrentIndex(i);
                    emit w->cmbLibraries()->activated(i);
                    break;
                }
                case 2:
                case 3: {
                    const int n = w->cmbProducts()->count();
                    if (!n)
                        break;
                    const int i = int(rng.bounded(n));
                    w->cmbProducts()->setCurrentIndex(i);
                    emit w->cmbProducts()->activated(i);
                    break;
                }
                case 4:
                    if (w->grid())
                        w->grid()->DBGrid1TitleClick(int(rng.bounded(3)));
                    break;
                case 5:
                    if (w->cds_() && w->cds_()->rowCount()) {
                        const int row = int(rng.bounded(w->cds_()->rowCount()));
                        w->cds_()->setRecNo(row);
                        emit w->DBGrid1()->doubleClicked(w->DBGrid1()->model()->index(row, 0));
                    }
                    break;
                case 6:
                    w->Button2()->click();
                    break;
                case 7:
                    w->Image1DblClick();
                    break;
                case 8: {
                    // A frame drag: any size, the limits keep the rest.
                    w->setOuterHeight(int(rng.bounded(200, 900)));
                    w->setOuterWidth(int(rng.bounded(200, 1200)));
                    break;
                }
                case 9:
                    if (!inspect::Tfrm_details_::all().isEmpty()) {
                        const auto& all = inspect::Tfrm_details_::all();
                        inspect::Tfrm_details_* d = all[int(rng.bounded(all.size()))];
                        if (rng.bounded(2))
                            d->close();
                        else
                            d->show();
                    }
                    break;
                case 10:
                    if (inspect::frm_details_)
                        inspect::frm_details_->lbl_mapDblClick();
                    break;
                case 11:
                    if (inspect::frm_details_)
                        inspect::frm_details_->lbl_detailsClick();
                    break;
                }
                QCoreApplication::processEvents();
                platform->clearFaults();

                // Invariants.
                QVERIFY2(
                    w->outerWidth() >= Tmainfrm::ClosedWidth && w->outerHeight() >= Tmainfrm::LeastHeight,
                    qPrintable(
                        u"step %1: window %2 x %3"_s.arg(step).arg(w->outerWidth()).arg(w->outerHeight())));
                if (!faulted && w->cds_() && (action == 2 || action == 3) && w->currentProduct()) {
                    // A fault-free product pick: the text's lines and the table's rows describe the same
                    // parameters.
                    const QStringList lines = textOf(w, "lstParameters").split(u'\n', Qt::SkipEmptyParts);
                    QCOMPARE(lines.size(), w->cds_()->rowCount());
                    QStringList fromRows, fromText;
                    for (int r = 0; r < w->cds_()->rowCount(); ++r) {
                        const auto& row = w->cds_()->row(r);
                        fromRows << u"%1, %2, %3"_s.arg(row.AsListed).arg(row.ParamName).arg(row.IntParamId);
                    }
                    fromText = lines;
                    fromRows.sort();
                    fromText.sort();
                    QVERIFY2(fromRows == fromText, qPrintable(u"step %1, seed %2"_s.arg(step).arg(seed)));
                    ++checked;
                }
                for (QWidget* top : QApplication::topLevelWidgets())
                    QVERIFY2(!(qobject_cast<QDialog*>(top) && top->isVisible()), "a box is left open");
            }
            dialogs::testing::setOnShown(nullptr);
            w->setSlideObserver(nullptr);
            delete w;
            endProgramState();
        }
        QCOMPARE(sim::Platform::liveObjects(), live0);
        QCOMPARE(strayWindows(expected), QString());
        qInfo("EXERCISE\tsteps %d\tfaults injected %d\tboxes answered %d\tproduct views checked %d", steps,
              faults, boxes, checked);
    }
};

} // namespace

QTEST_MAIN(TestExercise)
#include "tst_exercise.moc"
