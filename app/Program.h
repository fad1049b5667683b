// The program from its application object on: title, main window, message loop, end. The
// executable's entry calls it; so does the desktop check, to run the very same start-up.
#pragma once

class QApplication;

namespace vk {

int runProgram(QApplication& app);

} // namespace vk
