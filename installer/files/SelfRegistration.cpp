#include "installer/files/SelfRegistration.h"

#include "platform/core/hostio/HostIo.h"
#include "platform/windows/sysroot/SystemRoot.h"

namespace installer {
namespace {

constexpr int kFileNotFound = 2;
constexpr int kBadExeFormat = 193;
constexpr int kProcNotFound = 127;

constexpr int kExecBadFormat = 11;
constexpr int kExecStarted = 33;

std::filesystem::path LogPath() { return platform::CurrentSystemRoot().Path() / "selfreg.log"; }

// Whether the file is a PE image; the error why not.
bool IsImage(const std::string& path, int& lastError) {
    char head[2] = {};
    try {
        platform::FileStream in = platform::Files().Open(path, platform::FileMode::Read);
        if (in.Read(head, 2) == 2 && head[0] == 'M' && head[1] == 'Z') return true;
    } catch (const platform::Exception&) {
        lastError = kFileNotFound;
        return false;
    }
    lastError = kBadExeFormat;
    return false;
}

bool AppendLog(const std::string& line) { return platform::AppendToFile(LogPath(), line + '\n'); }

}  // namespace

bool SelfRegistration::Load(const std::string& path) {
    path_ = path;
    std::string bytes;
    try {
        platform::FileStream in = platform::Files().Open(path, platform::FileMode::Read);
        bytes.resize(static_cast<std::size_t>(std::max<std::int64_t>(0, in.Size())));
        bytes.resize(in.Read(bytes.data(), bytes.size()));
    } catch (const platform::Exception&) {
        lastError_ = kFileNotFound;
        return false;
    }
    if (bytes.size() < 2 || bytes[0] != 'M' || bytes[1] != 'Z') {
        lastError_ = kBadExeFormat;
        return false;
    }
    hasRegisterServer_ = bytes.find(std::string("DllRegisterServer") + '\0') != std::string::npos;
    if (!hasRegisterServer_) lastError_ = kProcNotFound;
    return true;
}

int SelfRegistration::CallRegisterServer() { return AppendLog("DllRegisterServer " + path_) ? 0 : 1; }

int RunServerProgram(const std::string& path, const std::string& switchText, int& lastError) {
    lastError = 0;
    if (!IsImage(path, lastError)) return lastError == kFileNotFound ? kFileNotFound : kExecBadFormat;
    return AppendLog(path + " " + switchText) ? kExecStarted : 0;
}

std::string SelfRegistrationLog() { return platform::ReadWholeFile(LogPath()).value_or(""); }

}  // namespace installer
