#include "installer/base/Strings.h"

namespace installer {

void SplitToList(const std::string& text, char separator, std::vector<std::string>& list) {
    list.clear();
    int count = ItemCount(text, separator);
    for (int i = 1; i <= count; ++i) list.push_back(GetItem(text, i, separator));
}

std::string AddBackslash(const std::string& text) {
    if (text.empty() || text.back() == '\\') return text;
    return text + '\\';
}

std::string RemoveBackslash(const std::string& text) {
    if (!text.empty() && text.back() == '\\') return text.substr(0, text.size() - 1);
    return text;
}

int ItemCount(const std::string& text, char separator) {
    int count = 0;
    for (char c : text)
        if (c == separator) ++count;
    if (!text.empty() && text.back() != separator) ++count;
    return count;
}

std::string GetItem(const std::string& text, int n, char separator) {
    size_t start = 0;
    for (int i = 1; i < n; ++i) {
        size_t at = text.find(separator, start);
        if (at == std::string::npos) return "";
        start = at + 1;
    }
    size_t end = text.find(separator, start);
    return text.substr(start, end == std::string::npos ? std::string::npos : end - start);
}

std::string TextAfterColon(const std::string& text) {
    size_t at = text.find(':');
    return at == std::string::npos ? text : text.substr(at + 1);
}

std::string MakeValidFileName(const std::string& text) {
    std::string out;
    for (char c : text) {
        switch (c) {
        case '/': out += '-'; break;
        case '"': case '*': case ':': case ';': case '<': case '>': case '?': case '\\': case '|': break;
        default: out += c;
        }
    }
    // Nothing, "." or ".." (or only dots and blanks, which Windows strips) names no file of its own.
    if (out.find_first_not_of(". ") == std::string::npos) return "_";
    return out;
}

}  // namespace installer
