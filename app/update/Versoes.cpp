#include "app/update/Versoes.h"

#include <algorithm>
#include <charconv>

#include "platform/inifile/IniFile.h"
#include "platform/runtime/Codepage.h"
#include "platform/runtime/PathCase.h"
#include "platform/runtime/LegacyText.h"
#include "platform/runtime/Text.h"

namespace vorel {

namespace {

const char* const kErroDados = "Ocorreu um erro ao recuperar dados do Servidor da Web. Tente outro Servidor.";
const char* const kSemAtualizacoes =
    "Esta versão do Vorel Eletrônica não conta mais com atualizações. A nova versão já está disponível no site da Web.";

}  // namespace

std::vector<std::string> LinhasDaResposta(const std::string& body) {
    const std::string text = platform::IsValidUtf8(body) ? body : platform::Cp1252ToUtf8(body);
    return platform::SplitTextLines(text);
}

std::optional<double> NumeroVersao(const std::string& text) {
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

ResultadoVerificacao AvaliaResposta(const std::string& versaoCorrente, const std::string& versaoCorrenteBD,
                                    const std::vector<std::string>& linhas) {
    ResultadoVerificacao r;
    const double corrente = NumeroVersao(versaoCorrente).value_or(0);
    const double correnteBD = NumeroVersao(versaoCorrenteBD).value_or(0);
    // A reply of fewer than two lines cannot hold the two versions.
    const std::string linha1 = linhas.size() > 0 ? platform::TrimControls(linhas[0]) : "";
    const std::string linha2 = linhas.size() > 1 ? platform::TrimControls(linhas[1]) : "";
    const std::optional<double> servidor = NumeroVersao(linha1);
    const std::optional<double> servidorBD = NumeroVersao(linha2);
    if (linhas.size() < 2 || !servidor || !servidorBD) {
        r.mensagem = {kErroDados, platform::MsgIcon::Error};
        return r;
    }
    if (*servidor == 0 || *servidorBD == 0) {
        r.mensagem = {kSemAtualizacoes, platform::MsgIcon::Information};
        return r;
    }
    r.relatorio = true;
    r.versaoDisponivel = linha1;
    r.versaoDisponivelBD = linha2;
    std::string texto = "Existem atualizações no Servidor:\n";
    texto += "\n";
    texto += *servidor > corrente ? "A versão do software no site da Web é mais recente."
                                  : "Sua cópia do software já está atualizada.";
    texto += "\n";
    texto += *servidorBD > correnteBD ? "A versão do Banco de Dados no site da Web é mais recente."
                                      : "Sua cópia do Banco de Dados já está atualizada.";
    r.mensagem = {texto, platform::MsgIcon::Information};
    return r;
}

ConfiguracaoAtualizacao LeConfiguracao(const std::string& diretorioBase) {
    const platform::IniFile ini(platform::ResolveCase(diretorioBase, "vorel.ini"));
    ConfiguracaoAtualizacao c;
    c.servidor = platform::TrimControls(ini.ReadString("Atualizacao", "Servidor", ""));
    if (c.servidor.empty()) c.servidor = kServidorPadrao;
    c.tempoLimiteSegundos = std::clamp(ini.ReadInteger("Atualizacao", "TempoLimite", 30), 1, 600);
    return c;
}

}  // namespace vorel
