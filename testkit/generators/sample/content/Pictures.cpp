// The pictures table: package drawings plus the About picture and the two
// colour-code calculator drawings.
#include "testkit/generators/sample/content/Drawing.h"
#include "testkit/generators/sample/content/Packages.h"
#include "testkit/generators/sample/content/SampleContent.h"

#include "platform/core/runtime/Exception.h"
#include "platform/core/runtime/Text.h"

#include <QLinearGradient>
#include <QPainterPath>
#include <QPen>
#include <algorithm>
#include <cctype>

namespace sample {
namespace {

using drawing::kInk;
using drawing::kLabel;
using drawing::Sheet;

const QColor kBlack(20, 20, 20), kBrown(120, 65, 20), kRed(210, 30, 30), kOrange(245, 140, 20),
    kYellow(245, 215, 30), kGreen(30, 150, 60), kBlue(40, 80, 200), kViolet(130, 60, 170), kGrey(140, 140, 140),
    kWhite(250, 250, 250), kGold(200, 160, 40), kSilver(190, 190, 195);

void AddUnique(std::vector<std::string>& names, const std::string& name) {
    for (const std::string& known : names) {
        if (platform::AsciiLower(known) == platform::AsciiLower(name)) return;
    }
    names.push_back(name);
}

// A leader line from a band to its letter.
void Callout(Sheet& s, QPointF from, QPointF to, const QString& text, int flags) {
    QPainter& p = s.Painter();
    p.save();
    p.setPen(QPen(kLabel, 1));
    p.drawLine(from, to);
    p.restore();
    const QRectF box = (flags & Qt::AlignRight) ? QRectF(to.x() - 96, to.y() - 9, 92, 18)
                       : (flags & Qt::AlignLeft) ? QRectF(to.x() + 4, to.y() - 9, 92, 18)
                                                 : QRectF(to.x() - 40, to.y() - 18, 80, 16);
    s.TextAt(box, text, 12, flags | Qt::AlignVCenter, kLabel, true);
}

// Resistor with five bands, lettered a to e as the calculator names them.
QImage DrawResistor() {
    Sheet s(kResistorWidth, kResistorHeight);
    QPainter& p = s.Painter();
    const qreal y = 88;
    s.Lead(QPointF(10, y), QPointF(84, y), 3);
    s.Lead(QPointF(236, y), QPointF(310, y), 3);
    QPainterPath leftCap, rightCap, middle;
    leftCap.addRoundedRect(QRectF(74, y - 24, 40, 48), 14, 14);
    rightCap.addRoundedRect(QRectF(206, y - 24, 40, 48), 14, 14);
    middle.addRect(QRectF(100, y - 18, 120, 36));
    const QPainterPath body = leftCap.united(middle).united(rightCap);
    p.save();
    p.setPen(QPen(kInk, 1.5));
    p.setBrush(QColor(225, 200, 150));
    p.drawPath(body);
    p.setClipPath(body);
    struct Band { qreal x; QColor colour; const char* letter; };
    const Band bands[] = {{92, kBrown, "a"}, {118, kBlack, "b"}, {140, kBlack, "c"}, {162, kBrown, "d"},
                          {212, kBrown, "e"}};
    for (const Band& b : bands) p.fillRect(QRectF(b.x, y - 30, 10, 60), b.colour);
    p.restore();
    for (const Band& b : bands) Callout(s, QPointF(b.x + 5, y - 26), QPointF(b.x + 5, 36), b.letter, Qt::AlignHCenter);
    s.TextAt(QRectF(4, 126, 312, 30), "a, b, c: digits    d: multiplier    e: tolerance", 12, Qt::AlignCenter,
             drawing::kNote);
    return s.Finish();
}

// Polyester capacitor with colour bands from the top: two digits, multiplier,
// tolerance and voltage.
QImage DrawPolyesterCapacitor() {
    Sheet s(kCapPoliWidth, kCapPoliHeight);
    QPainter& p = s.Painter();
    s.Lead(QPointF(84, 128), QPointF(84, 156), 2.5);
    s.Lead(QPointF(116, 128), QPointF(116, 156), 2.5);
    QPainterPath body;
    body.addRoundedRect(QRectF(70, 8, 60, 124), 18, 18);
    p.save();
    p.setPen(Qt::NoPen);
    p.setClipPath(body);
    struct Band { qreal top; qreal height; QColor colour; const char* text; };
    const Band bands[] = {{8, 34, kYellow, "1st digit"},   {42, 22, kViolet, "2nd digit"},
                          {64, 22, kOrange, "multiplier"}, {86, 22, kBlack, "tolerance"},
                          {108, 24, kRed, "voltage"}};
    for (const Band& b : bands) p.fillRect(QRectF(70, b.top, 60, b.height), b.colour);
    p.restore();
    p.save();
    p.setPen(QPen(kInk, 1.5));
    p.setBrush(Qt::NoBrush);
    p.drawPath(body);
    p.restore();
    for (const Band& b : bands) {
        const qreal mid = b.top + b.height / 2 + (b.top < 10 ? 6 : 0);
        Callout(s, QPointF(126, mid), QPointF(170, mid), b.text, Qt::AlignLeft);
    }
    s.TextAt(QRectF(170, 134, 146, 22), "value in pF", 11, Qt::AlignLeft | Qt::AlignVCenter, drawing::kNote);
    return s.Finish();
}

// Start-up picture of the About tab.
QImage DrawAbertura() {
    Sheet s(kAberturaWidth, kAberturaHeight);
    QPainter& p = s.Painter();
    QLinearGradient sky(0, 0, 0, kAberturaHeight);
    sky.setColorAt(0, QColor(10, 30, 90));
    sky.setColorAt(1, QColor(40, 110, 190));
    p.fillRect(QRect(0, 0, kAberturaWidth, kAberturaHeight), sky);
    // A faint circuit trace pattern.
    p.save();
    p.setPen(QPen(QColor(255, 255, 255, 40), 2));
    for (int i = 0; i < 6; ++i) {
        const qreal y = 150 + i * 14;
        p.drawLine(QPointF(0, y), QPointF(60 + i * 30, y));
        p.drawLine(QPointF(60 + i * 30, y), QPointF(80 + i * 30, y - 20));
        p.drawEllipse(QPointF(80 + i * 30, y - 20), 3, 3);
    }
    p.restore();
    // NPN symbol in a circle.
    p.save();
    p.setPen(QPen(Qt::white, 3));
    p.setBrush(Qt::NoBrush);
    const QPointF c(256, 70);
    p.drawEllipse(c, 40, 40);
    p.drawLine(QPointF(c.x() - 40, c.y()), QPointF(c.x() - 10, c.y()));
    p.drawLine(QPointF(c.x() - 10, c.y() - 20), QPointF(c.x() - 10, c.y() + 20));
    p.drawLine(QPointF(c.x() - 10, c.y() - 8), QPointF(c.x() + 16, c.y() - 28));
    p.drawLine(QPointF(c.x() - 10, c.y() + 8), QPointF(c.x() + 16, c.y() + 28));
    p.drawLine(QPointF(c.x() + 16, c.y() - 28), QPointF(c.x() + 16, c.y() - 44));
    p.drawLine(QPointF(c.x() + 16, c.y() + 28), QPointF(c.x() + 16, c.y() + 44));
    p.setBrush(Qt::white);
    QPolygonF arrow;
    arrow << QPointF(c.x() + 16, c.y() + 28) << QPointF(c.x() + 2, c.y() + 25) << QPointF(c.x() + 9, c.y() + 16);
    p.drawPolygon(arrow);
    p.restore();
    s.TextAt(QRectF(16, 24, 220, 40), "Vorel", 38, Qt::AlignLeft | Qt::AlignVCenter, Qt::white, true);
    s.TextAt(QRectF(18, 64, 220, 26), "Electronics", 22, Qt::AlignLeft | Qt::AlignVCenter, QColor(180, 215, 255));
    s.TextAt(QRectF(18, 100, 290, 40),
             "Transistors, diodes and ICs,\nequivalents, repairs and cross-references", 12,
             Qt::AlignLeft | Qt::AlignVCenter, Qt::white);
    // A resistor at the bottom right.
    const qreal y = 200;
    s.Lead(QPointF(190, y), QPointF(300, y), 2);
    p.save();
    p.setPen(QPen(kInk, 1));
    p.setBrush(QColor(225, 200, 150));
    p.drawRoundedRect(QRectF(215, y - 10, 60, 20), 8, 8);
    const QColor bands[] = {kBrown, kBlack, kRed, kGold};
    for (int i = 0; i < 4; ++i) p.fillRect(QRectF(224 + i * 11 + (i == 3 ? 6 : 0), y - 9, 5, 18), bands[i]);
    p.restore();
    return s.Finish();
}

}  // namespace

std::vector<std::string> PictureNames() {
    std::vector<std::string> names;
    for (const Transistor& t : Transistores()) AddUnique(names, t.Encapsulamento);
    for (const DiodoR& d : DiodosR()) AddUnique(names, d.Encapsulamento);
    for (const DiodoZ& d : DiodosZ()) AddUnique(names, d.Encapsulamento);
    for (const char* name : {"abertura", "cap_poli", "resistor"}) AddUnique(names, name);
    return names;
}

QImage DrawPicture(const std::string& name) {
    if (name == "abertura") return DrawAbertura();
    if (name == "cap_poli") return DrawPolyesterCapacitor();
    if (name == "resistor") return DrawResistor();
    QImage image = DrawPackage(name);
    if (image.isNull()) throw platform::Exception("No drawing for the picture " + name);
    return image;
}

}  // namespace sample
