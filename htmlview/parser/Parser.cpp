#include "htmlview/parser/Parser.h"

#include "htmlview/blocks/HorzLine.h"
#include "htmlview/blocks/ListItems.h"
#include "htmlview/blocks/Spaces.h"
#include "htmlview/blocks/TextArea.h"
#include "htmlview/layout/Section.h"
#include "htmlview/tables/Table.h"
#include "htmlview/util/HtmlUtils.h"
#include "platform/runtime/Codepage.h"
#include "platform/runtime/Text.h"

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
        case symEndP:
            paragraph(level);
            return;
        case symSUB:
        case symSUP:
            ensureSection(level);
            state_.SubSupMode = sym == symSUB ? 1 : 2;
            applyFont();
            break;
        case symEndSUB:
        case symEndSUP:
            state_.SubSupMode = 0;
            applyFont();
            break;
        case symBR: {
            const int align = section_ ? section_->EnsureText() : justify_;
            closeSection();
            openSection(level, align);
            section_->SetClear(attrs);
            break;
        }
        case symH: {
            if (static_cast<int>(fonts_.size()) >= kMaxFonts) break;
            closeSection();
            const int n = tok_.HeadingLevel;
            static constexpr int kHeadingSizes[7] = {12, 24, 18, 15, 12, 10, 8};
            push();
            top().SetNominalSize(*doc_, kHeadingSizes[n >= 1 && n <= 6 ? n : 0]);
            if (n >= 1 && n <= 6) top().SetStyle(top().Style() | fsBold);
            cell_->AddBlock(new THeadingSpace(n));
            openSection(level, alignOf(attrs, justify_));
            break;
        }
        case symEndH:
            if (fonts_.size() > 1) {
                closeSection();
                cell_->AddBlock(new THeadingSpace(tok_.HeadingLevel));
                pop();
            }
            break;
        case symTT:
        case symCODE:
        case symKBD:
        case symSAMP:
            if (push()) {
                top().SetName(doc_->FixedFontName);
                top().SetNominalSize(*doc_, 10);
                top().Fixed = true;
            }
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
            closeSection();
            if (push()) top().SetStyle(top().Style() | fsItalic);
            openSection(level, justify_);
            break;
        case symEndADDRESS:
            closeSection();
            pop();
            break;
        case symPRE:
            preLoop(level);
            return;
        case symIMG:
            ensureSection(level);
            section_->AddImage(&attrs, cell_);
            break;
        case symA:
            anchor(level);
            break;
        case symEndA:
            closeLink(true);
            break;
        case symText:
            ensureSection(level);
            section_->AppendText(tok_.TokenText);
            break;
        case symTABLE:
            tableLoop(level);
            return;
        case symINPUT:
        case symSELECT:
        case symTEXTAREA:
            formControl(sym, level);
            break;
        case symFORM:
            form_ = new ThtmlForm(doc_, &attrs);
            break;
        case symEndFORM:
            form_ = nullptr;
            break;
        case symFONT:
        case symBASEFONT:
            fontChange(sym == symBASEFONT, false);
            break;
        case symBIG:
        case symSMALL:
            if (sizeStep(sym == symBIG)) applyFont();
            break;
        case symMAP:
            mapLoop();
            break;
        case symSCRIPT:
            scriptLoop();
            break;
        default:
            break;
    }
    next();
}

// ---- PRE ----

void THtmlParser::preLoop(int level) {
    closeSection();
    if (push()) {
        top().SetName(doc_->FixedFontName);
        top().SetNominalSize(*doc_, 10);
        top().Fixed = true;
    }
    const auto openPre = [&] {
        section_ = std::make_unique<TPreFormated>(level, 1, inLink_ ? &link_ : nullptr, top(), state_);
        section_->Document = doc_;
    };
    openPre();
    std::string pending;
    const auto flush = [&] {
        if (!section_) openPre();
        if (!pending.empty()) section_->AppendText(pending);
        pending.clear();
    };
    const auto newLine = [&] {
        flush();
        closeSection();
        openPre();
    };
    for (bool done = false; !done;) {
        const char c = tok_.RawChar;
        if (c == kEndOfInput) break;
        if (c == '\r') {
            newLine();
            tok_.ReadCharSkipComments();
            continue;
        }
        if (c == '&') {
            tok_.ReadNextToken();
            pending += tok_.TokenText;
            continue;
        }
        if (c != '<') {
            pending += c;
            tok_.ReadCharSkipComments();
            if (pending.size() > 200) flush();
            continue;
        }
        tok_.ReadNextToken();
        const THtmlSymbol sym = tok_.Sym;
        if (styleTag(sym)) {
            flush();
            applyFont();
            continue;
        }
        switch (sym) {
            case symText:  // a '<' that starts no tag is text
                pending += tok_.TokenText;
                break;
            case symP:
            case symBR:
                newLine();
                if (tok_.RawChar == '\r') tok_.ReadCharSkipComments();
                break;
            case symEndPRE:
            case symEndTD:
            case symEndTH:
                done = true;
                break;
            case symIMG:
                flush();
                section_->AddImage(&tok_.Attributes, cell_);
                break;
            case symA:
                flush();
                anchor(level);
                break;
            case symEndA:
                flush();
                closeLink(true);
                break;
            case symINPUT:
            case symSELECT:
            case symTEXTAREA:
                flush();
                formControl(sym, level);
                break;
            case symFORM:
                form_ = new ThtmlForm(doc_, &tok_.Attributes);
                break;
            case symEndFORM:
                form_ = nullptr;
                break;
            case symMAP:
                mapLoop();
                break;
            case symSCRIPT:
                scriptLoop();
                break;
            case symFONT:
            case symBASEFONT:
                flush();
                fontChange(sym == symBASEFONT, true);
                break;
            case symEndFONT:
                pop();
                flush();
                applyFont();
                break;
            default:
                break;
        }
    }
    flush();
    closeSection();
    pop();
    next();
}

