#pragma once
// What the update check decides from the version file: its lines, the
// version numbers, and the message the user gets. No windows here.
#include <optional>
#include <string>
#include <vector>

#include "platform/qtglue/Messenger.h"

namespace vorel {

// The reply body as the lines of a text: UTF-8, or Windows-1252 when it is
// not valid UTF-8; CR LF, LF or CR line ends; a last line end adds no line.
std::vector<std::string> LinhasDaResposta(const std::string& body);

// A decimal number with "." as decimal point (optional sign and exponent),
// the whole text; nothing when the text is not one.
std::optional<double> NumeroVersao(const std::string& text);

struct Mensagem {
    std::string texto;
    platform::MsgIcon icone;
};

// The outcome of a check: the message to show, and (when the server's
// versions are reported) their texts for the "available" labels.
struct ResultadoVerificacao {
    Mensagem mensagem;
    bool relatorio = false;  // true: the versions below were compared and reported
    std::string versaoDisponivel, versaoDisponivelBD;
};

// Compares the server's versions (line 1 software, line 2 database) with
// the current ones; a current text that is not a number counts as 0.
ResultadoVerificacao AvaliaResposta(const std::string& versaoCorrente, const std::string& versaoCorrenteBD,
                                    const std::vector<std::string>& linhas);

// The update server from vorel.ini [Atualizacao] Servidor=host[:port], and
// the bound of a whole check, TempoLimite= seconds.
struct ConfiguracaoAtualizacao {
    std::string servidor;
    int tempoLimiteSegundos;
};
inline constexpr const char* kServidorPadrao = "updates.vorel.example";  // reserved: never resolves
ConfiguracaoAtualizacao LeConfiguracao(const std::string& diretorioBase);

}  // namespace vorel
