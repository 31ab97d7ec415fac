#include "htmlview/layout/ImageObj.h"

#include "htmlview/images/ImageCache.h"
#include "htmlview/images/ImageLoader.h"
#include "htmlview/layout/Canvas.h"
#include "htmlview/layout/Drawing.h"
#include "htmlview/layout/Fonts.h"
#include "htmlview/layout/SectionList.h"
#include "htmlview/util/HtmlUtils.h"
#include "platform/core/runtime/Text.h"

#include <algorithm>
#include <cstdlib>

namespace htmlview {

namespace {
TFont altFont() {
    TFont f;
    f.SetName("Arial");
    f.SetSize(8);
    f.SetColor(clBlack);
    return f;
}
}  // namespace

TImageObj::TImageObj(int pos, const TAttributeList* attributes) : Pos(pos) {
    if (!attributes) return;
    for (int i = 0; i < attributes->Count(); ++i) {
        const TAttribute* a = (*attributes)[i];
        switch (a->Symbol) {
            case attrSRC: Source = a->Text; break;
            case attrALT: Alt = a->Text; break;
            case attrALIGN: {
                std::string v = platform::AsciiUpper(a->Text);
                if (v == "TOP") ImageAlign = iaTop;
                else if (v == "MIDDLE" || v == "ABSMIDDLE") ImageAlign = iaMiddle;
                else if (v == "LEFT") ImageAlign = iaLeft;
                else if (v == "RIGHT") ImageAlign = iaRight;
                break;
            }
            case attrBORDER: NoBorder = a->NumValue == 0; break;
            case attrWIDTH:
                if (a->Text.find('%') != std::string::npos) {
                    if (a->NumValue >= 1 && a->NumValue <= 100) {
                        WantWidth = a->NumValue;
                        WidthIsPercent = true;
                    }
                } else {
                    WantWidth = std::clamp(a->NumValue, 0, kMaxPagePixels);
                }
                break;
            case attrHEIGHT: WantHeight = std::clamp(a->NumValue, 1, kMaxPagePixels); break;
            case attrTRANSP: Transparent = 1; break;
            case attrISMAP: IsMap = true; break;
            case attrHSPACE: HSpace = std::min(20, a->NumValue < 0 ? (a->NumValue == INT32_MIN ? 20 : -a->NumValue) : a->NumValue); break;
            case attrUSEMAP: {
                UseMap = true;
                std::string v = platform::AsciiUpper(platform::TrimControls(a->Text));
                if (v.size() > 1 && v[0] == '#') v.erase(0, 1);
                MapName = v;
                break;
            }
            default: break;
        }
    }
}

TImageObj::~TImageObj() {
    releasePicture();
    if (Document) {
        Document->ForgetObject(this);
        if (Gif) Document->ForgetObject(Gif.get());
    }
}

void TImageObj::releasePicture() {
    if (heldInCache_) ImageCache().ReleaseImage(ImageCacheKey(Source));
    heldInCache_ = false;
    if (Gif && Document) {
        Document->ForgetObject(Gif.get());
        Gif.reset();
    }
}

bool TImageObj::ShowingPlaceholder() const {
    return !Document || !Document->ImagesOn || !Image || Image == PendingImage() || Image == BrokenImage();
}

void TImageObj::Refetch(bool decoded) {
    releasePicture();
    if (decoded) {
        Image.reset();
        SizeKnown = false;
    } else {
        Image = BrokenImage();
        Mask = BrokenImageMask();
        Transparent = itLowerLeft;
        SizeKnown = false;
    }
    masked_ = QImage();
}

void TImageObj::SizeImage(TSectionList* document, TCanvas& canvas, int availWidth, const TFontObj* run) {
    Document = document;
    // 1. Fetch, once, while images are shown.
    if (document && document->ImagesOn && !Image) {
        if (Source.empty()) {
            Image = BrokenImage();
            Mask = BrokenImageMask();
        } else {
            if (!document->OnImageRequest && document->LinkToFileName) Source = document->LinkToFileName(Source);
            bool pending = false, fromCache = false;
            std::shared_ptr<const TPicture> pic;
            if (document->PendingImages.IndexOf(Source) >= 0) pending = true;
            else pic = document->GetImage(Source, Transparent, pending, fromCache, Mask);
            heldInCache_ = pic != nullptr;
            if (pic && pic->Animation) {
                // Each image animates on its own.
                Gif = pic->Animation->Copy();
                auto own = std::make_shared<TPicture>();
                own->Animation = Gif;
                Image = own;
                document->AnimatedGifs.push_back(Gif.get());
            } else if (pic) {
                Image = pic;
            } else if (pending) {
                Image = PendingImage();
                document->PendingImages.AddObject(Source, this);
            } else {
                Image = BrokenImage();
                Mask = BrokenImageMask();
                Transparent = itLowerLeft;
            }
        }
    }
    // 2. The natural size: the pending picture's while images are off.
    const bool placeholder = ShowingPlaceholder();
    const TPicture& shown = document && document->ImagesOn && Image ? *Image : *PendingImage();
    const int natW = std::max(0, shown.Width()), natH = std::max(0, shown.Height());
    // 3. The display size, unless settled.
    if (!SizeKnown) {
        const auto percentOf = [availWidth](int pct) { return std::max(0, MulDiv(std::max(0, availWidth), pct, 100)); };
        if (placeholder) {
            if (WantHeight > 0 && WantWidth > 0) {
                ObjWidth = WidthIsPercent ? percentOf(WantWidth) : WantWidth;
                ObjHeight = WantHeight;
                SizeKnown = !WidthIsPercent;
            } else {
                ObjWidth = natW;
                ObjHeight = natH;
            }
        } else if (WidthIsPercent) {
            ObjWidth = percentOf(WantWidth);
            ObjHeight = WantHeight > 0 ? WantHeight : natH;
        } else {
            if (WantHeight > 0 && WantWidth > 0) {
                ObjWidth = WantWidth;
                ObjHeight = WantHeight;
            } else if (WantHeight > 0) {
                // A picture with no height keeps its own width.
                ObjHeight = WantHeight;
                ObjWidth = natH > 0 ? std::max(0, MulDiv(WantHeight, natW, natH)) : natW;
            } else if (WantWidth > 0) {
                ObjWidth = WantWidth;
                ObjHeight = natW > 0 ? std::max(0, MulDiv(WantWidth, natH, natW)) : natH;
            } else {
                ObjWidth = natW;
                ObjHeight = natH;
            }
            SizeKnown = true;
        }
        // 4. A placeholder box holds its ALT text.
        if (placeholder && !SizeKnown) {
            const TFont f = altFont();
            ObjWidth = std::max(ObjWidth, std::min(kMaxPagePixels, canvas.Metrics.TextWidth(f, Alt)) + 2 + 24);
            ObjHeight = std::max(ObjHeight, std::max(24, canvas.Metrics.Metrics(f).Height));
        }
        ObjWidth = std::clamp(ObjWidth, 0, kMaxPagePixels);
        ObjHeight = std::clamp(ObjHeight, 0, kMaxPagePixels);
    }
    // 5. The laid-out size, with the link frame.
    ImageWidth = ObjWidth;
    ImageHeight = ObjHeight;
    Bordered = run && run->IsLink() && !NoBorder;
    if (Bordered) {
        ImageWidth += 2;
        ImageHeight += 2;
    }
}

void TImageObj::DrawImage(TCanvas& canvas, int x, const TFontObj* run, int baselineY, int topY) {
    const bool imagesOn = Document && Document->ImagesOn;
    const bool placeholder = ShowingPlaceholder();
    const std::shared_ptr<const TPicture>& pic = imagesOn && Image ? Image : PendingImage();
    const QImage* mask = imagesOn && !Mask.isNull() ? &Mask : nullptr;
    const int scrollY = Document ? Document->ScrollY : 0;
    const int inset = placeholder ? 4 : 0;
    int top;
    if (ImageAlign == iaMiddle)
        top = baselineY + (run ? run->Descent - run->TextHeight / 2 : 0) - ImageHeight / 2;
    else if (ImageAlign == iaBottom)
        top = baselineY - ImageHeight;
    else
        top = topY;
    const int b = Bordered ? 1 : 0;
    DrawX = x + inset + b;
    DrawY = top + inset + b;
    const int sy = DrawY - scrollY;
    if (!(placeholder && (ObjWidth <= 23 || ObjHeight <= 23))) {
        const bool broken = pic == BrokenImage();
        if (Gif) {
            Gif->ShowIt = true;
            Gif->Draw(canvas.Painter, DrawX, sy, ObjWidth, ObjHeight);
        } else if (mask && (Transparent != itNone || broken)) {
            if (masked_.isNull()) masked_ = ApplyMask(pic->Bitmap, *mask);
            const QSize size = broken ? pic->Bitmap.size() : QSize(ObjWidth, ObjHeight);
            canvas.DrawImage(QRect(QPoint(DrawX, sy), size), masked_);
        } else if (placeholder) {
            canvas.DrawImage(QRect(DrawX, sy, pic->Width(), pic->Height()), pic->Bitmap);
        } else {
            canvas.DrawImage(QRect(DrawX, sy, ObjWidth, ObjHeight), pic->Bitmap);
        }
    }
    const int boxTop = top - scrollY;
    if (placeholder && !Bordered) {
        canvas.Font = altFont();
        canvas.BrushClear = true;
        WrapTextInRect(canvas, x + 24, boxTop + 2, x + ObjWidth - 2, boxTop + ObjHeight - 2, Alt);
        Draw3DBorder(Document, canvas, x, boxTop, x + ObjWidth - 1, boxTop + ObjHeight - 1, false);
    }
    if (Bordered) {
        const TColor colour = run ? run->TheFont->Color() : clBlack;
        if (placeholder) {
            canvas.Font = altFont();
            canvas.Font.SetColor(colour);
            canvas.BrushClear = true;
            WrapTextInRect(canvas, x + 24, boxTop + 2, x + ObjWidth - 2, boxTop + ObjHeight - 2, Alt);
        }
        canvas.PenColor = colour;
        canvas.BrushClear = true;
        canvas.Rectangle(QRect(x, boxTop, ImageWidth, ImageHeight));
    }
}

// The list is in buffer order, so a position is found by halving: a
// paragraph of many images costs no walk over the others per lookup.
int TImageObjList::AtOrAfter(int pos) const {
    const auto it = std::lower_bound(begin(), end(), pos,
                                     [](const std::unique_ptr<TImageObj>& img, int p) { return img->Pos < p; });
    return static_cast<int>(it - begin());
}

TImageObj* TImageObjList::FindImage(int pos) const {
    const int i = AtOrAfter(pos);
    return i < Count() && Items(i)->Pos == pos ? Items(i) : nullptr;
}

int TImageObjList::GetHeightAt(int pos, std::uint8_t& align) const {
    TImageObj* img = FindImage(pos);
    if (!img) return -1;
    align = img->ImageAlign;
    return img->ImageHeight;
}

int TImageObjList::GetWidthAt(int pos, std::uint8_t& align) const {
    TImageObj* img = FindImage(pos);
    if (!img) return -1;
    align = img->ImageAlign;
    return img->ImageWidth;
}

int TImageObjList::DistanceToNext(int pos) const {
    const int i = AtOrAfter(pos);
    return i < Count() ? Items(i)->Pos - pos : 9999;
}

TImageObj* TImageObjList::ImageHit(int x, int y, int& ix, int& iy) const {
    for (int i = 0; i < Count(); ++i) {
        TImageObj* img = Items(i);
        const int w = img->ImageWidth - (img->Bordered ? 2 : 0), h = img->ImageHeight - (img->Bordered ? 2 : 0);
        if (x >= img->DrawX && x < img->DrawX + w && y >= img->DrawY && y < img->DrawY + h) {
            ix = x - img->DrawX;
            iy = y - img->DrawY;
            return img;
        }
    }
    return nullptr;
}

}  // namespace htmlview
