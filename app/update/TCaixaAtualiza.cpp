#include "app/update/TCaixaAtualiza.h"

#include <QApplication>
#include <QCheckBox>
#include <QCloseEvent>
#include <QComboBox>
#include <QFrame>
#include <QGridLayout>
#include <QHBoxLayout>
#include <QLabel>
#include <QLineEdit>
#include <QPlainTextEdit>
#include <QPushButton>
#include <QScreen>
#include <QVBoxLayout>

#include "platform/qtglue/Controls.h"
#include "platform/qtglue/Guard.h"
#include "platform/qtglue/Messenger.h"
#include "platform/runtime/Exception.h"
#include "platform/shell/Shell.h"

namespace vorel {

QPointer<TCaixaAtualiza> CaixaAtualiza;

namespace {

const char* const kArquivoVersao = "/versao2p.txt";
const char* const kPaginaDownload = "/download.html";

QString Q(const std::string& s) { return QString::fromStdString(s); }

using platform::Named;

QLabel* VersionLabel(const char* name, QWidget* parent) {
    auto* l = Named(new QLabel("0", parent), name);
    l->setAlignment(Qt::AlignRight | Qt::AlignVCenter);
    l->setMinimumWidth(60);
    return l;
}

std::string Trimmed(const QString& s) { return s.trimmed().toStdString(); }

}  // namespace

TCaixaAtualiza::TCaixaAtualiza(const std::string& versaoS, const std::string& versaoBD,
                               const std::string& diretorioBase, QWidget* parent)
    : QDialog(parent, Qt::Dialog | Qt::MSWindowsFixedSizeDialogHint | Qt::WindowTitleHint |
                          Qt::WindowSystemMenuHint | Qt::WindowCloseButtonHint),
      config_(LeConfiguracao(diretorioBase)) {
    setObjectName("CaixaAtualiza");
    setWindowTitle("Verify updates");

    auto* painel = Named(new QFrame(this), "Panel1");
    painel->setFrameShape(QFrame::Panel);
    painel->setFrameShadow(QFrame::Sunken);
    Label1 = Named(new QLabel("Make sure you have an active connection to the Internet and press the 'Verify "
                              "updates' button below.",
                              painel),
                   "Label1");
    Label1->setWordWrap(true);
    (new QVBoxLayout(painel))->addWidget(Label1);

    Servidor = Named(new QComboBox(this), "Servidor");
    Servidor->setEditable(true);
    Servidor->setInsertPolicy(QComboBox::NoInsert);
    Servidor->addItem("International (1)");
    auto* rotuloServidor = new QLabel("Servidor:", this);
    rotuloServidor->setBuddy(Servidor);

    UsarProxy = Named(new QCheckBox("Use proxy", this), "UsarProxy");
    Proxy = Named(new QLineEdit(this), "Proxy");
    CacheProxy = Named(new QCheckBox("Use proxy cache", this), "CacheProxy");
    Proxy->setEnabled(false);
    CacheProxy->setEnabled(false);
    connect(UsarProxy, &QCheckBox::toggled, this, [this](bool on) {
        platform::Guarded([&] {
            Proxy->setEnabled(on);
            CacheProxy->setEnabled(on);
        });
    });

    VersaoCorrente = VersionLabel("VersaoCorrente", this);
    VersaoDisponivel = VersionLabel("VersaoDisponivel", this);
    VersaoCorrenteBD = VersionLabel("VersaoCorrenteBD", this);
    VersaoDisponivelBD = VersionLabel("VersaoDisponivelBD", this);

    VerificarAtualizacoes = Named(new QPushButton("Verify updates", this), "VerificarAtualizacoes");
    IrAoSiteDaWeb = Named(new QPushButton("Go to the Website", this), "IrAoSiteDaWeb");
    Fechar = Named(new QPushButton("Close", this), "Fechar");
    VerificarAtualizacoes->setDefault(true);

    Dados = Named(new QPlainTextEdit(this), "Dados");
    Dados->setVisible(false);

    auto* grade = new QGridLayout;
    grade->addWidget(rotuloServidor, 0, 0);
    grade->addWidget(Servidor, 0, 1, 1, 2);
    grade->addWidget(UsarProxy, 1, 0);
    grade->addWidget(Proxy, 1, 1);
    grade->addWidget(CacheProxy, 1, 2);
    grade->setColumnStretch(1, 1);

    auto* versoes = new QGridLayout;
    int linha = 0;
    for (auto [texto, rotulo] : {std::pair{"Current version of the software:", VersaoCorrente},
                                 std::pair{"Available version  of the software on the Website:", VersaoDisponivel},
                                 std::pair{"Current Database version:", VersaoCorrenteBD},
                                 std::pair{"Available version of the Database on the Website:", VersaoDisponivelBD}}) {
        versoes->addWidget(new QLabel(texto, this), linha, 0);
        versoes->addWidget(rotulo, linha, 1);
        ++linha;
    }
    versoes->setColumnStretch(0, 1);

    auto* botoes = new QHBoxLayout;
    botoes->addWidget(VerificarAtualizacoes);
    botoes->addWidget(IrAoSiteDaWeb);
    botoes->addStretch(1);
    botoes->addWidget(Fechar);

    auto* v = new QVBoxLayout(this);
    v->addWidget(painel);
    v->addLayout(grade);
    v->addSpacing(6);
    v->addLayout(versoes);
    v->addSpacing(6);
    v->addLayout(botoes);
    v->setSizeConstraint(QLayout::SetFixedSize);
    painel->setFixedWidth(420);

    BuscaAtualizacao.NoCache = false;
    BuscaAtualizacao.ContentTypePost = "application/x-www-form-urlencoded";
    BuscaAtualizacao.TimeLimit = std::chrono::seconds(config_.tempoLimiteSegundos);
    BuscaAtualizacao.ProcessMessages = [this] { Eventos(); };

    auto guard = [](auto handler) { return [handler] { platform::Guarded(handler); }; };
    connect(VerificarAtualizacoes, &QPushButton::clicked, this, guard([this] { VerificarAtualizacoesClick(); }));
    connect(IrAoSiteDaWeb, &QPushButton::clicked, this, guard([this] { IrAoSiteDaWebClick(); }));
    connect(Fechar, &QPushButton::clicked, this, guard([this] { FecharClick(); }));

    // FormCreate.
    Servidor->setCurrentIndex(0);
    VersaoCorrente->setText(Q(versaoS));
    VersaoCorrenteBD->setText(Q(versaoBD));
}

void TCaixaAtualiza::showEvent(QShowEvent* e) {
    QDialog::showEvent(e);
    if (QScreen* screen = this->screen()) move(screen->availableGeometry().center() - rect().center());
}

// A typed name that is not the list's item is no list selection.
bool TCaixaAtualiza::ServidorNaLista() const {
    return Servidor->currentIndex() == 0 && Servidor->currentText() == Servidor->itemText(0);
}

void TCaixaAtualiza::Ocupado(bool ocupado) {
    verificando_ = ocupado;
    for (QWidget* w : std::initializer_list<QWidget*>{Servidor, UsarProxy, VerificarAtualizacoes, IrAoSiteDaWeb})
        w->setEnabled(!ocupado);
    Proxy->setEnabled(!ocupado && UsarProxy->isChecked());
    CacheProxy->setEnabled(!ocupado && UsarProxy->isChecked());
    if (ocupado)
        ampulheta_.emplace();
    else
        ampulheta_.reset();
}

void TCaixaAtualiza::VerificarAtualizacoesClick() {
    if (verificando_) return;
    QApplication::processEvents();
    if (ServidorNaLista()) BuscaAtualizacao.URL = "http://" + config_.servidor + kArquivoVersao;
    // An unchecked "Use proxy" means a direct connection, also after a check through one.
    BuscaAtualizacao.Proxy = UsarProxy->isChecked() ? Trimmed(Proxy->text()) : "";
    // Through a proxy, answers come fresh from the server unless "Use proxy cache" allows the proxy's copy.
    BuscaAtualizacao.NoCache = UsarProxy->isChecked() && !CacheProxy->isChecked();
    Busca();
    if (abandonar_) {
        abandonar_ = false;
        reject();
        return;
    }
    const std::vector<std::string> linhas = LinhasDaResposta(BuscaAtualizacao.Stream);
    QStringList texto;
    for (const std::string& l : linhas) texto.push_back(Q(l));
    Dados->setPlainText(texto.join('\n'));

    const ResultadoVerificacao r = AvaliaResposta(VersaoCorrente->text().toStdString(),
                                                  VersaoCorrenteBD->text().toStdString(), linhas);
    if (r.relatorio) {
        VersaoDisponivel->setText(Q(r.versaoDisponivel));
        VersaoDisponivelBD->setText(Q(r.versaoDisponivelBD));
        QApplication::beep();
    }
    platform::ShowMessage(r.mensagem.texto, r.mensagem.icone);
    if (r.relatorio) QApplication::processEvents();
}

// The client's waits: pending events, then the way out when the user closed the window.
void TCaixaAtualiza::Eventos() {
    QApplication::processEvents();
    if (abandonar_) throw platform::EAbort();
}

void TCaixaAtualiza::Busca() {
    Ocupado(true);
    try {
        BuscaAtualizacao.Execute();
    } catch (...) {
        Ocupado(false);
        if (abandonar_) {  // whatever ended the check, the user has left
            abandonar_ = false;
            reject();
            throw platform::EAbort();
        }
        throw;
    }
    Ocupado(false);
}

void TCaixaAtualiza::IrAoSiteDaWebClick() {
    const std::string alvo = ServidorNaLista() ? "http://" + config_.servidor + kPaginaDownload : "";
    platform::ShellExecute({"open", alvo, "", platform::ShowMode::Normal});
}

void TCaixaAtualiza::FecharClick() { close(); }

void TCaixaAtualiza::closeEvent(QCloseEvent* e) {
    if (verificando_) {
        abandonar_ = true;
        e->ignore();
        return;
    }
    QDialog::closeEvent(e);
}

void TCaixaAtualiza::reject() {
    if (verificando_)
        abandonar_ = true;
    else
        QDialog::reject();
}

void MostraCaixaAtualiza(QWidget* janela, const std::string& versaoS, const std::string& versaoBD,
                         const std::string& diretorioBase) {
    delete CaixaAtualiza.data();
    CaixaAtualiza = new TCaixaAtualiza(versaoS, versaoBD, diretorioBase, janela);
    CaixaAtualiza->exec();
}

}  // namespace vorel
