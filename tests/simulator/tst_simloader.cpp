// Library files: a good file gives every value, a bad one a clear error and never a crash; a
// folder with a bad file still serves the rest; the demo catalogue loads as intended.
#include "SimTestUtil.h"
#include "tests/support/SimRegistration.h"

#include <QTest>

#include <filesystem>
#include <set>

using namespace talvo;

namespace {

const char* kGoodFile = R"({
  "comment": "every key",
  "name": "Gut", "caption": "Gut \u00e4 Caption",
  "library": {
    "name": "Gut Library", "version": "1.0-\u00df", "manufacturerId": -32768, "libraryId": 32767,
    "password": "pw",
    "products": [
      { "name": "A", "mapName": "A.map", "platform": "GC5020", "hybrid5020": 2,
        "limits": { "maxOutput": 118.5, "maxGain": 40, "channels": 4 },
        "intParameters": [
          { "name": "L", "paramId": -2147483648,
            "detail": { "kind": 3, "min": -1, "max": 1, "default": 1, "units": "dB", "scale": 0.25, "offset": -3,
                        "texts": ["Off", "On"] } },
          { "name": "N", "paramId": 2147483647 }
        ],
        "extParameters": [ { "name": "E", "paramId": 5, "detail": { "kind": 99, "min": 5, "max": 1, "default": 0 } } ] },
      { "name": "B", "mapName": "", "platform": "GC5055", "hybridId": 31, "sampleRateCode": 2 }
    ]
  },
  "faults": [
    { "op": "ILibrary.Products", "object": "Gut Library", "status": "0x8007000E", "description": "full",
      "after": 1, "times": 2 },
    { "op": "*", "status": 2147500037, "seq": 9 },
    { "op": "IProduct.Name", "status": -2147467259 }
  ]
})";

// A small valid file with one product and one parameter, to be broken in one place per case.
std::string smallFile(const std::string& productExtra = {}, const std::string& paramExtra = {},
                      const std::string& libraryExtra = {}, const std::string& top = {}) {
    return R"({ "name": "S", "caption": "C",)" + top + R"( "library": { "name": "L", "version": "1",
        "manufacturerId": 1, "libraryId": 2,)" +
           libraryExtra + R"( "products": [
        { "name": "P", "mapName": "M", "platform": "GC5020",)" +
           productExtra + R"( "intParameters": [
          { "name": "X", "paramId": 1)" +
           paramExtra + R"( } ] } ] } })";
}

} // namespace

