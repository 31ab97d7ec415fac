#include "installer/netlocation/NetInstallLocation.h"

#include "installer/base/Strings.h"
#include "installer/base/services/AppServices.h"
#include "installer/components/EngineContext.h"
#include "platform/core/runtime/Format.h"
#include "platform/core/runtime/Text.h"
#include "platform/net/curl/CurlSession.h"

namespace installer {

using platform::NetFailure;

// One remote file being read through a transfer of the session.
class TNetInstallLocation::Transfer : public TCustomNetInstallLocation::RemoteFile {
public:
    Transfer(TNetInstallLocation& location, std::unique_ptr<platform::CurlTransfer> transfer)
        : location_(location), transfer_(std::move(transfer)) {}
    std::int64_t QuerySize() override {
        // No announced length counts as 0, as a missing header does.
        return std::max<std::int64_t>(0, transfer_->ContentLength());
    }
    std::size_t Read(char* buffer, std::size_t count) override {
        const std::size_t n = transfer_->Read(buffer, count);
        location_.lastResponse_ = transfer_->LastResponse();
        if (n == 0 && transfer_->Failure() != NetFailure::None)
            location_.Fail<ENIL_ReadFile>("Could not read from file %s on the server", location_.RemoteFileName(),
                                          location_.ErrorCode(transfer_->Failure()));
        return n;
    }
    bool TextBody() const override { return transfer_->TextBody(); }
    void Close() override { transfer_.reset(); }

private:
    TNetInstallLocation& location_;
    std::unique_ptr<platform::CurlTransfer> transfer_;
};

TNetInstallLocation::TNetInstallLocation(TComponentOwner& owner) : TCustomNetInstallLocation(owner) {}

TNetInstallLocation::~TNetInstallLocation() = default;

const std::vector<std::string>& TNetInstallLocation::EntryPointNames() {
    static const std::vector<std::string> names = {
        "InternetGetLastResponseInfoA", "InternetOpenA",      "InternetConnectA", "FtpSetCurrentDirectoryA",
        "InternetCloseHandle",          "InternetQueryDataAvailable", "InternetReadFile", "FtpOpenFileA",
        "HttpOpenRequestA",             "HttpSendRequestA",   "HttpQueryInfoA"};
    return names;
}

bool TNetInstallLocation::LibraryOffers(const std::string&) const { return true; }

void TNetInstallLocation::OpenLibrary() {
    if (!platform::CurlSession::Startup())
        throw ENIL_FailLoadWININET(
            "Failed to load the Wininet.dll. If this is a hybrid installation, you might want to include the "
            "WININET.DLL file in the PresetupFiles property of the TInstall component");
    for (const std::string& name : EntryPointNames()) {
        if (LibraryOffers(name)) continue;
        const std::string shown = name.back() == 'A' ? name.substr(0, name.size() - 1) : name;
        throw ENIL_FailLoadDLLProc(platform::Format("Failed to load the procedure %s from WININET.DLL", {shown}));
    }
    loaded_ = true;
}

void TNetInstallLocation::OpenSession() {
    try {
        session_ = std::make_unique<platform::CurlSession>();
    } catch (const platform::ECurlSession&) {
        Fail<ENIL_OpenSession>("Cannot open internet connection", "", 12004);
    }
}

std::string TNetInstallLocation::ServerUrl() const {
    const bool ftp = LoginInformation().Protocol == ipFTP;
    std::string url = (ftp ? "ftp://" : "http://") + platform::TrimControls(LoginInformation().Hostname);
    if (Port > 0) url += ":" + std::to_string(Port);
    return url;
}

std::string TNetInstallLocation::FtpDirectoryUrl() const {
    std::string dir = ServerPath(LoginInformation().Directory);
    if (dir.back() != '/') dir += '/';
    return ServerUrl() + "/" + platform::UrlPath(dir == "/" ? "" : dir);
}

platform::CurlRequest TNetInstallLocation::Request(const std::string& url, bool noBody) const {
    platform::CurlRequest request;
    request.Url = url;
    request.UserAgent = "setup";
    request.NoBody = noBody;
    // However slowly the server sends, the window's events and Cancel are served.
    EngineContext& context = Context();
    request.Idle = [&context] {
        Services().ProcessMessages();
        return !NetLocations(context).AbortDownload;
    };
    if (!LoginInformation().Anonymous) {
        request.UserName = LoginInformation().Username;
        request.Password = LoginInformation().Password;
    }
    return request;
}

NetFailure TNetInstallLocation::Reach(const std::string& url) {
    auto transfer = session_->Start(Request(url, true));
    while (!transfer->Finished() && !transfer->Stopped()) {
        char none[1];
        transfer->Read(none, sizeof none);
    }
    lastResponse_ = transfer->LastResponse();
    return transfer->Failure();
}

int TNetInstallLocation::ErrorCode(NetFailure failure) const {
    switch (failure) {
        case NetFailure::None: return 0;
        case NetFailure::NameNotResolved: return 12007;
        case NetFailure::CannotConnect: return 12029;
        case NetFailure::Timeout: return 12002;
        case NetFailure::LoginRefused: return 12015;
        case NetFailure::RemoteAccessDenied:
        case NetFailure::RemoteFileNotFound: return 12003;  // the server's reply tells more
        case NetFailure::ConnectionAborted: return 12030;
        case NetFailure::ConnectionReset: return 12031;
        case NetFailure::InvalidUrl: return 12005;
        case NetFailure::UnsupportedProtocol: return 12006;
        case NetFailure::InvalidServerResponse: return LoginInformation().Protocol == ipFTP ? 12003 : 12152;
        case NetFailure::Internal: return 12004;
    }
    return 12004;
}

void TNetInstallLocation::OpenConnection() {
    // An FTP server is reached and logged in to now; HTTP connects with its first request.
    if (LoginInformation().Protocol == ipFTP) {
        const NetFailure failure = Reach(ServerUrl() + "/");
        if (failure != NetFailure::None)
            Fail<ENIL_OpenService>("Cannot connect to host %s", LoginInformation().Hostname, ErrorCode(failure));
    }
    connected_ = true;
}

void TNetInstallLocation::SetServerDirectory() {
    const NetFailure failure = Reach(FtpDirectoryUrl());
    if (failure != NetFailure::None)
        Fail<ENIL_FTPSetDir>("Cannot set directory on server to %s", ServerPath(LoginInformation().Directory),
                             ErrorCode(failure));
}

std::unique_ptr<TCustomNetInstallLocation::RemoteFile> TNetInstallLocation::OpenRemoteFile(
    const std::string& remoteName) {
    const bool ftp = LoginInformation().Protocol == ipFTP;
    std::string url;
    if (ftp) {
        url = FtpDirectoryUrl() + platform::UrlPath(remoteName);
    } else {
        std::string object = ServerPath(AddBackslash(LoginInformation().Directory)) + remoteName;
        if (object.front() != '/') object.insert(object.begin(), '/');
        url = ServerUrl() + platform::UrlPath(object);
    }
    auto transfer = session_->Start(Request(url, false));
    lastResponse_ = transfer->LastResponse();
    const NetFailure failure = transfer->Failure();
    // A body that breaks off is the read's failure; anything else stops here.
    if (failure != NetFailure::None && failure != NetFailure::ConnectionAborted) {
        if (ftp) Fail<ENIL_FTPOpenFile>("Cannot open file %s on server", remoteName, ErrorCode(failure));
        Fail<ENIL_HTTPSendRequest>("Cannot send request for file %s to the server", remoteName, ErrorCode(failure));
    }
    if (!ftp) {
        const long status = transfer->ResponseCode();
        if (status == 404 || status == 410) Fail<ENIL_FileNotFound>("Could not find the file %s on the server", remoteName);
        if (status >= 400) Fail<ENIL_HTTPOpenFile>("Cannot open file %s on server", remoteName);
    }
    return std::make_unique<Transfer>(*this, std::move(transfer));
}

std::string TNetInstallLocation::LastResponse() {
    return lastResponse_.empty() ? std::string("No server response") : lastResponse_;
}

}  // namespace installer
