#pragma once
// Path texts of the archive: joining a folder and a name, and the check that
// a member's name may be written into a folder as it stands.
#include <string>

namespace installer {

// Directory + one backslash + name (no second separator when dir ends in one).
std::string ArchiveJoin(const std::string& dir, const std::string& name);
// Not empty, not "." or "..", no separators, drive colons or control characters.
bool IsPlainFileName(const std::string& name);
// The part of a member's stored path after its last '\\' or '/'.
std::string MemberTail(const std::string& path);
// Whether extraction gives a member back under the name it was packed with:
// its tail is a Windows file name (no drive, no ':', none of <>"|?*, no
// trailing dot or blank), so nothing before a ':' is dropped on the way.
bool KeepsItsName(const std::string& path);

}  // namespace installer
