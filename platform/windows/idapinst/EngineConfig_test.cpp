#include "platform/windows/idapinst/EngineConfig.h"

#include <gtest/gtest.h>

namespace platform {
namespace {

const std::string kTemplate =
    "; template\r\n[System\\Init]\r\nVERSION=4.0\r\nLANGDRIVER=DBWINUS0\r\n\r\n[Drivers\\Paradox\\Init]\r\nNET DIR=\r\n";

TEST(EngineConfig, TextComesBackAsItWasWithCrLfEnds) {
    auto config = EngineConfig::Parse(kTemplate);
    ASSERT_TRUE(config);
    EXPECT_EQ(config->Text(), kTemplate);
    // LF and CR ends read the same; blanks around names and values go.
    auto lf = EngineConfig::Parse("[system\\init]\n  Version = 4.0 \rX=1");
    ASSERT_TRUE(lf);
    EXPECT_EQ(lf->Value("SYSTEM\\INIT", "version"), "4.0");
    EXPECT_EQ(lf->Value("System\\Init", "X"), "1");
    EXPECT_EQ(lf->Value("System\\Init", "Y"), std::nullopt);
    EXPECT_EQ(lf->Value("Other", "X"), std::nullopt);
}

TEST(EngineConfig, WhatIsNoConfigurationIsRefused) {
    EXPECT_FALSE(EngineConfig::Parse(std::string("[A]\r\nX=1\r\n\0\x01", 11)));  // binary
    EXPECT_FALSE(EngineConfig::Parse("X=1\r\n[A]\r\n"));                           // setting before a section
    EXPECT_FALSE(EngineConfig::Parse("[A]\r\njust words\r\n"));
    EXPECT_FALSE(EngineConfig::Parse("[A\r\n"));
    EXPECT_FALSE(EngineConfig::Parse("[]\r\n"));
    EXPECT_FALSE(EngineConfig::Parse("[A]\r\n=value\r\n"));
    EXPECT_TRUE(EngineConfig::Parse(""));
    EXPECT_TRUE(EngineConfig::Parse("\xEF\xBB\xBF[A]\r\nX=1\r\n"));
}

TEST(EngineConfig, MergeKeepsTheUsersSettingsAndAddsOnlyWhatIsMissing) {
    auto user = EngineConfig::Parse(
        "[System\\Init]\r\nLANGDRIVER=DBWINWE0\r\n\r\n[Databases\\SHOP\\DB INFO]\r\nPATH=C:\\Shop\r\n");
    auto tpl = EngineConfig::Parse(kTemplate);
    ASSERT_TRUE(user && tpl);
    user->MergeFrom(*tpl);
    EXPECT_EQ(user->Text(),
              "[System\\Init]\r\nLANGDRIVER=DBWINWE0\r\nVERSION=4.0\r\n\r\n[Databases\\SHOP\\DB INFO]\r\n"
              "PATH=C:\\Shop\r\n[Drivers\\Paradox\\Init]\r\nNET DIR=\r\n");
    // Merging again changes nothing.
    const std::string once = user->Text();
    user->MergeFrom(*tpl);
    EXPECT_EQ(user->Text(), once);
}

TEST(EngineConfig, SetChangesTheFirstSettingOrAddsOne) {
    auto config = EngineConfig::Parse(
        "[A]\r\nX=1\r\nX=2\r\n; end of A\r\n[C]\r\n; nothing set yet\r\n[D]\r\n; about D\r\nV=1\r\n");
    ASSERT_TRUE(config);
    config->Set("a", "x", "9");
    config->Set("A", "Y", "3");
    config->Set("B", "Z", "4");
    // A section of comments alone, or with comments first, keeps them first.
    config->Set("C", "W", "5");
    config->Set("D", "U", "6");
    EXPECT_EQ(config->Text(),
              "[A]\r\nX=9\r\nX=2\r\nY=3\r\n; end of A\r\n[C]\r\n; nothing set yet\r\nW=5\r\n"
              "[D]\r\n; about D\r\nV=1\r\nU=6\r\n[B]\r\nZ=4\r\n");
    EXPECT_EQ(config->SectionNames(), (std::vector<std::string>{"A", "C", "D", "B"}));
}

}  // namespace
}  // namespace platform
