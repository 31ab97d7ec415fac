// Inline images on parsed pages: fetching through the shared cache, sizes
// from attributes, placeholders with ALT text, link frames, masks, image
// maps and pictures the host delivers later. The fake measurer gives 8
// pixels a character.
#include "htmlview/gif/GifReader.h"
#include "htmlview/images/ImageCache.h"
#include "htmlview/parser/ParserTestSupport.h"
#include "testkit/generators/jpeg/JpegTestFiles.h"
#include "testkit/htmlview/ImageTestFiles.h"

#include <QPainter>
#include <map>

using namespace htmlview;
using htmlview::testing::BmpOf;
using htmlview::testing::ParserTest;

namespace {
QImage filled(int w, int h, QColor c) {
    QImage img(w, h, QImage::Format_RGB32);
    img.fill(c);
    return img;
}

class ImageTest : public ParserTest {
protected:
    std::map<std::string, std::string> files;  // what the host's image request answers
    std::vector<std::string> requests;
    bool notReady = false;

    void SetUp() override {
        ParserTest::SetUp();
        doc->ImagesOn = true;
        doc->OnImageRequest = [this](QWidget*, const std::string& src, TMemoryStream*& s) {
            requests.push_back(src);
            static TMemoryStream out;
            if (notReady) {
                s = NotReadyStream();
            } else if (auto it = files.find(src); it != files.end()) {
                out.Data = it->second;
                s = &out;
            }
        };
    }
    std::vector<TImageObj*> images() const {
        std::vector<TImageObj*> r;
        std::function<void(const TCell&)> walk = [&](const TCell& c) {
            for (int i = 0; i < c.Count(); ++i) {
                if (auto* s = dynamic_cast<const TSection*>(c[i]))
                    for (int k = 0; k < s->Images.Count(); ++k) r.push_back(s->Images[k]);
                if (auto* t = dynamic_cast<const ThtmlTable*>(c[i]))
                    for (int row = 0; row < t->Rows.Count(); ++row)
                        for (int k = 0; k < t->Rows[row]->Count(); ++k)
                            if ((*t->Rows[row])[k]->Content) walk(*(*t->Rows[row])[k]->Content);
            }
        };
        walk(*doc);
        return r;
    }
    QSize sizeOf(const TImageObj* img) const { return QSize(img->ImageWidth, img->ImageHeight); }
    QImage paint(int w, int h) {
        QImage out(w, h, QImage::Format_RGB32);
        out.fill(Qt::white);
        QPainter p(&out);
        TCanvas c(fake, &p);
        doc->Paint(c, QRect(0, 0, w, h), 0, 0, w);
        return out;
    }
    int users(const std::string& name) {
        const int i = ImageCache().IndexOf(ImageCacheKey(name));
        return i < 0 ? -1 : ImageCache().Item(i).Users;
    }
};
}  // namespace

TEST_F(ImageTest, SizesFromAttributesAndThePicture) {
    files["tall.bmp"] = BmpOf(filled(100, 200, Qt::red));
    parse("<IMG SRC=tall.bmp HEIGHT=50><IMG SRC=tall.bmp WIDTH=20><IMG SRC=tall.bmp>"
          "<IMG SRC=tall.bmp WIDTH=7 HEIGHT=9><IMG SRC=tall.bmp WIDTH=50%>");
    arrange(300);
    auto img = images();
    ASSERT_EQ(img.size(), 5u);
    EXPECT_EQ(sizeOf(img[0]), QSize(25, 50));   // the proportions kept
    EXPECT_EQ(sizeOf(img[1]), QSize(20, 40));
    EXPECT_EQ(sizeOf(img[2]), QSize(100, 200));
    EXPECT_EQ(sizeOf(img[3]), QSize(7, 9));
    EXPECT_EQ(sizeOf(img[4]), QSize(150, 200));  // half of 300, its own height
    arrange(400);
    EXPECT_EQ(img[4]->ImageWidth, 200);  // a percentage follows the width
    EXPECT_EQ(img[0]->ImageWidth, 25);
    // One picture, fetched once, held by five images.
    EXPECT_EQ(requests.size(), 1u);
    EXPECT_EQ(users("tall.bmp"), 5);
}

