#include "installer/install/DisketteShelf.h"

#include <cctype>

#include "platform/windows/sysroot/SystemRoot.h"

namespace installer {

namespace fs = std::filesystem;

namespace {

// The set may lie in another root on another file system: rename, else copy.
void MoveFiles(const fs::path& from, const fs::path& to) {
    fs::create_directories(to);
    for (const auto& entry : fs::directory_iterator(from)) {
        const fs::path target = to / entry.path().filename();
        std::error_code ec;
        fs::rename(entry.path(), target, ec);
        if (ec) {
            fs::copy(entry.path(), target, fs::copy_options::overwrite_existing | fs::copy_options::recursive);
            fs::remove_all(entry.path());
        }
    }
}

fs::path Drive() {
    platform::Files().ForceDirectories("A:\\");
    return platform::Files().HostPath("A:\\");
}

}  // namespace

void DisketteShelf::Eject() { MoveFiles(Drive(), disk_(inDrive_)); }

void DisketteShelf::Insert(int disk) {
    Eject();
    if (fs::is_directory(disk_(disk))) MoveFiles(disk_(disk), Drive());
    inDrive_ = disk;
}

std::optional<int> DisketteShelf::AskedDisk(const std::string& prompt) {
    const std::string lead = "Please insert disk ";
    if (prompt.rfind(lead, 0) != 0) return std::nullopt;
    std::size_t at = lead.size();
    if (at < prompt.size() && prompt[at] == '#') ++at;
    if (at == prompt.size()) return std::nullopt;
    int disk = 0;
    for (; at < prompt.size(); ++at) {
        if (!std::isdigit(static_cast<unsigned char>(prompt[at])) || disk > 9999) return std::nullopt;
        disk = disk * 10 + (prompt[at] - '0');
    }
    return disk;
}

}  // namespace installer
