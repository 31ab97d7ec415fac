// How fast the viewer tokenises a page and breaks a long paragraph into
// lines with the Qt measurer (the per-font width table) and the fake one,
// parses and lays out the IC result page of 100, 1,000 and 10,000 rows,
// lays out pages of many lists and paragraphs of many controls or images,
// and submits a form with a long TEXTAREA.
#include "htmlview/blocks/TextArea.h"
#include "htmlview/layout/Canvas.h"
#include "htmlview/layout/Section.h"
#include "htmlview/layout/SectionList.h"
#include "htmlview/parser/IcPage.h"
#include "htmlview/parser/Parser.h"
#include "htmlview/tokenizer/Tokenizer.h"

#include <QApplication>
#include <QBuffer>
#include <QPlainTextEdit>
#include <memory>
#include <benchmark/benchmark.h>

using namespace htmlview;

namespace {
std::string page() {
    std::string s;
    for (int i = 0; i < 2000; ++i)
        s += "<TR><TD ALIGN=center WIDTH=\"20%\"><A HREF=\"ic/7400.htm\">74LS00</A> quad NAND &amp; gate</TD>\r\n";
    return s;
}

std::string words() {
    std::string s;
    for (int i = 0; s.size() < 19000; ++i) s += (i % 7 ? "gate " : "transistor ");
    return s;
}

// The document laid out once per benchmark iteration at the given width.
void arrangeEachIteration(benchmark::State& state, TSectionList& doc, TCanvas& canvas, int width) {
    for (auto _ : state) {
        int ci = 0, mw = 0;
        benchmark::DoNotOptimize(doc.Arrange(canvas, 0, width, ci, mw));
    }
}

void BM_Tokenize(benchmark::State& state) {
    const std::string html = page();
    for (auto _ : state) {
        THtmlTokenizer t;
        t.SetBuffer(html.data(), html.size());
        t.ReadCharSkipComments();
        int n = 0;
        for (t.ReadNextToken(); t.Sym != symEndOfInput; t.ReadNextToken()) ++n;
        benchmark::DoNotOptimize(n);
    }
    state.SetBytesProcessed(static_cast<int64_t>(state.iterations() * html.size()));
}
BENCHMARK(BM_Tokenize);

void layout(benchmark::State& state, TextMetrics& metrics) {
    SetScreenMetrics(&metrics);
    TSectionList doc(nullptr, nullptr);
    TInlineState inl;
    TMyFont font;
    font.SetNominalSize(doc, 12);
    auto* s = new TSection(0, 1, nullptr, font, inl);
    s->AppendText(words());
    doc.AddBlock(s);
    TCanvas canvas(metrics);
    arrangeEachIteration(state, doc, canvas, static_cast<int>(state.range(0)));
    SetScreenMetrics(nullptr);
}

void BM_LayoutQt(benchmark::State& state) {
    QtTextMetrics qt;
    layout(state, qt);
}
BENCHMARK(BM_LayoutQt)->Arg(300)->Arg(1000);

void BM_LayoutFake(benchmark::State& state) {
    FakeTextMetrics fake;
    layout(state, fake);
}
BENCHMARK(BM_LayoutFake)->Arg(300)->Arg(1000);
std::vector<std::string> icPage(int rows) {
    std::vector<htmlview::testing::IcRow> r;
    for (int i = 0; i < rows; ++i)
        r.push_back({"LM" + std::to_string(741 + i), "Operational amplifier, internally compensated", "National",
                     "http://www.national.com/pf/LM/LM" + std::to_string(741 + i) + ".html"});
    return htmlview::testing::IcResultPage(r);
}

void BM_ParseIcPage(benchmark::State& state) {
    const auto lines = icPage(static_cast<int>(state.range(0)));
    TSectionList doc(nullptr, nullptr);
    for (auto _ : state) {
        doc.Clear();
        THtmlParser parser;
        parser.ParseHtmlStrings(doc, nullptr, lines);
    }
    state.SetItemsProcessed(state.iterations() * state.range(0));
}
BENCHMARK(BM_ParseIcPage)->Arg(100)->Arg(1000)->Arg(10000)->Unit(benchmark::kMillisecond);

void BM_LayoutIcPage(benchmark::State& state) {
    QtTextMetrics qt;
    SetScreenMetrics(&qt);
    {
        const auto lines = icPage(static_cast<int>(state.range(0)));
        TSectionList doc(nullptr, nullptr);
        THtmlParser parser;
        parser.ParseHtmlStrings(doc, nullptr, lines);
        TCanvas canvas(qt);
        arrangeEachIteration(state, doc, canvas, 1000);
    }
    SetScreenMetrics(nullptr);
    state.SetItemsProcessed(state.iterations() * state.range(0));
}
BENCHMARK(BM_LayoutIcPage)->Arg(100)->Arg(1000)->Arg(10000)->Unit(benchmark::kMillisecond);

// A page of N short lists, against the same items as plain paragraphs
// (the baseline): closed list levels must not make every later line
// slower, so both grow linearly and their ratio stays flat as N doubles.
std::string manyBlocks(int n, bool lists) {
    std::string s;
    for (int i = 0; i < n; ++i) s += lists ? "<UL><LI>item one<LI>item two</UL>\r\n" : "<P>item one<BR>item two\r\n";
    return s;
}

void layoutMany(benchmark::State& state, bool lists) {
    FakeTextMetrics fake;
    SetScreenMetrics(&fake);
    {
        const std::string html = manyBlocks(static_cast<int>(state.range(0)), lists);
        TSectionList doc(nullptr, nullptr);
        THtmlParser parser;
        parser.ParseHtmlBuffer(doc, nullptr, html.data(), html.size());
        TCanvas canvas(fake);
        arrangeEachIteration(state, doc, canvas, 600);
    }
    SetScreenMetrics(nullptr);
    state.SetItemsProcessed(state.iterations() * state.range(0));
}

void BM_LayoutManyLists(benchmark::State& state) { layoutMany(state, true); }
BENCHMARK(BM_LayoutManyLists)->Arg(5000)->Arg(10000)->Arg(20000)->Unit(benchmark::kMillisecond);

void BM_LayoutManyParagraphs(benchmark::State& state) { layoutMany(state, false); }
BENCHMARK(BM_LayoutManyParagraphs)->Arg(5000)->Arg(10000)->Arg(20000)->Unit(benchmark::kMillisecond);

// Ten pages of 1,000 rows laid out in turn: the rows of one 10,000-row page,
// in documents that each fit the processor's cache. Its time per row against
// BM_LayoutIcPage/1000 and /10000 tells what a long page costs for its size
// in memory rather than for its length.
void BM_LayoutIcPagesInTurn(benchmark::State& state) {
    QtTextMetrics qt;
    SetScreenMetrics(&qt);
    {
        const auto lines = icPage(1000);
        std::vector<std::unique_ptr<TSectionList>> docs;
        for (int i = 0; i < state.range(0); ++i) {
            docs.push_back(std::make_unique<TSectionList>(nullptr, nullptr));
            THtmlParser parser;
            parser.ParseHtmlStrings(*docs.back(), nullptr, lines);
        }
        TCanvas canvas(qt);
        for (auto _ : state)
            for (auto& doc : docs) {
                int ci = 0, mw = 0;
                benchmark::DoNotOptimize(doc->Arrange(canvas, 0, 1000, ci, mw));
            }
    }
    SetScreenMetrics(nullptr);
    state.SetItemsProcessed(state.iterations() * state.range(0) * 1000);
}
BENCHMARK(BM_LayoutIcPagesInTurn)->Arg(10)->Unit(benchmark::kMillisecond);

// N text inputs and radio buttons in one paragraph, each followed by a bold
// word, against the same one per paragraph (the baseline, with as many
// windows to touch): finding a control or a font run by its position must
// not walk the paragraph's others, so the first must not fall behind the
// second as N doubles. (Both slow down per control as their windows
// outgrow the processor's cache.)
std::string manyControls(int n, bool oneParagraph) {
    std::string s = "<FORM>";
    for (int i = 0; i < n; ++i) {
        const std::string control = i % 2 ? "<INPUT TYPE=radio NAME=r" + std::to_string(i % 7) + ">"
                                          : "<INPUT NAME=t SIZE=4>";
        s += (oneParagraph ? "" : "<P>") + control + " <B>x</B>\r\n";
    }
    return s + "</FORM>";
}

void layoutControls(benchmark::State& state, bool oneParagraph) {
    FakeTextMetrics fake;
    SetScreenMetrics(&fake);
    {
        QWidget panel;
        const std::string html = manyControls(static_cast<int>(state.range(0)), oneParagraph);
        TSectionList doc(nullptr, &panel);
        THtmlParser parser;
        parser.ParseHtmlBuffer(doc, nullptr, html.data(), html.size());
        if (doc.Controls.size() != static_cast<std::size_t>(state.range(0))) state.SkipWithError("controls missing");
        QCoreApplication::sendPostedEvents();  // as the program's event loop would
        TCanvas canvas(fake);
        arrangeEachIteration(state, doc, canvas, 600);
        doc.Clear();
    }
    SetScreenMetrics(nullptr);
    state.SetItemsProcessed(state.iterations() * state.range(0));
}

void BM_LayoutControlsInOneParagraph(benchmark::State& state) { layoutControls(state, true); }
BENCHMARK(BM_LayoutControlsInOneParagraph)->Arg(2000)->Arg(4000)->Arg(8000)->Unit(benchmark::kMillisecond);

void BM_LayoutControlsOnePerParagraph(benchmark::State& state) { layoutControls(state, false); }
BENCHMARK(BM_LayoutControlsOnePerParagraph)->Arg(2000)->Arg(4000)->Arg(8000)->Unit(benchmark::kMillisecond);

// N small pictures (WIDTH and HEIGHT given, one picture shared, aligned
// top, middle and bottom in turn) in one paragraph, each followed by a
// word, against the same one per paragraph (the baseline): finding an
// image by its position and the images on a line must not walk the
// paragraph's others, so the first must not fall behind the second as N
// doubles.
std::string manyImages(int n, bool oneParagraph) {
    static const char* const aligns[] = {"TOP", "MIDDLE", "BOTTOM"};
    std::string s;
    for (int i = 0; i < n; ++i)
        s += std::string(oneParagraph ? "" : "<P>") + "<IMG SRC=dot.bmp WIDTH=12 HEIGHT=" +
             std::to_string(10 + i % 9) + " ALIGN=" + aligns[i % 3] + "> x\r\n";
    return s;
}

void layoutImages(benchmark::State& state, bool oneParagraph) {
    FakeTextMetrics fake;
    SetScreenMetrics(&fake);
    {
        QImage dot(4, 4, QImage::Format_RGB32);
        dot.fill(Qt::darkGreen);
        QByteArray bmp;
        QBuffer buffer(&bmp);
        buffer.open(QIODevice::WriteOnly);
        dot.save(&buffer, "BMP");
        TMemoryStream stream;
        stream.Data.assign(bmp.constData(), static_cast<std::size_t>(bmp.size()));
        const std::string html = manyImages(static_cast<int>(state.range(0)), oneParagraph);
        TSectionList doc(nullptr, nullptr);
        doc.ImagesOn = true;
        doc.OnImageRequest = [&stream](QWidget*, const std::string&, TMemoryStream*& s) { s = &stream; };
        THtmlParser parser;
        parser.ParseHtmlBuffer(doc, nullptr, html.data(), html.size());
        int images = 0;
        for (int i = 0; i < doc.Count(); ++i)
            if (const auto* section = dynamic_cast<const TSection*>(doc.Items(i))) images += section->Images.Count();
        if (images != state.range(0)) state.SkipWithError("images missing");
        TCanvas canvas(fake);
        arrangeEachIteration(state, doc, canvas, 600);
        doc.Clear();
    }
    SetScreenMetrics(nullptr);
    state.SetItemsProcessed(state.iterations() * state.range(0));
}

void BM_LayoutImagesInOneParagraph(benchmark::State& state) { layoutImages(state, true); }
BENCHMARK(BM_LayoutImagesInOneParagraph)->Arg(2000)->Arg(4000)->Arg(8000)->Unit(benchmark::kMillisecond);

void BM_LayoutImagesOnePerParagraph(benchmark::State& state) { layoutImages(state, false); }
BENCHMARK(BM_LayoutImagesOnePerParagraph)->Arg(2000)->Arg(4000)->Arg(8000)->Unit(benchmark::kMillisecond);

// One submit of a form whose TEXTAREA holds N lines. Taken once per submit,
// the lines keep items per second of one order at 2,000 and 20,000 lines;
// rebuilt per line, the rate fell tenfold with each tenfold of lines.
void BM_SubmitTextArea(benchmark::State& state) {
    TSectionList doc(nullptr, nullptr);
    std::size_t entries = 0;
    doc.SubmitHook = [&entries](QWidget*, const std::string&, const std::string&, const std::string&,
                                const std::string&, std::vector<std::string> results) { entries = results.size(); };
    THtmlParser parser;
    const std::string html = "<FORM><TEXTAREA NAME=t></TEXTAREA></FORM>";
    parser.ParseHtmlBuffer(doc, nullptr, html.data(), html.size());
    auto* area = dynamic_cast<TTextAreaFormControlObj*>(doc.Controls.at(0));
    QString text;
    for (int i = 0; i < state.range(0); ++i) text += QStringLiteral("line %1 of the repair notes\n").arg(i);
    area->Memo()->setPlainText(text);
    for (auto _ : state) doc.Forms[0]->Submit(nullptr);
    if (entries != static_cast<std::size_t>(state.range(0)) + 1) state.SkipWithError("wrong entry count");
    state.SetItemsProcessed(state.iterations() * state.range(0));
}
BENCHMARK(BM_SubmitTextArea)->Arg(2000)->Arg(20000)->Unit(benchmark::kMillisecond);
}  // namespace

int main(int argc, char** argv) {
    setenv("QT_QPA_PLATFORM", "offscreen", 0);
    QApplication app(argc, argv);  // the form controls are widgets
    benchmark::Initialize(&argc, argv);
    benchmark::RunSpecifiedBenchmarks();
    return 0;
}
