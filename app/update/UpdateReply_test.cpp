#include "app/update/UpdateReply.h"

#include <gtest/gtest.h>

#include <fstream>

#include "testkit/files/TempDir.h"

using namespace vorel;
using platform::MsgIcon;

namespace {
const std::string kDataError = "Ocorreu um erro ao recuperar dados do Servidor da Web. Tente outro Servidor.";
const std::string kNoUpdates =
    "Esta versão do Vorel Eletrônica não conta mais com atualizações. A nova versão já está disponível no site da Web.";
}  // namespace

TEST(UpdateReply, ReplyLinesTakeAnyLineEndAndLegacyText) {
    EXPECT_EQ(ReplyLines("1.5\r\n2\r\n"), (std::vector<std::string>{"1.5", "2"}));
    EXPECT_EQ(ReplyLines("1.5\n\n2"), (std::vector<std::string>{"1.5", "", "2"}));
    EXPECT_EQ(ReplyLines("a\rb"), (std::vector<std::string>{"a", "b"}));
    EXPECT_EQ(ReplyLines("vers\xe3o"), std::vector<std::string>{"versão"});
    EXPECT_TRUE(ReplyLines("").empty());
}

TEST(UpdateReply, NumbersUseAPointAndMustBeWhole) {
    EXPECT_EQ(VersionNumber("2.51"), 2.51);
    EXPECT_EQ(VersionNumber("-1"), -1.0);
    EXPECT_EQ(VersionNumber("+3"), 3.0);
    EXPECT_EQ(VersionNumber(".5"), 0.5);
    EXPECT_EQ(VersionNumber("1e2"), 100.0);
    for (const char* bad : {"", "n/a", "2,5", "1.5x", "inf", "nan", "0x10", "-", " 1", "1.2.3"})
        EXPECT_FALSE(VersionNumber(bad).has_value()) << bad;
}

TEST(UpdateReply, NewerVersionsOverNotANumberAreReported) {
    const CheckResult r = EvaluateReply("n/a", "n/a", {" 2.5 ", "\t1.75"});
    EXPECT_TRUE(r.reported);
    EXPECT_EQ(r.availableVersion, "2.5");
    EXPECT_EQ(r.availableTablesVersion, "1.75");
    EXPECT_EQ(r.message.icon, MsgIcon::Information);
    EXPECT_EQ(r.message.text,
              "Existem atualizações no Servidor:\n\n"
              "A versão do software no site da Web é mais recente.\n"
              "A versão do Banco de Dados no site da Web é mais recente.");
}

TEST(UpdateReply, EqualOrLowerIsUpToDateLineByLine) {
    EXPECT_EQ(EvaluateReply("2.5", "1.8", {"2.5", "1.9"}).message.text,
              "Existem atualizações no Servidor:\n\n"
              "Sua cópia do software já está atualizada.\n"
              "A versão do Banco de Dados no site da Web é mais recente.");
    EXPECT_EQ(EvaluateReply("2.5", "1.8", {"2.6", "1.7"}).message.text,
              "Existem atualizações no Servidor:\n\n"
              "A versão do software no site da Web é mais recente.\n"
              "Sua cópia do Banco de Dados já está atualizada.");
}

TEST(UpdateReply, ZeroEndsUpdatesAndBadRepliesAreErrors) {
    for (const auto& lines : {std::vector<std::string>{"0", "3"}, {"3", "0.0"}}) {
        const CheckResult r = EvaluateReply("1", "1", lines);
        EXPECT_FALSE(r.reported);
        EXPECT_EQ(r.message.text, kNoUpdates);
        EXPECT_EQ(r.message.icon, MsgIcon::Information);
    }
    for (const auto& lines : {std::vector<std::string>{}, {"2.5"}, {"<html>", "2"}, {"2", "Not Found"}, {"", "2"}}) {
        const CheckResult r = EvaluateReply("1", "1", lines);
        EXPECT_FALSE(r.reported);
        EXPECT_EQ(r.message.text, kDataError);
        EXPECT_EQ(r.message.icon, MsgIcon::Error);
    }
}

TEST(UpdateReply, ServerAndTimeLimitComeFromTheIniFile) {
    platform::testing::TempDir dir;
    UpdateSettings c = ReadUpdateSettings(dir.Path().string());
    EXPECT_EQ(c.server, "updates.vorel.example");
    EXPECT_EQ(c.timeoutSeconds, 30);
    std::ofstream(dir.Path() / "VOREL.INI") << "[Links]\r\nA=b\r\n[atualizacao]\r\nServidor= 127.0.0.1:8123 \r\nTempoLimite=5\r\n";
    c = ReadUpdateSettings(dir.Path().string());
    EXPECT_EQ(c.server, "127.0.0.1:8123");
    EXPECT_EQ(c.timeoutSeconds, 5);
    std::ofstream(dir.Path() / "VOREL.INI") << "[Atualizacao]\r\nServidor=\r\nTempoLimite=0\r\n";
    c = ReadUpdateSettings(dir.Path().string());
    EXPECT_EQ(c.server, "updates.vorel.example");
    EXPECT_EQ(c.timeoutSeconds, 1);
}
