// httpprobe runs the program's HTTP client (HEAD, then GET) and prints every
// step of its trace, then what it read:
//   httpprobe [--proxy HOST[:PORT]] [--no-cache] [--time-limit SECONDS] URL
//   httpprobe --version
// Trace lines start with "> " (a line sent), "< " (a line received) or
// "  " (a status note); a note repeated at once (the header is read byte by
// byte) is printed once with " (xN)". Then "status CODE TEXT", "content-type TEXT",
// "content-length N", "body N bytes" and the body. A failure prints
// "error: MESSAGE" (with the socket or protocol code when there is one) and
// exits with 1; wrong use exits with 2.
#include <chrono>
#include <cstdlib>
#include <iostream>
#include <string>

#include "VersaoPrograma.h"
#include "app/net/T_HTTP.h"

namespace {

int Usage() {
    std::cerr << "usage: httpprobe [--proxy HOST[:PORT]] [--no-cache] [--time-limit SECONDS] URL\n";
    return 2;
}

}  // namespace

int main(int argc, char** argv) {
    vorel::T_HTTP http;
    http.ProcessMessages = nullptr;  // no window: the waits just wait
    if (argc == 2 && std::string(argv[1]) == "--version") {
        std::cout << "httpprobe " << vorel::kVersaoPrograma << '\n';
        return 0;
    }
    for (int i = 1; i < argc; ++i) {
        const std::string a = argv[i];
        if (a == "--proxy" && i + 1 < argc) {
            http.Proxy = argv[++i];
        } else if (a == "--no-cache") {
            http.NoCache = true;
        } else if (a == "--time-limit" && i + 1 < argc) {
            const int seconds = std::atoi(argv[++i]);
            if (seconds < 1) return Usage();
            http.TimeLimit = std::chrono::seconds(seconds);
        } else if (!a.empty() && a[0] != '-' && http.URL.empty()) {
            http.URL = a;
        } else {
            return Usage();
        }
    }
    if (http.URL.empty()) return Usage();
    std::string last;
    int repeats = 0;
    auto flush = [&] {
        if (repeats > 0) std::cout << last << (repeats > 1 ? " (x" + std::to_string(repeats) + ")" : "") << '\n';
        repeats = 0;
    };
    http.OnTrace = [&](const std::string& text, int kind) {
        const std::string line = (kind == vorel::tkSent ? "> " : kind == vorel::tkReceived ? "< " : "  ") + text;
        if (line == last && kind == vorel::tkStatus) {
            ++repeats;
            return;
        }
        flush();
        last = line;
        repeats = 1;
    };
    struct Flush {
        decltype(flush)& f;
        ~Flush() { f(); }
    };
    try {
        Flush atEnd{flush};
        http.Execute();
    } catch (const vorel::ESocketError& e) {
        std::cout << "error: " << e.what() << " (socket error " << e.ErrorCode << ")\n";
        return 1;
    } catch (const vorel::EProtocolError& e) {
        std::cout << "error: " << e.what() << " (" << e.Protocol << " " << e.ErrorCode << ")\n";
        return 1;
    } catch (const std::exception& e) {
        std::cout << "error: " << e.what() << '\n';
        return 1;
    }
    std::cout << "status " << http.StatusCode << ' ' << http.StatusText << '\n'
              << "content-type " << http.ContentType << '\n'
              << "content-length " << http.ContentLength << '\n'
              << "body " << http.Stream.size() << " bytes\n"
              << http.Stream;
    return 0;
}
