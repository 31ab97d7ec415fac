#include "installer/netlocation/NetLocation.h"

#include <algorithm>
#include <array>
#include <map>

#include "installer/components/EngineContext.h"
#include "installer/base/services/AppServices.h"
#include "platform/core/runtime/Format.h"
#include "platform/core/runtime/Text.h"
#include "platform/windows/sysroot/SystemRoot.h"

namespace installer {
namespace {

constexpr std::size_t kBlock = 8192;
constexpr int kConnectionAborted = 12030;

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
    static const std::map<int, const char*> names = {
        {6, "ERROR_INVALID_HANDLE"},
        {12001, "ERROR_INTERNET_OUT_OF_HANDLES"},
        {12002, "ERROR_INTERNET_TIMEOUT"},
        {12003, "ERROR_INTERNET_EXTENDED_ERROR"},
        {12004, "ERROR_INTERNET_INTERNAL_ERROR"},
        {12005, "ERROR_INTERNET_INVALID_URL"},
        {12006, "ERROR_INTERNET_UNRECOGNIZED_SCHEME"},
        {12007, "ERROR_INTERNET_NAME_NOT_RESOLVED"},
        {12008, "ERROR_INTERNET_PROTOCOL_NOT_FOUND"},
        {12009, "ERROR_INTERNET_INVALID_OPTION"},
        {12010, "ERROR_INTERNET_BAD_OPTION_LENGTH"},
        {12011, "ERROR_INTERNET_OPTION_NOT_SETTABLE"},
        {12012, "ERROR_INTERNET_SHUTDOWN"},
        {12013, "ERROR_INTERNET_INCORRECT_USER_NAME"},
        {12014, "ERROR_INTERNET_INCORRECT_PASSWORD"},
        {12015, "ERROR_INTERNET_LOGIN_FAILURE"},
        {12016, "ERROR_INTERNET_INVALID_OPERATION"},
        {12017, "ERROR_INTERNET_OPERATION_CANCELLED"},
        {12018, "ERROR_INTERNET_INCORRECT_HANDLE_TYPE"},
        {12019, "ERROR_INTERNET_INCORRECT_HANDLE_STATE"},
        {12020, "ERROR_INTERNET_NOT_PROXY_REQUEST"},
        {12021, "ERROR_INTERNET_REGISTRY_VALUE_NOT_FOUND"},
        {12022, "ERROR_INTERNET_BAD_REGISTRY_PARAMETER"},
        {12023, "ERROR_INTERNET_NO_DIRECT_ACCESS"},
        {12024, "ERROR_INTERNET_NO_CONTEXT"},
        {12025, "ERROR_INTERNET_NO_CALLBACK"},
        {12026, "ERROR_INTERNET_REQUEST_PENDING"},
        {12027, "ERROR_INTERNET_INCORRECT_FORMAT"},
        {12028, "ERROR_INTERNET_ITEM_NOT_FOUND"},
        {12029, "ERROR_INTERNET_CANNOT_CONNECT"},
        {12030, "ERROR_INTERNET_CONNECTION_ABORTED"},
        {12031, "ERROR_INTERNET_CONNECTION_RESET"},
        {12032, "ERROR_INTERNET_FORCE_RETRY"},
        {12036, "ERROR_INTERNET_HANDLE_EXISTS"},
        {12041, "ERROR_INTERNET_MIXED_SECURITY"},
        {12110, "ERROR_FTP_TRANSFER_IN_PROGRESS"},
        {12111, "ERROR_FTP_DROPPED"},
        {12130, "ERROR_GOPHER_PROTOCOL_ERROR"},
        {12131, "ERROR_GOPHER_NOT_FILE"},
        {12132, "ERROR_GOPHER_DATA_ERROR"},
        {12133, "ERROR_GOPHER_END_OF_DATA"},
        {12134, "ERROR_GOPHER_INVALID_LOCATOR"},
        {12135, "ERROR_GOPHER_INCORRECT_LOCATOR_TYPE"},
        {12136, "ERROR_GOPHER_NOT_GOPHER_PLUS"},
        {12137, "ERROR_GOPHER_ATTRIBUTE_NOT_FOUND"},
        {12138, "ERROR_GOPHER_UNKNOWN_LOCATOR"},
        {12150, "ERROR_HTTP_HEADER_NOT_FOUND"},
        {12151, "ERROR_HTTP_DOWNLEVEL_SERVER"},
        {12152, "ERROR_HTTP_INVALID_SERVER_RESPONSE"},
        {12153, "ERROR_HTTP_INVALID_HEADER"},
        {12154, "ERROR_HTTP_INVALID_QUERY_REQUEST"},
        {12155, "ERROR_HTTP_HEADER_ALREADY_EXISTS"},
    };
    const auto found = names.find(code);
    return found == names.end() ? "Unregistered error code" : found->second;
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
    // A cancelled download leaves no part of the file, which could pass for an archive.
    auto discard = [&] {
        local = platform::FileStream();
        try {
            platform::Files().DeleteFile(localPath_);
        } catch (const platform::Exception&) {
            // Only the space is lost; the caller ends the install anyway.
        }
    };
    std::array<char, kBlock> block;
    std::int64_t total = 0;
    bool first = true;
    for (std::size_t n = file.Read(block.data(), block.size()); n > 0; n = file.Read(block.data(), block.size())) {
        if (first && login_.Protocol == ipHTTP && file.TextBody()) {
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
        if (NetLocations(Context()).AbortDownload) return discard();
        if (local.Write(block.data(), n) != n)
            throw ENIL_WriteDestFile(
                platform::Format("%s could not write to the local dest file %s", {Name(), localPath_}));
    }
    if (NetLocations(Context()).AbortDownload) return discard();  // stopped while waiting for the server
    if (total == 0) Fail<ENIL_FileNotFound>("Could not find the file %s on the server", remoteName_);
    // A file that ends before its announced size is not the file.
    if (fileSize > 0 && total != fileSize)
        Fail<ENIL_ReadFile>("Could not read from file %s on the server", remoteName_, kConnectionAborted);
}

}  // namespace installer
