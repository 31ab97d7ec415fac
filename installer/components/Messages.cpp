#include "installer/components/Messages.h"

#include <cmath>

namespace installer {

int RoundPercent(std::int64_t part, std::int64_t whole) {
    if (whole == 0) return 0;
    const double value = static_cast<double>(part) / static_cast<double>(whole) * 100.0;
    if (!std::isfinite(value)) return 0;
    return static_cast<int>(std::nearbyint(value));  // the default mode rounds halves to even
}

TDownloadStatusParameter MakeDownloadStatus(const char* buffer, const std::string& fileName, std::int64_t totalBytes,
                                            std::int64_t fileSize) {
    TDownloadStatusParameter p;
    p.Buffer = buffer;
    p.FileName = fileName;
    p.TotalBytes = totalBytes;
    p.FileSize = fileSize;
    p.Percent = RoundPercent(fileSize, totalBytes);
    return p;
}

}  // namespace installer
