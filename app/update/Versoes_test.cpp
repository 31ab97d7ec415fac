#include "app/update/Versoes.h"

#include <gtest/gtest.h>

#include <fstream>

#include "testkit/files/TempDir.h"

using namespace vorel;
using platform::MsgIcon;

namespace {
const std::string kErro = "Ocorreu um erro ao recuperar dados do Servidor da Web. Tente outro Servidor.";
const std::string kSemAtualizacoes =
    "Esta versão do Vorel Eletrônica não conta mais com atualizações. A nova versão já está disponível no site da Web.";
}  // namespace

TEST(Versoes, ReplyLinesTakeAnyLineEndAndLegacyText) {
    EXPECT_EQ(LinhasDaResposta("1.5\r\n2\r\n"), (std::vector<std::string>{"1.5", "2"}));
    EXPECT_EQ(LinhasDaResposta("1.5\n\n2"), (std::vector<std::string>{"1.5", "", "2"}));
    EXPECT_EQ(LinhasDaResposta("a\rb"), (std::vector<std::string>{"a", "b"}));
    EXPECT_EQ(LinhasDaResposta("vers\xe3o"), std::vector<std::string>{"versão"});
    EXPECT_TRUE(LinhasDaResposta("").empty());
}

TEST(Versoes, NumbersUseAPointAndMustBeWhole) {
    EXPECT_EQ(NumeroVersao("2.51"), 2.51);
    EXPECT_EQ(NumeroVersao("-1"), -1.0);
    EXPECT_EQ(NumeroVersao("+3"), 3.0);
    EXPECT_EQ(NumeroVersao(".5"), 0.5);
    EXPECT_EQ(NumeroVersao("1e2"), 100.0);
    for (const char* bad : {"", "n/a", "2,5", "1.5x", "inf", "nan", "0x10", "-", " 1", "1.2.3"})
        EXPECT_FALSE(NumeroVersao(bad).has_value()) << bad;
}

TEST(Versoes, NewerVersionsOverNotANumberAreReported) {
    const ResultadoVerificacao r = AvaliaResposta("n/a", "n/a", {" 2.5 ", "\t1.75"});
    EXPECT_TRUE(r.relatorio);
    EXPECT_EQ(r.versaoDisponivel, "2.5");
    EXPECT_EQ(r.versaoDisponivelBD, "1.75");
    EXPECT_EQ(r.mensagem.icone, MsgIcon::Information);
    EXPECT_EQ(r.mensagem.texto,
              "Existem atualizações no Servidor:\n\n"
              "A versão do software no site da Web é mais recente.\n"
              "A versão do Banco de Dados no site da Web é mais recente.");
}

TEST(Versoes, EqualOrLowerIsUpToDateLineByLine) {
    EXPECT_EQ(AvaliaResposta("2.5", "1.8", {"2.5", "1.9"}).mensagem.texto,
              "Existem atualizações no Servidor:\n\n"
              "Sua cópia do software já está atualizada.\n"
              "A versão do Banco de Dados no site da Web é mais recente.");
    EXPECT_EQ(AvaliaResposta("2.5", "1.8", {"2.6", "1.7"}).mensagem.texto,
              "Existem atualizações no Servidor:\n\n"
              "A versão do software no site da Web é mais recente.\n"
              "Sua cópia do Banco de Dados já está atualizada.");
}

TEST(Versoes, ZeroEndsUpdatesAndBadRepliesAreErrors) {
    for (const auto& linhas : {std::vector<std::string>{"0", "3"}, {"3", "0.0"}}) {
        const ResultadoVerificacao r = AvaliaResposta("1", "1", linhas);
        EXPECT_FALSE(r.relatorio);
        EXPECT_EQ(r.mensagem.texto, kSemAtualizacoes);
        EXPECT_EQ(r.mensagem.icone, MsgIcon::Information);
    }
    for (const auto& linhas : {std::vector<std::string>{}, {"2.5"}, {"<html>", "2"}, {"2", "Not Found"}, {"", "2"}}) {
        const ResultadoVerificacao r = AvaliaResposta("1", "1", linhas);
        EXPECT_FALSE(r.relatorio);
        EXPECT_EQ(r.mensagem.texto, kErro);
        EXPECT_EQ(r.mensagem.icone, MsgIcon::Error);
    }
}

TEST(Versoes, ServerAndTimeLimitComeFromTheIniFile) {
    platform::testing::TempDir dir;
    ConfiguracaoAtualizacao c = LeConfiguracao(dir.Path().string());
    EXPECT_EQ(c.servidor, "updates.vorel.example");
    EXPECT_EQ(c.tempoLimiteSegundos, 30);
    std::ofstream(dir.Path() / "VOREL.INI") << "[Links]\r\nA=b\r\n[atualizacao]\r\nServidor= 127.0.0.1:8123 \r\nTempoLimite=5\r\n";
    c = LeConfiguracao(dir.Path().string());
    EXPECT_EQ(c.servidor, "127.0.0.1:8123");
    EXPECT_EQ(c.tempoLimiteSegundos, 5);
    std::ofstream(dir.Path() / "VOREL.INI") << "[Atualizacao]\r\nServidor=\r\nTempoLimite=0\r\n";
    c = LeConfiguracao(dir.Path().string());
    EXPECT_EQ(c.servidor, "updates.vorel.example");
    EXPECT_EQ(c.tempoLimiteSegundos, 1);
}
