#pragma once
// The engine installer compares names ignoring case; it trims and upper-cases
// with the shared text routines (platform/core/runtime/Text.h).
#include <string>

#include "platform/core/runtime/PathCase.h"

namespace installer::bde {

inline bool SameText(const std::string& a, const std::string& b) { return platform::SameNameIgnoringCase(a, b); }

}  // namespace installer::bde
