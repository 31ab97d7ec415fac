#pragma once
// What the update check decides from the version file: its lines, the
// version numbers, and the message the user gets. No windows here.
#include <optional>
#include <string>
#include <vector>

#include "platform/qt/qtglue/Messenger.h"

namespace vorel {

// The reply body as the lines of a text: UTF-8, or Windows-1252 when it is
// not valid UTF-8; CR LF, LF or CR line ends; a last line end adds no line.
std::vector<std::string> ReplyLines(const std::string& body);

// A decimal number with "." as decimal point (optional sign and exponent),
// the whole text; nothing when the text is not one.
std::optional<double> VersionNumber(const std::string& text);

struct Message {
    std::string text;
    platform::MsgIcon icon;
};

// The outcome of a check: the message to show, and (when the server's
// versions are reported) their texts for the "available" labels.
struct CheckResult {
    Message message;
    bool reported = false;  // true: the versions below were compared and reported
    std::string availableVersion, availableTablesVersion;
};

// Compares the server's versions (line 1 software, line 2 database) with
// the current ones; a current text that is not a number counts as 0.
CheckResult EvaluateReply(const std::string& currentVersion, const std::string& currentTablesVersion,
                                    const std::vector<std::string>& lines);

// The update server from vorel.ini [Atualizacao] Servidor=host[:port], and
// the bound of a whole check, TempoLimite= seconds.
struct UpdateSettings {
    std::string server;
    int timeoutSeconds;
};
inline constexpr const char* kDefaultServer = "updates.vorel.example";  // reserved: never resolves
UpdateSettings ReadUpdateSettings(const std::string& baseDirectory);

}  // namespace vorel
