#pragma once
// Shell-link files (".LNK") as the Windows shell writes them, in the public
// binary format: the 76-byte header, a link-info block holding the target's
// local base path on its volume, and the string data for the working
// directory and the arguments (each present only when not empty), UTF-16.
// No item-id list is written; readers find the target by its path.
#include <cstdint>
#include <string>

#include "platform/core/runtime/Exception.h"

namespace platform {

// A link that the format cannot hold: a target that is no full drive path,
// a text longer than 65535 UTF-16 units.
class EShellLinkError : public Exception {
public:
    using Exception::Exception;
};

struct ShellLinkData {
    std::string targetPath;  // full Windows path "C:\dir\file.exe" (UTF-8)
    std::string workingDir;  // empty: not written
    std::string arguments;   // empty: not written
    std::uint16_t hotKey = 0;  // virtual key in the low byte, modifiers in the high byte
    // What is known of the target: 0x10 a directory, 0x20 a file, 0 missing.
    std::uint32_t targetAttributes = 0;
    std::uint32_t targetSize = 0;  // low 32 bits of a file's size
};

// The bytes of the link file. Raises EShellLinkError.
std::string ShellLinkBytes(const ShellLinkData& link);

// Fills the target's attributes and size from the current system root and
// writes the link file at a Windows path there, replacing an existing one.
// Raises EShellLinkError, or the file system's errors.
void SaveShellLink(ShellLinkData link, const std::string& linkPath);

}  // namespace platform
