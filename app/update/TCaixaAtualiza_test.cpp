// The dialog against a loopback update server with scripted replies.
#include "app/update/TCaixaAtualiza.h"

#include <gtest/gtest.h>

#include <QApplication>
#include <QCheckBox>
#include <QComboBox>
#include <QLabel>
#include <QLineEdit>
#include <QPainter>
#include <QPlainTextEdit>
#include <QPushButton>
#include <QTimer>
#include <cstdlib>
#include <fstream>
#include <sstream>

using namespace std::chrono_literals;

#include "platform/qt/qtglue/Messenger.h"
#include "testkit/files/Shots.h"
#include "testkit/files/TempDir.h"
#include "testkit/servers/LoopbackServer.h"

using namespace vorel;
using platform::MsgIcon;
using platform::testing::LoopbackServer;

namespace {

const std::string kOk = "HTTP/1.0 200 OK\r\nContent-Type: text/plain\r\n\r\n";

// Scripted replies for one check: the HEAD's, then the GET's with body.
std::vector<LoopbackServer::Reply> Check(const std::string& body) { return {{kOk}, {kOk + body}}; }

struct Program {
    platform::testing::TempDir dir;
    platform::ScriptedMessenger messages;
    explicit Program(const std::string& ini) {
        platform::SetApplicationTitle("Vorel - Electronics");
        std::ofstream(dir.Path() / "vorel.ini") << ini;
    }
    static std::string ServerIni(const LoopbackServer& s) {
        return "[Atualizacao]\r\nServidor=" + s.Address() + "\r\nTempoLimite=1\r\n";
    }
    std::vector<std::string> Texts() const {
        std::vector<std::string> t;
        for (const auto& b : messages.shown) t.push_back(b.text);
        return t;
    }
};

std::string ReadAll(const std::string& path) {
    std::ifstream in(path, std::ios::binary);
    std::stringstream ss;
    ss << in.rdbuf();
    return ss.str();
}

}  // namespace

TEST(UpdateDialog, OpensWithTheMainWindowsVersionsAndTheListServer) {
    Program p("");
    TCaixaAtualiza dlg("n/a", "2.0", p.dir.Path().string());
    EXPECT_EQ(dlg.windowTitle(), "Verify updates");
    EXPECT_EQ(dlg.VersaoCorrente->text(), "n/a");
    EXPECT_EQ(dlg.VersaoCorrenteBD->text(), "2.0");
    EXPECT_EQ(dlg.VersaoDisponivel->text(), "0");
    EXPECT_EQ(dlg.Servidor->currentIndex(), 0);
    EXPECT_EQ(dlg.Servidor->currentText(), "International (1)");
    EXPECT_EQ(dlg.UpdateServer(), "updates.vorel.example");
    EXPECT_FALSE(dlg.Dados->isVisibleTo(&dlg));
    EXPECT_FALSE(dlg.BuscaAtualizacao.NoCache);
}

TEST(UpdateDialog, ReportsNewerVersionsAndFillsTheLabels) {
    LoopbackServer server(Check("2.5\r\n 1.75 \r\n"));
    Program p(Program::ServerIni(server));
    TCaixaAtualiza dlg("n/a", "n/a", p.dir.Path().string());
    dlg.VerificarAtualizacoes->click();
    ASSERT_EQ(p.messages.shown.size(), 1u);
    EXPECT_EQ(p.messages.shown[0].text,
              "Existem atualizações no Servidor:\n\n"
              "A versão do software no site da Web é mais recente.\n"
              "A versão do Banco de Dados no site da Web é mais recente.");
    EXPECT_EQ(p.messages.shown[0].icon, MsgIcon::Information);
    EXPECT_EQ(p.messages.shown[0].caption, "Vorel - Electronics");
    EXPECT_EQ(dlg.VersaoDisponivel->text(), "2.5");
    EXPECT_EQ(dlg.VersaoDisponivelBD->text(), "1.75");
    EXPECT_EQ(dlg.Dados->toPlainText(), "2.5\n 1.75 ");
    EXPECT_EQ(server.Requests(), (std::vector<std::string>{"HEAD /versao2p.txt HTTP/1.0\r\n\r\n",
                                                           "GET /versao2p.txt HTTP/1.0\r\n\r\n"}));
    EXPECT_FALSE(dlg.Checking());
    EXPECT_TRUE(dlg.VerificarAtualizacoes->isEnabled());
}

