#include "platform/core/runtime/Format.h"

namespace platform {

namespace {
std::string asText(const FormatArg& a) {
    if (auto s = std::get_if<std::string>(&a)) return *s;
    return std::to_string(std::get<std::int64_t>(a));
}
}  // namespace

std::string Format(const std::string& fmt, const FormatArgs& args) {
    std::string out;
    out.reserve(fmt.size() + 16);
    size_t next = 0;
    for (size_t i = 0; i < fmt.size(); ++i) {
        char c = fmt[i];
        if (c != '%' || i + 1 >= fmt.size()) {
            out += c;
            continue;
        }
        char k = fmt[i + 1];
        if (k == '%') {
            out += '%';
            ++i;
        } else if (k == 's' || k == 'd') {
            if (next < args.items.size()) out += asText(args.items[next]);
            ++next;
            ++i;
        } else {
            out += c;
        }
    }
    return out;
}

std::string FormatPlaceholders(const std::string& fmt) {
    std::string kinds;
    for (size_t i = 0; i + 1 < fmt.size(); ++i) {
        if (fmt[i] != '%') continue;
        char k = fmt[i + 1];
        if (k == 's' || k == 'd') kinds += k;
        ++i;
    }
    return kinds;
}

}  // namespace platform
