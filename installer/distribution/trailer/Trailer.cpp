#include "installer/distribution/trailer/Trailer.h"

#include <cstring>

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

std::optional<SelfExtractorTrailer> FindTrailer(const std::string& file) {
    try {
        platform::FileStream in = platform::Files().Open(file, platform::FileMode::Read);
        const std::int64_t size = in.Size();
        if (size < static_cast<std::int64_t>(kSelfExtractorTrailerSize)) return std::nullopt;
        std::string bytes(kSelfExtractorTrailerSize, '\0');
        in.Seek(-static_cast<std::int64_t>(kSelfExtractorTrailerSize), platform::SeekOrigin::End);
        if (in.Read(bytes.data(), bytes.size()) != bytes.size()) return std::nullopt;
        return DecodeTrailer(bytes, size);
    } catch (const platform::Exception&) {
        return std::nullopt;
    }
}

}  // namespace installer
