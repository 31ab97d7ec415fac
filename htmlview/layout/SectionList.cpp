#include "htmlview/layout/SectionList.h"

#include "htmlview/layout/Canvas.h"
#include "platform/qtglue/Guard.h"
#include "platform/qtglue/Messenger.h"
#include "platform/runtime/Text.h"

#include <QApplication>
#include <QByteArray>
#include <algorithm>

namespace htmlview {

TMemoryStream* WaitStream() {
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
    BackImageName.clear();
    BackFetched = false;
    TCell::Clear();  // blocks first: they leave the lists below as they go
    Forms.Clear();
    Controls.clear();
    AnimatedGifs.clear();
    Maps.Clear();
    PendingImages.Clear();
    SelStart = SelEnd = 0;
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
    BackImageName = name;
    BackFetched = false;
}

std::shared_ptr<const TPicture> TSectionList::FetchBackImage() {
    if (ImagesOn && !BackFetched && !BackImageName.empty() && !BackBitmap) {
        if (!OnImageRequest && LinkToFileName) BackImageName = LinkToFileName(BackImageName);
        std::uint8_t transparent = 0;
        bool pending = false, fromCache = false;
        auto pic = GetImage(BackImageName, transparent, pending, fromCache);
        if (pic && !pic->Animation) BackBitmap = pic;  // an animated background is not used
        if (pending) PendingImages.AddObject(BackImageName, this);
        BackFetched = true;
    }
    return BackBitmap;
}

namespace {
// Pixels of the lower-left corner's colour become transparent.
void maskFromCorner(TPicture& p) {
    if (p.Bitmap.isNull()) return;
    QImage img = p.Bitmap.convertToFormat(QImage::Format_ARGB32);
    const QRgb key = img.pixel(0, img.height() - 1) & 0xFFFFFF;
    for (int y = 0; y < img.height(); ++y) {
        auto* line = reinterpret_cast<QRgb*>(img.scanLine(y));
        for (int x = 0; x < img.width(); ++x)
            if ((line[x] & 0xFFFFFF) == key) line[x] = 0;
    }
    p.Bitmap = img;
}

std::shared_ptr<const TPicture> decoded(QImage img, std::uint8_t& transparent) {
    if (img.isNull()) return nullptr;
    auto p = std::make_shared<TPicture>();
    p->Bitmap = std::move(img);
    if (p->Bitmap.hasAlphaChannel()) transparent = 2;
    else if (transparent == 1) maskFromCorner(*p);
    return p;
}
}  // namespace

std::shared_ptr<const TPicture> TSectionList::GetImage(const std::string& name, std::uint8_t& transparent,
                                                       bool& pending, bool& fromCache) {
    pending = false;
    fromCache = false;
    if (platform::TrimControls(name).empty()) return nullptr;
    if (OnImageRequest) {
        TMemoryStream* stream = nullptr;
        OnImageRequest(Viewer, name, stream);
        if (stream == WaitStream()) {
            pending = true;
            return nullptr;
        }
        if (!stream || stream->Data.empty()) return nullptr;
        QImage img;
        img.loadFromData(reinterpret_cast<const uchar*>(stream->Data.data()),
                         static_cast<int>(std::min<size_t>(stream->Data.size(), 0x7FFFFFFF)));
        return decoded(std::move(img), transparent);
    }
    return decoded(QImage(QString::fromLocal8Bit(name.c_str())), transparent);
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
        if (ours) {
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
