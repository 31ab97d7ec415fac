#pragma once
// The net install location of a setup: downloads one remote file over FTP
// (passive) or HTTP from the login's host, through the internet library
// (libcurl behind platform/net/curl). The library's entry points are bound by
// name on first use; the session and the connection stay open for later
// downloads. Failures raise the ENIL family with the system's names of the
// errors.
#include <memory>
#include <string>
#include <vector>

#include "installer/netlocation/NetLocation.h"

namespace platform {
class CurlSession;
struct CurlRequest;
enum class NetFailure;
}  // namespace platform

namespace installer {

class TNetInstallLocation : public TCustomNetInstallLocation {
public:
    explicit TNetInstallLocation(TComponentOwner& owner);
    ~TNetInstallLocation() override;

    static constexpr const char* StaticClassName = "TNetLocation";
    std::string ClassName() const override { return StaticClassName; }

    // The server's port; 0 is the protocol's own (21 or 80).
    int Port = 0;

    // The entry points bound in order, with their names in the library.
    static const std::vector<std::string>& EntryPointNames();

protected:
    // The entry points the library offers; all of them unless a test says otherwise.
    virtual bool LibraryOffers(const std::string& entryPoint) const;

    bool LibraryLoaded() const override { return loaded_; }
    void OpenLibrary() override;
    bool HasSession() const override { return session_ != nullptr; }
    void OpenSession() override;
    bool HasConnection() const override { return connected_; }
    void OpenConnection() override;
    void SetServerDirectory() override;
    std::unique_ptr<RemoteFile> OpenRemoteFile(const std::string& remoteName) override;
    std::string LastResponse() override;

private:
    class Transfer;
    std::string ServerUrl() const;
    std::string FtpDirectoryUrl() const;
    platform::CurlRequest Request(const std::string& url, bool noBody) const;
    // Runs a request that only reaches its object; the failure, if any.
    platform::NetFailure Reach(const std::string& url);
    int ErrorCode(platform::NetFailure failure) const;

    bool loaded_ = false;
    bool connected_ = false;
    std::unique_ptr<platform::CurlSession> session_;
    std::string lastResponse_;
};

}  // namespace installer
