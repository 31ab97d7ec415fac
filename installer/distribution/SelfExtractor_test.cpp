#include <gtest/gtest.h>

#include "installer/distribution/BuildInf.h"
#include "installer/distribution/SelfExtractor.h"
#include "platform/windows/sysroot/SystemRoot.h"
#include "testkit/files/FileSizeLimit.h"
#include "testkit/files/SysrootFiles.h"
#include "testkit/files/TempDir.h"
#include "testkit/support/ErrorOf.h"

namespace installer {
namespace {

using platform::testing::ErrorOf;
const auto Write = platform::testing::WriteTestFile;

const auto Read = platform::testing::ReadTestFile;

class SelfExtractor : public ::testing::Test {
protected:
    platform::TempRootDir dir;
    platform::ScopedSystemRoot root{dir.Path()};
};

std::string ReadError(const std::string& file) {
    return "Could not read the extraction info from the archive file " + file +
           " when trying to find the correct offset into the self extracting file";
}

TEST_F(SelfExtractor, WithoutFilesOnlySetupIsAppendedAndTheTrailerReadsBack) {
    Write("C:\\D\\setup.exe", "LOADER");
    Write("C:\\D\\setup.1", "0123456789");
    CreateSelfExtractor("C:\\D\\setup.exe", "C:\\D\\setup.1", "C:\\D\\files.1");
    const std::string exe = Read("C:\\D\\setup.exe");
    ASSERT_EQ(exe.size(), 6u + 10 + 56);
    EXPECT_EQ(exe.substr(0, 16), "LOADER0123456789");
    const SelfExtractorTrailer t = ReadSelfExtractorTrailer("C:\\D\\setup.exe");
    EXPECT_EQ(t.SetupStart, 6);
    EXPECT_EQ(t.SetupEnd, 15);
    EXPECT_EQ(t.FilesStart, 0);
    EXPECT_EQ(t.FilesEnd, 0);
    EXPECT_FALSE(t.HasFiles());
    EXPECT_EQ(EncodeTrailer(t), exe.substr(16));
}

TEST_F(SelfExtractor, AFileWithoutAValidTrailerIsRefused) {
    const SelfExtractorTrailer good{10, 19, 20, 29};
    const std::string data(30, 'd');
    Write("C:\\good.exe", data + EncodeTrailer(good));
    EXPECT_EQ(ReadSelfExtractorTrailer("C:\\good.exe").FilesEnd, 29);

    auto refused = [&](const std::string& bytes) {
        Write("C:\\bad.exe", bytes);
        return ErrorOf([] { ReadSelfExtractorTrailer("C:\\bad.exe"); });
    };
    std::string wrongText = data + EncodeTrailer(good);
    wrongText[30 + 3] = 'x';
    EXPECT_EQ(refused(wrongText), ReadError("C:\\bad.exe"));
    std::string wrongLength = data + EncodeTrailer(good);
    wrongLength[30] = 13;
    EXPECT_EQ(refused(wrongLength), ReadError("C:\\bad.exe"));
    EXPECT_EQ(refused(data + EncodeTrailer({0, 19, 20, 29})), ReadError("C:\\bad.exe"));  // setup.1 is no loader
    EXPECT_EQ(refused(data + EncodeTrailer({10, 19, 19, 29})), ReadError("C:\\bad.exe"));  // sharing setup's last byte
    EXPECT_EQ(refused(data + EncodeTrailer({10, 19, 20, 30})), ReadError("C:\\bad.exe"));  // into the trailer
    EXPECT_EQ(refused(data + EncodeTrailer({-5, 19, 20, 29})), ReadError("C:\\bad.exe"));
    EXPECT_EQ(refused(data + EncodeTrailer({10, 19, 15, 29})), ReadError("C:\\bad.exe"));  // files inside setup
    EXPECT_EQ(refused(data + EncodeTrailer({20, 19, 0, 0})), ReadError("C:\\bad.exe"));
    EXPECT_EQ(refused(std::string(55, '\0')), ReadError("C:\\bad.exe"));
    EXPECT_EQ(ErrorOf([] { ReadSelfExtractorTrailer("C:\\none.exe"); }), ReadError("C:\\none.exe"));
}

TEST_F(SelfExtractor, AppendingAMissingArchiveOrOntoAFullDiskFails) {
    Write("C:\\D\\setup.exe", "LOADER");
    EXPECT_EQ(ErrorOf([] { CreateSelfExtractor("C:\\D\\setup.exe", "C:\\D\\setup.1", "C:\\D\\files.1"); }),
              "Cannot create the self-extracting exe because C:\\D\\setup.1 could not be loaded onto C:\\D\\setup.exe");
    // A disk that takes only part of files.1.
    Write("C:\\D\\setup.1", std::string(1000, 's'));
    Write("C:\\D\\files.1", std::string(200000, 'f'));
    std::string error;
    {
        platform::testing::FileSizeLimit disk(100000);
        error = ErrorOf([] { CreateSelfExtractor("C:\\D\\setup.exe", "C:\\D\\setup.1", "C:\\D\\files.1"); });
    }
    EXPECT_EQ(error,
              "Cannot create the self-extracting exe because C:\\D\\files.1 could not be loaded onto C:\\D\\setup.exe");
}

TEST_F(SelfExtractor, BuildInfLinesLoseTheirLineEnds) {
    Write("C:\\BUILD.INF", "\xEF\xBB\xBF" "C:\\Dist\r\nsecond\rthird\n");
    EXPECT_EQ(*ReadBuildInf("C:\\BUILD.INF"), (std::vector<std::string>{"C:\\Dist", "second", "third"}));
    Write("C:\\BUILD.INF", "");
    EXPECT_TRUE(ReadBuildInf("C:\\BUILD.INF")->empty());
    EXPECT_FALSE(ReadBuildInf("C:\\MISSING.INF"));
}

}  // namespace
}  // namespace installer
