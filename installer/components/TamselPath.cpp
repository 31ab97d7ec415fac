#include "installer/components/TamselPath.h"

#include <vector>

#include "installer/base/Strings.h"
#include "installer/translator/IException.h"
#include "platform/core/runtime/Text.h"
#include "platform/windows/registry/RegistryStore.h"
#include "platform/windows/sysroot/SystemRoot.h"

namespace installer {
namespace {

const std::string kMacro = "$(TAMSEL)";

// Replaces every "$(TAMSEL)", ignoring case.
std::string ReplaceRootMacro(std::string text, const std::string& root) {
    std::size_t at = 0;
    while ((at = platform::AsciiUpper(text).find(kMacro, at)) != std::string::npos) {
        text.replace(at, kMacro.size(), root);
        at += root.size();
    }
    return text;
}

}  // namespace

std::string GetTamselPath(bool raiseIfMissing, const std::optional<std::string>& programDirectory) {
    std::vector<std::string> candidates;
    if (programDirectory) {
        candidates.push_back(*programDirectory);
    } else {
        auto& registry = platform::Registry();
        const std::string searchPath =
            registry.ReadString(platform::RegRoot::CurrentUser, kTamselLibraryKey, "LibraryPath").value_or("");
        const std::string root =
            RemoveBackslash(registry.ReadString(platform::RegRoot::LocalMachine, kTamselLibraryKey, "RootDir").value_or(""));
        for (int i = 1; i <= ItemCount(searchPath, ';'); ++i) {
            const std::string item = GetItem(searchPath, i, ';');
            if (!item.empty()) candidates.push_back(ReplaceRootMacro(item, root));
        }
    }
    for (const std::string& dir : candidates) {
        try {
            if (platform::Files().FileExists(AddBackslash(dir) + "T32V40.TXT")) return RemoveBackslash(dir);
        } catch (const std::exception&) {
            // a candidate the file layer refuses holds nothing
        }
    }
    if (raiseIfMissing)
        throw IENoTamselPath(
            "The directory of the installer library (the one that holds T32V40.TXT) is not on the library search "
            "path");
    return {};
}

}  // namespace installer
