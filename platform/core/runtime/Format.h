#pragma once
// The one safe formatter for translated or stored format strings.
// Understands %s, %d and %%; a missing argument becomes empty, extra
// arguments are ignored, and an argument of the other type is written as it
// is (never a crash). Anything else after '%' is copied unchanged.
#include <cstdint>
#include <string>
#include <variant>
#include <vector>

namespace platform {

using FormatArg = std::variant<std::string, std::int64_t>;

struct FormatArgs {
    std::vector<FormatArg> items;
    FormatArgs() = default;
    template <typename... Ts>
    FormatArgs(Ts&&... ts) { (add(std::forward<Ts>(ts)), ...); }

private:
    void add(const std::string& s) { items.emplace_back(s); }
    void add(std::string&& s) { items.emplace_back(std::move(s)); }
    void add(const char* s) { items.emplace_back(std::string(s ? s : "")); }
    template <typename I>
        requires std::is_integral_v<std::remove_cvref_t<I>>
    void add(I i) { items.emplace_back(static_cast<std::int64_t>(i)); }
};

std::string Format(const std::string& fmt, const FormatArgs& args = {});

// How many %s/%d placeholders a format has, in order ('s' or 'd').
std::string FormatPlaceholders(const std::string& fmt);

}  // namespace platform
