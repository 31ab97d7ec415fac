#pragma once
// Text helpers for paths and separated lists. None of them raises.
// Separators are one character; ';' separates every list of the system.
#include <string>
#include <vector>

namespace installer {

// Clears the list, then adds items 1 .. ItemCount of the text.
void SplitToList(const std::string& text, char separator, std::vector<std::string>& list);

// The text with '\' appended, unless it is empty or already ends with '\'.
std::string AddBackslash(const std::string& text);
// The text without its last character when that is '\'.
std::string RemoveBackslash(const std::string& text);

// Separators in the text, plus one when it is not empty and does not end with one.
int ItemCount(const std::string& text, char separator);
// The n-th item (1-based; n of 1 or less gives the first); empty past the end.
std::string GetItem(const std::string& text, int n, char separator);

// The text after its first ':' (a path without its drive); a text without ':' stays as it is.
std::string TextAfterColon(const std::string& text);

// The text made usable as one file or directory name: '/' becomes '-', the
// characters " * : ; < > ? \ | are dropped, everything else is kept. A result
// that would name no file (empty, "." or "..", only dots and blanks) is "_".
std::string MakeValidFileName(const std::string& text);

}  // namespace installer
