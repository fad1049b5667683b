// A small catalogue for main-window tests that need something to show: one library of one
// product with a data parameter and a text-list parameter, and two external parameters.
#pragma once

#include "simulator/SimPlatform.h"
#include "tests/support/SimFixtures.h"

namespace apptest {

inline sim::CatalogSpec smallCatalogue() {
    sim::ProductSpec p;
    p.name = u"P-1";
    p.mapName = u"MAP_P1";
    p.platform = u"GC5055";
    p.hybridId = 3;
    p.sampleRateCode = 1;
    p.limits = sim::LimitsSpec{120.5, 40, 8};
    sim::DetailSpec mode = simtest::detail(3, 0, 1, 1);
    mode.texts = {u"Off", u"On"};
    p.intParameters = {{u"Volume", 3, simtest::detail(2, 0, 10, 5, u"dB")}, {u"Mode", 4, mode}};
    p.extParameters = {{u"Ext A", 0, std::nullopt}, {u"Ext B", 1, std::nullopt}};
    return simtest::oneLibraryCatalog({u"demo", u"Demo", u"Demo Library", u"1.0"}, {p});
}

} // namespace apptest
