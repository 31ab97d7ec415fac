#pragma once
// Shared set-up of the layout tests: a fake measurer (8 pixels a character,
// lines 16 high with descent 4), a document and a measuring canvas.
#include "htmlview/images/ImageCache.h"
#include "htmlview/layout/Canvas.h"
#include "htmlview/layout/Section.h"
#include "htmlview/layout/SectionList.h"
#include "htmlview/tokenizer/Tokenizer.h"

#include <gtest/gtest.h>

namespace htmlview::testing {

class LayoutTest : public ::testing::Test {
protected:
    FakeTextMetrics fake;
    TInlineState state;
    TMyFont font;
    std::unique_ptr<TSectionList> doc;
    std::unique_ptr<TCanvas> canvas;

    void SetUp() override {
        SetScreenMetrics(&fake);
        doc = std::make_unique<TSectionList>(nullptr, nullptr);
        canvas = std::make_unique<TCanvas>(fake);
        font.SetNominalSize(*doc, 12);
    }
    void TearDown() override {
        doc.reset();
        ImageCache().Clear();  // shared by the process: each test starts without pictures
        SetScreenMetrics(nullptr);
    }

    TSection* section(const std::string& text, int align = 1, int level = 0) {
        auto* s = new TSection(level, align, nullptr, font, state);
        s->AppendText(text);
        return s;
    }
    // Attributes of the first tag of html.
    static TAttributeList attrs(const std::string& html) {
        THtmlTokenizer t;
        t.SetBuffer(html.data(), html.size());
        t.ReadCharSkipComments();
        t.ReadNextToken();
        TAttributeList l;
        for (int i = 0; i < t.Attributes.Count(); ++i)
            l.Add(new TAttribute(t.Attributes[i]->Symbol, t.Attributes[i]->Text, t.Attributes[i]->NumValue));
        return l;
    }
    int arrange(int width) {
        int ci = 0, mw = 0;
        return doc->Arrange(*canvas, 0, width, ci, mw);
    }
    std::vector<std::string> lines(const TSection* s) {
        std::vector<std::string> r;
        for (int i = 0; i < s->Lines.Count(); ++i)
            r.push_back(s->Buff.substr(static_cast<size_t>(s->Lines[i]->Start), static_cast<size_t>(s->Lines[i]->Ln)));
        return r;
    }
};

}  // namespace htmlview::testing
