#pragma once
// The progress parameter of imFileStatus and of the progress status codes.
#include <cstdint>
#include <string>

#include "installer/compressor/TmslCompress.h"
#include "installer/components/TObject.h"

namespace installer {

class TFileStatusParameter : public TObject {
public:
    std::int64_t FileBytesDone = 0;
    int FilePercent = 0;
    std::string FileName;
    TlzhFileStats FileStats;  // a copy of the archive's statistics
    // Each relaying container puts its own pass totals here.
    std::int64_t TotalBytesDone = 0;
    int TotalPercent = 0;
};

// What a file reports from its archive statistics.
TFileStatusParameter FileStatusFromStats(const TlzhFileStats& stats, const std::string& fileName);
// What a container reports for a file it skipped or kept: all of it done.
TFileStatusParameter FileStatusForWholeFile(std::int64_t size, const std::string& fileName);

}  // namespace installer
