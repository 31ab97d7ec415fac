#include "app/icsearch/ICTab.h"

#include "app/icsearch/PaginaResultadoCI.h"
#include "htmlview/control/HtmlDisplay.h"
#include "platform/core/runtime/Codepage.h"
#include "platform/core/runtime/PathCase.h"
#include "platform/qt/qtglue/CaseEdit.h"
#include "platform/qt/qtglue/Controls.h"
#include "platform/qt/qtglue/Guard.h"
#include "platform/tables/DataSet.h"
#include "platform/windows/shell/Shell.h"

#include <QHBoxLayout>
#include <QLabel>
#include <QPlainTextEdit>
#include <QPushButton>
#include <QVBoxLayout>

namespace vorel {

namespace {
using platform::Named;
}  // namespace

ICTab::ICTab(std::function<platform::TDataSet&()> icTable, std::string baseDirectory, QWidget* parent)
    : QWidget(parent), table_(std::move(icTable)), base_(std::move(baseDirectory)) {
    auto* v = new QVBoxLayout(this);
    v->setContentsMargins(4, 4, 4, 4);
    auto* topPanel = new QWidget;
    auto* h = new QHBoxLayout(topPanel);
    h->setContentsMargins(0, 0, 0, 0);
    Instructions = Named(new QLabel("Type your search below. Use only one word (i. e. 741); do  not use masks "
                                  "(i. e. * and ?)."),
                       "Label1");
    CIPesquisa = Named(new platform::TCaseEdit(platform::CharCase::Upper), "CIPesquisa");
    CIPesquisa->setMinimumWidth(170);
    Buscar = Named(new QPushButton("Search"), "Buscar");
    h->addWidget(Instructions);
    h->addWidget(CIPesquisa);
    h->addWidget(Buscar);
    h->addStretch(1);
    v->addWidget(topPanel);

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

void ICTab::BuscarClick() { BuscaIntegrados(); }

void ICTab::BuscaIntegrados() {
    CodigoFonte->clear();
    const std::vector<std::string> pageLines = PaginaResultadoCI(table_(), CIPesquisa->text().toStdString(),
                                                              platform::ResolveCase(base_, "vorel.ini"));
    QStringList memoText;
    memoText.reserve(static_cast<qsizetype>(pageLines.size()));
    for (const std::string& l : pageLines) memoText.push_back(QString::fromStdString(l));
    CodigoFonte->setPlainText(memoText.join('\n'));
    VisualizadorHTML->LoadFromStrings(pageLines);
}

void ICTab::VisualizadorHTMLHotSpotClick(QWidget*, const std::string& src, bool& handled) {
    // The viewer speaks Windows-1252; the shell takes the program's text.
    platform::ShellExecute({"open", platform::Cp1252ToUtf8(src), "", platform::ShowMode::Normal});
    handled = true;
}

}  // namespace vorel
