#include "app/rtf/RtfQt.h"

#include <QTextBlock>
#include <QTextCursor>
#include <QTextDocument>
#include <QTextList>
#include <cmath>
#include <map>
#include <optional>
#include <utility>
#include <vector>

namespace rtf {

namespace {

QTextCharFormat ToQt(const CharFormat& c) {
    QTextCharFormat f;
    if (!c.font.empty()) f.setFontFamilies(QStringList{QString::fromStdString(c.font)});
    if (c.charset >= 0) f.setProperty(kCharsetProperty, c.charset);
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
    QVariantList leaders;
    bool anyLeader = false;
    for (const TabStop& t : p.tabStops) {
        QTextOption::Tab tab(t.twips / kTwipsPerPixel, QTextOption::LeftTab);
        if (t.kind == TabKind::Right) tab.type = QTextOption::RightTab;
        if (t.kind == TabKind::Center) tab.type = QTextOption::CenterTab;
        if (t.kind == TabKind::Decimal) {
            tab.type = QTextOption::DelimiterTab;
            tab.delimiter = QChar('.');
        }
        tabs.append(tab);
        leaders.append(static_cast<int>(t.leader));
        anyLeader = anyLeader || t.leader != TabLeader::None;
    }
    f.setTabPositions(tabs);
    if (anyLeader) f.setProperty(kTabLeadersProperty, leaders);
    return f;
}

int Twips(qreal pixels) { return static_cast<int>(std::lround(pixels * kTwipsPerPixel)); }

QTextListFormat::Style ToolkitStyle(NumberStyle s) {
    switch (s) {
        case NumberStyle::LowerLetter: return QTextListFormat::ListLowerAlpha;
        case NumberStyle::UpperLetter: return QTextListFormat::ListUpperAlpha;
        case NumberStyle::LowerRoman: return QTextListFormat::ListLowerRoman;
        case NumberStyle::UpperRoman: return QTextListFormat::ListUpperRoman;
        case NumberStyle::Decimal: break;
    }
    return QTextListFormat::ListDecimal;
}

QTextListFormat ListFormat(const ParaFormat& p) {
    QTextListFormat lf;
    if (p.list == ListKind::Bullet) {
        lf.setStyle(QTextListFormat::ListDisc);
    } else {
        // The toolkit numbers from 1 only, and its letters go on "aa", "ab"
        // where the file's go "aa", "bb": a list starting elsewhere or
        // lettered shows no label of the toolkit's and is labelled by its view.
        const bool lettered = p.numbering == NumberStyle::LowerLetter || p.numbering == NumberStyle::UpperLetter;
        lf.setStyle(p.listStart != 1 || lettered ? QTextListFormat::ListStyleUndefined : ToolkitStyle(p.numbering));
        lf.setProperty(kNumberStyleProperty, static_cast<int>(p.numbering));
        lf.setProperty(kListStartProperty, p.listStart);
        lf.setNumberPrefix(QString::fromStdString(p.numberPrefix));
        lf.setNumberSuffix(QString::fromStdString(p.numberSuffix));
    }
    return lf;
}

// A list's numbering: ours, else the toolkit's own numbered styles (a list
// pasted or made by the toolkit).
NumberStyle NumberingOf(const QTextListFormat& f) {
    if (f.hasProperty(kNumberStyleProperty)) {
        const int s = f.intProperty(kNumberStyleProperty);
        return s >= 0 && s <= static_cast<int>(NumberStyle::UpperRoman) ? static_cast<NumberStyle>(s)
                                                                        : NumberStyle::Decimal;
    }
    switch (f.style()) {
        case QTextListFormat::ListLowerAlpha: return NumberStyle::LowerLetter;
        case QTextListFormat::ListUpperAlpha: return NumberStyle::UpperLetter;
        case QTextListFormat::ListLowerRoman: return NumberStyle::LowerRoman;
        case QTextListFormat::ListUpperRoman: return NumberStyle::UpperRoman;
        default: return NumberStyle::Decimal;
    }
}

bool IsBulletList(const QTextListFormat& f) {
    const QTextListFormat::Style style = f.style();
    return style == QTextListFormat::ListDisc || style == QTextListFormat::ListCircle ||
           style == QTextListFormat::ListSquare;
}

int ListStart(const QTextListFormat& f) {
    return f.hasProperty(kListStartProperty) ? f.intProperty(kListStartProperty) : 1;
}

// The list's numbering and label text; a list without its own label text
// (one the toolkit made) has the toolkit's "1.".
void NumberingOf(const QTextListFormat& f, ParaFormat& p) {
    p.numbering = NumberingOf(f);
    p.listStart = ListStart(f);
    p.numberPrefix = f.numberPrefix().toStdString();
    p.numberSuffix = f.hasProperty(QTextFormat::ListNumberSuffix) ? f.numberSuffix().toStdString() : ".";
}

CharFormat FromQt(const QTextCharFormat& f, const QFont& defaults) {
    CharFormat c;
    const QStringList families = f.fontFamilies().toStringList();
    c.font = (families.isEmpty() ? defaults.family() : families.front()).toStdString();
    if (f.hasProperty(kCharsetProperty)) c.charset = f.intProperty(kCharsetProperty);
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

ParaFormat FromQt(const QTextBlock& block, std::map<const QTextList*, int>& listIds) {
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
    const QVariantList leaders = f.property(kTabLeadersProperty).toList();
    const QList<QTextOption::Tab> tabs = f.tabPositions();
    for (qsizetype i = 0; i < tabs.size(); ++i) {
        TabStop t;
        t.twips = Twips(tabs[i].position);
        if (tabs[i].type == QTextOption::RightTab) t.kind = TabKind::Right;
        if (tabs[i].type == QTextOption::CenterTab) t.kind = TabKind::Center;
        if (tabs[i].type == QTextOption::DelimiterTab) t.kind = TabKind::Decimal;
        const int leader = i < leaders.size() ? leaders[i].toInt() : 0;
        if (leader > 0 && leader <= static_cast<int>(TabLeader::Equals)) t.leader = static_cast<TabLeader>(leader);
        p.tabStops.push_back(t);
    }
    if (const QTextList* list = block.textList()) {
        const QTextListFormat lf = list->format();
        p.list = IsBulletList(lf) ? ListKind::Bullet : ListKind::Number;
        if (p.list == ListKind::Number) NumberingOf(lf, p);
        const auto [it, added] = listIds.emplace(list, static_cast<int>(listIds.size()) + 1);
        p.listId = it->second;
    }
    return p;
}

}  // namespace

// The toolkit's formats of the model's, made once for the few formats a
// long note repeats.
class Formats {
public:
    const QTextCharFormat& Of(const CharFormat& c) {
        for (const auto& [model, qt] : chars_)
            if (model == c) return qt;
        if (chars_.size() == 16) chars_.erase(chars_.begin());
        chars_.emplace_back(c, ToQt(c));
        return chars_.back().second;
    }
    const QTextBlockFormat& Of(const ParaFormat& p) {
        if (!block_ || block_->first != p) block_.emplace(p, ToQt(p));
        return block_->second;
    }

private:
    std::vector<std::pair<CharFormat, QTextCharFormat>> chars_;
    std::optional<std::pair<ParaFormat, QTextBlockFormat>> block_;
};

void ToTextDocument(const Document& d, QTextDocument& doc) {
    doc.clear();
    QTextCursor cursor(&doc);
    cursor.beginEditBlock();
    QTextList* list = nullptr;            // of the paragraph before
    std::map<int, QTextList*> byId;       // the model's lists
    Formats formats;
    for (size_t i = 0; i < d.paragraphs.size(); ++i) {
        const Paragraph& p = d.paragraphs[i];
        const QTextCharFormat first = p.runs.empty() ? QTextCharFormat() : formats.Of(p.runs.front().format);
        if (i == 0) {
            cursor.setBlockFormat(formats.Of(p.format));
            cursor.setBlockCharFormat(first);
        } else {
            cursor.insertBlock(formats.Of(p.format), first);
        }
        // A paragraph without a list id goes on with the list of the paragraph
        // before when it is of its kind.
        const ParaFormat& f = p.format;
        if (f.list == ListKind::None) {
            list = nullptr;
        } else {
            QTextList* same = nullptr;
            if (f.listId > 0) {
                const auto it = byId.find(f.listId);
                if (it != byId.end()) same = it->second;
            } else if (list && list->format() == ListFormat(f)) {
                same = list;
            }
            if (same) {
                same->add(cursor.block());
            } else {
                same = cursor.createList(ListFormat(f));
                if (f.listId > 0) byId[f.listId] = same;
            }
            list = same;
        }
        for (const Run& r : p.runs) {
            QString text = QString::fromStdString(r.text);
            text.replace(QChar('\n'), QChar::LineSeparator);
            cursor.insertText(text, formats.Of(r.format));
        }
    }
    cursor.endEditBlock();
}

QString ListLabel(const QTextBlock& block) {
    const QTextList* list = block.textList();
    if (!list || IsBulletList(list->format())) return {};
    ParaFormat p;
    NumberingOf(list->format(), p);
    return QString::fromStdString(NumberLabel(p, p.listStart + list->itemNumber(block)));
}

Document FromTextDocument(const QTextDocument& doc) {
    Document d;
    const QFont defaults = doc.defaultFont();
    std::map<const QTextList*, int> listIds;
    for (QTextBlock block = doc.begin(); block.isValid(); block = block.next()) {
        Paragraph p;
        p.format = FromQt(block, listIds);
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
