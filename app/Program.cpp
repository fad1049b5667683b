#include "Program.h"

#include "TSplash.h"
#include "Tmainfrm.h"
#include "frm_details.h"

void endProgram()
{
    // Closing the main window already freed it, unless the loop ended some other way.
    delete mainfrm;
    inspect::freeDetailsWindows();
    delete Splash;
    Splash = nullptr;
}
