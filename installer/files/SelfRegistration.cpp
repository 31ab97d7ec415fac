#include "installer/files/SelfRegistration.h"

#include "platform/hostio/HostIo.h"
#include "platform/sysroot/SystemRoot.h"

namespace installer {
namespace {

constexpr int kFileNotFound = 2;
constexpr int kBadExeFormat = 193;
constexpr int kProcNotFound = 127;

std::filesystem::path LogPath() { return platform::CurrentSystemRoot().Path() / "selfreg.log"; }

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

int SelfRegistration::CallRegisterServer() {
    return platform::AppendToFile(LogPath(), "DllRegisterServer " + path_ + '\n') ? 0 : 1;
}

std::string SelfRegistrationLog() { return platform::ReadWholeFile(LogPath()).value_or(""); }

}  // namespace installer