TEST_F(ImageTest, ExtremeAttributesAreKeptToThePageLimit) {
    files["p.bmp"] = BmpOf(filled(3, 1, Qt::red));
    parse("<IMG SRC=p.bmp HEIGHT=2147483647><IMG SRC=p.bmp WIDTH=2147483647 HEIGHT=-4><IMG SRC=p.bmp WIDTH=-9>");
    arrange(300);
    auto img = images();
    EXPECT_EQ(sizeOf(img[0]), QSize(kMaxPagePixels, kMaxPagePixels));  // 32000 x 3 / 1 kept to the limit
    EXPECT_EQ(sizeOf(img[1]), QSize(kMaxPagePixels, 1));
    EXPECT_EQ(sizeOf(img[2]), QSize(3, 1));  // a negative width counts as none
}

TEST_F(ImageTest, LinkFramesUnlessBorderIsZero) {
    files["p.bmp"] = BmpOf(filled(10, 6, Qt::blue));
    parse("<A HREF=x.htm><IMG SRC=p.bmp><IMG SRC=p.bmp BORDER=0></A><IMG SRC=p.bmp>");
    arrange(300);
    auto img = images();
    EXPECT_TRUE(img[0]->Bordered);
    EXPECT_EQ(sizeOf(img[0]), QSize(12, 8));
    EXPECT_FALSE(img[1]->Bordered);
    EXPECT_EQ(sizeOf(img[1]), QSize(10, 6));
    EXPECT_FALSE(img[2]->Bordered);
    QImage out = paint(200, 40);
    // The frame is drawn in the link colour, the picture inside it.
    const int x = img[0]->DrawX, y = img[0]->DrawY;
    EXPECT_EQ(QColor(out.pixel(x - 1, y - 1)).rgb() & 0xFFFFFF, 0x0000FFu);  // link colour 0xFF0000 = blue
    EXPECT_EQ(QColor(out.pixel(x, y)), QColor(Qt::blue));
    EXPECT_EQ(QColor(out.pixel(img[1]->DrawX + 5, img[1]->DrawY - 1)), QColor(Qt::white));  // no frame above
}

TEST_F(ImageTest, AMissingPictureShowsTheBrokenImageInAnAltBox) {
    parse("<IMG SRC=missing.bmp ALT=\"no picture\"><IMG SRC=missing.bmp WIDTH=40 HEIGHT=30><IMG>");
    doc->SetBackColor(clBtnFace);
    arrange(400);
    auto img = images();
    EXPECT_TRUE(img[0]->ShowingPlaceholder());
    EXPECT_EQ(img[0]->Image, BrokenImage());
    EXPECT_EQ(sizeOf(img[0]), QSize(10 * 8 + 2 + 24, 24));  // wide enough for the ALT text
    EXPECT_EQ(sizeOf(img[1]), QSize(40, 30));  // both sizes given: taken as they are
    EXPECT_EQ(img[2]->Image, BrokenImage());  // no SRC
    // The box: a sunken frame, dark above and left, light below and right.
    canvas->Log = nullptr;
    QImage out = paint(400, 60);
    const int x = img[0]->DrawX - 4, y = img[0]->DrawY - 4;
    const QRgb dark = ColorToRGB(clBtnShadow), light = ColorToRGB(clBtnHighlight);
    auto rgbAt = [&](int px, int py) { return out.pixel(px, py) & 0xFFFFFF; };
    auto swap = [](TColor c) { return static_cast<QRgb>(((c & 0xFF) << 16) | (c & 0xFF00) | ((c >> 16) & 0xFF)); };
    EXPECT_EQ(rgbAt(x, y + 10), swap(dark));
    EXPECT_EQ(rgbAt(x + 10, y), swap(dark));
    EXPECT_EQ(rgbAt(x + img[0]->ObjWidth - 1, y + 10), swap(light));
    EXPECT_EQ(rgbAt(x + 10, y + img[0]->ObjHeight - 1), swap(light));
    // On a white page the light edge is silver.
    doc->SetBackColor(clWhite);
    out = paint(400, 60);
    EXPECT_EQ(rgbAt(x + img[0]->ObjWidth - 1, y + 10), swap(ColorToRGB(clSilver)));
}

// Frames of the largest side, each a few bytes: a small file asking for
// frames x side x side pixels.
std::string GifBomb(int frames) {
    const char side[2] = {static_cast<char>(gif::kMaxSide & 0xFF), static_cast<char>(gif::kMaxSide >> 8)};
    std::string g = "GIF89a" + std::string(side, 2) + std::string(side, 2) +
                    std::string("\x80\0\0\0\0\0\xff\xff\xff", 9);
    for (int i = 0; i < frames; ++i)
        g += std::string(",\0\0\0\0", 5) + std::string(side, 2) + std::string(side, 2) +
             std::string("\0\x02\x02\x44\x01\0", 6);
    return g + ";";
}

