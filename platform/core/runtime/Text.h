#pragma once
// The small text routines every subsystem shares, one per meaning. Text is
// bytes (UTF-8 or a single-byte code page); case mapping is ASCII only, so
// it never depends on the locale nor splits a multi-byte character.
#include <cstdint>
#include <optional>
#include <string>
#include <string_view>

namespace platform {

// Trims, each with its own idea of what is trimmed off both ends:
// spaces only (fixed-width table fields, SQL text, the translator's numbers);
std::string TrimSpaces(std::string_view s);
// spaces and tabs (the blanks of an INI line);
std::string TrimBlanks(std::string_view s);
// spaces, tabs, CR and LF (names and paths typed or read from files);
std::string TrimWhitespace(std::string_view s);
// every character up to the space, control characters included (the class
// library's Trim).
std::string TrimControls(std::string_view s);

// Whether s is empty or holds only spaces, tabs, CR and LF.
bool IsBlank(std::string_view s);

char AsciiUpper(char c);
char AsciiLower(char c);
std::string AsciiUpper(std::string_view s);
std::string AsciiLower(std::string_view s);
// Byte order of the ASCII-lowered texts (bytes compared unsigned): names
// sorted ignoring case.
bool LessIgnoringCase(std::string_view a, std::string_view b);

// A whole decimal integer as the C library reads one: leading white space,
// an optional sign, digits and nothing after them; nothing when the text is
// not one or the value does not fit.
std::optional<std::int64_t> ParseInteger64(std::string_view s);
std::optional<std::int32_t> ParseInteger(std::string_view s);

}  // namespace platform
