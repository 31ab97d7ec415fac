#pragma once
// Network install locations: a component that fetches one remote file
// (an archive named after its component, extension ".1") into a local file
// of the system root, with progress events and a program-wide abort switch
// that the copy window's Cancel sets. The transport is a subclass; the
// download loop, its events and its checks are shared.
#include <cstdint>
#include <functional>
#include <memory>
#include <string>
#include <vector>

#include "installer/components/Component.h"
#include "platform/core/runtime/Exception.h"

namespace installer {

enum TInternetProtocol { ipFTP, ipHTTP };

class TCustomNetInstallLocation;

class TCustomLoginInformation {
public:
    explicit TCustomLoginInformation(TCustomNetInstallLocation* location = nullptr) : location_(location) {}

    bool Anonymous = true;
    std::string Directory;  // server directory; '\' may stand for '/'
    std::string Hostname;
    std::string Password;
    TInternetProtocol Protocol = ipHTTP;
    std::string Username;

    // Copies the six properties; the owning location stays.
    void Assign(const TCustomLoginInformation& source);
    // Anonymous: a host name is given; else any of host, password, user.
    bool IsComplete() const;
    TCustomNetInstallLocation* Location() const { return location_; }

private:
    TCustomNetInstallLocation* location_;
};
using TLoginInformation = TCustomLoginInformation;

// The server form of a directory: blank is "/", every '\' becomes '/'.
std::string ServerPath(const std::string& directory);

// (Sender, remote file name, bytes of this chunk, bytes so far, file size, chunk)
using TDataReceivedEvent = std::function<void(TComponent& sender, const std::string& fileName, std::int64_t bytes,
                                              std::int64_t totalBytes, std::int64_t fileSize, const char* buffer)>;
using TNetNotifyEvent = std::function<void(TCustomNetInstallLocation& sender)>;
using TAfterDownloadEvent = std::function<void(TCustomNetInstallLocation& sender, bool aborted)>;

// ---------------------------------------------------------------- errors

// "%s. Error message %s. Server %s. Response from server %s".
class ENIL : public platform::Exception {
public:
    ENIL(const std::string& text, int errorCode, const std::string& host, const std::string& response);
    explicit ENIL(const std::string& composed) : platform::Exception(composed) {}
};
#define VOREL_ENIL(name, base)                     \
    class name : public base {                     \
    public:                                        \
        using base::base;                          \
    };
VOREL_ENIL(ENIL_OpenSession, ENIL)
VOREL_ENIL(ENIL_OpenService, ENIL)
VOREL_ENIL(ENIL_FailDataQuery, ENIL)
VOREL_ENIL(ENIL_ReadFile, ENIL)
VOREL_ENIL(ENIL_FileNotFound, ENIL)
VOREL_ENIL(ENIL_FTP, ENIL)
VOREL_ENIL(ENIL_FTPSetDir, ENIL_FTP)
VOREL_ENIL(ENIL_FTPOpenFile, ENIL_FTP)
VOREL_ENIL(ENIL_FTPCloseFile, ENIL_FTP)
VOREL_ENIL(ENIL_HTTP, ENIL)
VOREL_ENIL(ENIL_HTTPOpenFile, ENIL_HTTP)
VOREL_ENIL(ENIL_HTTPSendRequest, ENIL_HTTP)
VOREL_ENIL(IENetList, ENIL)
using NetPlainError = platform::Exception;
VOREL_ENIL(ENIL_WriteDestFile, NetPlainError)
VOREL_ENIL(ENIL_FailLoadWININET, NetPlainError)
VOREL_ENIL(ENIL_FailLoadDLLProc, NetPlainError)
#undef VOREL_ENIL

// The system's name of an error code, "Unregistered error code" for others.
std::string NetErrorName(int code);

// ---------------------------------------------------------------- locations

class TCustomNetInstallLocation : public TComponent {
public:
    explicit TCustomNetInstallLocation(TComponentOwner& owner);
    ~TCustomNetInstallLocation() override;

    static constexpr const char* StaticClassName = "TCustomNetInstallLocation";
    std::string ClassName() const override { return StaticClassName; }

    TCustomLoginInformation& LoginInformation() { return login_; }
    const TCustomLoginInformation& LoginInformation() const { return login_; }

    TNetNotifyEvent OnBeforeConnect, OnAfterConnect, OnBeforeDownload;
    TAfterDownloadEvent OnAfterDownload;
    TDataReceivedEvent OnDataReceived;
    // Set by the component downloading for the time of its transfer.
    TDataReceivedEvent DownloaderDataReceived;

    // Virtual operations, in their order.
    virtual void LoadWinInet();
    virtual void SetLoginInformation(const TCustomLoginInformation& login);
    virtual void Connect();
    // Downloads the remote file from the login's directory into the local
    // path (created or truncated). Returns normally also when aborted: the
    // caller tests AbortDownload; the local file is then removed. Cancel is
    // heard however slowly the server sends (the location serves the
    // window's events while it waits).
    virtual void GetFile(const std::string& remoteName, const std::string& localPath);

    // One remote file being read.
    class RemoteFile {
    public:
        virtual ~RemoteFile() = default;
        // The size the server announces; 0 when unknown.
        virtual std::int64_t QuerySize() = 0;
        // Bytes read (0 at the end); raises ENIL_ReadFile on failure.
        virtual std::size_t Read(char* buffer, std::size_t count) = 0;
        // Whether the server sent the body as text (a page, not a file).
        virtual bool TextBody() const { return false; }
        // Raises ENIL_FTPCloseFile on failure.
        virtual void Close() = 0;
    };
    const std::string& RemoteFileName() const { return remoteName_; }
    const std::string& LocalFilePath() const { return localPath_; }

protected:
    // The transport: opens the library, the session, the connection, a file.
    virtual bool LibraryLoaded() const = 0;
    virtual void OpenLibrary() = 0;
    virtual bool HasSession() const = 0;
    virtual void OpenSession() = 0;
    virtual bool HasConnection() const = 0;
    virtual void OpenConnection() = 0;
    virtual void SetServerDirectory() = 0;  // FTP only, on every Connect
    virtual std::unique_ptr<RemoteFile> OpenRemoteFile(const std::string& remoteName) = 0;
    // The server's last response text, or "No server response".
    virtual std::string LastResponse() { return "No server response"; }

    // The composed message of the ENIL family for this location.
    std::string Failure(const std::string& format, const std::string& argument, int errorCode);
    template <typename E>
    [[noreturn]] void Fail(const std::string& format, const std::string& argument, int errorCode = 0) {
        throw E(Failure(format, argument, errorCode));
    }

private:
    void Download(RemoteFile& file);
    TCustomLoginInformation login_;
    std::string remoteName_;
    std::string localPath_;
};

// The program-wide state of the net locations of one engine.
struct NetLocationState {
    std::vector<TCustomNetInstallLocation*> Locations;
    TCustomNetInstallLocation* Current = nullptr;          // the one that last connected
    TCustomNetInstallLocation* InstallDefault = nullptr;   // the install's NetLocation
    bool AbortDownload = false;
};
NetLocationState& NetLocations(EngineContext& context);

// Adds to the list; nil raises IENetList.
void AddNetLocation(EngineContext& context, TCustomNetInstallLocation* location);

}  // namespace installer
