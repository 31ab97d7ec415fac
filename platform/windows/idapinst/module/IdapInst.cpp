// The database engine's install library, IDAPINST.DLL: merges a
// configuration template into the engine's configuration file, sets its
// language and 16-bit settings, and counts the programs that use the engine.
// It works on Windows paths and the registry of the system root, reached
// through the host table the loading program attaches (ModuleHost.h).
//
// Results of MergeCfg and FixMerge: 0 done, 1 the template cannot be read
// or is no configuration, 2 the existing file cannot be read or is no
// configuration, 3 the target cannot be written, 9 no host attached.
#include <fcntl.h>
#include <sys/stat.h>
#include <unistd.h>

#include <cerrno>
#include <cstdint>
#include <cstdio>
#include <cstdlib>
#include <optional>
#include <string>

#include "platform/core/runtime/Count.h"
#include "platform/windows/idapinst/EngineConfig.h"
#include "platform/windows/modules/ModuleHost.h"

#define IDAPINST_EXPORT extern "C" __attribute__((visibility("default")))

namespace {

const VorelModuleHost* host = nullptr;

constexpr const char* kEngineKey = "\\Software\\Borland\\Database Engine";
constexpr const char* kSystemInit = "System\\Init";

std::optional<std::string> HostPath(const char* windowsPath) {
    if (!host || !windowsPath) return std::nullopt;
    char buffer[4096];
    if (host->HostPath(windowsPath, buffer, sizeof buffer) != 0) return std::nullopt;
    return std::string(buffer);
}

std::optional<std::string> ReadWhole(const char* windowsPath) {
    const auto path = HostPath(windowsPath);
    if (!path) return std::nullopt;
    const int fd = ::open(path->c_str(), O_RDONLY | O_CLOEXEC);
    if (fd < 0) return std::nullopt;
    std::string bytes;
    char chunk[65536];
    for (;;) {
        const ssize_t n = ::read(fd, chunk, sizeof chunk);
        if (n < 0 && errno == EINTR) continue;
        if (n < 0) {
            ::close(fd);
            return std::nullopt;
        }
        if (n == 0) break;
        bytes.append(chunk, static_cast<std::size_t>(n));
    }
    ::close(fd);
    return bytes;
}

std::optional<platform::EngineConfig> ReadConfig(const char* windowsPath) {
    const auto text = ReadWhole(windowsPath);
    return text ? platform::EngineConfig::Parse(*text) : std::nullopt;
}

// A new file beside the target, then renamed over it: the old file stays
// whole until the new one is complete on disk.
bool WriteAtomically(const char* windowsPath, const std::string& text) {
    if (!host || host->MayWrite(windowsPath) != 0) return false;
    const auto path = HostPath(windowsPath);
    if (!path) return false;
    std::string temp = *path + ".XXXXXX";
    const int fd = ::mkostemp(temp.data(), O_CLOEXEC);
    if (fd < 0) return false;
    bool ok = ::fchmod(fd, 0644) == 0;
    for (std::size_t done = 0; ok && done < text.size();) {
        const ssize_t n = ::write(fd, text.data() + done, text.size() - done);
        if (n < 0 && errno == EINTR) continue;
        if (n <= 0) ok = false;
        else done += static_cast<std::size_t>(n);
    }
    ok = ok && ::fsync(fd) == 0;
    ok = (::close(fd) == 0) && ok;
    ok = ok && ::rename(temp.c_str(), path->c_str()) == 0;
    if (!ok) ::unlink(temp.c_str());
    return ok;
}

}  // namespace

IDAPINST_EXPORT void VorelAttachHost(const VorelModuleHost* attached) { host = attached; }

// Writes targetConfigFile: the existing configuration with every section and
// setting of the template it lacks; the user's own settings and aliases stay.
// Without an existing file ("***" or missing) the target is the template.
IDAPINST_EXPORT int MergeCfg(const char* newConfigFile, const char* existingConfigFile, const char* targetConfigFile,
                             int /*overwriteMode*/, int /*saveFor16Bit*/, const char* /*languageDLL*/) {
    if (!host) return 9;
    auto merged = ReadConfig(newConfigFile);
    if (!merged) return 1;
    const std::string existing = existingConfigFile ? existingConfigFile : "***";
    if (existing != "***") {
        const auto existingPath = HostPath(existing.c_str());
        struct stat info{};
        if (existingPath && ::stat(existingPath->c_str(), &info) == 0) {
            auto config = ReadConfig(existing.c_str());
            if (!config) return 2;
            config->MergeFrom(*merged);
            merged = std::move(config);
        }
    }
    return WriteAtomically(targetConfigFile, merged->Text()) ? 0 : 3;
}

// Sets the language of a configuration file (the engine's resource code).
IDAPINST_EXPORT void IntlConfig(const char* configFile, bool /*saveFor16Bit*/, const char* languageDLL) {
    auto config = ReadConfig(configFile);
    if (!config || !languageDLL) return;
    config->Set(kSystemInit, "LANGUAGE", languageDLL);
    WriteAtomically(configFile, config->Text());
}

// Makes a merged configuration usable by 16-bit programs too.
IDAPINST_EXPORT int FixMerge(const char* targetConfigFile, int /*differs*/, bool saveFor16Bit, const char* languageDLL) {
    if (!host) return 9;
    auto config = ReadConfig(targetConfigFile);
    if (!config) return 2;
    config->Set(kSystemInit, "SAVE16", saveFor16Bit ? "TRUE" : "FALSE");
    if (languageDLL) config->Set(kSystemInit, "LANGUAGE", languageDLL);
    return WriteAtomically(targetConfigFile, config->Text()) ? 0 : 3;
}

// One more program uses the engine: "UseCount" of the engine's key.
IDAPINST_EXPORT void IncrementIDAPIUseCount() {
    if (!host) return;
    char buffer[64];
    std::int32_t count = 0;
    if (host->ReadMachineString(kEngineKey, "UseCount", buffer, sizeof buffer) >= 0) count = platform::ParseCount(buffer).value_or(0);
    host->WriteMachineString(kEngineKey, "UseCount", std::to_string(count + 1).c_str());
}
