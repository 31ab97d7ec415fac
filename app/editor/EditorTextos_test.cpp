#include "app/editor/EditorTextos.h"

#include <gtest/gtest.h>

#include <QApplication>
#include <QClipboard>
#include <QImage>
#include <QLabel>
#include <QLineEdit>
#include <QPrinter>
#include <QStatusBar>
#include <QTest>
#include <QTextBlock>
#include <QTextCursor>
#include <QToolButton>
#include <fstream>
#include <sstream>

#include "app/editor/Regua.h"
#include "app/rtf/Rtf.h"
#include "platform/qtglue/Messenger.h"
#include "platform/testing/TempDir.h"

using namespace vorel;

namespace {

// The editor as the main window holds it, 1000 pixels wide.
struct Bench {
    platform::testing::TempDir dir;
    bool inalteradas = true;
    std::string nome = "Untitled";
    std::string diretorio;
    bool iniciando = false;
    EditorTextos editor;
    std::vector<std::string> abrir;  // answers of the open dialog, in order
    std::string gravar;              // the save dialog's answer
    int perguntasGravar = 0;
    Bench() : diretorio(dir.Path().string()), editor(inalteradas, nome, diretorio, [this] { return iniciando; }) {
        editor.resize(1000, 500);
        editor.show();
        editor.EscolheArquivoAbrir = [this](const std::string&) {
            std::string next = abrir.empty() ? std::string() : abrir.front();
            if (!abrir.empty()) abrir.erase(abrir.begin());
            return next;
        };
        editor.EscolheArquivoGravar = [this](const std::string&, const std::string&) {
            ++perguntasGravar;
            return gravar;
        };
        QApplication::processEvents();
        editor.IniciaEditor();
        editor.IniciaParagrafo();
    }
    std::string Panel(int i) { return editor.StatusPanels[static_cast<size_t>(i)]->text().toStdString(); }
    std::string File(const std::string& name, const std::string& bytes) {
        const auto p = dir.Path() / name;
        std::ofstream(p, std::ios::binary) << bytes;
        return p.string();
    }
    void Type(const char* text) {
        editor.Texto->setFocus();
        QTest::keyClicks(editor.Texto, text);
    }
    int X(MarcadorRegua* m) { return m->x(); }
    // Drags a marker by dx pixels and lets go.
    void Drag(MarcadorRegua* m, int dx) {
        const int half = m->width() / 2;
        editor.RulerItemMouseDown(m, half);
        editor.RulerItemMouseMove(m, half + dx);
        editor.RulerItemMouseUp(m);
    }
};

std::string ReadAll(const std::string& p) {
    std::ifstream in(p, std::ios::binary);
    std::stringstream ss;
    ss << in.rdbuf();
    return ss.str();
}

}  // namespace

TEST(EditorTextos, StatusShowsLineColumnModifiedAndFileName) {
    platform::ScriptedMessenger m;
    Bench b;
    EXPECT_EQ(b.Panel(0), "Line:   1   Col:   1");
    EXPECT_EQ(b.Panel(1), "");
    EXPECT_EQ(b.Panel(2), "Editing: Untitled");
    EXPECT_FALSE(b.editor.Copiar->isEnabled());
    b.Type("first line");
    QTest::keyClick(b.editor.Texto, Qt::Key_Return);
    b.Type("ab");
    EXPECT_EQ(b.Panel(0), "Line:   2   Col:   3");
    EXPECT_EQ(b.Panel(1), "Modified");
    EXPECT_FALSE(b.inalteradas);
    EXPECT_TRUE(b.editor.Desfazer->isEnabled());
    QTest::keyClick(b.editor.Texto, Qt::Key_Left, Qt::ShiftModifier);
    EXPECT_TRUE(b.editor.Copiar->isEnabled());
    EXPECT_TRUE(b.editor.Recortar->isEnabled());
    EXPECT_EQ(b.Panel(0), "Line:   2   Col:   2");

    b.editor.Desfazer->click();
    EXPECT_EQ(b.editor.Texto->toPlainText().toStdString(), "first line\n");  // the typing goes

    b.editor.LimparClick();
    EXPECT_TRUE(b.editor.Texto->toPlainText().isEmpty());
    EXPECT_EQ(b.Panel(1), "");
    EXPECT_TRUE(b.inalteradas);
    EXPECT_EQ(b.nome, "Untitled");
    EXPECT_TRUE(m.shown.empty());
}