TEST_F(ImageTest, PicturesPastTheDocumentsBudgetShowTheBrokenPicture) {
    files["bomb.gif"] = GifBomb(256);
    files["eight.gif"] = GifBomb(8);
    files["one.gif"] = GifBomb(1);
    parse("<IMG SRC=bomb.gif><IMG SRC=eight.gif><IMG SRC=one.gif>");
    arrange(400);
    auto img = images();
    ASSERT_EQ(img.size(), 3u);
    EXPECT_EQ(img[0]->Image, BrokenImage());
    EXPECT_EQ(img[1]->Image, BrokenImage());
    EXPECT_NE(img[2]->Image, BrokenImage());  // one frame of the largest side fits
    const long long side = gif::kMaxSide;
    EXPECT_EQ(doc->PictureBudget.Used(), side * side);  // the still GIF became one bitmap
    EXPECT_LE(doc->PictureBudget.Used(), doc->PictureBudget.Limit());
    EXPECT_LT(ImageCache().IndexOf(ImageCacheKey("bomb.gif")), 0);

    // Bitmaps and JPEGs count the same way, whether decoded or from the
    // cache, and a picture counts once however many images show it.
    doc->Clear();
    EXPECT_EQ(doc->PictureBudget.Used(), 0);
    doc->PictureBudget = TPictureBudget(3'000'000);
    files["big.bmp"] = BmpOf(filled(2000, 1000, Qt::red));
    files["photo.jpg"] = platform::testing::JpegOfColour(Qt::blue, 2000, 1000);
    files["small.bmp"] = BmpOf(filled(10, 10, Qt::green));
    std::string page = "<IMG SRC=big.bmp><IMG SRC=photo.jpg><IMG SRC=big.bmp><IMG SRC=small.bmp>";
    for (int i = 0; i < 200; ++i) page += "<IMG SRC=big.bmp>";
    parse(page);
    arrange(400);
    img = images();
    ASSERT_EQ(img.size(), 204u);
    EXPECT_EQ(img[0]->Image->Bitmap.pixel(0, 0), qRgb(255, 0, 0));
    EXPECT_EQ(img[1]->Image, BrokenImage());
    EXPECT_EQ(img[3]->Image->Bitmap.pixel(0, 0), qRgb(0, 255, 0));
    for (std::size_t i = 2; i < img.size(); i += i == 2 ? 2 : 1) {
        ASSERT_NE(img[i]->Image, BrokenImage()) << "image " << i;
        EXPECT_EQ(img[i]->Image->Bitmap.pixel(0, 0), qRgb(255, 0, 0));
    }
    EXPECT_EQ(doc->PictureBudget.Used(), 2'000'000 + 100);

    // An exact fit is shown; one pixel more is not.
    doc->Clear();
    doc->PictureBudget = TPictureBudget(2'000'000 + 100);
    parse("<IMG SRC=big.bmp><IMG SRC=small.bmp><IMG SRC=big.bmp>");
    arrange(400);
    img = images();
    ASSERT_EQ(img.size(), 3u);
    for (TImageObj* i : img) EXPECT_NE(i->Image, BrokenImage());
    EXPECT_EQ(doc->PictureBudget.Left(), 0);
    doc->Clear();
    doc->PictureBudget = TPictureBudget(2'000'000 + 99);
    parse("<IMG SRC=big.bmp><IMG SRC=small.bmp>");
    arrange(400);
    img = images();
    ASSERT_EQ(img.size(), 2u);
    EXPECT_NE(img[0]->Image, BrokenImage());
    EXPECT_EQ(img[1]->Image, BrokenImage());
    EXPECT_EQ(doc->PictureBudget.Used(), 2'000'000);
}

