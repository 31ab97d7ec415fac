#pragma once
// Comparing texts the way the installer looks up wordings: equal when they
// differ only in letter case (any script), nothing trimmed or normalised.
#include <string>

namespace installer {

// The text case-folded; two texts match when their folded forms are equal.
std::string FoldCase(const std::string& utf8);

bool SameTextIgnoreCase(const std::string& a, const std::string& b);

}  // namespace installer
