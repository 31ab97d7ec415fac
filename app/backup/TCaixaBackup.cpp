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
#include "app/data/TModuloDeDados.h"
#include "platform/core/runtime/PathCase.h"
#include "platform/qt/qtglue/Guard.h"
#include "platform/qt/qtglue/Messenger.h"

namespace vorel {

namespace {
QPointer<TCaixaBackup> lastDialog;  // the dialog of the last use
}

TCaixaBackup::TCaixaBackup(TModuloDeDados& module, QWidget* parent) : QDialog(parent), module_(module) {
    setObjectName("CaixaBackup");
    setWindowTitle("Database backup");
    setWindowFlags(Qt::Dialog | Qt::MSWindowsFixedSizeDialogHint | Qt::WindowTitleHint | Qt::WindowSystemMenuHint |
                   Qt::WindowCloseButtonHint);
    auto* v = new QVBoxLayout(this);
    Prompt = new QLabel("Select the directory where to put the backup files:");
    v->addWidget(Prompt);
    DirectoryListBox1 = new TDirectoryListBox;
    DirectoryListBox1->setObjectName("DirectoryListBox1");
    v->addWidget(DirectoryListBox1, 1);
    auto* buttons = new QHBoxLayout;
    buttons->addStretch(1);
    OK = new QPushButton(style()->standardIcon(QStyle::SP_DialogOkButton), "OK");
    OK->setObjectName("OK");
    OK->setDefault(true);
    Cancelar = new QPushButton(style()->standardIcon(QStyle::SP_DialogCancelButton), "Cancel");
    Cancelar->setObjectName("Cancelar");
    buttons->addWidget(OK);
    buttons->addWidget(Cancelar);
    v->addLayout(buttons);
    setFixedSize(360, 320);

    connect(OK, &QPushButton::clicked, this, [this] {
        platform::Guarded([this] { OKClick(); });
        accept();  // the OK button's modal result ends the dialog in every case
    });
    connect(Cancelar, &QPushButton::clicked, this, [this] { platform::Guarded([this] { CancelarClick(); }); });

    // FormCreate.
    std::error_code ec;
    const auto backup = platform::ResolveCase(module_.BaseDirectory(), "Data\\Backup");
    if (std::filesystem::is_directory(backup, ec)) DirectoryListBox1->SetDirectory(backup);
}

void TCaixaBackup::OKClick() {
    const std::string dir = DirectoryListBox1->Directory().string();
    if (IsDataDirectory(module_, dir)) {
        platform::ShowMessage("The selected directory is the data directory of the software. Try the \"Backup\" "
                              "sub-directory (inside the \"Data\" directory) or choose an external directory, where "
                              "to put the backup files.",
                              platform::MsgIcon::Information);
        return;
    }
    if (platform::ShowMessage("Restore the Backup files?", platform::MsgIcon::Question, platform::mbOKCancel) ==
        platform::mrOk)
        RecuperaBackupGeral(module_, dir);
}

void TCaixaBackup::CancelarClick() { reject(); }

void ShowBackupDialog(TModuloDeDados& module, QWidget* parent) {
    delete lastDialog.data();
    lastDialog = new TCaixaBackup(module, parent);
    lastDialog->exec();
}

}  // namespace vorel
