// Between the simulator library and the server module built from it (not for other users).
#pragma once

#include "SimPlatform.h"

namespace sim::detail {
// Set by the server module when this library is linked into it.
extern std::shared_ptr<Platform> (*g_ownModulePlatform)();
extern int64_t (*g_ownModuleLiveObjects)();
} // namespace sim::detail
