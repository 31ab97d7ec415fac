#include "htmlview/blocks/TextArea.h"

#include "htmlview/layout/Canvas.h"
#include "htmlview/layout/SectionList.h"
#include "htmlview/layout/TextMetrics.h"
#include "htmlview/util/HtmlUtils.h"
#include "platform/core/runtime/Codepage.h"
#include "platform/core/runtime/Text.h"

#include <QPlainTextEdit>
#include <QTextBlock>
#include <QTextCursor>
#include <algorithm>

namespace htmlview {

namespace {
QString fromCp1252(const std::string& s) {
    QString r;
    r.reserve(static_cast<qsizetype>(s.size()));
    for (unsigned char c : s) r.append(QChar(Cp1252Char(c)));
    return r;
}

TFont memoFont(const TSectionList* document) {
    TFont f;
    f.SetName(document ? document->FixedFontName : std::string("Courier New"));
    f.SetSize(10);
    return f;
}
}  // namespace

TTextAreaFormControlObj::TTextAreaFormControlObj(TSectionList* document, ThtmlForm* form,
                                                 const TAttributeList* attributes, int pos)
    : TFormControlObj(document, form, attributes, pos) {
    if (attributes)
        for (int i = 0; i < attributes->Count(); ++i) {
            const TAttribute* a = (*attributes)[i];
            if (a->Symbol == attrCOLS) Cols = a->NumValue;
            else if (a->Symbol == attrROWS) Rows = a->NumValue;
            else if (a->Symbol == attrWRAP) {
                const std::string v = platform::AsciiLower(a->Text);
                WordWrap = v == "soft" || v == "hard";
            }
        }
    auto* memo = new QPlainTextEdit(document ? document->Panel : nullptr);
    memo->move(0, -400);
    memo->setFont(QtTextMetrics::ToQFont(memoFont(document)));
    memo->setVerticalScrollBarPolicy(Qt::ScrollBarAlwaysOn);
    memo->setHorizontalScrollBarPolicy(WordWrap ? Qt::ScrollBarAlwaysOff : Qt::ScrollBarAlwaysOn);
    memo->setLineWrapMode(WordWrap ? QPlainTextEdit::WidgetWidth : QPlainTextEdit::NoWrap);
    TheControl = memo;
}

QPlainTextEdit* TTextAreaFormControlObj::Memo() const { return static_cast<QPlainTextEdit*>(TheControl.data()); }

std::vector<std::string> TTextAreaFormControlObj::MemoLines() const {
    std::vector<std::string> r;
    QPlainTextEdit* memo = Memo();
    if (!memo || memo->document()->isEmpty()) return r;
    for (QTextBlock b = memo->document()->begin(); b.isValid(); b = b.next())
        r.push_back(platform::Utf8ToCp1252(b.text().toStdString()));
    return r;
}

void TTextAreaFormControlObj::ResetToDefault() {
    QPlainTextEdit* memo = Memo();
    if (!memo) return;
    QString text;
    for (size_t i = 0; i < InitialLines.size(); ++i) {
        if (i) text += QChar('\n');
        text += fromCp1252(InitialLines[i]);
    }
    memo->setPlainText(text);
    QTextCursor c = memo->textCursor();
    c.movePosition(QTextCursor::Start);
    memo->setTextCursor(c);
}

bool TTextAreaFormControlObj::GetSubmission(int index, std::string& line) {
    if (index == 0) submitting_ = MemoLines();
    if (index < 0 || index >= static_cast<int>(submitting_.size())) {
        submitting_.clear();
        return false;
    }
    line = Name + "=" + submitting_[static_cast<size_t>(index)];
    return true;
}

void TTextAreaFormControlObj::SetSize(TCanvas& canvas) {
    QPlainTextEdit* memo = Memo();
    if (!memo) return;
    const TFont saved = canvas.Font;
    canvas.Font = memoFont(Document);
    // Sizes from the page are clamped so that no product overflows.
    const auto side = [](long long unit, int count) {
        return static_cast<int>(std::clamp(unit * count + 5, 0LL, 32000LL));
    };
    const int h = side(canvas.TextHeight("A"), Rows);
    const int w = side(canvas.TextWidth("A"), Cols);
    canvas.Font = saved;
    const int frame = 2 * memo->frameWidth();
    memo->resize(w + frame, h + frame);
}

}  // namespace htmlview
