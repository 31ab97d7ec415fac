#include "installer/distribution/BuildInf.h"

#include "platform/core/runtime/LegacyText.h"
#include "platform/windows/sysroot/SystemRoot.h"

namespace installer {

std::optional<std::vector<std::string>> ReadBuildInf(const std::string& path) {
    std::string bytes;
    try {
        if (!platform::Files().FileExists(path)) return std::nullopt;
        platform::FileStream in = platform::Files().Open(path, platform::FileMode::Read);
        bytes.resize(static_cast<std::size_t>(std::max<std::int64_t>(0, in.Size())));
        bytes.resize(in.Read(bytes.data(), bytes.size()));
    } catch (const platform::Exception&) {
        return std::nullopt;
    }
    return platform::SplitTextLines(platform::DecodeLegacyText(bytes));
}

}  // namespace installer
