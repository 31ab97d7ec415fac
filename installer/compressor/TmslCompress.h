#pragma once
// The installer's archive component: the archive codec (installer/archive)
// as the install engine and its windows use it. Its events are assignable
// handlers, long loops let the user interface run through the application
// services, a full disk and the end of an aborted run reach their handlers,
// and the codec's errors reach the caller as installer exceptions in the
// user's language.
#include <chrono>
#include <functional>
#include <memory>
#include <string>

#include "installer/archive/ArchiveCodec.h"
#include "installer/archive/ArchiveErrors.h"

namespace installer {

class TTmslCompress;
using TNotifyEvent = std::function<void(TTmslCompress& sender)>;
using TlzhFileStatsEvent = std::function<void(TTmslCompress& sender, TlzhFileStats& stats)>;
using TlzhNewDiskEvent = std::function<void(TTmslCompress& sender, int diskNumber, std::string& path)>;

class TTmslCompress : public ArchiveCodec {
public:
    using ArchiveCodec::ArchiveCodec;

    TNotifyEvent OnAborted;
    TlzhFileStatsEvent OnAfterAdding, OnBeforeAdding, OnAfterExtracting, OnBeforeExtracting, OnListing, OnReplace,
        OnStatus;
    TNotifyEvent OnFullDisk;
    TlzhNewDiskEvent OnNewDisk;

    // The codec's operations, raising ETmslCompress, EtcDiskFull or
    // EtcAborted with translated texts.
    int Count();
    void GetFileStats(int index, TlzhFileStats& stats);
    int IndexOfID(int fileId);
    void Compress(bool addOnly, int fileId);
    void Extract();
    void SpanToDisks(const std::string& diskDirectory, const std::string& diskFileName);
    void CopyFileChecked(const std::string& source, const std::string& destination);
    // OnFullDisk, else EtcDiskFull.
    void DiskFull() override;

protected:
    bool Handles(ArchiveEvent event) const override;
    void Notify(ArchiveEvent event) override;
    void NewDisk(int disk, std::string& folder) override;
    void Poll() override;

private:
    const TlzhFileStatsEvent* StatsEvent(ArchiveEvent event) const;

    // When events were last pumped: a Cancel is served within a few
    // milliseconds without running the event loop once per buffer.
    std::chrono::steady_clock::time_point lastPoll_{};
};

// The installer exception for a codec error, its text translated.
[[noreturn]] void RaiseTranslated(const ArchiveError& error);

}  // namespace installer
