// libFuzzer target for a page as the viewer shows it: any bytes are
// tokenised and parsed into a document with every form control, laid out
// with the fake measurer at two widths, dumped, painted offscreen, stepped
// through its animations and submitted. Pictures come from the host's image
// request: an animated GIF for names starting with "g", a BMP for "b", "not
// ready" for "p", nothing otherwise. The sanitizers and the viewer's
// assertions catch what goes wrong.
#include "htmlview/images/ImageCache.h"
#include "htmlview/layout/Canvas.h"
#include "htmlview/parser/Parser.h"
#include "htmlview/parser/TreeDump.h"

#include <QApplication>
#include <QImage>
#include <QPainter>
#include <QWidget>
#include <algorithm>
#include <cstddef>
#include <cstdint>
#include <cstdlib>

namespace {
using namespace htmlview;

// A two-frame 2 x 1 animation with a transparent first frame.
const char kAnimation[] =
    "GIF89a\x02\x00\x01\x00\x81\x00\x00\x00\x00\x00\xff\x00\x00\x00\xff\x00\x00\x00\xff"
    "!\xff\x0bNETSCAPE2.0\x03\x01\x00\x00\x00!\xf9\x04\x0d\x05\x00\x00\x00"
    ",\x00\x00\x00\x00\x02\x00\x01\x00\x00\x02\x02\x44\x01\x00"
    ",\x00\x00\x00\x00\x01\x00\x01\x00\x00\x02\x02\x44\x01\x00;";
// A 2 x 1 24-bit BMP.
const char kBitmap[] =
    "BM\x3e\x00\x00\x00\x00\x00\x00\x00\x36\x00\x00\x00\x28\x00\x00\x00\x02\x00\x00\x00\x01\x00\x00\x00\x01\x00"
    "\x18\x00\x00\x00\x00\x00\x08\x00\x00\x00\x00\x00\x00\x00\x00\x00\x00\x00\x00\x00\x00\x00\x00\x00\x00\x00"
    "\x00\x00\xff\x00\x00\xff\x00\x00";

struct Host {
    QApplication* app;
    QWidget* panel;
    FakeTextMetrics* metrics;
};

Host& host() {
    static Host h = [] {
        setenv("QT_QPA_PLATFORM", "offscreen", 1);
        static int argc = 1;
        static char name[] = "html_fuzz";
        static char* argv[] = {name, nullptr};
        Host made{new QApplication(argc, argv), new QWidget, new FakeTextMetrics};
        SetScreenMetrics(made.metrics);
        return made;
    }();
    return h;
}

void paint(TSectionList& doc, int width, int height) {
    QImage page(width, std::clamp(height, 1, 400), QImage::Format_RGB32);
    page.fill(Qt::white);
    QPainter painter(&page);
    TCanvas canvas(ScreenMetrics(), &painter);
    doc.Paint(canvas, page.rect(), 0, 0, width);
}

int arrange(TSectionList& doc, int width) {
    TCanvas canvas(ScreenMetrics());
    int charIndex = 0, maxWidth = 0;
    return doc.Arrange(canvas, 0, width, charIndex, maxWidth);
}
}  // namespace

// Fontconfig keeps the font cache Qt loads for painting text until the
// process ends; that is no leak of the viewer's.
extern "C" const char* __lsan_default_suppressions() { return "leak:libfontconfig\n"; }

extern "C" int LLVMFuzzerTestOneInput(const std::uint8_t* data, std::size_t size) {
    Host& h = host();
    TMemoryStream animation{std::string(kAnimation, sizeof kAnimation - 1)};
    TMemoryStream bitmap{std::string(kBitmap, sizeof kBitmap - 1)};
    {
        TSectionList doc(h.panel, h.panel);
        doc.ErrorReporter = [](const std::string&) {};
        doc.SubmitHook = [](QWidget*, const std::string&, const std::string&, const std::string&, const std::string&,
                            std::vector<std::string>) {};
        doc.ImagesOn = true;
        doc.OnImageRequest = [&](QWidget*, const std::string& src, TMemoryStream*& stream) {
            const char first = src.empty() ? 0 : src[0];
            stream = first == 'g' ? &animation : first == 'b' ? &bitmap : first == 'p' ? NotReadyStream() : nullptr;
        };
        doc.SetBackColor(clWhite);
        TStringList names;
        doc.NameList = &names;
        THtmlParser parser;
        try {
            parser.ParseHtmlBuffer(doc, &names, reinterpret_cast<const char*>(data), size);
        } catch (const EParseError&) {
            // an open comment: what came before it stays in the document
        }
        (void)doc.FetchBackImage();
        for (int width : {600, 40}) {
            const int height = arrange(doc, width);
            (void)DumpTree(doc, true);
            paint(doc, width, height);
            doc.AnimateGifs();
        }
        doc.SetScrollY(50);
        paint(doc, 600, 400);
        for (int i = 0; i < doc.Forms.Count(); ++i) doc.Forms[i]->Submit(nullptr);
        doc.InsertImage("p", bitmap.Data);
        doc.Clear();
    }
    ImageCache().Clear();
    return 0;
}
