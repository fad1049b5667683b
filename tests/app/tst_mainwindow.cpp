// The main window frame: start-up, the sliding panel, size limits, skins, closing. Runs with no
// platform registered, so every start-up meets a connection failure.
#include "Dialogs.h"
#include "SkinManager.h"
#include "TCore2.h"
#include "TSplash.h"
#include "Tmainfrm.h"
#include "vkcom.h"

#include <QComboBox>
#include <QLineEdit>
#include <QLabel>
#include <QPlainTextEdit>
#include <QPointer>
#include <QPushButton>
#include <QTableView>
#include <QTimer>
#include <QtTest>

using namespace Qt::StringLiterals;

using Widths = QList<int>;

class TestMainWindow : public QObject {
    Q_OBJECT

    std::unique_ptr<Tmainfrm> m_w;

    Tmainfrm* open()
    {
        m_w = std::make_unique<Tmainfrm>();
        m_w->show();
        return m_w.get();
    }
    QString button() const { return m_w->Button2()->text(); }
    // Runs one click and returns its steps (positive: wider).
    Widths clickSteps()
    {
        Widths steps;
        m_w->setSlideObserver([&](int from, int to) { steps << to - from; });
        m_w->Button2()->click();
        m_w->setSlideObserver(nullptr);
        return steps;
    }

private slots:
    void initTestCase()
    {
        vk::coInitialize();
        SkinManager::suppressAnimations(true);
        Tmainfrm::setSlidePause(0);
    }
    void init() { dialogs::testing::enable(); }
    void cleanup()
    {
        m_w.reset();
        Tmainfrm::setCoreFactory(nullptr);
        dialogs::testing::disable();
    }

    // No platform: the first catalogue request fails while the splash is up; the window still
    // opens, closed to 625 with an empty library list, and the splash goes away.
    void startUpWithoutPlatform()
    {
        bool splashUpAtError = false;
        dialogs::testing::setOnShown([&](const dialogs::testing::Shown&) {
            splashUpAtError = Splash && Splash->isVisible();
        });
        open();
        const auto& shown = dialogs::testing::shown();
        QCOMPARE(shown.size(), size_t(1));
        QCOMPARE(shown[0].kind, dialogs::testing::Shown::Error);
        QVERIFY2(shown[0].text.contains(u", ClassID: {4689781D-6EFD-41BC-950B-E6983890FA5C}"_s), qPrintable(shown[0].text));
        QVERIFY(splashUpAtError);
        QVERIFY(m_w->core());
        QVERIFY(!m_w->core()->isConnected());

        QVERIFY(m_w->isVisible());
        QVERIFY(!Splash->isVisible());
        QCOMPARE(m_w->cmbLibraries()->count(), 0);
        QCOMPARE(m_w->outerWidth(), Tmainfrm::ClosedWidth);
        QCOMPARE(button(), Tmainfrm::ShowCaption);
        QCOMPARE(m_w->windowTitle(), Tmainfrm::DesignCaption + u" Vers: "_s + QStringLiteral(VK_PROJECT_VERSION));
        QVERIFY(m_w->windowTitle().startsWith(u"Int&Ext Parameters for Mirel Product Libraries ::  Vers: "_s));

        // StartingUp holds until the resizer's one tick.
        QVERIFY(m_w->StartingUp());
        QVERIFY(m_w->resizer()->isActive());
        QTRY_VERIFY_WITH_TIMEOUT(!m_w->StartingUp(), 5000);
        QVERIFY(!m_w->resizer()->isActive());
    }

    void connectionComponentNotMade()
    {
        Tmainfrm::setCoreFactory([]() -> std::unique_ptr<talvo::TCore2> { throw std::runtime_error("no memory"); });
        open();
        QCOMPARE(dialogs::testing::texts(), std::vector<QString>{u"Fatal Error in creating Talvo or Programmer."_s});
        QCOMPARE(dialogs::testing::shown()[0].kind, dialogs::testing::Shown::Message);
        QVERIFY(!m_w->core());
        QCOMPARE(m_w->cmbLibraries()->count(), 0);
        QVERIFY(!Splash->isVisible());
    }

