#pragma once
// Counts read from a file or the registry (entry counts, use counts):
// whatever text a damaged root holds, reading one and adding one to it
// cannot overflow.
#include <cstdint>
#include <optional>
#include <string_view>

namespace platform {

// A whole decimal integer from 0 to INT32_MAX - 1, so that one more still
// fits; nothing for any other text (out-of-range numbers included).
std::optional<std::int32_t> ParseCount(std::string_view s);

}  // namespace platform
