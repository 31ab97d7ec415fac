#pragma once
// The installed tables' version: a text file in the data folder beside the
// tables, written with them (vorel-sample) and shipped by the setup with
// them, so the version always describes the tables it stands beside.
#include <string>

namespace vorel {

// The file's name in the data folder; its first line is the version, a
// decimal number with "." as decimal point (CR LF ends the line).
inline constexpr const char* kTablesVersionFile = "VersaoBD.txt";

// The version text of the tables under base directory + "\data", trimmed;
// "n/a" when the file is missing, unreadable or empty.
std::string ReadTablesVersion(const std::string& baseDirectory);

}  // namespace vorel
