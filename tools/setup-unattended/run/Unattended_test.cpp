// The setup program from end to end: this build's distribution packed by
// the stored configuration, run with each page's default button, checked.
#include <gtest/gtest.h>

#include <cstdio>
#include <fstream>

#include "installer/base/services/AppServices.h"
#include "installer/distribution/SelfExtractor.h"
#include "installer/loader/LoadingProgram.h"
#include "platform/qt/qtglue/Messenger.h"
#include "platform/windows/registry/RegistryStore.h"
#include "platform/windows/sysroot/FileStream.h"
#include "platform/windows/sysroot/SystemRoot.h"
#include "setupwizard/entry/SetupEntry.h"
#include "testkit/files/TempDir.h"
#include "testkit/installer/ShippedLinksSetup.h"
#include "tools/setup-unattended/run/Diskettes.h"
#include "tools/setup-unattended/run/Unattended.h"

using unattended::Outcome;

namespace {

std::string ReadAll(const std::filesystem::path& file) {
    std::ifstream in(file, std::ios::binary);
    return std::string(std::istreambuf_iterator<char>(in), {});
}

// A file of a root, named by its Windows path.
std::string ReadIn(const std::filesystem::path& root, const std::string& file) {
    platform::ScopedSystemRoot scoped(root);
    return ReadAll(platform::Files().HostPath(file));
}

std::string Problems(const Outcome& o) {
    std::string text;
    for (const auto& p : o.problems) text += p + "\n";
    return text;
}

}  // namespace

// Run over a root it staged before, with a stale archive in it: the
// sources and archives are staged anew and the new ones install.
TEST(SetupUnattended, AGoodRunInstallsEverythingAndTheProgramOpensItsTables) {
    platform::TempRootDir dir;
    auto stage = unattended::DefaultOptions(dir.Path());
    stage.buildOnly = true;
    ASSERT_TRUE(unattended::RunUnattended(stage).Good());
    {
        platform::ScopedSystemRoot root(dir.Path());
        std::ofstream(platform::Files().HostPath("D:\\SETUP\\files.1"), std::ios::binary) << "stale";
    }
    const Outcome outcome = unattended::RunUnattended(unattended::DefaultOptions(dir.Path()));
    EXPECT_TRUE(outcome.Good()) << Problems(outcome);
    EXPECT_EQ(outcome.pages, (std::vector<std::string>{"Welcome", "Software license agreement", "Readme information",
                                                       "Setup complete"}));
    EXPECT_TRUE(outcome.boxes.empty());
    EXPECT_EQ(outcome.exitCode, 0);
    EXPECT_NE(ReadIn(dir.Path(), "D:\\SETUP\\files.1"), "stale");

    // A few facts beyond the probe's own checks, read back from the root.
    platform::ScopedSystemRoot root(dir.Path());
    auto& files = platform::Files();
    const std::string product = unattended::kProductDir;
    EXPECT_TRUE(files.FileExists(product + "\\Data\\Transistores.db"));
    EXPECT_TRUE(files.FileExists(product + "\\Help\\visao_geral.html"));
    // The legend the program opens with F2, from its own folder.
    EXPECT_TRUE(files.FileExists(product + "\\legenda.rtf"));
    const auto command = platform::Registry().ReadString(
        platform::RegRoot::LocalMachine, "\\Software\\Microsoft\\Windows\\CurrentVersion\\Uninstall\\Vorel Electronics",
        "UninstallString");
    ASSERT_TRUE(command.has_value());
    EXPECT_EQ(*command, product + "\\Uninstall.exe Vorel Electronics");

    // The engine's tests build the same product in code: they must not drift apart.
    EXPECT_EQ(product, installer::testing::kProductDir);
    for (const char* link : {"Vorel Electronics.LNK", "Vorel Electronics Help.LNK", "Uninstall Vorel Electronics.LNK"})
        EXPECT_TRUE(files.FileExists(std::string(installer::testing::kStartMenuFolder) + "\\" + link)) << link;
    // The uninstaller's shortcut names the product, so the uninstaller finds its key.
    platform::FileStream in =
        files.Open(std::string(installer::testing::kStartMenuFolder) + "\\Uninstall Vorel Electronics.LNK",
                   platform::FileMode::Read);
    std::string bytes(static_cast<std::size_t>(in.Size()), '\0');
    bytes.resize(in.Read(bytes.data(), bytes.size()));
    // Its last string (the arguments, counted UTF-16) before the terminal block.
    std::string arguments("\x11\0", 2);
    for (char c : std::string("Vorel Electronics")) arguments += std::string{c, '\0'};
    EXPECT_TRUE(bytes.ends_with(arguments + std::string(4, '\0')));
}

