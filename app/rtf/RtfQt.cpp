#include "app/rtf/RtfQt.h"

#include <QTextBlock>
#include <QTextCursor>
#include <QTextDocument>
#include <QTextList>
#include <cmath>

namespace rtf {

namespace {

QTextCharFormat ToQt(const CharFormat& c) {
    QTextCharFormat f;
    if (!c.font.empty()) f.setFontFamilies(QStringList{QString::fromStdString(c.font)});
    f.setFontPointSize(c.halfPoints / 2.0);
    f.setFontWeight(c.bold ? QFont::Bold : QFont::Normal);
    f.setFontItalic(c.italic);
    f.setFontUnderline(c.underline);
    if (c.color) f.setForeground(QColor(QRgb(*c.color)));
    if (c.script != Script::Normal)
        f.setVerticalAlignment(c.script == Script::Super ? QTextCharFormat::AlignSuperScript
                                                         : QTextCharFormat::AlignSubScript);
    return f;
}

QTextBlockFormat ToQt(const ParaFormat& p) {
    QTextBlockFormat f;
    switch (p.align) {
        case Align::Left: f.setAlignment(Qt::AlignLeft); break;
        case Align::Right: f.setAlignment(Qt::AlignRight); break;
        case Align::Center: f.setAlignment(Qt::AlignHCenter); break;
        case Align::Justify: f.setAlignment(Qt::AlignJustify); break;
    }
    f.setLeftMargin(p.leftTwips / kTwipsPerPixel);
    f.setRightMargin(p.rightTwips / kTwipsPerPixel);
    f.setTextIndent(p.firstTwips / kTwipsPerPixel);
    f.setTopMargin(p.spaceBeforeTwips / kTwipsPerPixel);
    f.setBottomMargin(p.spaceAfterTwips / kTwipsPerPixel);
    QList<QTextOption::Tab> tabs;
    for (int t : p.tabStopsTwips) tabs.append(QTextOption::Tab(t / kTwipsPerPixel, QTextOption::LeftTab));
    f.setTabPositions(tabs);
    return f;
}

int Twips(qreal pixels) { return static_cast<int>(std::lround(pixels * kTwipsPerPixel)); }

QTextListFormat::Style ListStyle(ListKind k) {
    return k == ListKind::Number ? QTextListFormat::ListDecimal : QTextListFormat::ListDisc;
}

CharFormat FromQt(const QTextCharFormat& f, const QFont& defaults) {
    CharFormat c;
    const QStringList families = f.fontFamilies().toStringList();
    c.font = (families.isEmpty() ? defaults.family() : families.front()).toStdString();
    const double points = f.fontPointSize() > 0 ? f.fontPointSize() : defaults.pointSizeF();
    c.halfPoints = std::max(2, static_cast<int>(std::lround(points * 2)));
    c.bold = f.hasProperty(QTextFormat::FontWeight) ? f.fontWeight() >= QFont::DemiBold : defaults.bold();
    c.italic = f.fontItalic();
    c.underline = f.fontUnderline();
    if (f.hasProperty(QTextFormat::ForegroundBrush) && f.foreground().style() != Qt::NoBrush)
        c.color = f.foreground().color().rgb() & 0xFFFFFFu;
    if (f.verticalAlignment() == QTextCharFormat::AlignSuperScript) c.script = Script::Super;
    if (f.verticalAlignment() == QTextCharFormat::AlignSubScript) c.script = Script::Sub;
    return c;
}

ParaFormat FromQt(const QTextBlock& block) {
    const QTextBlockFormat f = block.blockFormat();
    ParaFormat p;
    const Qt::Alignment a = f.alignment() & Qt::AlignHorizontal_Mask;
    if (a & Qt::AlignRight) p.align = Align::Right;
    else if (a & Qt::AlignHCenter) p.align = Align::Center;
    else if (a & Qt::AlignJustify) p.align = Align::Justify;
    p.leftTwips = Twips(f.leftMargin());
    p.rightTwips = Twips(f.rightMargin());
    p.firstTwips = Twips(f.textIndent());
    p.spaceBeforeTwips = Twips(f.topMargin());
    p.spaceAfterTwips = Twips(f.bottomMargin());
    for (const QTextOption::Tab& t : f.tabPositions()) p.tabStopsTwips.push_back(Twips(t.position));
    if (const QTextList* list = block.textList()) {
        const QTextListFormat::Style style = list->format().style();
        p.list = style == QTextListFormat::ListDisc || style == QTextListFormat::ListCircle ||
                         style == QTextListFormat::ListSquare
                     ? ListKind::Bullet
                     : ListKind::Number;
    }
    return p;
}

}  // namespace

void ToTextDocument(const Document& d, QTextDocument& doc) {
    doc.clear();
    QTextCursor cursor(&doc);
    cursor.beginEditBlock();
    QTextList* list = nullptr;
    for (size_t i = 0; i < d.paragraphs.size(); ++i) {
        const Paragraph& p = d.paragraphs[i];
        const QTextCharFormat first = p.runs.empty() ? QTextCharFormat() : ToQt(p.runs.front().format);
        if (i == 0) {
            cursor.setBlockFormat(ToQt(p.format));
            cursor.setBlockCharFormat(first);
        } else {
            cursor.insertBlock(ToQt(p.format), first);
        }
        // Each run of paragraphs of one kind is one list.
        if (p.format.list == ListKind::None) {
            list = nullptr;
        } else if (list && list->format().style() == ListStyle(p.format.list)) {
            list->add(cursor.block());
        } else {
            QTextListFormat lf;
            lf.setStyle(ListStyle(p.format.list));
            list = cursor.createList(lf);
        }
        for (const Run& r : p.runs) {
            QString text = QString::fromStdString(r.text);
            text.replace(QChar('\n'), QChar::LineSeparator);
            cursor.insertText(text, ToQt(r.format));
        }
    }
    cursor.endEditBlock();
}

Document FromTextDocument(const QTextDocument& doc) {
    Document d;
    const QFont defaults = doc.defaultFont();
    for (QTextBlock block = doc.begin(); block.isValid(); block = block.next()) {
        Paragraph p;
        p.format = FromQt(block);
        for (auto it = block.begin(); !it.atEnd(); ++it) {
            const QTextFragment frag = it.fragment();
            if (!frag.isValid()) continue;
            QString text = frag.text();
            text.remove(QChar::ObjectReplacementCharacter);
            if (text.isEmpty()) continue;
            p.runs.push_back({text.toStdString(), FromQt(frag.charFormat(), defaults)});
        }
        d.paragraphs.push_back(std::move(p));
    }
    return d;
}

}  // namespace rtf
