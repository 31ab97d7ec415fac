// The gradient backdrop's bands per direction, the rotated label's
// geometry and shading, its style's rules, and the main-instance mark.
#include <gtest/gtest.h>

#include <QImage>
#include <QPainter>
#include <QTransform>

#include "setupwizard/backdrop/Backdrop.h"
#include "setupwizard/backdrop/MainInstance.h"
#include "setupwizard/backdrop/Rotate3DLabel.h"

using namespace setupwizard;

namespace {

QImage Gradient(TDirection direction, QSize size, QColor start = Qt::red, QColor end = Qt::blue) {
    QImage image(size, QImage::Format_RGB32);
    image.fill(Qt::green);  // no gradient colour: shows any pixel left unpainted
    QPainter painter(&image);
    TBackdrop::PaintGradient(painter, image.rect(), direction, start, end);
    return image;
}

QRgb Px(const QImage& image, int x, int y) { return image.pixel(x, y) & 0xFFFFFF; }
constexpr QRgb kRed = 0xFF0000, kBlue = 0x0000FF;

}  // namespace

TEST(Backdrop, EachDirectionPutsItsColoursAtItsEdges) {
    struct Case {
        TDirection direction;
        QRgb top, bottom, left, right, middle;
    };
    // Middle: at the centre pixel, the mirrored directions meet at the second colour.
    const Case cases[] = {
        {bdUp, kRed, kBlue, 0, 0, 0},
        {bdDown, kBlue, kRed, 0, 0, 0},
        {bdLeft, 0, 0, kRed, kBlue, 0},
        {bdRight, 0, 0, kBlue, kRed, 0},
        {bdHorzIn, kBlue, kBlue, 0, 0, kRed},
        {bdHorzOut, kRed, kRed, 0, 0, kBlue},
        {bdVertIn, 0, 0, kRed, kRed, kBlue},
        {bdVertOut, 0, 0, kBlue, kBlue, kRed},
    };
    for (const Case& c : cases) {
        SCOPED_TRACE(static_cast<int>(c.direction));
        const QImage image = Gradient(c.direction, QSize(512, 512));
        if (c.top) {
            EXPECT_EQ(Px(image, 0, 0), c.top);
            EXPECT_EQ(Px(image, 511, 0), c.top);  // the band spans the whole width
            EXPECT_EQ(Px(image, 300, 511), c.bottom);
        } else {
            EXPECT_EQ(Px(image, 0, 0), c.left);
            EXPECT_EQ(Px(image, 0, 511), c.left);  // the band spans the whole height
            EXPECT_EQ(Px(image, 511, 300), c.right);
        }
        if (c.middle) {
            EXPECT_EQ(Px(image, 255, 255), c.middle);
        }
    }
}

TEST(Backdrop, BandsStepEvenlyFromTheFirstColourToTheSecond) {
    const QImage image = Gradient(bdUp, QSize(4, 512), QColor(0, 0, 0), QColor(255, 255, 255));
    // 256 bands of 2 rows: band i has grey level i.
    for (int i = 0; i < 256; ++i) {
        ASSERT_EQ(qRed(image.pixel(0, 2 * i)), i) << i;
        ASSERT_EQ(qRed(image.pixel(0, 2 * i + 1)), i) << i;
    }
    // Mirrored: 128 steps from each edge.
    const QImage mirrored = Gradient(bdHorzOut, QSize(4, 512), QColor(0, 0, 0), QColor(254, 254, 254));
    EXPECT_EQ(qRed(mirrored.pixel(0, 0)), 0);
    EXPECT_EQ(qRed(mirrored.pixel(0, 511)), 0);
    EXPECT_EQ(qRed(mirrored.pixel(0, 2)), 2);
    EXPECT_EQ(qRed(mirrored.pixel(0, 509)), 2);
    EXPECT_EQ(qRed(mirrored.pixel(0, 255)), 254);
    EXPECT_EQ(qRed(mirrored.pixel(0, 256)), 254);
}