TEST(EditorTextos, StartupMarkersAndTheirIndents) {
    Bench b;
    const AtributosParagrafo a = b.editor.Paragrafo();
    EXPECT_EQ(a.FirstIndent, PontosDePixels(60 + 5 - 6));
    EXPECT_EQ(a.LeftIndent, 0);
    EXPECT_EQ(a.RightIndent, PontosDePixels(b.editor.Ruler->width() + 5 - 730 - 2) - 12);
    EXPECT_EQ(b.Panel(1), "");
    EXPECT_TRUE(b.inalteradas);
    // Conversions truncate toward zero, with the extended constant.
    EXPECT_EQ(PixelsDePontos(45), 60);
    EXPECT_EQ(PontosDePixels(59), 44);
    EXPECT_EQ(PontosDePixels(-5), -3);
}

TEST(EditorTextos, MarkersDraggedOutOfRangeSnapBackAndInRangeSetIndents) {
    Bench b;
    EditorTextos& e = b.editor;
    b.Type("Some text to indent.");
    e.TextoSelectionChange();
    const AtributosParagrafo before = e.Paragrafo();
    const int firstAt = b.X(e.Ruler->FirstInd);
    b.Drag(e.Ruler->FirstInd, -30);  // left of 60
    EXPECT_EQ(b.X(e.Ruler->FirstInd), firstAt);
    EXPECT_EQ(e.Paragrafo().FirstIndent, before.FirstIndent);
    const int leftAt = b.X(e.Ruler->LeftInd);
    b.Drag(e.Ruler->LeftInd, -20);
    EXPECT_EQ(b.X(e.Ruler->LeftInd), leftAt);
    const int rightAt = b.X(e.Ruler->RightInd);
    b.Drag(e.Ruler->RightInd, 760 - rightAt);  // right of 730
    EXPECT_EQ(b.X(e.Ruler->RightInd), rightAt);
    EXPECT_EQ(e.Paragrafo().RightIndent, before.RightIndent);

    // In range: the first line to 120 pixels, the others stay where they were.
    b.Drag(e.Ruler->FirstInd, 120 - b.X(e.Ruler->FirstInd));
    EXPECT_EQ(e.Paragrafo().FirstIndent, PontosDePixels(120 - 1));
    EXPECT_EQ(b.X(e.Ruler->FirstInd), 120);
    b.Drag(e.Ruler->LeftInd, 200 - b.X(e.Ruler->LeftInd));
    EXPECT_EQ(e.Paragrafo().FirstIndent + e.Paragrafo().LeftIndent, PontosDePixels(200 - 1));
    EXPECT_EQ(b.X(e.Ruler->LeftInd), 200);
    b.Drag(e.Ruler->RightInd, 600 - b.X(e.Ruler->RightInd));
    EXPECT_EQ(e.Paragrafo().RightIndent, PontosDePixels(e.Ruler->width() + 5 - b.X(e.Ruler->RightInd) - 2) - 12);
    EXPECT_NEAR(b.X(e.Ruler->RightInd), 600, 2);
    EXPECT_EQ(b.Panel(1), "Modified");
}

