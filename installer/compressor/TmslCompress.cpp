#include "installer/compressor/TmslCompress.h"

#include "installer/base/services/AppServices.h"
#include "installer/translator/Translator.h"

namespace installer {

namespace {

template <typename Body>
auto Translated(Body body) -> decltype(body()) {
    try {
        return body();
    } catch (const ArchiveError& e) {
        RaiseTranslated(e);
    }
}

}  // namespace

void RaiseTranslated(const ArchiveError& error) {
    switch (error.Kind()) {
        case ArchiveErrorKind::Aborted: throw EtcAborted(TranslateString(error.EnglishFormat()));
        case ArchiveErrorKind::DiskFull: throw EtcDiskFull(TranslateString(error.EnglishFormat()));
        default: throw ETmslCompress(TranslateFmt(error.EnglishFormat(), error.Args()));
    }
}

int TTmslCompress::Count() {
    return Translated([&] { return ArchiveCodec::Count(); });
}

void TTmslCompress::GetFileStats(int index, TlzhFileStats& stats) {
    Translated([&] { ArchiveCodec::GetFileStats(index, stats); });
}

int TTmslCompress::IndexOfID(int fileId) {
    return Translated([&] { return ArchiveCodec::IndexOfID(fileId); });
}

void TTmslCompress::Compress(bool addOnly, int fileId) {
    Translated([&] { ArchiveCodec::Compress(addOnly, fileId); });
}

void TTmslCompress::Extract() {
    Translated([&] { ArchiveCodec::Extract(); });
}

void TTmslCompress::SpanToDisks(const std::string& diskDirectory, const std::string& diskFileName) {
    Translated([&] { ArchiveCodec::SpanToDisks(diskDirectory, diskFileName); });
}

void TTmslCompress::CopyFileChecked(const std::string& source, const std::string& destination) {
    Translated([&] { ArchiveCodec::CopyFileChecked(source, destination); });
}

void TTmslCompress::DiskFull() {
    if (!OnFullDisk) RaiseTranslated(ArchiveError(ArchiveErrorKind::DiskFull, ArchiveErrorFacts()));
    Disturbed();
    OnFullDisk(*this);
}

const TlzhFileStatsEvent* TTmslCompress::StatsEvent(ArchiveEvent event) const {
    switch (event) {
        case ArchiveEvent::BeforeAdding: return &OnBeforeAdding;
        case ArchiveEvent::AfterAdding: return &OnAfterAdding;
        case ArchiveEvent::BeforeExtracting: return &OnBeforeExtracting;
        case ArchiveEvent::AfterExtracting: return &OnAfterExtracting;
        case ArchiveEvent::Listing: return &OnListing;
        case ArchiveEvent::Replace: return &OnReplace;
        case ArchiveEvent::Status: return &OnStatus;
        case ArchiveEvent::Aborted:
        case ArchiveEvent::NewDisk: break;
    }
    return nullptr;
}

bool TTmslCompress::Handles(ArchiveEvent event) const {
    if (event == ArchiveEvent::Aborted) return static_cast<bool>(OnAborted);
    if (event == ArchiveEvent::NewDisk) return static_cast<bool>(OnNewDisk);
    const TlzhFileStatsEvent* handler = StatsEvent(event);
    return handler && *handler;
}

void TTmslCompress::Notify(ArchiveEvent event) {
    if (event == ArchiveEvent::Aborted) {
        if (OnAborted) OnAborted(*this);
        return;
    }
    const TlzhFileStatsEvent* handler = StatsEvent(event);
    if (handler && *handler) (*handler)(*this, FileStats());
}

void TTmslCompress::NewDisk(int disk, std::string& folder) {
    if (OnNewDisk) OnNewDisk(*this, disk, folder);
}

void TTmslCompress::Poll() {
    const auto now = std::chrono::steady_clock::now();
    if (now - lastPoll_ < std::chrono::milliseconds(10)) return;
    lastPoll_ = now;
    Services().ProcessMessages();
}

}  // namespace installer
