// What both runtime backends have in common, for their sources only (not part of the interface).
#pragma once

#include "vkcom.h"

#include <string>

namespace vk::detail {

// Our own text for a status: the same wording on every system, so a status reads alike wherever
// the system has no message of its own for it. Codes we have no text for are named in hex.
std::string ownStatusText(HResult h);

} // namespace vk::detail
