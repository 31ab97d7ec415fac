#pragma once
// THtmlParser fills a TSectionList from HTML: text sections, paragraph and
// heading spaces, rules, preformatted lines, list items, tables, forms and
// their controls, image maps and the anchor list. It never fails on bad
// markup: unknown or misplaced tags are skipped. One parse at a time per
// parser object.
#include "htmlview/forms/FormMaker.h"
#include "htmlview/layout/SectionList.h"
#include "htmlview/tokenizer/Tokenizer.h"
#include "htmlview/util/StringList.h"

#include <functional>
#include <memory>
#include <string>
#include <vector>

namespace htmlview {

class TSection;
class ThtmlTable;

// META: the values of HTTP-EQUIV, NAME and CONTENT (empty when absent).
using TMetaType = std::function<void(QWidget* sender, const std::string& httpEq, const std::string& name,
                                     const std::string& content)>;
// BGSOUND: SRC and LOOP (1 when absent).
using TSoundRequestEvent = std::function<void(QWidget* sender, const std::string& src, int loop, bool terminate)>;
// Makes the control of an INPUT, SELECT or TEXTAREA tag at the end of
// Section: joins CurrentForm (making a form without attributes when there is
// none), and places the control in the section (an image control as an
// inline image, a hidden one nowhere). Returns the control or nullptr.
using TFormControlMaker = std::function<TFormControlObj*(THtmlSymbol tag, TSectionList* document,
                                                         ThtmlForm*& currentForm, TSection* section, TCell* cell,
                                                         const TAttributeList& attributes)>;


// Containers (lists, blockquotes, centres, divisions, tables) nest at most
// this deep; deeper opening tags are skipped.
constexpr int kMaxNesting = 32;
// Tables nest at most this deep.
constexpr int kMaxTableNesting = 16;

class THtmlParser {
public:
    THtmlParser();
    ~THtmlParser();

    TMetaType OnMeta;
    TSoundRequestEvent OnSoundRequest;
    TIncludeType OnInclude;
    TFormControlMaker MakeFormControl = MakeHtmlFormControl;  // every INPUT, SELECT and TEXTAREA

    // Collected by the last parse.
    std::string Title, BaseHref, BaseTarget;

    // The three entry points. NameList receives the anchors (upper-cased
    // NAME -> the section holding it); nullptr uses the document's. Bytes are
    // Windows-1252. An unterminated comment raises EParseError from a buffer
    // or line list after what was built is in the document; from a file the
    // tree built so far is kept and the load completes.
    void ParseHtmlBuffer(TSectionList& document, TStringList* nameList, const char* buffer, size_t length);
    void ParseHtmlStrings(TSectionList& document, TStringList* nameList, const std::vector<std::string>& lines);
    void ParseHtmlFile(TSectionList& document, TStringList* nameList, const std::string& fileName);

private:
    void run(TSectionList& document, TStringList* nameList);
    void initParser(TSectionList& document, TStringList* nameList);
    void cleanUp();

    // Loops.
    void bodyLoop(int level, const TSymbolSet& stop);
    bool listLoop(int depth, THtmlSymbol kind, const TSymbolSet& stop);
    void handler(int level);
    void centerOrDiv(int level, const TSymbolSet& stop);
    void preLoop(int level);
    void tableLoop(int level);
    void optionLoop(TFormControlObj* control);
    void textAreaLoop(TFormControlObj* control);
    void mapLoop();
    void scriptLoop();

    // Steps.
    void next() { tok_.ReadNextToken(); }
    TMyFont& top() { return *fonts_.back(); }
    bool push();
    void pop();
    void popTo(size_t height);
    void openSection(int level, int align);
    void ensureSection(int level);
    void closeSection();
    void applyFont();
    // Ends an open link; Always also starts a plain run in the open section.
    void closeLink(bool always = false);
    void anchor(int level);
    bool named(const TSection* section) const;
    void body(int level);
    void paragraph(int level);
    void fontChange(bool isBaseFont, bool pre);
    bool sizeStep(bool bigger);
    bool styleTag(THtmlSymbol sym);
    void formControl(THtmlSymbol sym, int level);

    // Tag groups of the handler.
    void subSupTag(THtmlSymbol sym, int level);
    void lineBreak(int level);
    void headingTag(int level);
    void endHeading();
    void pushFixedFont();
    void addressTag(THtmlSymbol sym, int level);
    void formTag(THtmlSymbol sym);

    // Preformatted text.
    struct PreRun;
    void openPre(PreRun& run);
    void flushPre(PreRun& run);
    void preNewLine(PreRun& run);
    bool preTag(PreRun& run);

    // Tables.
    struct TableBuild;
    void finishCell(TableBuild& t);
    void addRow(TableBuild& t);
    void finishTable(TableBuild& t);
    void enterTableCell(TableBuild& t);
    void tableCell(TableBuild& t);
    void tableRow(TableBuild& t);
    void tableCaption(TableBuild& t);
    void tableText(TableBuild& t);

    THtmlTokenizer tok_;
    TSectionList* doc_ = nullptr;
    TStringList* names_ = nullptr;
    TCell* cell_ = nullptr;
    std::unique_ptr<TSection> section_;
    std::vector<std::unique_ptr<TMyFont>> fonts_;
    TUrlTarget link_;
    bool inLink_ = false;
    int justify_ = 1;
    TInlineState state_;
    ThtmlForm* form_ = nullptr;
    int baseFontLevel_ = 3;
    int nesting_ = 0;
    int tableNesting_ = 0;
};

}  // namespace htmlview