class TestSimLoader : public QObject {
    Q_OBJECT

private slots:
    void goodFile() {
        const sim::LoadResult r = sim::parseLibraryText(kGoodFile, "gut.json");
        QCOMPARE(q(r.error), QString());
        QVERIFY(r.entry);
        const sim::EntrySpec& e = *r.entry;
        QCOMPARE(q(e.name), QStringLiteral("Gut"));
        QCOMPARE(q(e.caption), QStringLiteral("Gut \u00e4 Caption"));
        QVERIFY(e.library);
        const sim::LibrarySpec& l = *e.library;
        QCOMPARE(q(l.version), QStringLiteral("1.0-\u00df"));
        QCOMPARE(l.manufacturerId, int16_t(-32768));
        QCOMPARE(l.libraryId, int16_t(32767));
        QCOMPARE(q(l.password.value()), QStringLiteral("pw"));
        QCOMPARE(l.products.size(), size_t(2));
        const sim::ProductSpec& a = l.products[0];
        QCOMPARE(a.hybrid5020, std::optional<int32_t>(2));
        QVERIFY(!a.hybridId && !a.sampleRateCode);
        QCOMPARE(a.limits->maxOutput, 118.5);
        QCOMPARE(a.limits->maxGain, 40.0);
        QCOMPARE(a.limits->channels, 4);
        QCOMPARE(a.intParameters.size(), size_t(2));
        QCOMPARE(a.intParameters[0].paramId, std::numeric_limits<int32_t>::min());
        const sim::DetailSpec& d = *a.intParameters[0].detail;
        QCOMPARE(d.kind, 3);
        QCOMPARE(d.min, -1);
        QCOMPARE(d.max, 1);
        QCOMPARE(d.defaultValue, 1);
        QCOMPARE(q(d.units), QStringLiteral("dB"));
        QCOMPARE(d.scale, 0.25);
        QCOMPARE(d.offset, -3.0);
        QCOMPARE(d.texts.size(), size_t(2));
        QVERIFY(!a.intParameters[1].detail);
        QCOMPARE(a.intParameters[1].paramId, std::numeric_limits<int32_t>::max());
        QCOMPARE(a.extParameters[0].detail->kind, 99);
        const sim::ProductSpec& b = l.products[1];
        QVERIFY(!b.hybrid5020 && !b.limits);
        QCOMPARE(b.hybridId, std::optional<int32_t>(31));
        QCOMPARE(b.sampleRateCode, std::optional<int32_t>(2));
        QVERIFY(b.intParameters.empty() && b.extParameters.empty());

        QCOMPARE(r.faults.size(), size_t(3));
        QCOMPARE(q(r.faults[0].op), QStringLiteral("ILibrary.Products"));
        QCOMPARE(q(r.faults[0].object), QStringLiteral("Gut Library"));
        QCOMPARE(r.faults[0].status, vk::E_OUTOFMEMORY_);
        QCOMPARE(q(r.faults[0].description), QStringLiteral("full"));
        QCOMPARE(r.faults[0].after, uint64_t(1));
        QCOMPARE(r.faults[0].times, int64_t(2));
        QCOMPARE(r.faults[1].status, vk::E_FAIL_);
        QCOMPARE(r.faults[1].seq, uint64_t(9));
        QCOMPARE(r.faults[1].times, int64_t(-1));
        QCOMPARE(r.faults[2].status, vk::E_FAIL_);
    }

    void otherEntryKinds() {
        auto r =
            sim::parseLibraryText(R"({"name": "D", "caption": "C", "openError": "it is gone"})", "d.json");
        QVERIFY(r.entry && !r.entry->library);
        QCOMPARE(q(r.entry->openError), QStringLiteral("it is gone"));
        r = sim::parseLibraryText(R"({"name": "N", "caption": "C", "nullLibrary": true})", "n.json");
        QVERIFY(r.entry && r.entry->nullLibrary && !r.entry->library);
        QCOMPARE(q(sim::parseLibraryText(smallFile(), "s.json").error), QString());
    }

