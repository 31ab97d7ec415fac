#include "htmlview/images/ImageCache.h"

#include <gtest/gtest.h>

using namespace htmlview;

namespace {
std::unique_ptr<TBitmapItem> item(int w = 4) {
    auto e = std::make_unique<TBitmapItem>();
    auto p = std::make_shared<TPicture>();
    p->Bitmap = QImage(w, 2, QImage::Format_RGB32);
    e->Picture = p;
    return e;
}
}  // namespace

TEST(ImageCache, KeysAreUpperCasedAndTrimmed) {
    EXPECT_EQ(ImageCacheKey("  pics/Logo.gif\t"), "PICS/LOGO.GIF");
    TStringBitmapList c;
    c.AddObject("B", item());
    c.AddObject("A", item());
    c.AddObject("C", item());
    EXPECT_EQ(c.Name(0), "A");  // sorted
    EXPECT_EQ(c.IndexOf("C"), 2);
    EXPECT_EQ(c.IndexOf("c"), -1);  // callers pass keys
    EXPECT_EQ(c.Item(c.IndexOf("B")).Users, 1);
    // A second picture under a name in use: the holders of the first still count.
    c.AddObject("B", item(9));
    EXPECT_EQ(c.Count(), 3);
    EXPECT_EQ(c.Item(c.IndexOf("B")).Users, 2);
    EXPECT_EQ(c.TakeImage(c.IndexOf("B"))->Width(), 9);
}

TEST(ImageCache, AnUnusedEntryOutlivesTheAgeLimitByOneLoad) {
    TStringBitmapList c;
    EXPECT_EQ(c.AgeLimit, 4);
    c.AddObject("A", item());
    c.ReleaseImage("A");
    for (int load = 1; load <= 4; ++load) {
        c.AgeEntries();
        ASSERT_EQ(c.Count(), 1) << load;
    }
    c.AgeEntries();  // the fifth load
    EXPECT_EQ(c.Count(), 0);
}

TEST(ImageCache, TakingAnImageMakesItYoungAndUsed) {
    TStringBitmapList c;
    c.AddObject("A", item());
    c.ReleaseImage("A");
    for (int i = 0; i < 3; ++i) c.AgeEntries();
    EXPECT_EQ(c.Item(0).Age, 3);
    auto pic = c.TakeImage(0);
    EXPECT_EQ(c.Item(0).Age, 0);
    EXPECT_EQ(c.Item(0).Users, 1);
    EXPECT_EQ(pic->Width(), 4);
    // In use, it never ages out.
    for (int i = 0; i < 10; ++i) c.AgeEntries();
    EXPECT_EQ(c.Count(), 1);
    c.ReleaseImage("A");
    c.ReleaseImage("NOT THERE");
    c.AgeEntries();
    EXPECT_EQ(c.Count(), 0);  // long past the limit once unused
}

TEST(ImageCache, LoweringTheLimitAndPurging) {
    TStringBitmapList c;
    c.AddObject("OLD", item());
    c.ReleaseImage("OLD");
    c.AgeEntries();
    c.AddObject("NEW", item());
    c.ReleaseImage("NEW");
    c.AddObject("USED", item());
    c.AgeEntries();
    c.AgeEntries();
    c.SetAgeLimit(1);  // OLD is 3, NEW 2: both go; USED stays
    EXPECT_EQ(c.Count(), 1);
    EXPECT_EQ(c.AgeLimit, 1);
    c.AddObject("FRESH", item());
    c.ReleaseImage("FRESH");
    c.SetAgeLimit(0);  // only what has been aged at least once
    EXPECT_EQ(c.IndexOf("FRESH"), 0);
    c.PurgeUnused();
    EXPECT_EQ(c.Count(), 1);
    EXPECT_EQ(c.Name(0), "USED");
}

TEST(ImageCache, APictureInUseOutlivesItsEntry) {
    TStringBitmapList c;
    c.AddObject("A", item(7));
    std::shared_ptr<const TPicture> held = c.TakeImage(0);
    c.Clear();
    EXPECT_EQ(c.Count(), 0);
    EXPECT_EQ(held->Width(), 7);
    EXPECT_EQ(held->Bitmap.width(), 7);
}