TEST(UpdateDialog, NoMoreUpdatesWrongDataAndClientErrors) {
    struct Case {
        std::vector<LoopbackServer::Reply> replies;
        std::string message;
        MsgIcon icon;
    };
    const std::string dataError = "Ocorreu um erro ao recuperar dados do Servidor da Web. Tente outro Servidor.";
    const std::vector<Case> cases = {
        {Check("0\r\n3\r\n"),
         "Esta versão do Vorel Eletrônica não conta mais com atualizações. A nova versão já está disponível no site "
         "da Web.",
         MsgIcon::Information},
        {Check("<html>\r\n<body>\r\n"), dataError, MsgIcon::Error},
        {Check("2.5"), dataError, MsgIcon::Error},  // one line only
        {Check(""), dataError, MsgIcon::Error},
        {{{"HTTP/1.0 404 Not Found\r\n\r\n"}}, "Not Found", MsgIcon::Error},
        {{{"HTTP/1.1 404 Not Found\r\nContent-Length: 6\r\n\r\n2\r\n2\r\n"}}, "Not Found", MsgIcon::Error},
        {{{"HTTP/1.1 500 Internal Server Error\r\n\r\n"}}, "Internal Server Error", MsgIcon::Error},
        // Replies that are not whole or not the GET's own never show versions.
        {{{kOk}, {"HTTP/1.0 200 OK\r\nContent-Length: 13\r\n\r\n9.9\r\n20"}},
         "Reply from host 127.0.0.1 ended after 7 of 13 bytes", MsgIcon::Error},
        {{{kOk}, {"HTTP/2 404 Not Found\r\n\r\n9.9\r\n20\r\n"}},
         "Bad status line from host 127.0.0.1: HTTP/2 404 Not Found", MsgIcon::Error},
        {{{kOk}, {"HTTP/1.1 100 Continue\r\n\r\nHTTP/1.1 404 Not Found\r\n\r\n9.9\r\n20\r\n"}}, "Not Found",
         MsgIcon::Error},
        {{{kOk}, {"HTTP/1.0 302 Found\r\nLocation: /elsewhere\r\n\r\n9.9\r\n20\r\n"}},
         "Unexpected status 302 Found from host 127.0.0.1", MsgIcon::Error},
    };
    for (const Case& c : cases) {
        LoopbackServer server(c.replies);
        Program p(Program::ServerIni(server));
        TCaixaAtualiza dlg("1.0", "1.0", p.dir.Path().string());
        dlg.VerificarAtualizacoes->click();
        ASSERT_EQ(p.messages.shown.size(), 1u) << c.message;
        EXPECT_EQ(p.messages.shown[0].text, c.message);
        EXPECT_EQ(p.messages.shown[0].icon, c.icon) << c.message;
        EXPECT_EQ(dlg.VersaoDisponivel->text(), "0");
        EXPECT_FALSE(dlg.Checking());
    }
}

TEST(UpdateDialog, ProxySettingsAndUncheckingClearsTheProxy) {
    LoopbackServer proxy({{kOk}, {kOk + "3\r\n3\r\n"}, {kOk}, {kOk + "3\r\n3\r\n"}});
    Program p("[Atualizacao]\r\nTempoLimite=3\r\n");  // the default update server: only the proxy reaches it
    TCaixaAtualiza dlg("1", "1", p.dir.Path().string());
    dlg.UsarProxy->setChecked(true);
    EXPECT_TRUE(dlg.Proxy->isEnabled());
    dlg.Proxy->setText(" " + QString::fromStdString(proxy.Address()) + " ");
    dlg.VerificarAtualizacoes->click();
    dlg.CacheProxy->setChecked(true);
    dlg.VerificarAtualizacoes->click();
    const std::string url = "http://updates.vorel.example/versao2p.txt";
    EXPECT_EQ(proxy.Requests(), (std::vector<std::string>{
                                    "HEAD " + url + " HTTP/1.0\r\nPragma: no-cache\r\n\r\n",
                                    "GET " + url + " HTTP/1.0\r\nPragma: no-cache\r\n\r\n",
                                    "HEAD " + url + " HTTP/1.0\r\n\r\n",
                                    "GET " + url + " HTTP/1.0\r\n\r\n",
                                }));
    ASSERT_EQ(p.messages.shown.size(), 2u);
    // Unchecked, the check goes straight to the server, which never resolves.
    dlg.UsarProxy->setChecked(false);
    dlg.VerificarAtualizacoes->click();
    EXPECT_EQ(dlg.BuscaAtualizacao.Proxy, "");
    EXPECT_FALSE(dlg.BuscaAtualizacao.NoCache);
    ASSERT_EQ(p.messages.shown.size(), 3u);
    EXPECT_EQ(p.messages.shown[2].text, "Couldn't resolve hostname updates.vorel.example");
    EXPECT_EQ(p.messages.shown[2].icon, MsgIcon::Error);
    EXPECT_EQ(proxy.Requests().size(), 4u);
}

