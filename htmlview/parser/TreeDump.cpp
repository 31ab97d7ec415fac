#include "htmlview/parser/TreeDump.h"

#include "htmlview/blocks/HorzLine.h"
#include "htmlview/blocks/ListItems.h"
#include "htmlview/blocks/Spaces.h"
#include "htmlview/blocks/TextArea.h"
#include "htmlview/layout/Section.h"
#include "htmlview/tables/Table.h"
#include "platform/core/runtime/Codepage.h"

#include <cstdio>
#include <sstream>

namespace htmlview {

namespace {
std::string shown(const std::string& bytes) {
    std::string r;
    for (unsigned char c : bytes) {
        if (c == kImageChar) r += "{img}";
        else if (c == kControlChar) r += "{ctl}";
        else if (c < 32 || c == '\\') {
            char buf[8];
            std::snprintf(buf, sizeof buf, "\\x%02X", c);
            r += buf;
        } else {
            r += static_cast<char>(c);
        }
    }
    return platform::Cp1252ToUtf8(r);
}

std::string hex(unsigned v) {
    char buf[16];
    std::snprintf(buf, sizeof buf, "%X", v);
    return buf;
}

std::string styleText(TFontStyles s) {
    std::string r;
    if (s & fsBold) r += 'b';
    if (s & fsItalic) r += 'i';
    if (s & fsUnderline) r += 'u';
    if (s & fsStrikeOut) r += 's';
    return r.empty() ? "-" : r;
}

class Dumper {
public:
    explicit Dumper(bool layout) : layout_(layout) {}
    std::ostringstream out;

    void cell(const TCell& c, int depth) {
        for (int i = 0; i < c.Count(); ++i) block(*c[i], depth);
    }

private:
    bool layout_;

    void indent(int depth) { out << std::string(static_cast<size_t>(depth) * 2, ' '); }

    void geometry(const TSectionBase& b) {
        if (layout_)
            out << " @y=" << b.TopY << " h=" << b.FlowHeight << "/" << b.PaintHeight << " chars=" << b.FirstChar
                << "+" << b.CharCount;
    }

    void block(const TSectionBase& b, int depth) {
        indent(depth);
        if (auto* s = dynamic_cast<const TSection*>(&b)) return section(*s, depth);
        if (auto* t = dynamic_cast<const ThtmlTable*>(&b)) return table(*t, depth);
        if (auto* h = dynamic_cast<const THorzLine*>(&b)) {
            out << "HorzLine thickness=" << h->Thickness << " width=" << h->RuleWidth << (h->WidthInPercent ? "%" : "")
                << " align=" << h->Align;
            if (h->HasColor) out << " color=" << hex(h->Color);
            if (h->NoShade) out << " noshade";
        } else if (auto* hs = dynamic_cast<const THeadingSpace*>(&b)) {
            out << "HeadingSpace " << hs->HeadingLevel << " height=" << hs->FlowHeight;
        } else if (dynamic_cast<const TParagraphSpace*>(&b)) {
            out << "ParagraphSpace height=" << b.FlowHeight;
        } else {
            out << "Block";
        }
        geometry(b);
        out << "\n";
    }

