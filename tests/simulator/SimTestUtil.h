// Small helpers shared by the simulator's tests.
#pragma once

#include "platform/Call.h"
#include "simulator/SimPlatform.h"

#include <QString>

#include <string>

inline QString q(const std::string& s) {
    return QString::fromStdString(s);
}
inline QString q(const std::u16string& s) {
    return QString::fromStdU16String(s);
}

// The error information left by the last failing call, or "(none)".
inline QString takenError() {
    std::u16string d;
    return vk::takeErrorInfo(d) ? q(d) : QStringLiteral("(none)");
}

inline vk::VariantHolder at(int32_t i) {
    return vk::VariantHolder::fromInt(i);
}
inline vk::VariantHolder named(const std::u16string& s) {
    return vk::VariantHolder::fromString(s);
}

// A small catalogue with one of each kind of entry.
inline sim::CatalogSpec fixtureCatalog() {
    using namespace sim;
    DetailSpec list{1, -2, 2, 0, u"dB", 0.5, 1.0, {}};
    DetailSpec texts{3, 10, 13, 11, u" Hz", 1.0, 0.0, {u"Off", u"Low", u"High"}};

    ProductSpec p0;
    p0.name = u"P0";
    p0.mapName = u"P0.map";
    p0.platform = u"GC5020";
    p0.hybrid5020 = 2;
    p0.limits = LimitsSpec{118.5, 40.0, 4};
    p0.intParameters = {{u"Gain", 1, list}, {u"Plain", -3, std::nullopt}, {u"Mode", 1, texts}};
    p0.extParameters = {{u"Ext", 200, std::nullopt}};

    ProductSpec p1;
    p1.name = u"P1";
    p1.mapName = u"P1.map";
    p1.platform = u"GC5055";
    p1.hybridId = 3;
    p1.sampleRateCode = 1;

    LibrarySpec alpha{u"Alpha Library", u"1.2", 3, 11, std::nullopt, {p0, p1}};
    LibrarySpec locked{u"Locked Library", u"9", 4, 0, u"secret", {p1}};

    EntrySpec e0{u"Alpha", u"Alpha Caption", alpha, {}, false};
    EntrySpec e1{u"Locked", u"Locked Caption", locked, {}, false};
    EntrySpec e2{u"Broken", u"Broken Caption", std::nullopt, u"cannot open Broken", false};
    EntrySpec e3{u"Null", u"Null Caption", std::nullopt, {}, true};
    return CatalogSpec{{e0, e1, e2, e3}, {}};
}
