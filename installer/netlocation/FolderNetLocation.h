#pragma once
// A net install location served from a folder of the system root, for
// tests and offline distributions: host H is the folder ServerRoot\H, the
// login's directory a folder below it. FTP refuses a missing file; HTTP
// answers it with a "404 Not Found" page, as web servers do.
#include "installer/netlocation/NetLocation.h"

namespace installer {

class TFolderNetInstallLocation : public TCustomNetInstallLocation {
public:
    explicit TFolderNetInstallLocation(TComponentOwner& owner) : TCustomNetInstallLocation(owner) {}

    static constexpr const char* StaticClassName = "TFolderNetInstallLocation";
    std::string ClassName() const override { return StaticClassName; }

    std::string ServerRoot;  // a Windows path of the system root
    // For tests: a read after this many bytes fails (-1: never).
    std::int64_t FailReadAfter = -1;
    int Connections() const { return connections_; }

protected:
    bool LibraryLoaded() const override { return true; }
    void OpenLibrary() override {}
    bool HasSession() const override { return true; }
    void OpenSession() override {}
    bool HasConnection() const override { return connected_; }
    void OpenConnection() override;
    void SetServerDirectory() override;
    std::unique_ptr<RemoteFile> OpenRemoteFile(const std::string& remoteName) override;

private:
    std::string HostFolder() const;
    std::string DirectoryFolder() const;
    bool connected_ = false;
    int connections_ = 0;
};

}  // namespace installer
