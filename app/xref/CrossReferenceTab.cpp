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
#include <optional>
#include <utility>
#include <vector>

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

const char* const kFields[] = {"Original", "Fabricante", "Descricao", "Similar", "Equivalente"};
using RowTexts = std::optional<std::vector<std::string>>;

// The current row's texts; nothing when there is none.
RowTexts Texts(platform::TDataSet& ds) {
    if (ds.IsEmpty()) return std::nullopt;
    std::vector<std::string> out;
    for (const char* f : kFields) out.push_back(ds.FieldByName(f).AsString());
    return out;
}

// The row of the list (as it was read when the list was shown) that the
// table's key lookup would find for original and company: same texts,
// ignoring case.
RowTexts ListedRow(platform::TDataSet& list, const std::string& original, const std::string& company) {
    if (!list.Active() || list.IsEmpty()) return std::nullopt;
    std::vector<int> columns;
    for (const char* f : kFields) columns.push_back(list.FieldByName(f).Index());
    const auto text = [](const platform::TRecord& r, int c) {
        return static_cast<size_t>(c) < r.size() ? platform::TField::Text(r[static_cast<size_t>(c)]) : std::string();
    };
    const std::string o = platform::AsciiLower(original), f = platform::AsciiLower(company);
    for (const platform::TRecord& r : list.PeekRows(1 - list.RecNo(), list.RecordCount())) {
        if (platform::AsciiLower(text(r, columns[0])) != o || platform::AsciiLower(text(r, columns[1])) != f) continue;
        std::vector<std::string> out;
        for (int c : columns) out.push_back(text(r, c));
        return out;
    }
    return std::nullopt;
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
    // What the user worked from: the row the list showed for this key; a
    // key missing from the whole table's list was a new record then.
    const RowTexts listed = ListedRow(m.PesquisarDS, original, company);
    const bool wholeTableListed = m.PesquisarDS.Active() && m.PesquisarDS.SQL == std::vector<std::string>{kAll};
    platform::TTable& t = m.TabelaAtualiza;
    bool overtaken = false;
    {
        OpenXrefTable(t);
        platform::ScopeExit close([&] { t.Close(); });
        t.SetKey();
        const bool found = t.FindKey({original, company});
        const RowTexts storedNow = found ? Texts(t) : std::nullopt;
        const RowTexts expected = listed || wholeTableListed ? listed : storedNow;
        overtaken = storedNow != expected;
        const bool write = !overtaken && (!found || platform::ShowMessage("Esse registro já existe, sobrescrever?",
                                                                        platform::MsgIcon::Question,
                                                                        platform::mbYesNo) == platform::mrYes);
        if (write) {
            // The check and the write under one write lock: nobody writes in between.
            platform::TTableTransaction writing(t);
            t.SetKey();
            const bool there = t.FindKey({original, company});
            overtaken = (there ? Texts(t) : std::nullopt) != expected;
            if (!overtaken) {
                if (there) {
                    t.Edit();
                } else {
                    t.Append();
                    t.FieldByName("Original").SetAsString(original);
                    t.FieldByName("Fabricante").SetAsString(company);
                }
                WriteTexts(t, *this);
                t.Post();
                writing.Commit();
            }
        }
    }
    // Told, the user may save again on purpose: the list then shows what is stored now.
    if (overtaken) platform::ShowMessage(kChangedByAnother, platform::MsgIcon::Information);
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
    const RowTexts listed = Texts(m.PesquisarDS);
    platform::TTable& t = m.TabelaAtualiza;
    {
        OpenXrefTable(t);
        platform::ScopeExit close([&] { t.Close(); });
        platform::TTableTransaction writing(t);
        t.SetKey();
        // The row as stored: a key kept with a blank must not find its trimmed twin.
        if (!t.FindKey({stored.first, stored.second})) {
            platform::ShowMessage("Não foi possível apagar o registro.", platform::MsgIcon::Information);
        } else if (Texts(t) != listed) {
            // Another window's edit since the list showed the row is not deleted unseen.
            platform::ShowMessage(kChangedByAnother, platform::MsgIcon::Information);
        } else {
            t.Delete();
            writing.Commit();
            t.First();
        }
    }
    ReloadDSList(m, kAll);
}

}  // namespace vorel
