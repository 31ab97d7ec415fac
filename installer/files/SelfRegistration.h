#pragma once
// The self-registration of a library or program, as the simulated Windows
// offers it. A library loads when it is a PE image ("MZ"); it can register
// itself when it exports "DllRegisterServer"; calling that records the
// registration in "selfreg.log" of the system root (one line per call) and
// succeeds. A program server is never run on the host: a PE image started
// with /REGSERVER or /UNREGSERVER records that line in the same log.
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

// WinExec of a program server with its switch ("/REGSERVER", "/UNREGSERVER"):
// above 31 when started; else the failure code (2 missing file, 11 not a
// program), with the error in lastError.
int RunServerProgram(const std::string& path, const std::string& switchText, int& lastError);

// The registrations recorded in the current system root, in order.
std::string SelfRegistrationLog();

}  // namespace installer
