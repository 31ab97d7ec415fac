#pragma once
// Temporary files of the system root that must not collide with anyone's.
#include <string>

namespace installer {

// A new empty file in the temporary directory named like a temporary file
// ("bat????") with the extension given (".1", ".bat"). The name is reserved
// exclusively first and the file then renamed without replacing, so two
// callers never share one. Raises EAPIRoutines when none can be made.
std::string CreateTempFileWithExt(const std::string& extension);

}  // namespace installer
