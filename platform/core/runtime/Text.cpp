#include "platform/core/runtime/Text.h"

#include <algorithm>

#include <cerrno>
#include <cstdlib>

namespace platform {

namespace {

template <typename Trimmed>
std::string TrimBy(std::string_view s, Trimmed trimmed) {
    size_t b = 0, e = s.size();
    while (b < e && trimmed(static_cast<unsigned char>(s[b]))) ++b;
    while (e > b && trimmed(static_cast<unsigned char>(s[e - 1]))) --e;
    return std::string(s.substr(b, e - b));
}

bool IsWhitespace(unsigned char c) { return c == ' ' || c == '\t' || c == '\r' || c == '\n'; }

}  // namespace

std::string TrimSpaces(std::string_view s) {
    return TrimBy(s, [](unsigned char c) { return c == ' '; });
}

std::string TrimBlanks(std::string_view s) {
    return TrimBy(s, [](unsigned char c) { return c == ' ' || c == '\t'; });
}

std::string TrimWhitespace(std::string_view s) { return TrimBy(s, IsWhitespace); }

std::string TrimControls(std::string_view s) {
    return TrimBy(s, [](unsigned char c) { return c <= ' '; });
}

bool IsBlank(std::string_view s) {
    for (char c : s)
        if (!IsWhitespace(static_cast<unsigned char>(c))) return false;
    return true;
}

char AsciiUpper(char c) { return c >= 'a' && c <= 'z' ? static_cast<char>(c - 'a' + 'A') : c; }

char AsciiLower(char c) { return c >= 'A' && c <= 'Z' ? static_cast<char>(c - 'A' + 'a') : c; }

std::string AsciiUpper(std::string_view s) {
    std::string out(s);
    for (char& c : out) c = AsciiUpper(c);
    return out;
}

std::string AsciiLower(std::string_view s) {
    std::string out(s);
    for (char& c : out) c = AsciiLower(c);
    return out;
}

bool LessIgnoringCase(std::string_view a, std::string_view b) {
    return std::lexicographical_compare(a.begin(), a.end(), b.begin(), b.end(), [](char x, char y) {
        return static_cast<unsigned char>(AsciiLower(x)) < static_cast<unsigned char>(AsciiLower(y));
    });
}

std::optional<std::int64_t> ParseInteger64(std::string_view s) {
    const std::string text(s);
    const char* start = text.c_str();
    char* end = nullptr;
    errno = 0;
    const long long v = std::strtoll(start, &end, 10);
    // At least one digit, all of the text, and in range.
    bool digits = false;
    for (const char* p = start; p != end; ++p) digits |= *p >= '0' && *p <= '9';
    if (!digits || *end != '\0' || errno != 0) return std::nullopt;
    return static_cast<std::int64_t>(v);
}

std::optional<std::int32_t> ParseInteger(std::string_view s) {
    const std::optional<std::int64_t> v = ParseInteger64(s);
    if (!v || *v < INT32_MIN || *v > INT32_MAX) return std::nullopt;
    return static_cast<std::int32_t>(*v);
}

}  // namespace platform
