#include "htmlview/forms/FormControlObjs.h"

#include "htmlview/layout/Canvas.h"
#include "htmlview/layout/Cell.h"
#include "htmlview/layout/SectionList.h"
#include "htmlview/layout/TextMetrics.h"
#include "htmlview/util/Colors.h"
#include "htmlview/util/HtmlUtils.h"
#include "platform/core/runtime/Codepage.h"
#include "platform/qt/qtglue/Guard.h"

#include <QCheckBox>
#include <QComboBox>
#include <QLineEdit>
#include <QListWidget>
#include <QPalette>
#include <QPushButton>
#include <QRadioButton>
#include <QStyle>
#include <algorithm>
#include <cstdlib>

namespace htmlview {

namespace {

QString toQt(const std::string& cp1252) { return QString::fromStdString(platform::Cp1252ToUtf8(cp1252)); }
std::string fromQt(const QString& text) { return platform::Utf8ToCp1252(text.toStdString()); }

const TAttribute* find(const TAttributeList* attributes, THtmlSymbol symbol) {
    return attributes ? attributes->Find(symbol) : nullptr;
}

std::string text(const TAttributeList* attributes, THtmlSymbol symbol) {
    const TAttribute* a = find(attributes, symbol);
    return a ? a->Text : std::string();
}

TFont fixedFont(const TSectionList* document) {
    TFont f;
    f.SetName(document ? document->FixedFontName : std::string("Courier New"));
    f.SetSize(10);
    return f;
}

// The screen's default font: buttons and drop-down lists keep it.
TFont screenFont() {
    TFont f;
    f.SetName("MS Sans Serif");
    f.SetSize(8);
    return f;
}

QWidget* panelOf(TSectionList* document) { return document ? document->Panel : nullptr; }

// Sizes from the page are kept in a range that no product overflows.
int clampSide(long long v) { return static_cast<int>(std::clamp(v, 0LL, 32000LL)); }

// Measures "A" (and other text) in the fixed-pitch font on the canvas.
struct FixedMeasure {
    TCanvas& canvas;
    TFont saved;
    FixedMeasure(TCanvas& c, const TSectionList* document) : canvas(c), saved(c.Font) { canvas.Font = fixedFont(document); }
    ~FixedMeasure() { canvas.Font = saved; }
    int width(const std::string& s) { return canvas.TextWidth(s); }
    int height() { return canvas.TextHeight("A"); }
};

QColor qcolor(TColor c) {
    TColor rgb = ColorToRGB(c);
    return QColor(RedOf(rgb), GreenOf(rgb), BlueOf(rgb));
}

// The object-click event of buttons, check boxes and radio buttons.
void objectClick(TFormControlObj* control, const std::string& clickText) {
    TSectionList* doc = control->Document;
    if (doc && doc->OnObjectClick) doc->OnObjectClick(doc->Viewer, control, clickText);
}

}  // namespace

// ---- edit ----

TEditFormControlObj::TEditFormControlObj(TSectionList* document, ThtmlForm* form, const std::string& typeText,
                                         const TAttributeList* attributes, int pos)
    : TFormControlObj(document, form, attributes, pos) {
    if (const TAttribute* size = find(attributes, attrSIZE)) {
        if (size->NumValue > 0) {
            Size = size->NumValue;
        } else {
            const std::string head = size->Text.substr(0, size->Text.find_first_of(" ,"));
            if (!head.empty()) {
                char* end = nullptr;
                long v = std::strtol(head.c_str(), &end, 10);
                Size = (end && *end == 0 && v > 0 && v <= 10000) ? static_cast<int>(v) : 20;
            }
        }
    }
    Size = std::clamp(Size, 1, 10000);
    auto* edit = new QLineEdit(panelOf(document));
    edit->setGeometry(0, -400, 120, 20);
    edit->setFont(QtTextMetrics::ToQFont(fixedFont(document)));
    edit->setText(toQt(Value));
    if (const TAttribute* max = find(attributes, attrMAXLENGTH); max && max->NumValue > 0)
        edit->setMaxLength(std::min(max->NumValue, 32767));
    if (typeText == "password") edit->setEchoMode(QLineEdit::Password);
    QObject::connect(edit, &QLineEdit::returnPressed, edit, [this] {
        platform::Guarded([this] {
            if (Form) Form->EditKeyPress(13);
        });
    });
    TheControl = edit;
}

QLineEdit* TEditFormControlObj::Edit() const { return static_cast<QLineEdit*>(TheControl.data()); }

void TEditFormControlObj::ResetToDefault() {
    if (QLineEdit* e = Edit()) e->setText(toQt(Value));
}

bool TEditFormControlObj::GetSubmission(int index, std::string& s) {
    if (index != 0 || !Edit()) return false;
    s = Name + "=" + fromQt(Edit()->text());
    return true;
}

void TEditFormControlObj::SetSize(TCanvas& canvas) {
    if (!Edit()) return;
    FixedMeasure m(canvas, Document);
    Edit()->resize(clampSide(static_cast<long long>(m.width("A")) * Size + 5), Edit()->height());
}

// ---- button ----

TButtonFormControlObj::TButtonFormControlObj(TSectionList* document, ThtmlForm* form, const std::string& typeText,
                                             const TAttributeList* attributes, int pos)
    : TFormControlObj(document, form, attributes, pos) {
    std::string caption;
    if (typeText == "submit") {
        Kind = kSubmit;
        caption = "Submit";
    } else if (typeText == "reset") {
        Kind = kReset;
        caption = "Reset";
    } else {
        Kind = kButton;
        caption = "Button";
    }
    if (Value.empty()) Value = caption;
    ClickText = text(attributes, attrONCLICK);
    auto* button = new QPushButton(toQt(Value), panelOf(document));
    button->move(0, -400);
    QObject::connect(button, &QPushButton::clicked, button, [this] { platform::Guarded([this] { Click(); }); });
    TheControl = button;
}

QPushButton* TButtonFormControlObj::Button() const { return static_cast<QPushButton*>(TheControl.data()); }

void TButtonFormControlObj::Click() {
    objectClick(this, ClickText);
    if (!Form) return;
    if (Kind == kReset) {
        Form->ResetControls();
    } else if (Kind == kSubmit) {
        if (!Name.empty()) {
            const std::string extra = Name + "=" + Value;
            Form->Submit(&extra);
        } else {
            Form->Submit(nullptr);
        }
    }
}

void TButtonFormControlObj::SetSize(TCanvas& canvas) {
    if (!Button()) return;
    const TFont saved = canvas.Font;
    canvas.Font = screenFont();
    const int h = canvas.TextHeight("A") + 8;
    const int w = canvas.TextWidth(Value) + 20;
    canvas.Font = saved;
    Button()->resize(clampSide(w), clampSide(h));
}

// ---- check box ----

TCheckBoxFormControlObj::TCheckBoxFormControlObj(TSectionList* document, ThtmlForm* form,
                                                 const TAttributeList* attributes, int pos)
    : TFormControlObj(document, form, attributes, pos) {
    if (Value.empty()) Value = "On";
    InitialChecked = find(attributes, attrCHECKED) != nullptr;
    ClickText = text(attributes, attrONCLICK);
    OnBaseline = true;
    auto* box = new QCheckBox(panelOf(document));
    box->setGeometry(0, -400, 13, 13);
    box->setChecked(InitialChecked);
    // clicked, not toggled: only the user's click reaches the page.
    QObject::connect(box, &QCheckBox::clicked, box, [this] { platform::Guarded([this] { objectClick(this, ClickText); }); });
    TheControl = box;
}

QCheckBox* TCheckBoxFormControlObj::CheckBox() const { return static_cast<QCheckBox*>(TheControl.data()); }

void TCheckBoxFormControlObj::ResetToDefault() {
    if (CheckBox()) CheckBox()->setChecked(InitialChecked);
}

bool TCheckBoxFormControlObj::GetSubmission(int index, std::string& s) {
    if (index != 0 || !CheckBox()) return false;
    if (CheckBox()->isChecked()) s = Name + "=" + Value;
    return true;
}

// ---- radio button ----

TRadioButtonFormControlObj::TRadioButtonFormControlObj(TSectionList* document, ThtmlForm* form,
                                                       const TAttributeList* attributes, int pos)
    : TFormControlObj(document, form, attributes, pos) {
    InitialChecked = find(attributes, attrCHECKED) != nullptr;
    ClickText = text(attributes, attrONCLICK);
    OnBaseline = true;
    auto* panel = new QWidget(panelOf(document));
    panel->setGeometry(0, -400, 13, 14);
    panel->setAutoFillBackground(true);
    RadioButton = new QRadioButton(panel);
    RadioButton->setGeometry(0, 0, 13, 14);
    RadioButton->setAutoExclusive(false);  // the form keeps groups by name
    RadioButton->setChecked(InitialChecked);
    QObject::connect(RadioButton, &QRadioButton::clicked, RadioButton, [this] {
        platform::Guarded([this] {
            if (Form) Form->ClearOthers(this);
            objectClick(this, ClickText);
        });
    });
    TheControl = panel;
}

void TRadioButtonFormControlObj::SetCheckedByDefault(bool checked) {
    InitialChecked = checked;
    SetChecked(checked);
}

QWidget* TRadioButtonFormControlObj::GetControl() { return TheControl ? RadioButton : nullptr; }

void TRadioButtonFormControlObj::ResetToDefault() {
    if (TheControl) RadioButton->setChecked(InitialChecked);
}

void TRadioButtonFormControlObj::SetChecked(bool checked) {
    if (TheControl) RadioButton->setChecked(checked);
}

bool TRadioButtonFormControlObj::GetSubmission(int index, std::string& s) {
    if (index != 0 || !TheControl) return false;
    if (RadioButton->isChecked()) s = Name + "=" + Value;
    return true;
}

void TRadioButtonFormControlObj::Placed(const TCell* cell) {
    if (!TheControl) return;
    TColor colour = 0;
    if (cell && cell != static_cast<const TCell*>(Document) && cell->HasBackColor) colour = cell->BackColor;
    else if (Document) colour = Document->BackColor;
    QPalette p = TheControl->palette();
    p.setColor(QPalette::Window, qcolor(colour));
    TheControl->setPalette(p);
}

// ---- hidden and image ----

bool THiddenFormControlObj::GetSubmission(int index, std::string& s) {
    if (index != 0) return false;
    s = Name + "=" + Value;
    return true;
}

void TImageFormControlObj::RecordHit(int ix, int iy) {
    HitX = ix;
    HitY = iy;
}

void TImageFormControlObj::ImageClicked() {
    ClickX = HitX;
    ClickY = HitY;
    if (Form) Form->Submit(nullptr);
}

bool TImageFormControlObj::GetSubmission(int index, std::string& s) {
    if (ClickX < 0 || index > 1) return false;
    const std::string prefix = Name.empty() ? std::string() : Name + ".";
    if (index == 0) {
        s = prefix + "x=" + std::to_string(ClickX);
    } else {
        s = prefix + "y=" + std::to_string(ClickY);
        ClickX = -1;
    }
    return true;
}

// ---- list box and drop-down list ----

TListBoxFormControlObj::TListBoxFormControlObj(TSectionList* document, ThtmlForm* form,
                                               const TAttributeList* attributes, int pos, NoWindow)
    : TFormControlObj(document, form, attributes, pos) {
    readAttributes(attributes);
}

TListBoxFormControlObj::TListBoxFormControlObj(TSectionList* document, ThtmlForm* form,
                                               const TAttributeList* attributes, int pos)
    : TListBoxFormControlObj(document, form, attributes, pos, NoWindow{}) {
    auto* list = new QListWidget(panelOf(document));
    list->move(0, -400);
    list->setFont(QtTextMetrics::ToQFont(fixedFont(document)));
    if (Multiple) list->setSelectionMode(QAbstractItemView::ExtendedSelection);
    list->setHorizontalScrollBarPolicy(Qt::ScrollBarAlwaysOff);
    list->setUniformItemSizes(true);
    TheControl = list;
}

void TListBoxFormControlObj::readAttributes(const TAttributeList* attributes) {
    Multiple = find(attributes, attrMULTIPLE) != nullptr;
    // A SIZE that is not a positive row count is taken as automatic.
    if (const TAttribute* size = find(attributes, attrSIZE); size && size->NumValue > 0)
        Rows = std::min(size->NumValue, 1000);
}

QListWidget* TListBoxFormControlObj::ListBox() const { return qobject_cast<QListWidget*>(TheControl.data()); }

void TListBoxFormControlObj::AddOption(const std::string& text, const std::string& value, bool selected) {
    TOptionObj o;
    o.Value = value;
    o.HasValue = !value.empty();
    o.Selected = selected;
    Options.emplace_back(text, o);
    LongestText = std::max(LongestText, static_cast<int>(text.size()));
}

void TListBoxFormControlObj::ResetToDefault() {
    QListWidget* list = ListBox();
    if (!list) return;
    list->clear();
    int current = -1;
    for (std::size_t i = 0; i < Options.size(); ++i) {
        list->addItem(toQt(Options[i].first));
        if (Options[i].second.Selected) current = static_cast<int>(i);
    }
    if (Multiple) {
        for (std::size_t i = 0; i < Options.size(); ++i)
            list->item(static_cast<int>(i))->setSelected(Options[i].second.Selected);
    } else if (!Options.empty()) {
        list->setCurrentRow(std::max(0, current));
    }
    list->scrollToTop();
}

bool TListBoxFormControlObj::submission(int index, bool chosen, std::string& s) const {
    if (index < 0 || index >= static_cast<int>(Options.size())) return false;
    if (chosen) {
        const auto& [text, option] = Options[static_cast<std::size_t>(index)];
        s = Name + "=" + (option.HasValue ? option.Value : text);
    }
    return true;
}

bool TListBoxFormControlObj::GetSubmission(int index, std::string& s) {
    QListWidget* list = ListBox();
    if (!list || index >= list->count()) return false;
    const bool chosen = Multiple ? list->item(index)->isSelected() : list->currentRow() == index;
    return submission(index, chosen, s);
}

void TListBoxFormControlObj::SetSize(TCanvas& canvas) {
    QListWidget* list = ListBox();
    if (!list) return;
    FixedMeasure m(canvas, Document);
    const int rows = Rows == -1 ? std::max(1, std::min(8, static_cast<int>(Options.size()))) : Rows;
    const int line = std::max(1, m.height());
    // Rows are one line of the font high, so `rows` of them fill the client area.
    for (int i = 0; i < list->count(); ++i) list->item(i)->setSizeHint(QSize(-1, line));
    // The client area is what the sizes name; the frame and a needed scroll bar come on top.
    const int frame = 2 * list->frameWidth();
    const int bar = list->count() > rows ? list->style()->pixelMetric(QStyle::PM_ScrollBarExtent) : 0;
    list->resize(clampSide(static_cast<long long>(m.width("A")) * LongestText + 15 + frame + bar),
                 clampSide(static_cast<long long>(line) * rows + frame));
}

TComboFormControlObj::TComboFormControlObj(TSectionList* document, ThtmlForm* form, const TAttributeList* attributes,
                                           int pos)
    : TListBoxFormControlObj(document, form, attributes, pos, NoWindow{}) {
    auto* combo = new QComboBox(panelOf(document));
    combo->move(0, -400);
    combo->setFont(QtTextMetrics::ToQFont(fixedFont(document)));
    combo->setEditable(false);
    TheControl = combo;
}

QComboBox* TComboFormControlObj::Combo() const { return qobject_cast<QComboBox*>(TheControl.data()); }

void TComboFormControlObj::ResetToDefault() {
    QComboBox* combo = Combo();
    if (!combo) return;
    combo->clear();
    int current = -1;
    for (std::size_t i = 0; i < Options.size(); ++i) {
        combo->addItem(toQt(Options[i].first));
        if (Options[i].second.Selected) current = static_cast<int>(i);
    }
    if (!Options.empty()) combo->setCurrentIndex(std::max(0, current));
}

bool TComboFormControlObj::GetSubmission(int index, std::string& s) {
    QComboBox* combo = Combo();
    if (!combo || index >= combo->count()) return false;
    return submission(index, combo->currentIndex() == index, s);
}

void TComboFormControlObj::SetSize(TCanvas& canvas) {
    QComboBox* combo = Combo();
    if (!combo) return;
    const TFont saved = canvas.Font;
    canvas.Font = screenFont();
    const int w = canvas.TextWidth("A");
    canvas.Font = saved;
    combo->resize(clampSide(static_cast<long long>(w) * LongestText + 30), combo->sizeHint().height());
}

}  // namespace htmlview
