#include "installer/netlocation/FolderNetLocation.h"

#include <algorithm>
#include <cstring>

#include "installer/base/Strings.h"
#include "platform/windows/sysroot/SystemRoot.h"

namespace installer {
namespace {

// Serves a file of the root, or a fixed page.
class FolderRemoteFile : public TCustomNetInstallLocation::RemoteFile {
public:
    FolderRemoteFile(platform::FileStream stream, std::string page, std::int64_t failAfter,
                     std::function<void()> fail)
        : stream_(std::move(stream)), page_(std::move(page)), failAfter_(failAfter), fail_(std::move(fail)) {}
    std::int64_t QuerySize() override {
        return stream_.IsOpen() ? stream_.Size() : static_cast<std::int64_t>(page_.size());
    }
    std::size_t Read(char* buffer, std::size_t count) override {
        if (failAfter_ >= 0 && done_ >= failAfter_) fail_();
        if (failAfter_ >= 0) count = static_cast<std::size_t>(std::min<std::int64_t>(count, failAfter_ - done_ + 1));
        std::size_t n = 0;
        if (stream_.IsOpen()) {
            n = stream_.Read(buffer, count);
        } else {
            n = std::min(count, page_.size() - pagePos_);
            std::memcpy(buffer, page_.data() + pagePos_, n);
            pagePos_ += n;
        }
        done_ += static_cast<std::int64_t>(n);
        return n;
    }
    bool TextBody() const override { return !stream_.IsOpen(); }
    void Close() override { stream_.Close(); }

private:
    platform::FileStream stream_;
    std::string page_;
    std::size_t pagePos_ = 0;
    std::int64_t failAfter_;
    std::int64_t done_ = 0;
    std::function<void()> fail_;
};

}  // namespace

// The protected RemoteFile is reachable through the location's own scope.
using RemoteFileBase = TCustomNetInstallLocation::RemoteFile;

std::string TFolderNetInstallLocation::HostFolder() const {
    return AddBackslash(ServerRoot) + MakeValidFileName(LoginInformation().Hostname);
}

std::string TFolderNetInstallLocation::DirectoryFolder() const {
    std::string dir = ServerPath(LoginInformation().Directory);
    std::replace(dir.begin(), dir.end(), '/', '\\');
    while (!dir.empty() && dir.front() == '\\') dir.erase(dir.begin());
    return dir.empty() ? HostFolder() : AddBackslash(HostFolder()) + dir;
}

void TFolderNetInstallLocation::OpenConnection() {
    bool there = false;
    try {
        there = platform::Files().DirectoryExists(HostFolder());
    } catch (const platform::Exception&) {
        // A folder outside the root counts as missing: the error below says so.
    }
    if (!there) Fail<ENIL_OpenService>("Cannot connect to host %s", LoginInformation().Hostname, 12029);
    connected_ = true;
    ++connections_;
}

void TFolderNetInstallLocation::SetServerDirectory() {
    if (!platform::Files().DirectoryExists(DirectoryFolder()))
        Fail<ENIL_FTPSetDir>("Cannot set directory on server to %s", ServerPath(LoginInformation().Directory));
}

std::unique_ptr<RemoteFileBase> TFolderNetInstallLocation::OpenRemoteFile(const std::string& remoteName) {
    const std::string path = AddBackslash(DirectoryFolder()) + remoteName;
    auto fail = [this] { Fail<ENIL_ReadFile>("Could not read from file %s on the server", RemoteFileName()); };
    bool exists = remoteName.find_first_of("\\/") == std::string::npos && platform::Files().FileExists(path);
    if (exists) {
        try {
            return std::make_unique<FolderRemoteFile>(platform::Files().Open(path, platform::FileMode::Read),
                                                      std::string(), FailReadAfter, fail);
        } catch (const platform::Exception&) {
            exists = false;
        }
    }
    if (LoginInformation().Protocol == ipFTP) Fail<ENIL_FTPOpenFile>("Cannot open file %s on server", remoteName);
    return std::make_unique<FolderRemoteFile>(platform::FileStream(),
                                              "<html><head><title>404 Not Found</title></head></html>",
                                              FailReadAfter, fail);
}

}  // namespace installer
