#include "app/editor/TextEditor.h"

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
#include <QTextDocument>
#include <QTextList>
#include <QToolButton>
#include <algorithm>
#include <cerrno>
#include <cmath>
#include <cstdio>
#include <filesystem>
#include <fstream>
#include <sstream>

#include "app/editor/TRuler.h"
#include "app/rtf/Rtf.h"
#include "app/rtf/RtfDump.h"
#include "app/rtf/RtfQt.h"
#include "platform/core/hostio/HostFault.h"
#include "platform/qt/qtglue/Messenger.h"
#include "testkit/files/FileSizeLimit.h"
#include "testkit/files/TempDir.h"
#include "testkit/generators/sample/content/SampleContent.h"

using namespace vorel;

namespace {

// The editor as the main window holds it, 1000 pixels wide.
struct Bench {
    platform::testing::TempDir dir;
    bool unchanged = true;
    std::string fileName = "Untitled";
    std::string directory;
    bool starting = false;
    TextEditor editor;
    std::vector<std::string> openAnswers;  // answers of the open dialog, in order
    std::string saveAnswer;                // the save dialog's answer
    int saveQuestions = 0;
    Bench() : directory(dir.Path().string()), editor(unchanged, fileName, directory, [this] { return starting; }) {
        editor.resize(1000, 500);
        editor.show();
        editor.ChooseFileToOpen = [this](const std::string&) {
            std::string next = openAnswers.empty() ? std::string() : openAnswers.front();
            if (!openAnswers.empty()) openAnswers.erase(openAnswers.begin());
            return next;
        };
        editor.ChooseFileToSave = [this](const std::string&, const std::string&) {
            ++saveQuestions;
            return saveAnswer;
        };
        QApplication::processEvents();
        editor.StartEditor();
        editor.StartParagraphs();
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
    int X(RulerMarker* m) { return m->x(); }
    // Drags a marker by dx pixels and lets go.
    void Drag(RulerMarker* m, int dx) {
        const int half = m->width() / 2;
        editor.RulerItemMouseDown(m, half);
        editor.RulerItemMouseMove(m, half + dx);
        editor.RulerItemMouseUp(m);
    }
};

std::string ReadAll(const std::filesystem::path& p) {
    std::ifstream in(p, std::ios::binary);
    std::stringstream ss;
    ss << in.rdbuf();
    return ss.str();
}

}  // namespace

TEST(TextEditor, StatusShowsLineColumnModifiedAndFileName) {
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
    EXPECT_FALSE(b.unchanged);
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
    EXPECT_TRUE(b.unchanged);
    EXPECT_EQ(b.fileName, "Untitled");
    EXPECT_TRUE(m.shown.empty());
}

TEST(TextEditor, StartupMarkersAndTheirIndents) {
    Bench b;
    const ParagraphAttributes a = b.editor.Paragraph();
    EXPECT_EQ(a.FirstIndent, PointsFromPixels(60 + 5 - 6));
    EXPECT_EQ(a.LeftIndent, 0);
    EXPECT_EQ(a.RightIndent, 0);  // the right marker's limit is the page's right edge
    EXPECT_EQ(b.Panel(1), "");
    EXPECT_TRUE(b.unchanged);
    // Conversions truncate toward zero, with the extended constant.
    EXPECT_EQ(PixelsFromPoints(45), 60);
    EXPECT_EQ(PointsFromPixels(59), 44);
    EXPECT_EQ(PointsFromPixels(-5), -3);
}

TEST(TextEditor, MarkersDraggedOutOfRangeSnapBackAndInRangeSetIndents) {
    Bench b;
    TextEditor& e = b.editor;
    b.Type("Some text to indent.");
    e.TextoSelectionChange();
    const ParagraphAttributes before = e.Paragraph();
    const int firstAt = b.X(e.Ruler->FirstInd);
    b.Drag(e.Ruler->FirstInd, -30);  // left of 60
    EXPECT_EQ(b.X(e.Ruler->FirstInd), firstAt);
    EXPECT_EQ(e.Paragraph().FirstIndent, before.FirstIndent);
    const int leftAt = b.X(e.Ruler->LeftInd);
    b.Drag(e.Ruler->LeftInd, -20);
    EXPECT_EQ(b.X(e.Ruler->LeftInd), leftAt);
    const int rightAt = b.X(e.Ruler->RightInd);
    b.Drag(e.Ruler->RightInd, 760 - rightAt);  // right of 730
    EXPECT_EQ(b.X(e.Ruler->RightInd), rightAt);
    EXPECT_EQ(e.Paragraph().RightIndent, before.RightIndent);

    // In range: the first line to 120 pixels, the others stay where they were.
    b.Drag(e.Ruler->FirstInd, 120 - b.X(e.Ruler->FirstInd));
    EXPECT_EQ(e.Paragraph().FirstIndent, PointsFromPixels(120 - 1));
    EXPECT_EQ(b.X(e.Ruler->FirstInd), 120);
    b.Drag(e.Ruler->LeftInd, 200 - b.X(e.Ruler->LeftInd));
    EXPECT_EQ(e.Paragraph().FirstIndent + e.Paragraph().LeftIndent, PointsFromPixels(200 - 1));
    EXPECT_EQ(b.X(e.Ruler->LeftInd), 200);
    b.Drag(e.Ruler->RightInd, 600 - b.X(e.Ruler->RightInd));
    EXPECT_EQ(e.Paragraph().RightIndent, 98);  // 130 pixels inside the page's edge
    EXPECT_EQ(b.X(e.Ruler->RightInd), 600);
    EXPECT_EQ(b.Panel(1), "Modified");
}

TEST(TextEditor, OpeningAFileWithoutIndentsPutsTheMarkersAtTheMargin) {
    platform::ScriptedMessenger m;
    Bench b;
    b.openAnswers = {
        b.File("notes.rtf", "{\\rtf1{\\fonttbl{\\f0 Arial;}}\\pard\\li0\\fi0\\f0 First\\par Second\\par}")};
    b.editor.AbrirClick();
    EXPECT_TRUE(m.shown.empty());
    EXPECT_EQ(b.editor.Texto->toPlainText().toStdString(), "First\nSecond");
    EXPECT_EQ(b.X(b.editor.Ruler->FirstInd), 60);
    EXPECT_EQ(b.X(b.editor.Ruler->LeftInd), 60);
    EXPECT_LE(b.X(b.editor.Ruler->RightInd), 730);
    // The text keeps its own indents until the user moves a marker.
    for (QTextBlock blk = b.editor.Texto->document()->begin(); blk.isValid(); blk = blk.next())
        EXPECT_EQ(blk.blockFormat().leftMargin(), 0);
    EXPECT_EQ(b.fileName, "notes.rtf");
    EXPECT_EQ(b.Panel(2), "Editing: notes.rtf");
    EXPECT_EQ(b.Panel(1), "");
    EXPECT_TRUE(b.unchanged);
    EXPECT_EQ(b.editor.Texto->textCursor().position(), 0);
    EXPECT_FALSE(b.editor.Desfazer->isEnabled());  // nothing to undo in a fresh file

    // A missing file, a cancelled dialog, a damaged file: the notes stay.
    b.openAnswers = {(b.dir.Path() / "gone.rtf").string()};
    b.editor.AbrirClick();
    ASSERT_EQ(m.shown.size(), 1u);
    EXPECT_EQ(m.shown[0].text, "File not found.");
    EXPECT_EQ(m.shown[0].icon, platform::MsgIcon::Information);
    b.editor.AbrirClick();
    b.openAnswers = {b.File("bad.rtf", "{\\rtf1 " + std::string(400, '{'))};
    EXPECT_THROW(b.editor.AbrirClick(), rtf::RtfError);
    EXPECT_EQ(b.editor.Texto->toPlainText().toStdString(), "First\nSecond");
    EXPECT_EQ(b.fileName, "notes.rtf");
}

TEST(TextEditor, OpeningAPlainTextFile) {
    Bench b;
    b.openAnswers = {b.File("plain.txt", "one\r\ntens\xE3o\r\n")};
    b.editor.AbrirClick();
    EXPECT_EQ(b.editor.Texto->toPlainText().toStdString(), "one\ntensão\n");
    EXPECT_EQ(b.fileName, "plain.txt");
}

TEST(TextEditor, UnsavedChangesAreAskedAboutBeforeOpening) {
    platform::ScriptedMessenger m;
    Bench b;
    const std::string other = b.File("other.rtf", "{\\rtf1 Other\\par}");
    b.Type("my notes");
    // Cancel: nothing opens, the notes stay changed.
    m.answers = {platform::mrCancel};
    b.openAnswers = {other};
    b.editor.AbrirClick();
    ASSERT_EQ(m.shown.size(), 1u);
    EXPECT_EQ(m.shown[0].text, "Changes were made. Do you want to save them?");
    EXPECT_EQ(m.shown[0].buttons, platform::mbYesNoCancel);
    EXPECT_EQ(m.shown[0].icon, platform::MsgIcon::Question);
    EXPECT_EQ(b.editor.Texto->toPlainText().toStdString(), "my notes");
    EXPECT_FALSE(b.unchanged);
    // Yes with the save dialog cancelled: still nothing opens.
    m.answers = {platform::mrYes};
    b.editor.AbrirClick();
    EXPECT_EQ(b.saveQuestions, 1);
    EXPECT_EQ(b.editor.Texto->toPlainText().toStdString(), "my notes");
    // Yes and saved: the notes are on disk, then the other file opens.
    b.saveAnswer = (b.dir.Path() / "mine.rtf").string();
    m.answers = {platform::mrYes};
    b.editor.AbrirClick();
    EXPECT_EQ(rtf::Read(ReadAll(b.saveAnswer)).PlainText(), "my notes");
    EXPECT_EQ(b.editor.Texto->toPlainText().toStdString(), "Other");
    // No: the changes are dropped.
    b.Type("x");
    m.answers = {platform::mrNo};
    b.openAnswers = {b.saveAnswer};
    b.editor.AbrirClick();
    EXPECT_EQ(b.editor.Texto->toPlainText().toStdString(), "my notes");
}

TEST(TextEditor, BoldColoursAndIndentsSurviveSaveAndReopen) {
    Bench b;
    TextEditor& e = b.editor;
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
    const ParagraphAttributes indents = e.Paragraph();
    e.Numeracao->click();
    b.saveAnswer = (b.dir.Path() / "formats.rtf").string();
    ASSERT_TRUE(e.GravarClick());
    EXPECT_TRUE(b.unchanged);
    EXPECT_EQ(b.fileName, "formats.rtf");

    e.LimparClick();
    b.openAnswers = {b.saveAnswer};
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
    EXPECT_EQ(e.Paragraph().FirstIndent, indents.FirstIndent);
    EXPECT_EQ(e.Paragraph().LeftIndent, indents.LeftIndent);
    EXPECT_TRUE(e.Numeracao->isChecked());
    EXPECT_TRUE(e.Centralizar->isChecked());

    // Saved again under its own name, without asking.
    b.Type("more ");
    EXPECT_TRUE(e.GravarClick());
    EXPECT_EQ(b.saveQuestions, 1);
}

// A save that fails half way (a full disk, a file too big for the device,
// a rename the device refuses) leaves the old note byte for byte and says so.
TEST(TextEditor, AFailedSaveKeepsTheOldNote) {
    platform::ScriptedMessenger m;
    Bench b;
    std::string old = "{\\rtf1 ";
    for (int i = 0; i < 400; ++i) old += "Old note line " + std::to_string(i) + ".\\par\r\n";
    old += "}";
    const std::string path = b.File("note.rtf", old);
    b.openAnswers = {path};
    b.editor.AbrirClick();
    b.Type("New words. ");
    auto failedSave = [&](const char* what) {
        m.shown.clear();
        EXPECT_FALSE(b.editor.GravarClick()) << what;
        EXPECT_EQ(ReadAll(path), old) << what;
        ASSERT_EQ(m.shown.size(), 1u) << what;
        EXPECT_EQ(m.shown[0].text, "Cannot write the file " + path + ".");
        EXPECT_EQ(m.shown[0].icon, platform::MsgIcon::Error);
        EXPECT_FALSE(b.unchanged) << what;
        EXPECT_EQ(b.Panel(1), "Modified");
        // Nothing half written is left beside the note.
        EXPECT_EQ(std::distance(std::filesystem::directory_iterator(b.dir.Path()), {}), 1) << what;
    };
    {
        platform::ScopedHostFault full(platform::HostCall::Write, 1, ENOSPC);
        failedSave("full disk");
    }
    {
        platform::testing::FileSizeLimit small(4096);
        failedSave("small device");
    }
    {
        platform::ScopedHostFault readOnly(platform::HostCall::Rename, 1, EROFS);
        failedSave("read-only device");
    }
    // The device works again: the note is saved.
    EXPECT_TRUE(b.editor.GravarClick());
    EXPECT_EQ(rtf::Read(ReadAll(path)).paragraphs.at(0).Text(), "New words. Old note line 0.");
}

// Notes keep their formats whatever window shows them: a note opened and
// saved unchanged keeps every paragraph's indents and spacing, and the
// indents the ruler sets are the same at every window width.
TEST(TextEditor, IndentsAndSpacingDoNotDependOnTheWindow) {
    const std::string sample = sample::LibraryTexts().at(0).second;
    const std::string word =
        "{\\rtf1\\ansi\\ansicpg1252\\deff0{\\fonttbl{\\f0\\froman\\fcharset0 Times New Roman;}"
        "{\\f1\\fswiss\\fcharset0 Arial;}}\r\n"
        "\\pard\\plain\\qc\\sb240\\sa120\\f1\\fs28\\b Checking a power supply\\par\r\n"
        "\\pard\\plain\\qj\\fi-360\\li720\\ri360\\sa60\\tx1440\\f0\\fs24 Ripple:\\tab under 50 mV at full load.\\par\r\n"
        "\\pard\\plain\\qj\\li1440\\ri720\\sb120\\f0\\fs24 Use the probe's ground spring.\\par\r\n"
        "\\pard\\plain\\fi-360\\li720\\ls1{\\listtext 1.\\tab}\\f0\\fs24 Switch off.\\par\r\n"
        "\\pard\\plain\\fi-360\\li720\\ls1{\\listtext 2.\\tab}\\f0\\fs24 Discharge C{\\sub 1}.\\par\r\n"
        "}\r\n";
    std::vector<std::string> ruled;  // the note the ruler indented, per width
    for (int width : {800, 1280, 1900}) {
        Bench b;
        b.editor.resize(width, 600);
        QApplication::processEvents();
        for (const auto& [name, bytes] : {std::pair{"sample.rtf", sample}, std::pair{"word.rtf", word}}) {
            b.openAnswers = {b.File(name, bytes)};
            b.editor.AbrirClick();
            ASSERT_TRUE(b.editor.GravarClick());
            EXPECT_EQ(rtf::Dump(rtf::Read(ReadAll(b.dir.Path() / name))), rtf::Dump(rtf::Read(bytes)))
                << name << " at " << width;
        }
        b.editor.LimparClick();
        b.editor.StartParagraphs();
        b.Type("Measured at the collector.");
        b.Drag(b.editor.Ruler->RightInd, 600 - b.X(b.editor.Ruler->RightInd));
        b.Drag(b.editor.Ruler->FirstInd, 120 - b.X(b.editor.Ruler->FirstInd));
        b.saveAnswer = (b.dir.Path() / "ruled.rtf").string();
        ASSERT_TRUE(b.editor.GravarClick());
        ruled.push_back(rtf::Dump(rtf::Read(ReadAll(b.saveAnswer))));
    }
    EXPECT_NE(ruled[0].find("first=900 left=880 right=1960"), std::string::npos) << ruled[0];
    EXPECT_EQ(ruled[1], ruled[0]);
    EXPECT_EQ(ruled[2], ruled[0]);
}

TEST(TextEditor, FontsAndBulletsApplyToTheSelection) {
    Bench b;
    TextEditor& e = b.editor;
    b.Type("Fonts");
    e.Texto->selectAll();
    QFont chosen("Courier New", 14);
    chosen.setBold(true);
    e.ChooseFont = [&](const QFont&) { return std::optional<QFont>(chosen); };
    e.Fontes->click();
    QTextCursor at(e.Texto->document());
    at.setPosition(2);
    EXPECT_EQ(at.charFormat().fontFamilies().toStringList().value(0).toStdString(), "Courier New");
    EXPECT_EQ(at.charFormat().fontPointSize(), 14);
    EXPECT_TRUE(e.Negrito->isChecked());
    e.ChooseFont = [](const QFont&) { return std::optional<QFont>(); };  // cancelled: nothing changes
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

TEST(TextEditor, PasteFollowsTheClipboard) {
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
    b.editor.LeaveClipboardChain();
    QApplication::clipboard()->setImage(picture);
    EXPECT_TRUE(b.editor.Colar->isEnabled());
}

TEST(TextEditor, CopiesFieldTakesDigitsOnly) {
    Bench b;
    QLineEdit* copies = b.editor.CopiasTexto;
    EXPECT_EQ(copies->text().toStdString(), "1");
    copies->clear();
    copies->setFocus();
    QTest::keyClicks(copies, "0a1x0-2 ");
    EXPECT_EQ(copies->text().toStdString(), "102");
    QTest::keyClick(copies, Qt::Key_Backspace);
    EXPECT_EQ(copies->text().toStdString(), "10");
    EXPECT_EQ(b.editor.RequestedCopies(), 10);
    copies->clear();
    b.editor.Texto->setFocus();  // leaving an empty field puts 1 back
    QApplication::processEvents();
    EXPECT_EQ(copies->text().toStdString(), "1");
    b.starting = true;  // not while the window is starting
    copies->clear();
    b.editor.CopiasTextoExit();
    EXPECT_EQ(copies->text().toStdString(), "");
}

TEST(TextEditor, PrintsTheGivenNumberOfCopies) {
    Bench b;
    b.Type("A page to print.");
    const std::string pdf = (b.dir.Path() / "out.pdf").string();
    b.editor.PreparePrinter = [&](QPrinter& printer) {
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

TEST(TextEditor, EnteringTheTabFirstTimeClearsTheModifiedMark) {
    Bench b;
    b.Type("x");
    EXPECT_EQ(b.Panel(1), "Modified");
    b.editor.EnterTab();
    EXPECT_EQ(b.Panel(1), "");
    EXPECT_EQ(b.editor.TagTexto, 0);
    b.editor.EnterTab();
    EXPECT_EQ(b.Panel(1), "Modified");
}

namespace {

// The label painted before a block of a list: the toolkit's own where it
// numbers the list, else the view's; "•" for a bullet.
std::string PaintedLabel(const QTextBlock& block) {
    const QTextList* list = block.textList();
    const QTextListFormat::Style style = list->format().style();
    if (style == QTextListFormat::ListDisc || style == QTextListFormat::ListCircle ||
        style == QTextListFormat::ListSquare)
        return "•";
    if (style != QTextListFormat::ListStyleUndefined) return list->itemText(block).toStdString();
    return rtf::ListLabel(block).toStdString();
}

// What the editor shows of its notes, a line per paragraph: the list label
// (as painted), the text (control characters as \xNN),
// the first character's font in «», then each tab stop as twips, its kind
// (L, C, R, D) and its leader.
std::string Shown(const QTextDocument& doc) {
    std::string out;
    for (QTextBlock block = doc.begin(); block.isValid(); block = block.next()) {
        if (block != doc.begin()) out += "\n";
        if (block.textList()) out += PaintedLabel(block) + " ";
        for (unsigned char c : block.text().toStdString()) {
            if (c < 0x20 && c != '\t') {
                char buf[8];
                std::snprintf(buf, sizeof buf, "\\x%02X", c);
                out += buf;
            } else {
                out += static_cast<char>(c);
            }
        }
        QTextCursor first(block);
        first.movePosition(QTextCursor::NextCharacter);
        const QStringList families = first.charFormat().fontFamilies().toStringList();
        out += " «" + (families.isEmpty() ? std::string() : families.front().toStdString()) + "»";
        const QVariantList leaders = block.blockFormat().property(rtf::kTabLeadersProperty).toList();
        const QList<QTextOption::Tab> tabs = block.blockFormat().tabPositions();
        for (qsizetype i = 0; i < tabs.size(); ++i) {
            out += " |" + std::to_string(static_cast<int>(std::lround(tabs[i].position * rtf::kTwipsPerPixel)));
            out += tabs[i].type == QTextOption::RightTab    ? "R"
                   : tabs[i].type == QTextOption::CenterTab ? "C"
                   : tabs[i].type == QTextOption::DelimiterTab ? "D"
                                                               : "L";
            const int leader = i < leaders.size() ? leaders[i].toInt() : 0;
            static const char* const names[] = {"", ".", "-", "_", "=thick", "="};
            out += names[std::clamp(leader, 0, 5)];
        }
    }
    return out;
}

}  // namespace

// Notes other editors wrote (each a few lines written by hand from the RTF
// rules) show what their authors wrote, and show it again after a save in
// this editor and a new open.
TEST(TextEditor, NotesFromOtherEditorsShowAsWrittenBeforeAndAfterASave) {
    struct Case {
        const char* name;
        std::string rtf;
        std::string shown;
        std::string status = "";  // after "Editing: <name>"
    };
    const std::string arial = "{\\rtf1\\ansi\\deff0{\\fonttbl{\\f0\\fswiss\\fcharset0 Arial;}";
    // A Word list table: list 1 decimal, list 2 lower roman from 3.
    const std::string listTable =
        "{\\*\\listtable{\\list\\listtemplateid1{\\listlevel\\levelnfc0\\levelstartat1{\\leveltext\\'02\\'00.;}"
        "{\\levelnumbers\\'01;}}\\listid10}{\\list\\listtemplateid2{\\listlevel\\levelnfc2\\levelstartat3"
        "{\\leveltext\\'02\\'00.;}{\\levelnumbers\\'01;}}\\listid20}}"
        "{\\*\\listoverridetable{\\listoverride\\listid10\\listoverridecount0\\ls1}"
        "{\\listoverride\\listid10\\listoverridecount0\\ls2}{\\listoverride\\listid20\\listoverridecount0\\ls3}}";
    // A Word list table whose labels read "a)" and "(1)", and a list of two
    // levels: "1." outside, "a)" inside.
    const std::string punctuatedTable =
        "{\\*\\listtable{\\list\\listtemplateid3{\\listlevel\\levelnfc4\\levelstartat1"
        "{\\leveltext\\leveltemplateid7\\'02\\'00);}{\\levelnumbers\\'01;}}\\listid30}"
        "{\\list\\listtemplateid4{\\listlevel\\levelnfc0\\levelstartat1{\\leveltext\\'03(\\'00);}"
        "{\\levelnumbers\\'02;}}\\listid40}"
        "{\\list\\listtemplateid5{\\listlevel\\levelnfc0\\levelstartat1{\\leveltext\\'02\\'00.;}"
        "{\\levelnumbers\\'01;}}{\\listlevel\\levelnfc4\\levelstartat1{\\leveltext\\'02\\'01);}"
        "{\\levelnumbers\\'01;}}\\listid50}}"
        "{\\*\\listoverridetable{\\listoverride\\listid30\\listoverridecount0\\ls1}"
        "{\\listoverride\\listid40\\listoverridecount0\\ls2}{\\listoverride\\listid50\\listoverridecount0\\ls3}}";
    // A lettered list of 28 items: z., then aa., bb. as Word counts.
    std::string lettersRtf = arial + "}\\pard{\\*\\pn\\pnlvlbody\\pnstart1\\pnlcltr{\\pntxta.}}\\fi-360\\li720\\f0 ";
    std::string lettersShown;
    for (int i = 0; i < 28; ++i) {
        const std::string label = i < 26 ? std::string(1, static_cast<char>('a' + i)) + "."
                                         : std::string(2, static_cast<char>('a' + i - 26)) + ".";
        lettersRtf += "{\\pntext\\f0 " + label + "\\tab}Item\\par ";
        lettersShown += (i ? "\n" : "") + label + " Item «Arial»";
    }
    lettersRtf += "}";
    const std::vector<Case> cases = {
        {"field.rtf", arial + "}\\f0 See {\\field{\\*\\fldinst HYPERLINK \"http://x/\"}{\\*\\fldrslt 2.0}} now\\par}",
         "See 2.0 now «Arial»"},
        // \ucN: a control word or \'hh counts as one skipped character;
        // \u without digits is no character; control characters stay.
        {"unicode.rtf", arial + "}\\f0\\uc1 a\\u8212\\emdash b\\uc2 c\\u8364\\'80\\'80d{\\uc0\\u233}x\\u yz"
                                "\\'07\\uc1\\u1?q\\par}",
         "a—bc€déxyz\\x07\\x01q «Arial»"},
        {"symbol.rtf", arial + "{\\f1\\froman\\fcharset0 Symbol;}{\\f2 Symbol;}}\\f0 10 k{\\f1 W}, {\\f2 m}F\\par}",
         "10 kΩ, µF «Arial»"},
        {"ansicpg.rtf", "{\\rtf1\\ansi\\ansicpg1251\\deff0{\\fonttbl{\\f0 Arial;}}\\f0 \\'c0\\'e1\\par}", "Аб «Arial»"},
        {"fontnames.rtf",
         "{\\rtf1\\ansi\\ansicpg932\\deff0{\\fonttbl{\\f0\\fnil\\fcharset128 \\'82\\'6c\\'82\\'72 "
         "\\'82\\'6f\\'83\\'53\\'83\\'56\\'83\\'62\\'83\\'4e;}{\\f1\\fnil\\fcharset204\\uc1 \\u1052?\\u1057?;}}"
         "\\f0 \\'82\\'a8\\par\\f1 x\\par}",
         "お «ＭＳ Ｐゴシック»\nx «МС»"},
        {"macjapanese.rtf", "{\\rtf1\\mac\\ansicpg10001\\deff0{\\fonttbl{\\f0 Osaka;}}\\f0 \\'82\\'a8\\'93\\'c7\\'82\\'dd\\par"
                            "{\\f1 x}\\par}",
         "お読み «Osaka»\nx «Osaka»"},
        {"pages.rtf", "{\\rtf1\\ansi\\deff0{\\fonttbl{\\f0\\fcharset89 Geneva;}{\\f1\\cpg865 Courier;}"
                      "{\\f2\\cpg28591 Arial;}}\\f0 \\'80\\f1 \\'9b\\f2 \\'e3\\par}",
         "Аøã «Geneva»"},
        {"unknown.rtf", "{\\rtf1\\ansi\\ansicpg12345\\deff0{\\fonttbl{\\f0 Arial;}}\\f0 x\\'e3\\par}", "xã «Arial»",
         " (code page 12345 unknown: its text is shown as Windows-1252)"},
        {"tabs.rtf", arial + "}\\pard\\tx1440\\tqc\\tx2880\\tqr\\tldot\\tx5760\\tqdec\\tlhyph\\tx7200\\f0 a\\tab b\\par}",
         "a\tb «Arial» |1440L |2880C |5760R. |7200D-"},
        // WordPad: a start value, letters, roman, a list going on after a
        // plain paragraph (its label says so) and a new one right after.
        {"wordpad.rtf",
         arial + "}\\pard{\\pntext\\f0 5.\\tab}{\\*\\pn\\pnlvlbody\\pnf0\\pnindent0\\pnstart5\\pndec{\\pntxta.}}"
                 "\\fi-360\\li720\\f0 Five\\par{\\pntext\\f0 6.\\tab}Six\\par"
                 "\\pard Plain\\par"
                 "\\pard{\\pntext\\f0 7.\\tab}{\\*\\pn\\pnlvlbody\\pnf0\\pnindent0\\pnstart1\\pndec{\\pntxta.}}"
                 "\\fi-360\\li720 Seven\\par"
                 "{\\pntext\\f0 1.\\tab}New\\par"
                 "\\pard{\\pntext\\f0 c.\\tab}{\\*\\pn\\pnlvlbody\\pnstart3\\pnlcltr{\\pntxta.}}\\fi-360\\li720 Gamma\\par"
                 "{\\pntext\\f0 d.\\tab}Delta\\par"
                 "\\pard{\\pntext\\f0 IV.\\tab}{\\*\\pn\\pnlvlbody\\pnstart4\\pnucrm{\\pntxta.}}\\fi-360\\li720 Four\\par"
                 "\\pard{\\pntext\\f0\\'b7\\tab}{\\*\\pn\\pnlvlblt\\pnindent0{\\pntxtb\\'b7}}\\fi-360\\li720 Dot\\par}",
         "5. Five «Arial»\n6. Six «Arial»\nPlain «Arial»\n7. Seven «Arial»\n1. New «Arial»\nc. Gamma «Arial»\n"
         "d. Delta «Arial»\nIV. Four «Arial»\n• Dot «Arial»"},
        // Word: one list across an interruption (its second item as Word
        // 2000 writes one, with a \pn for older readers), another list
        // right after it, and a roman list from iii.
        {"word.rtf",
         arial + "}" + listTable +
             "\\pard\\ls1\\ilvl0\\fi-360\\li720\\f0 {\\listtext 1.\\tab}One\\par"
             "\\pard\\f0 Between\\par"
             "\\pard{\\*\\pn\\pnlvlbody\\ilvl0\\ls1\\pnrnot0\\pndec }\\ls1\\ilvl0\\fi-360\\li720\\f0 "
             "{\\listtext 2.\\tab}Two\\par"
             "\\pard\\ls2\\ilvl0\\fi-360\\li720\\f0 {\\listtext 1.\\tab}Other\\par"
             "\\pard\\ls3\\ilvl0\\fi-360\\li720\\f0 {\\listtext iii.\\tab}Three\\par"
             "\\pard\\ls3\\ilvl0\\fi-360\\li720\\f0 {\\listtext iv.\\tab}Four\\par}",
         "1. One «Arial»\nBetween «Arial»\n2. Two «Arial»\n1. Other «Arial»\niii. Three «Arial»\niv. Four «Arial»"},
        // Labels with text before and after the number: WordPad's \pntxtb
        // and \pntxta (with labels, and without them), Word's level text.
        {"punctuated.rtf",
         arial + "}" + punctuatedTable +
             "\\pard{\\pntext\\f0 (a)\\tab}{\\*\\pn\\pnlvlbody\\pnindent0\\pnstart1\\pnlcltr{\\pntxtb (}{\\pntxta )}}"
             "\\fi-360\\li720\\f0 Alpha\\par{\\pntext\\f0 (b)\\tab}Beta\\par"
             "\\pard{\\*\\pn\\pnlvlbody\\pnstart4\\pnucrm{\\pntxta )}}\\fi-360\\li720\\f0 Four\\par Five\\par"
             "\\pard\\ls1\\ilvl0\\fi-360\\li720\\f0 {\\listtext a)\\tab}First\\par"
             "\\pard\\ls1\\ilvl0\\fi-360\\li720\\f0 {\\listtext b)\\tab}Second\\par"
             "\\pard\\ls2\\ilvl0\\fi-360\\li720\\f0 {\\listtext (1)\\tab}Uno\\par}",
         "(a) Alpha «Arial»\n(b) Beta «Arial»\nIV) Four «Arial»\nV) Five «Arial»\na) First «Arial»\nb) Second «Arial»\n"
         "(1) Uno «Arial»"},
        // Each item of the outer level starts the inner level anew; the
        // outer level goes on after the inner items.
        {"levels.rtf",
         arial + "}" + punctuatedTable +
             "\\pard\\ls3\\ilvl0\\fi-360\\li720\\f0 One\\par"
             "\\pard\\ls3\\ilvl1\\fi-360\\li1440\\f0 A\\par\\pard\\ls3\\ilvl1\\fi-360\\li1440\\f0 B\\par"
             "\\pard\\ls3\\ilvl0\\fi-360\\li720\\f0 Two\\par"
             "\\pard\\ls3\\ilvl1\\fi-360\\li1440\\f0 C\\par}",
         "1. One «Arial»\na) A «Arial»\nb) B «Arial»\n2. Two «Arial»\na) C «Arial»"},
        {"letters.rtf", lettersRtf, lettersShown},
    };
    Bench b;
    TextEditor& e = b.editor;
    for (const Case& c : cases) {
        const std::string path = b.File(c.name, c.rtf);
        b.openAnswers = {path};
        e.AbrirClick();
        EXPECT_EQ(Shown(*e.Texto->document()), c.shown) << c.name << " as written";
        EXPECT_EQ(b.Panel(2), "Editing: " + std::string(c.name) + c.status) << c.name;
        ASSERT_TRUE(e.GravarClick()) << c.name;
        EXPECT_EQ(b.Panel(2), "Editing: " + std::string(c.name)) << c.name;
        e.LimparClick();
        b.openAnswers = {path};
        e.AbrirClick();
        EXPECT_EQ(Shown(*e.Texto->document()), c.shown) << c.name << " as saved:\n" << ReadAll(path);
    }

    // The view paints what the toolkit does not: a label before a numbered
    // paragraph (none before a plain one) and dots across a leader's gap.
    const std::string path = b.File("painted.rtf", arial + "}" + listTable +
                                                       "\\pard\\ls3\\fi-360\\li720\\f0 Three\\par"
                                                       "\\pard\\li720\\f0 Plain\\par"
                                                       "\\pard\\tqr\\tldot\\tx5760\\f0 a\\tab b\\par}");
    b.openAnswers = {path};
    e.AbrirClick();
    QApplication::processEvents();
    const QImage shot = e.Texto->viewport()->grab().toImage();
    auto inkIn = [&](const QRectF& r) {
        int ink = 0;
        for (int y = static_cast<int>(r.top()); y < static_cast<int>(r.bottom()); ++y)
            for (int x = std::max(0, static_cast<int>(r.left())); x < static_cast<int>(r.right()); ++x)
                if (qGray(shot.pixel(x, y)) < 128) ++ink;
        return ink;
    };
    auto lineOf = [&](int n) {
        const QTextBlock block = e.Texto->document()->findBlockByNumber(n);
        const QTextLine line = block.layout()->lineAt(0);
        return line.naturalTextRect().translated(block.layout()->position());
    };
    const QRectF three = lineOf(0), plain = lineOf(1), tabbed = lineOf(2);
    EXPECT_GT(inkIn(QRectF(three.left() - 30, three.top(), 28, three.height())), 0) << "no label";
    EXPECT_EQ(inkIn(QRectF(plain.left() - 30, plain.top(), 28, plain.height())), 0);
    EXPECT_GT(inkIn(QRectF(tabbed.left() + 100, tabbed.top(), 200, tabbed.height())), 0) << "no leader";
}
