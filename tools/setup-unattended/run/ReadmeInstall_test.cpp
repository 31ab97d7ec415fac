// The README's "Install with the setup program" section, run as a user runs
// it: its command lines in one shell, in a virtual display, with Enter
// pressed on whatever window has the focus until they end. Only the roots
// differ (fresh ones), so the README cannot drift from what works. The
// installed program is then started as "Start the installed program" says.
#include <gtest/gtest.h>

#include <fstream>
#include <sstream>

#include "installer/distribution/SelfExtractor.h"
#include "platform/core/hostio/HostProgram.h"
#include "platform/windows/registry/RegistryStore.h"
#include "platform/windows/sysroot/SystemRoot.h"
#include "testkit/files/TempDir.h"
#include "tools/setup-unattended/run/Unattended.h"

namespace fs = std::filesystem;

namespace {

// The README's roots are /tmp/vorel-root and its siblings.
constexpr const char* kReadmeRoots = "/tmp/vorel-";

// The indented command lines of one README section, in order.
std::vector<std::string> SectionCommands(const std::string& heading) {
    std::ifstream in(fs::path(VOREL_SOURCE_DIR) / "README.md");
    std::vector<std::string> lines;
    bool inside = false;
    for (std::string line; std::getline(in, line);) {
        if (line.starts_with("## ")) inside = line == "## " + heading;
        else if (inside && line.starts_with("    ")) lines.push_back(line.substr(4));
    }
    return lines;
}

std::string Replaced(std::string text, const std::string& from, const std::string& to) {
    for (std::size_t at = 0; (at = text.find(from, at)) != std::string::npos; at += to.size())
        text.replace(at, from.size(), to);
    return text;
}

void ExpectProductIn(const fs::path& root) {
    platform::ScopedSystemRoot scoped(root);
    for (const char* file : {"voreled.exe", "vorel.ini", "Data\\Transistores.db", "Help\\visao_geral.html"})
        EXPECT_TRUE(platform::Files().FileExists(std::string(unattended::kProductDir) + "\\" + file))
            << root << " " << file;
}

}  // namespace

TEST(ReadmeInstall, TheSectionInstallsTheProductAndBuildsADistributionThatInstallsFromItselfAndFromDiskettes) {
    const std::vector<std::string> commands = SectionCommands("Install with the setup program");
    ASSERT_GE(commands.size(), 3u);
    platform::testing::TempDir scratch("vorel-readme");
    const fs::path root = scratch / "vorel-root";
    // The clone as the README sees it: its build folder is this build.
    const fs::path clone = scratch / "clone";
    fs::create_directories(clone);
    fs::create_directory_symlink(VOREL_BUILD_DIR, clone / "build");

    std::ostringstream script;
    script << "set -e\nunset QT_QPA_PLATFORM\n"
           << "(while :; do xdotool key Return 2>/dev/null || true; sleep 0.3; done) &\n"
           << "keys=$!\ntrap 'kill $keys' EXIT\n";
    for (const std::string& command : commands)
        script << Replaced(command, kReadmeRoots, (scratch / "vorel-").string()) << "\n";
    // Then the installed program, started as the README says: it must still
    // be running, having told the user nothing, when it is stopped.
    std::ostringstream start;
    for (const std::string& command : SectionCommands("Start the installed program"))
        start << Replaced(command, kReadmeRoots, (scratch / "vorel-").string()) << "\n";
    ASSERT_FALSE(start.str().empty());
    std::ofstream(scratch / "start.sh") << start.str();
    const fs::path messages = scratch / "messages.log";
    script << "status=0\nVOREL_MESSAGE_LOG='" << messages.string() << "' timeout 8 bash '"
           << (scratch / "start.sh").string() << "' || status=$?\n"
           << "[ \"$status\" -eq 124 ] || { echo \"the installed program ended with $status\"; exit 1; }\n";
    std::ofstream(scratch / "walk.sh") << script.str();

    const platform::HostProgramRun run = platform::RunHostProgram(
        "/usr/bin/env", {"xvfb-run", "-a", "-s", "-screen 0 1280x1024x24", "bash", (scratch / "walk.sh").string()},
        clone);
    ASSERT_TRUE(run.started) << "xvfb-run could not be started (scripts/install-deps.sh installs it)";
    EXPECT_EQ(run.exitStatus, 0) << script.str();

    ExpectProductIn(root);
    EXPECT_FALSE(fs::exists(messages) && fs::file_size(messages) > 0) << "the installed program showed a message";
    // The install from the diskette set, which is back in its folders afterwards.
    ExpectProductIn(scratch / "vorel-floppy");
    EXPECT_TRUE(fs::is_regular_file(root / "diskettes" / "1" / "setup.exe"));
    EXPECT_TRUE(fs::is_regular_file(root / "diskettes" / "2" / "files.2"));

    platform::ScopedSystemRoot scoped(root);
    auto& files = platform::Files();
    // The built setup.exe is the loading program with both archives behind it.
    const std::string built = std::string(unattended::kDistributionDir) + "\\setup.exe";
    ASSERT_TRUE(files.FileExists(built));
    const installer::SelfExtractorTrailer trailer = installer::ReadSelfExtractorTrailer(built);
    EXPECT_TRUE(trailer.HasFiles());
    // Both runs ended well: no record of an unfinished setup is left.
    EXPECT_FALSE(platform::Registry().KeyExists(platform::RegRoot::LocalMachine, "SOFTWARE\\Tamsel\\Install"));
}
