#pragma once
// Test helpers: write a whole file at a Windows path in the current system
// root (making its folders first), and read one whole.
#include <string>

#include "platform/windows/sysroot/FileStream.h"
#include "platform/windows/sysroot/FileSystem.h"
#include "platform/windows/sysroot/SystemRoot.h"
#include "platform/windows/sysroot/WinPath.h"

namespace platform::testing {

inline void WriteTestFile(const std::string& path, const std::string& bytes) {
    Files().ForceDirectories(ExtractFileDir(path));
    auto out = Files().Open(path, FileMode::Create);
    out.WriteBuffer(bytes.data(), bytes.size());
}

inline std::string ReadTestFile(const std::string& path) {
    auto in = Files().Open(path, FileMode::Read);
    std::string bytes(static_cast<size_t>(in.Size()), '\0');
    in.ReadBuffer(bytes.data(), bytes.size());
    return bytes;
}

}  // namespace platform::testing
