// pe-fixture OUT [--dll] [--file-version A.B.C.D] [--product-version A.B.C.D]
//                [--file-os N] [--file-type N] [--file-subtype N] [--no-fixed]
//                [--translation LANG:CODEPAGE]... [--table KEY] [--string NAME=VALUE]...
// Strings go into the table named by the latest --table (default 040904E4).
// LANG and CODEPAGE are hexadecimal, as version resources write them (0409:04E4).
#include <cstdio>
#include <cstdint>
#include <cstdlib>
#include <stdexcept>
#include <string>

#include "testkit/generators/pe/PeFixture.h"

namespace {
int Usage() {
    std::fprintf(stderr,
                 "usage: pe-fixture OUT [--dll] [--file-version A.B.C.D] [--product-version A.B.C.D]\n"
                 "       [--file-os N] [--file-type N] [--file-subtype N] [--no-fixed]\n"
                 "       [--translation LANG:CODEPAGE]... [--table KEY] [--string NAME=VALUE]...\n"
                 "LANG and CODEPAGE are hexadecimal (--translation 0409:04E4)\n");
    return 2;
}

// One to four hexadecimal digits.
std::uint16_t ParseHex16(const std::string& text, const std::string& what) {
    std::size_t used = 0;
    unsigned long value = 0;
    try {
        value = std::stoul(text, &used, 16);
    } catch (const std::exception&) {
        used = 0;
    }
    if (text.empty() || text.size() > 4 || used != text.size() || text[0] == '-' || text[0] == '+')
        throw std::invalid_argument(what + " wants up to four hexadecimal digits, not \"" + text + "\"");
    return static_cast<std::uint16_t>(value);
}
}  // namespace

int main(int argc, char** argv) {
    if (argc < 2) return Usage();
    pefixture::VersionOptions options;
    options.translations.clear();
    bool dll = false;
    bool typeGiven = false;
    bool translationGiven = false;
    std::string table = "040904E4";
    try {
        for (int i = 2; i < argc; ++i) {
            const std::string arg = argv[i];
            auto value = [&]() -> std::string {
                if (i + 1 >= argc) throw std::invalid_argument(arg + " needs a value");
                return argv[++i];
            };
            if (arg == "--dll") {
                dll = true;
            } else if (arg == "--no-fixed") {
                options.withFixedInfo = false;
            } else if (arg == "--file-version") {
                options.fileVersion = pefixture::ParseVersion(value());
            } else if (arg == "--product-version") {
                options.productVersion = pefixture::ParseVersion(value());
            } else if (arg == "--file-os") {
                options.fileOS = static_cast<std::uint32_t>(std::stoul(value(), nullptr, 0));
            } else if (arg == "--file-type") {
                options.fileType = static_cast<std::uint32_t>(std::stoul(value(), nullptr, 0));
                typeGiven = true;
            } else if (arg == "--file-subtype") {
                options.fileSubtype = static_cast<std::uint32_t>(std::stoul(value(), nullptr, 0));
            } else if (arg == "--translation") {
                const std::string v = value();
                const auto colon = v.find(':');
                if (colon == std::string::npos) throw std::invalid_argument("--translation wants LANG:CODEPAGE");
                options.translations.emplace_back(ParseHex16(v.substr(0, colon), "LANG"),
                                                  ParseHex16(v.substr(colon + 1), "CODEPAGE"));
                translationGiven = true;
            } else if (arg == "--table") {
                table = value();
            } else if (arg == "--string") {
                const std::string v = value();
                const auto eq = v.find('=');
                if (eq == std::string::npos) throw std::invalid_argument("--string wants NAME=VALUE");
                if (options.stringTables.empty() || options.stringTables.back().key != table)
                    options.stringTables.push_back({table, {}});
                options.stringTables.back().strings.emplace_back(v.substr(0, eq), v.substr(eq + 1));
            } else {
                return Usage();
            }
        }
        if (!translationGiven) options.translations = {{0x0409, 1252}};
        if (dll && !typeGiven) options.fileType = 2;
        pefixture::WritePe(argv[1], options, dll);
    } catch (const std::exception& e) {
        std::fprintf(stderr, "pe-fixture: %s\n", e.what());
        return 1;
    }
    return 0;
}