TEST(EditorTextos, OpeningAFileWithoutIndentsPutsTheMarkersAtTheMargin) {
    platform::ScriptedMessenger m;
    Bench b;
    b.abrir = {b.File("notes.rtf", "{\\rtf1{\\fonttbl{\\f0 Arial;}}\\pard\\li0\\fi0\\f0 First\\par Second\\par}")};
    b.editor.AbrirClick();
    EXPECT_TRUE(m.shown.empty());
    EXPECT_EQ(b.editor.Texto->toPlainText().toStdString(), "First\nSecond");
    EXPECT_EQ(b.X(b.editor.Ruler->FirstInd), 60);
    EXPECT_EQ(b.X(b.editor.Ruler->LeftInd), 60);
    EXPECT_LE(b.X(b.editor.Ruler->RightInd), 730);
    // Every paragraph takes the indents the markers stand for.
    for (QTextBlock blk = b.editor.Texto->document()->begin(); blk.isValid(); blk = blk.next())
        EXPECT_NEAR(blk.blockFormat().leftMargin() * 0.75, PontosDePixels(60 - 1), 0.01);
    EXPECT_EQ(b.nome, "notes.rtf");
    EXPECT_EQ(b.Panel(2), "Editing: notes.rtf");
    EXPECT_EQ(b.Panel(1), "");
    EXPECT_TRUE(b.inalteradas);
    EXPECT_EQ(b.editor.Texto->textCursor().position(), 0);
    EXPECT_FALSE(b.editor.Desfazer->isEnabled());  // nothing to undo in a fresh file

    // A missing file, a cancelled dialog, a damaged file: the notes stay.
    b.abrir = {(b.dir.Path() / "gone.rtf").string()};
    b.editor.AbrirClick();
    ASSERT_EQ(m.shown.size(), 1u);
    EXPECT_EQ(m.shown[0].text, "File not found.");
    EXPECT_EQ(m.shown[0].icon, platform::MsgIcon::Information);
    b.editor.AbrirClick();
    b.abrir = {b.File("bad.rtf", "{\\rtf1 " + std::string(400, '{'))};
    EXPECT_THROW(b.editor.AbrirClick(), rtf::RtfError);
    EXPECT_EQ(b.editor.Texto->toPlainText().toStdString(), "First\nSecond");
    EXPECT_EQ(b.nome, "notes.rtf");
}

TEST(EditorTextos, OpeningAPlainTextFile) {
    Bench b;
    b.abrir = {b.File("plain.txt", "one\r\ntens\xE3o\r\n")};
    b.editor.AbrirClick();
    EXPECT_EQ(b.editor.Texto->toPlainText().toStdString(), "one\ntensão\n");
    EXPECT_EQ(b.nome, "plain.txt");
}

TEST(EditorTextos, UnsavedChangesAreAskedAboutBeforeOpening) {
    platform::ScriptedMessenger m;
    Bench b;
    const std::string other = b.File("other.rtf", "{\\rtf1 Other\\par}");
    b.Type("my notes");
    // Cancel: nothing opens, the notes stay changed.
    m.answers = {platform::mrCancel};
    b.abrir = {other};
    b.editor.AbrirClick();
    ASSERT_EQ(m.shown.size(), 1u);
    EXPECT_EQ(m.shown[0].text, "Changes were made. Do you want to save them?");
    EXPECT_EQ(m.shown[0].buttons, platform::mbYesNoCancel);
    EXPECT_EQ(m.shown[0].icon, platform::MsgIcon::Question);
    EXPECT_EQ(b.editor.Texto->toPlainText().toStdString(), "my notes");
    EXPECT_FALSE(b.inalteradas);
    // Yes with the save dialog cancelled: still nothing opens.
    m.answers = {platform::mrYes};
    b.editor.AbrirClick();
    EXPECT_EQ(b.perguntasGravar, 1);
    EXPECT_EQ(b.editor.Texto->toPlainText().toStdString(), "my notes");
    // Yes and saved: the notes are on disk, then the other file opens.
    b.gravar = (b.dir.Path() / "mine.rtf").string();
    m.answers = {platform::mrYes};
    b.editor.AbrirClick();
    EXPECT_EQ(rtf::Read(ReadAll(b.gravar)).PlainText(), "my notes");
    EXPECT_EQ(b.editor.Texto->toPlainText().toStdString(), "Other");
    // No: the changes are dropped.
    b.Type("x");
    m.answers = {platform::mrNo};
    b.abrir = {b.gravar};
    b.editor.AbrirClick();
    EXPECT_EQ(b.editor.Texto->toPlainText().toStdString(), "my notes");
}

