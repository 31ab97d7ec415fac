#include "htmlview/layout/Canvas.h"

#include <QColor>
#include <QImage>
#include <QPainter>
#include <QString>

namespace htmlview {

namespace {
QColor qcolor(TColor c) {
    TColor rgb = ColorToRGB(c);
    return QColor(RedOf(rgb), GreenOf(rgb), BlueOf(rgb));
}

QString toQString(std::string_view text) {
    QString s;
    s.reserve(static_cast<qsizetype>(text.size()));
    for (unsigned char c : text) s.append(QChar(Cp1252Char(c)));
    return s;
}
}  // namespace

TCanvas::TCanvas(TextMetrics& metrics, QPainter* painter) : Metrics(metrics), Painter(painter) {}

void TCanvas::TextOut(int x, int y, std::string_view text) { textOut(nullptr, x, y, text); }

void TCanvas::TextOutClipped(const QRect& clip, int x, int y, std::string_view text) {
    textOut(&clip, x, y, text);
}

void TCanvas::textOut(const QRect* clip, int x, int y, std::string_view text) {
    if (Log) Log->push_back({x, y, std::string(text), Font.Color(), !BrushClear, BrushColor, Font.Style(), Font.Size()});
    if (!Painter || text.empty()) return;
    TTextMetric m = GetTextMetrics();
    int top = TextBaseline ? y - m.Ascent : y;
    int width = TextWidth(text);
    Painter->save();
    if (clip) Painter->setClipRect(*clip, Qt::IntersectClip);
    if (!BrushClear) Painter->fillRect(QRect(x, top, width, m.Height), qcolor(BrushColor));
    Painter->setFont(QtTextMetrics::ToQFont(Font));
    Painter->setPen(qcolor(Font.Color()));
    Painter->drawText(QPoint(x, top + m.Ascent), toQString(text));
    Painter->restore();
}

void TCanvas::FillRect(const QRect& r) {
    if (Painter) Painter->fillRect(r, qcolor(BrushColor));
}

void TCanvas::FillRegion(const QRegion& r) {
    if (!Painter) return;
    for (const QRect& part : r) Painter->fillRect(part, qcolor(BrushColor));
}

void TCanvas::Rectangle(const QRect& r) {
    if (!Painter || r.width() <= 0 || r.height() <= 0) return;
    if (!BrushClear) Painter->fillRect(r, qcolor(BrushColor));
    Painter->save();
    Painter->setPen(qcolor(PenColor));
    Painter->setBrush(Qt::NoBrush);
    Painter->drawRect(r.adjusted(0, 0, -1, -1));
    Painter->restore();
}

void TCanvas::Ellipse(const QRect& r) {
    if (!Painter) return;
    Painter->save();
    Painter->setRenderHint(QPainter::Antialiasing, false);
    Painter->setPen(qcolor(PenColor));
    if (BrushClear) Painter->setBrush(Qt::NoBrush);
    else Painter->setBrush(qcolor(BrushColor));
    Painter->drawEllipse(r.adjusted(0, 0, -1, -1));
    Painter->restore();
}

void TCanvas::Line(int x1, int y1, int x2, int y2) {
    if (!Painter) return;
    Painter->save();
    Painter->setPen(qcolor(PenColor));
    Painter->drawLine(x1, y1, x2, y2);
    Painter->restore();
}

void TCanvas::DrawImage(const QRect& target, const QImage& image) {
    if (Painter && !image.isNull()) Painter->drawImage(target, image);
}

}  // namespace htmlview
