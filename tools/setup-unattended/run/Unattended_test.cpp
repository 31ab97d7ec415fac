// The setup program from end to end: this build's distribution packed by
// the stored configuration, run with each page's default button, checked.
#include <gtest/gtest.h>

#include "installer/links/ShippedLinksSetup.h"
#include "platform/registry/RegistryStore.h"
#include "platform/sysroot/SystemRoot.h"
#include "tools/setup-unattended/run/Unattended.h"

using unattended::Outcome;

namespace {

std::string Problems(const Outcome& o) {
    std::string text;
    for (const auto& p : o.problems) text += p + "\n";
    return text;
}

}  // namespace

TEST(SetupUnattended, AGoodRunInstallsEverythingAndTheProgramOpensItsTables) {
    platform::TempRootDir dir;
    const Outcome outcome = unattended::RunUnattended(unattended::DefaultOptions(dir.Path()));
    EXPECT_TRUE(outcome.Good()) << Problems(outcome);
    EXPECT_EQ(outcome.pages, (std::vector<std::string>{"Welcome", "Software license agreement", "Readme information",
                                                       "Setup complete"}));
    EXPECT_TRUE(outcome.boxes.empty());

    // A few facts beyond the probe's own checks, read back from the root.
    platform::ScopedSystemRoot root(dir.Path());
    auto& files = platform::Files();
    const std::string product = unattended::kProductDir;
    EXPECT_TRUE(files.FileExists(product + "\\Data\\Transistores.db"));
    EXPECT_TRUE(files.FileExists(product + "\\Help\\visao_geral.html"));
    const auto command = platform::Registry().ReadString(
        platform::RegRoot::LocalMachine, "\\Software\\Microsoft\\Windows\\CurrentVersion\\Uninstall\\Vorel Electronics",
        "UninstallString");
    ASSERT_TRUE(command.has_value());
    EXPECT_EQ(*command, product + "\\Uninstall.exe Vorel Electronics");

    // The engine's tests build the same product in code: they must not drift apart.
    EXPECT_EQ(product, installer::testing::kProductDir);
    for (const char* link : {"Vorel Electronics.LNK", "Vorel Electronics Help.LNK", "Uninstall Vorel Electronics.LNK"})
        EXPECT_TRUE(files.FileExists(std::string(installer::testing::kStartMenuFolder) + "\\" + link)) << link;
}

TEST(SetupUnattended, CancelOnWelcomeEndsIncompleteWithNothingInstalled) {
    platform::TempRootDir dir;
    auto options = unattended::DefaultOptions(dir.Path());
    options.cancelOnWelcome = true;
    const Outcome outcome = unattended::RunUnattended(options);
    EXPECT_TRUE(outcome.Good()) << Problems(outcome);
    EXPECT_EQ(outcome.pages, (std::vector<std::string>{"Welcome", "Setup incomplete"}));
    platform::ScopedSystemRoot root(dir.Path());
    EXPECT_FALSE(platform::Files().DirectoryExists("C:\\Program Files\\VorelSoft"));
    EXPECT_FALSE(platform::Files().DirectoryExists("C:\\Program Files\\Borland"));
}

TEST(SetupUnattended, ABuildWithoutItsProgramsIsABadRun) {
    platform::TempRootDir dir;
    platform::TempRootDir empty;
    auto options = unattended::DefaultOptions(dir.Path());
    options.binDir = empty.Path();
    const Outcome outcome = unattended::RunUnattended(options);
    EXPECT_FALSE(outcome.Good());
    ASSERT_FALSE(outcome.problems.empty());
    EXPECT_NE(outcome.problems[0].find("preparing the distribution failed"), std::string::npos) << Problems(outcome);
    EXPECT_TRUE(outcome.pages.empty());
}
