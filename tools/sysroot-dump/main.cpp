// sysroot-dump ROOT [--registry | --files]
// Prints the registry of a system root as sorted REGEDIT4 text, then the
// files of its drives. Changes nothing in the root.
#include <cstdio>
#include <cstring>
#include <filesystem>
#include <iostream>

#include "tools/sysroot-dump/RootDump.h"

int main(int argc, char** argv) {
    const char* rootArg = nullptr;
    bool registry = true, files = true;
    for (int i = 1; i < argc; ++i) {
        if (std::strcmp(argv[i], "--registry") == 0) {
            files = false;
        } else if (std::strcmp(argv[i], "--files") == 0) {
            registry = false;
        } else if (!rootArg && argv[i][0] != '-') {
            rootArg = argv[i];
        } else {
            rootArg = nullptr;
            break;
        }
    }
    if (!rootArg || (!registry && !files)) {
        std::cerr << "usage: sysroot-dump ROOT [--registry | --files]\n";
        return 2;
    }
    std::filesystem::path root(rootArg);
    std::error_code ec;
    if (!std::filesystem::is_directory(root, ec)) {
        std::cerr << "sysroot-dump: " << root.string() << " is not a directory\n";
        return 2;
    }
    bool damaged = false;
    try {
        if (registry) std::cout << platform::DumpRegistry(root, damaged);
        if (registry && files) std::cout << "; files\n";
        if (files) std::cout << platform::DumpFiles(root);
    } catch (const std::exception& e) {
        std::cerr << "sysroot-dump: " << e.what() << "\n";
        return 1;
    }
    return damaged ? 1 : 0;
}