    void slide_data()
    {
        QTest::addColumn<int>("start");
        QTest::addColumn<Widths>("steps");
        QTest::addColumn<int>("end");
        QTest::addColumn<QString>("caption");
        const Widths full{71, 53, 40, 30, 22, 17, 13, 9, 7, 5, 4, 3, 2, 2, 1, 1, 1, 1, 1, 1, 1};
        Widths closing;
        for (int s : full) closing << -s;
        QTest::newRow("open from 625") << 625 << full << 910 << Tmainfrm::HideCaption;
        QTest::newRow("close from 910") << 910 << closing << 625 << Tmainfrm::ShowCaption;
        QTest::newRow("close from 850") << 850
                                        << Widths{-56, -42, -31, -24, -18, -13, -10, -7, -6, -4, -3, -2, -2,
                                                  -1, -1, -1, -1, -1, -1, -1}
                                        << 625 << Tmainfrm::ShowCaption;
        QTest::newRow("626 opens") << 626 << Widths{71, 53, 40, 30, 22, 17, 12, 9, 7, 5, 4, 3, 2, 2, 1, 1, 1, 1, 1, 1, 1}
                                   << 910 << Tmainfrm::HideCaption;
        QTest::newRow("627 closes") << 627 << Widths{-1, -1} << 625 << Tmainfrm::ShowCaption;
    }
    void slide()
    {
        QFETCH(int, start);
        QFETCH(Widths, steps);
        QFETCH(int, end);
        QFETCH(QString, caption);
        open();
        m_w->setOuterWidth(start);
        QCOMPARE(m_w->outerWidth(), start);
        const Widths taken = clickSteps();
        QCOMPARE(taken, steps);
        QCOMPARE(m_w->outerWidth(), end);
        QCOMPARE(button(), caption);
        QVERIFY(m_w->cursor().shape() != Qt::WaitCursor);
        // Only the right edge moves.
        QCOMPARE(m_w->lstParameters()->geometry().left(), 616);
    }

    // A second click during a slide runs a nested slide from where it finds the window; the outer
    // slide then finishes toward its own target and sets the caption last.
    void nestedSlide()
    {
        open();
        QCOMPARE(m_w->outerWidth(), 625);
        Widths widths;
        int calls = 0;
        m_w->setSlideObserver([&](int, int to) {
            widths << to;
            if (++calls == 3) QTimer::singleShot(0, m_w->Button2(), &QPushButton::click);
        });
        m_w->Button2()->click();
        QCOMPARE(m_w->outerWidth(), Tmainfrm::OpenWidth);
        QCOMPARE(button(), Tmainfrm::HideCaption);
        // Opening to 789, then the inner slide closes to 625, then the outer opens again.
        QCOMPARE(widths.mid(0, 4), (Widths{696, 749, 789, 748}));
        QVERIFY(widths.contains(625));
        QCOMPARE(widths.last(), 910);
    }

    void captionHysteresis_data()
    {
        QTest::addColumn<bool>("fromOpen");
        QTest::addColumn<int>("width");
        QTest::addColumn<QString>("caption");
        for (int w : {627, 628, 629}) {
            QTest::addRow("closed, %d", w) << false << w << Tmainfrm::ShowCaption;
            QTest::addRow("open, %d", w) << true << w << Tmainfrm::HideCaption;
        }
        QTest::newRow("open, 626") << true << 626 << Tmainfrm::ShowCaption;
        QTest::newRow("closed, 630") << false << 630 << Tmainfrm::HideCaption;
    }
    void captionHysteresis()
    {
        QFETCH(bool, fromOpen);
        QFETCH(int, width);
        QFETCH(QString, caption);
        open();
        m_w->setOuterWidth(fromOpen ? 910 : 625);
        QCOMPARE(button(), fromOpen ? Tmainfrm::HideCaption : Tmainfrm::ShowCaption);
        m_w->setOuterWidth(width);
        QCOMPARE(m_w->outerWidth(), width);
        QCOMPARE(button(), caption);
    }

    void sizeLimits_data()
    {
        QTest::addColumn<QSize>("asked");
        QTest::addColumn<QSize>("kept");
        QTest::newRow("too narrow") << QSize(400, 700) << QSize(625, 700);
        QTest::newRow("too low") << QSize(700, 300) << QSize(700, 550);
        QTest::newRow("both") << QSize(100, 100) << QSize(625, 550);
        QTest::newRow("at the limits") << QSize(625, 550) << QSize(625, 550);
        QTest::newRow("just above") << QSize(626, 551) << QSize(626, 551);
    }
    void sizeLimits()
    {
        QFETCH(QSize, asked);
        QFETCH(QSize, kept);
        open();
        m_w->setOuterHeight(asked.height());
        m_w->setOuterWidth(asked.width());
        QCOMPARE(QSize(m_w->outerWidth(), m_w->outerHeight()), kept);
        // Anchored controls follow the bottom edge.
        QCOMPARE(m_w->height() - m_w->Button2()->geometry().bottom(), 655 - (609 + 33) + 1);
    }

