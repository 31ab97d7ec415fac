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

#include "platform/core/runtime/Exception.h"
#include "platform/qt/qtglue/Controls.h"
#include "platform/qt/qtglue/Guard.h"
#include "platform/qt/qtglue/Messenger.h"
#include "platform/windows/shell/Shell.h"

namespace vorel {

QPointer<TCaixaAtualiza> UpdateDialog;

namespace {

const char* const kVersionFile = "/versao2p.txt";
const char* const kDownloadPage = "/download.html";

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

TCaixaAtualiza::TCaixaAtualiza(const std::string& softwareVersion, const std::string& tablesVersion,
                               const std::string& baseDirectory, QWidget* parent)
    : QDialog(parent, Qt::Dialog | Qt::MSWindowsFixedSizeDialogHint | Qt::WindowTitleHint |
                          Qt::WindowSystemMenuHint | Qt::WindowCloseButtonHint),
      config_(ReadUpdateSettings(baseDirectory)) {
    setObjectName("CaixaAtualiza");
    setWindowTitle("Verify updates");

    auto* panel = Named(new QFrame(this), "Panel1");
    panel->setFrameShape(QFrame::Panel);
    panel->setFrameShadow(QFrame::Sunken);
    Label1 = Named(new QLabel("Make sure you have an active connection to the Internet and press the 'Verify "
                              "updates' button below.",
                              panel),
                   "Label1");
    Label1->setWordWrap(true);
    (new QVBoxLayout(panel))->addWidget(Label1);

    Servidor = Named(new QComboBox(this), "Servidor");
    Servidor->setEditable(true);
    Servidor->setInsertPolicy(QComboBox::NoInsert);
    Servidor->addItem("International (1)");
    auto* serverLabel = new QLabel("Servidor:", this);
    serverLabel->setBuddy(Servidor);

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

    auto* grid = new QGridLayout;
    grid->addWidget(serverLabel, 0, 0);
    grid->addWidget(Servidor, 0, 1, 1, 2);
    grid->addWidget(UsarProxy, 1, 0);
    grid->addWidget(Proxy, 1, 1);
    grid->addWidget(CacheProxy, 1, 2);
    grid->setColumnStretch(1, 1);

    auto* versions = new QGridLayout;
    int row = 0;
    for (auto [text, label] : {std::pair{"Current version of the software:", VersaoCorrente},
                                 std::pair{"Available version  of the software on the Website:", VersaoDisponivel},
                                 std::pair{"Current Database version:", VersaoCorrenteBD},
                                 std::pair{"Available version of the Database on the Website:", VersaoDisponivelBD}}) {
        versions->addWidget(new QLabel(text, this), row, 0);
        versions->addWidget(label, row, 1);
        ++row;
    }
    versions->setColumnStretch(0, 1);

    auto* buttons = new QHBoxLayout;
    buttons->addWidget(VerificarAtualizacoes);
    buttons->addWidget(IrAoSiteDaWeb);
    buttons->addStretch(1);
    buttons->addWidget(Fechar);

    auto* v = new QVBoxLayout(this);
    v->addWidget(panel);
    v->addLayout(grid);
    v->addSpacing(6);
    v->addLayout(versions);
    v->addSpacing(6);
    v->addLayout(buttons);
    v->setSizeConstraint(QLayout::SetFixedSize);
    panel->setFixedWidth(420);

    BuscaAtualizacao.NoCache = false;
    BuscaAtualizacao.ContentTypePost = "application/x-www-form-urlencoded";
    BuscaAtualizacao.TimeLimit = std::chrono::seconds(config_.timeoutSeconds);
    BuscaAtualizacao.ProcessMessages = [this] { ProcessEvents(); };

    auto guard = [](auto handler) { return [handler] { platform::Guarded(handler); }; };
    connect(VerificarAtualizacoes, &QPushButton::clicked, this, guard([this] { VerificarAtualizacoesClick(); }));
    connect(IrAoSiteDaWeb, &QPushButton::clicked, this, guard([this] { IrAoSiteDaWebClick(); }));
    connect(Fechar, &QPushButton::clicked, this, guard([this] { FecharClick(); }));

    // FormCreate.
    Servidor->setCurrentIndex(0);
    VersaoCorrente->setText(Q(softwareVersion));
    VersaoCorrenteBD->setText(Q(tablesVersion));
}

void TCaixaAtualiza::showEvent(QShowEvent* e) {
    QDialog::showEvent(e);
    if (QScreen* screen = this->screen()) move(screen->availableGeometry().center() - rect().center());
}

// A typed name that is not the list's item is no list selection.
bool TCaixaAtualiza::ServerInList() const {
    return Servidor->currentIndex() == 0 && Servidor->currentText() == Servidor->itemText(0);
}

void TCaixaAtualiza::SetBusy(bool busy) {
    checking_ = busy;
    for (QWidget* w : std::initializer_list<QWidget*>{Servidor, UsarProxy, VerificarAtualizacoes, IrAoSiteDaWeb})
        w->setEnabled(!busy);
    Proxy->setEnabled(!busy && UsarProxy->isChecked());
    CacheProxy->setEnabled(!busy && UsarProxy->isChecked());
    if (busy)
        waitCursor_.emplace();
    else
        waitCursor_.reset();
}

void TCaixaAtualiza::VerificarAtualizacoesClick() {
    if (checking_) return;
    QApplication::processEvents();
    if (ServerInList()) BuscaAtualizacao.URL = "http://" + config_.server + kVersionFile;
    // An unchecked "Use proxy" means a direct connection, also after a check through one.
    BuscaAtualizacao.Proxy = UsarProxy->isChecked() ? Trimmed(Proxy->text()) : "";
    // Through a proxy, answers come fresh from the server unless "Use proxy cache" allows the proxy's copy.
    BuscaAtualizacao.NoCache = UsarProxy->isChecked() && !CacheProxy->isChecked();
    Fetch();
    if (abandon_) {
        abandon_ = false;
        reject();
        return;
    }
    const std::vector<std::string> lines = ReplyLines(BuscaAtualizacao.Stream);
    QStringList text;
    for (const std::string& l : lines) text.push_back(Q(l));
    Dados->setPlainText(text.join('\n'));

    const CheckResult r = EvaluateReply(VersaoCorrente->text().toStdString(),
                                                  VersaoCorrenteBD->text().toStdString(), lines);
    if (r.reported) {
        VersaoDisponivel->setText(Q(r.availableVersion));
        VersaoDisponivelBD->setText(Q(r.availableTablesVersion));
        QApplication::beep();
    }
    platform::ShowMessage(r.message.text, r.message.icon);
    if (r.reported) QApplication::processEvents();
}

// The client's waits: pending events, then the way out when the user closed the window.
void TCaixaAtualiza::ProcessEvents() {
    QApplication::processEvents();
    if (abandon_) throw platform::EAbort();
}

void TCaixaAtualiza::Fetch() {
    SetBusy(true);
    try {
        BuscaAtualizacao.Execute();
    } catch (...) {
        SetBusy(false);
        if (abandon_) {  // whatever ended the check, the user has left
            abandon_ = false;
            reject();
            throw platform::EAbort();
        }
        throw;
    }
    SetBusy(false);
}

void TCaixaAtualiza::IrAoSiteDaWebClick() {
    const std::string target = ServerInList() ? "http://" + config_.server + kDownloadPage : "";
    platform::ShellExecute({"open", target, "", platform::ShowMode::Normal});
}

void TCaixaAtualiza::FecharClick() { close(); }

void TCaixaAtualiza::closeEvent(QCloseEvent* e) {
    if (checking_) {
        abandon_ = true;
        e->ignore();
        return;
    }
    QDialog::closeEvent(e);
}

void TCaixaAtualiza::reject() {
    if (checking_)
        abandon_ = true;
    else
        QDialog::reject();
}

void ShowUpdateDialog(QWidget* window, const std::string& softwareVersion, const std::string& tablesVersion,
                         const std::string& baseDirectory) {
    delete UpdateDialog.data();
    UpdateDialog = new TCaixaAtualiza(softwareVersion, tablesVersion, baseDirectory, window);
    UpdateDialog->exec();
}

}  // namespace vorel
