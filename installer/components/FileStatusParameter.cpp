#include "installer/components/FileStatusParameter.h"

namespace installer {

TFileStatusParameter FileStatusFromStats(const TlzhFileStats& stats, const std::string& fileName) {
    TFileStatusParameter p;
    p.FileBytesDone = stats.FileBytesDone;
    p.FilePercent = stats.FilePercent;
    p.FileName = fileName;
    p.FileStats = stats;
    p.TotalBytesDone = stats.TotalBytesDone;
    p.TotalPercent = stats.TotalPercent;
    return p;
}

TFileStatusParameter FileStatusForWholeFile(std::int64_t size, const std::string& fileName) {
    TFileStatusParameter p;
    p.FileBytesDone = size;
    p.FilePercent = 100;
    p.FileName = fileName;
    return p;
}

}  // namespace installer
