// Saves pictures of the splash window and the main window in each skin, for the documentation.
//   QT_QPA_PLATFORM=offscreen <build>/tools/vk_screenshots <folder>
#include "Dialogs.h"
#include "SkinManager.h"
#include "TSplash.h"
#include "Tmainfrm.h"
#include "vkcom.h"

#include <QApplication>
#include <QComboBox>
#include <QDir>
#include <QLineEdit>
#include <QPlainTextEdit>
#include <QProgressBar>
#include <QStandardItemModel>
#include <QTableView>
#include <QHeaderView>

int main(int argc, char** argv)
{
    QApplication app(argc, argv);
    vk::coInitialize();
    const QString folder = argc > 1 ? QString::fromLocal8Bit(argv[1]) : QStringLiteral(".");
    QDir().mkpath(folder);
    dialogs::testing::enable();
    SkinManager::suppressAnimations(true);
    Tmainfrm::setSlidePause(0);

    auto* w = new Tmainfrm;
    w->show();
    w->cmbLibraries()->addItem(QStringLiteral("Demo Library - DEMO"));
    w->cmbProducts()->addItem(QStringLiteral("0 - Demo Product A"));
    w->findChild<QLineEdit*>(QStringLiteral("ed_manid"))->setText(QStringLiteral("1"));
    w->findChild<QLineEdit*>(QStringLiteral("ed_libid"))->setText(QStringLiteral("42"));
    w->findChild<QLineEdit*>(QStringLiteral("ed_"))->setText(QStringLiteral("DEMO"));
    w->memo2()->setPlainText(QStringLiteral("Volume Control\nProgram Name\nMicrophone Mode\nNoise Reduction"));
    QString csv;
    auto* model = new QStandardItemModel(0, 3, w);
    model->setHorizontalHeaderLabels({QStringLiteral("AsListed"), QStringLiteral("Param Name"), QStringLiteral("IntParamId")});
    for (int i = 0; i < 40; ++i) {
        const QString name = QStringLiteral("Parameter_%1").arg(i, 3, 10, QLatin1Char('0'));
        csv += QStringLiteral("%1,%2,%3\n").arg(i).arg(name).arg(100 + i * 3);
        model->appendRow({new QStandardItem(QString::number(i)), new QStandardItem(name),
                          new QStandardItem(QString::number(100 + i * 3))});
    }
    w->DBGrid1()->setModel(model);
    w->DBGrid1()->verticalHeader()->hide();
    w->DBGrid1()->setColumnWidth(0, 50);
    w->DBGrid1()->setColumnWidth(1, 142);
    w->DBGrid1()->setColumnWidth(2, 60);
    w->lstParameters()->setPlainText(csv);
    QApplication::processEvents();
    w->grab().save(folder + QStringLiteral("/mainwindow-closed.png"));
    w->Button2Click(); // open, so the text shows too

    // The skins as the user meets them: the start skin, then two double clicks on the picture.
    const char* names[] = {"pulsar", "wlm", "steam"};
    for (int i = 0; i < 3; ++i) {
        if (i > 0) w->Image1DblClick();
        QApplication::processEvents();
        w->grab().save(folder + QStringLiteral("/mainwindow-%1.png").arg(QLatin1String(names[i])));
        Splash->setProgress(40);
        Splash->grab().save(folder + QStringLiteral("/splash-%1.png").arg(QLatin1String(names[i])));
    }
    delete w;
    return 0;
}
