// htmlprobe prints what the viewer makes of an HTML file (FILE or - for
// standard input):
//   tokens FILE                      one line per token, "SYMBOL [text]" with
//                                    the tag's attributes indented below it
//   tree FILE                        the parsed document tree
//   layout [--fake] [--width W] [--images] FILE
//                                    the tree laid out at W pixels (default
//                                    600): positions, heights, character
//                                    indexes, lines, column widths, row
//                                    heights, and each image's size
//   png --width W [--images] FILE OUT the document painted onto an image, with
//                                    the Liberation fonts as the program uses
// With --images, pictures (and the body's BACKGROUND, which png tiles) are
// loaded from the files their links name, resolved as the viewer control
// does (relative to the page or its BASE, each folder matched ignoring
// case); without, their placeholders stand in.
// Text is shown as Windows-1252 bytes converted to UTF-8; control characters
// as \xNN.
#include "htmlview/control/BackgroundTiles.h"
#include "htmlview/control/LinkFiles.h"
#include "htmlview/layout/Canvas.h"
#include "htmlview/parser/Parser.h"
#include "htmlview/parser/TreeDump.h"
#include "htmlview/tokenizer/Tokenizer.h"
#include "htmlview/util/HtmlUtils.h"
#include "platform/core/runtime/Codepage.h"
#include "platform/core/runtime/Text.h"

#include <QApplication>
#include <QImage>
#include <QPainter>
#include <cstdlib>

#include <algorithm>
#include <cstdio>
#include <filesystem>
#include <iostream>
#include <optional>
#include <iterator>
#include <sstream>
#include <fstream>

using namespace htmlview;

namespace {
std::string shown(const std::string& bytes) {
    std::string r;
    for (unsigned char c : bytes) {
        if (c < 32 || c == '\\') {
            char buf[8];
            std::snprintf(buf, sizeof buf, "\\x%02X", c);
            r += buf;
        } else {
            r += static_cast<char>(c);
        }
    }
    return platform::Cp1252ToUtf8(r);
}

int usage() {
    std::cerr << "usage: htmlprobe tokens FILE|-\n"
                 "       htmlprobe tree FILE|-\n"
                 "       htmlprobe layout [--fake] [--width W] [--images] FILE|-\n"
                 "       htmlprobe png --width W [--images] FILE|- OUT\n";
    return 2;
}

int dumpTokens(const std::string& html) {
    THtmlTokenizer t;
    t.SetBuffer(html.data(), html.size());
    try {
        t.ReadCharSkipComments();
        for (t.ReadNextToken(); t.Sym != symEndOfInput; t.ReadNextToken()) {
            std::cout << SymbolName(t.Sym);
            if (t.Sym == symH || t.Sym == symEndH) std::cout << t.HeadingLevel;
            if (!t.TokenText.empty()) std::cout << " [" << shown(t.TokenText) << "]";
            std::cout << "\n";
            if (KeepsAttributes(t.Sym))
                for (int i = 0; i < t.Attributes.Count(); ++i) {
                    const TAttribute* a = t.Attributes[i];
                    std::cout << "  " << SymbolName(static_cast<THtmlSymbol>(a->Symbol)) << "="
                              << a->NumValue << " [" << shown(a->Text) << "]\n";
                }
        }
    } catch (const EParseError& e) {
        std::cout << "error: " << e.what() << "\n";
        return 1;
    }
    return 0;
}
}  // namespace

// The document of a page, parsed with the viewer's defaults (white page).
struct Page {
    TSectionList doc{nullptr, nullptr};
    std::string base;  // the page's BASE
    // PageFile is the page whose links name pictures when given (none = images off).
    Page(const std::string& html, const std::optional<std::filesystem::path>& pageFile) {
        doc.ErrorReporter = [](const std::string& m) { std::cerr << "layout error: " << m << "\n"; };
        doc.SetBackColor(clWhite);
        if (pageFile) {
            doc.ImagesOn = true;
            doc.LinkToFileName = [this, file = pageFile->string()](const std::string& link) {
                return LinkFileName(link, "", base, file);
            };
        }
        THtmlParser parser;
        try {
            parser.ParseHtmlBuffer(doc, nullptr, html.data(), html.size());
        } catch (const EParseError& e) {
            std::cerr << "error: " << e.what() << "\n";
        }
        base = parser.BaseHref;
        doc.FetchBackImage();
    }
    int arrange(TCanvas& canvas, int width) {
        int ci = 0, mw = 0;
        return doc.Arrange(canvas, 0, width, ci, mw);
    }
};

