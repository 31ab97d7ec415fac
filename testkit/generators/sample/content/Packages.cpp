// Outline drawings of the device packages, with the pin names of the parts
// that use them.
#include "testkit/generators/sample/content/Packages.h"

#include "testkit/generators/sample/content/Drawing.h"
#include "testkit/generators/sample/content/SampleContent.h"

#include <QPainterPath>
#include <QPen>
#include <cmath>

namespace sample {
namespace {

using drawing::kInk;
using drawing::kLead;
using drawing::kMetal;
using drawing::kPlastic;
using drawing::Sheet;

const QColor kBand(200, 200, 200);
const QColor kGlass(238, 170, 110);

QString Pin(const std::string& pins, int i) { return QString(QChar(pins[static_cast<size_t>(i)])); }

// TO-92 from the flat face and from below; pins names left to right.
QImage DrawTO92(const std::string& name, const std::string& pins) {
    Sheet s(kPackageWidth, kPackageHeight);
    QPainter& p = s.Painter();
    s.Title(QString::fromStdString(name));
    // Front view.
    s.Body(QRectF(38, 44, 72, 66), kPlastic, 6);
    s.TextAt(QRectF(38, 62, 72, 30), "flat\nface", 11, Qt::AlignCenter, Qt::white);
    const qreal leadX[] = {52, 74, 96};
    for (int i = 0; i < 3; ++i) {
        s.Lead(QPointF(leadX[i], 110), QPointF(leadX[i], 158), 3);
        s.Label(QPointF(leadX[i], 170), Pin(pins, i), 16);
    }
    // Bottom view: flat edge to the front (down), same order.
    const QPointF c(185, 100);
    const qreal radius = 36, chord = 12;  // the flat lies this far below the centre
    const qreal half = std::sqrt(radius * radius - chord * chord);
    const qreal skew = std::asin(chord / radius) * 180 / M_PI;
    QPainterPath d;
    d.moveTo(c.x() - half, c.y() + chord);
    d.lineTo(c.x() + half, c.y() + chord);
    d.arcTo(QRectF(c.x() - radius, c.y() - radius, 2 * radius, 2 * radius), -skew, 180 + 2 * skew);
    d.closeSubpath();
    p.save();
    p.setPen(QPen(kInk, 1.5));
    p.setBrush(kPlastic);
    p.drawPath(d);
    p.restore();
    for (int i = 0; i < 3; ++i) {
        const QPointF at(c.x() - 20 + 20 * i, c.y() + 2);
        s.Dot(at, 4, kLead);
        s.Label(at + QPointF(0, 30), Pin(pins, i), 14);
    }
    s.TextAt(QRectF(20, 182, 110, 16), "front", 11, Qt::AlignCenter, drawing::kNote);
    s.TextAt(QRectF(135, 182, 100, 16), "from below", 11, Qt::AlignCenter, drawing::kNote);
    return s.Finish();
}

// Metal can: side view and bottom view with the pins clockwise from the tab.
QImage DrawMetalCan(const std::string& name, qreal can, bool shieldLead) {
    Sheet s(kPackageWidth, kPackageHeight);
    QPainter& p = s.Painter();
    s.Title(QString::fromStdString(name));
    // Side view.
    const qreal left = 60 - can / 2, flange = 100;
    s.Body(QRectF(left, flange - can * 0.9, can, can * 0.9), kMetal, 5);
    s.Body(QRectF(left - 5, flange, can + 10, 7), kMetal, 2);
    for (qreal x : {60 - can / 4, 60.0, 60 + can / 4}) s.Lead(QPointF(x, flange + 7), QPointF(x, 165), 2.5);
    // Bottom view.
    const QPointF c(175, 108);
    const qreal r = can * 0.75 + 12;
    const qreal tab = 225 * M_PI / 180;  // lower left
    QPolygonF tabShape;
    tabShape << c + QPointF(std::cos(tab - 0.12) * r * 0.9, -std::sin(tab - 0.12) * r * 0.9)
             << c + QPointF(std::cos(tab) * (r + 10), -std::sin(tab) * (r + 10))
             << c + QPointF(std::cos(tab + 0.12) * r * 0.9, -std::sin(tab + 0.12) * r * 0.9);
    p.save();
    p.setPen(QPen(kInk, 1.5));
    p.setBrush(kMetal);
    p.drawPolygon(tabShape);
    p.drawEllipse(c, r, r);
    p.restore();
    struct Lead { qreal degrees; const char* name; };
    const Lead leads[] = {{180, "E"}, {90, "B"}, {0, "C"}, {270, "S"}};
    const qreal pinRing = r * 0.45;
    for (int i = 0; i < (shieldLead ? 4 : 3); ++i) {
        const qreal a = leads[i].degrees * M_PI / 180;
        const QPointF at = c + QPointF(std::cos(a) * pinRing, -std::sin(a) * pinRing);
        s.Dot(at, 3.5, kLead);
        const QPointF label = c + QPointF(std::cos(a) * (pinRing + 14), -std::sin(a) * (pinRing + 14));
        s.Label(label, leads[i].name, 13);
    }
    s.TextAt(QRectF(10, 168, 100, 16), "side", 11, Qt::AlignCenter, drawing::kNote);
    s.TextAt(QRectF(125, 168, 110, 16), "from below", 11, Qt::AlignCenter, drawing::kNote);
    s.Caption(shieldLead ? "S: shield, tied to the case" : "Case: collector");
    return s.Finish();
}

QImage DrawSOT23(const std::string& name) {
    Sheet s(kPackageWidth, kPackageHeight);
    s.Title(QString::fromStdString(name));
    const QRectF body(70, 75, 100, 50);
    // Pads first so the body covers their inner ends.
    s.Body(QRectF(82, 118, 16, 30), kLead, 1);
    s.Body(QRectF(142, 118, 16, 30), kLead, 1);
    s.Body(QRectF(112, 52, 16, 30), kLead, 1);
    s.Body(body, kPlastic, 3);
    s.Dot(QPointF(82, 113), 3, Qt::white);
    s.Label(QPointF(90, 164), "1 B", 14);
    s.Label(QPointF(150, 164), "2 E", 14);
    s.Label(QPointF(120, 40), "3 C", 14);
    s.Caption("Top view (SMD)");
    return s.Finish();
}

QImage DrawTO126(const std::string& name, const std::string& pins) {
    Sheet s(kPackageWidth, kPackageHeight);
    s.Title(QString::fromStdString(name));
    s.Body(QRectF(82, 36, 76, 96), kPlastic, 3);
    s.Hole(QPointF(120, 58), 8);
    const qreal leadX[] = {98, 120, 142};
    for (int i = 0; i < 3; ++i) {
        s.Lead(QPointF(leadX[i], 132), QPointF(leadX[i], 164), 3);
        s.Label(QPointF(leadX[i], 175), Pin(pins, i), 16);
    }
    s.Caption("Printed face, leads down; back: collector");
    return s.Finish();
}

QImage DrawTO220(const std::string& name, const std::string& pins) {
    Sheet s(kPackageWidth, kPackageHeight);
    s.Title(QString::fromStdString(name));
    s.Body(QRectF(74, 32, 92, 44), kMetal, 2);
    s.Hole(QPointF(120, 52), 9);
    s.Body(QRectF(74, 76, 92, 58), kPlastic, 2);
    const qreal leadX[] = {96, 120, 144};
    for (int i = 0; i < 3; ++i) {
        s.Lead(QPointF(leadX[i], 134), QPointF(leadX[i], 142), 6);
        s.Lead(QPointF(leadX[i], 142), QPointF(leadX[i], 164), 3);
        s.Label(QPointF(leadX[i], 175), Pin(pins, i), 16);
    }
    s.Caption("Printed face, leads down; tab: collector");
    return s.Finish();
}

// TO-247 and its relatives: one plastic body with the mounting hole.
QImage DrawLargePlastic(const std::string& name, const std::string& pins, qreal width, qreal height) {
    Sheet s(kPackageWidth, kPackageHeight);
    s.Title(QString::fromStdString(name));
    const qreal top = 32;
    s.Body(QRectF(120 - width / 2, top, width, height), kPlastic, 3);
    s.Hole(QPointF(120, top + 22), 10);
    const qreal step = width * 0.3;
    for (int i = 0; i < 3; ++i) {
        const qreal x = 120 + (i - 1) * step;
        s.Lead(QPointF(x, top + height), QPointF(x, top + height + 10), 7);
        s.Lead(QPointF(x, top + height + 10), QPointF(x, 165), 4);
        s.Label(QPointF(x, 176), Pin(pins, i), 16);
    }
    s.Caption("Printed face, leads down; back: collector");
    return s.Finish();
}

// TO-3 from below: pins above the line of the mounting holes, base left.
QImage DrawTO3(const std::string& name) {
    Sheet s(kPackageWidth, kPackageHeight);
    QPainter& p = s.Painter();
    s.Title(QString::fromStdString(name));
    const QPointF c(120, 108);
    QPainterPath flange;
    flange.addEllipse(c, 50, 50);
    QPainterPath ends;
    ends.addEllipse(QPointF(c.x() - 86, c.y()), 16, 16);
    ends.addEllipse(QPointF(c.x() + 86, c.y()), 16, 16);
    QPolygonF waist;
    waist << QPointF(c.x() - 86, c.y() - 16) << QPointF(c.x() - 20, c.y() - 47) << QPointF(c.x() + 20, c.y() - 47)
          << QPointF(c.x() + 86, c.y() - 16) << QPointF(c.x() + 86, c.y() + 16) << QPointF(c.x() + 20, c.y() + 47)
          << QPointF(c.x() - 20, c.y() + 47) << QPointF(c.x() - 86, c.y() + 16);
    QPainterPath waistPath;
    waistPath.addPolygon(waist);
    flange = flange.united(ends).united(waistPath).simplified();
    p.save();
    p.setPen(QPen(kInk, 1.5));
    p.setBrush(kMetal);
    p.drawPath(flange);
    p.setPen(QPen(QColor(150, 150, 150), 1, Qt::DashLine));
    p.setBrush(Qt::NoBrush);
    p.drawEllipse(c, 40, 40);
    p.restore();
    s.Hole(QPointF(c.x() - 86, c.y()), 6);
    s.Hole(QPointF(c.x() + 86, c.y()), 6);
    s.Dot(QPointF(c.x() - 15, c.y() - 16), 4, kLead);
    s.Dot(QPointF(c.x() + 15, c.y() - 16), 4, kLead);
    s.Label(QPointF(c.x() - 15, c.y() + 4), "B", 16);
    s.Label(QPointF(c.x() + 15, c.y() + 4), "E", 16);
    s.Caption("From below; case: collector");
    return s.Finish();
}

// Axial diode: body, cathode band on the right, and the symbol above.
QImage DrawAxial(const std::string& name, qreal length, qreal diameter, bool glass) {
    Sheet s(kPackageWidth, kPackageHeight);
    QPainter& p = s.Painter();
    s.Title(QString::fromStdString(name));
    const qreal y = 112;
    const QRectF body(120 - length / 2, y - diameter / 2, length, diameter);
    s.Lead(QPointF(18, y), QPointF(body.left() + 2, y), 2.5);
    s.Lead(QPointF(body.right() - 2, y), QPointF(222, y), 2.5);
    s.Body(body, glass ? kGlass : kPlastic, std::min<qreal>(diameter / 3, 6));
    const qreal bandWidth = std::max<qreal>(6, length * 0.12);
    const QRectF band(body.right() - bandWidth * 2.2, body.top() + 0.75, bandWidth, diameter - 1.5);
    p.fillRect(band, glass ? QColor(30, 30, 30) : kBand);
    s.Label(QPointF(24, y + 22), "A", 16);
    s.Label(QPointF(216, y + 22), "K", 16);
    // Symbol: anode on the left, bar on the cathode side.
    p.save();
    p.setPen(QPen(kInk, 2));
    p.setBrush(kInk);
    const qreal sy = 52;
    p.drawLine(QPointF(90, sy), QPointF(150, sy));
    QPolygonF triangle;
    triangle << QPointF(110, sy - 10) << QPointF(110, sy + 10) << QPointF(128, sy);
    p.drawPolygon(triangle);
    p.drawLine(QPointF(129, sy - 10), QPointF(129, sy + 10));
    p.restore();
    s.Caption("Band: cathode (K)");
    return s.Finish();
}

QImage DrawSMA(const std::string& name) {
    Sheet s(kPackageWidth, kPackageHeight);
    QPainter& p = s.Painter();
    s.Title(QString::fromStdString(name));
    s.Body(QRectF(56, 92, 18, 32), kLead, 1);
    s.Body(QRectF(166, 92, 18, 32), kLead, 1);
    s.Body(QRectF(70, 80, 100, 56), kPlastic, 3);
    p.fillRect(QRectF(148, 81, 8, 54), kBand);
    s.Label(QPointF(65, 152), "A", 16);
    s.Label(QPointF(175, 152), "K", 16);
    s.Caption("Top view (SMD); band: cathode (K)");
    return s.Finish();
}

}  // namespace

QImage DrawPackage(const std::string& name) {
    if (name == "TO-92 CBE") return DrawTO92(name, "CBE");
    if (name == "TO-92 EBC") return DrawTO92(name, "EBC");
    if (name == "TO-92 ECB") return DrawTO92(name, "ECB");
    if (name == "TO-18") return DrawMetalCan(name, 40, false);
    if (name == "TO-39") return DrawMetalCan(name, 56, false);
    if (name == "TO-72") return DrawMetalCan(name, 40, true);
    if (name == "SOT-23") return DrawSOT23(name);
    if (name == "TO-126") return DrawTO126(name, "ECB");
    if (name == "TO-220") return DrawTO220(name, "BCE");
    if (name == "TO-247") return DrawLargePlastic(name, "BCE", 104, 108);
    if (name == "TO-218") return DrawLargePlastic(name, "BCE", 100, 104);
    if (name == "TO-3P") return DrawLargePlastic(name, "BCE", 104, 100);
    if (name == "TO-3PL") return DrawLargePlastic(name, "BCE", 128, 112);
    if (name == "TO-3") return DrawTO3(name);
    if (name == "DO-35") return DrawAxial(name, 44, 18, true);
    if (name == "DO-41") return DrawAxial(name, 56, 26, false);
    if (name == "DO-201AD") return DrawAxial(name, 80, 40, false);
    if (name == "P600") return DrawAxial(name, 70, 70, false);
    if (name == "SMA") return DrawSMA(name);
    return QImage();
}

}  // namespace sample
