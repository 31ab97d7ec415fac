// Hand-made GIFs for what no other reader defines the same way: the LZW
// decoder's bad input, the graphic control scope, composition and disposal,
// animation timing with a fake clock, copies and drawing.
#include "htmlview/gif/GifImage.h"
#include "htmlview/gif/GifReader.h"

#include <QImage>
#include <QPainter>
#include <gtest/gtest.h>

#include <new>
#include <string>
#include <vector>

namespace {

using htmlview::TGIFImage;
using htmlview::gif::GifFile;

// LSB-first code packing into sub-blocks.
class CodeWriter {
public:
    void Put(int code, int width) {
        acc_ |= static_cast<std::uint32_t>(code) << bits_;
        bits_ += width;
        while (bits_ >= 8) {
            bytes_.push_back(static_cast<char>(acc_ & 0xFF));
            acc_ >>= 8;
            bits_ -= 8;
        }
    }
    std::string Blocks() {
        if (bits_ > 0) bytes_.push_back(static_cast<char>(acc_ & 0xFF));
        bits_ = 0;
        std::string out;
        for (std::size_t i = 0; i < bytes_.size(); i += 255) {
            std::size_t n = std::min<std::size_t>(255, bytes_.size() - i);
            out += static_cast<char>(n);
            out += bytes_.substr(i, n);
        }
        out += '\0';
        return out;
    }

private:
    std::string bytes_;
    std::uint32_t acc_ = 0;
    int bits_ = 0;
};

// A GIF with a 4-colour global table: 0 black, 1 red, 2 green, 3 blue.
class GifBuilder {
public:
    GifBuilder(int w, int h) {
        b_ = "GIF89a";
        Le16(w);
        Le16(h);
        b_ += '\x81';  // global table, 2 bits
        b_ += '\0';
        b_ += '\0';
        const unsigned char table[12] = {0, 0, 0, 255, 0, 0, 0, 255, 0, 0, 0, 255};
        b_.append(reinterpret_cast<const char*>(table), 12);
    }
    GifBuilder& Loop(int n) {
        b_ += "\x21\xFF\x0BNETSCAPE2.0\x03\x01";
        Le16(n);
        b_ += '\0';
        return *this;
    }
    GifBuilder& Control(int disposal, int delayCs, int transparent = -1) {
        b_ += "\x21\xF9\x04";
        b_ += static_cast<char>((disposal << 2) | (transparent >= 0 ? 1 : 0));
        Le16(delayCs);
        b_ += static_cast<char>(transparent >= 0 ? transparent : 0);
        b_ += '\0';
        return *this;
    }
    // Pixels as literals only: clear, literal, clear, literal ... end.
    GifBuilder& Image(int left, int top, int w, int h, const std::vector<int>& pixels) {
        Descriptor(left, top, w, h);
        b_ += '\x02';
        CodeWriter c;
        for (int p : pixels) {
            c.Put(4, 3);
            c.Put(p, 3);
        }
        c.Put(5, 3);
        b_ += c.Blocks();
        return *this;
    }
    // An image whose data is the given codes at the given width.
    GifBuilder& Codes(int w, int h, int codeSize, const std::vector<int>& codes, int width) {
        Descriptor(0, 0, w, h);
        b_ += static_cast<char>(codeSize);
        CodeWriter c;
        for (int code : codes) c.Put(code, width);
        b_ += c.Blocks();
        return *this;
    }
    GifBuilder& Raw(const std::string& bytes) {
        b_ += bytes;
        return *this;
    }
    std::string Done() { return b_ + ";"; }

private:
    void Le16(int v) {
        b_ += static_cast<char>(v & 0xFF);
        b_ += static_cast<char>((v >> 8) & 0xFF);
    }
    void Descriptor(int left, int top, int w, int h) {
        b_ += ',';
        Le16(left);
        Le16(top);
        Le16(w);
        Le16(h);
        b_ += '\0';
    }
    std::string b_;
};

GifFile Read(const std::string& bytes) {
    GifFile f;
    htmlview::gif::ReadGif(reinterpret_cast<const std::uint8_t*>(bytes.data()), bytes.size(), false, f);
    return f;
}

bool Load(TGIFImage& gif, const std::string& bytes) {
    return gif.LoadStream(reinterpret_cast<const std::uint8_t*>(bytes.data()), bytes.size());
}

std::vector<int> Pixels(const htmlview::gif::GifFrame& f) { return {f.Pixels.begin(), f.Pixels.end()}; }

TEST(GifReader, GraphicControlAppliesToTheNextImageOnly) {
    GifFile f = Read(GifBuilder(2, 1)
                         .Control(2, 5, 1)
                         .Image(0, 0, 2, 1, {1, 2})
                         .Image(0, 0, 2, 1, {3, 1})
                         .Done());
    ASSERT_EQ(f.Frames.size(), 2u);
    EXPECT_TRUE(f.Frames[0].Transparent);
    EXPECT_EQ(f.Frames[0].Disposal, 2);
    EXPECT_EQ(f.Frames[0].DelayMs, 50);
    EXPECT_EQ(f.Frames[0].TransparentMask, (std::vector<std::uint8_t>{1, 0}));
    EXPECT_FALSE(f.Frames[1].Transparent);
    EXPECT_EQ(f.Frames[1].Disposal, 0);
    EXPECT_EQ(f.Frames[1].DelayMs, 0);
    EXPECT_EQ(Pixels(f.Frames[1]), (std::vector<int>{3, 1}));
    EXPECT_TRUE(f.HasTransparency);
}

TEST(GifReader, DisposalValuesAboveThreeCountAsBackground) {
    GifFile f = Read(GifBuilder(1, 1).Control(5, 0).Image(0, 0, 1, 1, {1}).Done());
    ASSERT_EQ(f.Frames.size(), 1u);
    EXPECT_EQ(f.Frames[0].Disposal, 2);
}

TEST(GifReader, UndefinedCodesRepeatThePreviousString) {
    // Code size 2: clear 4, end 5, first free 6. After literal 1, code 6 is
    // the next free one (previous string + its first character), and code 7
    // lies beyond it: both give the previous string and its first character.
    GifFile f = Read(GifBuilder(3, 1).Codes(3, 1, 2, {4, 1, 6, 5}, 3).Done());
    ASSERT_EQ(f.Frames.size(), 1u);
    EXPECT_EQ(Pixels(f.Frames[0]), (std::vector<int>{1, 1, 1}));
    f = Read(GifBuilder(5, 1).Codes(5, 1, 2, {4, 2, 7, 7, 5}, 3).Done());
    EXPECT_EQ(Pixels(f.Frames[0]), (std::vector<int>{2, 2, 2, 2, 2}));
}

TEST(GifReader, PixelsPastTheLastRowAreDropped) {
    // Six literals for a 2x2 frame, then a frame that must still be read.
    GifFile f = Read(GifBuilder(2, 2).Image(0, 0, 2, 2, {1, 2, 3, 1, 2, 3}).Image(0, 0, 1, 1, {2}).Done());
    ASSERT_EQ(f.Frames.size(), 2u);
    EXPECT_EQ(Pixels(f.Frames[0]), (std::vector<int>{1, 2, 3, 1}));
    EXPECT_EQ(Pixels(f.Frames[1]), (std::vector<int>{2}));
}

TEST(GifReader, BadDataEndsTheFrameNotTheFile) {
    // Code size 12 (above 11), then a frame whose first code after a clear
    // is the end code's neighbour (not a literal), then a good frame.
    std::string bytes = GifBuilder(2, 1)
                            .Codes(2, 1, 12, {1, 2, 3}, 8)
                            .Codes(2, 1, 2, {4, 6, 1, 5}, 3)
                            .Image(0, 0, 2, 1, {2, 3})
                            .Done();
    GifFile f = Read(bytes);
    ASSERT_EQ(f.Frames.size(), 3u);
    EXPECT_EQ(Pixels(f.Frames[0]), (std::vector<int>{0, 0}));
    EXPECT_EQ(Pixels(f.Frames[1]), (std::vector<int>{0, 0}));
    EXPECT_EQ(Pixels(f.Frames[2]), (std::vector<int>{2, 3}));
    EXPECT_EQ(f.Problem, "");
}

TEST(GifReader, EveryCutOfAFileIsSafe) {
    std::string bytes = GifBuilder(3, 2)
                            .Loop(2)
                            .Control(3, 4, 0)
                            .Image(0, 0, 3, 2, {0, 1, 2, 3, 0, 1})
                            .Raw(std::string("\x21\xFE\x03"
                                             "abc\0",
                                             7))
                            .Image(1, 1, 2, 1, {3, 3})
                            .Done();
    GifFile whole = Read(bytes);
    ASSERT_EQ(whole.Frames.size(), 2u);
    EXPECT_EQ(whole.Problem, "");
    EXPECT_EQ(whole.Frames[1].Comment, "abc");
    // Where frame 1's data ends, at its block terminator.
    const std::size_t firstEnd =
        GifBuilder(3, 2).Loop(2).Control(3, 4, 0).Image(0, 0, 3, 2, {0, 1, 2, 3, 0, 1}).Done().size() - 1;
    ASSERT_EQ(bytes[firstEnd - 1], '\0');
    for (std::size_t n = 0; n < bytes.size(); ++n) {
        GifFile part, scanned;
        const auto* data = reinterpret_cast<const std::uint8_t*>(bytes.data());
        bool ok = htmlview::gif::ReadGif(data, n, false, part);
        EXPECT_EQ(ok, n >= 13) << n;
        EXPECT_FALSE(part.Problem.empty()) << n;
        EXPECT_LE(part.Frames.size(), 2u);
        // A scan finds the same frames and also names the cut; data ending
        // right at a frame's terminator counts as that frame cut.
        EXPECT_EQ(htmlview::gif::ReadGif(data, n, true, scanned), ok) << n;
        EXPECT_EQ(scanned.Frames.size(), part.Frames.size()) << n;
        EXPECT_FALSE(scanned.Problem.empty()) << n;
        if (n == firstEnd) EXPECT_EQ(scanned.Problem, "image data of frame 1 cut off");
        TGIFImage gif;
        gif.LoadStream(data, n);
    }
}

TEST(GifReader, HugeFramesAreRefused) {
    const int over = htmlview::gif::kMaxSide + 1;
    GifFile f = Read(GifBuilder(1, 1).Image(0, 0, 1, 1, {1}).Codes(over, 1, 2, {4, 1, 5}, 3).Done());
    EXPECT_EQ(f.Frames.size(), 1u);
    EXPECT_NE(f.Problem.find("larger than"), std::string::npos);
    EXPECT_EQ(f.Width, 1);
    GifFile tall = Read(GifBuilder(1, 1).Image(0, 0, 1, 1, {1}).Codes(1, over, 2, {4, 1, 5}, 3).Done());
    EXPECT_EQ(tall.Frames.size(), 1u);
    EXPECT_NE(tall.Problem.find("larger than"), std::string::npos);
    EXPECT_EQ(tall.Height, 1);
}

TEST(GifImage, ScanCountsFramesWithoutDecoding) {
    std::string bytes = GifBuilder(2, 2).Image(0, 0, 2, 2, {1, 1, 1, 1}).Image(0, 0, 1, 1, {2}).Done();
    TGIFImage gif;
    ASSERT_TRUE(gif.ScanStream(reinterpret_cast<const std::uint8_t*>(bytes.data()), bytes.size()));
    EXPECT_TRUE(gif.ScanOnly);
    EXPECT_EQ(gif.FrameCount, 2);
    EXPECT_TRUE(gif.Animated);
    EXPECT_TRUE(gif.GetBitmap().isNull());
    EXPECT_TRUE(gif.Composite().isNull());

    bool notAnimated = false;
    auto full = htmlview::CreateGifFromStream(reinterpret_cast<const std::uint8_t*>(bytes.data()), bytes.size(),
                                              notAnimated, 1000);
    ASSERT_TRUE(full);
    EXPECT_FALSE(notAnimated);
    EXPECT_FALSE(full->Shown);
    EXPECT_FALSE(full->Animating);
    EXPECT_EQ(full->GetBitmap().pixel(0, 0), qRgb(255, 0, 0));
    std::string notGif = "GIX89a";
    EXPECT_FALSE(htmlview::CreateGifFromStream(reinterpret_cast<const std::uint8_t*>(notGif.data()), notGif.size(),
                                               notAnimated, 1000));
    // The scan's pixel count (two frames and the screen) decides before anything is decoded.
    EXPECT_EQ(gif.PixelCount(), 4 + 1 + 4);
    EXPECT_TRUE(htmlview::CreateGifFromStream(reinterpret_cast<const std::uint8_t*>(bytes.data()), bytes.size(),
                                              notAnimated, 9));
    EXPECT_FALSE(htmlview::CreateGifFromStream(reinterpret_cast<const std::uint8_t*>(bytes.data()), bytes.size(),
                                               notAnimated, 8));
}


// Frame 1 red over the 2x2 screen; frame 2 a transparent green pixel at
// (1,1) restored to background after it; frame 3 a blue pixel at (0,0) that
// restores what was under it.
// Frame 4 a green pixel at (1,1).
std::string DisposalGif() {
    return GifBuilder(2, 2)
        .Control(1, 10)
        .Image(0, 0, 2, 2, {1, 1, 1, 0})
        .Control(2, 10, 0)
        .Image(1, 0, 1, 2, {0, 2})
        .Control(3, 10)
        .Image(0, 0, 1, 1, {3})
        .Control(1, 10)
        .Image(1, 1, 1, 1, {2})
        .Done();
}

TEST(GifImage, DisposalMethodsOnTheComposite) {
    TGIFImage gif;
    ASSERT_TRUE(Load(gif, DisposalGif()));
    const QImage& c = gif.Composite();
    EXPECT_EQ(c.pixel(1, 1), qRgb(0, 0, 0));
    gif.SetFrameIndex(2);
    EXPECT_EQ(c.pixel(1, 0), qRgb(255, 0, 0));  // transparent pixel keeps frame 1
    EXPECT_EQ(c.pixel(1, 1), qRgb(0, 255, 0));
    gif.SetFrameIndex(3);  // frame 2 goes back to background: black, and see-through
    EXPECT_EQ(c.pixel(1, 0), qRgb(0, 0, 0));
    EXPECT_EQ(qAlpha(gif.CompositeWithAlpha().pixel(1, 0)), 0);
    EXPECT_EQ(c.pixel(0, 0), qRgb(0, 0, 255));
    gif.SetFrameIndex(4);  // frame 3's area comes back: red, not the background
    EXPECT_EQ(c.pixel(0, 0), qRgb(255, 0, 0));
    EXPECT_EQ(c.pixel(1, 1), qRgb(0, 255, 0));
    gif.SetFrameIndex(0);  // below 1 means the last frame: unchanged
    EXPECT_EQ(gif.FrameIndex, 4);
    gif.SetFrameIndex(5);  // above the count wraps to 1
    EXPECT_EQ(gif.FrameIndex, 1);
    EXPECT_EQ(c.pixel(0, 0), qRgb(255, 0, 0));
}

TEST(GifImage, ABitmapThatCannotBeHadGivesNoPicture) {
    const std::string bytes = DisposalGif();
    for (int failing = 1; failing <= 5; ++failing) {  // each frame, then the composition surface
        for (bool throws : {false, true}) {
            TGIFImage gif;
            int made = 0;
            gif.NewBitmap = [&](int w, int h) {
                if (++made < failing) return QImage(w, h, QImage::Format_RGB32);
                if (throws) throw std::bad_alloc();
                return QImage();
            };
            EXPECT_FALSE(Load(gif, bytes)) << failing;
            EXPECT_TRUE(gif.NoImage);
            EXPECT_EQ(gif.FrameCount, 0);
            EXPECT_TRUE(gif.Composite().isNull());
            gif.SetAnimating(true);
            gif.CheckAnimation(nullptr);  // the timer finds nothing to step
            QImage target(4, 4, QImage::Format_RGB32);
            target.fill(Qt::white);
            QPainter painter(&target);
            gif.Draw(&painter, 0, 0, 4, 4);
            painter.end();
            EXPECT_EQ(target.pixel(0, 0), qRgb(255, 255, 255));
        }
    }
}

TEST(GifImage, EmptyFramesComposeToNothing) {
    // A frame with no columns (found by fuzzing: it reached a copy from a
    // null bitmap), and one wholly outside a wider screen's picture.
    TGIFImage gif;
    ASSERT_TRUE(Load(gif, GifBuilder(2, 2).Image(0, 0, 2, 2, {1, 1, 1, 1}).Codes(0, 5, 2, {4, 5}, 3).Done()));
    gif.SetFrameIndex(2);
    gif.SetFrameIndex(1);
    EXPECT_EQ(gif.Composite().pixel(1, 1), qRgb(255, 0, 0));
}

class FakeClock {
public:
    std::uint32_t now = 1000;
    TGIFImage::Clock Fn() {
        return [this] { return now; };
    }
};

// Three frames of 100, 0 and 200 ms, played twice.
std::string TimedGif() {
    return GifBuilder(1, 1)
        .Loop(2)
        .Control(1, 10)
        .Image(0, 0, 1, 1, {1})
        .Control(1, 0)
        .Image(0, 0, 1, 1, {2})
        .Control(1, 20)
        .Image(0, 0, 1, 1, {3})
        .Done();
}

TEST(GifImage, AnimationStepsByDelayAndStopsAfterItsLoops) {
    TGIFImage gif;
    FakeClock clock;
    gif.SetClock(clock.Fn());
    ASSERT_TRUE(Load(gif, TimedGif()));
    EXPECT_EQ(gif.LoopCount, 2);
    gif.SetAnimating(true);
    EXPECT_EQ(gif.CurrentDelay, 100u);
    std::vector<int> shown;
    for (int t = 0; t < 3000 && gif.Animating; ++t) {
        clock.now += 1;
        int before = gif.FrameIndex;
        gif.CheckAnimation(nullptr);
        if (gif.FrameIndex != before) shown.push_back(gif.FrameIndex);
    }
    // The first due tick only ends the first frame's extra wait.
    EXPECT_EQ(shown, (std::vector<int>{2, 3, 1, 2, 3}));
    EXPECT_FALSE(gif.Animating);
    EXPECT_EQ(gif.FrameIndex, 3);
    EXPECT_EQ(gif.Iteration, 1);  // reset when the animation stops
}

TEST(GifImage, EveryLoopStartsAsTheFirstShowing) {
    // Frame 1 leaves its right pixel transparent; frame 2 covers both.
    const std::string bytes = GifBuilder(2, 1)
                                  .Loop(0)
                                  .Control(1, 10, 0)
                                  .Image(0, 0, 2, 1, {1, 0})
                                  .Control(1, 10)
                                  .Image(0, 0, 2, 1, {2, 3})
                                  .Done();
    TGIFImage gif;
    FakeClock clock;
    gif.SetClock(clock.Fn());
    ASSERT_TRUE(Load(gif, bytes));
    const QImage first = gif.CompositeWithAlpha();
    EXPECT_EQ(qAlpha(first.pixel(1, 0)), 0);
    gif.SetAnimating(true);
    bool wrapped = false;
    for (int t = 0; t < 100 && !wrapped; ++t) {
        clock.now += 100;
        const int before = gif.FrameIndex;
        gif.CheckAnimation(nullptr);
        wrapped = before == 2 && gif.FrameIndex == 1;
    }
    ASSERT_TRUE(wrapped);
    EXPECT_EQ(gif.CompositeWithAlpha(), first);
}

TEST(GifImage, SpeedScalesDelaysAndZeroDelayStepsEveryTick) {
    TGIFImage gif;
    FakeClock clock;
    gif.SetClock(clock.Fn());
    ASSERT_TRUE(Load(gif, TimedGif()));
    gif.SetSpeedPercent(200);
    gif.SetAnimating(true);
    EXPECT_EQ(gif.CurrentDelay, 50u);
    gif.SetAnimating(false);
    gif.SetSpeedPercent(50);
    gif.SetAnimating(true);
    EXPECT_EQ(gif.CurrentDelay, 200u);
    gif.SetSpeedPercent(0);  // kept at 1 %, never a division by zero
    EXPECT_EQ(gif.SpeedPercent(), 1);

    gif.SetSpeedPercent(100);
    gif.SetFrameIndex(2);
    gif.SetAnimating(false);
    gif.SetAnimating(true);
    EXPECT_EQ(gif.CurrentDelay, 1u);  // frame 2 has no delay
    gif.FirstStepPending = false;
    clock.now += 1;
    gif.CheckAnimation(nullptr);
    EXPECT_EQ(gif.FrameIndex, 3);
    EXPECT_EQ(gif.CurrentDelay, 200u);
}

TEST(GifImage, CopiesAnimateOnTheirOwn) {
    TGIFImage gif;
    FakeClock clock;
    gif.SetClock(clock.Fn());
    ASSERT_TRUE(Load(gif, DisposalGif()));
    gif.SetFrameIndex(2);
    auto copy = gif.Copy();
    auto* c = dynamic_cast<TGIFImage*>(copy.get());
    ASSERT_NE(c, nullptr);
    EXPECT_TRUE(c->IsCopy);
    EXPECT_EQ(c->FrameIndex, 1);
    EXPECT_FALSE(c->FirstStepPending);
    EXPECT_EQ(c->Composite().pixel(1, 1), qRgb(0, 0, 0));  // its own surface, frame 1 composed
    c->SetFrameIndex(3);
    EXPECT_EQ(gif.FrameIndex, 2);
    EXPECT_EQ(gif.Composite().pixel(1, 1), qRgb(0, 255, 0));
    EXPECT_EQ(c->Composite().pixel(0, 0), qRgb(0, 0, 255));
}

TEST(GifImage, DrawsStretchedAndSeeThroughWhereTransparent) {
    // One frame, transparent index 0 at the right column.
    std::string bytes = GifBuilder(2, 1).Control(0, 0, 0).Image(0, 0, 2, 1, {3, 0}).Done();
    TGIFImage gif;
    ASSERT_TRUE(Load(gif, bytes));
    QImage page(8, 4, QImage::Format_RGB32);
    page.fill(qRgb(255, 255, 0));
    QPainter p(&page);
    gif.Draw(&p, 2, 1, 4, 2);
    p.end();
    EXPECT_EQ(page.pixel(2, 1), qRgb(0, 0, 255));
    EXPECT_EQ(page.pixel(3, 2), qRgb(0, 0, 255));
    EXPECT_EQ(page.pixel(4, 1), qRgb(255, 255, 0));  // the page shows through
    EXPECT_EQ(page.pixel(1, 1), qRgb(255, 255, 0));  // nothing outside the rectangle
    EXPECT_EQ(gif.DrawX, 2);
    EXPECT_EQ(gif.DrawWidth, 4);

    gif.SetShown(false);
    QImage blank(8, 4, QImage::Format_RGB32);
    blank.fill(qRgb(9, 9, 9));
    QPainter q(&blank);
    gif.Draw(&q, 0, 0, 8, 4);
    q.end();
    EXPECT_EQ(blank.pixel(0, 0), qRgb(9, 9, 9));
}

}  // namespace
