// The tool with a watch on its start-up, for the start-up benchmark. This program is the tool's own
// app/main.cpp, compiled unchanged beside this file: the same entry steps, the same main window and
// the same libraries. This file only adds what runs as the application object is made:
//  - the boxes of start-up (unopenable and duplicate libraries) are answered at once, as no one is
//    there to click them;
//  - the main window's first painting is reported (see StartupWatch.h), with whether its first
//    product is filled, and the window is then closed, which ends the program as a user's close would.
#include "StartupWatch.h"

#include "app/Tmainfrm.h"
#include "ui/Dialogs.h"

#include <QComboBox>
#include <QCoreApplication>

namespace {

void watchStartUp() {
    dialogs::testing::enable();
    auto* watch = new startup::FirstPaintWatch([] { return static_cast<QWidget*>(mainfrm); },
                                               [](QWidget*) {
                                                   if (!mainfrm->currentProduct())
                                                       return QStringLiteral("no product selected");
                                                   if (mainfrm->cmbProducts()->currentIndex() != 0)
                                                       return QStringLiteral("first product not current");
                                                   return QStringLiteral("ok");
                                               });
    watch->setParent(QCoreApplication::instance());
    QCoreApplication::instance()->installEventFilter(watch);
}

} // namespace

Q_COREAPP_STARTUP_FUNCTION(watchStartUp)
