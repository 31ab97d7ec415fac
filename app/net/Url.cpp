#include "app/net/Url.h"
#include "platform/core/runtime/Text.h"

#include <cctype>

namespace vorel {

int NthPosition(const std::string& sub, const std::string& s, int n) {
    if (n == -1) {
        const auto at = s.rfind(sub);
        return at == std::string::npos ? 0 : static_cast<int>(at) + 1;
    }
    if (n <= 0) return 0;
    std::size_t from = 0, at = 0;
    for (int i = 0; i < n; ++i) {
        at = s.find(sub, from);
        if (at == std::string::npos) return static_cast<int>(s.size()) + 1;
        from = at + 1;
    }
    return static_cast<int>(at) + 1;
}

// Positions below are 1-based, 0 meaning none, as NthPosition gives them.
UrlParts SplitUrl(const std::string& url) {
    UrlParts u;
    std::size_t p = 0;  // the text after position p is the authority and path
    if (const auto scheme = url.find("://"); scheme != std::string::npos) {
        u.Protocol = url.substr(0, scheme);
        p = scheme + 3;
    } else {
        if (platform::AsciiLower(url.substr(0, 7)) == "mailto:") {
            u.Protocol = "mailto";
            p = url.find(':') + 1;
        }
    }
    std::string r = url.substr(p);
    const auto slash = r.find('/');
    if (slash != std::string::npos) {
        u.Path = r.substr(slash);
        r.erase(slash);
    }
    const int b = NthPosition(":", r, -1);
    const int c = NthPosition("@", r, -1);
    if (b == 0 && c == 0) {
        u.Host = r;
        return u;
    }
    if (c < b) {
        u.Port = r.substr(static_cast<std::size_t>(b));
        u.Host = r.substr(static_cast<std::size_t>(c), static_cast<std::size_t>(b - c - 1));
        if (c == 0) return u;
    } else {
        u.Host = r.substr(static_cast<std::size_t>(c));
    }
    const std::string user = r.substr(0, static_cast<std::size_t>(c - 1));
    if (const auto colon = user.find(':'); colon != std::string::npos) {
        u.User = user.substr(0, colon);
        u.Password = user.substr(colon + 1);
    } else {
        u.User = user;
    }
    return u;
}

}  // namespace vorel
