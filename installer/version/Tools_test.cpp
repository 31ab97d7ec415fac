#include <gtest/gtest.h>

#include <array>
#include <cstdio>
#include <cstdlib>
#include <memory>
#include <string>

#include "platform/windows/sysroot/SystemRoot.h"
#include "testkit/files/TempDir.h"

namespace {

std::string Output(const std::string& command) {
    std::string out;
    std::unique_ptr<FILE, int (*)(FILE*)> pipe(popen(command.c_str(), "r"), &pclose);
    if (!pipe) return out;
    std::array<char, 256> buffer{};
    while (fgets(buffer.data(), buffer.size(), pipe.get())) out += buffer.data();
    return out;
}

TEST(VersionTools, WrittenFixtureReadsBackThroughTheProbe) {
    platform::TempRootDir root;
    const std::string bin = VOREL_BIN_DIR;
    const auto file = root.Path() / "drive_c" / "idapi32.dll";
    std::filesystem::create_directories(file.parent_path());
    const std::string write = bin + "/pe-fixture '" + file.string() +
                              "' --dll --file-version 4.0.1.22 --table 040904E4 --string 'CompanyName=Borland "
                              "International' --translation 0409:04E4";
    ASSERT_EQ(std::system(write.c_str()), 0);
    const std::string out = Output(bin + "/verinfo 'C:\\IDAPI32.DLL' --windows '" + root.Path().string() + "'");
    EXPECT_NE(out.find("CompanyName=Borland International\n"), std::string::npos) << out;
    EXPECT_NE(out.find("FileVersion=4.0.1.22\n"), std::string::npos) << out;
    EXPECT_NE(out.find("FileType=Dynamic-Link Library\n"), std::string::npos) << out;
    EXPECT_NE(out.find("Language=9\n"), std::string::npos) << out;
    // Another code page finds no string table.
    const std::string unicode =
        Output(bin + "/verinfo '" + file.string() + "' --codepage 1200");
    EXPECT_NE(unicode.find("CompanyName=\n"), std::string::npos) << unicode;
    EXPECT_NE(std::system((bin + "/pe-fixture 2>/dev/null").c_str()), 0);
    // A translation is two hexadecimal numbers of up to four digits; anything else is refused.
    for (const char* bad : {"0409:1252x", "0409:", "0409:12345", "0409:-1"})
        EXPECT_NE(std::system((bin + "/pe-fixture '" + file.string() + "' --translation " + bad + " 2>/dev/null").c_str()), 0)
            << bad;
}

}  // namespace
