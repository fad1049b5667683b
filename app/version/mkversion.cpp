// Writes a Windows-format version block (VS_VERSIONINFO) for the executable's version section.
//
//   vk_mkversion <out> [<a.b.c.d>] [--table XXXXXXXX] [--no-fileversion]
//
// Without arguments beyond <out> it writes the project's own block (VersionInfo.h, the values the
// Windows resource is made from too). The block carries the fixed file information, one
// StringFileInfo table and the matching VarFileInfo translation, as the Windows tools lay it out:
// every node is
//   u16 length, u16 value length, u16 type, UTF-16 key with its zero, padding to 4, value, padding,
//   children.
#include "VersionInfo.h"

#include <cstdint>
#include <cstdio>
#include <cstdlib>
#include <cstring>
#include <fstream>
#include <string>
#include <vector>

namespace {

using Bytes = std::vector<uint8_t>;

void put16(Bytes& b, uint16_t v) {
    b.push_back(uint8_t(v & 0xff));
    b.push_back(uint8_t(v >> 8));
}
void put32(Bytes& b, uint32_t v) {
    put16(b, uint16_t(v & 0xffff));
    put16(b, uint16_t(v >> 16));
}
void pad4(Bytes& b) {
    while (b.size() % 4)
        b.push_back(0);
}
void putWide(Bytes& b, const std::string& ascii) {
    for (unsigned char c : ascii)
        put16(b, c);
    put16(b, 0);
}

// type 1: text value, valueLength counted in UTF-16 units; type 0: binary, counted in bytes.
Bytes node(const std::string& key, const Bytes& value, uint16_t valueLength, uint16_t type,
           const std::vector<Bytes>& children) {
    Bytes b;
    put16(b, 0); // length, patched below
    put16(b, valueLength);
    put16(b, type);
    putWide(b, key);
    pad4(b);
    b.insert(b.end(), value.begin(), value.end());
    for (const Bytes& c : children) {
        pad4(b);
        b.insert(b.end(), c.begin(), c.end());
    }
    b[0] = uint8_t(b.size() & 0xff);
    b[1] = uint8_t(b.size() >> 8);
    return b;
}

Bytes stringNode(const std::string& key, const std::string& text) {
    Bytes value;
    putWide(value, text);
    return node(key, value, uint16_t(text.size() + 1), 1, {});
}

} // namespace

int main(int argc, char** argv) {
    if (argc < 2) {
        std::fprintf(stderr, "usage: %s <out> [<a.b.c.d>] [--table XXXXXXXX] [--no-fileversion]\n", argv[0]);
        return 2;
    }
    const std::string out = argv[1];
    int i = 2;
    const std::string version = argc > 2 && argv[2][0] != '-' ? argv[i++] : VESKOR_VERSION_TEXT;
    std::string table = VESKOR_VERSION_TABLE;
    bool withFileVersion = true;
    for (; i < argc; ++i) {
        if (!std::strcmp(argv[i], "--table") && i + 1 < argc)
            table = argv[++i];
        else if (!std::strcmp(argv[i], "--no-fileversion"))
            withFileVersion = false;
        else {
            std::fprintf(stderr, "unknown argument %s\n", argv[i]);
            return 2;
        }
    }
    unsigned part[4] = {0, 0, 0, 0};
    std::sscanf(version.c_str(), "%u.%u.%u.%u", &part[0], &part[1], &part[2], &part[3]);

    Bytes fixed;
    put32(fixed, 0xFEEF04BD); // signature
    put32(fixed, 0x00010000); // structure version
    put32(fixed, (part[0] << 16) | (part[1] & 0xffff));
    put32(fixed, (part[2] << 16) | (part[3] & 0xffff));
    put32(fixed, (part[0] << 16) | (part[1] & 0xffff));
    put32(fixed, (part[2] << 16) | (part[3] & 0xffff));
    put32(fixed, 0x3F);    // flags mask
    put32(fixed, 0);       // flags
    put32(fixed, 0x40004); // 32-bit Windows NT
    put32(fixed, 1);       // application
    put32(fixed, 0);       // subtype
    put32(fixed, 0);       // date
    put32(fixed, 0);

    std::vector<Bytes> strings;
    strings.push_back(stringNode("CompanyName", VESKOR_COMPANY_NAME));
    strings.push_back(stringNode("FileDescription", VESKOR_FILE_DESCRIPTION));
    if (withFileVersion)
        strings.push_back(stringNode("FileVersion", version));
    strings.push_back(stringNode("InternalName", VESKOR_INTERNAL_NAME));
    strings.push_back(stringNode("ProductName", VESKOR_PRODUCT_NAME));
    strings.push_back(stringNode("ProductVersion", version));

    const Bytes stringTable = node(table, {}, 0, 1, strings);
    const Bytes stringFileInfo = node("StringFileInfo", {}, 0, 1, {stringTable});

    Bytes translation;
    const unsigned long code = std::strtoul(table.c_str(), nullptr, 16);
    put16(translation, uint16_t(code >> 16));
    put16(translation, uint16_t(code & 0xffff));
    const Bytes var = node("Translation", translation, uint16_t(translation.size()), 0, {});
    const Bytes varFileInfo = node("VarFileInfo", {}, 0, 1, {var});

    const Bytes root =
        node("VS_VERSION_INFO", fixed, uint16_t(fixed.size()), 0, {stringFileInfo, varFileInfo});

    std::ofstream f(out, std::ios::binary);
    f.write(reinterpret_cast<const char*>(root.data()), std::streamsize(root.size()));
    return f ? 0 : 1;
}
