#pragma once
// Building and reading the self-extracting executable (its layout is in
// trailer/Trailer.h). Paths are Windows paths of the system root.
#include <string>

#include "installer/distribution/trailer/Trailer.h"

namespace installer {

// Reads the trailer of a file; IEInstall "Could not read the extraction
// info ..." when the file cannot be read or holds no valid trailer.
SelfExtractorTrailer ReadSelfExtractorTrailer(const std::string& file);

// Appends setup1, files1 when it exists, and the trailer to exe. IEInstall
// "Cannot create the self-extracting exe because %s could not be loaded onto
// %s" when an archive cannot be appended whole, or when the result would
// pass the 2 GB the trailer's offsets can address.
void CreateSelfExtractor(const std::string& exe, const std::string& setup1, const std::string& files1);

}  // namespace installer
