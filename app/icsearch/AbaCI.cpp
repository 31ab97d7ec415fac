#include "app/icsearch/AbaCI.h"

#include "app/icsearch/PaginaResultadoCI.h"
#include "htmlview/control/HtmlDisplay.h"
#include "platform/qtglue/CaseEdit.h"
#include "platform/qtglue/Controls.h"
#include "platform/qtglue/Guard.h"
#include "platform/runtime/Codepage.h"
#include "platform/runtime/PathCase.h"
#include "platform/shell/Shell.h"
#include "platform/tables/DataSet.h"

#include <QHBoxLayout>
#include <QLabel>
#include <QPlainTextEdit>
#include <QPushButton>
#include <QVBoxLayout>

namespace vorel {

namespace {
using platform::Named;
}  // namespace

AbaCI::AbaCI(std::function<platform::TDataSet&()> tabelaIntegrados, std::string diretorioBase, QWidget* parent)
    : QWidget(parent), tabela_(std::move(tabelaIntegrados)), base_(std::move(diretorioBase)) {
    auto* v = new QVBoxLayout(this);
    v->setContentsMargins(4, 4, 4, 4);
    auto* topo = new QWidget;
    auto* h = new QHBoxLayout(topo);
    h->setContentsMargins(0, 0, 0, 0);
    Instrucoes = Named(new QLabel("Type your search below. Use only one word (i. e. 741); do  not use masks "
                                  "(i. e. * and ?)."),
                       "Label1");
    CIPesquisa = Named(new platform::TCaseEdit(platform::CharCase::Upper), "CIPesquisa");
    CIPesquisa->setMinimumWidth(170);
    Buscar = Named(new QPushButton("Search"), "Buscar");
    h->addWidget(Instrucoes);
    h->addWidget(CIPesquisa);
    h->addWidget(Buscar);
    h->addStretch(1);
    v->addWidget(topo);

    CodigoFonte = Named(new QPlainTextEdit, "CodigoFonte");
    CodigoFonte->setLineWrapMode(QPlainTextEdit::NoWrap);
    CodigoFonte->setFocusPolicy(Qt::NoFocus);
    CodigoFonte->hide();

    VisualizadorHTML = Named(new htmlview::THtmlDisplay, "VisualizadorHTML");
    VisualizadorHTML->SetDefBackground(htmlview::clWhite);
    VisualizadorHTML->SetBorderStyle(htmlview::THTMLBorderStyle::htSingle);
    VisualizadorHTML->SetScrollBars(htmlview::TScrollStyle::ssVertical);
    VisualizadorHTML->SetMarginWidth(5);
    VisualizadorHTML->SetViewImages(false);
    VisualizadorHTML->SetHistoryMaxCount(0);
    VisualizadorHTML->SetDefFontName("Times New Roman");
    VisualizadorHTML->SetDefPreFontName("Courier New");
    VisualizadorHTML->SetNoSelect(false);
    VisualizadorHTML->OnHotSpotClick = [this](QWidget* sender, const std::string& src, bool& handled) {
        VisualizadorHTMLHotSpotClick(sender, src, handled);
    };
    v->addWidget(CodigoFonte);
    v->addWidget(VisualizadorHTML, 1);

    connect(Buscar, &QPushButton::clicked, this, [this] { platform::Guarded([this] { BuscarClick(); }); });
    // Enter in the box searches, as the button does.
    connect(CIPesquisa, &QLineEdit::returnPressed, this, [this] { platform::Guarded([this] { BuscarClick(); }); });
}

void AbaCI::BuscarClick() { BuscaIntegrados(); }

void AbaCI::BuscaIntegrados() {
    CodigoFonte->clear();
    const std::vector<std::string> linhas = PaginaResultadoCI(tabela_(), CIPesquisa->text().toStdString(),
                                                              platform::ResolveCase(base_, "vorel.ini"));
    QStringList texto;
    texto.reserve(static_cast<qsizetype>(linhas.size()));
    for (const std::string& l : linhas) texto.push_back(QString::fromStdString(l));
    CodigoFonte->setPlainText(texto.join('\n'));
    VisualizadorHTML->LoadFromStrings(linhas);
}

void AbaCI::VisualizadorHTMLHotSpotClick(QWidget*, const std::string& src, bool& handled) {
    // The viewer speaks Windows-1252; the shell takes the program's text.
    platform::ShellExecute({"open", platform::Cp1252ToUtf8(src), "", platform::ShowMode::Normal});
    handled = true;
}

}  // namespace vorel
