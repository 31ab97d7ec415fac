#pragma once
// The user's default language as a Windows LANGID: the locale value of the
// registry stand-in when present, else the POSIX locale of the environment
// (LC_ALL, LC_MESSAGES, LANG, the first one set).
#include <cstdint>
#include <functional>
#include <string>

namespace installer {

std::uint16_t GetUserDefaultLangID();

// The LANGID of a POSIX locale name such as "de_DE.UTF-8"; English for
// "C", "POSIX", empty and unknown names.
std::uint16_t LangIDFromPosixLocale(const std::string& locale);

// Replaces where the LANGID comes from (tests); an empty function restores
// the default.
void SetUserDefaultLangIDSource(std::function<std::uint16_t()> source);

}  // namespace installer
