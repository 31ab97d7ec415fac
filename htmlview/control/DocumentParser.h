#pragma once
// The one place where the viewer control hands text to the parser. A load
// fills the document and the anchor list and reports the page's title and
// BASE values; the parser calls back for META elements, sounds and include
// commands. Tests may install another parser to drive the control with
// documents built by hand.
#include "htmlview/layout/SectionList.h"
#include "htmlview/parser/Parser.h"
#include "htmlview/tokenizer/Tokenizer.h"
#include "htmlview/util/StringList.h"

#include <functional>
#include <memory>
#include <string>
#include <vector>

class QWidget;

namespace htmlview {

using TSoundType = TSoundRequestEvent;

struct TParserCallbacks {
    TMetaType Meta;
    TSoundType OnSoundRequest;
    TIncludeType OnInclude;
};

// What the viewer copies from the parser after a parse.
struct TParsedPage {
    std::string Title;
    std::string BaseHref;
    std::string BaseTarget;
};

class TDocumentParser {
public:
    virtual ~TDocumentParser() = default;
    // Windows-1252 lines; an unterminated comment raises EParseError after
    // what was read has been added to the document.
    virtual TParsedPage ParseStrings(TSectionList& document, TStringList& names, const std::vector<std::string>& lines,
                                     const TParserCallbacks& callbacks) = 0;
    // Length bytes of Windows-1252 HTML; errors as ParseStrings.
    virtual TParsedPage ParseBuffer(TSectionList& document, TStringList& names, const std::string& html,
                                    const TParserCallbacks& callbacks) = 0;
    // A host file; an unterminated comment keeps what was read. A file of
    // valid UTF-8 with non-ASCII characters is converted to Windows-1252.
    virtual TParsedPage ParseFile(TSectionList& document, TStringList& names, const std::string& fileName,
                                  const TParserCallbacks& callbacks) = 0;
};

// The program's parser.
std::unique_ptr<TDocumentParser> MakeDocumentParser();

}  // namespace htmlview
