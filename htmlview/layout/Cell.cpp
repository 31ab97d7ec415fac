#include "htmlview/layout/Cell.h"

#include "htmlview/layout/Section.h"
#include "htmlview/layout/SectionList.h"
#include "htmlview/tokenizer/HtmlTables.h"
#include "platform/qt/qtglue/Messenger.h"

#include <algorithm>

namespace htmlview {

TCell::TCell(TSectionList* document) : Document(document), Indents(std::make_unique<IndentManager>()) {}

TCell::~TCell() { Clear(); }

void TCell::AddBlock(TSectionBase* block) {
    if (!block) return;
    Add(block);
    if (auto* pre = dynamic_cast<TPreFormated*>(block); pre && pre->CharCount == 0) pre->AppendText(" ");
    block->Document = Document;
    block->OwnerCell = this;
    block->RefreshSize();
}

int TCell::Arrange(TCanvas& canvas, int y, int width, int& charIndex, int& maxWidth) {
    Indents->ClearAll();
    Indents->ResetEdges(0, width);
    Indents->Width = width;
    TopY = y;
    FirstChar = charIndex;
    int total = 0;
    maxWidth = 0;
    for (int i = 0; i < Count(); ++i) {
        const int before = charIndex;
        try {
            int w = 0;
            total += Items(i)->Arrange(canvas, y + total, charIndex, w, *Indents);
            maxWidth = std::max(maxWidth, w);
        } catch (const EProcessError& e) {
            // The block goes first; the message is shown once layout is over.
            charIndex = before;
            Delete(i);
            --i;
            if (Document) Document->NoteLayoutError(e.Message());
            else platform::ShowMessage(e.Message(), platform::MsgIcon::Error, platform::mbOK);
        }
    }
    CharCount = charIndex - FirstChar;
    return std::max(total, Indents->FloatBottom() - TopY);
}

void TCell::WidthLimits(TCanvas& canvas, int& min, int& max) {
    min = 0;
    max = 0;
    for (int i = 0; i < Count(); ++i) {
        int mn = 0, mx = 0;
        try {
            Items(i)->WidthLimits(canvas, mn, mx);
        } catch (const EProcessError& e) {
            // Only the block that cannot be laid out goes (a too-wide table
            // inside a cell), not the blocks around it.
            Delete(i);
            --i;
            if (Document) Document->NoteLayoutError(e.Message());
            else platform::ShowMessage(e.Message(), platform::MsgIcon::Error, platform::mbOK);
            continue;
        }
        min = std::max(min, mn);
        max = std::max(max, mx);
    }
}

int TCell::Paint(TCanvas& canvas, const QRect& clipRect, int x, int y, int clipWidth) {
    Indents->LeftEdge = x;
    Indents->RightEdge = x + Indents->Width;
    Indents->ClipWidth = clipWidth;
    for (int i = 0; i < Count(); ++i) y = Items(i)->Paint(canvas, clipRect, *Indents, x, y);
    return y;
}

bool TCell::LinkAtPoint(TCanvas& canvas, int x, int y, TFormControlObj*& formImage,
                        std::unique_ptr<TUrlTarget>& urlTarget) {
    int top = 0;
    for (int i = 0; i < Count(); ++i) {
        TSectionBase* b = Items(i);
        if (y >= top && y < top + b->PaintHeight && b->LinkAtPoint(canvas, x, y - top, formImage, urlTarget))
            return true;
        top += b->FlowHeight;
    }
    return false;
}

void TCell::RefreshFonts() {
    for (int i = 0; i < Count(); ++i) Items(i)->RefreshFonts();
}

TSectionBase* TCell::BlockAtY(int y, int& blockTop, int& blockIndex) const {
    int top = 0;
    for (int i = 0; i < Count(); ++i) {
        TSectionBase* b = Items(i);
        if (y >= top && y < top + b->FlowHeight) {
            blockTop = top;
            blockIndex = i;
            return b;
        }
        top += b->FlowHeight;
    }
    return nullptr;
}

bool TCell::ImageAtPoint(int x, int y, int& ix, int& iy, TImageObj*& image) {
    int top = 0;
    for (int i = 0; i < Count(); ++i) {
        TSectionBase* b = Items(i);
        if (y >= top && y < top + b->PaintHeight && b->ImageAtPoint(x, y - top, ix, iy, image)) return true;
        top += b->FlowHeight;
    }
    return false;
}

int TCell::IndexAtPoint(TCanvas& canvas, int x, int y, bool& inText, int& caretHeight, int& caretY, int& caretX,
                        TCell*& cell) {
    int top = 0, index = 0;
    TSectionBase* b = BlockAtY(y, top, index);
    if (!b) return -1;
    TCell* deeper = nullptr;
    int r = b->IndexAtPoint(canvas, x, y - top, inText, caretHeight, caretY, caretX, deeper);
    if (r >= 0) {
        caretY += top;
        cell = deeper ? deeper : this;
    }
    return r;
}

int TCell::Search(int from, std::string_view text, bool matchCase) {
    for (int i = 0; i < Count(); ++i) {
        int r = Items(i)->Search(from, text, matchCase);
        if (r >= 0) return r;
    }
    return -1;
}

bool TCell::PointOfIndex(TCanvas& canvas, int index, int& y, int& x) {
    for (int i = 0; i < Count(); ++i)
        if (Items(i)->PointOfIndex(canvas, index, y, x)) return true;
    return false;
}

bool TCell::CharAtIndex(int index, char& ch, TSectionBase*& block) {
    if (index < FirstChar || index > FirstChar + CharCount) return false;
    for (int i = 0; i < Count(); ++i)
        if (Items(i)->CharAtIndex(index, ch, block)) return true;
    return false;
}

void TCell::CopySelected() {
    if (!Document || Document->SelStart >= Document->SelEnd) return;
    for (int i = 0; i < Count(); ++i) {
        TSectionBase* b = Items(i);
        if (b->FirstChar >= Document->SelEnd) break;
        if (Document->SelStart < b->FirstChar + b->CharCount) b->CopySelected();
    }
}

void TCell::Shift(int dy, int dChars) {
    TopY += dy;
    FirstChar += dChars;
    for (TFreeList<IndentRec>* side : {&Indents->LeftList, &Indents->RightList})
        for (int i = 0; i < side->Count(); ++i) {
            (*side)[i]->TopY += dy;
            (*side)[i]->BottomY += dy;
        }
    for (int i = 0; i < Count(); ++i) Items(i)->Shift(dy, dChars);
}

TCellObj::TCellObj(TSectionList* document, const TAttributeList* attributes, int vertAlign)
    : VertAlign(vertAlign), Content(std::make_unique<TCell>(document)) {
    if (!attributes) return;
    for (int i = 0; i < attributes->Count(); ++i) {
        const TAttribute* a = (*attributes)[i];
        switch (a->Symbol) {
            case attrBGCOLOR: {
                TColor c;
                if (ParseColor(a->Text, c)) {
                    Content->HasBackColor = true;
                    Content->BackColor = c | kPaletteRelative;
                }
                break;
            }
            case attrCOLSPAN:
                if (a->NumValue > 1) SpanCols = a->NumValue;
                break;
            case attrROWSPAN:
                if (a->NumValue > 1) SpanRows = a->NumValue;
                break;
            case attrWIDTH:
                if (a->Text.find('%') != std::string::npos) {
                    if (a->NumValue >= 1 && a->NumValue <= 100) {
                        WantWidth = a->NumValue * 10;
                        WidthInTenths = true;
                    }
                } else if (a->NumValue > 0) {
                    WantWidth = a->NumValue;
                }
                break;
            case attrHEIGHT:
                WantHeight = a->NumValue;
                break;
            default:
                break;
        }
    }
}

}  // namespace htmlview
