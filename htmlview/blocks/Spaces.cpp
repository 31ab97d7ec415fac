#include "htmlview/blocks/Spaces.h"

#include "htmlview/layout/SectionList.h"
#include "htmlview/util/HtmlUtils.h"

namespace htmlview {

void CopyEmptyLine(const TSectionList* document) {
    if (document && document->TextSink) WriteTextLine(*document->TextSink, "", 0);
}

int ScaledHeight(const TSectionList* document, int n) {
    return MulDiv(n, document ? document->BaseFontSize : 12, 12);
}

void TParagraphSpace::CopySelected() { CopyEmptyLine(Document); }

void TParagraphSpace::RefreshSize() { FlowHeight = ScaledHeight(Document, 14); }

void THeadingSpace::CopySelected() { CopyEmptyLine(Document); }

void THeadingSpace::RefreshSize() {
    int n;
    switch (HeadingLevel) {
        case 1: n = 16; break;
        case 2: n = 12; break;
        case 3: n = 10; break;
        case 5: n = 6; break;
        case 6: n = 4; break;
        default: n = 8; break;
    }
    FlowHeight = ScaledHeight(Document, n);
}

}  // namespace htmlview
