#include "app/xref/AbaReferencia.h"

#include <QGridLayout>
#include <QHBoxLayout>
#include <QLabel>
#include <QLineEdit>
#include <QPlainTextEdit>
#include <QPushButton>
#include <QStyle>
#include <QToolButton>
#include <QVBoxLayout>
#include <utility>

#include "app/data/EscritaConcorrente.h"
#include "app/data/ModuloDeDados.h"
#include "platform/qtglue/Controls.h"
#include "platform/runtime/Text.h"
#include "platform/dbcontrols/DBGrid.h"
#include "platform/dbcontrols/DBText.h"
#include "platform/qtglue/Guard.h"
#include "platform/qtglue/Messenger.h"
#include "platform/qtglue/PageControl.h"
#include "platform/runtime/Exception.h"
#include "platform/runtime/ScopeExit.h"
#include "platform/tables/SqlDialect.h"

namespace vorel {

namespace {
const char* const kTodos = "select * from ds.db";
const char* const kArquivo = "DS.db";
const char* const kAlteradoPorOutro = "O registro foi alterado por outro usuário.";

using platform::Named;

std::string Text(const QLineEdit* e) { return e->text().toStdString(); }
std::string Text(const QPlainTextEdit* e) { return e->toPlainText().toStdString(); }

// The three texts of a row from the edit fields.
void EscreveTextos(platform::TDataSet& ds, const AbaReferencia& aba) {
    ds.FieldByName("Descricao").SetAsString(platform::TrimControls(Text(aba.DescricaoXR)));
    ds.FieldByName("Similar").SetAsString(platform::TrimControls(Text(aba.SimilarXR)));
    ds.FieldByName("Equivalente").SetAsString(platform::TrimControls(Text(aba.EquivalenteXR)));
}

// TabelaAtualiza on the cross-reference table; the caller closes it again.
void OpenXrefTable(platform::TTable& t) {
    t.Close();
    t.TableName = kArquivo;
    t.Open();
}
}  // namespace

void RecarregaListaDS(TModuloDeDados& modulo, const std::string& sql) {
    modulo.PesquisarDS.Close();
    modulo.PesquisarDS.SQL = {sql};
    modulo.PesquisarDS.Open();
}

AbaReferencia::AbaReferencia(QWidget* parent) : QWidget(parent) {
    Construir();
    LigaEventos();
}

void AbaReferencia::Construir() {
    auto* v = new QVBoxLayout(this);
    v->setContentsMargins(4, 4, 4, 4);
    PageControl10 = Named(new platform::TPageControl, "PageControl10");
    PageControl10->setTabPosition(QTabWidget::South);

    TabPesquisa = new QWidget;
    {
        auto* g = new QGridLayout(TabPesquisa);
        Instrucoes = new QLabel(
            "Type below your search. Use only one word (i. e. 2SB2020); do not use masks (i. e. * and ?).");
        Instrucoes->setWordWrap(true);
        g->addWidget(Instrucoes, 0, 0, 1, 3);
        PesquisarXR = Named(new QLineEdit, "PesquisarXR");
        PesquisarXR->setMaxLength(25);
        PesquisarXR->setMinimumWidth(160);
        PesquisarXRef = Named(new QPushButton("Cross-reference search"), "PesquisarXRef");
        AbriXR = Named(new QPushButton("Show all devices"), "AbriXR");
        g->addWidget(PesquisarXR, 1, 0);
        g->addWidget(PesquisarXRef, 1, 1);
        g->addWidget(AbriXR, 1, 2);
        g->setColumnStretch(3, 1);
    }
    PageControl10->addTab(TabPesquisa, "Search Equivalents/Similars");

    TabEdicao = new QWidget;
    {
        auto* g = new QGridLayout(TabEdicao);
        auto* titulo = new QLabel("Equivalences/Similarities Insertion");
        QFont f = titulo->font();
        f.setBold(true);
        titulo->setFont(f);
        g->addWidget(titulo, 0, 0, 1, 4);
        GravarXR = platform::ToolButton(this, "GravarXR", "Grava alterações", QStyle::SP_DialogSaveButton);
        LimparXR = platform::ToolButton(this, "LimparXR", "Limpa campo de edição", QStyle::SP_LineEditClearButton);
        ApagarXR = platform::ToolButton(this, "ApagarXR", "Apagar", QStyle::SP_TrashIcon);
        auto* botoes = new QHBoxLayout;
        botoes->addStretch(1);
        botoes->addWidget(GravarXR);
        botoes->addWidget(LimparXR);
        botoes->addWidget(ApagarXR);
        g->addLayout(botoes, 0, 4, 1, 2);

        OriginalXR = Named(new QLineEdit, "OriginalXR");
        OriginalXR->setMaxLength(25);
        FabricanteXR = Named(new QLineEdit, "FabricanteXR");
        FabricanteXR->setMaxLength(20);
        DescricaoXR = Named(new QLineEdit, "DescricaoXR");
        DescricaoXR->setMaxLength(50);
        g->addWidget(new QLabel("Original:"), 1, 0);
        g->addWidget(OriginalXR, 1, 1);
        g->addWidget(new QLabel("Company:"), 1, 2);
        g->addWidget(FabricanteXR, 1, 3);
        g->addWidget(new QLabel("Description:"), 1, 4);
        g->addWidget(DescricaoXR, 1, 5);
        SimilarXR = Named(new QPlainTextEdit, "SimilarXR");
        EquivalenteXR = Named(new QPlainTextEdit, "EquivalenteXR");
        auto* textos = new QHBoxLayout;
        for (auto [memo, rotulo] : {std::pair{SimilarXR, "Similars:"}, std::pair{EquivalenteXR, "Equivalents:"}}) {
            memo->setTabChangesFocus(true);
            memo->setFixedHeight(72);
            auto* coluna = new QVBoxLayout;
            coluna->addWidget(new QLabel(rotulo));
            coluna->addWidget(memo);
            textos->addLayout(coluna, 1);
        }
        g->addLayout(textos, 2, 0, 1, 6);
        g->setColumnStretch(1, 1);
        g->setColumnStretch(3, 1);
        g->setColumnStretch(5, 2);
    }
    PageControl10->addTab(TabEdicao, "Edit Database");
    // The sub-tabs take what they need; the list below takes the rest.
    PageControl10->setSizePolicy(QSizePolicy::Preferred, QSizePolicy::Maximum);
    v->addWidget(PageControl10, 0);

    auto* baixo = new QHBoxLayout;
    DBGridXR1 = Named(new platform::TDBGrid, "DBGridXR1");
    DBGridXR1->SetColumns({{"Original", ""}, {"Fabricante", "Company"}, {"Descricao", "Description"}});
    baixo->addWidget(DBGridXR1, 3);
    auto* memos = new QVBoxLayout;
    DBMemoEquivalente = Named(new platform::TDBMemo, "DBMemoEquivalente");
    DBMemoEquivalente->SetDataField("Equivalente");
    DBMemoSimilar = Named(new platform::TDBMemo, "DBMemoSimilar");
    DBMemoSimilar->SetDataField("Similar");
    memos->addWidget(new QLabel("Equivalents:"));
    memos->addWidget(DBMemoEquivalente, 1);
    memos->addWidget(new QLabel("Similars:"));
    memos->addWidget(DBMemoSimilar, 1);
    baixo->addLayout(memos, 2);
    v->addLayout(baixo, 1);
}

void AbaReferencia::LigaEventos() {
    auto guard = [](auto handler) { return [handler] { platform::Guarded(handler); }; };
    connect(PesquisarXRef, &QPushButton::clicked, this, guard([this] { PesquisaXRef(); }));
    connect(PesquisarXR, &QLineEdit::returnPressed, this, guard([this] { PesquisaXRef(); }));
    connect(AbriXR, &QPushButton::clicked, this, guard([this] { AbreXRef(); }));
    connect(LimparXR, &QToolButton::clicked, this, guard([this] { LimpaXRef(); }));
    connect(GravarXR, &QToolButton::clicked, this, guard([this] { GravaXRef(); }));
    connect(ApagarXR, &QToolButton::clicked, this, guard([this] { ApagaXRef(); }));
    // Every change of sub-tab shows the whole table again; the change is allowed.
    PageControl10->OnChanging = [this] {
        AbreXRef();
        return true;
    };
}

void AbaReferencia::Attach(TModuloDeDados* modulo) {
    modulo_ = modulo;
    platform::TDataSet* ds = modulo ? &modulo->PesquisarDS : nullptr;
    DBGridXR1->SetDataSet(ds);
    DBMemoEquivalente->SetDataSet(ds);
    DBMemoSimilar->SetDataSet(ds);
}

TModuloDeDados& AbaReferencia::Modulo() {
    if (!modulo_) throw platform::Exception("The tables are not open");
    return *modulo_;
}

void AbaReferencia::PesquisaXRef() {
    const std::string t = platform::TrimControls(Text(PesquisarXR));
    if (t.empty()) {
        platform::ShowMessage("Indique o item a ser pesquisado.", platform::MsgIcon::Information);
        return;
    }
    // The text is a value of the SQL, quoted as the dialect wants, never SQL itself.
    RecarregaListaDS(Modulo(), std::string(kTodos) + " where original = " + platform::QuotedSqlString(t));
}

void AbaReferencia::AbreXRef() { RecarregaListaDS(Modulo(), kTodos); }

void AbaReferencia::LimpaXRef() {
    for (QLineEdit* e : {OriginalXR, FabricanteXR, DescricaoXR}) e->clear();
    SimilarXR->clear();
    EquivalenteXR->clear();
}

// The key is looked up with the trimmed texts it is stored with, so a
// blank typed before a code finds the row instead of clashing with it.
void AbaReferencia::GravaXRef() {
    const std::string original = platform::TrimControls(Text(OriginalXR)), fabricante = platform::TrimControls(Text(FabricanteXR));
    if (original.empty() || fabricante.empty()) {
        platform::ShowMessage("Os campos Componente Original e Fabricante tem que ser preenchidos.",
                              platform::MsgIcon::Information);
        return;
    }
    TModuloDeDados& m = Modulo();
    platform::TTable& t = m.TabelaAtualiza;
    {
        OpenXrefTable(t);
        platform::ScopeExit close([&] { t.Close(); });
        t.SetKey();
        if (t.FindKey({original, fabricante})) {
            if (platform::ShowMessage("Esse registro já existe, sobrescrever?", platform::MsgIcon::Question,
                                      platform::mbYesNo) == platform::mrYes) {
                t.Edit();
                EscreveTextos(t, *this);
                // Another copy of the program may have changed the row while the question was open.
                if (!EscreveSeInalterado([&] { t.Post(); }, kAlteradoPorOutro)) return RecarregaListaDS(m, kTodos);
            }
        } else {
            t.Append();
            t.FieldByName("Original").SetAsString(original);
            t.FieldByName("Fabricante").SetAsString(fabricante);
            EscreveTextos(t, *this);
            t.Post();
        }
    }
    RecarregaListaDS(m, kTodos);
}

void AbaReferencia::ApagaXRef() {
    TModuloDeDados& m = Modulo();
    std::string o, f;
    std::pair<std::string, std::string> armazenado;
    if (m.PesquisarDS.Active() && !m.PesquisarDS.IsEmpty()) {
        armazenado = {m.PesquisarDS.FieldByName("Original").AsString(), m.PesquisarDS.FieldByName("Fabricante").AsString()};
        o = platform::TrimControls(armazenado.first);
        f = platform::TrimControls(armazenado.second);
    }
    if (o.empty() || f.empty()) {
        platform::ShowMessage("Selecione o registro a ser apagado.", platform::MsgIcon::Information);
        return;
    }
    if (platform::ShowMessage("Deseja apagar o registro [" + o + ", " + f + "]?", platform::MsgIcon::Question,
                              platform::mbYesNo) != platform::mrYes)
        return;
    platform::TTable& t = m.TabelaAtualiza;
    {
        OpenXrefTable(t);
        platform::ScopeExit close([&] { t.Close(); });
        t.SetKey();
        // The row as stored: a key kept with a blank must not find its trimmed twin.
        if (t.FindKey({armazenado.first, armazenado.second})) {
            if (!EscreveSeInalterado([&] { t.Delete(); }, kAlteradoPorOutro)) return RecarregaListaDS(m, kTodos);
            t.First();
        } else {
            platform::ShowMessage("Não foi possível apagar o registro.", platform::MsgIcon::Information);
        }
    }
    RecarregaListaDS(m, kTodos);
}

}  // namespace vorel