// ---- tables ----

void THtmlParser::tableLoop(int level) {
    if (nesting_ >= kMaxNesting || tableNesting_ >= kMaxTableNesting) {
        next();
        return;
    }
    NestingLevel nested(nesting_), nestedTable(tableNesting_);
    closeLink();
    const size_t fontHeight = fonts_.size();
    const TFontStyles styles = state_.StyleFlags;
    const int savedJustify = justify_;
    TCell* const outer = cell_;
    closeSection();
    auto table = std::make_unique<ThtmlTable>(doc_, level, outer, justify_, &tok_.Attributes);
    std::unique_ptr<TCellList> row;
    std::unique_ptr<TCellObj> cellObj;
    int rowAlign = 0, rowVAlign = 1;
    cell_ = nullptr;

    const auto finishCell = [&] {
        if (!cell_) return;
        closeSection();
        if (cellObj && cell_ == cellObj->Content.get()) {
            if (!row) row = std::make_unique<TCellList>();
            row->Add(cellObj.release());
        }
        cellObj.reset();
        cell_ = nullptr;
    };
    const auto addRow = [&] {
        if (row) table->Rows.Add(row.release());
    };
    const auto finishTable = [&] {
        finishCell();
        addRow();
        cell_ = outer;
        outer->AddBlock(table.release());
        state_.StyleFlags = styles;
        justify_ = savedJustify;
    };
    const auto alignCode = [](const std::string& v) {
        const std::string l = platform::AsciiLower(v);
        return l == "left" ? 1 : l == "center" ? 2 : l == "right" ? 3 : 0;
    };

    try {
        next();
        while (tok_.Sym != symEndTABLE && tok_.Sym != symEndOfInput) {
            const THtmlSymbol sym = tok_.Sym;
            const TAttributeList& attrs = tok_.Attributes;
            switch (sym) {
                case symTD:
                case symTH: {
                    closeLink();
                    popTo(fontHeight);
                    state_.StyleFlags = styles;
                    finishCell();
                    if (!row) {
                        row = std::make_unique<TCellList>();
                        rowAlign = 0;
                        rowVAlign = 1;
                    }
                    if (sym == symTH) {
                        justify_ = rowAlign ? rowAlign : 2;
                        state_.StyleFlags |= fsBold;
                    } else {
                        justify_ = rowAlign ? rowAlign : 1;
                        state_.StyleFlags &= static_cast<TFontStyles>(~fsBold);
                    }
                    if (const TAttribute* a = attrs.Find(attrALIGN); a && alignCode(a->Text)) justify_ = alignCode(a->Text);
                    int valign = rowVAlign;
                    if (const TAttribute* a = attrs.Find(attrVALIGN)) {
                        const std::string v = platform::AsciiLower(a->Text.substr(0, 9));
                        if (v == "top" || v == "baseline") valign = 0;
                        else if (v == "middle") valign = 1;
                        else if (v == "bottom") valign = 2;
                    }
                    cellObj = std::make_unique<TCellObj>(doc_, &attrs, valign);
                    cell_ = cellObj->Content.get();
                    tok_.SkipBlanks();
                    next();
                    tok_.ParagraphSpacePending = true;
                    bodyLoop(0, cellStop());
                    break;
                }
                case symEndTD:
                case symEndTH:
                    finishCell();
                    next();
                    break;
                case symTR:
                case symEndTR:
                    closeLink();
                    finishCell();
                    addRow();
                    if (sym == symTR) {
                        row = std::make_unique<TCellList>();
                        rowAlign = alignCode(attrText(attrs, attrALIGN));
                        rowVAlign = 1;
                        if (const TAttribute* a = attrs.Find(attrVALIGN)) {
                            const std::string v = platform::AsciiLower(a->Text.substr(0, 9));
                            if (v == "top" || v == "baseline") rowVAlign = 0;
                            else if (v == "bottom") rowVAlign = 2;
                        }
                        row->SetAttributes(attrs);
                    }
                    next();
                    break;
                case symCAPTION:
                    closeLink();
                    popTo(fontHeight);
                    state_.StyleFlags = styles;
                    finishCell();
                    if (platform::AsciiLower(attrText(attrs, attrALIGN)) == "bottom") table->CaptionOnTop = false;
                    cell_ = table->Caption->Content.get();
                    justify_ = 2;
                    next();
                    bodyLoop(0, cellStop());
                    closeSection();
                    cell_ = nullptr;
                    if (tok_.Sym == symEndCAPTION) next();
                    break;
                case symText: {
                    // Text outside the cells is shown before the table.
                    cell_ = outer;
                    bodyLoop(0, cellStop());
                    if (section_ && section_->CharCount == 0 && section_->ClearAttr == 0 && !named(section_.get()))
                        section_.reset();  // white space between cells
                    closeSection();
                    cell_ = nullptr;
                    break;
                }
                default:
                    next();
                    break;
            }
        }
        closeLink();
        popTo(fontHeight);
    } catch (...) {
        if (!cell_) section_.reset();
        finishTable();
        throw;
    }
    finishTable();
    next();
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
