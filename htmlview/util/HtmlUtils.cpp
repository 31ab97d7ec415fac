#include "htmlview/util/HtmlUtils.h"

#include <cstdlib>
#include <limits>

#include "platform/core/runtime/Text.h"

namespace htmlview {

int MulDiv(int a, int b, int c) {
    if (c == 0) return -1;
    long long p = static_cast<long long>(a) * b;
    long long q = c;
    bool negative = (p < 0) != (q < 0);
    unsigned long long ap = p < 0 ? static_cast<unsigned long long>(-p) : static_cast<unsigned long long>(p);
    unsigned long long aq = q < 0 ? static_cast<unsigned long long>(-q) : static_cast<unsigned long long>(q);
    unsigned long long r = (ap + aq / 2) / aq;
    if (r > static_cast<unsigned long long>(std::numeric_limits<int>::max())) return -1;
    return negative ? -static_cast<int>(r) : static_cast<int>(r);
}

unsigned char LowerCp1252(unsigned char c) {
    if (c >= 'A' && c <= 'Z') return c + 32;
    if (c >= 0xC0 && c <= 0xDE && c != 0xD7) return c + 32;
    switch (c) {
        case 0x8A: return 0x9A;  // S caron
        case 0x8C: return 0x9C;  // OE
        case 0x8E: return 0x9E;  // Z caron
        case 0x9F: return 0xFF;  // Y diaeresis
        default: return c;
    }
}

unsigned char UpperCp1252(unsigned char c) {
    if (c >= 'a' && c <= 'z') return c - 32;
    if (c >= 0xE0 && c <= 0xFE && c != 0xF7) return c - 32;
    switch (c) {
        case 0x9A: return 0x8A;
        case 0x9C: return 0x8C;
        case 0x9E: return 0x8E;
        case 0xFF: return 0x9F;
        default: return c;
    }
}

bool TryStrToInt(std::string_view s, int& value) {
    size_t i = 0;
    bool negative = false;
    if (i < s.size() && (s[i] == '+' || s[i] == '-')) negative = s[i++] == '-';
    int base = 10;
    if (i < s.size() && s[i] == '$') {
        base = 16;
        ++i;
    }
    if (i >= s.size()) return false;
    long long v = 0;
    for (; i < s.size(); ++i) {
        char c = s[i];
        int d;
        if (c >= '0' && c <= '9') d = c - '0';
        else if (base == 16 && c >= 'a' && c <= 'f') d = c - 'a' + 10;
        else if (base == 16 && c >= 'A' && c <= 'F') d = c - 'A' + 10;
        else return false;
        v = v * base + d;
        if (v > 0x80000000LL) return false;
    }
    if (negative) v = -v;
    if (v > std::numeric_limits<int>::max() || v < std::numeric_limits<int>::min()) return false;
    value = static_cast<int>(v);
    return true;
}

int StrToIntDef(std::string_view s, int def) {
    int v;
    return TryStrToInt(s, v) ? v : def;
}

namespace {
int hexDigit(char c) {
    if (c >= '0' && c <= '9') return c - '0';
    if (c >= 'a' && c <= 'f') return c - 'a' + 10;
    if (c >= 'A' && c <= 'F') return c - 'A' + 10;
    return -1;
}
}  // namespace

std::string DecodePercents(std::string s) {
    for (;;) {
        size_t p = s.find('%');
        // A '%' in first place, or without two characters after it, ends decoding.
        if (p == std::string::npos || p == 0 || p + 3 > s.size()) break;
        int hi = hexDigit(s[p + 1]), lo = hexDigit(s[p + 2]);
        if (hi < 0 || lo < 0) break;
        int code = hi * 16 + lo;
        // A NUL would end the name at the file system: refuse it.
        if (code == 0) break;
        s[p] = static_cast<char>(code);
        s.erase(p + 1, 2);
    }
    return s;
}

namespace {
void replaceFirst(std::string& s, const std::string& what) {
    size_t p = s.find(what);
    if (p != std::string::npos) s.erase(p, what.size());
}
}  // namespace

std::string UrlToDosPath(const std::string& url) {
    std::string s = DecodePercents(url);
    if (s.find('/') == std::string::npos) return s;
    s = platform::AsciiLower(s);
    if (s.find("file:///") != std::string::npos) replaceFirst(s, "file:///");
    else replaceFirst(s, "file://");
    for (char& c : s) {
        if (c == '|') c = ':';
        else if (c == '/') c = '\\';
    }
    return s;
}

std::string UrlToFileName(const std::string& url, const std::string& prefix) {
    std::string s = UrlToDosPath(url);
    if (!s.empty() && s[0] == '\\') s = prefix + s;
    return s;
}

void WriteTextLine(TTextSink& sink, std::string_view text, int count) {
    if (count > static_cast<int>(text.size())) count = static_cast<int>(text.size());
    if (count > 0) sink.Write(text.substr(0, count));
    sink.Write("\r\n");
}

}  // namespace htmlview
