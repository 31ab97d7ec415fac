#include "installer/distribution/SelfExtractor.h"

#include <array>
#include <limits>

#include "installer/translator/IException.h"
#include "platform/windows/sysroot/SystemRoot.h"

namespace installer {
namespace {

[[noreturn]] void CannotAppend(const std::string& archive, const std::string& exe) {
    throw IEInstall("Cannot create the self-extracting exe because %s could not be loaded onto %s", {archive, exe});
}

// Appends a whole file; its first and last offset in exe.
std::pair<std::int32_t, std::int32_t> Append(platform::FileStream& out, const std::string& exe,
                                              const std::string& archive) {
    platform::FileStream in;
    try {
        in = platform::Files().Open(archive, platform::FileMode::Read);
    } catch (const platform::Exception&) {
        CannotAppend(archive, exe);
    }
    const std::int64_t start = out.Position();
    const std::int64_t size = in.Size();
    std::array<char, 65536> buffer;
    std::int64_t copied = 0;
    for (std::size_t n = in.Read(buffer.data(), buffer.size()); n > 0; n = in.Read(buffer.data(), buffer.size())) {
        if (out.Write(buffer.data(), n) != n) CannotAppend(archive, exe);
        copied += static_cast<std::int64_t>(n);
    }
    const std::int64_t end = out.Position() - 1;
    if (copied < size || end + static_cast<std::int64_t>(kSelfExtractorTrailerSize) > std::numeric_limits<std::int32_t>::max())
        CannotAppend(archive, exe);
    return {static_cast<std::int32_t>(start), static_cast<std::int32_t>(end)};
}

}  // namespace

SelfExtractorTrailer ReadSelfExtractorTrailer(const std::string& file) {
    const std::optional<SelfExtractorTrailer> trailer = FindTrailer(file);
    if (!trailer)
        throw IEInstall(
            "Could not read the extraction info from the archive file %s when trying to find the correct offset into "
            "the self extracting file",
            {file});
    return *trailer;
}

void CreateSelfExtractor(const std::string& exe, const std::string& setup1, const std::string& files1) {
    SelfExtractorTrailer trailer;
    platform::FileStream out;
    try {
        out = platform::Files().Open(exe, platform::FileMode::ReadWrite);
    } catch (const platform::Exception&) {
        CannotAppend(setup1, exe);
    }
    out.Seek(0, platform::SeekOrigin::End);
    std::tie(trailer.SetupStart, trailer.SetupEnd) = Append(out, exe, setup1);
    if (platform::Files().FileExists(files1)) std::tie(trailer.FilesStart, trailer.FilesEnd) = Append(out, exe, files1);
    const std::string bytes = EncodeTrailer(trailer);
    if (out.Write(bytes.data(), bytes.size()) != bytes.size()) CannotAppend(setup1, exe);
}

}  // namespace installer
