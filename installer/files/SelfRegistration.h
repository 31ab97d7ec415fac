#pragma once
// The self-registration of a library, as the simulated Windows offers it: a
// library loads when it is a PE image ("MZ"); it can register itself when
// it exports "DllRegisterServer"; calling that records the registration in
// "selfreg.log" of the system root (one line per call) and succeeds.
#include <string>

namespace installer {

class SelfRegistration {
public:
    bool Load(const std::string& path);
    bool HasRegisterServer() const { return hasRegisterServer_; }
    // 0 on success.
    int CallRegisterServer();
    int LastError() const { return lastError_; }

private:
    std::string path_;
    bool hasRegisterServer_ = false;
    int lastError_ = 0;
};

// The registrations recorded in the current system root, in order.
std::string SelfRegistrationLog();

}  // namespace installer
