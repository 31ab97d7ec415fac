#include <gtest/gtest.h>

#include <cstdio>
#include <filesystem>
#include <fstream>
#include <sys/wait.h>

#include "platform/windows/registry/RegistryStore.h"
#include "platform/windows/sysroot/SystemRoot.h"
#include "testkit/files/TempDir.h"
#include "tools/sysroot-dump/RootDump.h"

using namespace platform;

namespace {
std::string run(const std::string& args, int& status) {
    std::string cmd = std::string(VOREL_BIN_DIR) + "/sysroot-dump " + args + " 2>&1";
    FILE* p = ::popen(cmd.c_str(), "r");
    std::string out;
    char buf[4096];
    size_t n;
    while ((n = std::fread(buf, 1, sizeof buf, p)) > 0) out.append(buf, n);
    status = WEXITSTATUS(::pclose(p));
    return out;
}
}  // namespace

TEST(SysrootDump, RegistryAsSortedTextAndFilesAsWindowsPaths) {
    TempRootDir dir;
    {
        ScopedSystemRoot root(dir.Path());
        RegistryStore& reg = Registry();
        reg.CreateKey(RegRoot::LocalMachine, "Software\\Zulu");
        reg.CreateKey(RegRoot::LocalMachine, "Software\\alpha");
        reg.WriteString(RegRoot::LocalMachine, "Software\\alpha", "b", "2");
        reg.WriteInteger(RegRoot::LocalMachine, "Software\\alpha", "A", 1);
        reg.CreateKey(RegRoot::CurrentUser, "Control Panel\\International");
        reg.WriteString(RegRoot::CurrentUser, "Control Panel\\International", "Locale", "00000416");
        auto& files = Files();
        files.ForceDirectories("C:\\Program Files\\VorelSoft");
        FileStream f = files.Open("C:\\Program Files\\VorelSoft\\vorel.ini", FileMode::Create);
        f.WriteBuffer("[Links]\r\n", 9);
    }
    int status = -1;
    std::string out = run(dir.Path().string(), status);
    EXPECT_EQ(status, 0);
    EXPECT_EQ(out,
              "REGEDIT4\n\n"
              "[HKEY_LOCAL_MACHINE\\Software]\n\n"
              "[HKEY_LOCAL_MACHINE\\Software\\alpha]\n\"A\"=dword:00000001\n\"b\"=\"2\"\n\n"
              "[HKEY_LOCAL_MACHINE\\Software\\Zulu]\n\n"
              "REGEDIT4\n\n"
              "[HKEY_CURRENT_USER\\Control Panel]\n\n"
              "[HKEY_CURRENT_USER\\Control Panel\\International]\n\"Locale\"=\"00000416\"\n\n"
              "; files\n"
              "C:\\\n"
              "C:\\Program Files\\\n"
              "C:\\Program Files\\VorelSoft\\\n"
              "C:\\Program Files\\VorelSoft\\vorel.ini  9\n"
              "C:\\WINDOWS\\\n"
              "C:\\WINDOWS\\SYSTEM32\\\n"
              "C:\\WINDOWS\\TEMP\\\n");
    // Dumping changes nothing; a damaged hive is reported and ends with status 1.
    std::ofstream(dir.Path() / "HKCU.reg", std::ios::binary) << "not a registry";
    out = run(dir.Path().string() + " --registry", status);
    EXPECT_EQ(status, 1);
    EXPECT_NE(out.find("; The registry file"), std::string::npos) << out;
    EXPECT_NE(out.find("[HKEY_LOCAL_MACHINE\\Software\\alpha]"), std::string::npos);
    // A root named relative to the current directory shows the same files.
    const std::string cd = "cd '" + dir.Path().parent_path().string() + "' && ";
    std::string cmd = cd + std::string(VOREL_BIN_DIR) + "/sysroot-dump " + dir.Path().filename().string() + " --files";
    FILE* p = ::popen(cmd.c_str(), "r");
    std::string listed;
    char buf[4096];
    size_t n;
    while ((n = std::fread(buf, 1, sizeof buf, p)) > 0) listed.append(buf, n);
    EXPECT_EQ(WEXITSTATUS(::pclose(p)), 0);
    EXPECT_NE(listed.find("C:\\Program Files\\VorelSoft\\vorel.ini  9\n"), std::string::npos) << listed;
    // A key nested far deeper than a hive may hold is named with its line, not walked.
    {
        std::ofstream deep(dir.Path() / "HKCU.reg", std::ios::binary);
        deep << "REGEDIT4\r\n\r\n[HKEY_CURRENT_USER";
        for (int i = 0; i < 50000; ++i) deep << "\\k";
        deep << "]\r\n";
    }
    out = run(dir.Path().string() + " --registry", status);
    EXPECT_EQ(status, 1);
    EXPECT_NE(out.find("; The registry file " + (dir.Path() / "HKCU.reg").string() +
                       " cannot be read: line 3: a key more than 512 levels deep\n"),
              std::string::npos)
        << out.substr(0, 300);
    run("", status);
    EXPECT_EQ(status, 2);
    run((dir.Path() / "missing").string(), status);
    EXPECT_EQ(status, 2);
}
