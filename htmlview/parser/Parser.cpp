#include "htmlview/parser/Parser.h"

#include "htmlview/blocks/HorzLine.h"
#include "htmlview/blocks/ListItems.h"
#include "htmlview/blocks/Spaces.h"
#include "htmlview/blocks/TextArea.h"
#include "htmlview/layout/Section.h"
#include "htmlview/tables/Table.h"
#include "htmlview/util/HtmlUtils.h"
#include "platform/core/runtime/Codepage.h"
#include "platform/core/runtime/Text.h"

#include <algorithm>
#include <fstream>
#include <initializer_list>
#include <limits>

namespace htmlview {

namespace {
constexpr int kMaxFonts = 25;
constexpr int kFontSizes[7] = {8, 10, 12, 14, 18, 24, 36};
constexpr int kPreFontSizes[7] = {7, 8, 10, 12, 15, 20, 30};
constexpr int kMaxOptionText = 80;

TSymbolSet symbols(std::initializer_list<THtmlSymbol> list) {
    TSymbolSet s;
    for (THtmlSymbol x : list) s.set(x);
    return s;
}

const TSymbolSet& listEnds() {
    static const TSymbolSet s = symbols({symEndOL, symEndUL, symEndDIR, symEndMENU, symEndDL, symEndBLOCKQUOTE});
    return s;
}

const TSymbolSet& cellStop() {
    static const TSymbolSet s =
        symbols({symEndTABLE, symTD, symEndTD, symTR, symEndTR, symTH, symEndTH, symCAPTION, symEndCAPTION});
    return s;
}

// The tags the block-and-inline handler takes (text included).
const TSymbolSet& handlerTags() {
    static const TSymbolSet s = symbols({
        symText,   symP,        symEndP,      symB,         symEndB,     symSTRONG,  symEndSTRONG, symI,
        symEndI,   symEM,       symEndEM,     symCITE,      symEndCITE,  symVAR,     symEndVAR,    symU,
        symEndU,   symS,        symEndS,      symSTRIKE,    symEndSTRIKE, symSUB,    symEndSUB,    symSUP,
        symEndSUP, symBR,       symH,         symEndH,      symTT,       symCODE,    symKBD,       symSAMP,
        symEndTT,  symEndCODE,  symEndKBD,    symEndSAMP,   symEndFONT,  symEndBIG,  symEndSMALL,  symADDRESS,
        symEndADDRESS, symPRE,  symIMG,       symA,         symEndA,     symTABLE,   symINPUT,     symSELECT,
        symFORM,   symEndFORM,  symTEXTAREA,  symEndTEXTAREA, symFONT,   symBASEFONT, symBIG,      symSMALL,
        symMAP,    symSCRIPT,
    });
    return s;
}

bool isListStart(THtmlSymbol s) { return s == symOL || s == symUL || s == symDIR || s == symMENU || s == symDL; }

std::string attrText(const TAttributeList& attrs, THtmlSymbol sym) {
    const TAttribute* a = attrs.Find(sym);
    return a ? a->Text : std::string();
}

// "left" 1, "center" 2, "right" 3 (lower-cased, first 10 characters); Default otherwise.
int alignOf(const TAttributeList& attrs, int def) {
    const TAttribute* a = attrs.Find(attrALIGN);
    if (!a) return def;
    const std::string v = platform::AsciiLower(a->Text.substr(0, 10));
    if (v == "left") return 1;
    if (v == "center") return 2;
    if (v == "right") return 3;
    return def;
}

// A table's ALIGN: "left" 1, "center" 2, "right" 3, else 0.
int alignCode(const std::string& v) {
    const std::string l = platform::AsciiLower(v);
    return l == "left" ? 1 : l == "center" ? 2 : l == "right" ? 3 : 0;
}

// VALIGN "top" or "baseline" 0, "middle" 1, "bottom" 2 (first 9 characters); def otherwise.
int valignOf(const TAttributeList& attrs, int def) {
    const TAttribute* a = attrs.Find(attrVALIGN);
    if (!a) return def;
    const std::string v = platform::AsciiLower(a->Text.substr(0, 9));
    if (v == "top" || v == "baseline") return 0;
    if (v == "middle") return 1;
    if (v == "bottom") return 2;
    return def;
}

// Anchors that named a discarded section move to its successor.
void repointAnchors(TStringList* names, const void* from, void* to) {
    if (!names) return;
    for (auto& item : names->Items)
        if (item.Object == from) item.Object = to;
}

// Counts one level of container nesting for the lifetime of a loop.
class NestingLevel {
public:
    explicit NestingLevel(int& depth) : depth_(depth) { ++depth_; }
    ~NestingLevel() { --depth_; }
    NestingLevel(const NestingLevel&) = delete;
    NestingLevel& operator=(const NestingLevel&) = delete;

private:
    int& depth_;
};
}  // namespace

THtmlParser::THtmlParser() = default;
THtmlParser::~THtmlParser() = default;

// ---- entry points ----

void THtmlParser::ParseHtmlBuffer(TSectionList& document, TStringList* nameList, const char* buffer, size_t length) {
    tok_.SetBuffer(buffer, length);
    run(document, nameList);
}

void THtmlParser::ParseHtmlStrings(TSectionList& document, TStringList* nameList,
                                   const std::vector<std::string>& lines) {
    tok_.SetStrings(&lines);
    run(document, nameList);
}

void THtmlParser::ParseHtmlFile(TSectionList& document, TStringList* nameList, const std::string& fileName) {
    std::ifstream in(fileName, std::ios::binary);
    if (!in) throw EInOutError("Cannot open file " + fileName);
    std::string bytes{std::istreambuf_iterator<char>(in), std::istreambuf_iterator<char>()};
    if (in.bad()) throw EInOutError("Read error in file " + fileName);
    // A file in UTF-8 enters the viewer as Windows-1252; any other is taken as it is.
    if (platform::HasNonAscii(bytes) && platform::IsValidUtf8(bytes)) bytes = platform::Utf8ToCp1252(bytes);
    tok_.SetBuffer(bytes.data(), bytes.size());
    try {
        run(document, nameList);
    } catch (const EParseError&) {
        // An unterminated comment ends the file; what came before it stays.
    }
}

void THtmlParser::run(TSectionList& document, TStringList* nameList) {
    initParser(document, nameList);
    // An open comment ends the input; everything before it, the text right
    // before it included, is parsed, and the error is raised afterwards.
    tok_.StopAtOpenComment = true;
    try {
        tok_.ReadCharSkipComments();
        tok_.ReadNextToken();
        bodyLoop(0, TSymbolSet());
    } catch (...) {
        cleanUp();
        throw;
    }
    cleanUp();
    if (tok_.OpenCommentAtEnd) throw EParseError(THtmlTokenizer::kOpenCommentMessage);
}

void THtmlParser::initParser(TSectionList& document, TStringList* nameList) {
    doc_ = &document;
    names_ = nameList ? nameList : document.NameList;
    if (names_ && !document.NameList) document.NameList = names_;  // sections that go leave it
    cell_ = doc_;
    tok_.Viewer = doc_->Viewer;
    tok_.OnInclude = OnInclude;
    fonts_.clear();
    auto base = std::make_unique<TMyFont>();
    base->SetName(doc_->BodyFontName);
    base->SetColor(doc_->TextColor);
    base->SetNominalSize(*doc_, 12);
    base->SetCharset(doc_->FontCharset);
    fonts_.push_back(std::move(base));
    link_.Clear();
    inLink_ = false;
    baseFontLevel_ = 3;
    Title.clear();
    BaseHref.clear();
    BaseTarget.clear();
    justify_ = 1;
    state_ = TInlineState();
    form_ = nullptr;
    nesting_ = 0;
    tableNesting_ = 0;
    section_.reset();
    openSection(0, 1);
}

void THtmlParser::cleanUp() {
    tok_.Attributes.Clear();
    tok_.RawScript = false;
    if (cell_) closeSection();
    section_.reset();
    fonts_.clear();
    link_.Clear();
    inLink_ = false;
    cell_ = nullptr;
    form_ = nullptr;
}

// ---- fonts, sections, links ----

bool THtmlParser::push() {
    if (static_cast<int>(fonts_.size()) >= kMaxFonts) return false;
    fonts_.push_back(std::make_unique<TMyFont>(top()));
    return true;
}

void THtmlParser::pop() {
    if (fonts_.size() > 1) fonts_.pop_back();
}

void THtmlParser::popTo(size_t height) {
    while (fonts_.size() > std::max<size_t>(height, 1)) fonts_.pop_back();
}

void THtmlParser::openSection(int level, int align) {
    section_ = std::make_unique<TSection>(level, align, inLink_ ? &link_ : nullptr, top(), state_);
    section_->Document = doc_;
}

void THtmlParser::ensureSection(int level) {
    if (!section_) openSection(level, justify_);
}

void THtmlParser::closeSection() {
    if (!section_) return;
    if (cell_) cell_->AddBlock(section_.release());
    else section_.reset();
}

void THtmlParser::applyFont() {
    if (section_) section_->ChangeFont(*doc_, top(), state_);
}

void THtmlParser::closeLink(bool always) {
    if (!inLink_ && !always) return;
    if (inLink_) {
        link_.Clear();
        inLink_ = false;
        pop();
    }
    if (section_) section_->ChangeFontAndLink(false, *doc_, top(), nullptr, state_);
}

bool THtmlParser::named(const TSection* section) const {
    if (!names_) return false;
    return std::any_of(names_->Items.begin(), names_->Items.end(),
                       [section](const TStringList::Item& it) { return it.Object == section; });
}

void THtmlParser::anchor(int level) {
    const TAttributeList& attrs = tok_.Attributes;
    for (int i = 0; i < attrs.Count(); ++i) {
        const TAttribute* a = attrs[i];
        if (a->Symbol == attrHREF) {
            closeLink(true);
            if (a->Text.empty()) continue;
            const TAttribute* target = attrs.Find(attrTARGET);
            link_.Assign(&a->Text, target ? &target->Text : nullptr);
            inLink_ = true;
            if (push()) {
                top().SetStyle(top().Style() | fsUnderline);
                top().SetColor(doc_->LinkColor);
            }
            if (section_) section_->ChangeFontAndLink(true, *doc_, top(), &link_, state_);
        } else if (a->Symbol == attrNAME && !a->Text.empty()) {
            ensureSection(level);
            if (names_) names_->AddObject(platform::AsciiUpper(a->Text), section_.get());
        }
    }
}

// ---- the body loop ----

void THtmlParser::bodyLoop(int level, const TSymbolSet& stop) {
    for (;;) {
        const THtmlSymbol sym = tok_.Sym;
        if (stop.test(sym)) return;
        if (sym == symEndOfInput || sym == symEndBODY) {
            next();
            return;
        }
        const TAttributeList& attrs = tok_.Attributes;
        switch (sym) {
            case symTITLE:
                next();
                while (tok_.Sym == symText) {
                    Title += tok_.TokenText;
                    next();
                }
                break;
            case symBODY:
                body(level);
                next();
                break;
            case symHR:
                closeSection();
                cell_->AddBlock(new THorzLine(&attrs));
                next();
                break;
            case symBASE:
                if (const TAttribute* a = attrs.Find(attrHREF)) BaseHref = a->Text;
                if (const TAttribute* a = attrs.Find(attrTARGET)) BaseTarget = a->Text;
                next();
                break;
            case symOL:
            case symUL:
            case symDIR:
            case symMENU:
            case symDL:
            case symBLOCKQUOTE:
                if (nesting_ >= kMaxNesting) {
                    next();
                    break;
                }
                if (sym == symBLOCKQUOTE) closeSection();
                // A list that a stop tag ended leaves that tag to the caller.
                if (listLoop(1, sym, stop)) next();
                break;
            case symCENTER:
            case symDIV:
                centerOrDiv(level, stop);
                break;
            case symBGSOUND:
                if (OnSoundRequest) {
                    if (const TAttribute* src = attrs.Find(attrSRC)) {
                        const TAttribute* loop = attrs.Find(attrLOOP);
                        OnSoundRequest(doc_->Viewer, src->Text, loop ? loop->NumValue : 1, false);
                    }
                }
                next();
                break;
            case symMETA:
                if (OnMeta)
                    OnMeta(doc_->Viewer, attrText(attrs, attrHTTP_EQUIV), attrText(attrs, attrNAME),
                           attrText(attrs, attrCONTENT));
                next();
                break;
            default:
                if (handlerTags().test(sym)) handler(level);
                else next();
                break;
        }
    }
}

void THtmlParser::body(int level) {
    if (cell_->Count() != 0) return;
    std::unique_ptr<TSection> old = std::move(section_);
    const TAttributeList& attrs = tok_.Attributes;
    for (int i = 0; i < attrs.Count(); ++i) {
        const TAttribute* a = attrs[i];
        TColor c;
        switch (a->Symbol) {
            case attrTEXT:
                if (ParseColor(a->Text, c)) {
                    top().SetColor(c | kPaletteRelative);
                    doc_->TextColor = c | kPaletteRelative;
                }
                break;
            case attrLINK:
                if (ParseColor(a->Text, c)) doc_->LinkColor = c | kPaletteRelative;
                break;
            case attrBGCOLOR:
                if (ParseColor(a->Text, c)) doc_->SetBackColor(c | kPaletteRelative);
                break;
            case attrBACKGROUND:
                doc_->SetBackImage(a->Text);
                break;
            default:
                break;
        }
    }
    section_ = std::make_unique<TSection>(level, justify_, nullptr, *fonts_.front(), state_);
    section_->Document = doc_;
    // An anchor read before BODY stays usable: it names the new section.
    repointAnchors(names_, old.get(), section_.get());
}

void THtmlParser::centerOrDiv(int level, const TSymbolSet& stop) {
    if (nesting_ >= kMaxNesting) {
        next();
        return;
    }
    NestingLevel nested(nesting_);
    closeSection();
    const int saved = justify_;
    if (tok_.Sym == symCENTER) justify_ = 2;
    else justify_ = alignOf(tok_.Attributes, justify_);
    openSection(level, justify_);
    next();
    TSymbolSet inner = stop;
    inner.set(symEndCENTER);
    inner.set(symEndDIV);
    bodyLoop(level, inner);
    closeSection();
    justify_ = saved;
    openSection(level, justify_);
    if (tok_.Sym == symEndCENTER || tok_.Sym == symEndDIV) next();
}

// ---- lists ----

bool THtmlParser::listLoop(int depth, THtmlSymbol kind, const TSymbolSet& stop) {
    NestingLevel nested(nesting_);
    int number = 1;
    char style = '1';
    bool plain = false;
    if (kind == symOL) {
        if (const TAttribute* a = tok_.Attributes.Find(attrSTART)) number = a->NumValue >= 0 ? a->NumValue : 1;
        if (const TAttribute* a = tok_.Attributes.Find(attrTYPE); a && !a->Text.empty()) style = a->Text[0];
    } else if (kind == symUL) {
        plain = tok_.Attributes.Find(attrPLAIN) != nullptr;
    }
    closeSection();
    next();
    if (listEnds().test(tok_.Sym)) return true;
    // Item marks inside a centred part end it, so the next item keeps its marker.
    TSymbolSet centreStop = stop | listEnds();
    centreStop.set(symEndOfInput);
    centreStop.set(symLI);
    centreStop.set(symDT);
    centreStop.set(symDD);
    int itemLevel = depth;
    for (;;) {
        const THtmlSymbol sym = tok_.Sym;
        if (listEnds().test(sym)) {
            closeSection();
            return true;
        }
        if (sym == symEndOfInput) break;
        if (sym == symTABLE) {
            if (section_) section_->EnsureText();
            tableLoop(itemLevel);
        } else if (sym == symHR) {
            closeSection();
            cell_->AddBlock(new THorzLine(&tok_.Attributes));
            next();
        } else if (isListStart(sym) || sym == symBLOCKQUOTE) {
            if (nesting_ >= kMaxNesting) {
                next();
                continue;
            }
            if (sym == symBLOCKQUOTE) closeSection();
            if (listLoop(depth + 1, sym, stop)) next();
        } else if (sym == symLI) {
            closeSection();
            const TUrlTarget* link = inLink_ ? &link_ : nullptr;
            if (kind == symOL) {
                section_ = std::make_unique<TOListItem>(depth, link, top(), state_, style, number);
                if (number < std::numeric_limits<int>::max()) ++number;
            } else {
                section_ = std::make_unique<TUListItem>(depth, link, top(), state_);
                section_->Plain = kind == symUL && plain;
            }
            section_->Document = doc_;
            tok_.SkipBlanks();
            next();
            if (tok_.Sym == symP) next();
            itemLevel = depth;
        } else if (sym == symDT || sym == symDD) {
            closeSection();
            itemLevel = sym == symDT ? depth - 1 : depth;
            section_ = std::make_unique<TDListItem>(itemLevel, inLink_ ? &link_ : nullptr, top(), state_);
            section_->Document = doc_;
            next();
        } else if (sym == symCENTER || sym == symDIV) {
            bodyLoop(itemLevel, centreStop);
        } else if (handlerTags().test(sym)) {
            handler(itemLevel);
        } else if (stop.test(sym)) {
            closeSection();
            return false;
        } else {
            next();
        }
    }
    closeSection();
    return false;
}

// ---- the block-and-inline handler ----

bool THtmlParser::styleTag(THtmlSymbol sym) {
    TFontStyles& f = state_.StyleFlags;
    switch (sym) {
        case symB: case symSTRONG: f |= fsBold; break;
        case symEndB: case symEndSTRONG: f &= static_cast<TFontStyles>(~fsBold); break;
        case symI: case symEM: case symCITE: case symVAR: f |= fsItalic; break;
        case symEndI: case symEndEM: case symEndCITE: case symEndVAR: f &= static_cast<TFontStyles>(~fsItalic); break;
        case symU: f |= fsUnderline; break;
        case symEndU: f &= static_cast<TFontStyles>(~fsUnderline); break;
        case symS: case symSTRIKE: f |= fsStrikeOut; break;
        case symEndS: case symEndSTRIKE: f &= static_cast<TFontStyles>(~fsStrikeOut); break;
        default: return false;
    }
    return true;
}

void THtmlParser::paragraph(int level) {
    closeSection();
    if (!tok_.ParagraphSpacePending) cell_->AddBlock(new TParagraphSpace);
    tok_.SkipBlanks();
    int align = tok_.Sym == symP ? alignOf(tok_.Attributes, justify_) : justify_;
    tok_.ParagraphSpacePending = true;
    next();
    while (tok_.Sym == symP || tok_.Sym == symEndP) {
        align = tok_.Sym == symP ? alignOf(tok_.Attributes, justify_) : justify_;
        next();
    }
    openSection(level, align);
}

void THtmlParser::fontChange(bool isBaseFont, bool pre) {
    const TAttributeList& attrs = tok_.Attributes;
    int size = 0;
    bool hasColor = false;
    TColor color = 0;
    std::string face;
    for (int i = 0; i < attrs.Count(); ++i) {
        const TAttribute* a = attrs[i];
        if (a->Symbol == attrSIZE) {
            long long v = a->NumValue;
            if (a->Text.size() > 1 && (a->Text[0] == '+' || a->Text[0] == '-')) v += baseFontLevel_;
            size = static_cast<int>(std::clamp<long long>(v, 1, 7));
            if (isBaseFont) baseFontLevel_ = size;
        } else if (a->Symbol == attrCOLOR && !isBaseFont) {
            hasColor = ParseColor(a->Text, color) || hasColor;
        } else if (a->Symbol == attrFACE && !isBaseFont && !a->Text.empty()) {
            std::string f = a->Text.substr(0, 50);
            f = platform::TrimControls(f.substr(0, f.find(',')));
            if (!f.empty()) face = f;
        }
    }
    if (isBaseFont && !(cell_ == doc_ && doc_->Count() == 0)) return;
    if (!push()) return;
    if (hasColor) top().SetColor(color | kPaletteRelative);
    if (size) top().SetNominalSize(*doc_, (pre ? kPreFontSizes : kFontSizes)[size - 1]);
    if (!face.empty()) top().SetName(face);
    applyFont();
}

bool THtmlParser::sizeStep(bool bigger) {
    const int* end = kFontSizes + 7;
    const int* at = std::find(kFontSizes, end, top().NominalSize);
    if (at == end) return false;
    const int n = static_cast<int>(at - kFontSizes) + 1;
    if (bigger ? n > 6 : n < 2) return false;
    if (!push()) return false;
    top().SetNominalSize(*doc_, kFontSizes[bigger ? n : n - 2]);
    return true;
}

void THtmlParser::formControl(THtmlSymbol sym, int level) {
    ensureSection(level);
    TFormControlObj* control =
        MakeFormControl ? MakeFormControl(sym, doc_, form_, section_.get(), cell_, tok_.Attributes) : nullptr;
    if (sym == symSELECT) optionLoop(control);
    else if (sym == symTEXTAREA) textAreaLoop(control);
}

// The block-and-inline handler: the style tags, P, PRE and TABLE read on by
// themselves; every other tag group takes one step below, then the next
// token is read.
void THtmlParser::handler(int level) {
    const THtmlSymbol sym = tok_.Sym;
    const TAttributeList& attrs = tok_.Attributes;
    if (styleTag(sym)) {
        applyFont();
        next();
        return;
    }
    switch (sym) {
        case symP:
        case symEndP: paragraph(level); return;
        case symPRE: preLoop(level); return;
        case symTABLE: tableLoop(level); return;
        case symSUB:
        case symSUP:
        case symEndSUB:
        case symEndSUP: subSupTag(sym, level); break;
        case symBR: lineBreak(level); break;
        case symH: headingTag(level); break;
        case symEndH: endHeading(); break;
        case symTT:
        case symCODE:
        case symKBD:
        case symSAMP:
            pushFixedFont();
            applyFont();
            break;
        case symEndTT:
        case symEndCODE:
        case symEndKBD:
        case symEndSAMP:
        case symEndFONT:
        case symEndBIG:
        case symEndSMALL:
            pop();
            applyFont();
            break;
        case symADDRESS:
        case symEndADDRESS: addressTag(sym, level); break;
        case symIMG:
            ensureSection(level);
            section_->AddImage(&attrs, cell_);
            break;
        case symA: anchor(level); break;
        case symEndA: closeLink(true); break;
        case symText:
            ensureSection(level);
            section_->AppendText(tok_.TokenText);
            break;
        case symINPUT:
        case symSELECT:
        case symTEXTAREA: formControl(sym, level); break;
        case symFORM:
        case symEndFORM: formTag(sym); break;
        case symFONT:
        case symBASEFONT: fontChange(sym == symBASEFONT, false); break;
        case symBIG:
        case symSMALL:
            if (sizeStep(sym == symBIG)) applyFont();
            break;
        case symMAP: mapLoop(); break;
        case symSCRIPT: scriptLoop(); break;
        default: break;
    }
    next();
}

void THtmlParser::subSupTag(THtmlSymbol sym, int level) {
    if (sym == symSUB || sym == symSUP) {
        ensureSection(level);
        state_.SubSupMode = sym == symSUB ? 1 : 2;
    } else {
        state_.SubSupMode = 0;
    }
    applyFont();
}

void THtmlParser::lineBreak(int level) {
    const int align = section_ ? section_->EnsureText() : justify_;
    closeSection();
    openSection(level, align);
    section_->SetClear(tok_.Attributes);
}

void THtmlParser::headingTag(int level) {
    if (static_cast<int>(fonts_.size()) >= kMaxFonts) return;
    closeSection();
    const int n = tok_.HeadingLevel;
    static constexpr int kHeadingSizes[7] = {12, 24, 18, 15, 12, 10, 8};
    push();
    top().SetNominalSize(*doc_, kHeadingSizes[n >= 1 && n <= 6 ? n : 0]);
    if (n >= 1 && n <= 6) top().SetStyle(top().Style() | fsBold);
    cell_->AddBlock(new THeadingSpace(n));
    openSection(level, alignOf(tok_.Attributes, justify_));
}

void THtmlParser::endHeading() {
    if (fonts_.size() <= 1) return;
    closeSection();
    cell_->AddBlock(new THeadingSpace(tok_.HeadingLevel));
    pop();
}

void THtmlParser::pushFixedFont() {
    if (!push()) return;
    top().SetName(doc_->FixedFontName);
    top().SetNominalSize(*doc_, 10);
    top().Fixed = true;
}

void THtmlParser::addressTag(THtmlSymbol sym, int level) {
    closeSection();
    if (sym == symEndADDRESS) {
        pop();
        return;
    }
    if (push()) top().SetStyle(top().Style() | fsItalic);
    openSection(level, justify_);
}

void THtmlParser::formTag(THtmlSymbol sym) {
    form_ = sym == symFORM ? new ThtmlForm(doc_, &tok_.Attributes) : nullptr;
}

// ---- PRE ----

// PRE keeps the text as it stands: characters gather in `pending` and go to
// a TPreFormated section per line; a line end, P or BR starts the next
// section. Tags are read only at '<' and '&', and only the inline ones act
// (`preTag`); /PRE (or the end of a cell) ends the loop.
struct THtmlParser::PreRun {
    int level;
    std::string pending;
};

void THtmlParser::preLoop(int level) {
    closeSection();
    pushFixedFont();
    PreRun run{level, {}};
    openPre(run);
    for (bool done = false; !done;) {
        const char c = tok_.RawChar;
        if (c == kEndOfInput) break;
        if (c == '\r') {
            preNewLine(run);
            tok_.ReadCharSkipComments();
            continue;
        }
        if (c == '&') {
            tok_.ReadNextToken();
            run.pending += tok_.TokenText;
            continue;
        }
        if (c != '<') {
            run.pending += c;
            tok_.ReadCharSkipComments();
            if (run.pending.size() > 200) flushPre(run);
            continue;
        }
        tok_.ReadNextToken();
        done = preTag(run);
    }
    flushPre(run);
    closeSection();
    pop();
    next();
}

void THtmlParser::openPre(PreRun& run) {
    section_ = std::make_unique<TPreFormated>(run.level, 1, inLink_ ? &link_ : nullptr, top(), state_);
    section_->Document = doc_;
}

void THtmlParser::flushPre(PreRun& run) {
    if (!section_) openPre(run);
    if (!run.pending.empty()) section_->AppendText(run.pending);
    run.pending.clear();
}

void THtmlParser::preNewLine(PreRun& run) {
    flushPre(run);
    closeSection();
    openPre(run);
}

// One tag inside PRE; true when it ends the preformatted text.
bool THtmlParser::preTag(PreRun& run) {
    const THtmlSymbol sym = tok_.Sym;
    if (styleTag(sym)) {
        flushPre(run);
        applyFont();
        return false;
    }
    switch (sym) {
        case symText:  // a '<' that starts no tag is text
            run.pending += tok_.TokenText;
            break;
        case symP:
        case symBR:
            preNewLine(run);
            if (tok_.RawChar == '\r') tok_.ReadCharSkipComments();
            break;
        case symEndPRE:
        case symEndTD:
        case symEndTH: return true;
        case symIMG:
            flushPre(run);
            section_->AddImage(&tok_.Attributes, cell_);
            break;
        case symA:
            flushPre(run);
            anchor(run.level);
            break;
        case symEndA:
            flushPre(run);
            closeLink(true);
            break;
        case symINPUT:
        case symSELECT:
        case symTEXTAREA:
            flushPre(run);
            formControl(sym, run.level);
            break;
        case symFORM:
        case symEndFORM: formTag(sym); break;
        case symMAP: mapLoop(); break;
        case symSCRIPT: scriptLoop(); break;
        case symFONT:
        case symBASEFONT:
            flushPre(run);
            fontChange(sym == symBASEFONT, true);
            break;
        case symEndFONT:
            pop();
            flushPre(run);
            applyFont();
            break;
        default: break;
    }
    return false;
}

// ---- tables ----

// What a table being read holds between its tags, and what it gives back to
// the text around it when it ends.
struct THtmlParser::TableBuild {
    std::unique_ptr<ThtmlTable> table;
    std::unique_ptr<TCellList> row;
    std::unique_ptr<TCellObj> cellObj;
    TCell* outer = nullptr;
    size_t fontHeight = 0;
    TFontStyles styles{};
    int savedJustify = 1;
    int rowAlign = 0, rowVAlign = 1;
};

// A table reads its own tags until /TABLE: TD and TH open a cell whose
// content the body loop reads up to the next table tag, TR and /TR close the
// row, CAPTION fills the caption the same way, and text between cells goes
// before the table. Whatever ends the loop (an exception included), the open
// cell and row join the table and the table joins the outer cell.
void THtmlParser::tableLoop(int level) {
    if (nesting_ >= kMaxNesting || tableNesting_ >= kMaxTableNesting) {
        next();
        return;
    }
    NestingLevel nested(nesting_), nestedTable(tableNesting_);
    closeLink();
    TableBuild t;
    t.fontHeight = fonts_.size();
    t.styles = state_.StyleFlags;
    t.savedJustify = justify_;
    t.outer = cell_;
    closeSection();
    t.table = std::make_unique<ThtmlTable>(doc_, level, t.outer, justify_, &tok_.Attributes);
    cell_ = nullptr;

    try {
        next();
        while (tok_.Sym != symEndTABLE && tok_.Sym != symEndOfInput) {
            switch (tok_.Sym) {
                case symTD:
                case symTH: tableCell(t); break;
                case symEndTD:
                case symEndTH:
                    finishCell(t);
                    next();
                    break;
                case symTR:
                case symEndTR: tableRow(t); break;
                case symCAPTION: tableCaption(t); break;
                case symText: tableText(t); break;
                default: next(); break;
            }
        }
        closeLink();
        popTo(t.fontHeight);
    } catch (...) {
        if (!cell_) section_.reset();
        finishTable(t);
        throw;
    }
    finishTable(t);
    next();
}

void THtmlParser::finishCell(TableBuild& t) {
    if (!cell_) return;
    closeSection();
    if (t.cellObj && cell_ == t.cellObj->Content.get()) {
        if (!t.row) t.row = std::make_unique<TCellList>();
        t.row->Add(t.cellObj.release());
    }
    t.cellObj.reset();
    cell_ = nullptr;
}

void THtmlParser::addRow(TableBuild& t) {
    if (t.row) t.table->Rows.Add(t.row.release());
}

void THtmlParser::finishTable(TableBuild& t) {
    finishCell(t);
    addRow(t);
    cell_ = t.outer;
    t.outer->AddBlock(t.table.release());
    state_.StyleFlags = t.styles;
    justify_ = t.savedJustify;
}

// A cell or the caption starts with the fonts and styles the table met.
void THtmlParser::enterTableCell(TableBuild& t) {
    closeLink();
    popTo(t.fontHeight);
    state_.StyleFlags = t.styles;
    finishCell(t);
}

void THtmlParser::tableCell(TableBuild& t) {
    const TAttributeList& attrs = tok_.Attributes;
    enterTableCell(t);
    if (!t.row) {
        t.row = std::make_unique<TCellList>();
        t.rowAlign = 0;
        t.rowVAlign = 1;
    }
    if (tok_.Sym == symTH) {
        justify_ = t.rowAlign ? t.rowAlign : 2;
        state_.StyleFlags |= fsBold;
    } else {
        justify_ = t.rowAlign ? t.rowAlign : 1;
        state_.StyleFlags &= static_cast<TFontStyles>(~fsBold);
    }
    if (const int align = alignCode(attrText(attrs, attrALIGN))) justify_ = align;
    t.cellObj = std::make_unique<TCellObj>(doc_, &attrs, valignOf(attrs, t.rowVAlign));
    cell_ = t.cellObj->Content.get();
    tok_.SkipBlanks();
    next();
    tok_.ParagraphSpacePending = true;
    bodyLoop(0, cellStop());
}

void THtmlParser::tableRow(TableBuild& t) {
    const TAttributeList& attrs = tok_.Attributes;
    closeLink();
    finishCell(t);
    addRow(t);
    if (tok_.Sym == symTR) {
        t.row = std::make_unique<TCellList>();
        t.rowAlign = alignCode(attrText(attrs, attrALIGN));
        t.rowVAlign = valignOf(attrs, 1);
        t.row->SetAttributes(attrs);
    }
    next();
}

void THtmlParser::tableCaption(TableBuild& t) {
    enterTableCell(t);
    if (platform::AsciiLower(attrText(tok_.Attributes, attrALIGN)) == "bottom") t.table->CaptionOnTop = false;
    cell_ = t.table->Caption->Content.get();
    justify_ = 2;
    next();
    bodyLoop(0, cellStop());
    closeSection();
    cell_ = nullptr;
    if (tok_.Sym == symEndCAPTION) next();
}

// Text outside the cells is shown before the table.
void THtmlParser::tableText(TableBuild& t) {
    cell_ = t.outer;
    bodyLoop(0, cellStop());
    if (section_ && section_->CharCount == 0 && section_->ClearAttr == 0 && !named(section_.get()))
        section_.reset();  // white space between cells
    closeSection();
    cell_ = nullptr;
}

// ---- options, text areas, maps and scripts ----

void THtmlParser::optionLoop(TFormControlObj* control) {
    auto* taker = dynamic_cast<TOptionTaker*>(control);
    bool open = false, selected = false;
    std::string text, value;
    const auto finish = [&] {
        if (!open) return;
        open = false;
        const std::string t = platform::TrimControls(text).substr(0, kMaxOptionText);
        if (!t.empty() && taker) taker->AddOption(t, value, selected);
    };
    next();
    while (tok_.Sym != symEndSELECT && tok_.Sym != symEndOfInput) {
        if (tok_.Sym == symText && open) {
            text += tok_.TokenText;
            if (text.size() > kMaxOptionText) text.resize(kMaxOptionText);
        } else if (tok_.Sym == symOPTION || tok_.Sym == symEndOPTION) {
            finish();
            if (tok_.Sym == symOPTION) {
                open = true;
                text.clear();
                selected = tok_.Attributes.Find(attrSELECTED) != nullptr;
                value = attrText(tok_.Attributes, attrVALUE).substr(0, kMaxOptionText);
            }
        }
        next();
    }
    finish();
    if (control) control->ResetToDefault();
}

void THtmlParser::textAreaLoop(TFormControlObj* control) {
    auto* area = dynamic_cast<TTextAreaFormControlObj*>(control);
    std::string line;
    for (;;) {
        tok_.ReadTextAreaToken();
        if (tok_.Sym == symEndOfInput || tok_.Sym == symEndTEXTAREA) break;
        if (tok_.Sym == symLineEnd) {
            if (area) area->AddLine(line);
            line.clear();
        } else {
            line += tok_.TokenText;
        }
    }
    if (tok_.Sym == symEndTEXTAREA) {
        while (tok_.RawChar != '>' && tok_.RawChar != kEndOfInput) tok_.ReadChar();
        if (tok_.RawChar == '>') tok_.ReadCharSkipComments();
    }
    if (area && !line.empty()) area->AddLine(line);
    if (control) control->ResetToDefault();
}

void THtmlParser::mapLoop() {
    auto map = std::make_unique<TMapItem>();
    map->Name = platform::AsciiUpper(attrText(tok_.Attributes, attrNAME));
    next();
    while (tok_.Sym != symEndMAP && tok_.Sym != symEndOfInput) {
        if (tok_.Sym == symAREA) map->AppendArea(tok_.Attributes);
        next();
    }
    if (tok_.Sym == symEndMAP) doc_->Maps.Add(map.release());
}

void THtmlParser::scriptLoop() {
    if (!doc_->OnScript) {
        do tok_.ReadScriptToken();
        while (tok_.Sym != symEndSCRIPT && tok_.Sym != symEndOfInput);
        return;
    }
    struct RawMode {
        THtmlTokenizer& t;
        explicit RawMode(THtmlTokenizer& tok) : t(tok) { t.RawScript = true; }
        ~RawMode() { t.RawScript = false; }
    } raw(tok_);
    const std::string language = attrText(tok_.Attributes, attrLANGUAGE);
    std::string script;
    for (;;) {
        tok_.ReadScriptToken();
        if (tok_.Sym == symEndSCRIPT || tok_.Sym == symEndOfInput) break;
        if (tok_.Sym == symLineEnd) script += "\r\n";
        else script += tok_.TokenText;
    }
    doc_->OnScript(doc_->Viewer, language, std::move(script));
}

}  // namespace htmlview
