#include "app/editor/TextEditor.h"

#include <QApplication>
#include <QClipboard>
#include <QFileDialog>
#include <QFileInfo>
#include <QFontDialog>
#include <QHBoxLayout>
#include <QKeyEvent>
#include <QLabel>
#include <QLineEdit>
#include <QPainter>
#include <QPrintDialog>
#include <QPrinter>
#include <QRegularExpressionValidator>
#include <QPointer>
#include <QStatusBar>
#include <QStyle>
#include <QTextBlock>
#include <QTextCursor>
#include <QTextDocumentWriter>
#include <QTextLayout>
#include <QTextList>
#include <QToolButton>
#include <QVBoxLayout>
#include <algorithm>
#include <cmath>
#include <filesystem>
#include <memory>

#include "app/editor/LayoutMarks.h"
#include "app/editor/NotesView.h"
#include "app/editor/TRuler.h"
#include "app/rtf/RichFile.h"
#include "app/rtf/RtfQt.h"
#include "platform/core/hostio/HostIo.h"
#include "platform/core/runtime/ScopeExit.h"
#include "platform/qt/qtglue/Guard.h"
#include "platform/qt/qtglue/Messenger.h"

namespace vorel {

int PointsFromPixels(long double pixels) { return static_cast<int>(pixels * 0.75L); }
int PixelsFromPoints(long double points) { return static_cast<int>(points * 1.3333333333333333334L); }

namespace {

constexpr int kRulerMargin = 60;  // markers never left of this
constexpr int kRightLimit = 730;  // the right marker never right of this
// The page the ruler measures: its text ends where the right marker's limit
// stands for a right indent of 0. Indents never depend on the window's width.
constexpr int kPageWidth = kRightLimit + 14;

// A small drawn icon: horizontal lines for alignment and bullets, or a glyph.
QIcon DrawnIcon(const std::function<void(QPainter&)>& draw) {
    QPixmap pm(20, 20);
    pm.fill(Qt::transparent);
    QPainter p(&pm);
    p.setRenderHint(QPainter::Antialiasing);
    draw(p);
    return QIcon(pm);
}

QIcon LinesIcon(int align) {
    return DrawnIcon([align](QPainter& p) {
        p.setPen(QPen(QColor(40, 40, 40), 1.6));
        const int widths[] = {14, 9, 14, 9};
        for (int i = 0; i < 4; ++i) {
            const int w = widths[i];
            const int x = align == 0 ? 3 : align == 1 ? 17 - w : 10 - w / 2;
            p.drawLine(x, 4 + i * 4, x + w, 4 + i * 4);
        }
    });
}

QIcon LetterIcon(const QString& text, bool bold, bool italic, bool underline) {
    return DrawnIcon([=](QPainter& p) {
        QFont f("Times New Roman");
        f.setPixelSize(15);
        f.setBold(bold);
        f.setItalic(italic);
        f.setUnderline(underline);
        p.setFont(f);
        p.setPen(QColor(20, 20, 20));
        p.drawText(QRect(0, 0, 20, 20), Qt::AlignCenter, text);
    });
}

QIcon BulletsIcon() {
    return DrawnIcon([](QPainter& p) {
        p.setPen(QPen(QColor(40, 40, 40), 1.6));
        p.setBrush(QColor(40, 40, 40));
        for (int i = 0; i < 3; ++i) {
            p.drawEllipse(QPointF(4, 5 + i * 5), 1.3, 1.3);
            p.drawLine(8, 5 + i * 5, 17, 5 + i * 5);
        }
    });
}

}  // namespace

TextEditor::TextEditor(bool& notesUnchanged, std::string& fileName, const std::string& openDirectory,
                           std::function<bool()> starting, QWidget* parent)
    : QWidget(parent),
      notesUnchanged_(notesUnchanged),
      fileName_(fileName),
      openDirectory_(openDirectory),
      starting_(std::move(starting)) {
    setObjectName("TextEditor");
    auto* v = new QVBoxLayout(this);
    v->setContentsMargins(0, 0, 0, 0);
    v->setSpacing(0);
    BuildToolBar();
    v->addWidget(Painel);
    Ruler = new TRuler;
    v->addWidget(Ruler);
    Texto = new NotesView;
    Texto->setObjectName("Texto");
    Texto->setAcceptRichText(true);
    Texto->setTabChangesFocus(false);
    Texto->setVerticalScrollBarPolicy(Qt::ScrollBarAlwaysOn);
    Texto->setLineWrapMode(QTextEdit::FixedPixelWidth);  // lines wrap on the ruler's page
    Texto->setLineWrapColumnOrWidth(kPageWidth);
    Texto->document()->setDefaultFont(QFont("MS Sans Serif", 10));
    Ruler->TabStopDistance = Texto->tabStopDistance();
    v->addWidget(Texto, 1);
    StatusBar = new QStatusBar;
    StatusBar->setObjectName("StatusBar");
    StatusBar->setSizeGripEnabled(false);
    for (int i = 0; i < 3; ++i) {
        auto* panel = new QLabel;
        panel->setObjectName(QString("StatusPanel%1").arg(i));
        panel->setMinimumWidth(i == 0 ? 120 : 70);
        if (i == 1) panel->setAlignment(Qt::AlignCenter);
        StatusBar->addWidget(panel, i == 2 ? 1 : 0);
        StatusPanels[static_cast<size_t>(i)] = panel;
    }
    v->addWidget(StatusBar);

    Ruler->OnMouseDown = [this](RulerMarker* m, int x) { RulerItemMouseDown(m, x); };
    Ruler->OnMouseMove = [this](RulerMarker* m, int x) { RulerItemMouseMove(m, x); };
    Ruler->OnMouseUp = [this](RulerMarker* m) { RulerItemMouseUp(m); };
    auto guard = [](auto handler) { return [handler] { platform::Guarded(handler); }; };
    connect(Texto, &QTextEdit::textChanged, this, guard([this] { TextoChange(); }));
    connect(Texto, &QTextEdit::cursorPositionChanged, this, guard([this] { TextoSelectionChange(); }));
    connect(Texto, &QTextEdit::selectionChanged, this, guard([this] { TextoSelectionChange(); }));
    WatchDocument();
    CopiasTexto->installEventFilter(this);

    // Production dialogs.
    ChooseFileToOpen = [this](const std::string& dir) {
        return QFileDialog::getOpenFileName(this, "Open", QString::fromStdString(dir),
                                            "All files (*.txt *.rtf);;RTF files (*.rtf);;Text files (*.txt)")
            .toStdString();
    };
    ChooseFileToSave = [this](const std::string& dir, const std::string& name) {
        QFileDialog dialog(this, "Save", QString::fromStdString(dir), "RTF files (*.rtf);;Text files (*.txt)");
        dialog.setAcceptMode(QFileDialog::AcceptSave);
        dialog.setDefaultSuffix("rtf");
        if (name != "Untitled") dialog.selectFile(QString::fromStdString(name));
        return dialog.exec() == QDialog::Accepted && !dialog.selectedFiles().isEmpty()
                   ? dialog.selectedFiles().front().toStdString()
                   : std::string();
    };
    ChooseFont = [this](const QFont& current) -> std::optional<QFont> {
        bool ok = false;
        const QFont f = QFontDialog::getFont(&ok, current, this, "Fonts");
        if (!ok) return std::nullopt;
        return f;
    };
    PreparePrinter = [this](QPrinter& printer) {
        QPrintDialog dialog(&printer, this);
        return dialog.exec() == QDialog::Accepted;
    };
    StatusPanels[2]->setText("Editing: Untitled");
    ReiniciaFormatoTexto();
    AjustaAreaTexto();
    // Formatting the empty text is no change of the notes.
    Texto->document()->clearUndoRedoStacks();
    Texto->document()->setModified(false);
    notesUnchanged_ = true;
    StatusPanels[1]->clear();
}

TextEditor::~TextEditor() { LeaveClipboardChain(); }

QToolButton* TextEditor::ToolButton(const char* name, const char* hint, const QIcon& icon, bool checkable) {
    auto* b = new QToolButton;
    b->setObjectName(name);
    b->setToolTip(hint);
    b->setIcon(icon);
    b->setIconSize(QSize(20, 20));
    b->setAutoRaise(true);
    b->setCheckable(checkable);
    b->setFocusPolicy(Qt::NoFocus);
    Painel->layout()->addWidget(b);
    return b;
}

void TextEditor::BuildToolBar() {
    Painel = new QWidget;
    Painel->setObjectName("Painel");
    auto* h = new QHBoxLayout(Painel);
    h->setContentsMargins(4, 2, 4, 2);
    h->setSpacing(1);
    QStyle* s = style();
    auto separator = [h] { h->addSpacing(10); };
    Colar = ToolButton("Colar", "Paste", LetterIcon("P", true, false, false));
    Copiar = ToolButton("Copiar", "Copy", LetterIcon("C", true, false, false));
    Recortar = ToolButton("Recortar", "Cut", LetterIcon("X", true, false, false));
    separator();
    Gravar = ToolButton("Gravar", "Save", s->standardIcon(QStyle::SP_DialogSaveButton));
    Limpar = ToolButton("Limpar", "Clear edition filed", s->standardIcon(QStyle::SP_FileIcon));
    Abrir = ToolButton("Abrir", "Open file", s->standardIcon(QStyle::SP_DialogOpenButton));
    separator();
    Negrito = ToolButton("Negrito", "Bold", LetterIcon("B", true, false, false), true);
    Italico = ToolButton("Italico", "Italic", LetterIcon("I", false, true, false), true);
    Sublinhado = ToolButton("Sublinhado", "Underline", LetterIcon("U", false, false, true), true);
    Fontes = ToolButton("Fontes", "Fonts", LetterIcon("A", false, false, false));
    separator();
    AlinharAEsquerda = ToolButton("AlinharAEsquerda", "Align left", LinesIcon(0), true);
    AlinharADireita = ToolButton("AlinharADireita", "Align right", LinesIcon(1), true);
    Centralizar = ToolButton("Centralizar", "Center", LinesIcon(2), true);
    separator();
    Desfazer = ToolButton("Desfazer", "Undo", s->standardIcon(QStyle::SP_ArrowBack));
    Numeracao = ToolButton("Numeracao", "Bullets", BulletsIcon(), true);
    ImprimeTexto = ToolButton("ImprimeTexto", "Print", LetterIcon("\u2399", false, false, false));
    separator();
    h->addWidget(new QLabel("Copies"));
    CopiasTexto = new QLineEdit("1");
    CopiasTexto->setObjectName("CopiasTexto");
    CopiasTexto->setMaxLength(3);
    CopiasTexto->setFixedWidth(CopiasTexto->fontMetrics().horizontalAdvance("0000") + 12);
    // Pasted text obeys the same rule as typed text: digits only.
    CopiasTexto->setValidator(new QRegularExpressionValidator(QRegularExpression("[0-9]*"), CopiasTexto));
    h->addWidget(CopiasTexto);
    h->addStretch(1);
    AlinharAEsquerda->setChecked(true);
    for (QToolButton* b : {Colar, Copiar, Recortar, Desfazer}) b->setEnabled(false);

    auto on = [this](QToolButton* b, auto handler) {
        connect(b, &QToolButton::clicked, this, [handler] { platform::Guarded(handler); });
    };
    on(Colar, [this] { ColarClick(); });
    on(Copiar, [this] { CopiarClick(); });
    on(Recortar, [this] { RecortarClick(); });
    on(Gravar, [this] { GravarClick(); });
    on(Limpar, [this] { LimparClick(); });
    on(Abrir, [this] { AbrirClick(); });
    on(Negrito, [this] { NegritoClick(); });
    on(Italico, [this] { ItalicoClick(); });
    on(Sublinhado, [this] { SublinhadoClick(); });
    on(Fontes, [this] { FontesClick(); });
    on(AlinharAEsquerda, [this] { AlignButtonClick(0); });
    on(AlinharADireita, [this] { AlignButtonClick(1); });
    on(Centralizar, [this] { AlignButtonClick(2); });
    on(Desfazer, [this] { DesfazerClick(); });
    on(Numeracao, [this] { NumeracaoClick(); });
    on(ImprimeTexto, [this] { ImprimeTextoClick(); });
}

// --- paragraph attributes ----------------------------------------------------

ParagraphAttributes TextEditor::Paragraph() const { return AttributesOf(Texto->textCursor().blockFormat()); }

ParagraphAttributes AttributesOf(const QTextBlockFormat& f) {
    ParagraphAttributes a;
    a.FirstIndent = static_cast<int>(std::lround((f.leftMargin() + f.textIndent()) * 0.75));
    a.LeftIndent = static_cast<int>(std::lround(-f.textIndent() * 0.75));
    a.RightIndent = static_cast<int>(std::lround(f.rightMargin() * 0.75));
    return a;
}

void TextEditor::SetParagraph(const ParagraphAttributes& a) {
    QTextBlockFormat f;
    f.setLeftMargin((a.FirstIndent + a.LeftIndent) * 4.0 / 3.0);
    f.setTextIndent(-a.LeftIndent * 4.0 / 3.0);
    f.setRightMargin(a.RightIndent * 4.0 / 3.0);
    QTextCursor c = Texto->textCursor();
    c.mergeBlockFormat(f);
}

// Markers stay between the ruler's margins whatever the paragraph says.
void TextEditor::PlaceMarkers(const ParagraphAttributes& a) {
    Ruler->FirstInd->move(std::max(PixelsFromPoints(a.FirstIndent) + 2, kRulerMargin), Ruler->FirstInd->y());
    Ruler->LeftInd->move(std::max(PixelsFromPoints(a.LeftIndent + a.FirstIndent) + 2, kRulerMargin),
                         Ruler->LeftInd->y());
    Ruler->RightInd->move(std::min(kPageWidth - PixelsFromPoints(a.RightIndent + 6) - 6, kRightLimit),
                          Ruler->RightInd->y());
}

ParagraphAttributes TextEditor::MarkerIndents() const {
    const int half = RulerMarker::kWidth / 2;
    ParagraphAttributes a;
    a.FirstIndent = PointsFromPixels(Ruler->FirstInd->x() + half - 6);
    a.LeftIndent = PointsFromPixels(Ruler->LeftInd->x() + half - 6) - a.FirstIndent;
    a.RightIndent = PointsFromPixels(kPageWidth + half - Ruler->RightInd->x() - 2) - 12;
    return a;
}

// --- handlers --------------------------------------------------------------------

void TextEditor::AtualizaLinhaColuna() {
    // Lines as the control shows them: wrapped lines count.
    const QTextCursor c = Texto->textCursor();
    const QTextBlock block = c.block();
    int line = 0;
    for (QTextBlock b = Texto->document()->begin(); b.isValid() && b != block; b = b.next())
        line += std::max(1, b.layout() ? b.layout()->lineCount() : 1);
    const int inBlock = c.positionInBlock();
    int lineStart = 0;
    if (QTextLayout* layout = block.layout(); layout && layout->lineCount() > 0) {
        const QTextLine l = layout->lineForTextPosition(inBlock);
        if (l.isValid()) {
            line += l.lineNumber();
            lineStart = l.textStart();
        }
    }
    StatusPanels[0]->setText(QString::asprintf("Line: %3d   Col: %3d", line + 1, inBlock - lineStart + 1));
    Copiar->setEnabled(c.hasSelection());
    Recortar->setEnabled(Copiar->isEnabled());
}

void TextEditor::MarcaModificado(bool modified) {
    StatusPanels[1]->setText(modified ? "Modified" : "");
    notesUnchanged_ = !modified;
}

void TextEditor::TextoChange() {
    MarcaModificado(Texto->document()->isModified());
    Desfazer->setEnabled(Texto->document()->isUndoAvailable());
}

void TextEditor::TextoSelectionChange() {
    updating_ = true;
    platform::ScopeExit clearUpdating([&] { updating_ = false; });
    if (!dragging_) PlaceMarkers(Paragraph());
    const QTextCharFormat f = Texto->currentCharFormat();
    Negrito->setChecked(f.fontWeight() >= QFont::DemiBold);
    Italico->setChecked(f.fontItalic());
    Sublinhado->setChecked(f.fontUnderline());
    Numeracao->setChecked(Texto->textCursor().currentList() != nullptr);
    const Qt::Alignment a = Texto->alignment() & Qt::AlignHorizontal_Mask;
    AlinharAEsquerda->setChecked(!(a & (Qt::AlignRight | Qt::AlignHCenter)));
    AlinharADireita->setChecked(a & Qt::AlignRight);
    Centralizar->setChecked(a & Qt::AlignHCenter);
    AtualizaLinhaColuna();
}

void TextEditor::DesenhaRegua() {
    Ruler->TabStopDistance = Texto->tabStopDistance();
    Ruler->update();
}

void TextEditor::WatchDocument() {
    auto guard = [](auto handler) { return [handler] { platform::Guarded(handler); }; };
    connect(Texto->document(), &QTextDocument::modificationChanged, this, guard([this] { TextoChange(); }));
    connect(Texto->document(), &QTextDocument::undoAvailable, this, guard([this] { TextoChange(); }));
}

std::unique_ptr<QTextDocument> TextEditor::NewDocument() const {
    const QTextDocument& current = *Texto->document();
    auto doc = std::make_unique<QTextDocument>();
    doc->setDefaultFont(current.defaultFont());
    doc->setDefaultTextOption(current.defaultTextOption());
    doc->setDocumentMargin(current.documentMargin());
    doc->setIndentWidth(current.indentWidth());
    doc->setUndoRedoEnabled(current.isUndoRedoEnabled());
    return doc;
}

void TextEditor::ShowDocument(std::unique_ptr<QTextDocument> doc) {
    const QPointer<QTextDocument> old = Texto->document();
    doc->setParent(Texto);
    Texto->setDocument(doc.release());
    // The view frees the document it made itself; the ones given here are ours.
    if (old && old->parent() == Texto) delete old;
    WatchDocument();
}

void TextEditor::AjustaAreaTexto() {
    // The text keeps 6 pixels from each side of the control.
    Texto->document()->setDocumentMargin(6);
}

void TextEditor::resizeEvent(QResizeEvent* e) {
    QWidget::resizeEvent(e);
    // FormResize: the text area and the markers follow the new width.
    AjustaAreaTexto();
    if (!dragging_) PlaceMarkers(Paragraph());
}

void TextEditor::AlignButtonClick(int tag) {
    if (updating_) return;
    Texto->setAlignment(tag == 1 ? Qt::AlignRight : tag == 2 ? Qt::AlignHCenter : Qt::AlignLeft);
    TextoSelectionChange();
}

void TextEditor::NegritoClick() {
    if (updating_) return;
    QTextCharFormat f;
    f.setFontWeight(Negrito->isChecked() ? QFont::Bold : QFont::Normal);
    Texto->mergeCurrentCharFormat(f);
}

void TextEditor::ItalicoClick() {
    if (updating_) return;
    QTextCharFormat f;
    f.setFontItalic(Italico->isChecked());
    Texto->mergeCurrentCharFormat(f);
}

void TextEditor::SublinhadoClick() {
    if (updating_) return;
    QTextCharFormat f;
    f.setFontUnderline(Sublinhado->isChecked());
    Texto->mergeCurrentCharFormat(f);
}

void TextEditor::NumeracaoClick() {
    if (updating_) return;
    QTextCursor c = Texto->textCursor();
    c.beginEditBlock();
    if (Numeracao->isChecked()) {
        if (!c.currentList()) {
            QTextListFormat lf;
            lf.setStyle(QTextListFormat::ListDisc);
            c.createList(lf);
        }
    } else {
        const QTextBlock last = Texto->document()->findBlock(c.selectionEnd());
        for (QTextBlock b = Texto->document()->findBlock(c.selectionStart()); b.isValid(); b = b.next()) {
            if (QTextList* list = b.textList()) {
                list->remove(b);
                QTextCursor bc(b);
                QTextBlockFormat bf = b.blockFormat();
                bf.setIndent(0);
                bc.setBlockFormat(bf);
            }
            if (b == last) break;
        }
    }
    c.endEditBlock();
}

void TextEditor::FontesClick() {
    const auto chosen = ChooseFont(Texto->currentCharFormat().font());
    if (chosen) {
        QTextCharFormat f;
        f.setFont(*chosen, QTextCharFormat::FontPropertiesSpecifiedOnly);
        f.setFontFamilies(QStringList{chosen->family()});
        f.setFontPointSize(chosen->pointSizeF() > 0 ? chosen->pointSizeF() : 10);
        f.setFontWeight(chosen->bold() ? QFont::Bold : QFont::Normal);
        f.setFontItalic(chosen->italic());
        f.setFontUnderline(chosen->underline());
        Texto->mergeCurrentCharFormat(f);
        TextoSelectionChange();  // the tool buttons show the new font
    }
    Texto->setFocus();
}

void TextEditor::DesfazerClick() { Texto->undo(); }
void TextEditor::RecortarClick() { Texto->cut(); }
void TextEditor::CopiarClick() { Texto->copy(); }
void TextEditor::ColarClick() { Texto->paste(); }

void TextEditor::AtualizaBotaoColar() { Colar->setEnabled(Texto->canPaste()); }

// --- ruler markers -----------------------------------------------------------

void TextEditor::RulerItemMouseDown(RulerMarker* marker, int x) {
    previousLeft_ = marker->x();
    dragOffset_ = marker->width() / 2;
    marker->move(marker->x() + x - dragOffset_, marker->y());
    dragging_ = true;
}

void TextEditor::RulerItemMouseMove(RulerMarker* marker, int x) {
    if (dragging_) marker->move(marker->x() + x - dragOffset_, marker->y());
}

void TextEditor::RulerItemMouseUp(RulerMarker* marker) {
    if (marker == Ruler->FirstInd) FirstIndMouseUp();
    else if (marker == Ruler->LeftInd) LeftIndMouseUp();
    else if (marker == Ruler->RightInd) RightIndMouseUp();
}

void TextEditor::FirstIndMouseUp() {
    dragging_ = false;
    RulerMarker* m = Ruler->FirstInd;
    if (m->x() < kRulerMargin) {
        m->move(previousLeft_, m->y());
        return;
    }
    ParagraphAttributes a = Paragraph();
    a.FirstIndent = PointsFromPixels(m->x() + dragOffset_ - 6);
    SetParagraph(a);
    LeftIndMouseUp();
}

void TextEditor::LeftIndMouseUp() {
    dragging_ = false;
    RulerMarker* m = Ruler->LeftInd;
    if (m->x() < kRulerMargin) {
        m->move(previousLeft_, m->y());
        return;
    }
    ParagraphAttributes a = Paragraph();
    a.LeftIndent = PointsFromPixels(m->x() + dragOffset_ - 6) - a.FirstIndent;
    SetParagraph(a);
    TextoSelectionChange();
    leftIndent_ = a.LeftIndent;
}

void TextEditor::RightIndMouseUp() {
    dragging_ = false;
    RulerMarker* m = Ruler->RightInd;
    if (m->x() > kRightLimit) {
        m->move(previousLeft_, m->y());
        return;
    }
    ParagraphAttributes a = Paragraph();
    a.RightIndent = PointsFromPixels(kPageWidth + dragOffset_ - m->x() - 2) - 12;
    SetParagraph(a);
    TextoSelectionChange();
    rightIndent_ = a.RightIndent;
}

// --- files ----------------------------------------------------------------------

void TextEditor::ReiniciaFormatoTexto() {
    QTextCharFormat f;
    f.setFontFamilies(QStringList{"MS Sans Serif"});
    f.setFontPointSize(10);
    f.setForeground(Qt::black);
    f.setFontWeight(QFont::Normal);
    f.setFontItalic(false);
    f.setFontUnderline(false);
    QTextCursor c = Texto->textCursor();
    c.setCharFormat(f);
    Texto->setCurrentCharFormat(f);
    QTextBlockFormat b;
    b.setAlignment(Qt::AlignLeft);
    c.setBlockFormat(b);
    if (QTextList* list = c.currentList()) list->remove(c.block());
}

void TextEditor::LimparTexto() {
    Texto->clear();
    ReiniciaFormatoTexto();
    Texto->document()->setModified(false);
    MarcaModificado(false);
    StatusPanels[1]->clear();
    fileName_ = "Untitled";
    filePath_.clear();
    StatusPanels[2]->setText("Editing: Untitled");
}

void TextEditor::LimparClick() { LimparTexto(); }

bool TextEditor::AskToSave() {
    if (notesUnchanged_) return true;
    const int answer = platform::ShowMessage("Changes were made. Do you want to save them?",
                                             platform::MsgIcon::Question, platform::mbYesNoCancel);
    if (answer == platform::mrYes) return GravarClick();
    if (answer == platform::mrNo) {
        MarcaModificado(false);
        return true;
    }
    return false;
}

void TextEditor::AbrirClick() {
    if (!notesUnchanged_) AskToSave();
    if (!notesUnchanged_) return;
    const std::string path = ChooseFileToOpen(openDirectory_);
    if (path.empty()) return;
    if (!std::filesystem::is_regular_file(path)) {
        platform::ShowMessage("File not found.", platform::MsgIcon::Information);
        return;
    }
    LoadFile(path);
}

void TextEditor::LoadFile(const std::string& path) {
    const std::optional<std::string> read = platform::ReadWholeFile(path);
    if (!read) throw platform::Exception("Cannot read the file " + path + ".");
    const std::string& bytes = *read;
    // Read before anything is cleared: a bad file leaves the notes as they are.
    const rtf::Document doc = rtf::ReadRichOrPlain(bytes);
    Texto->clear();
    ReiniciaFormatoTexto();
    // Built apart from the view and then given to it: the view lays out a
    // new document step by step as it is shown, where it would lay out its
    // own after every change (minutes for a long note).
    std::unique_ptr<QTextDocument> built = NewDocument();
    built->setUndoRedoEnabled(false);  // a freshly opened file has nothing to undo
    if (rtf::IsRtf(bytes)) {
        rtf::ToTextDocument(doc, *built);
    } else {
        QTextCursor c(built.get());
        c.setBlockFormat(Texto->textCursor().blockFormat());
        c.insertText(QString::fromStdString(rtf::DecodePlainText(bytes)), Texto->currentCharFormat());
    }
    built->setUndoRedoEnabled(true);
    ShowDocument(std::move(built));
    fileName_ = std::filesystem::path(path).filename().string();
    filePath_ = path;
    // A code page no converter knows is said once, here, not guessed at silently.
    std::string unknown;
    for (int page : doc.unknownCodePages) unknown += (unknown.empty() ? "" : ", ") + std::to_string(page);
    StatusPanels[2]->setText(QString::fromStdString(
        "Editing: " + fileName_ +
        (unknown.empty() ? "" : " (code page " + unknown + " unknown: its text is shown as Windows-1252)")));
    Texto->hide();
    // The markers from the paragraph a select-all leaves the caret in (the
    // last), kept inside the margins; the text keeps its own indents: only
    // what the user changes takes the markers'. Read from the block itself:
    // a cursor moved to the end would lay the whole note out at once.
    PlaceMarkers(AttributesOf(Texto->document()->lastBlock().blockFormat()));
    const ParagraphAttributes a = MarkerIndents();
    leftIndent_ = a.LeftIndent;
    rightIndent_ = a.RightIndent;
    QTextCursor c = Texto->textCursor();
    c.setPosition(0);
    Texto->setTextCursor(c);
    Texto->show();
    Texto->setFocus();
    Texto->document()->clearUndoRedoStacks();  // a freshly opened file has nothing to undo
    Texto->document()->setModified(false);
    MarcaModificado(false);
    TextoSelectionChange();
}

bool TextEditor::GravarClick() {
    std::string path = filePath_;
    if (path.empty()) path = ChooseFileToSave(openDirectory_, fileName_);
    if (path.empty()) return false;
    std::string bytes;
    if (QFileInfo(QString::fromStdString(path)).suffix().compare("txt", Qt::CaseInsensitive) == 0) {
        bytes = Texto->toPlainText().replace(QChar::LineSeparator, '\n').replace("\n", "\r\n").toStdString();
    } else {
        bytes = rtf::Write(rtf::FromTextDocument(*Texto->document()));
    }
    // A new file renamed over the old one: a full disk keeps the old notes.
    try {
        platform::WriteFileAtomically(path, bytes);
    } catch (const platform::EHostIoError&) {
        platform::ShowMessage("Cannot write the file " + path + ".", platform::MsgIcon::Error);
        return false;
    }
    filePath_ = path;
    fileName_ = std::filesystem::path(path).filename().string();
    StatusPanels[2]->setText(QString::fromStdString("Editing: " + fileName_));
    Texto->document()->setModified(false);
    MarcaModificado(false);
    return true;
}

int TextEditor::RequestedCopies() const {
    bool ok = false;
    const int n = CopiasTexto->text().trimmed().toInt(&ok);
    return ok && n > 0 ? n : 1;
}

void TextEditor::ImprimeTextoClick() {
    QPrinter printer(QPrinter::HighResolution);
    printer.setCopyCount(RequestedCopies());
    printer.setDocName(QString::fromStdString(fileName_));
    if (!PreparePrinter(printer)) return;
    // The pages are drawn here (with the list labels and tab leaders), laid
    // out at screen resolution and scaled as QTextDocument::print() does;
    // once per copy when the printer (a PDF file, for one) makes one copy.
    const int copies = printer.supportsMultipleCopies() ? 1 : printer.copyCount();
    if (!printer.supportsMultipleCopies()) printer.setCopyCount(1);
    std::unique_ptr<QTextDocument> doc(Texto->document()->clone());
    const qreal scale = printer.resolution() / 96.0;
    const QRectF area = printer.pageRect(QPrinter::DevicePixel);
    const QSizeF page(area.width() / scale, area.height() / scale);
    doc->setPageSize(page);
    QPainter painter;
    if (!painter.begin(&printer)) throw platform::Exception("The printer cannot be used.");
    painter.scale(scale, scale);
    bool first = true;
    for (int copy = 0; copy < copies; ++copy)
        for (int i = 0; i < doc->pageCount(); ++i) {
            if (!first) printer.newPage();
            first = false;
            painter.save();
            painter.translate(0, -i * page.height());
            const QRectF sheet(QPointF(0, i * page.height()), page);
            doc->drawContents(&painter, sheet);
            painter.setClipRect(sheet);
            PaintLayoutMarks(painter, *doc, sheet, Qt::black);
            painter.restore();
        }
    painter.end();
}

bool TextEditor::eventFilter(QObject* watched, QEvent* e) {
    if (watched == CopiasTexto && e->type() == QEvent::KeyPress) {
        // CopiasTextoKeyPress: backspace and digits pass; a 0 only after
        // another digit, so "10" can be typed but never a count of 0.
        auto* k = static_cast<QKeyEvent*>(e);
        const QString t = k->text();
        if (!t.isEmpty() && t.at(0).isPrint()) {
            const QChar c = t.at(0);
            const bool digit = c >= '1' && c <= '9';
            const bool zero = c == '0' && CopiasTexto->cursorPosition() > 0;
            if (!digit && !zero) {
                QApplication::beep();
                return true;
            }
        }
    }
    if (watched == CopiasTexto && e->type() == QEvent::FocusOut) platform::Guarded([this] { CopiasTextoExit(); });
    return QWidget::eventFilter(watched, e);
}

void TextEditor::CopiasTextoExit() {
    if (starting_ && starting_()) return;
    if (CopiasTexto->text().trimmed().isEmpty()) CopiasTexto->setText("1");
}

// --- the main window's moments -------------------------------------------------

void TextEditor::StartEditor() {
    AtualizaLinhaColuna();
    TextoChange();
    AtualizaBotaoColar();
    DesenhaRegua();
    TextoSelectionChange();
    if (!clipboardConnection_)
        clipboardConnection_ = connect(QApplication::clipboard(), &QClipboard::dataChanged, this,
                                   [this] { platform::Guarded([this] { AtualizaBotaoColar(); }); });
}

void TextEditor::LeaveClipboardChain() {
    if (clipboardConnection_) disconnect(clipboardConnection_);
    clipboardConnection_ = {};
}

void TextEditor::StartParagraphs() {
    Texto->selectAll();
    Ruler->FirstInd->move(kRulerMargin, Ruler->FirstInd->y());
    Ruler->LeftInd->move(kRulerMargin, Ruler->LeftInd->y());
    Ruler->RightInd->move(kRightLimit, Ruler->RightInd->y());
    const ParagraphAttributes a = MarkerIndents();
    SetParagraph(a);
    QTextCursor c = Texto->textCursor();
    c.setPosition(0);
    Texto->setTextCursor(c);
    Texto->document()->setModified(false);
    StatusPanels[1]->clear();
    leftIndent_ = a.LeftIndent;
    rightIndent_ = a.RightIndent;
}

void TextEditor::EnterTab() {
    Texto->setFocus();
    if (TagTexto == 1) {
        MarcaModificado(false);
        TagTexto = 0;
    } else {
        MarcaModificado(Texto->document()->isModified());
    }
}

}  // namespace vorel
