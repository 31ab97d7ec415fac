#include "htmlview/layout/SectionList.h"

#include "htmlview/gif/GifImage.h"
#include "htmlview/images/ImageCache.h"
#include "htmlview/images/ImageLoader.h"
#include "htmlview/layout/Canvas.h"
#include "htmlview/layout/ImageObj.h"
#include "platform/core/runtime/Text.h"
#include "platform/qt/qtglue/Guard.h"
#include "platform/qt/qtglue/Messenger.h"

#include <QApplication>
#include <QByteArray>
#include <algorithm>
#include <new>

namespace htmlview {

TMemoryStream* NotReadyStream() {
    static TMemoryStream wait;
    return &wait;
}

TSectionList::TSectionList(QWidget* viewer, QWidget* panel) : TCell(nullptr), Viewer(viewer), Panel(panel) {
    Document = this;
    BackColor = clBtnFace;
    AnimTimer.setInterval(50);
    QObject::connect(&AnimTimer, &QTimer::timeout, [this] { platform::Guarded([this] { AnimateGifs(); }); });
}

TSectionList::~TSectionList() {
    AnimTimer.stop();
    Clear();
}

void TSectionList::Clear() {
    AnimTimer.stop();
    BackBitmap.reset();
    if (BackInCache) ImageCache().ReleaseImage(ImageCacheKey(BackImageName));
    BackInCache = false;
    BackImageName.clear();
    BackFetched = false;
    TCell::Clear();  // blocks first: they leave the lists below as they go
    Controls.clear();  // before the forms free them: no control looks for itself in a long list
    Forms.Clear();
    AnimatedGifs.clear();
    Maps.Clear();
    PendingImages.Clear();
    SelStart = SelEnd = 0;
    PictureBudget.Reset();
}

int TSectionList::Arrange(TCanvas& canvas, int y, int width, int& charIndex, int& maxWidth) {
    AnimTimer.stop();
    ++arrangeDepth_;
    int h = 0;
    try {
        for (int i = 0; i < Forms.Count(); ++i) Forms[i]->SetSizes(canvas);
        h = TCell::Arrange(canvas, y, width, charIndex, maxWidth);
    } catch (...) {
        --arrangeDepth_;
        throw;
    }
    --arrangeDepth_;
    for (TAnimatedImage* g : AnimatedGifs) g->Restart();
    if (!AnimatedGifs.empty()) AnimTimer.start();
    HideOffscreenControls();
    if (arrangeDepth_ == 0 && !layoutErrors_.empty()) {
        std::vector<std::string> errors;
        errors.swap(layoutErrors_);
        for (const std::string& e : errors) {
            if (ErrorReporter) ErrorReporter(e);
            else platform::ShowMessage(e, platform::MsgIcon::Error, platform::mbOK);
        }
    }
    return h;
}

int TSectionList::Paint(TCanvas& canvas, const QRect& clipRect, int x, int y, int clipWidth) {
    AnimTimer.stop();
    for (TAnimatedImage* g : AnimatedGifs) g->ShowIt = false;
    int r = TCell::Paint(canvas, clipRect, x, y, clipWidth);
    if (ScrollMoved) {
        HideOffscreenControls();
        ScrollMoved = false;
    }
    if (!AnimatedGifs.empty()) AnimTimer.start();
    return r;
}

void TSectionList::SetScrollY(int y) {
    if (y == ScrollY) return;
    ScrollY = y;
    ScrollMoved = true;
    for (int i = 0; i < Forms.Count(); ++i)
        for (int k = 0; k < Forms[i]->Controls.Count(); ++k) Forms[i]->Controls[k]->Shown = false;
}

void TSectionList::SetDefaults(const std::string& bodyFontName, const std::string& fixedFontName, int baseFontSize,
                               TColor textColor, TColor linkColor, TColor backColor) {
    BodyFontName = bodyFontName.substr(0, 33);
    FixedFontName = fixedFontName.substr(0, 33);
    BaseFontSize = baseFontSize;
    TextColor = textColor;
    LinkColor = linkColor;
    SetBackColor(backColor);
    RefreshFonts();
}

void TSectionList::SetBackColor(TColor colour) {
    BackColor = colour;
    if (BackChangeHook) BackChangeHook(this);
}

void TSectionList::SetBackImage(const std::string& name) {
    BackBitmap.reset();
    if (BackInCache) ImageCache().ReleaseImage(ImageCacheKey(BackImageName));
    BackInCache = false;
    BackImageName = name;
    BackFetched = false;
}

std::shared_ptr<const TPicture> TSectionList::FetchBackImage() {
    if (ImagesOn && !BackFetched && !BackImageName.empty() && !BackBitmap) {
        if (!OnImageRequest && LinkToFileName) BackImageName = LinkToFileName(BackImageName);
        std::uint8_t transparent = 0;
        bool pending = false, fromCache = false;
        QImage mask;
        auto pic = GetImage(BackImageName, transparent, pending, fromCache, mask);
        BackInCache = pic != nullptr;
        if (pic && !pic->Animation) BackBitmap = pic;  // an animated background is not used
        if (pending) PendingImages.AddObject(BackImageName, this);
        BackFetched = true;
    }
    return BackBitmap;
}

namespace {
// A GIF becomes its first frame's bitmap with its transparent pixels as a
// mask (mode 2), and, when it has more than one frame, the animation each
// image showing it copies; without a transparent colour, TRANSP asks for
// the lower-left corner's colour. A GIF our reader cannot load, or one that
// would hold more than maxPixels, frees the cache's unused pictures before
// it is given up.
std::shared_ptr<const TPicture> fromGif(const std::string& bytes, std::uint8_t& transparent, QImage& mask,
                                        long long maxPixels) {
    bool notAnimated = true;
    auto gif = CreateGifFromStream(reinterpret_cast<const std::uint8_t*>(bytes.data()), bytes.size(), notAnimated,
                                   maxPixels);
    if (!gif) {
        ImageCache().PurgeUnused();
        return nullptr;
    }
    QImage bitmap = gif->GetBitmap();
    QImage gifMask = gif->GetMask();
    if (bitmap.isNull()) return nullptr;
    if (!gifMask.isNull()) {
        mask = std::move(gifMask);
        transparent = itGif;
    } else if (transparent == itLowerLeft) {
        mask = MakeMask(bitmap, false, 0);
    }
    auto p = std::make_shared<TPicture>();
    p->Bitmap = std::move(bitmap);
    if (!notAnimated) {
        gif->SetShown(true);
        p->Animation = std::move(gif);
    }
    return p;
}

std::shared_ptr<const TPicture> fromBitmap(QImage bitmap) {
    if (bitmap.isNull()) return nullptr;
    auto p = std::make_shared<TPicture>();
    p->Bitmap = std::move(bitmap);
    return p;
}

bool hasGifExtension(const std::string& name) {
    const auto dot = name.find_last_of('.');
    return dot != std::string::npos && name.size() - dot <= 6 && platform::AsciiLower(name.substr(dot)) == ".gif";
}

// Decodes bytes the host delivered; null when they are no picture. A picture
// is refused before decoding when it would hold more than maxPixels.
std::shared_ptr<const TPicture> decodeBytes(const std::string& bytes, std::uint8_t& transparent, QImage& mask,
                                            long long maxPixels) {
    const TImageKind kind = GetImageType(bytes);
    if (kind == ikGif87 || kind == ikGif89) return fromGif(bytes, transparent, mask, maxPixels);
    auto kindIn = static_cast<TImageTransp>(transparent);
    auto p = fromBitmap(LoadImageFromStream(bytes, kindIn, mask, maxPixels));
    transparent = kindIn;
    return p;
}
}  // namespace

std::shared_ptr<const TPicture> TSectionList::GetImage(const std::string& name, std::uint8_t& transparent,
                                                       bool& pending, bool& fromCache, QImage& mask) {
    mask = QImage();
    pending = false;
    fromCache = false;
    const std::string key = ImageCacheKey(name);
    if (key.empty()) return nullptr;
    TStringBitmapList& cache = ImageCache();
    // A picture over the document's budget, or memory running out, gives
    // none and frees what nobody uses.
    const auto giveUp = [&cache, &mask] {
        mask = QImage();
        cache.PurgeUnused();
        return nullptr;
    };
    // The picture is charged once a document; each image showing an
    // animation also animates a copy with surfaces and frame masks of its own.
    const auto charge = [this, &key](const TPicture& pic) {
        const long long ownCopy = pic.Animation ? pic.Animation->PixelCount() : 0;
        return PictureBudget.TakeOnce(key, PicturePixels(pic)) && PictureBudget.Take(ownCopy);
    };
    if (const int i = cache.IndexOf(key); i >= 0) {
        if (!charge(*cache.Item(i).Picture)) return giveUp();
        fromCache = true;
        auto pic = cache.TakeImage(i);
        TBitmapItem& entry = cache.Item(i);
        if (!pic->Animation) {
            if (entry.TranspKind == itGif || entry.TranspKind == itPng) {
                transparent = entry.TranspKind;
            } else if (transparent == itLowerLeft && entry.MaskBitmap.isNull()) {
                entry.MaskBitmap = MakeMask(pic->Bitmap, false, 0);
                if (!entry.MaskBitmap.isNull()) entry.TranspKind = itLowerLeft;
            }
        }
        mask = entry.MaskBitmap;
        return pic;
    }
    std::shared_ptr<const TPicture> pic;
    try {
        pic = fetchPicture(name, transparent, pending, mask);
    } catch (const std::bad_alloc&) {
        return giveUp();
    }
    if (!pic) return nullptr;
    if (!charge(*pic)) return giveUp();
    auto entry = std::make_unique<TBitmapItem>();
    entry->Picture = pic;
    entry->MaskBitmap = mask;
    entry->TranspKind = mask.isNull() ? itNone : static_cast<TImageTransp>(transparent);
    cache.AddObject(key, std::move(entry));
    return pic;
}

std::shared_ptr<const TPicture> TSectionList::fetchPicture(const std::string& name, std::uint8_t& transparent,
                                                           bool& pending, QImage& mask) {
    std::shared_ptr<const TPicture> pic;
    if (OnImageRequest) {
        TMemoryStream* stream = nullptr;
        OnImageRequest(Viewer, name, stream);
        if (stream == NotReadyStream()) {
            pending = true;
            return nullptr;
        }
        if (!stream || stream->Data.empty()) return nullptr;
        pic = decodeBytes(stream->Data, transparent, mask, PictureBudget.Left());
    } else {
        if (hasGifExtension(name)) {
            // Unreadable, no regular file or too big: the picture cannot be
            // had, as for a missing file.
            std::string bytes, error;
            if (ReadPictureFile(name, bytes, error) &&
                (GetImageType(bytes) == ikGif87 || GetImageType(bytes) == ikGif89))
                pic = fromGif(bytes, transparent, mask, PictureBudget.Left());
        }
        if (!pic) {
            auto kind = static_cast<TImageTransp>(transparent);
            pic = fromBitmap(LoadImageWithMask(name, kind, mask, PictureBudget.Left()));
            transparent = kind;
        }
    }
    return pic;
}

bool TSectionList::InsertImage(const std::string& name, const std::string& bytes) {
    const std::string key = ImageCacheKey(name);
    std::vector<void*> waiting;
    std::erase_if(PendingImages.Items, [&](const TStringList::Item& e) {
        if (ImageCacheKey(e.Name) != key) return false;
        waiting.push_back(e.Object);
        return true;
    });
    if (waiting.empty()) return false;
    std::uint8_t transparent = itNone;
    QImage mask;
    std::shared_ptr<const TPicture> pic;
    try {
        pic = decodeBytes(bytes, transparent, mask, PictureBudget.Left());
    } catch (const std::bad_alloc&) {
        ImageCache().PurgeUnused();  // the waiting images show the broken picture
    }
    TStringBitmapList& cache = ImageCache();
    const bool decoded = pic != nullptr;
    if (decoded && cache.IndexOf(key) < 0) {
        auto entry = std::make_unique<TBitmapItem>();
        entry->Picture = pic;
        entry->MaskBitmap = mask;
        entry->TranspKind = mask.isNull() ? itNone : static_cast<TImageTransp>(transparent);
        const int i = cache.AddObject(key, std::move(entry));
        cache.Item(i).Users -= 1;  // the waiting images take it as they fetch
    }
    for (void* object : waiting) {
        if (object == this) {
            if (decoded) {  // else the page keeps its colour
                BackFetched = false;
                FetchBackImage();
            }
        } else {
            static_cast<TImageObj*>(object)->Refetch(decoded);
        }
    }
    return true;
}

int TSectionList::BlockTop(int index) const {
    int n = std::min(index - 1, Count() - 2);
    if (n < 0) return 0;
    int y = 0;
    for (int i = 0; i <= n; ++i) y += Items(i)->FlowHeight;
    return y;
}

void TSectionList::HideOffscreenControls() {
    if (Controls.empty()) return;
    QWidget* focus = QApplication::focusWidget();
    bool ours = false;
    for (TFormControlObj* c : Controls) {
        QWidget* w = c->GetControl();
        if (w && focus && (w == focus || w->isAncestorOf(focus))) ours = true;
    }
    for (TFormControlObj* c : Controls) {
        if (c->Shown || !c->TheControl) continue;
        if (ours && c->OnPage) {
            c->TheControl->move(-4000, c->TheControl->y());
            c->TheControl->show();
        } else {
            c->TheControl->hide();
        }
    }
}

void TSectionList::AnimateGifs() {
    for (TAnimatedImage* g : AnimatedGifs)
        if (g->ShowIt) g->StepAnimation(Panel);
    AnimTimer.setInterval(50);
}

bool TSectionList::BackgroundIsWhite() const {
    return (BackColor & 0xFFFFFF) == 0xFFFFFF || (BackColor == clWindow && ColorToRGB(clWindow) == 0xFFFFFF);
}

void TSectionList::ForgetObject(const void* object) {
    PendingImages.RemoveObject(object);
    if (NameList) NameList->RemoveObject(object);
    std::erase_if(AnimatedGifs, [object](TAnimatedImage* g) { return g == object; });
    std::erase_if(Controls, [object](TFormControlObj* c) { return c == object; });
}

}  // namespace htmlview
