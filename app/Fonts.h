// Stand-ins for the fonts the window layout names, chosen from what Linux desktops carry; the
// pixel heights stay as laid out.
#pragma once

#include <QFont>

namespace vk::fonts {

// The dialog font of the layout.
QFont sansSerif(int pixelHeight);
// The narrow sans font used for the figures and the link.
QFont arial(int pixelHeight);
// The informal heading font.
QFont comic(int pixelHeight);

} // namespace vk::fonts
