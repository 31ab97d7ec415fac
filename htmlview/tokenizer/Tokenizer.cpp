#include "htmlview/tokenizer/Tokenizer.h"

#include "htmlview/util/HtmlUtils.h"
#include "platform/core/runtime/Text.h"
#include "platform/core/runtime/Codepage.h"

#include <cctype>
#include <cerrno>
#include <cstring>

namespace htmlview {

namespace {
bool isControl(char c) { return static_cast<unsigned char>(c) < 32; }
}  // namespace

THtmlTokenizer::THtmlTokenizer() = default;

THtmlTokenizer::~THtmlTokenizer() {
    if (file_) std::fclose(file_);
}

const char* const THtmlTokenizer::kOpenCommentMessage = "Open Comment at End of HTML File";

void THtmlTokenizer::Reset() {
    OpenCommentAtEnd = false;
    pendingChar_ = 0;
    RawScript = false;
    ParagraphSpacePending = false;
    inComment_ = false;
    Attributes.Clear();
    TokenText.clear();
    HeadingLevel = 0;
    RawChar = UpChar = 0;
    Sym = symEndOfInput;
    line_.clear();
    linePos_ = 0;
    lineIndex_ = 0;
}

void THtmlTokenizer::SetBuffer(const char* data, size_t length) {
    Reset();
    sourceKind_ = TSourceKind::Memory;
    cur_ = data;
    end_ = data ? data + length : data;
}

void THtmlTokenizer::SetStrings(const std::vector<std::string>* lines) {
    Reset();
    sourceKind_ = TSourceKind::StringList;
    lines_ = lines;
}

void THtmlTokenizer::SetFile(const std::string& fileName) {
    Reset();
    if (file_) std::fclose(file_);
    file_ = std::fopen(fileName.c_str(), "rb");
    if (!file_) throw EInOutError("Cannot open file " + fileName + ": " + std::strerror(errno));
    fileName_ = fileName;
    sourceKind_ = TSourceKind::TextFile;
}

char THtmlTokenizer::ReadRawChar() {
    switch (sourceKind_) {
        case TSourceKind::TextFile: {
            if (!file_) return kEndOfInput;
            int c = std::getc(file_);
            if (c == EOF) {
                if (std::ferror(file_)) throw EInOutError("Read error in file " + fileName_);
                return kEndOfInput;
            }
            return static_cast<char>(c);
        }
        case TSourceKind::Memory:
            if (cur_ >= end_) return kEndOfInput;
            return *cur_++;
        case TSourceKind::StringList:
            if (linePos_ >= line_.size()) {
                if (lines_ && lineIndex_ < lines_->size()) {
                    line_ = (*lines_)[lineIndex_++];
                    line_ += '\r';
                } else {
                    line_.assign(1, kEndOfInput);
                }
                linePos_ = 0;
            }
            return line_[linePos_++];
        case TSourceKind::Include:
            if (incCur_ < incEnd_) return *incCur_++;
            sourceKind_ = savedSourceKind_;
            return ReadRawChar();
    }
    return kEndOfInput;
}

void THtmlTokenizer::ReadChar() {
    char c;
    if (pendingChar_ != 0) {
        c = pendingChar_;
        pendingChar_ = 0;
    } else {
        c = ReadRawChar();
    }
    if (c == '\n' || c == '\r') {
        char next = ReadRawChar();
        bool pair = (c == '\n' && next == '\r') || (c == '\r' && next == '\n');
        if (!pair) pendingChar_ = next;
        c = '\r';
    } else if (c == '\t') {
        c = ' ';
    }
    RawChar = c;
    UpChar = platform::AsciiUpper(c);
    if (c == kEndOfInput && inComment_) {
        inComment_ = false;
        throw EParseError(kOpenCommentMessage);
    }
}

void THtmlTokenizer::ReadCharSkipComments() {
    try {
        skipComments();
    } catch (const EParseError&) {
        if (!StopAtOpenComment) throw;
        inComment_ = false;
        pendingChar_ = 0;
        OpenCommentAtEnd = true;
        RawChar = UpChar = kEndOfInput;
    }
}

void THtmlTokenizer::skipComments() {
    for (;;) {
        ReadChar();
        // Inside an include command's attributes nothing nests.
        if (UpChar != '<' || RawScript || inComment_) return;
        char c = ReadRawChar();
        if (c != '!') {
            pendingChar_ = c;
            return;
        }
        inComment_ = true;
        ReadChar();
        bool dashes = false;
        if (RawChar == '-') {
            ReadChar();
            dashes = RawChar == '-';
        }
        if (dashes) {
            ReadChar();
            if (OnInclude && RawChar == '#' && sourceKind_ != TSourceKind::Include) doInclude();
            else skipComment();
        } else {
            skipDeclaration();
        }
        inComment_ = false;
    }
}

void THtmlTokenizer::skipDeclaration() {
    while (RawChar != '>') ReadChar();
}

void THtmlTokenizer::skipComment() {
    for (;;) {
        while (RawChar != '-') ReadChar();
        ReadChar();
        if (RawChar != '-') continue;
        while (RawChar == '-') ReadChar();
        while (RawChar == ' ' || RawChar == '\r') ReadChar();
        if (RawChar == '>') return;
    }
}

void THtmlTokenizer::doInclude() {
    std::string command;
    ReadChar();
    while (isLetter()) {
        command += RawChar;
        ReadChar();
    }
    std::vector<std::string> params;
    THtmlSymbol sym;
    std::string name, text;
    int value;
    while (readAttribute(sym, name, text, value)) params.push_back(name + "=\"" + text + "\"");
    skipComment();
    const char* buffer = nullptr;
    int size = 0;
    OnInclude(Viewer, command, std::move(params), buffer, size);
    if (size > 0 && buffer) {
        savedSourceKind_ = sourceKind_;
        sourceKind_ = TSourceKind::Include;
        incCur_ = buffer;
        incEnd_ = buffer + size;
    }
}

void THtmlTokenizer::SkipBlanks() {
    while (RawChar == ' ' || RawChar == '\t' || RawChar == '\r') ReadCharSkipComments();
}

void THtmlTokenizer::addToken(char c) {
    if (TokenText.size() < kMaxTokenText) TokenText += c;
}

void THtmlTokenizer::addToken(const std::string& s) {
    size_t room = kMaxTokenText - TokenText.size();
    TokenText.append(s, 0, room);
}

void THtmlTokenizer::ReadNextToken() {
    TokenText.clear();
    if (atEnd()) {
        Sym = symEndOfInput;
    } else if (UpChar == '<') {
        readTag();
    } else if (UpChar == '&') {
        Sym = symText;
        addToken(readEntity());
    } else if (RawChar != '>' && (!isControl(RawChar) || RawChar == '\r')) {
        readText();
    } else {
        Sym = symOther;
        addToken(RawChar);
        ReadCharSkipComments();
    }
    if (ParagraphSpacePending) {
        switch (Sym) {
            case symBR: case symH: case symHR: case symIMG: case symTABLE: case symINPUT:
            case symTEXTAREA: case symSELECT: case symText:
                ParagraphSpacePending = false;
                break;
            default:
                break;
        }
    }
}

void THtmlTokenizer::readTag() {
    ReadCharSkipComments();
    bool endTag = false;
    if (RawChar == '/') {
        endTag = true;
        ReadCharSkipComments();
    } else if (!isLetter()) {
        Sym = symText;
        addToken('<');
        return;
    }
    std::string name;
    while (isLetter()) {
        if (name.size() < kMaxTokenText) name += UpChar;
        ReadCharSkipComments();
    }
    Sym = LookupTag(name, endTag);
    SkipBlanks();
    HeadingLevel = 0;
    if ((Sym == symH || Sym == symEndH) && RawChar >= '1' && RawChar <= '6') {
        HeadingLevel = RawChar - '0';
        ReadCharSkipComments();
    }
    const bool keep = !endTag && KeepsAttributes(Sym);
    if (keep) Attributes.Clear();
    THtmlSymbol attr;
    std::string attrName, text;
    int value;
    while (readAttribute(attr, attrName, text, value))
        if (keep) Attributes.Add(new TAttribute(attr, text, value));
    while (RawChar != '>' && !atEnd()) ReadCharSkipComments();
    if (!atEnd()) ReadCharSkipComments();
}

bool THtmlTokenizer::readAttribute(THtmlSymbol& sym, std::string& name, std::string& text,
                                   int& value) {
    SkipBlanks();
    if (!isLetter()) return false;
    name.clear();
    while (isLetter() || RawChar == '-') {
        if (name.size() < kMaxTokenText) name += UpChar;
        ReadCharSkipComments();
    }
    sym = LookupAttribute(name);
    SkipBlanks();
    value = sym == attrBORDER ? 1 : 0;
    text.clear();
    if (RawChar != '=') return true;
    ReadCharSkipComments();
    SkipBlanks();
    if (RawChar == '"' || RawChar == '\'') {
        const char quote = RawChar;
        ReadCharSkipComments();
        while (RawChar != quote && !atEnd()) {
            if (RawChar == '&') {
                THtmlSymbol keep = Sym;
                text += readEntity();
                Sym = keep;
            } else {
                if (RawChar != '\r') text += RawChar;
                ReadCharSkipComments();
            }
        }
        if (RawChar == quote) ReadCharSkipComments();
        text = platform::TrimControls(text);
        std::string number = text;
        if (!number.empty() && number.back() == '%') number.pop_back();
        value = StrToIntDef(number, 0);
    } else if (RawChar == '+' || RawChar == '-' || isDigit()) {
        text += RawChar;
        ReadCharSkipComments();
        while (RawChar != ' ' && RawChar != '\r' && RawChar != '%' && RawChar != '>' && !atEnd()) {
            text += UpChar;
            ReadCharSkipComments();
        }
        SkipBlanks();
        value = StrToIntDef(text, 0);
        if (RawChar == '%') {
            text += '%';
            ReadCharSkipComments();
        }
    } else {
        while (RawChar != ' ' && RawChar != '\r' && RawChar != '>' && !atEnd()) {
            text += RawChar;
            ReadCharSkipComments();
        }
        value = 0;
    }
    return true;
}

namespace {
// What a reference to character c reads as in the viewer's Windows-1252
// text; false when it stays as written (other control characters, numbers
// that are no character).
bool referenceText(char32_t c, std::string& text) {
    if (c == 9 || c == 13) text = " ";
    else if (c == 10) text = "\n";
    else if (c >= 32 && c <= 255) text = std::string(1, static_cast<char>(c));
    else if (c < 32 || c > 0x10FFFF || (c >= 0xD800 && c <= 0xDFFF)) return false;
    else if (unsigned char b; platform::CodePointToCp1252(c, b)) text = std::string(1, static_cast<char>(b));
    else if ((c >= 0x2000 && c <= 0x200A) || c == 0x202F || c == 0x205F || c == 0x3000) text = " ";
    else if ((c >= 0x200B && c <= 0x200F) || (c >= 0x202A && c <= 0x202E) || (c >= 0x2060 && c <= 0x2064) ||
             c == 0xFEFF)
        text.clear();  // no visible form
    else text = "?";
    return true;
}

bool isHexDigit(char c) { return std::isxdigit(static_cast<unsigned char>(c)) != 0; }
}  // namespace

std::string THtmlTokenizer::readEntity() {
    ReadCharSkipComments();  // past '&'
    std::string r;
    if (RawChar == '#') {
        ReadCharSkipComments();
        std::string written = "&#";
        const bool hex = RawChar == 'x' || RawChar == 'X';
        if (hex) {
            written += RawChar;
            ReadCharSkipComments();
        }
        std::string digits;
        const size_t maxDigits = hex ? 6 : 7;  // enough for the last character, 10FFFF
        while (hex ? isHexDigit(RawChar) : isDigit()) {
            if (digits.size() == maxDigits) return written + digits;
            digits += RawChar;
            ReadCharSkipComments();
        }
        bool semicolon = RawChar == ';';
        if (semicolon) ReadCharSkipComments();
        std::string text;
        if (!digits.empty() && referenceText(static_cast<char32_t>(std::stoul(digits, nullptr, hex ? 16 : 10)), text))
            return text;
        return written + digits + (semicolon ? ";" : "");
    }
    std::string name;
    while (isLetter() || isDigit()) {
        if (name.size() == kMaxEntityName) return "&" + name;  // longer than any name
        name += RawChar;
        ReadCharSkipComments();
    }
    bool semicolon = RawChar == ';';
    if (semicolon) ReadCharSkipComments();
    unsigned char ch;
    if (LookupEntity(name, ch)) return std::string(1, static_cast<char>(ch));
    char32_t c;
    std::string text;
    if (LookupEntityCodePoint(name, c) && referenceText(c, text)) return text;
    return "&" + name + (semicolon ? ";" : "");
}

void THtmlTokenizer::readText() {
    Sym = symText;
    while (TokenText.size() < kMaxTextRun) {
        if (atEnd() || RawChar == '&' || RawChar == '<' || RawChar == '>') break;
        if (isControl(RawChar) && RawChar != '\r') break;
        if (RawChar == ' ' || RawChar == '\r') {
            addToken(' ');
            ReadCharSkipComments();
            SkipBlanks();
        } else {
            addToken(RawChar);
            ReadCharSkipComments();
        }
    }
}

bool THtmlTokenizer::readRawLineEndOrEnd() {
    TokenText.clear();
    if (atEnd()) {
        Sym = symEndOfInput;
        return true;
    }
    if (RawChar != '\r') return false;
    Sym = symLineEnd;
    ReadCharSkipComments();
    return true;
}

void THtmlTokenizer::ReadTextAreaToken() {
    if (readRawLineEndOrEnd()) return;
    if (RawChar == '<') {
        addToken('<');
        ReadCharSkipComments();
        while (RawChar != ' ' && RawChar != '\r' && RawChar != '>' && !atEnd()) {
            addToken(RawChar);
            ReadCharSkipComments();
        }
        Sym = platform::AsciiLower(TokenText) == "</textarea" ? symEndTEXTAREA : symUnknownTag;
        return;
    }
    if (RawChar == '&') {
        Sym = symText;
        addToken(readEntity());
        return;
    }
    Sym = symText;
    while (TokenText.size() < kMaxTextRun && RawChar != '\r' && RawChar != '&' && RawChar != '<' &&
           !atEnd()) {
        addToken(RawChar);
        ReadCharSkipComments();
    }
    if (TokenText.empty()) {
        Sym = symOther;
        addToken(RawChar);
        ReadCharSkipComments();
    }
}

void THtmlTokenizer::ReadScriptToken() {
    if (readRawLineEndOrEnd()) return;
    if (RawChar == '<') {
        addToken('<');
        ReadCharSkipComments();
        for (int i = 0; i < 7 && (RawChar == '/' || isLetter()); ++i) {
            addToken(RawChar);
            ReadCharSkipComments();
        }
        if (RawChar == '>') {
            addToken('>');
            ReadCharSkipComments();
        }
        Sym = platform::AsciiLower(TokenText) == "</script>" ? symEndSCRIPT : symUnknownTag;
        return;
    }
    Sym = symText;
    while (TokenText.size() < kMaxTextRun && RawChar != '\r' && RawChar != '<' && !atEnd()) {
        addToken(RawChar);
        ReadCharSkipComments();
    }
}

}  // namespace htmlview
