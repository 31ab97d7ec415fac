#include "installer/netlocation/NetLocation.h"

#include <algorithm>
#include <array>

#include "installer/components/EngineContext.h"
#include "installer/base/services/AppServices.h"
#include "platform/runtime/Format.h"
#include "platform/runtime/Text.h"
#include "platform/sysroot/SystemRoot.h"

namespace installer {
namespace {

constexpr std::size_t kBlock = 8192;

}  // namespace

void TCustomLoginInformation::Assign(const TCustomLoginInformation& source) {
    Anonymous = source.Anonymous;
    Directory = source.Directory;
    Hostname = source.Hostname;
    Password = source.Password;
    Protocol = source.Protocol;
    Username = source.Username;
}

bool TCustomLoginInformation::IsComplete() const {
    if (Anonymous) return !platform::IsBlank(Hostname);
    return !platform::IsBlank(Hostname) || !platform::IsBlank(Password) || !platform::IsBlank(Username);
}

std::string ServerPath(const std::string& directory) {
    if (platform::IsBlank(directory)) return "/";
    std::string out = directory;
    std::replace(out.begin(), out.end(), '\\', '/');
    return out;
}

std::string NetErrorName(int code) {
    switch (code) {
        case 6: return "ERROR_INVALID_HANDLE";
        case 12007: return "ERROR_INTERNET_NAME_NOT_RESOLVED";
        case 12029: return "ERROR_INTERNET_CANNOT_CONNECT";
        case 12032: return "ERROR_INTERNET_FORCE_RETRY";
        case 12150: return "ERROR_HTTP_HEADER_NOT_FOUND";
        default: return "Unregistered error code";
    }
}

ENIL::ENIL(const std::string& text, int errorCode, const std::string& host, const std::string& response)
    : platform::Exception(platform::Format("%s. Error message %s. Server %s. Response from server %s",
                                           {text, NetErrorName(errorCode), host, response})) {}

NetLocationState& NetLocations(EngineContext& context) { return context.Slot<NetLocationState>(); }

void AddNetLocation(EngineContext& context, TCustomNetInstallLocation* location) {
    if (!location) throw IENetList("Cannot add a blank location to the global net location list");
    NetLocations(context).Locations.push_back(location);
}

// ---------------------------------------------------------------- location

TCustomNetInstallLocation::TCustomNetInstallLocation(TComponentOwner& owner) : TComponent(owner), login_(this) {
    AddNetLocation(Context(), this);
}

TCustomNetInstallLocation::~TCustomNetInstallLocation() {
    NetLocationState& state = NetLocations(Context());
    if (state.Current == this) state.Current = nullptr;
    if (state.InstallDefault == this) state.InstallDefault = nullptr;
    auto& list = state.Locations;
    list.erase(std::remove(list.begin(), list.end(), this), list.end());
}

std::string TCustomNetInstallLocation::Failure(const std::string& format, const std::string& argument,
                                               int errorCode) {
    TCustomNetInstallLocation* current = NetLocations(Context()).Current;
    const std::string host = current ? current->LoginInformation().Hostname : std::string();
    const std::string response = current ? current->LastResponse() : std::string("No server response");
    return ENIL(platform::Format(format, {argument}), errorCode, host, response).what();
}

void TCustomNetInstallLocation::LoadWinInet() { OpenLibrary(); }

void TCustomNetInstallLocation::SetLoginInformation(const TCustomLoginInformation& login) { login_.Assign(login); }

void TCustomNetInstallLocation::Connect() {
    NetLocations(Context()).Current = this;
    if (!LibraryLoaded()) LoadWinInet();
    if (!HasSession()) OpenSession();
    if (!HasConnection()) {
        if (OnBeforeConnect) OnBeforeConnect(*this);
        OpenConnection();
        if (OnAfterConnect) OnAfterConnect(*this);
    }
    if (login_.Protocol == ipFTP) SetServerDirectory();
}

void TCustomNetInstallLocation::GetFile(const std::string& remoteName, const std::string& localPath) {
    Connect();
    localPath_ = localPath;
    remoteName_ = remoteName;
    if (OnBeforeDownload) OnBeforeDownload(*this);
    std::unique_ptr<RemoteFile> file = OpenRemoteFile(remoteName);
    try {
        Download(*file);
    } catch (...) {
        try {
            file->Close();
        } catch (const platform::Exception&) {
            // The first failure is the one to report.
        }
        throw;
    }
    file->Close();
    if (OnAfterDownload) OnAfterDownload(*this, NetLocations(Context()).AbortDownload);
}

void TCustomNetInstallLocation::Download(RemoteFile& file) {
    const std::int64_t fileSize = file.QuerySize();
    platform::FileStream local;
    try {
        local = platform::Files().Open(localPath_, platform::FileMode::Create);
    } catch (const platform::Exception&) {
        throw ENIL_WriteDestFile(platform::Format("%s could not write to the local dest file %s", {Name(), localPath_}));
    }
    std::array<char, kBlock> block;
    std::int64_t total = 0;
    bool first = true;
    for (std::size_t n = file.Read(block.data(), block.size()); n > 0; n = file.Read(block.data(), block.size())) {
        if (first && login_.Protocol == ipHTTP) {
            // A server may answer a missing file with an error page.
            const std::string head = platform::AsciiUpper(std::string_view(block.data(), std::min<std::size_t>(n, 30)));
            if (head.find("404") != std::string::npos)
                Fail<ENIL_FileNotFound>("Could not find the file %s on the server", remoteName_);
        }
        first = false;
        total += static_cast<std::int64_t>(n);
        const auto bytes = static_cast<std::int64_t>(n);
        if (OnDataReceived) OnDataReceived(*this, remoteName_, bytes, total, fileSize, block.data());
        if (DownloaderDataReceived) DownloaderDataReceived(*this, remoteName_, bytes, total, fileSize, block.data());
        Services().ProcessMessages();
        if (NetLocations(Context()).AbortDownload) return;
        if (local.Write(block.data(), n) != n)
            throw ENIL_WriteDestFile(
                platform::Format("%s could not write to the local dest file %s", {Name(), localPath_}));
    }
    if (total == 0) Fail<ENIL_FileNotFound>("Could not find the file %s on the server", remoteName_);
}

}  // namespace installer