TEST(Backdrop, FewerPixelsThanBandsStillCoverEveryPixel) {
    for (TDirection d : {bdUp, bdLeft, bdHorzIn, bdVertOut}) {
        const QImage image = Gradient(d, QSize(100, 100));
        for (int y = 0; y < 100; ++y)
            for (int x = 0; x < 100; ++x) ASSERT_NE(Px(image, x, y), 0x00FF00u) << d << " " << x << "," << y;
    }
    // And an odd size: 3 rows, no row left out, no paint outside.
    QImage image(10, 7, QImage::Format_RGB32);
    image.fill(Qt::green);
    QPainter painter(&image);
    TBackdrop::PaintGradient(painter, QRect(0, 2, 10, 3), bdUp, Qt::red, Qt::blue);
    painter.end();
    for (int y = 0; y < 7; ++y) EXPECT_EQ(Px(image, 5, y) == 0x00FF00u, y < 2 || y > 4) << y;
}

TEST(Backdrop, WidgetFillsItsParentAndRepaintsInItsColours) {
    QWidget parent;
    parent.resize(300, 200);
    parent.show();
    TBackdrop backdrop(&parent);
    EXPECT_EQ(backdrop.geometry(), QRect(0, 0, 300, 200));
    parent.resize(640, 480);
    EXPECT_EQ(backdrop.geometry(), QRect(0, 0, 640, 480));
    EXPECT_EQ(backdrop.Direction(), bdUp);
    EXPECT_EQ(backdrop.StartColor(), QColor(Qt::blue));
    EXPECT_EQ(backdrop.EndColor(), QColor(Qt::black));
    backdrop.SetDirection(bdLeft);
    backdrop.SetStartColor(Qt::red);
    backdrop.SetEndColor(Qt::blue);
    const QImage shot = backdrop.grab().toImage();
    EXPECT_EQ(Px(shot, 0, 240), kRed);
    EXPECT_EQ(Px(shot, 639, 240), kBlue);
}

TEST(Backdrop, TagMinusOneMarksOneMainInstance) {
    auto first = std::make_unique<TBackdrop>();
    TBackdrop second;
    first->SetTag(-1);
    EXPECT_EQ(MainInstance<TBackdrop>::Current(), first.get());
    second.SetTag(-1);
    EXPECT_EQ(first->Tag(), 0);
    EXPECT_EQ(MainInstance<TBackdrop>::Current(), &second);
    second.SetTag(7);
    EXPECT_EQ(MainInstance<TBackdrop>::Current(), nullptr);
    first->SetTag(-1);
    first.reset();
    EXPECT_EQ(MainInstance<TBackdrop>::Current(), nullptr);  // no dangling mark

    TRotate3DLabel label;
    label.SetTag(-1);
    EXPECT_EQ(MainInstance<TRotate3DLabel>::Current(), &label);
    EXPECT_EQ(MainInstance<TBackdrop>::Current(), nullptr);  // one mark per class
    label.SetTag(0);
}

TEST(LabelStyle, AngleAndShadeRules) {
    TLabelStyle style;
    int changes = 0;
    style.OnChange = [&] { ++changes; };
    style.SetAngle(359);
    EXPECT_EQ(style.Angle(), 359);
    style.SetAngle(360);
    EXPECT_EQ(style.Angle(), 0);
    style.SetAngle(-1);
    EXPECT_EQ(style.Angle(), 0);
    EXPECT_EQ(changes, 3);

    // Defaults.
    EXPECT_EQ(style.AStyle3D(), A3dRaised);
    EXPECT_EQ(style.AShadeRightBottom(), QColor(128, 128, 128));
    EXPECT_EQ(style.AHShadeOffSet(), 5);
    EXPECT_EQ(style.AVShadeOffSet(), -5);

    style.SetAShadeLeftTop(Qt::yellow);
    changes = 0;
    style.SetAShadeLTSet(true);
    EXPECT_EQ(style.AShadeLeftTop(), QColor(Qt::white));
    EXPECT_EQ(changes, 1);  // raised, and the light shade was not white
    style.SetAShadeLeftTop(Qt::cyan);
    EXPECT_EQ(style.AShadeLeftTop(), QColor(Qt::white));
    style.SetAShadeLTSet(false);
    EXPECT_EQ(style.AShadeLeftTop(), QColor(Qt::yellow));
    EXPECT_EQ(changes, 2);  // the restored colour must be repainted too

    // Drop-shadow offsets repaint only when shadowed.
    changes = 0;
    style.SetAHShadeOffSet(3);
    EXPECT_EQ(changes, 0);
    style.SetAStyle3D(A3dShadowed);
    style.SetAVShadeOffSet(4);
    EXPECT_EQ(changes, 2);

    TLabelStyle copy;
    int copyChanges = 0;
    copy.OnChange = [&] { ++copyChanges; };
    copy.Assign(style);
    EXPECT_EQ(copy.AStyle3D(), A3dShadowed);
    EXPECT_EQ(copy.AHShadeOffSet(), 3);
    EXPECT_EQ(copy.AVShadeOffSet(), 4);
    EXPECT_EQ(copy.AShadeLeftTop(), QColor(Qt::yellow));
    EXPECT_EQ(copyChanges, 1);
}

