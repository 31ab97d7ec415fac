#include "tools/sysroot-dump/RootDump.h"

#include <algorithm>
#include <vector>

#include "platform/core/runtime/Text.h"
#include "platform/windows/registry/RegistryStore.h"
#include "platform/windows/sysroot/FileSystem.h"

namespace platform {

namespace fs = std::filesystem;

std::string DumpRegistry(const fs::path& root, bool& damaged) {
    damaged = false;
    RegistryStore store(root);
    std::string out;
    for (RegRoot hive : {RegRoot::LocalMachine, RegRoot::CurrentUser}) {
        std::string error = store.LoadError(hive);
        if (!error.empty()) {
            damaged = true;
            out += "; " + error + "\n\n";
            continue;
        }
        std::string text = store.ExportText(hive);
        for (char c : text)
            if (c != '\r') out += c;
    }
    return out;
}

std::string DumpFiles(const fs::path& rootGiven) {
    // The file layer works on the absolute root; the walk must name the same paths.
    const fs::path root = fs::absolute(rootGiven);
    WinFileSystem files(root);
    std::vector<std::pair<std::string, std::string>> lines;  // (path, line)
    std::error_code ec;
    for (fs::directory_iterator top(root, ec), end; !ec && top != end; top.increment(ec)) {
        std::string name = top->path().filename().string();
        bool drive = name.size() == 7 && name.compare(0, 6, "drive_") == 0;
        if ((!drive && name != "unc") || !top->is_directory(ec)) continue;
        for (fs::recursive_directory_iterator it(top->path(), ec), stop; !ec && it != stop; it.increment(ec)) {
            std::string win;
            try {
                win = files.WinPathOf(it->path());
            } catch (const Exception&) {
                continue;  // the server folders of "unc" name no path by themselves
            }
            auto st = it->symlink_status(ec);
            if (fs::is_symlink(st)) {
                lines.emplace_back(win, win + "  -> " + fs::read_symlink(it->path(), ec).string());
            } else if (fs::is_directory(st)) {
                lines.emplace_back(win, win + "\\");
            } else {
                lines.emplace_back(win, win + "  " + std::to_string(it->file_size(ec)));
            }
        }
        if (drive) lines.emplace_back(files.WinPathOf(top->path()), files.WinPathOf(top->path()));
    }
    std::sort(lines.begin(), lines.end(), [&](const auto& a, const auto& b) {
        std::string x = platform::AsciiUpper(a.first), y = platform::AsciiUpper(b.first);
        return x != y ? x < y : a.first < b.first;
    });
    std::string out;
    for (const auto& [path, line] : lines) out += line + "\n";
    return out;
}

}  // namespace platform
