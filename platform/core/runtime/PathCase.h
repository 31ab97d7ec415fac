#pragma once
// Windows file names ignore case. ResolveCase turns a relative path written
// with '\' or '/' into a host path below base, matching each component that
// already exists case-insensitively (ASCII) and keeping the rest as given.
// It does not check confinement: callers that write use the file-system layer.
#include <filesystem>
#include <string>

namespace platform {

std::filesystem::path ResolveCase(const std::filesystem::path& base, const std::string& relative);

// ASCII case-insensitive equality, as Windows compares file names.
bool SameNameIgnoringCase(const std::string& a, const std::string& b);

}  // namespace platform
