#pragma once
// Whole-file access on host paths for the stand-ins that keep small text
// files (registry hives, INI files, the logs tests read): a write goes to a fresh temporary file in
// the same folder and is renamed over the old one, so a crash or a full disk
// never leaves half a file behind.
#include <filesystem>
#include <optional>
#include <string>

#include "platform/core/runtime/Exception.h"

namespace platform {

class EHostIoError : public Exception {
public:
    using Exception::Exception;
};

// The file's bytes, or nothing when it does not exist. Other read errors raise.
std::optional<std::string> ReadWholeFile(const std::filesystem::path& path);

// Replaces the file's content atomically; raises EHostIoError on failure
// (the old file stays as it was).
void WriteFileAtomically(const std::filesystem::path& path, const std::string& bytes);

// Appends bytes at the end of a file, creating it; false when they could
// not all be written. Each call is one write, so lines appended by several
// processes do not interleave.
bool AppendToFile(const std::filesystem::path& path, const std::string& bytes);

// Makes a new folder that only this user may enter, named prefix and six
// random characters, in parent; nothing (error set to errno) on failure.
std::optional<std::filesystem::path> MakePrivateFolder(const std::filesystem::path& parent, const std::string& prefix,
                                                       int& error);

}  // namespace platform
