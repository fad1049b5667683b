#include "Program.h"

#include "TSplash.h"
#include "Tmainfrm.h"
#include "inspect/frm_details.h"
#include "platform/vkcom.h"
#include "ui/Dialogs.h"

#include <QApplication>

namespace vk {

int runProgram(QApplication& app) {
    // The platform connection expects the component runtime ready on this thread.
    const vk::HResult initialised = vk::coInitialize();
    QApplication::setApplicationName(dialogs::appTitle());

    auto* window = new Tmainfrm;
    // Closing the main window ends the program, whatever other windows are still open.
    QObject::connect(window, &QObject::destroyed, &app, &QCoreApplication::quit);
    window->show();
    const int result = QApplication::exec();

    // Every platform reference goes before the apartment ends: the system unloads an in-process
    // server's module then, and a later release would call into code that is gone.
    endProgram();
    if (vk::succeeded(initialised))
        vk::coUninitialize();
    return result;
}

void endProgram() {
    // Closing the main window already freed it, unless the loop ended some other way.
    delete mainfrm;
    inspect::freeDetailsWindows();
    delete Splash;
    Splash = nullptr;
}

} // namespace vk
