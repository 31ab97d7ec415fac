#pragma once
// Shared set-up of the parser tests: the fake measurer, a document with
// the viewer's defaults, a parse of a page and views into the tree.
#include "htmlview/blocks/ListItems.h"
#include "htmlview/images/ImageCache.h"
#include "htmlview/layout/Canvas.h"
#include "htmlview/layout/Section.h"
#include "htmlview/parser/Parser.h"
#include "htmlview/parser/TreeDump.h"
#include "htmlview/tables/Table.h"

#include <gtest/gtest.h>

namespace htmlview::testing {

class ParserTest : public ::testing::Test {
protected:
    FakeTextMetrics fake;
    std::unique_ptr<TSectionList> doc;
    std::unique_ptr<TCanvas> canvas;
    TStringList names;
    THtmlParser parser;
    std::vector<std::string> errors;

    void SetUp() override {
        SetScreenMetrics(&fake);
        doc = std::make_unique<TSectionList>(nullptr, nullptr);
        doc->ErrorReporter = [this](const std::string& m) { errors.push_back(m); };
        canvas = std::make_unique<TCanvas>(fake);
    }
    void TearDown() override {
        doc.reset();
        ImageCache().Clear();  // shared by the process: each test starts without pictures
        SetScreenMetrics(nullptr);
    }
    void parse(const std::string& html) { parser.ParseHtmlBuffer(*doc, &names, html.data(), html.size()); }
    std::string tree() const { return DumpTree(*doc, false); }
    int arrange(int width) {
        int ci = 0, mw = 0;
        return doc->Arrange(*canvas, 0, width, ci, mw);
    }
    // The blocks of the root of one kind, in order.
    template <typename T>
    std::vector<T*> blocks(const TCell& cell) const {
        std::vector<T*> r;
        for (int i = 0; i < cell.Count(); ++i)
            if (auto* b = dynamic_cast<T*>(cell[i])) r.push_back(b);
        return r;
    }
    template <typename T>
    std::vector<T*> blocks() const {
        return blocks<T>(*doc);
    }
    // The text sections of the root that hold text.
    std::vector<TSection*> texts(const TCell& cell) const {
        std::vector<TSection*> r;
        for (TSection* s : blocks<TSection>(cell))
            if (s->CharCount) r.push_back(s);
        return r;
    }
    std::vector<TSection*> texts() const { return texts(*doc); }
    ThtmlTable* table(int n = 0) const {
        auto t = blocks<ThtmlTable>();
        return n < static_cast<int>(t.size()) ? t[static_cast<size_t>(n)] : nullptr;
    }
};

}  // namespace htmlview::testing
