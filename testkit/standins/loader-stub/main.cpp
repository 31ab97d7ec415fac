// A stand-in setup program for the loading program's tests: it appends to
// the file that LOADER_STUB_LOG names its own path, its working directory, whether its folder is private,
// the files beside it and its arguments, one per line, and exits with the
// status that LOADER_STUB_STATUS gives (0 without it).
#include <cstdlib>
#include <filesystem>
#include <fstream>
#include <set>

int main(int argc, char** argv) {
    namespace fs = std::filesystem;
    const char* log = std::getenv("LOADER_STUB_LOG");
    if (!log) return 2;
    std::ofstream out(log, std::ios::app);
    const fs::path self = fs::read_symlink("/proc/self/exe");
    out << "exe " << self.string() << '\n' << "cwd " << fs::current_path().string() << '\n';
    const auto perms = fs::status(self.parent_path()).permissions();
    out << "private " << ((perms & (fs::perms::group_all | fs::perms::others_all)) == fs::perms::none) << '\n';
    std::set<std::string> beside;
    for (const auto& entry : fs::directory_iterator(self.parent_path())) beside.insert(entry.path().filename().string());
    for (const auto& name : beside) out << "file " << name << '\n';
    for (int i = 1; i < argc; ++i) out << "arg " << argv[i] << '\n';
    const char* status = std::getenv("LOADER_STUB_STATUS");
    return status ? std::atoi(status) : 0;
}
