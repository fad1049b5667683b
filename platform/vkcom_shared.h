// What both runtime backends have in common, for their sources only (not part of the interface).
#pragma once

#include "vkcom.h"

#include <string>

namespace vk::detail {

// Our own text for a status: the same wording on every system, so a status reads alike wherever
// the system has no message of its own for it. Codes we have no text for are named in hex.
std::string ownStatusText(HResult h);

// Asks a loaded server module whether it can unload, through its DllCanUnloadNow (a module
// without one is never asked); one that answers no is reported as an apartment fault.
void checkModuleCanUnload(const std::string& module, HResult(VK_CALL* canUnloadNow)());

} // namespace vk::detail