// An animation holds frame 1's bitmap, every frame and its composition
// surface, charged once; each image showing it animates a copy with
// surfaces and frame masks of its own, charged as many pixels again.
TEST_F(ImageTest, AnAnimationIsChargedOnceAndEachCopyAgain) {
    // A 2 x 1 screen: frame 1 of 2 x 1, frame 2 of 1 x 1.
    files["anim.gif"] = std::string(
        "GIF89a\x02\x00\x01\x00\x81\x00\x00\x00\x00\x00\xff\x00\x00\x00\xff\x00\x00\x00\xff"
        "!\xf9\x04\x0d\x05\x00\x00\x00,\x00\x00\x00\x00\x02\x00\x01\x00\x00\x02\x03\x0c\x10\x05\x00"
        ",\x01\x00\x00\x00\x01\x00\x01\x00\x00\x02\x02\x44\x01\x00;",
        64);
    parse("<IMG SRC=anim.gif><IMG SRC=anim.gif><IMG SRC=anim.gif>");
    arrange(400);
    auto img = images();
    ASSERT_EQ(img.size(), 3u);
    for (TImageObj* i : img) ASSERT_TRUE(i->Gif) << "an animation is shown";
    EXPECT_EQ(doc->PictureBudget.Used(), 2 + (2 + 2 + 1) + 3 * (2 + 2 + 1));
    // The same budget less one pixel refuses the third copy.
    doc->Clear();
    doc->PictureBudget = TPictureBudget(2 + (2 + 2 + 1) + 3 * (2 + 2 + 1) - 1);
    parse("<IMG SRC=anim.gif><IMG SRC=anim.gif><IMG SRC=anim.gif>");
    arrange(400);
    img = images();
    ASSERT_EQ(img.size(), 3u);
    EXPECT_TRUE(img[1]->Gif);
    EXPECT_EQ(img[2]->Image, BrokenImage());
}

TEST_F(ImageTest, ImagesOffShowThePendingPictureAndHoldNothing) {
    files["p.bmp"] = BmpOf(filled(50, 50, Qt::red));
    doc->ImagesOn = false;
    parse("<IMG SRC=p.bmp ALT=x>");
    arrange(300);
    EXPECT_TRUE(requests.empty());
    EXPECT_TRUE(images()[0]->ShowingPlaceholder());
    // An image that held nothing gives nothing back: another page's users stay.
    ImageCache().AddObject("P.BMP", std::make_unique<TBitmapItem>());
    doc->Clear();
    EXPECT_EQ(users("p.bmp"), 1);
}

TEST_F(ImageTest, TheCacheIsSharedByNameAndReleasedByTheSameKey) {
    files["Pic.bmp"] = BmpOf(filled(4, 4, Qt::red));
    parse("<IMG SRC=\"Pic.bmp\"><IMG SRC=\" PIC.BMP \">");
    arrange(300);
    EXPECT_EQ(requests, (std::vector<std::string>{"Pic.bmp"}));
    EXPECT_EQ(users("pic.bmp"), 2);
    EXPECT_EQ(images()[0]->Image, images()[1]->Image);
    std::shared_ptr<const TPicture> held = images()[0]->Image;
    doc->Clear();
    EXPECT_EQ(users("pic.bmp"), 0);
    // Unused, it ages out after the limit; a picture still held lives on.
    for (int load = 0; load <= ImageCache().AgeLimit; ++load) ImageCache().AgeEntries();
    EXPECT_EQ(users("pic.bmp"), -1);
    EXPECT_EQ(held->Width(), 4);
    // The background's entry is released on clear too.
    parse("<BODY BACKGROUND=Pic.bmp>x");
    doc->FetchBackImage();
    EXPECT_EQ(users("pic.bmp"), 1);
    doc->Clear();
    EXPECT_EQ(users("pic.bmp"), 0);
}

TEST_F(ImageTest, TranspMakesTheLowerLeftColourShowThePage) {
    QImage pic = filled(8, 8, Qt::green);
    for (int x = 0; x < 4; ++x) pic.setPixelColor(x, 7, Qt::red);
    files["t.bmp"] = BmpOf(pic);
    parse("<IMG SRC=t.bmp TRANSP ALIGN=top><IMG SRC=t.bmp ALIGN=top>");
    arrange(300);
    auto img = images();
    EXPECT_FALSE(img[0]->Mask.isNull());
    EXPECT_FALSE(img[1]->Mask.isNull());  // the entry's mask, built once
    EXPECT_EQ(img[1]->Transparent, 0);    // but the second asked for none
    QImage out = paint(100, 20);
    EXPECT_EQ(QColor(out.pixel(img[0]->DrawX, img[0]->DrawY + 7)), QColor(Qt::white));  // the page shows
    EXPECT_EQ(QColor(out.pixel(img[0]->DrawX + 5, img[0]->DrawY + 7)), QColor(Qt::green));
    EXPECT_EQ(QColor(out.pixel(img[1]->DrawX, img[1]->DrawY + 7)), QColor(Qt::red));
}