namespace {

struct Ink {
    QRect box;  // of pixels in the colour
    int count = 0;
};

Ink InkOf(const QImage& image, QRgb colour) {
    Ink ink;
    for (int y = 0; y < image.height(); ++y)
        for (int x = 0; x < image.width(); ++x)
            if ((image.pixel(x, y) & 0xFFFFFF) == colour) {
                ink.box |= QRect(x, y, 1, 1);
                ++ink.count;
            }
    return ink;
}

// The label painted over a plain green parent.
QImage Paint(TRotate3DLabel& label) {
    QImage image(label.size(), QImage::Format_RGB32);
    image.fill(Qt::green);
    label.render(&image, QPoint(), QRegion(), QWidget::DrawChildren);
    return image;
}

std::unique_ptr<TRotate3DLabel> MakeLabel(int angle, T3DEffectShort effect) {
    auto label = std::make_unique<TRotate3DLabel>();
    label->resize(300, 300);
    label->SetCaption("Vorel Electronics");
    QFont f = label->font();
    f.setPixelSize(24);
    f.setStyleStrategy(QFont::NoAntialias);
    label->setFont(f);
    QPalette p = label->palette();
    p.setColor(QPalette::WindowText, Qt::black);
    label->setPalette(p);
    label->SetAlignment(Qt::AlignHCenter);
    label->LabelStyle().SetAngle(angle);
    label->LabelStyle().SetAStyle3D(effect);
    return label;
}

}  // namespace

TEST(Rotate3DLabel, CentredTextTurnsAboutTheCentre) {
    auto flat = MakeLabel(0, A3dNormal);
    const Ink level = InkOf(Paint(*flat), 0x000000);
    ASSERT_GT(level.count, 50);
    EXPECT_GT(level.box.width(), 3 * level.box.height());
    EXPECT_NEAR(level.box.center().x(), 150, 6);
    EXPECT_NEAR(level.box.center().y(), 150, 8);

    auto upright = MakeLabel(90, A3dNormal);
    const QImage image = Paint(*upright);
    const Ink turned = InkOf(image, 0x000000);
    EXPECT_GT(turned.box.height(), 3 * turned.box.width());  // runs up and down
    EXPECT_NEAR(turned.box.center().x(), 150, 8);
    EXPECT_NEAR(turned.box.center().y(), 150, 6);
    EXPECT_NEAR(turned.box.height(), level.box.width(), 3);
    EXPECT_NEAR(upright->LastCos(), 0.0, 1e-12);
    EXPECT_DOUBLE_EQ(upright->LastSin(), 1.0);
    // It reads upward: the level text turned a quarter anticlockwise covers
    // the same pixels, the text turned the other way does not.
    auto overlap = [&](const QImage& turnedLevel) {
        const QRect a = turned.box, b = InkOf(turnedLevel, 0).box;
        int same = 0, ink = 0;
        for (int y = 0; y < std::min(a.height(), b.height()); ++y)
            for (int x = 0; x < std::min(a.width(), b.width()); ++x) {
                const bool p = (image.pixel(a.left() + x, a.top() + y) & 0xFFFFFF) == 0;
                const bool q = (turnedLevel.pixel(b.left() + x, b.top() + y) & 0xFFFFFF) == 0;
                ink += p || q;
                same += p && q;
            }
        return double(same) / ink;
    };
    const QImage levelImage = Paint(*flat);
    const double anticlockwise = overlap(levelImage.transformed(QTransform().rotate(-90)));
    const double clockwise = overlap(levelImage.transformed(QTransform().rotate(90)));
    EXPECT_GT(anticlockwise, 0.6) << anticlockwise << " " << clockwise;
    EXPECT_LT(clockwise, anticlockwise / 2) << anticlockwise << " " << clockwise;
}