    void malformed_data() {
        QTest::addColumn<QByteArray>("text");
        QTest::addColumn<QString>("error");
        auto row = [](const char* name, const std::string& text, const char* error) {
            QTest::newRow(name) << QByteArray::fromStdString(text) << QString::fromUtf8(error);
        };
        row("empty", "",
            "t.json: line 1, column 1: not valid JSON: syntax error while parsing value - unexpected end of "
            "input; expected '[', '{', or a literal");
        row("not JSON", "library",
            "t.json: line 1, column 1: not valid JSON: syntax error while parsing value - invalid literal; "
            "last read: 'l'");
        row("trailing text", smallFile() + " x",
            "t.json: line 4, column 51: not valid JSON: syntax error while parsing value - invalid literal; "
            "last read: '1 } ] } ] } } x'; expected end of input");
        row("bad UTF-8", "{\"name\": \"\xff\"}",
            "t.json: line 1, column 11: not valid JSON: syntax error while parsing value - invalid string: "
            "ill-formed UTF-8 byte; last read: '\"<FF>'");
        row("array", "[]", "t.json: (top level): must be an object, not an array");
        row("too deep", std::string(40, '[') + std::string(40, ']'),
            "t.json: line 1: nested deeper than 32 levels");
        row("no name", R"({"caption": "C", "openError": "x"})", "t.json: name: missing");
        row("name not text", R"({"name": 5, "caption": "C", "openError": "x"})",
            "t.json: name: must be a text, not an integer");
        row("unknown key", smallFile({}, {}, {}, R"( "Name": "x",)"), "t.json: Name: unknown key");
        row("no library", R"({"name": "N", "caption": "C"})",
            "t.json: library: missing (or give \"openError\" for a library that cannot be opened)");
        row("library and openError", smallFile({}, {}, {}, R"( "openError": "x",)"),
            "t.json: library: only one of \"library\", \"openError\" and \"nullLibrary\" may be given");
        row("nullLibrary not boolean", R"({"name": "N", "caption": "C", "nullLibrary": 1})",
            "t.json: nullLibrary: must be true or false, not an integer");
        row("library not object", R"({"name": "N", "caption": "C", "library": []})",
            "t.json: library: must be an object, not an array");
        row("manufacturer too large", smallFile({}, {}, R"( "manufacturerId": 40000,)"),
            "t.json: library.manufacturerId: 40000 is outside -32768 to 32767");
        row("library too small", smallFile({}, {}, R"( "libraryId": -32769,)"),
            "t.json: library.libraryId: -32769 is outside -32768 to 32767");
        row("libraryId real", smallFile({}, {}, R"( "libraryId": 1.5,)"),
            "t.json: library.libraryId: must be an integer, not a real number");
        row("password not text", smallFile({}, {}, R"( "password": null,)"),
            "t.json: library.password: must be a text, not null");
        row("products not array",
            R"({"name": "S", "caption": "C", "library": {"name": "L", "version": "1", "manufacturerId": 1, "libraryId": 2, "products": {}}})",
            "t.json: library.products: must be an array, not an object");
        row("product key misspelt", smallFile(R"( "mapname": "m",)"),
            "t.json: library.products[0].mapname: unknown key");
        row("paramId text", smallFile({}, R"(, "paramId": "1")"),
            "t.json: library.products[0].intParameters[0].paramId: must be an integer, not a text");
        row("paramId beyond 32 bits", smallFile({}, R"(, "paramId": 2147483648)"),
            "t.json: library.products[0].intParameters[0].paramId: 2147483648 is outside -2147483648 to "
            "2147483647");
        row("paramId huge unsigned", smallFile({}, R"(, "paramId": 18446744073709551615)"),
            "t.json: library.products[0].intParameters[0].paramId: 18446744073709551615 is outside "
            "-2147483648 to 2147483647");
        row("detail without kind", smallFile({}, R"(, "detail": {"min": 0, "max": 1, "default": 0})"),
            "t.json: library.products[0].intParameters[0].detail.kind: missing");
        row("more texts than values",
            smallFile(
                {}, R"(, "detail": {"kind": 3, "min": 0, "max": 1, "default": 0, "texts": ["a", "b", "c"]})"),
            "t.json: library.products[0].intParameters[0].detail.texts: has 3 texts for the 2 values from "
            "min to max");
        row("texts for an empty range",
            smallFile({}, R"(, "detail": {"kind": 3, "min": 5, "max": 1, "default": 0, "texts": ["a"]})"),
            "t.json: library.products[0].intParameters[0].detail.texts: has 1 texts for the 0 values from "
            "min to max");
        row("text not text",
            smallFile({}, R"(, "detail": {"kind": 3, "min": 0, "max": 1, "default": 0, "texts": ["a", 2]})"),
            "t.json: library.products[0].intParameters[0].detail.texts[1]: must be a text, not an integer");
        row("scale text",
            smallFile({}, R"(, "detail": {"kind": 1, "min": 0, "max": 1, "default": 0, "scale": "2"})"),
            "t.json: library.products[0].intParameters[0].detail.scale: must be a number, not a text");
        row("number beyond a double",
            smallFile(R"( "limits": {"maxOutput": 1, "maxGain": 1e999, "channels": 1},)"),
            "t.json: value: number overflow parsing '1e999'");
        row("control character", "{\"name\": \"a\tb\"}",
            "t.json: line 1, column 12: not valid JSON: syntax error while parsing value - invalid string: "
            "control character U+0009 (HT) must be escaped to \\u0009 or \\t; last read: '\"a<U+0009>'");
        row("limits incomplete", smallFile(R"( "limits": {"maxOutput": 1, "maxGain": 2},)"),
            "t.json: library.products[0].limits.channels: missing");
        row("sample rate without hybrid", smallFile(R"( "sampleRateCode": 1,)"),
            "t.json: library.products[0].sampleRateCode: given without hybridId");
        row("fault without op", smallFile({}, {}, {}, R"( "faults": [{"status": 1}],)"),
            "t.json: faults[0].op: missing");
        row("fault op empty", smallFile({}, {}, {}, R"( "faults": [{"op": ""}],)"),
            "t.json: faults[0].op: must be a non-empty text such as \"ILibrary.Products\" or \"*\"");
        row("fault status bad", smallFile({}, {}, {}, R"( "faults": [{"op": "*", "status": "0xZZ"}],)"),
            "t.json: faults[0].status: \"0xZZ\" is not a status like \"0x80004005\"");
        row("fault status too large",
            smallFile({}, {}, {}, R"( "faults": [{"op": "*", "status": 4294967296}],)"),
            "t.json: faults[0].status: 4294967296 is outside -2147483648 to 4294967295");
        row("fault times", smallFile({}, {}, {}, R"( "faults": [{"op": "*", "times": -2}],)"),
            "t.json: faults[0].times: -2 is outside -1 to 9223372036854775807");
        std::string many =
            R"({"name": "S", "caption": "C", "library": {"name": "L", "version": "1", "manufacturerId": 1, "libraryId": 2, "products": [)";
        for (int i = 0; i < 4097; ++i)
            many += i ? ",1" : "1";
        row("too many products", many + "]}}", "t.json: library.products: has 4097 elements, more than 4096");
        row("product not object",
            R"({"name": "S", "caption": "C", "library": {"name": "L", "version": "1", "manufacturerId": 1, "libraryId": 2, "products": [{}, 7]}})",
            "t.json: library.products[0].name: missing");
    }
    void malformed() {
        QFETCH(QByteArray, text);
        QFETCH(QString, error);
        const sim::LoadResult r = sim::parseLibraryText(text.toStdString(), "t.json");
        QCOMPARE(q(r.error), error);
        QVERIFY(!r.entry);
        QVERIFY(r.faults.empty());
    }

