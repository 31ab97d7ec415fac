#include "htmlview/gif/GifImage.h"

#include "htmlview/util/HtmlUtils.h"
#include "htmlview/images/ImageKinds.h"
#include "platform/core/imaging/Jpeg.h"

#include <QPainter>
#include <QWidget>
#include <algorithm>
#include <cassert>
#include <chrono>
#include <cstring>
#include <new>

namespace htmlview {

static_assert(gif::kMaxSide == platform::kMaxDecodedSide, "every picture format has the same side cap");

namespace {

// The frame's pixels through its colour table into Img (frame size, RGB32);
// transparent pixels black.
void FillFrameBitmap(QImage& img, const gif::GifFrame& f, const gif::ColorTable& table) {
    assert(img.width() == f.FrameWidth && img.height() == f.FrameHeight && img.format() == QImage::Format_RGB32);
    QRgb lut[256];
    for (int i = 0; i < 256; ++i) lut[i] = qRgb(table[3 * i], table[3 * i + 1], table[3 * i + 2]);
    for (int y = 0; y < f.FrameHeight; ++y) {
        auto* row = reinterpret_cast<QRgb*>(img.scanLine(y));
        const std::uint8_t* src = f.Pixels.data() + static_cast<std::size_t>(y) * f.FrameWidth;
        const std::uint8_t* m =
            f.Transparent ? f.TransparentMask.data() + static_cast<std::size_t>(y) * f.FrameWidth : nullptr;
        for (int x = 0; x < f.FrameWidth; ++x) row[x] = (m && m[x]) ? qRgb(0, 0, 0) : lut[src[x]];
    }
}

// A bitmap of the wanted size, or null when memory ran out.
QImage bitmapOf(const std::function<QImage(int, int)>& make, int width, int height) {
    QImage img = make(width, height);
    if (img.width() != width || img.height() != height || img.format() != QImage::Format_RGB32) return QImage();
    return img;
}

}  // namespace

TGIFImage::TGIFImage() = default;

TGIFImage::TGIFImage(const TGIFImage& source)
    : TAnimatedImage(),
      Animated(source.Animated),
      NoImage(source.NoImage),
      FrameCount(source.FrameCount),
      LoopCount(source.LoopCount),
      HasTransparency(source.HasTransparency),
      Shown(source.Shown),
      TableBits(source.TableBits),
      GlobalTable(source.GlobalTable),
      IsCopy(true),
      width_(source.width_),
      height_(source.height_),
      speedPercent_(source.speedPercent_),
      clock_(source.clock_) {
    for (const auto& f : source.Frames) {
        auto copy = std::make_unique<TFrame>(*f);  // QImage copies share their pixels until written
        Frames.push_back(std::move(copy));
    }
    FirstStepPending = false;
    Animating = false;
    ScanOnly = false;
    if (!NoImage && !Frames.empty()) {
        makeSurfaces();
        composeFrame();
    }
}

std::unique_ptr<TAnimatedImage> TGIFImage::Copy() const { return std::make_unique<TGIFImage>(*this); }

void TGIFImage::SetSpeedPercent(int percent) { speedPercent_ = std::max(1, percent); }

std::uint32_t TGIFImage::now() const {
    if (clock_) return clock_();
    using namespace std::chrono;
    return static_cast<std::uint32_t>(
        duration_cast<milliseconds>(steady_clock::now().time_since_epoch()).count());
}

void TGIFImage::Clear() {
    NoImage = true;
    Frames.clear();
    FrameCount = 0;
    FrameIndex = 1;
    LoopCount = 1;
    Iteration = 1;
    FirstStepPending = true;
    TableBits = 0;
    HasTransparency = false;
}

void TGIFImage::ClearAll() {
    Clear();
    composite_ = QImage();
    maskSurface_.clear();
}

bool TGIFImage::LoadStream(const std::uint8_t* data, std::size_t size) { return parse(data, size, false); }
bool TGIFImage::ScanStream(const std::uint8_t* data, std::size_t size) { return parse(data, size, true); }

bool TGIFImage::LoadFile(const std::string& hostPath) {
    std::string bytes;
    if (!ReadPictureFile(hostPath, bytes, Problem)) {
        ClearAll();
        return false;
    }
    return LoadStream(reinterpret_cast<const std::uint8_t*>(bytes.data()), bytes.size());
}

bool TGIFImage::ScanFile(const std::string& hostPath) {
    std::string bytes;
    if (!ReadPictureFile(hostPath, bytes, Problem)) {
        ClearAll();
        return false;
    }
    return ScanStream(reinterpret_cast<const std::uint8_t*>(bytes.data()), bytes.size());
}

bool TGIFImage::parse(const std::uint8_t* data, std::size_t size, bool scanOnly) {
    try {
        if (readFrames(data, size, scanOnly)) return true;
    } catch (const std::bad_alloc&) {
        // memory ran out: no picture, as for any other unusable file
    }
    ClearAll();
    return false;
}

bool TGIFImage::readFrames(const std::uint8_t* data, std::size_t size, bool scanOnly) {
    Clear();
    ScanOnly = scanOnly;
    gif::GifFile file;
    bool ok = gif::ReadGif(data, size, scanOnly, file);
    Problem = file.Problem;
    if (!ok || file.Frames.empty()) return false;
    width_ = file.Width;
    height_ = file.Height;
    LoopCount = file.LoopCount;
    TableBits = file.TableBits;
    GlobalTable = file.GlobalTable;
    HasTransparency = file.HasTransparency;
    for (gif::GifFrame& g : file.Frames) {
        auto f = std::make_unique<TFrame>();
        f->FrameLeft = g.FrameLeft;
        f->FrameTop = g.FrameTop;
        f->FrameWidth = g.FrameWidth;
        f->FrameHeight = g.FrameHeight;
        f->TableBits = g.TableBits;
        f->DelayMs = g.DelayMs;
        f->Disposal = g.Disposal;
        f->HasLocalTable = g.HasLocalTable;
        f->Interlaced = g.Interlaced;
        f->Transparent = g.Transparent;
        f->TransparentIndex = g.TransparentIndex;
        f->Comment = std::move(g.Comment);
        if (!scanOnly && g.FrameWidth > 0 && g.FrameHeight > 0) {
            f->Image = bitmapOf(NewBitmap, g.FrameWidth, g.FrameHeight);
            if (f->Image.isNull()) return false;
            FillFrameBitmap(f->Image, g, g.Colors(file.GlobalTable));
        }
        if (!scanOnly && g.Transparent) f->Mask = std::move(g.TransparentMask);
        Frames.push_back(std::move(f));
    }
    FrameCount = static_cast<int>(Frames.size());
    assert(FrameCount >= 1 && FrameCount <= gif::kMaxFrames);
    if (!scanOnly && !makeSurfaces()) return false;
    Animated = FrameCount > 1;
    NoImage = false;
    FrameIndex = 1;
    composeFrame();
    return true;
}

bool TGIFImage::makeSurfaces() {
    composite_ = bitmapOf(NewBitmap, width_, height_);
    if (composite_.isNull()) return false;
    clearSurfaces();
    return true;
}

void TGIFImage::clearSurfaces() {
    composite_.fill(qRgb(0, 0, 0));
    if (HasTransparency) maskSurface_.assign(static_cast<std::size_t>(width_) * height_, 1);
    else maskSurface_.clear();
}

long long TGIFImage::PixelCount() const {
    long long pixels = static_cast<long long>(width_) * height_;
    for (const auto& f : Frames) pixels += static_cast<long long>(f->FrameWidth) * f->FrameHeight;
    return pixels;
}

void TGIFImage::composeFrame() {
    if (ScanOnly || Frames.empty() || composite_.isNull()) return;
    assert(FrameIndex >= 1 && FrameIndex <= FrameCount);
    const TFrame& first = *Frames[0];
    NeedBackground = FrameIndex == 1 && first.Disposal <= 1;
    // Each play starts on clean surfaces, as the first showing did.
    if (FrameIndex == 1) clearSurfaces();
    TFrame& f = *Frames[FrameIndex - 1];
    const QRect r = f.Rect() & composite_.rect();
    if (f.Disposal == 3) {
        f.SavedImage = composite_.copy(f.Rect());
        f.SavedMask.clear();
        if (HasTransparency) {
            f.SavedMask.reserve(static_cast<std::size_t>(r.width()) * r.height());
            for (int y = r.top(); y <= r.bottom(); ++y)
                for (int x = r.left(); x <= r.right(); ++x)
                    f.SavedMask.push_back(maskSurface_[static_cast<std::size_t>(y) * width_ + x]);
        }
    }
    if (r.isEmpty()) return;  // a frame with no pixels, or off the screen
    assert(f.Image.width() == f.FrameWidth && f.Image.height() == f.FrameHeight);
    for (int y = r.top(); y <= r.bottom(); ++y) {
        const int fy = y - f.FrameTop;
        auto* dst = reinterpret_cast<QRgb*>(composite_.scanLine(y));
        const auto* src = reinterpret_cast<const QRgb*>(f.Image.constScanLine(fy));
        std::uint8_t* ms = HasTransparency ? maskSurface_.data() + static_cast<std::size_t>(y) * width_ : nullptr;
        if (f.Transparent) {
            const std::uint8_t* fm = f.Mask.data() + static_cast<std::size_t>(fy) * f.FrameWidth;
            for (int x = r.left(); x <= r.right(); ++x) {
                const int fx = x - f.FrameLeft;
                if (fm[fx]) continue;  // transparent: what is there stays
                dst[x] = src[fx];
                ms[x] = 0;
            }
        } else {
            std::memcpy(dst + r.left(), src + (r.left() - f.FrameLeft), static_cast<std::size_t>(r.width()) * 4);
            if (ms) std::memset(ms + r.left(), 0, static_cast<std::size_t>(r.width()));
        }
    }
}

void TGIFImage::disposeFrame(int index) {
    if (ScanOnly || index < 1 || index > FrameCount || composite_.isNull()) return;
    TFrame& f = *Frames[index - 1];
    const QRect r = f.Rect() & composite_.rect();
    if (r.isEmpty()) return;
    if (f.Disposal == 2) {
        for (int y = r.top(); y <= r.bottom(); ++y) {
            auto* dst = reinterpret_cast<QRgb*>(composite_.scanLine(y));
            std::fill(dst + r.left(), dst + r.left() + r.width(), qRgb(0, 0, 0));
            if (HasTransparency)
                std::memset(maskSurface_.data() + static_cast<std::size_t>(y) * width_ + r.left(), 1,
                            static_cast<std::size_t>(r.width()));
        }
    } else if (f.Disposal == 3 && !f.SavedImage.isNull()) {
        QPainter p(&composite_);
        p.setCompositionMode(QPainter::CompositionMode_Source);
        p.drawImage(f.FrameLeft, f.FrameTop, f.SavedImage);
        p.end();
        if (HasTransparency && f.SavedMask.size() == static_cast<std::size_t>(r.width()) * r.height()) {
            std::size_t i = 0;
            for (int y = r.top(); y <= r.bottom(); ++y)
                for (int x = r.left(); x <= r.right(); ++x) maskSurface_[static_cast<std::size_t>(y) * width_ + x] = f.SavedMask[i++];
        }
    }
}

QImage TGIFImage::CompositeWithAlpha() const {
    if (composite_.isNull()) return QImage();
    QImage out = composite_.convertToFormat(QImage::Format_ARGB32);
    if (!HasTransparency) return out;
    for (int y = 0; y < height_; ++y) {
        auto* row = reinterpret_cast<QRgb*>(out.scanLine(y));
        const std::uint8_t* m = maskSurface_.data() + static_cast<std::size_t>(y) * width_;
        for (int x = 0; x < width_; ++x)
            if (m[x]) row[x] = qRgba(0, 0, 0, 0);
    }
    return out;
}

void TGIFImage::Draw(QPainter* painter, int x, int y, int w, int h) {
    DrawX = x;
    DrawY = y;
    DrawWidth = w;
    DrawHeight = h;
    if (!Shown || NoImage || ScanOnly || FrameCount == 0 || !painter) return;
    const QRect target(x, y, w, h);
    // A transparent first frame shows the page through; what the page
    // painted beneath is the background the frames accumulate over.
    if (!Frames[0]->Transparent) painter->drawImage(target, composite_);
    else painter->drawImage(target, CompositeWithAlpha());
    NeedBackground = false;
}

std::uint32_t TGIFImage::delayFor(int index) const {
    const int delay = Frames[index - 1]->DelayMs;
    return static_cast<std::uint32_t>(std::max(1, MulDiv(delay, 100, speedPercent_)));
}

void TGIFImage::SetAnimating(bool value) {
    if (value == Animating) return;
    Animating = value;
    Iteration = 1;
    if (value && FrameCount > 1) {
        CurrentDelay = static_cast<std::uint32_t>(
            std::max<long long>(1, static_cast<long long>(Frames[FrameIndex - 1]->DelayMs) * 100 / speedPercent_));
        LastTick = now();
    }
}

void TGIFImage::CheckAnimation(QWidget* panel) {
    if (!Animating || NoImage || ScanOnly || FrameCount == 0) return;
    const std::uint32_t t = now();
    if (t - LastTick < CurrentDelay) return;
    LastTick = t;
    if (LoopCount > 0 && FrameIndex == FrameCount) {
        if (Iteration >= LoopCount) {
            SetAnimating(false);
            return;
        }
        ++Iteration;
    }
    if (FirstStepPending) {
        FirstStepPending = false;
    } else {
        disposeFrame(FrameIndex);
        FrameIndex = FrameIndex >= FrameCount ? 1 : FrameIndex + 1;
        composeFrame();
        if (panel) panel->update(QRect(DrawX, DrawY, DrawWidth, DrawHeight));
    }
    CurrentDelay = delayFor(FrameIndex);
}

void TGIFImage::SetFrameIndex(int index) {
    if (index == FrameIndex) return;
    disposeFrame(FrameIndex);
    if (index > FrameCount) index = 1;
    if (index <= 0) index = FrameCount;
    FrameIndex = std::max(1, index);
    composeFrame();
}

void TGIFImage::Restart() {
    SetFrameIndex(1);
    SetAnimating(false);
    SetAnimating(true);
}

QImage TGIFImage::GetBitmap() const {
    if (NoImage || ScanOnly || Frames.empty()) return QImage();
    return Frames[0]->Image.copy();
}

QImage TGIFImage::GetMask() const {
    if (NoImage || ScanOnly || Frames.empty() || !HasTransparency || !Frames[0]->Transparent) return QImage();
    const TFrame& f = *Frames[0];
    QImage m(f.FrameWidth, f.FrameHeight, QImage::Format_Mono);
    m.setColorTable({qRgb(0, 0, 0), qRgb(255, 255, 255)});
    for (int y = 0; y < f.FrameHeight; ++y)
        for (int x = 0; x < f.FrameWidth; ++x) m.setPixel(x, y, f.Mask[static_cast<std::size_t>(y) * f.FrameWidth + x]);
    return m;
}

std::unique_ptr<TGIFImage> CreateGifFromStream(const std::uint8_t* data, std::size_t size, bool& notAnimated,
                                               long long maxPixels) {
    notAnimated = true;
    auto gif = std::make_unique<TGIFImage>();
    if (!gif->ScanStream(data, size) || gif->PixelCount() > maxPixels) return nullptr;
    gif->Animating = false;
    gif->Shown = false;
    notAnimated = !gif->Animated;
    if (!gif->LoadStream(data, size)) return nullptr;
    return gif;
}

std::unique_ptr<TGIFImage> CreateGifFromFile(const std::string& hostPath, bool& notAnimated, long long maxPixels) {
    notAnimated = true;
    std::string bytes, error;
    if (!ReadPictureFile(hostPath, bytes, error)) return nullptr;
    return CreateGifFromStream(reinterpret_cast<const std::uint8_t*>(bytes.data()), bytes.size(), notAnimated,
                               maxPixels);
}

}  // namespace htmlview
