// The stand-in engine files of the build, as the engine installer sees them.
#include <gtest/gtest.h>

#include <filesystem>

#include "installer/bde/BdeRegistry.h"
#include "installer/registry/RegistryRoutines.h"
#include "installer/version/SystemRootFiles.h"
#include "platform/windows/sysroot/SystemRoot.h"
#include "testkit/files/TempDir.h"

namespace {

TEST(BdePayload, TheBuildWritesAnEngineOfVersion40) {
    const std::filesystem::path payload = VOREL_BDE_PAYLOAD_DIR;
    platform::TempRootDir dir;
    platform::ScopedSystemRoot root(dir.Path());
    platform::Files().ForceDirectories("C:\\BDE");
    int copied = 0;
    for (const auto& entry : std::filesystem::directory_iterator(payload)) {
        std::filesystem::copy_file(entry.path(), platform::Files().HostPath("C:\\BDE\\" + entry.path().filename().string()));
        ++copied;
    }
    EXPECT_EQ(copied, 33);
    installer::RegWriteString(4, "\\Software\\Borland\\Database Engine", "DLLPATH", "C:\\BDE");
    EXPECT_EQ(installer::GetInstalledBDEVersion(), 2);
    EXPECT_EQ(installer::FileVersionOf("C:\\BDE\\USA.BLL"), "4.0.1.0");
    EXPECT_EQ(installer::FileVersionOf("C:\\BDE\\SQLLNK32.HLP"), "");
}

}  // namespace
