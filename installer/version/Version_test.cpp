#include <gtest/gtest.h>

#include <cstdlib>
#include <fstream>
#include <map>

#include "installer/version/Overwrite.h"
#include "installer/version/PeVersionBlock.h"
#include "installer/version/VersionCompare.h"
#include "installer/version/VersionResource.h"
#include "platform/core/hostio/HostFile.h"
#include "testkit/files/TempDir.h"
#include "testkit/generators/pe/PeFixture.h"

namespace installer {
namespace {

using platform::testing::TempDir;

pefixture::VersionOptions FullOptions() {
    pefixture::VersionOptions options;
    options.fileVersion = {4, 0, 1, 22};
    options.productVersion = {4, 0, 0, 0};
    options.fileType = 2;
    options.translations = {{0x0409, 1252}};
    options.stringTables = {{"040904E4",
                          {{"CompanyName", "Borland International"},
                           {"FileDescription", "Database Engine"},
                           {"ProductVersion", "4.0 beta"},
                           {"LegalCopyright", "Copyright \xC2\xA9 1997"},
                           {"FileVersion", "9.9.9.9"}}}};
    return options;
}

TEST(VersionResource, ReadsFixedInfoTranslationAndStringTable) {
    TempDir dir;
    pefixture::WritePe(dir / "IDAPI32.DLL", FullOptions(), true);
    TVersionResource resource(nullptr, (dir / "IDAPI32.DLL").string());
    const auto& info = resource.VersionInfo();
    EXPECT_EQ(info.FileVersion, "4.0.1.22");  // never from the string table
    EXPECT_EQ(info.ProductVersion, "4.0 beta");
    EXPECT_EQ(info.CompanyName, "Borland International");
    EXPECT_EQ(info.FileDescription, "Database Engine");
    EXPECT_EQ(info.LegalCopyright, "Copyright \xC2\xA9 1997");
    EXPECT_EQ(info.FileType, "Dynamic-Link Library");
    EXPECT_EQ(info.FileOS, "32 bit Windows");
    EXPECT_EQ(info.FileSubType, "");
    EXPECT_EQ(info.Language, 9);  // primary language of 0x0409
    EXPECT_EQ(info.InternalName, "");

    // Another language finds no string table but keeps the fixed texts.
    resource.SetLanguage(TVersionLanguage::lnGerman);
    EXPECT_EQ(resource.VersionInfo().CompanyName, "");
    EXPECT_EQ(resource.VersionInfo().ProductVersion, "4.0.0.0");
    EXPECT_EQ(resource.VersionInfo().FileVersion, "4.0.1.22");
}

// A file already open answers as its path does, and a file that is no
// program has no version.
TEST(VersionResource, FileVersionOfAnOpenFile) {
    TempDir dir;
    pefixture::WritePe(dir / "IDAPI32.DLL", FullOptions(), true);
    std::ofstream(dir / "plain.txt") << "MZ but nothing more";
    platform::HostFile dll, plain;
    ASSERT_TRUE(dll.Open(dir / "IDAPI32.DLL", platform::HostFile::Mode::Read));
    ASSERT_TRUE(plain.Open(dir / "plain.txt", platform::HostFile::Mode::Read));
    EXPECT_EQ(FileVersionOf(dll), "4.0.1.22");
    EXPECT_EQ(FileVersionOf(plain), "");
}

TEST(VersionResource, UnicodeStringTableIsNotReadUnderTheDefaultCodePage) {
    TempDir dir;
    auto options = FullOptions();
    options.stringTables[0].key = "040904B0";
    options.translations = {{0x0409, 1200}};
    pefixture::WritePe(dir / "a.dll", options, true);
    TVersionResource resource(nullptr, (dir / "a.dll").string());
    EXPECT_EQ(resource.VersionInfo().CompanyName, "");
    EXPECT_EQ(resource.VersionInfo().FileVersion, "4.0.1.22");
    resource.SetCharacterSet(TCharacterSet::csUnicode);
    EXPECT_EQ(resource.VersionInfo().CompanyName, "Borland International");
}

TEST(VersionResource, StringKeysIgnoreCase) {
    TempDir dir;
    auto options = FullOptions();
    options.stringTables = {{"040904e4", {{"companyname", "lower"}, {"LEGALTRADEMARKS", "upper"}}}};
    pefixture::WritePe(dir / "a.exe", options);
    TVersionResource resource(nullptr, (dir / "a.exe").string());
    EXPECT_EQ(resource.VersionInfo().CompanyName, "lower");
    EXPECT_EQ(resource.VersionInfo().LegalTradeMarks, "upper");
}

TEST(VersionResource, FixedCodesAndPe32Plus) {
    pefixture::VersionOptions options;
    options.fileType = 3;
    options.fileSubtype = 10;
    options.fileOS = 0x40004;
    pefixture::PeOptions pe;
    pe.pe32Plus = true;
    pe.otherResourceFirst = false;
    pe.versionBlock = pefixture::BuildVersionBlock(options);
    auto bytes = pefixture::BuildPe(pe);
    auto block = ReadPeVersionBlock(bytes);
    ASSERT_TRUE(block);
    auto info = VersionInfoFromBlock(VersionBlock::Parse(*block), 1033, 1252);
    EXPECT_EQ(info.FileType, "Device Driver");
    EXPECT_EQ(info.FileSubType, "Communications");
    EXPECT_EQ(info.FileOS, "Windows NT with 32 bit Windows");
    EXPECT_EQ(FileSubTypeName(4, 3), "TrueType");
    EXPECT_EQ(FileSubTypeName(4, 9), "Unknown");
    EXPECT_EQ(FileTypeName(6), "Unknown");
    EXPECT_EQ(FileOSName(0x12345), "Unknown");
}

TEST(VersionResource, FilesWithoutVersionBlockGiveEmptyTexts) {
    TempDir dir;
    {
        std::ofstream(dir / "notes.txt") << "MZ but not really a program";
    }
    pefixture::PeOptions noVersion;
    auto pe = pefixture::BuildPe(noVersion);
    {
        std::ofstream out(dir / "plain.exe", std::ios::binary);
        out.write(reinterpret_cast<const char*>(pe.data()), static_cast<std::streamsize>(pe.size()));
    }
    auto options = FullOptions();
    options.withFixedInfo = false;
    pefixture::WritePe(dir / "nofixed.exe", options);
    for (const char* name : {"notes.txt", "plain.exe", "missing.exe", "nofixed.exe"}) {
        TVersionResource resource(nullptr, (dir / name).string());
        EXPECT_EQ(resource.VersionInfo().FileVersion, "") << name;
        EXPECT_EQ(resource.VersionInfo().CompanyName, "") << name;
        EXPECT_EQ(resource.VersionInfo().FileType, "") << name;
    }
    // A host program is not a PE file.
    TVersionResource self(nullptr, "/proc/self/exe");
    EXPECT_EQ(self.VersionInfo().FileVersion, "");
}

TEST(VersionResource, DamagedFilesNeverReadOutOfBounds) {
    pefixture::PeOptions options;
    options.versionBlock = pefixture::BuildVersionBlock(FullOptions());
    const auto good = pefixture::BuildPe(options);
    ASSERT_TRUE(ReadPeVersionBlock(good));
    // Every truncation, and every single byte of the headers and resource
    // tree set to 0xFF, must end in "no block" or a block, never a crash.
    for (std::size_t n = 0; n < good.size(); n += 7) {
        std::vector<std::uint8_t> cut(good.begin(), good.begin() + static_cast<std::ptrdiff_t>(n));
        auto block = ReadPeVersionBlock(cut);
        if (block) (void)VersionInfoFromBlock(VersionBlock::Parse(*block), 1033, 1252);
    }
    for (std::size_t i = 0; i < good.size(); ++i) {
        auto bad = good;
        bad[i] = 0xFF;
        auto block = ReadPeVersionBlock(bad);
        if (block) (void)VersionInfoFromBlock(VersionBlock::Parse(*block), 1033, 1252);
    }
    // Seeded random damage to several bytes at once.
    std::uint32_t seed = 12345;
    auto next = [&] { return seed = seed * 1664525u + 1013904223u; };
    for (int round = 0; round < 3000; ++round) {
        auto bad = good;
        for (int k = 0; k < 4; ++k) bad[next() % bad.size()] = static_cast<std::uint8_t>(next() >> 24);
        auto block = ReadPeVersionBlock(bad);
        if (block) (void)VersionInfoFromBlock(VersionBlock::Parse(*block), 1033, 1252);
    }
    // A block whose lengths point past its end.
    auto block = pefixture::BuildVersionBlock(FullOptions());
    block[0] = 0xFF;
    block[1] = 0xFF;
    EXPECT_FALSE(VersionBlock::Parse(block));
}

TEST(VersionCompare, OrdersVersionTexts) {
    EXPECT_EQ(CompareVersionStrings("1.10", "1.9"), 1);
    EXPECT_EQ(CompareVersionStrings("1.9", "1.10"), 2);
    EXPECT_EQ(CompareVersionStrings("1.2a", "1.2b"), 2);
    EXPECT_EQ(CompareVersionStrings("2.0", "2.0"), 0);
    EXPECT_EQ(CompareVersionStrings("01", "1"), 0);
    EXPECT_EQ(CompareVersionStrings("1.2.0", "1.2"), 1);
    EXPECT_EQ(CompareVersionStrings("1.2", "1.2.0"), 2);
    EXPECT_EQ(CompareVersionStrings("", ""), 0);
    EXPECT_EQ(CompareVersionStrings("1", ""), 1);
    EXPECT_EQ(CompareVersionStrings("1..5", "1"), 0);  // an empty part ends a text
    EXPECT_EQ(CompareVersionStrings("1.B", "1.a"), 2);  // by character code
    EXPECT_EQ(CompareVersionStrings("99999999999999999999", "4294967296"), 1);
    EXPECT_EQ(CompareVersionStrings("4.0.99999999999", "4.0.100000000000"), 2);
    EXPECT_EQ(CompareVersionStrings("10", "9a"), 2);  // "9a" is text: '1' < '9'
    // Numbers compare as numbers only when both parts are numbers.
    EXPECT_EQ(CompareVersionStrings("1.100", "1.9b"), 2);
    EXPECT_EQ(CompareVersionStrings("1.9b", "1.100"), 1);
    EXPECT_EQ(CompareVersionStrings("1.100.b", "1.9.a"), 1);
}

class FakeFacts : public OverwriteFileFacts {
public:
    struct File {
        std::string version;
        std::optional<double> date;
    };
    std::map<std::string, File> files;
    bool Exists(const std::string& path) override { return files.count(path) != 0; }
    std::optional<double> LastWriteDateTime(const std::string& path) override {
        auto it = files.find(path);
        return it == files.end() ? std::nullopt : it->second.date;
    }
    std::string FileVersion(const std::string& path) override {
        auto it = files.find(path);
        return it == files.end() ? "" : it->second.version;
    }
};

TEST(Overwrite, EveryDecision) {
    using enum TOverwriteType;
    FakeFacts f;
    f.files["new"] = {"2.0", 100.5};
    f.files["old"] = {"1.9", 90.0};
    f.files["same"] = {"2.0", 100.5};
    f.files["later"] = {"2.0", 200.0};
    f.files["locked"] = {"2.0", std::nullopt};  // exists, cannot be opened
    f.files["plainA"] = {"", 10.0};
    f.files["plainB"] = {"", 10.0};

    EXPECT_EQ(CompareFilesForOverwrite(f, "new", "old", owAlways), 2);
    EXPECT_EQ(CompareFilesForOverwrite(f, "new", "old", owNever), 3);
    EXPECT_EQ(CompareFilesForOverwrite(f, "new", "", owNever), 2);
    EXPECT_EQ(CompareFilesForOverwrite(f, "new", "  ", owNever), 2);
    EXPECT_EQ(CompareFilesForOverwrite(f, "new", "absent", owNever), 2);

    EXPECT_EQ(CompareFilesForOverwrite(f, "new", "old", owVersion), 2);
    EXPECT_EQ(CompareFilesForOverwrite(f, "old", "new", owVersion), 3);
    EXPECT_EQ(CompareFilesForOverwrite(f, "new", "same", owVersion), 1);
    EXPECT_EQ(CompareFilesForOverwrite(f, "plainA", "plainB", owVersion), 1);

    EXPECT_EQ(CompareFilesForOverwrite(f, "later", "new", owDate), 2);
    EXPECT_EQ(CompareFilesForOverwrite(f, "new", "same", owDate), 1);
    EXPECT_EQ(CompareFilesForOverwrite(f, "new", "later", owDate), 3);
    EXPECT_EQ(CompareFilesForOverwrite(f, "new", "locked", owDate), 0);
    EXPECT_EQ(CompareFilesForOverwrite(f, "locked", "new", owDate), 0);

    // Versions decide when they differ, dates when they are equal.
    EXPECT_EQ(CompareFilesForOverwrite(f, "old", "later", owVersionDate), 3);
    EXPECT_EQ(CompareFilesForOverwrite(f, "later", "new", owVersionDate), 2);
    EXPECT_EQ(CompareFilesForOverwrite(f, "new", "later", owVersionDate), 3);
    EXPECT_EQ(CompareFilesForOverwrite(f, "new", "same", owVersionDate), 1);
    EXPECT_EQ(CompareFilesForOverwrite(f, "plainA", "plainB", owVersionDate), 1);

    // A missing destination is always written.
    for (auto type : {owVersion, owDate, owVersionDate})
        EXPECT_EQ(CompareFilesForOverwrite(f, "plainA", "absent", type), 2);

    EXPECT_EQ(CompareHeaderForOverwrite(f, "2.1", "new", owVersion, 0.0), 2);
    EXPECT_EQ(CompareHeaderForOverwrite(f, "2.0", "new", owVersion, 0.0), 1);
    EXPECT_EQ(CompareHeaderForOverwrite(f, "2.0", "new", owVersionDate, 100.5), 1);
    EXPECT_EQ(CompareHeaderForOverwrite(f, "2.0", "new", owVersionDate, 100.6), 2);
    // The same version with an earlier date keeps the file; a destination
    // that cannot be read then fails the decision.
    EXPECT_EQ(CompareHeaderForOverwrite(f, "2.0", "new", owVersionDate, 100.4), 3);
    EXPECT_EQ(CompareHeaderForOverwrite(f, "2.0", "locked", owVersionDate, 100.4), 0);
    EXPECT_EQ(CompareHeaderForOverwrite(f, "1.0", "locked", owVersionDate, 100.4), 3);  // versions alone decide
    EXPECT_EQ(CompareHeaderForOverwrite(f, "2.0", "new", owDate, 100.4), 3);
    EXPECT_EQ(CompareHeaderForOverwrite(f, "2.0", "locked", owDate, 100.4), 0);
    EXPECT_EQ(CompareHeaderForOverwrite(f, "", "", owNever, 0.0), 2);
}

TEST(VersionResource, LanguageAndCodePageTables) {
    EXPECT_EQ(LanguageNumber(TVersionLanguage::lnArabic), 1025);
    EXPECT_EQ(LanguageNumber(TVersionLanguage::lnUSEnglish), 1033);
    EXPECT_EQ(LanguageNumber(TVersionLanguage::lnBahasa), 1057);
    EXPECT_EQ(LanguageNumber(TVersionLanguage::lnSimplifiedChinese), 2052);
    EXPECT_EQ(LanguageNumber(TVersionLanguage::lnSwissFrench), 4108);
    EXPECT_EQ(CodePage(TCharacterSet::csASCII), 0);
    EXPECT_EQ(CodePage(TCharacterSet::csMultilingual), 1252);
    EXPECT_EQ(CodePage(TCharacterSet::csArabic), 1256);
}

}  // namespace
}  // namespace installer
