#include "platform/core/runtime/Count.h"

#include "platform/core/runtime/Text.h"

namespace platform {

std::optional<std::int32_t> ParseCount(std::string_view s) {
    const std::optional<std::int32_t> v = ParseInteger(s);
    if (!v || *v < 0 || *v == INT32_MAX) return std::nullopt;
    return v;
}

}  // namespace platform
