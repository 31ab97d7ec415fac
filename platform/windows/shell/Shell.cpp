#include "platform/windows/shell/Shell.h"

#include <QDesktopServices>
#include <QUrl>
#include <cstdlib>
#include <filesystem>

#include "platform/core/hostio/HostIo.h"
#include "platform/core/runtime/PathCase.h"
#include "platform/qt/qtglue/Messenger.h"

namespace platform {

namespace {

// Tabs and line ends inside a field would break the log's one-line format.
std::string Field(const std::string& s) {
    std::string out;
    out.reserve(s.size());
    for (char c : s) out += (c == '\t' || c == '\n' || c == '\r') ? ' ' : c;
    return out;
}

// "http:", "mailto:", "file:" ... but not a drive letter like "C:".
bool HasScheme(const std::string& target) {
    auto colon = target.find(':');
    if (colon == std::string::npos || colon < 2) return false;
    for (std::size_t i = 0; i < colon; ++i) {
        char c = target[i];
        bool ok = (c >= 'a' && c <= 'z') || (c >= 'A' && c <= 'Z') ||
                  (i > 0 && ((c >= '0' && c <= '9') || c == '+' || c == '-' || c == '.'));
        if (!ok) return false;
    }
    return true;
}

bool OpenOnDesktop(const ShellRequest& r) {
    if (r.target.empty()) return false;
    if (HasScheme(r.target)) return QDesktopServices::openUrl(QUrl(QString::fromStdString(r.target)));
    namespace fs = std::filesystem;
    fs::path base = fs::current_path();
    if (!r.directory.empty())
        base = ResolveCase(fs::path(r.directory).is_absolute() ? fs::path("/") : base, r.directory);
    fs::path file = ResolveCase(base, r.target);
    std::error_code ec;
    if (!fs::exists(file, ec)) return false;
    return QDesktopServices::openUrl(QUrl::fromLocalFile(QString::fromStdString(file.string())));
}

}  // namespace

const char* ShowModeName(ShowMode mode) { return mode == ShowMode::Maximized ? "maximized" : "normal"; }

std::string ShellLogLine(const ShellRequest& r) {
    return Field(r.verb) + '\t' + Field(r.target) + '\t' + Field(r.directory) + '\t' + ShowModeName(r.show);
}

bool ShellExecute(const ShellRequest& request) {
    if (const char* log = std::getenv("VOREL_SHELL_LOG"); log && *log) {
        return AppendToFile(log, ShellLogLine(request) + '\n');
    }
    if (OpenOnDesktop(request)) return true;
    ShowMessage("Cannot open \"" + request.target + "\".", MsgIcon::Error, mbOK);
    return false;
}

}  // namespace platform
