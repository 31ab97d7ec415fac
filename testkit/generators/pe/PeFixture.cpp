#include "testkit/generators/pe/PeFixture.h"

#include <cstdio>
#include <fstream>
#include <stdexcept>

namespace pefixture {
namespace {

using Bytes = std::vector<std::uint8_t>;

void Put16(Bytes& b, std::uint16_t v) {
    b.push_back(static_cast<std::uint8_t>(v));
    b.push_back(static_cast<std::uint8_t>(v >> 8));
}
void Put32(Bytes& b, std::uint32_t v) {
    Put16(b, static_cast<std::uint16_t>(v));
    Put16(b, static_cast<std::uint16_t>(v >> 16));
}
void Set16(Bytes& b, std::size_t at, std::uint16_t v) {
    b[at] = static_cast<std::uint8_t>(v);
    b[at + 1] = static_cast<std::uint8_t>(v >> 8);
}
void Set32(Bytes& b, std::size_t at, std::uint32_t v) {
    Set16(b, at, static_cast<std::uint16_t>(v));
    Set16(b, at + 2, static_cast<std::uint16_t>(v >> 16));
}
void Pad4(Bytes& b) {
    while (b.size() % 4) b.push_back(0);
}

// UTF-8 to UTF-16LE code units (no validation beyond what test data needs).
std::vector<std::uint16_t> Utf16(const std::string& s) {
    std::vector<std::uint16_t> out;
    for (std::size_t i = 0; i < s.size();) {
        const auto c = static_cast<unsigned char>(s[i]);
        std::uint32_t cp = c;
        int extra = 0;
        if (c >= 0xF0) {
            cp = c & 0x07;
            extra = 3;
        } else if (c >= 0xE0) {
            cp = c & 0x0F;
            extra = 2;
        } else if (c >= 0xC0) {
            cp = c & 0x1F;
            extra = 1;
        }
        ++i;
        for (int k = 0; k < extra && i < s.size(); ++k, ++i) cp = (cp << 6) | (static_cast<unsigned char>(s[i]) & 0x3F);
        if (cp >= 0x10000) {
            cp -= 0x10000;
            out.push_back(static_cast<std::uint16_t>(0xD800 + (cp >> 10)));
            out.push_back(static_cast<std::uint16_t>(0xDC00 + (cp & 0x3FF)));
        } else {
            out.push_back(static_cast<std::uint16_t>(cp));
        }
    }
    return out;
}

void PutText(Bytes& b, const std::string& s) {
    for (auto u : Utf16(s)) Put16(b, u);
    Put16(b, 0);
}

// One node: header, key, value, children; wLength covers all of it.
template <typename Children>
void Node(Bytes& b, const std::string& key, std::uint16_t type, const Bytes& value, std::uint16_t valueLength,
          Children children) {
    Pad4(b);
    const std::size_t start = b.size();
    Put16(b, 0);
    Put16(b, valueLength);
    Put16(b, type);
    PutText(b, key);
    Pad4(b);
    b.insert(b.end(), value.begin(), value.end());
    children(b);
    Set16(b, start, static_cast<std::uint16_t>(b.size() - start));
}

void NoChildren(Bytes&) {}

}  // namespace

std::array<std::uint16_t, 4> ParseVersion(const std::string& text) {
    std::array<std::uint16_t, 4> v{0, 0, 0, 0};
    std::size_t i = 0;
    for (int part = 0; part < 4 && i <= text.size(); ++part) {
        const std::size_t dot = text.find('.', i);
        const std::string item = text.substr(i, dot == std::string::npos ? std::string::npos : dot - i);
        v[part] = static_cast<std::uint16_t>(item.empty() ? 0 : std::stoul(item));
        if (dot == std::string::npos) break;
        i = dot + 1;
    }
    return v;
}

Bytes BuildVersionBlock(const VersionOptions& options) {
    Bytes fixed;
    if (options.withFixedInfo) {
        Put32(fixed, 0xFEEF04BD);
        Put32(fixed, 0x00010000);
        Put32(fixed, (static_cast<std::uint32_t>(options.fileVersion[0]) << 16) | options.fileVersion[1]);
        Put32(fixed, (static_cast<std::uint32_t>(options.fileVersion[2]) << 16) | options.fileVersion[3]);
        Put32(fixed, (static_cast<std::uint32_t>(options.productVersion[0]) << 16) | options.productVersion[1]);
        Put32(fixed, (static_cast<std::uint32_t>(options.productVersion[2]) << 16) | options.productVersion[3]);
        Put32(fixed, 0x3F);
        Put32(fixed, 0);
        Put32(fixed, options.fileOS);
        Put32(fixed, options.fileType);
        Put32(fixed, options.fileSubtype);
        Put32(fixed, 0);
        Put32(fixed, 0);
    }
    Bytes out;
    Node(out, "VS_VERSION_INFO", 0, fixed, static_cast<std::uint16_t>(fixed.size()), [&](Bytes& b) {
        if (!options.stringTables.empty()) {
            Node(b, "StringFileInfo", 1, {}, 0, [&](Bytes& b2) {
                for (const auto& table : options.stringTables) {
                    Node(b2, table.key, 1, {}, 0, [&](Bytes& b3) {
                        for (const auto& [name, value] : table.strings) {
                            Bytes text;
                            PutText(text, value);
                            Node(b3, name, 1, text, static_cast<std::uint16_t>(text.size() / 2), NoChildren);
                        }
                    });
                }
            });
        }
        if (!options.translations.empty()) {
            Node(b, "VarFileInfo", 1, {}, 0, [&](Bytes& b2) {
                Bytes pairs;
                for (auto [lang, cp] : options.translations) {
                    Put16(pairs, lang);
                    Put16(pairs, cp);
                }
                Node(b2, "Translation", 0, pairs, static_cast<std::uint16_t>(pairs.size()), NoChildren);
            });
        }
    });
    return out;
}

Bytes BuildPe(const PeOptions& options) {
    constexpr std::uint32_t kFileAlign = 0x200, kSectionAlign = 0x1000, kRsrcRva = 0x1000;
    // Resource section: directories first, then the data entry and the block.
    Bytes rsrc;
    auto directory = [&](std::uint16_t ids) {
        Put32(rsrc, 0);
        Put32(rsrc, 0);
        Put16(rsrc, 0);
        Put16(rsrc, 0);
        Put16(rsrc, 0);
        Put16(rsrc, ids);
    };
    const bool version = options.versionBlock.has_value();
    const std::uint16_t typeCount = static_cast<std::uint16_t>((options.otherResourceFirst ? 1 : 0) + (version ? 1 : 0));
    directory(typeCount);
    const std::size_t typeEntries = rsrc.size();
    rsrc.resize(rsrc.size() + typeCount * 8);
    std::size_t slot = typeEntries;
    if (options.otherResourceFirst) {
        // RT_ICON with an empty name directory.
        const std::size_t dir = rsrc.size();
        directory(0);
        Set32(rsrc, slot, 3);
        Set32(rsrc, slot + 4, 0x80000000u | static_cast<std::uint32_t>(dir));
        slot += 8;
    }
    if (version) {
        const std::size_t nameDir = rsrc.size();
        directory(1);
        Put32(rsrc, 1);  // VS_VERSION_INFO id
        const std::size_t nameSlot = rsrc.size();
        Put32(rsrc, 0);
        const std::size_t langDir = rsrc.size();
        directory(1);
        Put32(rsrc, options.resourceLanguage);
        const std::size_t langSlot = rsrc.size();
        Put32(rsrc, 0);
        const std::size_t dataEntry = rsrc.size();
        Put32(rsrc, 0);
        Put32(rsrc, static_cast<std::uint32_t>(options.versionBlock->size()));
        Put32(rsrc, 0);
        Put32(rsrc, 0);
        Pad4(rsrc);
        const std::size_t data = rsrc.size();
        rsrc.insert(rsrc.end(), options.versionBlock->begin(), options.versionBlock->end());
        Set32(rsrc, slot, 16);
        Set32(rsrc, slot + 4, 0x80000000u | static_cast<std::uint32_t>(nameDir));
        Set32(rsrc, nameSlot, 0x80000000u | static_cast<std::uint32_t>(langDir));
        Set32(rsrc, langSlot, static_cast<std::uint32_t>(dataEntry));
        Set32(rsrc, dataEntry, kRsrcRva + static_cast<std::uint32_t>(data));
    }
    const std::uint32_t rsrcSize = static_cast<std::uint32_t>(rsrc.size());
    const std::uint32_t rawSize = (rsrcSize + kFileAlign - 1) / kFileAlign * kFileAlign;

    Bytes pe(0x80, 0);
    pe[0] = 'M';
    pe[1] = 'Z';
    Set32(pe, 0x3C, 0x80);
    Put32(pe, 0x00004550);  // "PE\0\0"
    const std::uint16_t optionalSize = options.pe32Plus ? 240 : 224;
    Put16(pe, options.pe32Plus ? 0x8664 : 0x14C);
    Put16(pe, 1);
    Put32(pe, 0);
    Put32(pe, 0);
    Put32(pe, 0);
    Put16(pe, optionalSize);
    Put16(pe, options.dll ? 0x2102 : 0x0102);
    const std::size_t opt = pe.size();
    pe.resize(pe.size() + optionalSize, 0);
    Set16(pe, opt, options.pe32Plus ? 0x20B : 0x10B);
    Set32(pe, opt + 32, kSectionAlign);
    Set32(pe, opt + 36, kFileAlign);
    Set16(pe, opt + 40, 4);
    Set16(pe, opt + 48, 4);
    Set32(pe, opt + 56, kRsrcRva + (rsrcSize + kSectionAlign - 1) / kSectionAlign * kSectionAlign);
    Set32(pe, opt + 60, kFileAlign);
    Set16(pe, opt + 68, 2);
    const std::size_t countField = options.pe32Plus ? 108 : 92;
    Set32(pe, opt + countField, 16);
    const std::size_t dirs = opt + countField + 4;
    Set32(pe, dirs + 16, kRsrcRva);
    Set32(pe, dirs + 20, rsrcSize);
    // Section table: one ".rsrc".
    const std::size_t section = pe.size();
    pe.resize(pe.size() + 40, 0);
    const char name[8] = {'.', 'r', 's', 'r', 'c', 0, 0, 0};
    for (int i = 0; i < 8; ++i) pe[section + i] = static_cast<std::uint8_t>(name[i]);
    Set32(pe, section + 8, rsrcSize);
    Set32(pe, section + 12, kRsrcRva);
    Set32(pe, section + 16, rawSize);
    Set32(pe, section + 20, kFileAlign);
    Set32(pe, section + 36, 0x40000040u);
    pe.resize(kFileAlign, 0);
    pe.insert(pe.end(), rsrc.begin(), rsrc.end());
    pe.resize(kFileAlign + rawSize, 0);
    return pe;
}

void WritePe(const std::filesystem::path& hostPath, const VersionOptions& version, bool dll) {
    PeOptions options;
    options.dll = dll;
    options.versionBlock = BuildVersionBlock(version);
    const Bytes pe = BuildPe(options);
    std::ofstream out(hostPath, std::ios::binary | std::ios::trunc);
    out.write(reinterpret_cast<const char*>(pe.data()), static_cast<std::streamsize>(pe.size()));
    if (!out) throw std::runtime_error("cannot write " + hostPath.string());
}

}  // namespace pefixture
