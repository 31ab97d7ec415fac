#pragma once
// The IC's tab: a top panel with the instructions, the search box and the
// Search button, the hidden memo the page is written into, and the viewer
// that shows it. A click on a link goes to the shell.
#include <QWidget>
#include <functional>
#include <string>

class QLabel;
class QPlainTextEdit;
class QPushButton;

namespace htmlview {
class THtmlDisplay;
}
namespace platform {
class TCaseEdit;
class TDataSet;
}  // namespace platform

namespace vorel {

class AbaCI : public QWidget {
public:
    // tabelaIntegrados: the IC table when a search runs; diretorioBase: the
    // program's base directory (vorel.ini lives there).
    AbaCI(std::function<platform::TDataSet&()> tabelaIntegrados, std::string diretorioBase,
          QWidget* parent = nullptr);

    QLabel* Instrucoes;
    platform::TCaseEdit* CIPesquisa;
    QPushButton* Buscar;
    QPlainTextEdit* CodigoFonte;
    htmlview::THtmlDisplay* VisualizadorHTML;

    void BuscarClick();
    void BuscaIntegrados();
    void VisualizadorHTMLHotSpotClick(QWidget* sender, const std::string& src, bool& handled);

private:
    std::function<platform::TDataSet&()> tabela_;
    std::string base_;
};

}  // namespace vorel
