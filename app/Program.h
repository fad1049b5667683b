// The program's end, in the order the platform needs.
#pragma once

// Frees what the program holds to the end: the main window (the current library and product, the
// parameter table and the connection), the details windows with the last hand-over, and the splash
// window. When it returns nothing refers to a platform object any more, so the apartment can end.
void endProgram();
