// The program from its application object on: title, main window, message loop, end. The
// executable's entry calls it; so does the desktop check, to run the very same start-up.
#pragma once

class QApplication;

namespace vk {

int runProgram(QApplication& app);

// The program's end, in the order the platform needs: frees the main window (the current library
// and product, the parameter table and the connection), the details windows with the last
// hand-over, and the splash window. When it returns nothing refers to a platform object any
// more, so the apartment can end.
void endProgram();

} // namespace vk