TEST(EditorTextos, BoldColoursAndIndentsSurviveSaveAndReopen) {
    Bench b;
    EditorTextos& e = b.editor;
    b.Type("plain bold red");
    QTextCursor c(e.Texto->document());
    c.setPosition(6);
    c.setPosition(10, QTextCursor::KeepAnchor);
    e.Texto->setTextCursor(c);
    e.Negrito->click();
    c.setPosition(11);
    c.setPosition(14, QTextCursor::KeepAnchor);
    e.Texto->setTextCursor(c);
    QTextCharFormat red;
    red.setForeground(QColor(200, 0, 0));
    e.Texto->mergeCurrentCharFormat(red);
    e.Centralizar->click();
    b.Drag(e.Ruler->FirstInd, 140 - b.X(e.Ruler->FirstInd));
    b.Drag(e.Ruler->LeftInd, 100 - b.X(e.Ruler->LeftInd));
    const AtributosParagrafo indents = e.Paragrafo();
    e.Numeracao->click();
    b.gravar = (b.dir.Path() / "formats.rtf").string();
    ASSERT_TRUE(e.GravarClick());
    EXPECT_TRUE(b.inalteradas);
    EXPECT_EQ(b.nome, "formats.rtf");

    e.LimparClick();
    b.abrir = {b.gravar};
    e.AbrirClick();
    EXPECT_EQ(e.Texto->toPlainText().toStdString(), "plain bold red");
    const QTextBlock blk = e.Texto->document()->begin();
    auto formatAt = [&](int pos) {
        QTextCursor at(e.Texto->document());
        at.setPosition(pos);
        return at.charFormat();
    };
    EXPECT_LT(formatAt(3).fontWeight(), QFont::DemiBold);
    EXPECT_GE(formatAt(8).fontWeight(), QFont::DemiBold);
    EXPECT_EQ(formatAt(13).foreground().color(), QColor(200, 0, 0));
    EXPECT_EQ(blk.blockFormat().alignment() & Qt::AlignHorizontal_Mask, Qt::AlignHCenter);
    EXPECT_NE(blk.textList(), nullptr);
    EXPECT_EQ(e.Paragrafo().FirstIndent, indents.FirstIndent);
    EXPECT_EQ(e.Paragrafo().LeftIndent, indents.LeftIndent);
    EXPECT_TRUE(e.Numeracao->isChecked());
    EXPECT_TRUE(e.Centralizar->isChecked());

    // Saved again under its own name, without asking.
    b.Type("more ");
    EXPECT_TRUE(e.GravarClick());
    EXPECT_EQ(b.perguntasGravar, 1);
}

TEST(EditorTextos, FontsAndBulletsApplyToTheSelection) {
    Bench b;
    EditorTextos& e = b.editor;
    b.Type("Fonts");
    e.Texto->selectAll();
    QFont chosen("Courier New", 14);
    chosen.setBold(true);
    e.EscolheFonte = [&](const QFont&) { return std::optional<QFont>(chosen); };
    e.Fontes->click();
    QTextCursor at(e.Texto->document());
    at.setPosition(2);
    EXPECT_EQ(at.charFormat().fontFamilies().toStringList().value(0).toStdString(), "Courier New");
    EXPECT_EQ(at.charFormat().fontPointSize(), 14);
    EXPECT_TRUE(e.Negrito->isChecked());
    e.EscolheFonte = [](const QFont&) { return std::optional<QFont>(); };  // cancelled: nothing changes
    e.Fontes->click();
    EXPECT_EQ(at.charFormat().fontPointSize(), 14);

    e.Numeracao->click();
    EXPECT_NE(e.Texto->textCursor().currentList(), nullptr);
    e.Numeracao->click();
    EXPECT_EQ(e.Texto->textCursor().currentList(), nullptr);
    e.AlinharADireita->click();
    EXPECT_EQ(e.Texto->alignment() & Qt::AlignHorizontal_Mask, Qt::AlignRight);
    EXPECT_FALSE(e.AlinharAEsquerda->isChecked());
}

