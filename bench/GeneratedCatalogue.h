// The start-up benchmark's large catalogue: libraries in no particular order, captions in mixed
// case, every identifier pair distinct and nothing locked or damaged, so start-up shows no box.
// Header-only; the floor program lists the same entries without any platform.
#pragma once

#include <cstdio>
#include <string>
#include <vector>

namespace startup {

struct GeneratedLibrary {
    std::string file;    // the library file's name; files are read in name order
    std::string name;    // the entry's Name
    std::string caption; // the entry's Caption
    int manufacturerId;
    int libraryId;

    // The library list's text for this entry (no identifier pair is shared, so no count prefix).
    std::string listText() const { return caption + " - " + name; }
};

inline std::vector<GeneratedLibrary> generatedLibraries(int n) {
    std::vector<GeneratedLibrary> out;
    out.reserve(size_t(n));
    unsigned state = 12345;
    for (int i = 0; i < n; ++i) {
        state = state * 1103515245u + 12345u;
        char name[32], file[32];
        std::snprintf(name, sizeof name, "Library %08X %d", state, i);
        std::snprintf(file, sizeof file, "lib%05d.json", i);
        out.push_back(
            {file, name, std::string(i % 2 ? "hearing " : "Fitting ") + name, 1 + i / 1000, 1 + i % 1000});
    }
    return out;
}

} // namespace startup
