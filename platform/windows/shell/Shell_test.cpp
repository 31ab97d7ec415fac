#include <gtest/gtest.h>

#include <cstdlib>
#include <fstream>
#include <sstream>
#include <string>

#include "platform/qt/qtglue/Messenger.h"
#include "platform/windows/shell/Shell.h"
#include "testkit/files/TempDir.h"

using namespace platform;

namespace {
std::string ReadAll(const std::string& path) {
    std::ifstream in(path, std::ios::binary);
    std::stringstream ss;
    ss << in.rdbuf();
    return ss.str();
}
}  // namespace

TEST(Shell, LogsEachRequestAsOneLine) {
    platform::testing::TempDir dir;
    const std::string log = (dir / "shell.log").string();
    setenv("VOREL_SHELL_LOG", log.c_str(), 1);
    EXPECT_TRUE(ShellExecute({"", "visao_geral.html", "/base/Help", ShowMode::Maximized}));
    // A tab or line end in a target cannot forge a second request.
    EXPECT_TRUE(ShellExecute({"open", "http://x/\nopen\tevil", "", ShowMode::Normal}));
    unsetenv("VOREL_SHELL_LOG");
    EXPECT_EQ(ReadAll(log),
              "\tvisao_geral.html\t/base/Help\tmaximized\n"
              "open\thttp://x/ open evil\t\tnormal\n");
}

TEST(Shell, MissingFileIsReportedByTheShell) {
    unsetenv("VOREL_SHELL_LOG");
    ScriptedMessenger m;
    EXPECT_FALSE(ShellExecute({"", "no-such-page.html", "/nonexistent-dir", ShowMode::Maximized}));
    ASSERT_EQ(m.shown.size(), 1u);
    EXPECT_EQ(m.shown[0].text, "Cannot open \"no-such-page.html\".");
    EXPECT_EQ(m.shown[0].icon, MsgIcon::Error);
}
