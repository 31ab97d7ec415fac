#include "platform/windows/restart/BatchFile.h"

#include <algorithm>
#include <filesystem>
#include <optional>

#include "platform/core/runtime/PathCase.h"
#include "platform/windows/sysroot/SystemRoot.h"
#include "platform/windows/sysroot/WinPath.h"
#include "platform/core/runtime/LegacyText.h"

namespace platform {

namespace {

namespace fs = std::filesystem;

// Why a line is not run; thrown while the line is checked, before anything changes.
struct Refusal {
    std::string why;
};

}  // namespace

std::vector<std::string> SplitCommandLine(const std::string& line) {
    std::vector<std::string> words;
    std::string word;
    bool quoted = false, inWord = false;
    for (char c : line) {
        if (c == '"') {
            quoted = !quoted;
            inWord = true;
        } else if (!quoted && (c == ' ' || c == '\t')) {
            if (inWord) words.push_back(word);
            word.clear();
            inWord = false;
        } else {
            word += c;
            inWord = true;
        }
    }
    if (inWord) words.push_back(word);
    return words;
}

namespace {

std::vector<std::string> splitWords(const std::string& line) {
    if (std::count(line.begin(), line.end(), '"') % 2 != 0) throw Refusal{"an unclosed quote"};
    return SplitCommandLine(line);
}

// Whether a component climbs: "..", and the spellings Windows reads as it
// ("...", ".. "); the engine writes none of them.
bool hasDotDot(const std::string& path) {
    std::string part;
    for (size_t i = 0; i <= path.size(); ++i) {
        if (i == path.size() || path[i] == '\\' || path[i] == '/') {
            if (part.find("..") != std::string::npos && part.find_first_not_of(". ") == std::string::npos) return true;
            part.clear();
        } else {
            part += path[i];
        }
    }
    return false;
}

// A full path of the root that is no drive root, in its full Windows form.
std::string checkedPath(const std::string& path) {
    const bool drive = path.size() >= 3 && path[1] == ':' && (path[2] == '\\' || path[2] == '/');
    const bool unc = path.size() >= 2 && (path[0] == '\\' || path[0] == '/') && (path[1] == '\\' || path[1] == '/');
    if (!drive && !unc) throw Refusal{"not a full path"};
    if (hasDotDot(path)) throw Refusal{"a path leading out of the root"};
    WinPath parsed;
    if (!ParseWinPath(path, "C:\\", parsed)) throw Refusal{"not a valid path"};
    if (parsed.components.empty()) throw Refusal{"a drive root"};
    try {
        Files().HostPath(path);
    } catch (const EPathRefused&) {
        throw Refusal{"a path leading out of the root"};
    }
    return parsed.Text();
}

bool isLink(const fs::path& host) {
    std::error_code ec;
    return fs::is_symlink(fs::symlink_status(host, ec));
}

bool isLink(const std::string& path) { return isLink(Files().HostPath(path)); }

// DELTREE of a directory: files first, then the emptied directories. A link
// is removed as the entry it is, wherever it points.
bool deleteTree(const std::string& dir) {
    WinFileSystem& files = Files();
    const fs::path host = files.HostPath(dir);
    bool all = true;
    for (const DirEntry& entry : files.FindFiles(dir)) {
        const std::string child = dir + "\\" + entry.name;
        const fs::path childHost = host / entry.name;
        std::error_code ec;
        if (isLink(childHost))
            all = fs::remove(childHost, ec) && all;
        else if (entry.directory)
            all = deleteTree(child) && all;
        else
            all = files.DeleteFile(child) && all;
    }
    return files.RemoveDir(dir) && all;
}

// Carries out one understood command; nothing when it failed (with why).
std::optional<std::string> carryOut(const std::vector<std::string>& words) {
    WinFileSystem& files = Files();
    const std::string command = words.empty() ? std::string() : words[0];
    if (SameNameIgnoringCase(command, "ERASE")) {
        if (words.size() != 2) throw Refusal{"ERASE takes one file"};
        const std::string path = checkedPath(words[1]);
        if (files.DirectoryExists(path)) throw Refusal{"ERASE of a directory"};
        if (!files.FileExists(path) && !isLink(path)) return std::nullopt;  // nothing to erase
        if (!files.DeleteFile(path)) return "the file could not be deleted";
        return std::nullopt;
    }
    if (SameNameIgnoringCase(command, "DELTREE")) {
        if (words.size() != 3 || !SameNameIgnoringCase(words[1], "/Y")) throw Refusal{"DELTREE takes /Y and one path"};
        const std::string path = checkedPath(words[2]);
        if (files.DirectoryExists(path) && !isLink(path)) {
            if (!deleteTree(path)) return "the tree could not be deleted whole";
        } else if ((files.FileExists(path) || isLink(path)) && !files.DeleteFile(path)) {
            return "the file could not be deleted";
        }
        return std::nullopt;
    }
    if (SameNameIgnoringCase(command, "MOVE")) {
        if (words.size() != 3) throw Refusal{"MOVE takes a file and a destination"};
        const std::string from = checkedPath(words[1]);
        std::string to = checkedPath(words[2]);
        if (files.DirectoryExists(from)) throw Refusal{"MOVE of a directory"};
        if (files.DirectoryExists(to)) to += "\\" + ExtractFileName(from);
        if (!files.FileExists(from)) return "the file to move does not exist";
        if (!files.MoveFile(from, to, true)) return "the file could not be moved";
        return std::nullopt;
    }
    throw Refusal{"not a command of the install engine"};
}

}  // namespace

BatchReport RunBatchText(const std::string& text) {
    BatchReport report;
    for (const std::string& line : platform::SplitTextLines(text)) {
        if (line.find_first_not_of(" \t") == std::string::npos) continue;
        try {
            if (auto failure = carryOut(splitWords(line)))
                report.failed.push_back(line + " (" + *failure + ")");
            else
                report.done.push_back(line);
        } catch (const Refusal& refusal) {
            report.refused.push_back(line + " (" + refusal.why + ")");
        } catch (const EPathRefused& e) {
            report.refused.push_back(line + " (" + e.what() + ")");
        } catch (const Exception& e) {
            report.failed.push_back(line + " (" + e.what() + ")");
        }
    }
    return report;
}

BatchReport RunBatchFile(const std::string& batchPath) {
    std::string text;
    try {
        FileStream in = Files().Open(batchPath, FileMode::Read);
        text.resize(static_cast<size_t>(std::max<std::int64_t>(0, in.Size())));
        text.resize(in.Read(text.data(), text.size()));
    } catch (const Exception& e) {
        BatchReport report;
        report.failed.push_back(batchPath + " (" + e.what() + ")");
        return report;
    }
    return RunBatchText(text);
}

}  // namespace platform
