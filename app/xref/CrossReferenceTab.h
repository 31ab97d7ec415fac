#pragma once
// The "Cross-reference" tab: the table of original devices with their
// company, a description and free texts of similar and equivalent devices.
// One sub-tab searches and lists, the other inserts, overwrites and
// deletes; the list below both shows the cross-reference query. Its
// messages are in Portuguese.
//
// Reads go through the data module's PesquisarDS, writes through
// TabelaAtualiza on "DS.db", which is closed again after each write.
#include <QWidget>
#include <string>

class QLabel;
class QLineEdit;
class QPlainTextEdit;
class QPushButton;
class QToolButton;

namespace platform {
class TDBGrid;
class TDBMemo;
class TPageControl;
}  // namespace platform

namespace vorel {

class TModuloDeDados;

// Reloads the cross-reference list with one line of SQL: the query is
// closed, given the line and opened; the grid follows it.
void ReloadDSList(TModuloDeDados& module, const std::string& sql);

class CrossReferenceTab : public QWidget {
    Q_OBJECT
public:
    explicit CrossReferenceTab(QWidget* parent = nullptr);

    // The data module whose tables the tab works on (not owned; nullptr
    // until the tables exist, and then every command raises).
    void Attach(TModuloDeDados* module);

    platform::TPageControl* PageControl10;
    QWidget *SearchPage, *EditPage;
    QLabel* Instructions;
    QLineEdit* PesquisarXR;
    QPushButton *PesquisarXRef, *AbriXR;
    QLineEdit *OriginalXR, *FabricanteXR, *DescricaoXR;
    QPlainTextEdit *SimilarXR, *EquivalenteXR;
    QToolButton *GravarXR, *LimparXR, *ApagarXR;
    platform::TDBGrid* DBGridXR1;
    platform::TDBMemo *EquivalentMemo, *SimilarMemo;

    void PesquisaXRef();
    void AbreXRef();
    void LimpaXRef();
    // Save: inserts the typed row, or overwrites the row of that key after
    // asking. The stored row is checked, inside the write, against the row
    // the list showed for that key (or its absence from a list of the whole
    // table): when another window or program changed, removed or made it
    // meanwhile, nothing is written and the user is told; the fields keep
    // their texts and the list shows the table as it is now, so a second
    // Save writes on purpose.
    void GravaXRef();
    void ApagaXRef();

private:
    TModuloDeDados& Module();
    void Build();
    void ConnectEvents();

    TModuloDeDados* module_ = nullptr;
};

}  // namespace vorel
