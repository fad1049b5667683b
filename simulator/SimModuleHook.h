// Between the simulator library and the server module built from it (not for other users).
#pragma once

#include "SimPlatform.h"

namespace sim::detail {
// Set by the server module when this library is linked into it. One pair per image: the
// simulator's symbols stay inside each image that links it.
inline std::shared_ptr<Platform> (*g_ownModulePlatform)() = nullptr;
inline int64_t (*g_ownModuleLiveObjects)() = nullptr;
} // namespace sim::detail
