#pragma once
// A decoded picture as the document holds it: a bitmap, or an animation
// (the GIF decoder implements TAnimatedImage). Masks travel beside it.
#include <QImage>
#include <memory>

class QPainter;
class QWidget;

namespace htmlview {

class TAnimatedImage {
public:
    virtual ~TAnimatedImage() = default;
    bool ShowIt = false;  // painted by the last paint; only those animate
    virtual int Width() const = 0;
    virtual int Height() const = 0;
    virtual void Restart() = 0;                // back to the first frame
    virtual void StepAnimation(QWidget* panel) = 0;
    // Stretched into (x, y, w, h); a null painter draws nothing.
    virtual void Draw(QPainter* painter, int x, int y, int w, int h) = 0;
    virtual std::unique_ptr<TAnimatedImage> Copy() const = 0;
    // Pixels the animation holds: every frame and its composition surface.
    virtual long long PixelCount() const { return static_cast<long long>(Width()) * Height(); }
};

struct TPicture {
    QImage Bitmap;
    std::shared_ptr<TAnimatedImage> Animation;

    int Width() const { return Animation ? Animation->Width() : Bitmap.width(); }
    int Height() const { return Animation ? Animation->Height() : Bitmap.height(); }
};

// The stock pictures, 16 x 16, drawn in code: PendingImage while a picture
// is not yet there (and whenever images are off), BrokenImage with its mask
// (1 = transparent) when a picture cannot be had. They live as long as the
// program.
const std::shared_ptr<const TPicture>& PendingImage();
const std::shared_ptr<const TPicture>& BrokenImage();
const QImage& BrokenImageMask();

}  // namespace htmlview