    void files() {
        simtest::TempFolder dir;
        QCOMPARE(q(sim::loadLibraryFile(dir.path() + "/nope.json").error),
                 QStringLiteral("nope.json: file: does not exist"));
        std::filesystem::create_directory(dir.path() + "/sub.json");
        QCOMPARE(q(sim::loadLibraryFile(dir.path() + "/sub.json").error),
                 QStringLiteral("sub.json: file: is not a regular file"));
        const std::string big = dir.write("big.json", "{}");
        std::filesystem::resize_file(big, (16u << 20) + 1);
        QCOMPARE(q(sim::loadLibraryFile(big).error), QStringLiteral("big.json: file: is larger than 16 MiB"));
        const std::string good = dir.write("good.json", kGoodFile);
        QVERIFY(sim::loadLibraryFile(good).entry);
    }

    void folderWithABadFile() {
        simtest::TempFolder dir;
        dir.write("b.json", smallFile(R"( "hybrid5020": "two",)"));
        dir.write("a.json", kGoodFile);
        dir.write("c.json", R"({"name": "Last", "caption": "C", "openError": "x",
                                "faults": [{"op": "ICatalogEntry.Caption", "object": "Last", "description": "no caption"}]})");
        dir.write("notes.txt", "not a library");
        const sim::CatalogSpec content = sim::loadCatalogFolder(dir.path());
        QCOMPARE(content.entries.size(), size_t(3));
        QCOMPARE(content.faults.size(), size_t(4));
        QCOMPARE(q(content.entries[1].name), QStringLiteral("b"));
        QCOMPARE(q(content.entries[1].caption), QStringLiteral("b.json"));