TEST(SetupUnattended, CancelOnWelcomeEndsIncompleteWithNothingInstalled) {
    platform::TempRootDir dir;
    auto options = unattended::DefaultOptions(dir.Path());
    options.cancelOnWelcome = true;
    const Outcome outcome = unattended::RunUnattended(options);
    EXPECT_TRUE(outcome.Good()) << Problems(outcome);
    EXPECT_EQ(outcome.pages, (std::vector<std::string>{"Welcome", "Setup incomplete"}));
    EXPECT_EQ(outcome.exitCode, 1);
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

// The distribution path of the README: setup -b in a staged root writes the
// self-extracting setup.exe; unpacked by its own loading program in a fresh
// root, it installs the product, and so does the diskette set it spans
// onto. A build that lacks its library fails.
TEST(SetupUnattended, ABuiltSetupExeInstallsIntoAFreshRootAndAFailedBuildExitsNonZero) {
    platform::TempRootDir buildRoot;
    auto stage = unattended::DefaultOptions(buildRoot.Path());
    stage.buildOnly = true;
    const Outcome staged = unattended::RunUnattended(stage);
    ASSERT_TRUE(staged.Good()) << Problems(staged);
    std::filesystem::path built;
    {
        platform::ScopedSystemRoot root(buildRoot.Path());
        platform::ScriptedMessenger messenger;
        installer::RecordingAppServices services;
        installer::AppServices::Install(&services);
        EXPECT_EQ(setupwizard::RunSetupProgram(unattended::kSetupExe, {"-b", "-sD:\\SETUP"}), 0);
        for (const auto& box : services.Boxes) ADD_FAILURE() << box.text;
        built = platform::Files().HostPath(std::string(unattended::kDistributionDir) + "\\setup.exe");
        EXPECT_TRUE(std::filesystem::is_regular_file(built));
        // Disk 1 holds the loader and setup.1 with a tenth of a 1.44 MB
        // diskette to spare, whatever the build type.
        const installer::SelfExtractorTrailer trailer =
            installer::ReadSelfExtractorTrailer(std::string(unattended::kDistributionDir) + "\\setup.exe");
        EXPECT_LE(trailer.SetupEnd + 1, std::stoll(unattended::kDisketteCapacity) * 9 / 10)
            << "loader " << trailer.SetupStart << " bytes, setup.1 " << trailer.SetupEnd + 1 - trailer.SetupStart;
        EXPECT_LT(trailer.SetupStart, 256 * 1024);  // the loader, stripped
        // Neither the staging nor the build leaves an install record behind.
        EXPECT_FALSE(platform::Registry().KeyExists(platform::RegRoot::LocalMachine, "SOFTWARE\\Tamsel"));

        // Without the library's marker the loading program cannot be found.
        platform::Files().DeleteFile("C:\\Arquivos de Programas\\Tamsel32\\Version40\\T32V40.TXT");
        services.Boxes.clear();
        EXPECT_EQ(setupwizard::RunSetupProgram(unattended::kSetupExe, {"-b", "-sD:\\SETUP"}), 1);
        ASSERT_EQ(services.Boxes.size(), 1u);
        EXPECT_NE(services.Boxes[0].text.find("points to an invalid Tamsel directory"), std::string::npos);
        installer::AppServices::Install(nullptr);
    }

    // The built setup.exe spans onto 1.44 MB diskettes; disk 1 holds the
    // loader and setup.1. An older, larger set in the same place goes.
    const std::filesystem::path set = unattended::DisketteSet(buildRoot.Path());
    std::filesystem::create_directories(set / "3");
    std::ofstream(set / "3" / "files.3") << "an older set's disk 3";
    const Outcome spanned = unattended::TransferToDiskettes(buildRoot.Path());
    EXPECT_TRUE(spanned.Good()) << Problems(spanned);
    EXPECT_EQ(spanned.diskPrompts, (std::vector<std::string>{"Please insert disk 2", "Please insert disk 1"}));
    EXPECT_FALSE(std::filesystem::exists(set / "3"));
    {
        const std::string exe = ReadAll(built);
        platform::ScopedSystemRoot root(buildRoot.Path());
        const installer::SelfExtractorTrailer trailer =
            installer::ReadSelfExtractorTrailer(std::string(unattended::kDistributionDir) + "\\setup.exe");
        EXPECT_EQ(ReadAll(set / "1" / "setup.exe") + ReadAll(set / "1" / "setup.1"),
                  exe.substr(0, static_cast<std::size_t>(trailer.FilesStart)));
        EXPECT_TRUE(std::filesystem::is_regular_file(set / "2" / "files.2"));
    }
    // The diskette set installs into a fresh root, swapped in as the setup asks.
    platform::TempRootDir floppy;
    auto fromDisks = unattended::DefaultOptions(floppy.Path());
    fromDisks.startProgram = false;
    const Outcome installed = unattended::InstallFromDiskettes(fromDisks, set);
    EXPECT_TRUE(installed.Good()) << Problems(installed);
    EXPECT_EQ(installed.diskPrompts, (std::vector<std::string>{"Please insert disk #2"}));
    for (const char* file : {"voreled.exe", "Data\\Transistores.db", "legenda.rtf"})
        EXPECT_EQ(ReadIn(floppy.Path(), std::string(unattended::kProductDir) + "\\" + file),
                  ReadIn(buildRoot.Path(), std::string("C:\\build\\voreled\\") + file))
            << file;
    EXPECT_TRUE(std::filesystem::is_regular_file(set / "1" / "files.1"));  // the set is back on its shelf

    platform::TempRootDir fresh;
    auto install = unattended::DefaultOptions(fresh.Path());
    install.startProgram = false;
    installer::SetupStart start;
    {
        platform::ScopedSystemRoot root(fresh.Path());
        const std::string exe = std::string(unattended::kDistributionDir) + "\\setup.exe";
        platform::Files().ForceDirectories(unattended::kDistributionDir);
        std::filesystem::copy_file(built, platform::Files().HostPath(exe));
        start = installer::UnpackSetup(platform::Files().HostPath(exe), {});
        install.setupExe = platform::Files().WinPathOf(start.Program);
    }
    install.setupArguments = start.Arguments;
    const Outcome outcome = unattended::RunUnattended(install);
    EXPECT_TRUE(outcome.Good()) << Problems(outcome);
    std::filesystem::remove_all(start.Folder);
}

// A file in use ends the run on the reboot page, leaving a restart entry that
// names its container; the restart replaces the file and resumes the setup
// with its own configuration, which carries the entry out, to its good page.
TEST(SetupUnattended, AProgramInUseIsReplacedByTheRestartWhichEndsOnSetupComplete) {
    platform::TempRootDir dir;
    auto options = unattended::DefaultOptions(dir.Path());
    options.startProgram = false;
    options.inUse = std::string(unattended::kProductDir) + "\\voreled.exe";
    const Outcome outcome = unattended::RunUnattended(options);
    EXPECT_TRUE(outcome.Good()) << Problems(outcome);
    {
        platform::ScopedSystemRoot root(dir.Path());
        EXPECT_EQ(platform::Registry().ReadString(platform::RegRoot::LocalMachine,
                                                  "SOFTWARE\\Tamsel\\Install\\Install0\\Unfinished", "voreled"),
                  "0");
    }

    const std::string command = std::string(VOREL_BUILD_DIR) + "/bin/sysroot-reboot " + dir.Path().string() + " 2>&1";
    FILE* pipe = ::popen(command.c_str(), "r");
    ASSERT_NE(pipe, nullptr);
    std::string out;
    char buffer[4096];
    for (std::size_t n; (n = std::fread(buffer, 1, sizeof buffer, pipe)) > 0;) out.append(buffer, n);
    EXPECT_EQ(WEXITSTATUS(::pclose(pipe)), 0) << out;
    EXPECT_EQ(out.rfind("page: Setup complete\n", 0), 0u) << out;

    platform::ScopedSystemRoot root(dir.Path());
    auto& files = platform::Files();
    EXPECT_EQ(ReadAll(files.HostPath(options.inUse)), ReadAll(files.HostPath("C:\\build\\voreled\\voreled.exe")));
    EXPECT_FALSE(platform::Registry().KeyExists(platform::RegRoot::LocalMachine, "SOFTWARE\\Tamsel"));
}
