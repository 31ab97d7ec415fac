#include "platform/tables/Session.h"

#include "platform/tables/CheckedKeys.h"
#include "platform/tables/ConnectionPool.h"
#include "platform/tables/EDBEngineError.h"

#include <algorithm>
#include <filesystem>

namespace platform {

namespace {
// A handler that says "continue" without ever supplying the password must
// not make an open loop for ever.
constexpr int kMaxPasswordRounds = 8;
}  // namespace

TSession::TSession() : pool_(std::make_unique<ConnectionPool>()) {}

CheckedKeys& TSession::KeyChecks() {
    if (!keyChecks_ || keyChecksDir_ != PrivateDir) {
        keyChecksDir_ = PrivateDir;
        keyChecks_ = std::make_unique<CheckedKeys>(
            PrivateDir.empty() ? std::string() : (std::filesystem::path(PrivateDir) / "keys.checked").string());
    }
    return *keyChecks_;
}
TSession::~TSession() = default;

void TSession::Close() {
    active_ = false;
    pool_->Clear();
}

void TSession::Open() {
    if (!PrivateDir.empty()) {
        std::error_code ec;
        if (!std::filesystem::is_directory(PrivateDir, ec))
            throw EDBEngineError("Invalid private directory.\nDirectory: " + PrivateDir);
    }
    active_ = true;
}

void TSession::AddPassword(const std::string& password) {
    if (!HasPassword(password)) passwords_.push_back(password);
}

bool TSession::HasPassword(const std::string& password) const {
    return std::find(passwords_.begin(), passwords_.end(), password) != passwords_.end();
}

bool TSession::ObtainPassword(const std::string& password) {
    for (int round = 0; round < kMaxPasswordRounds; ++round) {
        if (HasPassword(password)) return true;
        bool Continue = false;
        if (OnPassword) OnPassword(*this, Continue);
        if (!Continue) break;
    }
    return HasPassword(password);
}

TSession& TSession::Default() {
    static TSession session;
    return session;
}

}  // namespace platform
