#pragma once
// Test helpers: local servers on 127.0.0.1 (Debian's python3: its http.server
// and python3-pyftpdlib), started by a test and stopped with it; every wait
// is bounded.
#include <arpa/inet.h>
#include <chrono>
#include <csignal>
#include <fcntl.h>
#include <filesystem>
#include <fstream>
#include <netinet/in.h>
#include <spawn.h>
#include <string>
#include <sys/socket.h>
#include <sys/wait.h>
#include <thread>
#include <unistd.h>
#include <vector>

extern char** environ;

namespace platform::testing {

namespace fs = std::filesystem;

inline constexpr const char* kPython = "/usr/bin/python3";

// A port on 127.0.0.1 that nothing listens on (at the moment of asking).
inline int FreePort() {
    const int s = ::socket(AF_INET, SOCK_STREAM, 0);
    sockaddr_in address{};
    address.sin_family = AF_INET;
    address.sin_addr.s_addr = htonl(INADDR_LOOPBACK);
    ::bind(s, reinterpret_cast<sockaddr*>(&address), sizeof address);
    socklen_t length = sizeof address;
    ::getsockname(s, reinterpret_cast<sockaddr*>(&address), &length);
    ::close(s);
    return ntohs(address.sin_port);
}

inline bool Accepts(int port) {
    const int s = ::socket(AF_INET, SOCK_STREAM, 0);
    sockaddr_in address{};
    address.sin_family = AF_INET;
    address.sin_addr.s_addr = htonl(INADDR_LOOPBACK);
    address.sin_port = htons(static_cast<std::uint16_t>(port));
    const bool ok = ::connect(s, reinterpret_cast<sockaddr*>(&address), sizeof address) == 0;
    ::close(s);
    return ok;
}

// A server process on 127.0.0.1, started for one test and stopped with it.
class LocalServer {
public:
    // A free port can be taken by another test between the probe and the
    // server's bind; a server that exits before it accepts is started again
    // on another port.
    LocalServer(std::vector<std::string> arguments, fs::path log) : log_(std::move(log)) {
        for (int attempt = 0; attempt < 5 && !Running(); ++attempt) Start(arguments);
    }
    LocalServer(const LocalServer&) = delete;
    LocalServer& operator=(const LocalServer&) = delete;
    ~LocalServer() { Stop(); }
    bool Running() const { return pid_ > 0 && Accepts(port_); }
    int Port() const { return port_; }
    // Waits (at most 5 seconds) until the log holds a text count times; a
    // server may log a transfer only after the client has seen its end.
    bool AwaitLogged(const std::string& text, std::size_t count) const {
        const auto deadline = std::chrono::steady_clock::now() + std::chrono::seconds(5);
        while (Logged(text).size() < count && std::chrono::steady_clock::now() < deadline)
            std::this_thread::sleep_for(std::chrono::milliseconds(20));
        return Logged(text).size() == count;
    }
    // The lines of the server's log (its stderr) that hold a text.
    std::vector<std::string> Logged(const std::string& text) const {
        std::ifstream in(log_);
        std::vector<std::string> lines;
        for (std::string line; std::getline(in, line);)
            if (line.find(text) != std::string::npos) lines.push_back(line);
        return lines;
    }

private:
    void Start(std::vector<std::string> arguments) {
        Stop();
        port_ = FreePort();
        for (std::string& a : arguments)
            if (a == "PORT") a = std::to_string(port_);
        arguments.insert(arguments.begin(), kPython);
        std::vector<char*> argv;
        for (std::string& a : arguments) argv.push_back(a.data());
        argv.push_back(nullptr);
        posix_spawn_file_actions_t actions;
        posix_spawn_file_actions_init(&actions);
        posix_spawn_file_actions_addopen(&actions, 1, "/dev/null", O_WRONLY, 0);
        posix_spawn_file_actions_addopen(&actions, 2, log_.c_str(), O_WRONLY | O_CREAT | O_TRUNC, 0600);
        if (posix_spawn(&pid_, kPython, &actions, nullptr, argv.data(), environ) != 0) pid_ = -1;
        posix_spawn_file_actions_destroy(&actions);
        const auto deadline = std::chrono::steady_clock::now() + std::chrono::seconds(15);
        int status = 0;
        while (pid_ > 0 && !Accepts(port_) && std::chrono::steady_clock::now() < deadline) {
            if (::waitpid(pid_, &status, WNOHANG) == pid_) {
                pid_ = -1;  // it exited: the port was taken, or it failed
                return;
            }
            std::this_thread::sleep_for(std::chrono::milliseconds(50));
        }
    }
    void Stop() {
        if (pid_ <= 0) return;
        ::kill(pid_, SIGTERM);
        int status = 0;
        for (int i = 0; i < 100 && ::waitpid(pid_, &status, WNOHANG) == 0; ++i)
            std::this_thread::sleep_for(std::chrono::milliseconds(20));
        ::kill(pid_, SIGKILL);
        ::waitpid(pid_, &status, WNOHANG);
        pid_ = -1;
    }

    int port_ = 0;
    fs::path log_;
    pid_t pid_ = -1;
};

// Python's file server for a host folder, speaking HTTP/1.1 and logging
// each request's client port.
inline LocalServer HttpFileServer(const std::string& folder, const fs::path& log) {
    const std::string script =
        "import functools,http.server,sys\n"
        "class H(http.server.SimpleHTTPRequestHandler):\n"
        "    protocol_version='HTTP/1.1'\n"
        "    def do_GET(self):\n"
        "        sys.stderr.write('request from port %d\\n' % self.client_address[1])\n"
        "        sys.stderr.flush()\n"
        "        super().do_GET()\n"
        "http.server.ThreadingHTTPServer(('127.0.0.1',int(sys.argv[1])),"
        "functools.partial(H,directory=sys.argv[2])).serve_forever()\n";
    return LocalServer({"-c", script, "PORT", folder}, log);
}

// An anonymous, read-only FTP server for a host folder.
inline LocalServer FtpFileServer(const std::string& folder, const fs::path& log) {
    return LocalServer({"-m", "pyftpdlib", "-i", "127.0.0.1", "-p", "PORT", "-d", folder}, log);
}

}  // namespace platform::testing
