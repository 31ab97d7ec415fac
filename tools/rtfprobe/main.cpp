// rtfprobe shows what the RTF reader makes of a file (FILE or - for standard
// input):
//   dump FILE    one line per paragraph (alignment, indents in twips,
//                bullet), one indented line per run (font, size in half
//                points, colour, styles, [text])
//   text FILE    the plain text, paragraphs on lines
//   write FILE   the document written back as RTF by our writer
// A file that cannot be read prints "error: message" and exits with 1.
#include <cstdio>
#include <fstream>
#include <iostream>
#include <iterator>
#include <sstream>

#include "app/rtf/Rtf.h"

namespace {

std::string ReadInput(const std::string& name) {
    std::stringstream ss;
    if (name == "-") {
        ss << std::cin.rdbuf();
    } else {
        std::ifstream in(name, std::ios::binary);
        if (!in) throw rtf::RtfError("cannot open " + name);
        ss << in.rdbuf();
    }
    return ss.str();
}

const char* AlignName(rtf::Align a) {
    switch (a) {
        case rtf::Align::Left: return "left";
        case rtf::Align::Right: return "right";
        case rtf::Align::Center: return "center";
        case rtf::Align::Justify: break;
    }
    return "justify";
}

// Control characters shown as \xNN so every run stays on one line.
std::string Visible(const std::string& text) {
    std::string out;
    for (unsigned char c : text) {
        if (c < 0x20) {
            char buf[8];
            std::snprintf(buf, sizeof buf, "\\x%02X", c);
            out += buf;
        } else {
            out += static_cast<char>(c);
        }
    }
    return out;
}

void Dump(const rtf::Document& d) {
    for (const rtf::Paragraph& p : d.paragraphs) {
        std::cout << "paragraph align=" << AlignName(p.format.align) << " first=" << p.format.firstTwips
                  << " left=" << p.format.leftTwips << " right=" << p.format.rightTwips
                  << (p.format.bullet ? " bullet" : "") << "\n";
        for (const rtf::Run& r : p.runs) {
            std::cout << "  run font=\"" << r.format.font << "\" size=" << r.format.halfPoints;
            if (r.format.color) {
                char buf[16];
                std::snprintf(buf, sizeof buf, "#%06x", *r.format.color);
                std::cout << " color=" << buf;
            }
            if (r.format.bold) std::cout << " bold";
            if (r.format.italic) std::cout << " italic";
            if (r.format.underline) std::cout << " underline";
            std::cout << " [" << Visible(r.text) << "]\n";
        }
    }
}

}  // namespace

int main(int argc, char** argv) {
    if (argc != 3) {
        std::cerr << "usage: rtfprobe dump|text|write FILE\n";
        return 2;
    }
    const std::string mode = argv[1];
    try {
        const rtf::Document d = rtf::Read(ReadInput(argv[2]));
        if (mode == "dump") Dump(d);
        else if (mode == "text") std::cout << d.PlainText() << "\n";
        else if (mode == "write") std::cout << rtf::Write(d);
        else {
            std::cerr << "usage: rtfprobe dump|text|write FILE\n";
            return 2;
        }
    } catch (const rtf::RtfError& e) {
        std::cout << "error: " << e.what() << "\n";
        return 1;
    }
    return 0;
}
