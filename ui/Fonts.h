// Stand-ins for the fonts the window layout names, chosen from what Linux desktops carry; the
// pixel heights stay as laid out.
#pragma once

#include <QFont>

namespace vk::fonts {

// The dialog font of the layout.
QFont sansSerif(int pixelHeight);
// The plain sans font of the figures and the link; condensed where a large text has little room.
QFont arial(int pixelHeight, bool condensed = false);
// The informal heading font.
QFont comic(int pixelHeight);
// The form font of the grid and the details window: 8 points, 11 pixels high.
QFont form();

} // namespace vk::fonts
