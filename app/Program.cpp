#include "Program.h"

#include "Dialogs.h"
#include "TSplash.h"
#include "Tmainfrm.h"
#include "vkcom.h"

#include <QApplication>

namespace vk {

int runProgram(QApplication& app)
{
    // The platform connection expects the component runtime ready on this thread.
    const vk::HResult initialised = vk::coInitialize();
    QApplication::setApplicationName(dialogs::appTitle());

    auto* window = new Tmainfrm;
    // Closing the main window ends the program, whatever other windows are still open.
    QObject::connect(window, &QObject::destroyed, &app, &QCoreApplication::quit);
    window->show();
    const int result = QApplication::exec();

    delete mainfrm;
    delete Splash;
    Splash = nullptr;
    if (vk::succeeded(initialised)) vk::coUninitialize();
    return result;
}

} // namespace vk
