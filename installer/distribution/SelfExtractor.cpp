#include "installer/distribution/SelfExtractor.h"

#include <array>
#include <cstring>
#include <limits>

#include "installer/translator/IException.h"
#include "platform/windows/sysroot/SystemRoot.h"

namespace installer {
namespace {

constexpr std::string_view kMagic = "SELFEXTRACTING";

void PutInt32(std::string& out, std::size_t at, std::int32_t value) {
    const auto u = static_cast<std::uint32_t>(value);
    for (std::size_t i = 0; i < 4; ++i) out[at + i] = static_cast<char>((u >> (8 * i)) & 0xFFu);
}

std::int32_t GetInt32(std::string_view in, std::size_t at) {
    std::uint32_t u = 0;
    for (std::size_t i = 0; i < 4; ++i) u |= static_cast<std::uint32_t>(static_cast<unsigned char>(in[at + i])) << (8 * i);
    return static_cast<std::int32_t>(u);
}

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

std::string EncodeTrailer(const SelfExtractorTrailer& trailer) {
    std::string out(kSelfExtractorTrailerSize, '\0');
    out[0] = static_cast<char>(kMagic.size());
    std::memcpy(out.data() + 1, kMagic.data(), kMagic.size());
    PutInt32(out, 16, trailer.SetupStart);
    PutInt32(out, 20, trailer.SetupEnd);
    PutInt32(out, 24, trailer.FilesStart);
    PutInt32(out, 28, trailer.FilesEnd);
    return out;
}

std::optional<SelfExtractorTrailer> DecodeTrailer(std::string_view bytes, std::int64_t fileSize) {
    if (bytes.size() != kSelfExtractorTrailerSize) return std::nullopt;
    if (static_cast<unsigned char>(bytes[0]) != kMagic.size() || bytes.substr(1, kMagic.size()) != kMagic)
        return std::nullopt;
    SelfExtractorTrailer t{GetInt32(bytes, 16), GetInt32(bytes, 20), GetInt32(bytes, 24), GetInt32(bytes, 28)};
    // Every offset lies in the data before the trailer, in the order written.
    const std::int64_t dataEnd = fileSize - static_cast<std::int64_t>(kSelfExtractorTrailerSize);
    const bool setupInside = t.SetupStart > 0 && t.SetupStart <= t.SetupEnd && t.SetupEnd < dataEnd;
    const bool filesInside =
        !t.HasFiles() || (t.FilesStart > t.SetupEnd && t.FilesStart <= t.FilesEnd && t.FilesEnd < dataEnd);
    if (!setupInside || !filesInside) return std::nullopt;
    return t;
}

SelfExtractorTrailer ReadSelfExtractorTrailer(const std::string& file) {
    std::optional<SelfExtractorTrailer> trailer;
    try {
        platform::FileStream in = platform::Files().Open(file, platform::FileMode::Read);
        const std::int64_t size = in.Size();
        if (size >= static_cast<std::int64_t>(kSelfExtractorTrailerSize)) {
            std::string bytes(kSelfExtractorTrailerSize, '\0');
            in.Seek(-static_cast<std::int64_t>(kSelfExtractorTrailerSize), platform::SeekOrigin::End);
            if (in.Read(bytes.data(), bytes.size()) == bytes.size()) trailer = DecodeTrailer(bytes, size);
        }
    } catch (const platform::Exception&) {
        trailer.reset();
    }
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