TEST(Rotate3DLabel, ShadeCopiesSitWhereTheEffectPutsThem) {
    auto raised = MakeLabel(0, A3dRaised);
    const QImage r = Paint(*raised);
    const Ink text = InkOf(r, 0x000000), lightInk = InkOf(r, 0xFFFFFF), darkInk = InkOf(r, 0x808080);
    ASSERT_GT(lightInk.count, 10);
    ASSERT_GT(darkInk.count, 10);
    // Raised: the light copy up-left, the dark one down-right.
    EXPECT_EQ(lightInk.box.topLeft(), text.box.topLeft() - QPoint(1, 1));
    EXPECT_EQ(darkInk.box.bottomRight(), text.box.bottomRight() + QPoint(1, 1));

    auto recessed = MakeLabel(0, A3dResit);
    const QImage s = Paint(*recessed);
    EXPECT_EQ(InkOf(s, 0xFFFFFF).box.bottomRight(), InkOf(s, 0).box.bottomRight() + QPoint(1, 1));

    auto shadowed = MakeLabel(0, A3dShadowed);
    const QImage d = Paint(*shadowed);
    EXPECT_EQ(InkOf(d, 0xFFFFFF).count, 0);  // no light copy
    EXPECT_EQ(InkOf(d, 0x808080).box.bottomRight(), InkOf(d, 0).box.bottomRight() + QPoint(5, -5));

    auto plain = MakeLabel(0, A3dNormal);
    const QImage n = Paint(*plain);
    EXPECT_EQ(InkOf(n, 0xFFFFFF).count + InkOf(n, 0x808080).count, 0);
}

TEST(Rotate3DLabel, AFilledLabelLosesItsEffectForGood) {
    auto label = MakeLabel(0, A3dRaised);
    label->SetColor(Qt::yellow);
    label->SetMyTransparent(false);
    const QImage filled = Paint(*label);
    const Ink box = InkOf(filled, 0xFFFF00), text = InkOf(filled, 0);
    EXPECT_TRUE(box.box.contains(text.box));  // the caption sits on its rectangle
    EXPECT_GT(box.box.width(), text.box.width());
    EXPECT_EQ(label->LabelStyle().AStyle3D(), A3dNormal);
    label->SetMyTransparent(true);
    const QImage again = Paint(*label);
    EXPECT_EQ(InkOf(again, 0xFFFF00).count, 0);
    EXPECT_EQ(InkOf(again, 0xFFFFFF).count, 0);
    EXPECT_EQ(label->LabelStyle().AStyle3D(), A3dNormal);
}

TEST(Rotate3DLabel, LeftAndRightAlignmentPinTheTextToTheirEdge) {
    auto label = MakeLabel(0, A3dNormal);
    label->SetAlignment(Qt::AlignLeft);
    EXPECT_LT(InkOf(Paint(*label), 0).box.left(), 4);
    label->SetAlignment(Qt::AlignRight);
    EXPECT_GT(InkOf(Paint(*label), 0).box.right(), 294);
}

TEST(Rotate3DLabel, AssignCopiesCaptionStyleAndPlace) {
    auto source = MakeLabel(45, A3dShadowed);
    source->setGeometry(10, 20, 200, 65);
    source->SetMyTransparent(false);
    TRotate3DLabel copy;
    copy.Assign(*source);
    EXPECT_EQ(copy.Caption(), "Vorel Electronics");
    EXPECT_EQ(copy.LabelStyle().Angle(), 45);
    EXPECT_EQ(copy.LabelStyle().AStyle3D(), A3dShadowed);
    EXPECT_EQ(copy.geometry(), QRect(10, 20, 200, 65));
    EXPECT_EQ(copy.font().pixelSize(), 24);
    EXPECT_FALSE(copy.MyTransparent());
}
