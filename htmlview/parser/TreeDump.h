#pragma once
// A plain-text picture of a document tree, for probes and tests: one line
// per block, cells indented below their tables. With Layout, each block also
// shows its position and size, sections their lines and tables their column
// widths and row heights.
#include <string>

namespace htmlview {

class TCell;

std::string DumpTree(const TCell& cell, bool layout);

}  // namespace htmlview
