#pragma once
// The restore dialog: pick the folder that holds a backup set; OK asks and
// merges it into the live tables. The data directory itself is refused.
// Both buttons end the modal dialog with their result.
#include <QDialog>
#include <string>

class QLabel;
class QPushButton;

namespace vorel {

class TDirectoryListBox;
class TModuloDeDados;

class TCaixaBackup : public QDialog {
    Q_OBJECT
public:
    // FormCreate: the list opens base directory + \Data\Backup when it
    // exists, else the current directory.
    explicit TCaixaBackup(TModuloDeDados& module, QWidget* parent = nullptr);

    QLabel* Prompt;
    TDirectoryListBox* DirectoryListBox1;
    QPushButton *OK, *Cancelar;

    void OKClick();
    void CancelarClick();

private:
    TModuloDeDados& module_;
};

// Creates the dialog, keeps it in this unit's reference and shows it modally.
void ShowBackupDialog(TModuloDeDados& module, QWidget* parent);

}  // namespace vorel