TEST(EditorTextos, PasteFollowsTheClipboard) {
    Bench b;
    QApplication::clipboard()->setText("some text");
    EXPECT_TRUE(b.editor.Colar->isEnabled());
    QImage picture(8, 8, QImage::Format_RGB32);
    picture.fill(Qt::red);
    QApplication::clipboard()->setImage(picture);
    EXPECT_FALSE(b.editor.Colar->isEnabled());
    QApplication::clipboard()->setText("again");
    EXPECT_TRUE(b.editor.Colar->isEnabled());
    b.editor.Colar->click();
    EXPECT_EQ(b.editor.Texto->toPlainText().toStdString(), "again");
    // Once out of the clipboard watch, the button no longer follows.
    b.editor.SaiDaCadeiaClipboard();
    QApplication::clipboard()->setImage(picture);
    EXPECT_TRUE(b.editor.Colar->isEnabled());
}

TEST(EditorTextos, CopiesFieldTakesDigitsOnly) {
    Bench b;
    QLineEdit* copies = b.editor.CopiasTexto;
    EXPECT_EQ(copies->text().toStdString(), "1");
    copies->clear();
    copies->setFocus();
    QTest::keyClicks(copies, "0a1x0-2 ");
    EXPECT_EQ(copies->text().toStdString(), "102");
    QTest::keyClick(copies, Qt::Key_Backspace);
    EXPECT_EQ(copies->text().toStdString(), "10");
    EXPECT_EQ(b.editor.CopiasPedidas(), 10);
    copies->clear();
    b.editor.Texto->setFocus();  // leaving an empty field puts 1 back
    QApplication::processEvents();
    EXPECT_EQ(copies->text().toStdString(), "1");
    b.iniciando = true;  // not while the window is starting
    copies->clear();
    b.editor.CopiasTextoExit();
    EXPECT_EQ(copies->text().toStdString(), "");
}

TEST(EditorTextos, PrintsTheGivenNumberOfCopies) {
    Bench b;
    b.Type("A page to print.");
    const std::string pdf = (b.dir.Path() / "out.pdf").string();
    b.editor.PreparaImpressora = [&](QPrinter& printer) {
        printer.setOutputFormat(QPrinter::PdfFormat);
        printer.setOutputFileName(QString::fromStdString(pdf));
        return true;
    };
    b.editor.CopiasTexto->setText("3");
    b.editor.ImprimeTexto->click();
    const std::string bytes = ReadAll(pdf);
    ASSERT_FALSE(bytes.empty());
    size_t pages = 0;
    for (size_t at = bytes.find("/Type /Page\n"); at != std::string::npos; at = bytes.find("/Type /Page\n", at + 1))
        ++pages;
    if (pages == 0)
        for (size_t at = bytes.find("/Type /Page"); at != std::string::npos; at = bytes.find("/Type /Page", at + 1))
            if (bytes.compare(at, 12, "/Type /Pages") != 0) ++pages;
    EXPECT_EQ(pages, 3u);
}

TEST(EditorTextos, EnteringTheTabFirstTimeClearsTheModifiedMark) {
    Bench b;
    b.Type("x");
    EXPECT_EQ(b.Panel(1), "Modified");
    b.editor.EntraNaAba();
    EXPECT_EQ(b.Panel(1), "");
    EXPECT_EQ(b.editor.TagTexto, 0);
    b.editor.EntraNaAba();
    EXPECT_EQ(b.Panel(1), "Modified");
}
