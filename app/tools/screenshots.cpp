// Saves the documentation's pictures of the tool on the demo platform: the main window closed and
// open in each skin, the splash window in each skin, the grid, a details window, and the main
// window with a details window over it.
//   QT_QPA_PLATFORM=offscreen <build>/bin/vk_screenshots <folder>
// It lives beside the tool, so it finds the demo platform's registration there.
#include "app/SkinManager.h"
#include "app/TSplash.h"
#include "app/Tmainfrm.h"
#include "inspect/frm_details.h"
#include "platform/vkcom.h"
#include "ui/Dialogs.h"

#include <QAbstractItemModel>
#include <QApplication>
#include <QComboBox>
#include <QDir>
#include <QLabel>
#include <QPainter>
#include <QTableView>

namespace {

// The grid row of a parameter by name.
int rowNamed(QTableView* grid, const QString& name) {
    const QAbstractItemModel* m = grid->model();
    for (int r = 0; r < m->rowCount(); ++r)
        if (m->index(r, 1).data().toString() == name)
            return r;
    return 0;
}

} // namespace

int main(int argc, char** argv) {
    QApplication app(argc, argv);
    vk::coInitialize();
    QApplication::setApplicationName(dialogs::appTitle());
    const QString folder = argc > 1 ? QString::fromLocal8Bit(argv[1]) : QStringLiteral(".");
    QDir().mkpath(folder);
    auto save = [&folder](const QPixmap& picture, const QString& name) {
        picture.save(folder + u'/' + name + QStringLiteral(".png"));
    };
    // The start-up's reports of the demo catalogue are answered here rather than shown.
    dialogs::testing::enable();
    SkinManager::suppressAnimations(true);
    Tmainfrm::setSlidePause(0);

    auto* w = new Tmainfrm;
    w->show();
    QApplication::processEvents();
    save(w->grab(), QStringLiteral("mainwindow-closed"));
    QTableView* grid = w->DBGrid1();
    save(grid->grab(QRect(0, 0, grid->width(), 300)), QStringLiteral("grid"));

    w->Button2Click(); // open, so the text shows too
    QApplication::processEvents();

    // A details window on a parameter with a long list of values, alone and over the main window.
    const int row = rowNamed(grid, QStringLiteral("Band 1 Gain"));
    grid->selectRow(row);
    emit grid->doubleClicked(grid->model()->index(row, 1));
    if (inspect::Tfrm_details_* details = inspect::frm_details_) {
        QApplication::processEvents();
        const QPixmap detailsPicture = details->grab();
        save(detailsPicture, QStringLiteral("details"));
        const QPixmap main = w->grab();
        QPixmap both(main.size() + QSize(10, 10));
        const QColor edge(0x30, 0x30, 0x30);
        both.fill(edge);
        QPainter p(&both);
        p.drawPixmap(5, 5, main);
        const QPoint at =
            QPoint(5, 5) +
            QPoint(main.width() - detailsPicture.width(), main.height() - detailsPicture.height()) / 2;
        p.fillRect(QRect(at - QPoint(2, 2), detailsPicture.size() + QSize(4, 4)), edge);
        p.drawPixmap(at, detailsPicture);
        p.end();
        save(both, QStringLiteral("veskor-demo"));
        details->close();
    }

    // The skins as the user meets them: the start skin, then two double clicks on the picture.
    const char* names[] = {"pulsar", "wlm", "steam"};
    for (int i = 0; i < 3; ++i) {
        if (i > 0)
            w->Image1DblClick();
        QApplication::processEvents();
        save(w->grab(), QStringLiteral("mainwindow-%1").arg(QLatin1String(names[i])));
        Splash->setProgress(40);
        save(Splash->grab(),
             i == 0 ? QStringLiteral("splash") : QStringLiteral("splash-%1").arg(QLatin1String(names[i])));
    }
    delete w;
    delete Splash;
    Splash = nullptr;
    return 0;
}
