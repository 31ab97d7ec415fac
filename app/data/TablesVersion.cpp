#include "app/data/TablesVersion.h"

#include <exception>

#include "platform/core/hostio/HostIo.h"
#include "platform/core/runtime/LegacyText.h"
#include "platform/core/runtime/PathCase.h"
#include "platform/core/runtime/Text.h"

namespace vorel {

std::string ReadTablesVersion(const std::string& baseDirectory) {
    try {
        const auto path = platform::ResolveCase(baseDirectory, std::string("data/") + kTablesVersionFile);
        const std::optional<std::string> bytes = platform::ReadWholeFile(path);
        if (!bytes) return "n/a";
        const auto lines = platform::SplitTextLines(platform::DecodeLegacyText(*bytes));
        const std::string version = lines.empty() ? "" : platform::TrimControls(lines[0]);
        return version.empty() ? "n/a" : version;
    } catch (const std::exception&) {
        return "n/a";  // an unreadable file tells no version, like a missing one
    }
}

}  // namespace vorel
