// libFuzzer target for the archive reader: any bytes as an archive file,
// listed and then extracted member by member into a scratch folder. Every
// outcome must be a clean error or a correct file; the sanitizers catch the
// rest.
#include <stdlib.h>

#include <cstddef>
#include <cstdint>
#include <filesystem>
#include <fstream>
#include <string>
#include <vector>

#include "installer/archive/ArchiveCodec.h"
#include "platform/core/runtime/Exception.h"
#include "testkit/files/FuzzScratch.h"

namespace {

using platform::testing::FuzzScratch;

}  // namespace

extern "C" int LLVMFuzzerTestOneInput(const std::uint8_t* data, std::size_t size) {
    const std::filesystem::path& dir = FuzzScratch();
    std::error_code ec;
    std::filesystem::remove_all(dir / "out", ec);
    std::string archive = (dir / "input.1").string();
    {
        std::ofstream out(archive, std::ios::binary | std::ios::trunc);
        out.write(reinterpret_cast<const char*>(data), static_cast<std::streamsize>(size));
    }
    installer::ArchiveCodec c(installer::MakeHostPathArchiveHost());
    c.SetCompressedFile(archive);
    c.ExtractDirectory = (dir / "out").string();
    try {
        std::vector<std::string> members;
        for (int i = 0; i < c.Count(); ++i) members.push_back(c.Headers().FileHeaders(i).FileName);
        for (const std::string& member : members) {
            c.SetFilesToProcess({member});
            try {
                c.Extract();
            } catch (const platform::Exception&) {
                // A clear error is the expected end of a malformed member.
            }
        }
    } catch (const platform::Exception&) {
        // A clear error is the expected end of a malformed archive.
    }
    return 0;
}
