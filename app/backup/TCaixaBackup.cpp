#include "app/backup/TCaixaBackup.h"

#include <QHBoxLayout>
#include <QLabel>
#include <QPointer>
#include <QPushButton>
#include <QStyle>
#include <QVBoxLayout>
#include <filesystem>

#include "app/backup/Backup.h"
#include "app/backup/TDirectoryListBox.h"
#include "app/data/ModuloDeDados.h"
#include "platform/qtglue/Guard.h"
#include "platform/qtglue/Messenger.h"
#include "platform/runtime/PathCase.h"

namespace vorel {

namespace {
QPointer<TCaixaBackup> CaixaBackup;  // the dialog of the last use
}

TCaixaBackup::TCaixaBackup(TModuloDeDados& modulo, QWidget* parent) : QDialog(parent), modulo_(modulo) {
    setObjectName("CaixaBackup");
    setWindowTitle("Database backup");
    setWindowFlags(Qt::Dialog | Qt::MSWindowsFixedSizeDialogHint | Qt::WindowTitleHint | Qt::WindowSystemMenuHint |
                   Qt::WindowCloseButtonHint);
    auto* v = new QVBoxLayout(this);
    Rotulo = new QLabel("Select the directory where to put the backup files:");
    v->addWidget(Rotulo);
    DirectoryListBox1 = new TDirectoryListBox;
    DirectoryListBox1->setObjectName("DirectoryListBox1");
    v->addWidget(DirectoryListBox1, 1);
    auto* botoes = new QHBoxLayout;
    botoes->addStretch(1);
    OK = new QPushButton(style()->standardIcon(QStyle::SP_DialogOkButton), "OK");
    OK->setObjectName("OK");
    OK->setDefault(true);
    Cancelar = new QPushButton(style()->standardIcon(QStyle::SP_DialogCancelButton), "Cancel");
    Cancelar->setObjectName("Cancelar");
    botoes->addWidget(OK);
    botoes->addWidget(Cancelar);
    v->addLayout(botoes);
    setFixedSize(360, 320);

    connect(OK, &QPushButton::clicked, this, [this] {
        platform::Guarded([this] { OKClick(); });
        accept();  // the OK button's modal result ends the dialog in every case
    });
    connect(Cancelar, &QPushButton::clicked, this, [this] { platform::Guarded([this] { CancelarClick(); }); });

    // FormCreate.
    std::error_code ec;
    const auto backup = platform::ResolveCase(modulo_.DiretorioBase(), "Data\\Backup");
    if (std::filesystem::is_directory(backup, ec)) DirectoryListBox1->SetDirectory(backup);
}

void TCaixaBackup::OKClick() {
    const std::string dir = DirectoryListBox1->Directory().string();
    if (EDiretorioDeDados(modulo_, dir)) {
        platform::ShowMessage("The selected directory is the data directory of the software. Try the \"Backup\" "
                              "sub-directory (inside the \"Data\" directory) or choose an external directory, where "
                              "to put the backup files.",
                              platform::MsgIcon::Information);
        return;
    }
    if (platform::ShowMessage("Restore the Backup files?", platform::MsgIcon::Question, platform::mbOKCancel) ==
        platform::mrOk)
        RecuperaBackupGeral(modulo_, dir);
}

void TCaixaBackup::CancelarClick() { reject(); }

void MostraCaixaBackup(TModuloDeDados& modulo, QWidget* parent) {
    delete CaixaBackup.data();
    CaixaBackup = new TCaixaBackup(modulo, parent);
    CaixaBackup->exec();
}

}  // namespace vorel