        auto platform = sim::Platform::create(content);
        auto catalog = vk::call(platform->newCore(), &ICore::Catalog);
        auto v = at(1);
        vk::ComPtr<ILibrary> lib;
        QCOMPARE(vk::call(catalog, &ICatalog::Item, v.get())->Library(lib.put()), vk::E_FAIL_);
        QCOMPARE(takenError(),
                 QStringLiteral("b.json: library.products[0].hybrid5020: must be an integer, not a text"));
        auto first = named(u"Gut");
        QCOMPARE(
            q(vk::call(vk::call(vk::call(catalog, &ICatalog::Item, first.get()), &ICatalogEntry::Library),
                       &ILibrary::Name)),
            QStringLiteral("Gut Library"));
        auto last = at(2);
        vk::Bstr caption = nullptr;
        QCOMPARE(vk::call(catalog, &ICatalog::Item, last.get())->Caption(&caption), vk::E_FAIL_);
        QCOMPARE(takenError(), QStringLiteral("no caption"));

        QVERIFY(sim::loadCatalogFolder(dir.path() + "/missing").entries.empty());
    }

    // The demo catalogue is the showcase: it must load with exactly its one unopenable library and
    // keep every case it is there to show.
    void demoCatalogue() {
        const sim::CatalogSpec demo = sim::loadCatalogFolder(VESKOR_DEMO_FOLDER);
        QCOMPARE(demo.entries.size(), size_t(11));
        QCOMPARE(sim::demoCatalogSpec().entries.size(), demo.entries.size());
        QStringList unopenable;
        std::set<std::u16string> platforms, passwords;
        std::map<std::pair<int, int>, int> pairs;
        std::set<int> kinds;
        std::set<int> hybrids5005;
        bool noExt = false, longName = false, negativeId = false, sharedId = false, withLimits = false,
             withoutLimits = false, fewValues = false, thousands = false;
        for (const sim::EntrySpec& e : demo.entries) {
            if (!e.library) {
                unopenable << q(e.name) + QStringLiteral(": ") + q(e.openError);
                continue;
            }
            if (e.library->password)
                passwords.insert(*e.library->password);
            ++pairs[{e.library->manufacturerId, e.library->libraryId}];
            for (const sim::ProductSpec& p : e.library->products) {
                platforms.insert(p.platform);
                if (p.platform == u"GC5005")
                    hybrids5005.insert(p.hybridId.value_or(0));
                noExt |= p.extParameters.empty();
                (p.limits ? withLimits : withoutLimits) = true;
                std::set<int> ids;
                for (const sim::ParameterSpec& par : p.intParameters) {
                    longName |= par.name.size() > 50;
                    negativeId |= par.paramId < 0;
                    sharedId |= !ids.insert(par.paramId).second;
                    if (!par.detail)
                        continue;
                    kinds.insert(par.detail->kind);
                    const int64_t range = int64_t(par.detail->max) - par.detail->min + 1;
                    fewValues |= range > 0 && range <= 4;
                    thousands |= range >= 2000;
                }
            }
        }
        QCOMPARE(unopenable, QStringList{QStringLiteral(
                                 "DamagedArchive: The library file is damaged (checksum mismatch)")});
        for (const char16_t* name :
             {u"GC5020", u"GC5055", u"GC5052", u"GC5050", u"GC5005", u"XR7710", u"gc5020"})
            QVERIFY2(platforms.count(name), qPrintable(q(std::u16string(name))));
        QVERIFY(hybrids5005.count(4) && hybrids5005.count(6) && hybrids5005.count(8));
        QVERIFY(passwords.count(u"RovQuad") && passwords.size() >= 2);
        QCOMPARE(pairs[std::make_pair(7, 21)], 2);
        QCOMPARE(pairs[std::make_pair(5, 0)], 2);
        for (int k = 0; k <= 4; ++k)
            QVERIFY(kinds.count(k));
        QVERIFY(noExt && longName && negativeId && sharedId && withLimits && withoutLimits && fewValues &&
                thousands);
    }
};

QTEST_GUILESS_MAIN(TestSimLoader)
#include "tst_simloader.moc"