using PageFile = std::optional<std::filesystem::path>;  // when pictures load

int dumpTree(const std::string& html, bool layout, bool fake, int width, const PageFile& pageFile) {
    FakeTextMetrics fakeMetrics;
    if (fake) SetScreenMetrics(&fakeMetrics);
    int rc = 0;
    {
        Page page(html, pageFile);
        if (layout) {
            TCanvas canvas(ScreenMetrics());
            const int h = page.arrange(canvas, width);
            std::cout << "document width=" << width << " height=" << h << " chars=" << page.doc.CharCount << "\n";
        }
        std::cout << DumpTree(page.doc, layout);
    }
    SetScreenMetrics(nullptr);
    return rc;
}

int paintPng(const std::string& html, int width, const std::string& out, const PageFile& pageFile) {
    Page page(html, pageFile);
    TCanvas measure(ScreenMetrics());
    const int h = std::clamp(page.arrange(measure, width), 1, 32000);
    QImage image(width, h, QImage::Format_RGB32);
    const TColor back = ColorToRGB(page.doc.BackColor);
    {
        QPainter painter(&image);
        const auto& tile = page.doc.BackBitmap;
        PaintBackground(painter, image.rect(), tile ? tile->Bitmap : QImage(), 0, 0,
                        QColor(RedOf(back), GreenOf(back), BlueOf(back)));
        TCanvas canvas(ScreenMetrics(), &painter);
        page.doc.Paint(canvas, QRect(0, 0, width, h), 0, 0, width);
    }
    if (!image.save(QString::fromStdString(out), "PNG")) {
        std::cerr << "htmlprobe: cannot write " << out << "\n";
        return 1;
    }
    return 0;
}

int main(int argc, char** argv) {
    if (argc < 3) return usage();
    std::string cmd = argv[1];
    bool fake = false, images = false;
    int width = 600;
    std::vector<std::string> rest;
    for (int i = 2; i < argc; ++i) {
        std::string a = argv[i];
        if (a == "--fake") fake = true;
        else if (a == "--images") images = true;
        else if (a == "--width" && i + 1 < argc) width = std::clamp(std::atoi(argv[++i]), 1, 32000);
        else rest.push_back(a);
    }
    if (rest.empty() || rest.size() > 2 || (rest.size() == 2) != (cmd == "png")) return usage();
    const std::string file = rest[0];
    std::string bytes;
    if (file == "-") {
        bytes.assign(std::istreambuf_iterator<char>(std::cin), {});
    } else {
        std::ifstream in(file, std::ios::binary);
        if (!in) {
            std::cerr << "htmlprobe: cannot open " << file << "\n";
            return 2;
        }
        bytes.assign(std::istreambuf_iterator<char>(in), {});
    }
    // Valid UTF-8 with non-ASCII characters enters the viewer as Windows-1252.
    if (platform::HasNonAscii(bytes) && platform::IsValidUtf8(bytes)) bytes = platform::Utf8ToCp1252(bytes);
    if (cmd == "tokens") return dumpTokens(bytes);
    if (cmd != "tree" && cmd != "layout" && cmd != "png") return usage();
    if (!std::getenv("QT_QPA_PLATFORM")) setenv("QT_QPA_PLATFORM", "offscreen", 1);
    QApplication app(argc, argv);
    // Links of a page read from standard input are relative to the current folder.
    PageFile pageFile;
    if (images) pageFile = file == "-" ? std::filesystem::current_path() / "-" : std::filesystem::absolute(file);
    if (cmd == "png") {
        // Painted as the program shows pages: with the fonts the pages were written for.
        SetWindowsFaces(TWindowsFaces::Liberation);
        return paintPng(bytes, width, rest[1], pageFile);
    }
    return dumpTree(bytes, cmd == "layout", fake, width, pageFile);
}
