#pragma once
// The tokeniser: turns Windows-1252 HTML from one of four sources into the
// symbols the parser reads. One instance serves one parse at a time.
#include "htmlview/tokenizer/HtmlTables.h"
#include "htmlview/util/Attributes.h"
#include "platform/core/runtime/Exception.h"

#include <cstdio>
#include <functional>
#include <memory>
#include <string>
#include <vector>

class QWidget;

namespace htmlview {

// Raised only for a comment or declaration that the input never closes.
class EParseError : public platform::Exception {
public:
    using platform::Exception::Exception;
};

// A file that cannot be opened or read.
class EInOutError : public platform::Exception {
public:
    using platform::Exception::Exception;
};

// '<!--#command attr=value ...-->': the handler gets the command, one
// NAME="value" line per attribute, and may hand back bytes to read in place
// of the comment (the buffer stays the handler's).
using TIncludeType = std::function<void(QWidget* sender, const std::string& command,
                                        std::vector<std::string> params, const char*& buffer,
                                        int& buffSize)>;

constexpr char kEndOfInput = 26;

class THtmlTokenizer {
public:
    enum class TSourceKind { TextFile, Memory, StringList, Include };

    THtmlTokenizer();
    ~THtmlTokenizer();
    THtmlTokenizer(const THtmlTokenizer&) = delete;
    THtmlTokenizer& operator=(const THtmlTokenizer&) = delete;

    // Sources; each also resets the state for a new parse. The buffer and
    // the list must outlive the parse.
    void SetBuffer(const char* data, size_t length);
    void SetStrings(const std::vector<std::string>* lines);
    void SetFile(const std::string& fileName);  // EInOutError when it cannot be opened
    void Reset();

    QWidget* Viewer = nullptr;
    TIncludeType OnInclude;

    // State the parser reads and sets.
    char RawChar = 0;
    char UpChar = 0;
    THtmlSymbol Sym = symEndOfInput;
    std::string TokenText;
    int HeadingLevel = 0;
    TAttributeList Attributes;
    bool ParagraphSpacePending = false;
    bool RawScript = false;
    // When set, a comment that the input never closes ends the input
    // quietly instead of raising EParseError, so the token before it is
    // still delivered whole; OpenCommentAtEnd then tells.
    bool StopAtOpenComment = false;
    bool OpenCommentAtEnd = false;
    static const char* const kOpenCommentMessage;

    char ReadRawChar();
    void ReadChar();
    void ReadCharSkipComments();
    void SkipBlanks();
    void ReadNextToken();
    void ReadTextAreaToken();
    void ReadScriptToken();

    static constexpr size_t kMaxTokenText = 150;
    static constexpr size_t kMaxTextRun = 100;
    static constexpr size_t kMaxEntityName = 8;  // "thetasym"

private:
    void addToken(char c);
    void addToken(const std::string& s);
    bool atEnd() const { return RawChar == kEndOfInput; }
    bool isLetter() const { return UpChar >= 'A' && UpChar <= 'Z'; }
    bool isDigit() const { return UpChar >= '0' && UpChar <= '9'; }
    void skipComments();
    void skipComment();
    void skipDeclaration();
    void doInclude();
    void readTag();
    std::string readEntity();
    void readText();
    // Raw modes (TEXTAREA, SCRIPT): starts a token; true when it was the end
    // of input or a line end, which is then the whole token.
    bool readRawLineEndOrEnd();
    bool readAttribute(THtmlSymbol& sym, std::string& name, std::string& text, int& value);

    TSourceKind sourceKind_ = TSourceKind::Memory;
    TSourceKind savedSourceKind_ = TSourceKind::Memory;
    const char* cur_ = nullptr;
    const char* end_ = nullptr;
    const char* incCur_ = nullptr;
    const char* incEnd_ = nullptr;
    const std::vector<std::string>* lines_ = nullptr;
    size_t lineIndex_ = 0;
    std::string line_;
    size_t linePos_ = 0;
    std::FILE* file_ = nullptr;
    std::string fileName_;
    char pendingChar_ = 0;
    bool inComment_ = false;
};

}  // namespace htmlview
