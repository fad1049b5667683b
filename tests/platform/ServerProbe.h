// Asks the test server module how many objects it has made, without loading it.
#pragma once

#include "Fakes.h"
#include "tests/support/SystemAccess.h"

// How many objects the test server module has made; 0 while it is not loaded.
inline int serverCreated() {
    const simtest::Module server(VK_TEST_SERVER, simtest::Module::Mode::IfLoaded);
    if (!server)
        return 0;
    const auto fn = server.symbol<fake::CreatedCountFn>("vkcomTestServerCreated");
    return fn ? fn() : -1;
}
