#include "installer/version/VersionCompare.h"

#include <vector>

namespace installer {
namespace {

// The parts up to the first empty one.
std::vector<std::string> Parts(const std::string& text) {
    std::vector<std::string> parts;
    std::size_t start = 0;
    while (start <= text.size()) {
        const std::size_t dot = text.find('.', start);
        std::string part = text.substr(start, dot == std::string::npos ? std::string::npos : dot - start);
        if (part.empty()) break;
        parts.push_back(std::move(part));
        if (dot == std::string::npos) break;
        start = dot + 1;
    }
    return parts;
}

bool IsDecimal(const std::string& s) {
    for (char c : s)
        if (c < '0' || c > '9') return false;
    return !s.empty();
}

// -1, 0, 1 for two digit strings of any length.
int CompareNumbers(const std::string& a, const std::string& b) {
    const std::size_t za = std::min(a.find_first_not_of('0'), a.size());
    const std::size_t zb = std::min(b.find_first_not_of('0'), b.size());
    const std::size_t la = a.size() - za, lb = b.size() - zb;
    if (la != lb) return la < lb ? -1 : 1;
    const int c = a.compare(za, la, b, zb, lb);
    return c < 0 ? -1 : (c > 0 ? 1 : 0);
}

int CompareCodes(const std::string& a, const std::string& b) {
    // By character code, as unsigned bytes.
    for (std::size_t i = 0; i < a.size() && i < b.size(); ++i) {
        const auto x = static_cast<unsigned char>(a[i]), y = static_cast<unsigned char>(b[i]);
        if (x != y) return x < y ? -1 : 1;
    }
    if (a.size() == b.size()) return 0;
    return a.size() < b.size() ? -1 : 1;
}

}  // namespace

int CompareVersionStrings(const std::string& first, const std::string& second) {
    const auto a = Parts(first), b = Parts(second);
    for (std::size_t i = 0;; ++i) {
        const bool hasA = i < a.size(), hasB = i < b.size();
        if (!hasA && !hasB) return 0;
        if (!hasB) return 1;
        if (!hasA) return 2;
        const int c = IsDecimal(a[i]) && IsDecimal(b[i]) ? CompareNumbers(a[i], b[i]) : CompareCodes(a[i], b[i]);
        if (c > 0) return 1;
        if (c < 0) return 2;
    }
}

}  // namespace installer
