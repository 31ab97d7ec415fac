#pragma once
// A database session: a name, a private directory for the engine's own
// files, and the passwords that open protected tables. Opening a protected
// table whose password the session lacks fires OnPassword; the handler may
// add the password and set Continue to retry the open.
#include <functional>
#include <memory>
#include <string>
#include <vector>

namespace platform {

class CheckedKeys;
class ConnectionPool;

class TSession {
public:
    std::string SessionName;
    std::string PrivateDir;
    std::function<void(TSession& sender, bool& Continue)> OnPassword;
    // Each posted record waits until the disk has it. Tools that build new
    // files from scratch turn this off for speed; the program never does.
    bool SyncWrites = true;

    // Checks the private directory (when one is given) and marks the session active.
    TSession();
    ~TSession();
    TSession(const TSession&) = delete;
    TSession& operator=(const TSession&) = delete;

    void Open();
    // Also lets go of the connections the session's queries kept.
    void Close();
    bool Active() const { return active_; }

    void AddPassword(const std::string& password);
    void RemoveAllPasswords() { passwords_.clear(); }
    bool HasPassword(const std::string& password) const;

    // Makes sure the session holds password, firing OnPassword while a
    // handler adds passwords and asks to continue. False when it stays missing.
    bool ObtainPassword(const std::string& password);

    // The session of datasets that were given none.
    static TSession& Default();

    // Connections queries keep for the session (see ConnectionPool.h).
    ConnectionPool& QueryConnections() { return *pool_; }
    // Table files found with keys of their types, kept in the private directory.
    CheckedKeys& KeyChecks();

private:
    bool active_ = false;
    std::vector<std::string> passwords_;
    std::unique_ptr<ConnectionPool> pool_;
    std::unique_ptr<CheckedKeys> keyChecks_;
    std::string keyChecksDir_;
};

}  // namespace platform
