#pragma once
// The vertical space of a paragraph break and around a heading: fixed
// heights at a base font size of 12, scaled with the document's.
#include "htmlview/layout/SectionBase.h"

namespace htmlview {

class TParagraphSpace : public TSectionBase {
public:
    void CopySelected() override;
    void RefreshSize() override;
};

class THeadingSpace : public TSectionBase {
public:
    explicit THeadingSpace(int headingLevel) : HeadingLevel(headingLevel) {}
    int HeadingLevel;  // 0-6
    void CopySelected() override;
    void RefreshSize() override;
};

// Writes one empty line for a fixed block inside the selection.
void CopyEmptyLine(const TSectionList* document);
// N pixels at a base size of 12 in the document's size.
int ScaledHeight(const TSectionList* document, int n);

}  // namespace htmlview
