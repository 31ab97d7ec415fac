#pragma once
// The update check dialog: fetches the version file from the update server
// over HTTP, compares its software and database versions with the
// program's own, and tells the user in Portuguese whether newer ones exist.
// A second button opens the download page in the web browser.
//
// While a check runs, the window keeps painting (the client processes
// pending events during its waits and while data streams in) and takes no
// new command; closing it abandons the check at once. A check is bounded in
// time (TempoLimite) and in what it reads, so it always ends.
#include <QDialog>
#include <QPointer>
#include <optional>
#include <string>

#include "app/net/T_HTTP.h"
#include "app/update/UpdateReply.h"
#include "platform/qt/qtglue/WaitCursor.h"

class QCheckBox;
class QComboBox;
class QLabel;
class QLineEdit;
class QPlainTextEdit;
class QPushButton;

namespace vorel {

class TCaixaAtualiza : public QDialog {
public:
    // softwareVersion, tablesVersion: the texts of the main window's version labels;
    // baseDirectory: where vorel.ini names the update server.
    TCaixaAtualiza(const std::string& softwareVersion, const std::string& tablesVersion,
                   const std::string& baseDirectory, QWidget* parent = nullptr);

    QLabel* Label1;
    QComboBox* Servidor;
    QCheckBox* UsarProxy;
    QLineEdit* Proxy;
    QCheckBox* CacheProxy;
    QPushButton* VerificarAtualizacoes;
    QPushButton* IrAoSiteDaWeb;
    QPushButton* Fechar;
    QPlainTextEdit* Dados;  // hidden: the reply body
    QLabel *VersaoCorrente, *VersaoDisponivel, *VersaoCorrenteBD, *VersaoDisponivelBD;
    T_HTTP BuscaAtualizacao;

    void VerificarAtualizacoesClick();
    void IrAoSiteDaWebClick();
    void FecharClick();

    // The update server in use (host, optionally ":" port).
    const std::string& UpdateServer() const { return config_.server; }
    bool Checking() const { return checking_; }

    // Escape, Close or the title bar's close: while a check runs, abandons
    // it and closes once it has let go.
    void reject() override;

protected:
    void showEvent(QShowEvent* e) override;
    void closeEvent(QCloseEvent* e) override;

private:
    bool ServerInList() const;
    void SetBusy(bool busy);
    void Fetch();
    void ProcessEvents();

    UpdateSettings config_;
    bool checking_ = false;
    std::optional<platform::WaitCursor> waitCursor_;  // while a check runs
    bool abandon_ = false;  // asked to close during a check
};

// The dialog of the "Verify updates" command: made anew each time, shown
// modally over window, and kept until the next one replaces it.
extern QPointer<TCaixaAtualiza> UpdateDialog;
void ShowUpdateDialog(QWidget* window, const std::string& softwareVersion, const std::string& tablesVersion,
                         const std::string& baseDirectory);

}  // namespace vorel
