#pragma once
// The "Technical texts" editor: a tool bar, a ruler whose three markers set
// the paragraph indents, the rich text (Texto) and a status bar with the
// caret's line and column, a modified mark and the file's name. The notes'
// state (unchanged flag, file name) belongs to the main window and is
// written through the references given at construction.
//
// Indents follow the rich-edit control's paragraph attributes, in points:
// the first line's indent, the other lines' indent relative to it, and the
// right indent. Markers are pixels on the ruler; points = pixels x 0.75 and
// pixels = points x 1.3333333333333333334, each truncated toward zero. The
// ruler measures a fixed page (the text wraps on it), never the window, and
// markers only change the paragraphs the user has selected.
//
// Saving replaces the file with a complete new one: a failed save leaves
// the old file as it was.
#include <QTextEdit>
#include <QWidget>
#include <array>
#include <functional>
#include <memory>
#include <optional>
#include <string>

class QLabel;
class QLineEdit;
class QPrinter;
class QStatusBar;
class QToolButton;

namespace vorel {

class RulerMarker;
class TRuler;

// The paragraph attributes of the rich-edit control, in points.
struct ParagraphAttributes {
    int FirstIndent = 0;  // the first line, from the left edge
    int LeftIndent = 0;   // the other lines, from the first line's indent
    int RightIndent = 0;
};

// The attributes of a paragraph format.
ParagraphAttributes AttributesOf(const QTextBlockFormat& f);

int PointsFromPixels(long double pixels);
int PixelsFromPoints(long double points);

class TextEditor : public QWidget {
public:
    // notesUnchanged, fileName: the main window's notes state;
    // openDirectory: where the open dialog starts; starting: the window's
    // starting flag.
    TextEditor(bool& notesUnchanged, std::string& fileName, const std::string& openDirectory,
                 std::function<bool()> starting, QWidget* parent = nullptr);
    ~TextEditor() override;

    // Controls.
    QWidget* Painel;
    QToolButton *Colar, *Copiar, *Recortar, *Gravar, *Limpar, *Abrir, *Negrito, *Italico, *Sublinhado, *Fontes,
        *AlinharAEsquerda, *AlinharADireita, *Centralizar, *Desfazer, *Numeracao, *ImprimeTexto;
    QLineEdit* CopiasTexto;
    TRuler* Ruler;
    QTextEdit* Texto;
    QStatusBar* StatusBar;
    std::array<QLabel*, 3> StatusPanels{};
    int TagTexto = 1;  // 1 until the tab is first entered

    // Dialogs, replaceable by tests. Each returns nothing when cancelled.
    std::function<std::string(const std::string& directory)> ChooseFileToOpen;
    std::function<std::string(const std::string& directory, const std::string& name)> ChooseFileToSave;
    std::function<std::optional<QFont>(const QFont& current)> ChooseFont;
    // Prepares the printer (production: the print dialog); false cancels.
    std::function<bool(QPrinter& printer)> PreparePrinter;

    // Handlers.
    void TextoChange();
    void TextoSelectionChange();
    void AlignButtonClick(int tag);
    void RulerItemMouseDown(RulerMarker* marker, int x);
    void RulerItemMouseMove(RulerMarker* marker, int x);
    void RulerItemMouseUp(RulerMarker* marker);
    void FirstIndMouseUp();
    void LeftIndMouseUp();
    void RightIndMouseUp();
    void LimparClick();
    void DesfazerClick();
    void RecortarClick();
    void CopiarClick();
    void ColarClick();
    void FontesClick();
    void NegritoClick();
    void ItalicoClick();
    void SublinhadoClick();
    void NumeracaoClick();
    void AbrirClick();
    // Saves the notes (asking for a name when they have none); true when saved.
    bool GravarClick();
    void ImprimeTextoClick();
    void CopiasTextoExit();

    // Supporting operations.
    void DesenhaRegua();
    void AjustaAreaTexto();
    void AtualizaLinhaColuna();
    void MarcaModificado(bool modified);
    void AtualizaBotaoColar();
    void LimparTexto();
    void ReiniciaFormatoTexto();

    // The main window's moments: start-up step 1 (status, Paste, ruler,
    // clipboard), start-up step 12 (paragraph defaults), entering the tab,
    // and leaving the clipboard watch when the window goes.
    void StartEditor();
    void StartParagraphs();
    void EnterTab();
    void LeaveClipboardChain();
    // When the notes changed: asks whether to save them. False when the user
    // cancels (or the save did not complete).
    bool AskToSave();

    // The paragraph attributes at the caret, and setting them on the selection.
    ParagraphAttributes Paragraph() const;
    void SetParagraph(const ParagraphAttributes& a);
    int RequestedCopies() const;

protected:
    bool eventFilter(QObject* watched, QEvent* e) override;
    void resizeEvent(QResizeEvent* e) override;

private:
    QToolButton* ToolButton(const char* name, const char* hint, const QIcon& icon, bool checkable = false);
    void BuildToolBar();
    void PlaceMarkers(const ParagraphAttributes& a);
    void LoadFile(const std::string& path);
    // The notes' document: its signals watched, a new one made like it, and
    // a new one put in its place.
    void WatchDocument();
    std::unique_ptr<QTextDocument> NewDocument() const;
    void ShowDocument(std::unique_ptr<QTextDocument> doc);
    // The indents the markers stand for on the page.
    ParagraphAttributes MarkerIndents() const;

    bool& notesUnchanged_;
    std::string& fileName_;
    const std::string& openDirectory_;
    std::function<bool()> starting_;
    std::string filePath_;   // full path of the open file; "" for untitled notes
    bool updating_ = false;  // the selection-change handler is setting the buttons
    bool dragging_ = false;
    int dragOffset_ = 0;                    // half the width of the marker being dragged
    int previousLeft_ = 0;                  // the marker's left before the drag
    int leftIndent_ = 0, rightIndent_ = 0;  // remembered left and right indents
    QMetaObject::Connection clipboardConnection_;
};

}  // namespace vorel