TEST(UpdateDialog, TypedServerNameLeavesTheUrlAsItWas) {
    LoopbackServer server({{kOk}, {kOk + "2\r\n2\r\n"}, {kOk}, {kOk + "2\r\n2\r\n"}});
    Program p(Program::ServerIni(server));
    {
        TCaixaAtualiza dlg("1", "1", p.dir.Path().string());
        dlg.Servidor->setEditText("my.own.server");
        dlg.VerificarAtualizacoes->click();
        ASSERT_EQ(p.messages.shown.size(), 1u);
        EXPECT_EQ(p.messages.shown[0].text, "Couldn't resolve hostname ");
        EXPECT_TRUE(server.Requests().empty());
    }
    TCaixaAtualiza dlg("1", "1", p.dir.Path().string());
    dlg.VerificarAtualizacoes->click();  // the list item: the configured server
    dlg.Servidor->setEditText("my.own.server");
    dlg.VerificarAtualizacoes->click();  // the URL of the first check again
    EXPECT_EQ(server.Requests().size(), 4u);
    EXPECT_EQ(server.Requests()[2], "HEAD /versao2p.txt HTTP/1.0\r\n\r\n");
}

TEST(UpdateDialog, WebsiteButtonOpensTheDownloadPage) {
    Program p("[Atualizacao]\r\nServidor=updates.example:8000\r\n");
    const std::string log = (p.dir.Path() / "shell.log").string();
    setenv("VOREL_SHELL_LOG", log.c_str(), 1);
    TCaixaAtualiza dlg("1", "1", p.dir.Path().string());
    dlg.IrAoSiteDaWeb->click();
    dlg.Servidor->setEditText("typed");
    dlg.IrAoSiteDaWeb->click();
    unsetenv("VOREL_SHELL_LOG");
    EXPECT_EQ(ReadAll(log), "open\thttp://updates.example:8000/download.html\t\tnormal\nopen\t\t\tnormal\n");
}

TEST(UpdateDialog, SilentServerEndsAtTheTimeLimitWithTheWindowAlive) {
    LoopbackServer server({{"", true}});
    Program p(Program::ServerIni(server));  // TempoLimite=1
    TCaixaAtualiza dlg("1", "1", p.dir.Path().string());
    dlg.show();
    int ticks = 0;
    bool commandsDuringWait = false, closeDuringWait = false;
    QTimer tick;
    QObject::connect(&tick, &QTimer::timeout, [&] {
        ++ticks;  // timers run: the window is processing its events
        commandsDuringWait |= dlg.VerificarAtualizacoes->isEnabled() || dlg.IrAoSiteDaWeb->isEnabled();
        closeDuringWait |= dlg.Fechar->isEnabled();
    });
    tick.start(50);
    const auto start = std::chrono::steady_clock::now();
    dlg.VerificarAtualizacoes->click();
    EXPECT_LT(std::chrono::steady_clock::now() - start, std::chrono::seconds(4));
    EXPECT_GT(ticks, 5);
    EXPECT_FALSE(commandsDuringWait);
    EXPECT_TRUE(closeDuringWait);
    EXPECT_TRUE(dlg.isVisible());
    ASSERT_EQ(p.Texts(), std::vector<std::string>{"Timed out waiting for data from host 127.0.0.1"});
    EXPECT_TRUE(dlg.VerificarAtualizacoes->isEnabled());
    EXPECT_EQ(QApplication::overrideCursor(), nullptr);
}

