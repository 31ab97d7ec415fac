#include "installer/components/Messages.h"

#include <cmath>
#include <limits>

namespace installer {

int RoundPercent(std::int64_t part, std::int64_t whole) {
    if (whole == 0) return 0;
    const double value = static_cast<double>(part) / static_cast<double>(whole) * 100.0;
    if (!std::isfinite(value)) return 0;
    const double rounded = std::nearbyint(value);  // the default mode rounds halves to even
    if (rounded >= static_cast<double>(std::numeric_limits<int>::max())) return std::numeric_limits<int>::max();
    if (rounded <= static_cast<double>(std::numeric_limits<int>::min())) return std::numeric_limits<int>::min();
    return static_cast<int>(rounded);
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
