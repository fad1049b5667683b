// Asks the test server module how many objects it has made, without loading it.
#pragma once

#include "Fakes.h"

#include <dlfcn.h>

// How many objects the test server module has made; 0 while it is not loaded.
inline int serverCreated()
{
    void* handle = dlopen(VK_TEST_SERVER, RTLD_NOW | RTLD_NOLOAD);
    if (!handle) return 0;
    auto fn = reinterpret_cast<fake::CreatedCountFn>(dlsym(handle, "vkcomTestServerCreated"));
    const int n = fn ? fn() : -1;
    dlclose(handle); // only drops the reference taken by RTLD_NOLOAD
    return n;
}
