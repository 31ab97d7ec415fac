#pragma once
// One IMG (or INPUT TYPE=IMAGE) inside a text section, where it holds one
// placeholder character (code 4): its attributes, display size, float
// placement and the data hit tests need.
#include "htmlview/images/Picture.h"
#include "htmlview/util/Attributes.h"
#include "htmlview/util/HtmlSymbols.h"
#include "htmlview/util/FreeList.h"

#include <memory>
#include <string>

namespace htmlview {

class TCanvas;
class TCell;
class TFontObj;
class TFormControlObj;
class TSectionList;

enum TImageAlign : std::uint8_t { iaTop = 0, iaMiddle = 1, iaBottom = 2, iaLeft = 3, iaRight = 4 };

class TImageObj {
public:
    TImageObj(int pos, const TAttributeList* attributes);
    TImageObj(const TImageObj&) = delete;
    TImageObj& operator=(const TImageObj&) = delete;
    ~TImageObj();

    int Pos;
    int ImageHeight = 0, ImageWidth = 0;  // laid out, with the frame when Bordered
    int WantHeight = 0;
    int WantWidth = 0;
    bool WidthIsPercent = false;
    int ObjHeight = 0, ObjWidth = 0;
    bool SizeKnown = false;
    std::string Source;
    std::string Alt;
    std::uint8_t ImageAlign = iaBottom;
    bool NoBorder = false;
    std::shared_ptr<const TPicture> Image;
    QImage Mask;  // 1 = transparent; null when none
    std::uint8_t Transparent = 0;
    bool IsMap = false;
    bool UseMap = false;
    bool Bordered = false;
    int DrawX = 0;
    int FloatX = 0;
    int FloatY = 0;  // document y where layout placed a floating image
    int DrawY = 0;
    std::string MapName;
    int HSpace = 5;
    TFormControlObj* FormControl = nullptr;
    TCell* Cell = nullptr;
    TSectionList* Document = nullptr;
    std::shared_ptr<TAnimatedImage> Gif;  // this image's own animation, in the document's list

    bool Floating() const { return ImageAlign == iaLeft || ImageAlign == iaRight; }
    bool ShowingPlaceholder() const;
    // Fetches the picture (once) and settles the display size.
    void SizeImage(TSectionList* document, TCanvas& canvas, int availWidth, const TFontObj* run);
    void DrawImage(TCanvas& canvas, int x, const TFontObj* run, int baselineY, int topY);
    // The picture this image waited for has come (Decoded) or turned out to
    // be no picture: the next layout fetches and sizes it again.
    void Refetch(bool decoded);

private:
    bool heldInCache_ = false;  // the fetch took a user of Source's cache entry
    QImage masked_;             // the picture with its mask applied, made at the first masked draw
    void releasePicture();
};

// A section's images in buffer order; positions ascend.
class TImageObjList : public TFreeList<TImageObj> {
public:
    // Index of the first image at or after Pos (Count() when none).
    int AtOrAfter(int pos) const;
    TImageObj* FindImage(int pos) const;
    int GetHeightAt(int pos, std::uint8_t& align) const;
    int GetWidthAt(int pos, std::uint8_t& align) const;
    int DistanceToNext(int pos) const;
    // The first image whose painted rectangle holds the document point.
    TImageObj* ImageHit(int x, int y, int& ix, int& iy) const;
};

}  // namespace htmlview