    void skinCycle()
    {
        open();
        SkinManager* skins = m_w->skinManager();
        QCOMPARE(skins->objectName(), u"sknmgr1"_s);
        QCOMPARE(skins->skinName(), u"Pulsar (internal)"_s);
        QCOMPARE(skins->hueOffset(), 0);
        QCOMPARE(skins->saturation(), 0);
        const QColor pulsarWindow = QApplication::palette().color(QPalette::Window);

        auto* image = m_w->findChild<QLabel*>(u"Image1"_s);
        QVERIFY(image);
        const struct {
            const char16_t* skin;
            int hue, saturation;
        } expected[] = {{u"WLM (internal)", 270, -35}, {u"Steam (internal)", 0, 0}, {u"Pulsar (internal)", 270, -35}};
        QSet<QRgb> windowColours{pulsarWindow.rgb()};
        for (const auto& e : expected) {
            QTest::mouseDClick(image, Qt::LeftButton);
            QCOMPARE(skins->skinName(), QString::fromUtf16(e.skin));
            QCOMPARE(skins->hueOffset(), e.hue);
            QCOMPARE(skins->saturation(), e.saturation);
            QVERIFY(skins->animated());
            windowColours << QApplication::palette().color(QPalette::Window).rgb();
        }
        // Every skin, and Pulsar shifted, looks different.
        QCOMPARE(windowColours.size(), 4);

        // A skin of another name is not cycled.
        skins->setSkinName(u"pulsar (internal)"_s);
        QCOMPARE(skins->skinName(), u"Pulsar (internal)"_s);
    }

    void layout()
    {
        open();
        QCOMPARE(m_w->objectName(), u"mainfrm"_s);
        QCOMPARE(m_w->findChild<QObject*>(u"sSkinProvider1"_s) != nullptr, true);
        QCOMPARE(m_w->cmbLibraries()->maxVisibleItems(), 50);
        QCOMPARE(m_w->cmbProducts()->maxVisibleItems(), 30);
        QVERIFY(!m_w->cmbLibraries()->isEditable());
        const QRect grid = m_w->DBGrid1()->geometry();
        QCOMPARE(grid.topLeft(), QPoint(324, 26));
        QCOMPARE(grid.width(), 276);
        m_w->setOuterHeight(m_w->outerHeight() + 100);
        QCOMPARE(m_w->DBGrid1()->height(), 573 + 100);
        QCOMPARE(m_w->findChild<QWidget*>(u"memo2"_s)->geometry(), QRect(8, 339, 305, 260));
        // Focus order as laid out.
        const char* order[] = {"lstParameters", "cmbLibraries", "cmbProducts", "DBGrid1", "ed_", "ed_libid",
                               "ed_manid", "tMaxGain", "tMaxOutput", "tHybrid", "Button2", "memo2"};
        QWidget* w = m_w->findChild<QWidget*>(QLatin1String(order[0]));
        for (size_t i = 1; i < std::size(order); ++i) {
            w = w->nextInFocusChain();
            while (w->focusPolicy() == Qt::NoFocus || w->objectName().isEmpty()) w = w->nextInFocusChain();
            QCOMPARE(w->objectName(), QLatin1String(order[i]));
        }
        // Read-only fields show the start of a text too long for them.
        for (const char* name : {"ed_", "tHybrid"}) {
            auto* edit = m_w->findChild<QLineEdit*>(QLatin1String(name));
            edit->setText(u"Quadra Research Library of the Evaluation Series"_s);
            QCOMPARE(edit->cursorPosition(), 0);
        }
    }

    void closingFrees()
    {
        QPointer<Tmainfrm> w = open();
        m_w.release();
        QCOMPARE(mainfrm, w.data());
        QVERIFY(w->close());
        QTRY_VERIFY(w.isNull());
        QCOMPARE(mainfrm, nullptr);
    }
};

QTEST_MAIN(TestMainWindow)
#include "tst_mainwindow.moc"
