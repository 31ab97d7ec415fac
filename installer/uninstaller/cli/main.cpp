// uninstall [PRODUCT NAME]: removes an installed product from the system
// root (VOREL_SYSROOT). Its arguments, joined by blanks, are the product
// name, as the setup registers it; without them the product is the one whose
// uninstall log lists this program. Prints what it removed, what it kept
// on purpose (shared, the user's) and what it refused or could not remove;
// exits 0 when everything it had to remove went, 1 otherwise.
#include <cstdio>
#include <exception>
#include <filesystem>
#include <string>

#include "installer/uninstaller/Uninstaller.h"
#include "platform/windows/sysroot/SystemRoot.h"

namespace {

// This program's own Windows path, when it lies in the system root.
std::string OwnWindowsPath() {
    std::error_code error;
    const std::filesystem::path self = std::filesystem::read_symlink("/proc/self/exe", error);
    if (error) return {};
    try {
        return platform::Files().WinPathOf(self);
    } catch (const std::exception&) {
        return {};
    }
}

}  // namespace

int main(int argc, char** argv) {
    std::string product;
    for (int i = 1; i < argc; ++i) product += (i > 1 ? " " : "") + std::string(argv[i]);
    try {
        if (product.find_first_not_of(' ') == std::string::npos) {
            const std::string self = OwnWindowsPath();
            product = self.empty() ? std::string() : installer::FindProductListing(self);
            if (product.empty()) {
                std::fprintf(stderr, "uninstall: name the product to remove (uninstall PRODUCT NAME)\n");
                return 1;
            }
        }
        const installer::UninstallResult result = installer::UninstallProduct(product);
        for (const std::string& path : result.removed) std::printf("removed %s\n", path.c_str());
        for (const std::string& path : result.kept) std::printf("kept %s\n", path.c_str());
        for (const std::string& path : result.failed) std::fprintf(stderr, "uninstall: could not remove %s\n", path.c_str());
        for (const std::string& entry : result.refused) std::fprintf(stderr, "uninstall: refused %s\n", entry.c_str());
        if (!result.keyRemoved) {
            std::fprintf(stderr, "uninstall: %s stays registered until everything is removed\n", product.c_str());
            return 1;
        }
        if (!result.refused.empty()) {
            std::fprintf(stderr, "uninstall: %s was removed except the refused entries\n", product.c_str());
            return 1;
        }
        std::printf("%s was removed\n", product.c_str());
        return 0;
    } catch (const std::exception& e) {
        std::fprintf(stderr, "uninstall: %s\n", e.what());
        return 1;
    }
}
