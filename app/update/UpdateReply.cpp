#include "app/update/UpdateReply.h"

#include <algorithm>
#include <charconv>

#include "platform/core/inifile/IniFile.h"
#include "platform/core/runtime/Codepage.h"
#include "platform/core/runtime/PathCase.h"
#include "platform/core/runtime/LegacyText.h"
#include "platform/core/runtime/Text.h"

namespace vorel {

namespace {

const char* const kDataError = "Ocorreu um erro ao recuperar dados do Servidor da Web. Tente outro Servidor.";
const char* const kNoUpdates =
    "Esta versão do Vorel Eletrônica não conta mais com atualizações. A nova versão já está disponível no site da Web.";

}  // namespace

std::vector<std::string> ReplyLines(const std::string& body) {
    const std::string text = platform::IsValidUtf8(body) ? body : platform::Cp1252ToUtf8(body);
    return platform::SplitTextLines(text);
}

std::optional<double> VersionNumber(const std::string& text) {
    // Digits, a point or a sign must open the number: no "inf", "nan" or hex.
    if (text.empty()) return std::nullopt;
    std::size_t start = (text[0] == '+' || text[0] == '-') ? 1 : 0;
    if (start >= text.size()) return std::nullopt;
    const char first = text[start];
    if (!(first >= '0' && first <= '9') && first != '.') return std::nullopt;
    double value = 0;
    const char* begin = text.data() + start;
    const char* end = text.data() + text.size();
    const auto [ptr, ec] = std::from_chars(begin, end, value, std::chars_format::general);
    if (ec != std::errc() || ptr != end) return std::nullopt;
    return text[0] == '-' ? -value : value;
}

CheckResult EvaluateReply(const std::string& currentVersion, const std::string& currentTablesVersion,
                                    const std::vector<std::string>& lines) {
    CheckResult r;
    const double current = VersionNumber(currentVersion).value_or(0);
    const double currentTables = VersionNumber(currentTablesVersion).value_or(0);
    // A reply of fewer than two lines cannot hold the two versions.
    const std::string line1 = lines.size() > 0 ? platform::TrimControls(lines[0]) : "";
    const std::string line2 = lines.size() > 1 ? platform::TrimControls(lines[1]) : "";
    const std::optional<double> server = VersionNumber(line1);
    const std::optional<double> serverTables = VersionNumber(line2);
    if (lines.size() < 2 || !server || !serverTables) {
        r.message = {kDataError, platform::MsgIcon::Error};
        return r;
    }
    if (*server == 0 || *serverTables == 0) {
        r.message = {kNoUpdates, platform::MsgIcon::Information};
        return r;
    }
    r.reported = true;
    r.availableVersion = line1;
    r.availableTablesVersion = line2;
    std::string text = "Existem atualizações no Servidor:\n";
    text += "\n";
    text += *server > current ? "A versão do software no site da Web é mais recente."
                                  : "Sua cópia do software já está atualizada.";
    text += "\n";
    text += *serverTables > currentTables ? "A versão do Banco de Dados no site da Web é mais recente."
                                      : "Sua cópia do Banco de Dados já está atualizada.";
    r.message = {text, platform::MsgIcon::Information};
    return r;
}

UpdateSettings ReadUpdateSettings(const std::string& baseDirectory) {
    const platform::IniFile ini(platform::ResolveCase(baseDirectory, "vorel.ini"));
    UpdateSettings c;
    c.server = platform::TrimControls(ini.ReadString("Atualizacao", "Servidor", ""));
    if (c.server.empty()) c.server = kDefaultServer;
    c.timeoutSeconds = std::clamp(ini.ReadInteger("Atualizacao", "TempoLimite", 30), 1, 600);
    return c;
}

}  // namespace vorel
