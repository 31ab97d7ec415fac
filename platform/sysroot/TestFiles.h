#pragma once
// Test helper: writes a whole file at a Windows path in the current system
// root, making its folders first.
#include <string>

#include "platform/sysroot/FileStream.h"
#include "platform/sysroot/FileSystem.h"
#include "platform/sysroot/WinPath.h"

namespace platform::testing {

inline void WriteTestFile(const std::string& path, const std::string& bytes) {
    Files().ForceDirectories(ExtractFileDir(path));
    auto out = Files().Open(path, FileMode::Create);
    out.WriteBuffer(bytes.data(), bytes.size());
}

}  // namespace platform::testing
