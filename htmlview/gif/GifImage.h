#pragma once
// TGIFImage: a GIF as the viewer shows it. The frames read by GifReader.h
// become bitmaps (transparent pixels black) with masks; an animation is
// composed frame by frame on a composition surface with the four disposal
// methods, drawn stretched (transparently over what the page painted beneath
// when frame 1 is transparent), and stepped by CheckAnimation from the
// document's animation timer against an injectable millisecond clock.
//
// The image cache keeps the first instance; every further document image
// showing the same GIF animates its own CreateCopy.
#include "htmlview/gif/GifReader.h"
#include "htmlview/images/Picture.h"

#include <QImage>
#include <QRect>
#include <cstdint>
#include <functional>
#include <memory>
#include <string>
#include <vector>

class QWidget;

namespace htmlview {

class TGIFImage;

// One image of the GIF.
class TFrame {
public:
    int FrameLeft = 0, FrameTop = 0, FrameWidth = 0, FrameHeight = 0;
    int TableBits = 0;
    int DelayMs = 0;
    std::uint8_t Disposal = 0;
    bool HasLocalTable = false, Interlaced = false, Transparent = false;
    std::uint8_t TransparentIndex = 0;
    std::string Comment;

    QImage Image;                     // RGB32, frame size; transparent pixels black
    std::vector<std::uint8_t> Mask;   // transparent frames: 1 (white) = transparent, per pixel
    QImage SavedImage;                // disposal 3: the composite under the frame before it was drawn
    std::vector<std::uint8_t> SavedMask;

    QRect Rect() const { return QRect(FrameLeft, FrameTop, FrameWidth, FrameHeight); }
};

class TGIFImage : public TAnimatedImage {
public:
    using Clock = std::function<std::uint32_t()>;  // milliseconds, may wrap

    TGIFImage();
    explicit TGIFImage(const TGIFImage& source);  // CreateCopy: own surfaces, frame 1 composed
    TGIFImage& operator=(const TGIFImage&) = delete;

    // Full loads decode every frame; scans only count and measure them. Each
    // returns false (after ClearAll) when the data is not a usable GIF, and
    // also when a bitmap cannot be had (NewBitmap gives a null image or
    // memory runs out): no partial picture is ever kept. Files are read like
    // every picture file (ReadPictureFile); Problem says why one was not.
    bool LoadStream(const std::uint8_t* data, std::size_t size);
    bool LoadFile(const std::string& hostPath);
    bool ScanStream(const std::uint8_t* data, std::size_t size);
    bool ScanFile(const std::string& hostPath);

    void Clear();
    void ClearAll();

    // State, as the animation and the image objects read it.
    bool Animated = false;
    int FrameIndex = 1;  // 1-based
    bool NoImage = true;
    int FrameCount = 0;
    int LoopCount = 1;  // 0 endless
    bool HasTransparency = false;
    bool Shown = true;
    int TableBits = 0;
    gif::ColorTable GlobalTable{};
    bool NeedBackground = false;
    bool Animating = false;
    int DrawX = 0, DrawY = 0, DrawWidth = 0, DrawHeight = 0;
    int Iteration = 1;
    bool FirstStepPending = true;
    bool ScanOnly = false;
    std::uint32_t LastTick = 0, CurrentDelay = 0;
    bool IsCopy = false;
    std::string Problem;  // why the last parse stopped early, if it did
    std::vector<std::unique_ptr<TFrame>> Frames;
    // Makes the frame bitmaps and the composition surface (RGB32); a null
    // image means memory ran out. Tests stand in one that runs out.
    std::function<QImage(int width, int height)> NewBitmap = [](int w, int h) {
        return QImage(w, h, QImage::Format_RGB32);
    };

    int SpeedPercent() const { return speedPercent_; }
    void SetSpeedPercent(int percent);  // at least 1
    void SetClock(Clock clock) { clock_ = std::move(clock); }

    void SetAnimating(bool value);
    void CheckAnimation(QWidget* panel);  // one timer tick
    void SetFrameIndex(int index);
    void SetShown(bool value) { Shown = value; }

    // Frame 1's bitmap and mask (null when there is none).
    QImage GetBitmap() const;
    QImage GetMask() const;  // Format_Mono, white = transparent

    // The composition surface and its mask (1 = nothing opaque drawn there).
    const QImage& Composite() const { return composite_; }
    const std::vector<std::uint8_t>& MaskSurface() const { return maskSurface_; }
    // The composite with transparency as alpha, as Draw paints it.
    QImage CompositeWithAlpha() const;

    // TAnimatedImage
    int Width() const override { return width_; }
    int Height() const override { return height_; }
    void Restart() override;
    void StepAnimation(QWidget* panel) override { CheckAnimation(panel); }
    void Draw(QPainter* painter, int x, int y, int w, int h) override;
    std::unique_ptr<TAnimatedImage> Copy() const override;
    // Every frame and the composition surface; known after a scan already.
    long long PixelCount() const override;

private:
    bool parse(const std::uint8_t* data, std::size_t size, bool scanOnly);
    bool readFrames(const std::uint8_t* data, std::size_t size, bool scanOnly);  // false: give up
    void composeFrame();
    void disposeFrame(int index);
    bool makeSurfaces();  // false when memory ran out
    void clearSurfaces();
    std::uint32_t now() const;
    std::uint32_t delayFor(int index) const;

    int width_ = 0, height_ = 0;
    int speedPercent_ = 100;
    Clock clock_;
    QImage composite_;
    std::vector<std::uint8_t> maskSurface_;
};

// Scans, then loads a GIF; null when it is not one, when the scan finds it
// would hold more than maxPixels (PixelCount: nothing is decoded then), or
// when the load fails. notAnimated says whether it has a single frame. The
// new image is neither animating nor shown. On null the caller purges its
// cache's unused entries.
std::unique_ptr<TGIFImage> CreateGifFromStream(const std::uint8_t* data, std::size_t size, bool& notAnimated,
                                               long long maxPixels);
std::unique_ptr<TGIFImage> CreateGifFromFile(const std::string& hostPath, bool& notAnimated, long long maxPixels);

}  // namespace htmlview