// A server that keeps the connection after a complete reply is answered
// all the same; servers that flood or drip end the check within TempoLimite
// with a message that says why, while the window goes on serving its events.
TEST(UpdateDialog, MisbehavingServersEndTheCheckInTime) {
    using Reply = LoopbackServer::Reply;
    struct Case {
        const char* what;
        Reply get;
        std::string message;
    };
    const std::vector<Case> cases = {
        {"keep-alive", Reply{.bytes = "HTTP/1.1 200 OK\r\nContent-Length: 8\r\n\r\n1.0\r\n1.0\r\n", .holdOpen = true},
         "Existem atualizações no Servidor:\n\nSua cópia do software já está atualizada.\n"
         "Sua cópia do Banco de Dados já está atualizada."},
        {"body flood", Reply{.bytes = "HTTP/1.0 200 OK\r\nContent-Length: 10\r\n\r\n", .endless = "1\r\n"},
         "Existem atualizações no Servidor:\n\nSua cópia do software já está atualizada.\n"
         "Sua cópia do Banco de Dados já está atualizada."},
        {"endless body", Reply{.bytes = kOk, .endless = std::string(4096, '1')},
         "Reply from host 127.0.0.1 larger than 65536 bytes"},
        {"header flood", Reply{.bytes = "HTTP/1.0 200 OK\r\n", .endless = "X-Flood: 1\r\n"},
         "Reply header from host 127.0.0.1 longer than 100 lines or 16384 bytes"},
        {"dripping server", Reply{.bytes = kOk + "1.0\r\n1.0\r\n", .drip = 200ms},
         "Timed out waiting for data from host 127.0.0.1"},
    };
    for (const Case& c : cases) {
        LoopbackServer server({{kOk}, c.get});
        Program p(Program::ServerIni(server));  // TempoLimite=1
        TCaixaAtualiza dlg("1", "1", p.dir.Path().string());
        dlg.show();
        int ticks = 0;
        QTimer tick;
        QObject::connect(&tick, &QTimer::timeout, [&] { ++ticks; });
        tick.start(50);
        const auto start = std::chrono::steady_clock::now();
        dlg.VerificarAtualizacoes->click();
        const auto took = std::chrono::steady_clock::now() - start;
        EXPECT_LT(took, std::chrono::seconds(4)) << c.what;
        if (took > std::chrono::milliseconds(500)) {
            EXPECT_GT(ticks, 2) << c.what;  // a long check kept the window's timers running
        }
        EXPECT_EQ(p.Texts(), std::vector<std::string>{c.message}) << c.what;
        EXPECT_LE(dlg.Dados->toPlainText().size(), 16) << c.what;
        EXPECT_FALSE(dlg.Checking());
        EXPECT_TRUE(dlg.isVisible());
    }
}

TEST(UpdateDialog, ClosingDuringACheckAbandonsItSilently) {
    // A silent server, and servers whose bytes keep coming (header, body)
    // for far longer than the test waits.
    using Reply = LoopbackServer::Reply;
    const std::vector<Reply> gets = {
        {.bytes = "", .silent = true},
        {.bytes = kOk.substr(0, kOk.size() - 2) + "X-Long: " + std::string(15000, 'h'), .drip = 1ms},
        {.bytes = "HTTP/1.0 200 OK\r\nContent-Length: 60000\r\n\r\n" + std::string(60000, '1'), .drip = 1ms},
    };
    for (int way = 0; way < 9; ++way) {
        LoopbackServer server({gets[way / 3].silent ? gets[0] : Reply{kOk}, gets[way / 3]});
        Program p("[Atualizacao]\r\nServidor=" + server.Address() + "\r\nTempoLimite=30\r\n");
        TCaixaAtualiza dlg("1", "1", p.dir.Path().string());
        dlg.show();
        QTimer::singleShot(200, [&] {
            if (way % 3 == 0) dlg.Fechar->click();
            if (way % 3 == 1) dlg.reject();  // Escape
            if (way % 3 == 2) dlg.close();   // the title bar
        });
        const auto start = std::chrono::steady_clock::now();
        dlg.VerificarAtualizacoes->click();
        EXPECT_LT(std::chrono::steady_clock::now() - start, std::chrono::seconds(5)) << way;
        EXPECT_TRUE(p.messages.shown.empty()) << way;
        EXPECT_FALSE(dlg.isVisible()) << way;
        EXPECT_FALSE(dlg.Checking());
        EXPECT_FALSE(dlg.BuscaAtualizacao.Connected());
        EXPECT_EQ(QApplication::overrideCursor(), nullptr);
    }
}

TEST(UpdateDialog, Screenshots) {
    const std::optional<QString> out = platform::testing::ShotsDir();
    if (!out) GTEST_SKIP() << "VOREL_SHOTS_DIR not set";
    LoopbackServer server(Check("2.5\r\n1.75\r\n"));
    Program p(Program::ServerIni(server));
    TCaixaAtualiza dlg("n/a", "n/a", p.dir.Path().string());
    dlg.UsarProxy->setChecked(false);
    dlg.show();
    dlg.VerificarAtualizacoes->click();
    QApplication::processEvents();
    const QImage shot = dlg.grab().toImage();
    for (QSize screen : {QSize(800, 600), QSize(1024, 768), QSize(1920, 1080)}) {
        QImage canvas(screen, QImage::Format_RGB32);
        canvas.fill(QColor(0, 128, 128));
        QPainter painter(&canvas);
        painter.drawImage((screen.width() - shot.width()) / 2, (screen.height() - shot.height()) / 2, shot);
        painter.end();
        platform::testing::SaveShot(canvas,
                                    QString("%1/update-%2x%3.png").arg(*out).arg(screen.width()).arg(screen.height()));
        EXPECT_LE(shot.width(), screen.width());
        EXPECT_LE(shot.height(), screen.height());
    }
}
