// The tool's own start-up (the executable's very code), run by tests/desktop/run-first-click
// inside a real X server under a window manager. It adds one thing: on standard output, a line
// whenever Button2's caption or place on the screen changes, since neither can be read from
// outside. Everything else the script measures and does from outside: the window's outer size
// from the X server, the boxes and the click through real X input.
#include "app/Program.h"
#include "app/Tmainfrm.h"

#include <QApplication>
#include <QPushButton>
#include <QTimer>

#include <cstdio>

int main(int argc, char** argv) {
    QApplication app(argc, argv);
    QString last;
    QTimer probe;
    probe.setInterval(20);
    QObject::connect(&probe, &QTimer::timeout, &app, [&last] {
        if (!mainfrm || !mainfrm->isVisible())
            return;
        const QPushButton* button = mainfrm->Button2();
        const QPoint at = button->mapToGlobal(QPoint(0, 0));
        const QString line = QStringLiteral("Button2 x=%1 y=%2 w=%3 h=%4 outer=%5 caption=%6")
                                 .arg(at.x())
                                 .arg(at.y())
                                 .arg(button->width())
                                 .arg(button->height())
                                 .arg(mainfrm->outerWidth())
                                 .arg(button->text());
        if (line == last)
            return;
        last = line;
        std::printf("%s\n", line.toUtf8().constData());
        std::fflush(stdout);
    });
    probe.start();
    return vk::runProgram(app);
}
