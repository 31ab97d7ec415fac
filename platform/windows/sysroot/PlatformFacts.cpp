#include "platform/windows/sysroot/PlatformFacts.h"

#include <cstdlib>

#include "platform/core/inifile/IniFile.h"
#include "platform/core/runtime/PathCase.h"
#include "platform/core/runtime/Text.h"
#include "platform/windows/sysroot/WinPath.h"

namespace platform {

namespace {
constexpr const char* kSection = "Windows";
constexpr const char* kMissing = "\x01";  // a default no file can hold

std::string normalised(const std::string& path) {
    WinPath wp;
    return ParseWinPath(path, "C:\\", wp) ? wp.Text() : path;
}
}  // namespace

PlatformFacts::PlatformFacts(std::filesystem::path root) : root_(std::move(root)) {}

std::optional<WindowsVersionInfo> PlatformFacts::Version() const {
    IniFile ini(FileName());
    WindowsVersionInfo v;
    auto field = [&](const char* key, int& into) {
        std::string s = ini.ReadString(kSection, key, kMissing);
        if (s == kMissing) return true;
        auto n = ParseInteger64(s);
        if (!n || *n < 0 || *n > 0x7FFFFFFF) return false;
        into = static_cast<int>(*n);
        return true;
    };
    if (!field("PlatformId", v.platformId) || !field("MajorVersion", v.majorVersion) ||
        !field("MinorVersion", v.minorVersion) || !field("BuildNumber", v.buildNumber))
        return std::nullopt;
    return v;
}

std::string PlatformFacts::directory(const char* key, const char* fallback) const {
    std::string s = IniFile(FileName()).ReadString(kSection, key, kMissing);
    if (s == kMissing) return fallback;
    if (s.empty()) return "";
    WinPath wp;
    return ParseWinPath(s, "C:\\", wp) ? wp.Text() : "";
}

std::string PlatformFacts::WindowsDir() const { return directory("WindowsDir", "C:\\WINDOWS"); }
std::string PlatformFacts::SystemDir() const { return directory("SystemDir", "C:\\WINDOWS\\SYSTEM32"); }
std::string PlatformFacts::TempDir() const { return directory("TempDir", "C:\\WINDOWS\\TEMP"); }

bool PlatformFacts::IsInUse(const std::string& fullWinPath) const {
    const std::string want = normalised(fullWinPath);
    for (const std::string& listed : InUseFiles())
        if (SameNameIgnoringCase(listed, want)) return true;
    return false;
}

std::vector<std::string> PlatformFacts::InUseFiles() const {
    std::vector<std::string> out;
    for (const auto& kv : IniFile(FileName()).ReadSectionValues("InUse")) {
        size_t eq = kv.find('=');
        if (kv.substr(eq + 1) == "0") continue;
        out.push_back(normalised(kv.substr(0, eq)));
    }
    return out;
}

void PlatformFacts::SetInUse(const std::string& fullWinPath, bool inUse) {
    IniFile ini(FileName());
    if (inUse)
        ini.WriteString("InUse", normalised(fullWinPath), "1");
    else
        ini.DeleteKey("InUse", normalised(fullWinPath));
}

std::optional<std::int64_t> PlatformFacts::DriveCapacity(char drive) const {
    const char d = AsciiUpper(drive);
    auto n = ParseInteger64(IniFile(FileName()).ReadString("Drives", std::string(1, d), ""));
    if (!n || *n < 0) return std::nullopt;
    return *n;
}

void PlatformFacts::WriteDefaultsIfMissing() const {
    std::error_code ec;
    if (std::filesystem::exists(FileName(), ec)) return;
    IniFile ini(FileName());
    WindowsVersionInfo v;
    ini.WriteInteger(kSection, "PlatformId", v.platformId);
    ini.WriteInteger(kSection, "MajorVersion", v.majorVersion);
    ini.WriteInteger(kSection, "MinorVersion", v.minorVersion);
    ini.WriteInteger(kSection, "BuildNumber", v.buildNumber);
    ini.WriteString(kSection, "WindowsDir", WindowsDir());
    ini.WriteString(kSection, "SystemDir", SystemDir());
    ini.WriteString(kSection, "TempDir", TempDir());
}

}  // namespace platform
