// The "Transistors" and "Diodes" tabs: per device a quick-search box, the
// equivalents criteria and the data sheets, each sheet showing the current
// original above its current equivalent.
#include <QCheckBox>
#include <QComboBox>
#include <QFrame>
#include <QGridLayout>
#include <QGroupBox>
#include <QHBoxLayout>
#include <QLabel>
#include <QPushButton>
#include <QVBoxLayout>
#include <map>

#include "app/data/TableSchemas.h"
#include "app/ui/TFormulario.h"
#include "platform/qt/qtglue/Controls.h"
#include "platform/qt/dbcontrols/DBGrid.h"
#include "platform/qt/dbcontrols/DBText.h"
#include "platform/qt/dbcontrols/Image.h"
#include "platform/qt/qtglue/CaseEdit.h"
#include "platform/qt/qtglue/Guard.h"
#include "platform/qt/qtglue/PageControl.h"

namespace vorel {

using platform::Named;
using platform::ScrolledContent;

namespace {

// Column titles as the data sheets show them (the legend explains them).
const std::map<std::string, std::string>& Titles() {
    static const std::map<std::string, std::string> t = {
        {"Identificacao", "Identification"}, {"Uso", "Use"}, {"Polaridade", "Polarity"},
        {"Vceosus", "Vceo(sus)"}, {"Vcev", "Vce"}, {"Vbrceo", "V(BR)ceo"}, {"Hfe1", "HFE"},
        {"Ichfe1", "@ Ic (mA)"}, {"Hfe2", "Hfe"}, {"Ichfe2", "@ Ic (mA)"}, {"Icibvce", "@ Ic/Ib"},
        {"Icibvbe", "@ Ic/Ib"}, {"Ft", "fT"}, {"Toff", "toff"}, {"Ictoff", "@ Ic"}, {"Ftip", "F tip"},
        {"Fftip", "@ f"}, {"Io", "If"}, {"Marca", "Marking"}, {"Tn", "Vz"}, {"Tolerancia", "Tolerance"},
    };
    return t;
}

// How wide a grid of these fields of a table wants to be, in characters:
// side by side, grids share the width in this proportion.
int CharactersShown(const std::string& tableFile, const std::vector<std::string>& fields) {
    int chars = 0;
    const platform::TTableSchema& schema = SchemaOf(tableFile);
    for (const std::string& f : fields) {
        const auto title = Titles().find(f);
        int n = static_cast<int>(title == Titles().end() ? f.size() : title->second.size());
        for (const platform::TFieldDef& def : schema.Fields)
            if (def.Name == f) n = std::max(n, platform::TDBGrid::TypicalCharacters(def.DataType, def.Size));
        chars += n;
    }
    return chars;
}

std::vector<platform::TColumn> ColumnsOf(const std::vector<std::string>& fields) {
    std::vector<platform::TColumn> cols;
    for (const auto& f : fields) {
        auto it = Titles().find(f);
        cols.push_back({f, it == Titles().end() ? f : it->second});
    }
    return cols;
}

// What one sheet shows for one side (original or equivalent).
struct SheetLayout {
    bool company = false;                    // the company label
    std::vector<std::vector<std::string>> grids;
    std::string memo;                           // a read-only memo field
    bool pictures = false;
    std::string note;                           // a label field under the picture
};

QLabel* Caption(const QString& text) {
    auto* l = new QLabel(text);
    QFont f = l->font();
    f.setBold(true);
    l->setFont(f);
    return l;
}

// The object names one device's widgets take.
struct DeviceNames {
    std::string tableFile;   // the device table's file
    QString prefix;          // of the sheet widgets' names
    QString quickSearch;     // the quick-search box
    QString equivalents;     // the search button
    QString imageOriginal, imageEquivalent;
    QString gridsOriginal, gridsEquivalent;  // numbered from 1 across the sheets
};

// The quick-search box, the equivalents criteria and the search button.
QWidget* BuildSearchBar(TFormulario& form, DevicePanel& panel, const DeviceNames& names);
// The criteria: one check box per criterion, ranges first with their
// percentage combos, three to a row under a header line.
QGroupBox* BuildCriteria(TFormulario& form, DevicePanel& panel);
// One data sheet: the original above its equivalent; gridNo counts the
// grids of the sheets before.
QWidget* BuildSheet(DevicePanel& panel, const SheetLayout& layout, const DeviceNames& names, int& gridNo);
// One side of a sheet: its heading (identification, company) and its body
// (memo, grids, picture and note).
void BuildSheetSide(QVBoxLayout& sheet, DevicePanel& panel, const SheetLayout& layout, const DeviceNames& names,
                    bool original, int firstGrid, int& gridNo);

// Builds one device's search bar and sheets into page; fills panel.
void BuildDevice(TFormulario& form, DevicePanel& panel, QWidget* page, const std::vector<SheetLayout>& sheets,
                 const DeviceNames& names) {
    auto* v = new QVBoxLayout(ScrolledContent(page));
    v->setContentsMargins(8, 8, 8, 8);
    v->setSpacing(8);
    v->addWidget(BuildSearchBar(form, panel, names));

    auto* sheetTabs = new QTabWidget;
    sheetTabs->setObjectName(names.prefix + "Sheets");
    int gridNo = 0;
    for (size_t s = 0; s < sheets.size(); ++s)
        sheetTabs->addTab(BuildSheet(panel, sheets[s], names, gridNo), QString("Sheet %1").arg(s + 1));
    v->addWidget(sheetTabs, 1);
}

// Quick search above the button on the left, the criteria two to a row
// beside them, so the bar fits a 1024-pixel screen.
QWidget* BuildSearchBar(TFormulario& form, DevicePanel& panel, const DeviceNames& names) {
    auto* bar = new QFrame;
    bar->setFrameShape(QFrame::StyledPanel);
    auto* h = new QHBoxLayout(bar);
    h->setContentsMargins(10, 6, 10, 6);
    h->setSpacing(14);

    auto* quick = new QVBoxLayout;
    quick->addWidget(new QLabel("Quick search:"));
    panel.QuickSearchBox = Named(new platform::TCaseEdit(platform::CharCase::Upper), names.quickSearch);
    panel.QuickSearchBox->setMinimumWidth(170);
    panel.QuickSearchBox->setClearButtonEnabled(false);
    quick->addWidget(panel.QuickSearchBox);
    quick->addStretch(1);
    panel.EquivalentsButton = Named(new QPushButton("Search equivalents"), names.equivalents);
    panel.EquivalentsButton->setDefault(false);
    panel.EquivalentsButton->setMinimumHeight(34);
    quick->addWidget(panel.EquivalentsButton);
    h->addLayout(quick);

    h->addWidget(BuildCriteria(form, panel));
    h->addStretch(1);
    return bar;
}

QGroupBox* BuildCriteria(TFormulario& form, DevicePanel& panel) {
    const DeviceCriteria& criteria = CriteriaOf(panel.device);
    auto* criteriaBox = new QGroupBox("Search criteria");
    auto* g = new QGridLayout(criteriaBox);
    g->setHorizontalSpacing(8);
    g->setVerticalSpacing(4);
    std::map<std::string, QCheckBox*> boxes;
    std::map<std::string, QComboBox*> combos;
    const int perRow = 2;
    int slot = 0;
    // Range criteria first (they carry combos), then the equalities.
    for (int pass = 0; pass < 2; ++pass)
        for (const Criterion& c : criteria.criteria) {
            if (c.equality != (pass == 1) || boxes.count(c.checkbox)) continue;
            auto* box = Named(new QCheckBox(QString::fromStdString(c.caption)), QString::fromStdString(c.checkbox));
            box->setChecked(true);
            box->setEnabled(c.enabledAtStart);
            boxes[c.checkbox] = box;
            const int row = 1 + slot / perRow, col = (slot % perRow) * 3;
            g->addWidget(box, row, col);
            if (!c.equality) {
                auto* combo = Named(new QComboBox, QString::fromStdString(c.combo));
                for (const auto& item : PercentItems()) combo->addItem(QString::fromStdString(item));
                combo->setEnabled(c.enabledAtStart);
                combo->setMaxVisibleItems(12);
                combos[c.combo] = combo;
                g->addWidget(combo, row, col + 1);
                form.PercentCombos.push_back(combo);
            }
            ++slot;
        }
    for (int i = 0; i < perRow; ++i) {
        auto* head = new QLabel("% beyond the original");
        head->setWordWrap(true);  // two short lines over a narrow combo
        head->setMinimumWidth(head->fontMetrics().horizontalAdvance("% beyond the") + 4);
        g->addWidget(head, 0, i * 3 + 1, Qt::AlignBottom);
        if (i + 1 < perRow) g->setColumnMinimumWidth(i * 3 + 2, 16);
    }
    g->setRowStretch(g->rowCount(), 1);
    // The panel lists them in the criteria's own order.
    for (const Criterion& c : criteria.criteria) {
        panel.Checks.push_back(boxes[c.checkbox]);
        panel.Combos.push_back(c.equality ? nullptr : combos[c.combo]);
    }
    return criteriaBox;
}

QWidget* BuildSheet(DevicePanel& panel, const SheetLayout& layout, const DeviceNames& names, int& gridNo) {
    auto* sheet = new QWidget;
    auto* sv = new QVBoxLayout(sheet);
    sv->setContentsMargins(8, 8, 8, 8);
    sv->setSpacing(6);
    // Both sides number their grids alike: DBGridTO1 stands above DBGridT1.
    const int firstGrid = gridNo;
    for (bool original : {true, false}) {
        BuildSheetSide(*sv, panel, layout, names, original, firstGrid, gridNo);
        if (original) {
            auto* line = new QFrame;
            line->setFrameShape(QFrame::HLine);
            line->setFrameShadow(QFrame::Sunken);
            sv->addWidget(line);
        }
    }
    return sheet;
}

void BuildSheetSide(QVBoxLayout& sheet, DevicePanel& panel, const SheetLayout& layout, const DeviceNames& names,
                    bool original, int firstGrid, int& gridNo) {
    auto& bound = panel.Bound;
    const QString& prefix = names.prefix;
    auto* head = new QHBoxLayout;
    head->setSpacing(10);
    head->addWidget(Caption(original ? "Original:" : "Equivalent:"));
    auto* ident = new platform::TDBText;
    ident->SetDataField("Identificacao");
    ident->setProperty("original", original);
    QFont bf = ident->font();
    bf.setBold(true);
    ident->setFont(bf);
    bound.push_back(ident);
    head->addWidget(ident);
    if (layout.company) {
        head->addSpacing(16);
        head->addWidget(new QLabel("Company:"));
        auto* companyText = Named(new platform::TDBText, prefix + (original ? "FabricanteO" : "Fabricante"));
        companyText->SetDataField("Fabricante");
        companyText->setProperty("original", original);
        bound.push_back(companyText);
        head->addWidget(companyText);
    }
    head->addStretch(1);
    sheet.addLayout(head);

    auto* body = new QHBoxLayout;
    body->setSpacing(8);
    if (!layout.memo.empty()) {
        auto* memo = Named(new platform::TDBMemo, prefix + QString::fromStdString(layout.memo) + (original ? "O" : ""));
        memo->SetDataField(layout.memo);
        memo->setProperty("original", original);
        memo->setMinimumHeight(60);
        bound.push_back(memo);
        body->addWidget(memo, 24);  // shares the width with the grid beside it by characters, like the grids
    }
    gridNo = firstGrid;
    for (const auto& fields : layout.grids) {
        ++gridNo;
        auto* grid = Named(new platform::TDBGrid,
                           (original ? names.gridsOriginal : names.gridsEquivalent) + QString::number(gridNo));
        grid->SetColumns(ColumnsOf(fields));
        grid->SetFitToWidth(true);  // a sideways scroll bar in one grid only would shift its rows off its neighbour's
        grid->setProperty("original", original);
        (original ? panel.OriginalGrids : panel.EquivalentGrids).push_back(grid);
        body->addWidget(grid, CharactersShown(names.tableFile, fields));
    }
    if (layout.pictures) {
        auto* pic = new QVBoxLayout;
        auto* image = Named(new platform::TImage, original ? names.imageOriginal : names.imageEquivalent);
        image->setMinimumSize(180, 120);
        (original ? panel.Picture1 : panel.Picture2) = image;
        pic->addWidget(image, 1);
        if (!layout.note.empty()) {
            auto* note = Named(new platform::TDBText, prefix + "Nota" + (original ? "O" : ""));
            note->SetDataField(layout.note);
            note->setProperty("original", original);
            note->setWordWrap(true);
            bound.push_back(note);
            auto* noteRow = new QHBoxLayout;
            noteRow->addWidget(new QLabel("Note:"));
            noteRow->addWidget(note, 1);
            pic->addLayout(noteRow);
        }
        body->addLayout(pic, 1);
    }
    sheet.addLayout(body, 1);
}

}  // namespace

void TFormulario::BuildTransistorTab() {
    TabSheet1_2 = Named(new QWidget, "TabSheet1_2");
    PageControl1->addTab(TabSheet1_2, "Transistors");
    auto* v = new QVBoxLayout(TabSheet1_2);
    v->setContentsMargins(4, 4, 4, 4);
    auto* sub = new QTabWidget;
    auto* bipolars = new QWidget;
    sub->addTab(bipolars, "Bipolars");
    v->addWidget(sub);

    const std::vector<SheetLayout> sheets = {
        {true, {{"Identificacao", "Uso", "Polaridade"}, {"Vceo", "Vceosus", "Vcev", "Vbrceo", "Vcbo"}}, "", false, ""},
        {false, {{"Vebo", "Ic", "Icm", "Ib", "Ibm"}, {"Pd", "Tpd", "Hfe1", "Ichfe1"}}, "", false, ""},
        {false, {{"Hfe2", "Ichfe2"}, {"Vcesat", "Icibvce"}}, "", false, ""},
        {false, {{"Vbesat", "Icibvbe", "Ft"}, {"Toff", "Ictoff"}}, "", false, ""},
        {false, {{"Ftip", "Fftip"}}, "Observacoes", false, ""},
        {false, {}, "", true, ""},
    };
    BuildDevice(*this, transistors_, bipolars, sheets,
                {"Transistores.db", "T", "TBBuscaRapida", "TransistoresEquivalentes", "ImagemTransistor1", "ImagemTransistor2", "DBGridTO",
                 "DBGridT"});
    for (size_t i = 0; i < 9; ++i) {
        DBGridTO[i] = transistors_.OriginalGrids[i];
        DBGridT[i] = transistors_.EquivalentGrids[i];
    }
    transistors_.QuickSearchEnabled = &QuickSearchEnabledTB;
    TBBuscaRapida = transistors_.QuickSearchBox;
    ImagemTransistor1 = transistors_.Picture1;
    ImagemTransistor2 = transistors_.Picture2;
    TransistoresEquivalentes = transistors_.EquivalentsButton;
}

void TFormulario::BuildDiodeTabs() {
    TabSheet1_3 = Named(new QWidget, "TabSheet1_3");
    PageControl1->addTab(TabSheet1_3, "Diodes");
    auto* v = new QVBoxLayout(TabSheet1_3);
    v->setContentsMargins(4, 4, 4, 4);
    auto* sub = new QTabWidget;
    auto* rectifiers = new QWidget;
    auto* zeners = new QWidget;
    sub->addTab(rectifiers, "Rectifier diodes");
    sub->addTab(zeners, "Zener diodes");
    v->addWidget(sub);

    const std::vector<SheetLayout> r = {
        {true, {{"Identificacao", "Uso"}, {"Vrm", "Vr", "Io", "Ifsm", "Pd"}}, "", false, ""},
        {false, {}, "", true, "Nota"},
    };
    BuildDevice(*this, rectifiers_, rectifiers, r,
                {"DiodosR.db", "DR", "DRBuscaRapida", "DiodosREquivalentes", "ImagemDiodoR1", "ImagemDiodoR2", "DBGridDRO", "DBGridDR"});
    DBGridDRO = {rectifiers_.OriginalGrids[0], rectifiers_.OriginalGrids[1]};
    DBGridDR = {rectifiers_.EquivalentGrids[0], rectifiers_.EquivalentGrids[1]};

    const std::vector<SheetLayout> z = {
        {true, {{"Identificacao", "Marca", "Tn"}, {"Iz", "Pd", "Tj", "Rij", "Tolerancia"}}, "", false, ""},
        {false, {}, "", true, "Nota"},
    };
    BuildDevice(*this, zeners_, zeners, z,
                {"DiodosZ.db", "DZ", "DZBuscaRapida", "DiodosZEquivalentes", "ImagemDiodoZ1", "ImagemDiodoZ2", "DBGridDZO", "DBGridDZ"});
    DBGridDZO = {zeners_.OriginalGrids[0], zeners_.OriginalGrids[1]};
    DBGridDZ = {zeners_.EquivalentGrids[0], zeners_.EquivalentGrids[1]};

    rectifiers_.QuickSearchEnabled = &QuickSearchEnabledDR;
    zeners_.QuickSearchEnabled = &QuickSearchEnabledDZ;
    DRBuscaRapida = rectifiers_.QuickSearchBox;
    DZBuscaRapida = zeners_.QuickSearchBox;
    ImagemDiodoR1 = rectifiers_.Picture1;
    ImagemDiodoR2 = rectifiers_.Picture2;
    ImagemDiodoZ1 = zeners_.Picture1;
    ImagemDiodoZ2 = zeners_.Picture2;
    DiodosREquivalentes = rectifiers_.EquivalentsButton;
    DiodosZEquivalentes = zeners_.EquivalentsButton;
}

}  // namespace vorel