    void section(const TSection& s, int depth) {
        if (dynamic_cast<const TPreFormated*>(&s)) out << "Pre";
        else if (auto* o = dynamic_cast<const TOListItem*>(&s)) out << "OListItem number=" << o->Number() << " style=" << s.NumberStyle;
        else if (dynamic_cast<const TDListItem*>(&s)) out << "DListItem";
        else if (dynamic_cast<const TUListItem*>(&s)) out << "UListItem" << (s.Plain ? " plain" : "");
        else out << "Section";
        out << " level=" << s.Level << " align=" << static_cast<int>(s.Align);
        if (s.ClearAttr) out << " clear=" << static_cast<int>(s.ClearAttr);
        out << " [" << shown(s.Buff) << "]";
        geometry(s);
        out << "\n";
        for (int r = 0; r < s.Fonts.Count(); ++r) {
            const TFontObj& run = *s.Fonts[r];
            const TMyFont& f = *run.TheFont;
            indent(depth + 1);
            out << "run " << run.Pos << ": " << f.Name() << " " << f.NominalSize << "/" << f.Size() << "pt "
                << styleText(f.Style()) << " color=" << hex(f.Color());
            if (run.SubSup) out << (run.SubSup == 1 ? " sub" : " sup");
            if (run.IsLink()) out << " link=" << shown(run.UrlTarget.LinkUrl);
            if (!run.UrlTarget.LinkTarget.empty()) out << " target=" << shown(run.UrlTarget.LinkTarget);
            out << "\n";
        }
        for (const TFormControlObj* c : s.FormControls) {
            indent(depth + 1);
            out << "control " << c->Pos << " name=" << shown(c->Name);
            if (auto* t = dynamic_cast<const TTextAreaFormControlObj*>(c)) {
                out << " textarea rows=" << t->Rows << " cols=" << t->Cols << " lines=";
                for (size_t i = 0; i < t->InitialLines.size(); ++i) out << (i ? "|" : "") << shown(t->InitialLines[i]);
            }
            out << "\n";
        }
        for (int i = 0; i < s.Images.Count(); ++i) {
            indent(depth + 1);
            const TImageObj& img = *s.Images[i];
            out << "image " << img.Pos << " src=" << shown(img.Source);
            if (layout_) {
                out << " size=" << img.ImageWidth << "x" << img.ImageHeight;
                if (img.ShowingPlaceholder()) out << (img.Image == BrokenImage() ? " broken" : " pending");
            }
            out << "\n";
        }
        if (layout_)
            for (int i = 0; i < s.Lines.Count(); ++i) {
                const LineRec& l = *s.Lines[i];
                indent(depth + 1);
                out << "line start=" << l.Start << " n=" << l.Ln << " ht=" << l.LineHt << " before=" << l.SpaceBefore
                    << " after=" << l.SpaceAfter << " x=" << l.LineIndent << "\n";
            }
    }

    void table(const ThtmlTable& t, int depth) {
        out << "Table rows=" << t.Rows.Count() << " cols=" << t.NumCols << " justify=" << t.Justify
            << (t.Floating ? " floating" : "") << " border=" << t.Border << " spacing=" << t.CellSpacing
            << " padding=" << t.CellPadding;
        if (t.WantWidth) out << " width=" << t.WantWidth << (t.WidthInTenths ? "/1000" : "px");
        if (t.HasBackColor) out << " bg=" << hex(t.BackColor);
        if (t.HasBorderColor) out << " bordercolor=" << hex(t.BorderColor);
        geometry(t);
        out << "\n";
        if (layout_) {
            indent(depth + 1);
            out << "widths";
            for (int i = 0; i < t.NumCols; ++i) out << " " << t.Widths[static_cast<size_t>(i)];
            out << " table=" << t.TableWidth << " total=" << t.TotalWidth << " indent=" << t.Indent << "\n";
        }
        if (t.Caption->Content->Count()) {
            indent(depth + 1);
            out << "Caption " << (t.CaptionOnTop ? "top" : "bottom") << "\n";
            cell(*t.Caption->Content, depth + 2);
        }
        for (int r = 0; r < t.Rows.Count(); ++r) {
            const TCellList& row = *t.Rows[r];
            indent(depth + 1);
            out << "Row";
            if (row.HasBackColor) out << " bg=" << hex(row.BackColor);
            if (layout_) out << " height=" << row.RowHeight;
            out << "\n";
            for (int i = 0; i < row.Count(); ++i) {
                const TCellObj& c = *row[i];
                indent(depth + 2);
                if (!c.Content) {
                    out << "Filler\n";
                    continue;
                }
                out << "Cell span=" << c.SpanCols << "x" << c.SpanRows << " valign=" << c.VertAlign;
                if (c.WantWidth) out << " width=" << c.WantWidth << (c.WidthInTenths ? "/1000" : "px");
                if (c.Content->HasBackColor) out << " bg=" << hex(c.Content->BackColor);
                if (layout_)
                    out << " size=" << c.CellWidth << "x" << c.CellHeight << " content=" << c.ContentHeight
                        << " offset=" << c.ContentOffset;
                out << "\n";
                cell(*c.Content, depth + 3);
            }
        }
    }
};
}  // namespace

std::string DumpTree(const TCell& cell, bool layout) {
    Dumper d(layout);
    d.cell(cell, 0);
    return d.out.str();
}

}  // namespace htmlview