TEST_F(ImageTest, ImageMapHotSpotsReachTheRectanglesEdge) {
    files["map.bmp"] = BmpOf(filled(40, 20, Qt::gray));
    parse("<MAP NAME=nav><AREA COORDS=\"0,0,9,9\" HREF=a.htm><AREA SHAPE=rect COORDS=10,0,19,9 NOHREF></MAP>"
          "<IMG SRC=map.bmp USEMAP=\"#nav\" ALIGN=top>");
    arrange(300);
    paint(300, 40);
    TImageObj* img = images()[0];
    EXPECT_EQ(img->MapName, "NAV");
    auto linkAt = [&](int ix, int iy) {
        TFormControlObj* fi = nullptr;
        std::unique_ptr<TUrlTarget> target;
        const bool hit = doc->LinkAtPoint(*canvas, img->DrawX + ix, img->DrawY + iy, fi, target);
        return hit && target ? target->LinkUrl : std::string();
    };
    EXPECT_EQ(linkAt(0, 0), "a.htm");
    EXPECT_EQ(linkAt(9, 9), "a.htm");  // right and bottom belong to the area
    EXPECT_EQ(linkAt(10, 9), "");      // the NOHREF area
    EXPECT_EQ(linkAt(5, 10), "");
    EXPECT_EQ(linkAt(39, 19), "");
}

TEST_F(ImageTest, APictureDeliveredLaterIsFetchedAndLaidOut) {
    notReady = true;
    parse("<IMG SRC=late.bmp><IMG SRC=LATE.BMP ALT=waiting><IMG SRC=never.bmp>");
    arrange(300);
    auto img = images();
    EXPECT_EQ(img[0]->Image, PendingImage());
    EXPECT_EQ(requests.size(), 2u);  // the second waits with the first
    EXPECT_EQ(doc->PendingImages.Count(), 3);
    notReady = false;
    EXPECT_TRUE(doc->InsertImage("late.bmp", BmpOf(filled(30, 10, Qt::red))));
    EXPECT_FALSE(doc->InsertImage("late.bmp", "again"));  // nothing waits any more
    arrange(300);
    EXPECT_EQ(sizeOf(img[0]), QSize(30, 10));
    EXPECT_EQ(sizeOf(img[1]), QSize(30, 10));
    EXPECT_EQ(users("late.bmp"), 2);
    // Bytes that are no picture: the broken image.
    EXPECT_TRUE(doc->InsertImage("never.bmp", "not a picture"));
    arrange(300);
    EXPECT_EQ(img[2]->Image, BrokenImage());
    EXPECT_EQ(doc->PendingImages.Count(), 0);
}

TEST_F(ImageTest, AZeroSizedPlaceholderDividesByNothing) {
    // A picture of no height: the natural size stands in.
    parse("<IMG SRC=nothing.bmp HEIGHT=5><IMG SRC=nothing.bmp WIDTH=5>");
    arrange(300);
    for (TImageObj* i : images()) {
        EXPECT_GE(i->ImageWidth, 0);
        EXPECT_GE(i->ImageHeight, 0);
    }
}

TEST_F(ImageTest, ABackgroundDeliveredLater) {
    notReady = true;
    parse("<BODY BACKGROUND=back.bmp>text");
    EXPECT_EQ(doc->FetchBackImage(), nullptr);
    EXPECT_EQ(doc->PendingImages.Count(), 1);
    EXPECT_EQ(requests.size(), 1u);
    // Bytes that are no picture: the page keeps its colour and asks no more.
    EXPECT_TRUE(doc->InsertImage("back.bmp", "no picture"));
    EXPECT_EQ(doc->FetchBackImage(), nullptr);
    EXPECT_EQ(requests.size(), 1u);
    doc->Clear();
    parse("<BODY BACKGROUND=back.bmp>text");
    doc->FetchBackImage();
    EXPECT_TRUE(doc->InsertImage("BACK.BMP ", BmpOf(filled(8, 8, Qt::yellow))));
    ASSERT_NE(doc->BackBitmap, nullptr);
    EXPECT_EQ(doc->BackBitmap->Width(), 8);
    EXPECT_EQ(users("back.bmp"), 1);
}
