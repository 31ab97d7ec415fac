#pragma once
// What the document hands to an inline image: a bitmap with an optional
// mask, or an animation (the GIF decoder implements TAnimatedImage).
#include <QImage>
#include <memory>

class QWidget;

namespace htmlview {

class TCanvas;

class TAnimatedImage {
public:
    virtual ~TAnimatedImage() = default;
    bool ShowIt = false;  // painted by the last paint; only those animate
    virtual int Width() const = 0;
    virtual int Height() const = 0;
    virtual void Restart() = 0;                // back to the first frame
    virtual void StepAnimation(QWidget* panel) = 0;
    virtual void Draw(TCanvas& canvas, int x, int y, int w, int h) = 0;
    virtual std::unique_ptr<TAnimatedImage> Copy() const = 0;
};

struct TPicture {
    QImage Bitmap;
    QImage Mask;  // non-null: draw only where the mask is set
    std::shared_ptr<TAnimatedImage> Animation;

    int Width() const { return Animation ? Animation->Width() : Bitmap.width(); }
    int Height() const { return Animation ? Animation->Height() : Bitmap.height(); }
};

// The stock pictures: shown while a picture is pending or images are off,
// and when a picture cannot be had.
const TPicture& DefaultImage();
const TPicture& ErrorImage();

}  // namespace htmlview
