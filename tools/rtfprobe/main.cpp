// rtfprobe shows what the RTF reader makes of a file (FILE or - for standard
// input):
//   dump FILE    one line per paragraph (alignment, indents and spacing
//                in twips, tab stops, list), one indented line per run
//                (font, size in half points, colour, styles, [text])
//   text FILE    the plain text, paragraphs on lines
//   write FILE   the document written back as RTF by our writer
// A file that cannot be read prints "error: message" and exits with 1.
#include <fstream>
#include <iostream>
#include <sstream>

#include "app/rtf/Rtf.h"
#include "app/rtf/RtfDump.h"

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

}  // namespace

int main(int argc, char** argv) {
    if (argc != 3) {
        std::cerr << "usage: rtfprobe dump|text|write FILE\n";
        return 2;
    }
    const std::string mode = argv[1];
    try {
        const rtf::Document d = rtf::Read(ReadInput(argv[2]));
        if (mode == "dump") std::cout << rtf::Dump(d);
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
