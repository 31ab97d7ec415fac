#include "platform/windows/restart/Restart.h"

#include <algorithm>
#include <cctype>

#include "platform/core/inifile/IniFile.h"
#include "platform/windows/restart/BatchFile.h"
#include "platform/windows/registry/RegistryStore.h"
#include "platform/core/runtime/PathCase.h"
#include "platform/core/runtime/Text.h"
#include "platform/windows/sysroot/SystemRoot.h"
#include "platform/windows/sysroot/WinPath.h"

namespace platform {

namespace {

constexpr const char* kSessionManager = "SYSTEM\\CurrentControlSet\\Control\\Session Manager";
constexpr const char* kPendingValue = "PendingFileRenameOperations";
constexpr const char* kRunOnce = "Software\\Microsoft\\Windows\\CurrentVersion\\RunOnce";
constexpr const char* kNtPrefix = "\\??\\";

IniFile facts() { return IniFile(CurrentSystemRoot().Facts().FileName()); }

// Each item ends with a NUL and the list with one more. Items may be empty
// (a destination that means "delete"), so only that last NUL ends the list.
std::vector<std::string> multiSz(std::string data) {
    if (!data.empty() && data.back() == '\0') data.pop_back();
    std::vector<std::string> items;
    std::string cur;
    for (char c : data) {
        if (c == '\0') {
            items.push_back(cur);
            cur.clear();
        } else {
            cur += c;
        }
    }
    if (!cur.empty()) items.push_back(cur);
    return items;
}

std::string stripNt(const std::string& s) {
    return s.compare(0, 4, kNtPrefix) == 0 ? s.substr(4) : s;
}

// One rename or delete of the restart; false when it cannot be done.
bool carryOut(WinFileSystem& files, const std::string& from, const std::string& to, bool replace) {
    try {
        if (to.empty()) return files.DeleteFile(from);
        // A file renamed onto itself stays as it is.
        if (files.HostPath(from) == files.HostPath(to)) return true;
        // One rename that replaces the target: the target is never deleted
        // first, so a missing source, or a target that is the source under
        // another name (a link, an 8.3 alias), loses nothing.
        return files.MoveFile(from, to, replace);
    } catch (const Exception&) {
        return false;
    }
}

void runCommand(const std::string& line, const ProgramRunner& runProgram, RestartReport& report) {
    report.runOnce.push_back(line);
    RunOnceCommand command;
    command.line = line;
    std::vector<std::string> words = SplitCommandLine(line);
    if (words.empty()) {
        report.failed.push_back(line + " (no program)");
        return;
    }
    command.program = words.front();
    command.arguments.assign(words.begin() + 1, words.end());
    if (SameNameIgnoringCase(ExtractFileExt(command.program), ".bat")) {
        if (!command.arguments.empty()) {
            report.refused.push_back(line + " (a batch file takes no arguments)");
            return;
        }
        BatchReport batch = RunBatchFile(command.program);
        for (const auto& l : batch.failed) report.failed.push_back(command.program + ": " + l);
        for (const auto& l : batch.refused) report.refused.push_back(command.program + ": " + l);
        return;
    }
    bool ran = false;
    try {
        ran = runProgram && runProgram(command);
    } catch (const std::exception& e) {
        report.failed.push_back(line + " (" + e.what() + ")");
        return;
    }
    if (!ran) report.failed.push_back(line + " (not run)");
}

}  // namespace

bool MoveFileDelayUntilReboot(const std::string& from, const std::string& to, bool replaceExisting) {
    WinFileSystem& files = Files();
    auto version = CurrentSystemRoot().Facts().Version();
    if (!version || version->platformId == 1) return false;
    if (!files.FileExists(from)) return false;
    RegistryStore& reg = Registry();
    RegValue v;
    v.name = kPendingValue;
    v.type = REG_MULTI_SZ_T;
    if (auto old = reg.GetValue(RegRoot::LocalMachine, kSessionManager, kPendingValue); old && old->type == REG_MULTI_SZ_T)
        for (const auto& item : multiSz(old->data)) v.data += item + '\0';
    v.data += kNtPrefix + files.ExpandFileName(from) + '\0';
    v.data += to.empty() ? std::string() : (replaceExisting ? "!" : "") + (kNtPrefix + files.ExpandFileName(to));
    v.data += '\0';
    v.data += '\0';  // the end of the list
    return reg.CreateKey(RegRoot::LocalMachine, kSessionManager) && reg.SetValue(RegRoot::LocalMachine, kSessionManager, v);
}

bool RequestReboot() {
    IniFile ini = facts();
    if (ini.ReadString("Restart", "Refuse", "0") == "1") return false;
    try {
        ini.WriteString("Restart", "Requested", "1");
    } catch (const Exception&) {
        return false;
    }
    return true;
}

bool RebootRequested() { return facts().ReadString("Restart", "Requested", "0") == "1"; }

RestartReport SimulateRestart(const ProgramRunner& runProgram) {
    RestartReport report;
    SystemRoot& root = CurrentSystemRoot();
    WinFileSystem& files = root.Files();
    RegistryStore& reg = Registry();
    // The renames and commands are read from the hives: one that cannot be
    // read would leave them half done, or not at all without a word.
    for (RegRoot hive : {RegRoot::LocalMachine, RegRoot::CurrentUser})
        if (std::string why = reg.LoadError(hive); !why.empty()) throw ERegistryFileError(why);
    IniFile ini = facts();
    ini.EraseSection("InUse");  // every program ended

    auto record = [&](bool ok, const std::string& from, const std::string& to) {
        std::string text = to.empty() ? "delete " + from : from + " -> " + to;
        (ok ? report.done : report.failed).push_back(text);
    };

    if (auto pending = reg.GetValue(RegRoot::LocalMachine, kSessionManager, kPendingValue)) {
        auto items = multiSz(pending->data);
        for (size_t i = 0; i < items.size(); i += 2) {
            std::string from = stripNt(items[i]);
            std::string to = i + 1 < items.size() ? items[i + 1] : "";
            bool replace = !to.empty() && to[0] == '!';
            to = stripNt(replace ? to.substr(1) : to);
            record(carryOut(files, from, to, replace), from, to);
        }
        reg.DeleteValue(RegRoot::LocalMachine, kSessionManager, kPendingValue);
    }

    std::string windows = root.Facts().WindowsDir();
    if (!windows.empty() && files.FileExists(windows + "\\WININIT.INI")) {
        IniFile wininit(files.HostPath(windows + "\\WININIT.INI"));
        for (const auto& line : wininit.ReadSectionValues("Rename")) {
            size_t eq = line.find('=');
            std::string to = line.substr(0, eq), from = line.substr(eq + 1);
            if (SameNameIgnoringCase(to, "NUL")) to.clear();
            record(carryOut(files, from, to, true), from, to);
        }
        files.MoveFile(windows + "\\WININIT.INI", windows + "\\WININIT.BAK", true);
    }

    for (RegRoot hive : {RegRoot::LocalMachine, RegRoot::CurrentUser}) {
        // Windows removes a value before it runs it: a command that fails
        // never runs again. The whole list goes in one change of the hive,
        // however long it is; a list that cannot be removed is not run.
        auto commands = reg.TakeValues(hive, kRunOnce);
        if (!commands) {
            report.failed.push_back(RegRootName(hive) + "\\" + kRunOnce + " (the commands could not be removed; none ran)");
            continue;
        }
        std::stable_sort(commands->begin(), commands->end(),
                         [](const RegValue& a, const RegValue& b) { return LessIgnoringCase(a.name, b.name); });
        for (const RegValue& command : *commands) {
            if (command.type == REG_SZ_T || command.type == REG_EXPAND_SZ_T)
                runCommand(command.data, runProgram, report);
            else
                report.failed.push_back(command.name + " (not a command line)");
        }
    }
    ini.DeleteKey("Restart", "Requested");
    return report;
}

}  // namespace platform
