#pragma once
// Broadcast message ids, status codes and the parameter objects that travel
// with them. The sender makes a parameter, sends it and frees it after the
// send returns; receivers never keep one.
#include <cstdint>
#include <string>

#include "installer/components/TObject.h"

namespace installer {

// Broadcast ids (to direct children of type 2000 and up).
inline constexpr int imProcessing = -999;
inline constexpr int imFileStatus = -998;
inline constexpr int imReplacingFile = -997;
inline constexpr int imPassFinished = -996;
inline constexpr int imGoodInstall = -995;
inline constexpr int imBadInstall = -994;
inline constexpr int imChangeDisk = -993;
inline constexpr int imBeginInstall = -992;
inline constexpr int imBeforeCreateFolder = -991;
inline constexpr int imBeforeProcess = -990;
inline constexpr int imAfterProcess = -989;
inline constexpr int imDownloadStatus = -988;
inline constexpr int imReboot = -987;
inline constexpr int imPrepareInstall = -986;
inline constexpr int imBeforeReadArchiveInfo = -984;
inline constexpr int imAfterReadArchiveInfo = -983;
inline constexpr int imWelcome = -982;
inline constexpr int imLicense = -981;
inline constexpr int imBeforeInstall = -980;
inline constexpr int imAfterGoodInstall = -979;
inline constexpr int imAfterBadInstall = -978;
inline constexpr int imReadme = -977;
inline constexpr int imBeforeWelcome1 = -976;
inline constexpr int imBeforeWelcome2 = -975;
inline constexpr int imPushStatus = -974;
inline constexpr int imPopStatus = -973;
inline constexpr int imCreateShellLink = -970;
inline constexpr int imCreateLinkGroup = -969;

// Status codes (up the Container chain).
inline constexpr int scAfterInstall = 1001;
inline constexpr int scBeforeInstall = 1002;
inline constexpr int scReplacing = 1003;
inline constexpr int scBeforeCompress = 1004;
inline constexpr int scAfterCompress = 1005;
inline constexpr int scBeforeCopy = 1006;
inline constexpr int scAfterCopy = 1007;
inline constexpr int scInstallProgress = 1008;
inline constexpr int scCompressProgress = 1009;
inline constexpr int scCopyProgress = 1010;
inline constexpr int scNewDisk = 1011;
inline constexpr int scContainerBegin = 1012;
inline constexpr int scContainerEnd = 1013;
inline constexpr int scDownloadStatus = 1014;
inline constexpr int scSkipped = 1015;
inline constexpr int scKept = 1016;

class TMessageParameter : public TObject {
public:
    explicit TMessageParameter(std::string text = {}) : Text(std::move(text)) {}
    std::string Text;
};

class TDiskParameter : public TObject {
public:
    int DiskNumber = 0;
    std::string Path;  // a handler may change it
};

class TDownloadStatusParameter : public TObject {
public:
    const char* Buffer = nullptr;  // the chunk just received
    std::string FileName;          // the remote file name
    std::int64_t TotalBytes = 0;
    std::int64_t FileSize = 0;  // bytes of the local copy so far
    int Percent = 0;
};

// Round(part / whole x 100) with halves to even; 0 when whole is 0.
int RoundPercent(std::int64_t part, std::int64_t whole);

// A download parameter with its Percent worked out from FileSize and TotalBytes.
TDownloadStatusParameter MakeDownloadStatus(const char* buffer, const std::string& fileName, std::int64_t totalBytes,
                                            std::int64_t fileSize);

}  // namespace installer
