#pragma once
// Debug logs of the order in which components are packed and installed:
// "TmslCompressOrder.txt" and "TmslInstallOrder.txt" in the Windows
// directory, one line per entry. They are written on every pass; a log that
// cannot be written is skipped, never ending the pass.
#include <string>

namespace installer {

void LogCompressOrder(const std::string& text);
void LogInstallOrder(const std::string& text);

}  // namespace installer
