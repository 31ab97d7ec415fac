#include "app/xref/CrossReferenceTab.h"

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

#include "app/data/ConcurrentWrite.h"
#include "app/data/TModuloDeDados.h"
#include "platform/qt/qtglue/Controls.h"
#include "platform/core/runtime/Text.h"
#include "platform/qt/dbcontrols/DBGrid.h"
#include "platform/qt/dbcontrols/DBText.h"
#include "platform/qt/qtglue/Guard.h"
#include "platform/qt/qtglue/Messenger.h"
#include "platform/qt/qtglue/PageControl.h"
#include "platform/core/runtime/Exception.h"
#include "platform/core/runtime/ScopeExit.h"
#include "platform/tables/SqlDialect.h"

namespace vorel {

namespace {
const char* const kAll = "select * from ds.db";
const char* const kFile = "DS.db";
const char* const kChangedByAnother = "O registro foi alterado por outro usuário.";

using platform::Named;

std::string Text(const QLineEdit* e) { return e->text().toStdString(); }
std::string Text(const QPlainTextEdit* e) { return e->toPlainText().toStdString(); }

// The three texts of a row from the edit fields.
void WriteTexts(platform::TDataSet& ds, const CrossReferenceTab& tab) {
    ds.FieldByName("Descricao").SetAsString(platform::TrimControls(Text(tab.DescricaoXR)));
    ds.FieldByName("Similar").SetAsString(platform::TrimControls(Text(tab.SimilarXR)));
    ds.FieldByName("Equivalente").SetAsString(platform::TrimControls(Text(tab.EquivalenteXR)));
}

// TabelaAtualiza on the cross-reference table; the caller closes it again.
void OpenXrefTable(platform::TTable& t) {
    t.Close();
    t.TableName = kFile;
    t.Open();
}
}  // namespace

void ReloadDSList(TModuloDeDados& module, const std::string& sql) {
    module.PesquisarDS.Close();
    module.PesquisarDS.SQL = {sql};
    module.PesquisarDS.Open();
}

CrossReferenceTab::CrossReferenceTab(QWidget* parent) : QWidget(parent) {
    Build();
    ConnectEvents();
}

void CrossReferenceTab::Build() {
    auto* v = new QVBoxLayout(this);
    v->setContentsMargins(4, 4, 4, 4);
    PageControl10 = Named(new platform::TPageControl, "PageControl10");
    PageControl10->setTabPosition(QTabWidget::South);

    SearchPage = new QWidget;
    {
        auto* g = new QGridLayout(SearchPage);
        Instructions = new QLabel(
            "Type below your search. Use only one word (i. e. 2SB2020); do not use masks (i. e. * and ?).");
        Instructions->setWordWrap(true);
        g->addWidget(Instructions, 0, 0, 1, 3);
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
    PageControl10->addTab(SearchPage, "Search Equivalents/Similars");

    EditPage = new QWidget;
    {
        auto* g = new QGridLayout(EditPage);
        auto* title = new QLabel("Equivalences/Similarities Insertion");
        QFont f = title->font();
        f.setBold(true);
        title->setFont(f);
        g->addWidget(title, 0, 0, 1, 4);
        GravarXR = platform::ToolButton(this, "GravarXR", "Grava alterações", QStyle::SP_DialogSaveButton);
        LimparXR = platform::ToolButton(this, "LimparXR", "Limpa campo de edição", QStyle::SP_LineEditClearButton);
        ApagarXR = platform::ToolButton(this, "ApagarXR", "Apagar", QStyle::SP_TrashIcon);
        auto* buttons = new QHBoxLayout;
        buttons->addStretch(1);
        buttons->addWidget(GravarXR);
        buttons->addWidget(LimparXR);
        buttons->addWidget(ApagarXR);
        g->addLayout(buttons, 0, 4, 1, 2);

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
        auto* texts = new QHBoxLayout;
        for (auto [memo, label] : {std::pair{SimilarXR, "Similars:"}, std::pair{EquivalenteXR, "Equivalents:"}}) {
            memo->setTabChangesFocus(true);
            memo->setFixedHeight(72);
            auto* column = new QVBoxLayout;
            column->addWidget(new QLabel(label));
            column->addWidget(memo);
            texts->addLayout(column, 1);
        }
        g->addLayout(texts, 2, 0, 1, 6);
        g->setColumnStretch(1, 1);
        g->setColumnStretch(3, 1);
        g->setColumnStretch(5, 2);
    }
    PageControl10->addTab(EditPage, "Edit Database");
    // The sub-tabs take what they need; the list below takes the rest.
    PageControl10->setSizePolicy(QSizePolicy::Preferred, QSizePolicy::Maximum);
    v->addWidget(PageControl10, 0);

    auto* bottom = new QHBoxLayout;
    DBGridXR1 = Named(new platform::TDBGrid, "DBGridXR1");
    DBGridXR1->SetColumns({{"Original", ""}, {"Fabricante", "Company"}, {"Descricao", "Description"}});
    bottom->addWidget(DBGridXR1, 3);
    auto* memos = new QVBoxLayout;
    EquivalentMemo = Named(new platform::TDBMemo, "DBMemoEquivalente");
    EquivalentMemo->SetDataField("Equivalente");
    SimilarMemo = Named(new platform::TDBMemo, "DBMemoSimilar");
    SimilarMemo->SetDataField("Similar");
    memos->addWidget(new QLabel("Equivalents:"));
    memos->addWidget(EquivalentMemo, 1);
    memos->addWidget(new QLabel("Similars:"));
    memos->addWidget(SimilarMemo, 1);
    bottom->addLayout(memos, 2);
    v->addLayout(bottom, 1);
}

void CrossReferenceTab::ConnectEvents() {
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

void CrossReferenceTab::Attach(TModuloDeDados* module) {
    module_ = module;
    platform::TDataSet* ds = module ? &module->PesquisarDS : nullptr;
    DBGridXR1->SetDataSet(ds);
    EquivalentMemo->SetDataSet(ds);
    SimilarMemo->SetDataSet(ds);
}

TModuloDeDados& CrossReferenceTab::Module() {
    if (!module_) throw platform::Exception("The tables are not open");
    return *module_;
}

void CrossReferenceTab::PesquisaXRef() {
    const std::string t = platform::TrimControls(Text(PesquisarXR));
    if (t.empty()) {
        platform::ShowMessage("Indique o item a ser pesquisado.", platform::MsgIcon::Information);
        return;
    }
    // The text is a value of the SQL, quoted as the dialect wants, never SQL itself.
    ReloadDSList(Module(), std::string(kAll) + " where original = " + platform::QuotedSqlString(t));
}

void CrossReferenceTab::AbreXRef() { ReloadDSList(Module(), kAll); }

void CrossReferenceTab::LimpaXRef() {
    for (QLineEdit* e : {OriginalXR, FabricanteXR, DescricaoXR}) e->clear();
    SimilarXR->clear();
    EquivalenteXR->clear();
}

// The key is looked up with the trimmed texts it is stored with, so a
// blank typed before a code finds the row instead of clashing with it.
void CrossReferenceTab::GravaXRef() {
    const std::string original = platform::TrimControls(Text(OriginalXR)), company = platform::TrimControls(Text(FabricanteXR));
    if (original.empty() || company.empty()) {
        platform::ShowMessage("Os campos Componente Original e Fabricante tem que ser preenchidos.",
                              platform::MsgIcon::Information);
        return;
    }
    TModuloDeDados& m = Module();
    platform::TTable& t = m.TabelaAtualiza;
    {
        OpenXrefTable(t);
        platform::ScopeExit close([&] { t.Close(); });
        t.SetKey();
        if (t.FindKey({original, company})) {
            if (platform::ShowMessage("Esse registro já existe, sobrescrever?", platform::MsgIcon::Question,
                                      platform::mbYesNo) == platform::mrYes) {
                t.Edit();
                WriteTexts(t, *this);
                // Another copy of the program may have changed the row while the question was open.
                if (!WriteIfUnchanged([&] { t.Post(); }, kChangedByAnother)) return ReloadDSList(m, kAll);
            }
        } else {
            t.Append();
            t.FieldByName("Original").SetAsString(original);
            t.FieldByName("Fabricante").SetAsString(company);
            WriteTexts(t, *this);
            t.Post();
        }
    }
    ReloadDSList(m, kAll);
}

void CrossReferenceTab::ApagaXRef() {
    TModuloDeDados& m = Module();
    std::string o, f;
    std::pair<std::string, std::string> stored;
    if (m.PesquisarDS.Active() && !m.PesquisarDS.IsEmpty()) {
        stored = {m.PesquisarDS.FieldByName("Original").AsString(), m.PesquisarDS.FieldByName("Fabricante").AsString()};
        o = platform::TrimControls(stored.first);
        f = platform::TrimControls(stored.second);
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
        if (t.FindKey({stored.first, stored.second})) {
            if (!WriteIfUnchanged([&] { t.Delete(); }, kChangedByAnother)) return ReloadDSList(m, kAll);
            t.First();
        } else {
            platform::ShowMessage("Não foi possível apagar o registro.", platform::MsgIcon::Information);
        }
    }
    ReloadDSList(m, kAll);
}

}  // namespace vorel
