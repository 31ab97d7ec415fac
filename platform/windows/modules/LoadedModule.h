#pragma once
// Library modules of the simulated Windows: a module is a host shared
// object lying in the system root under its Windows file name
// ("IDAPINST.DLL"). Loading by a bare name searches the given directories
// in order (ignoring case, as Windows does) and loads the first match; a
// module that exports "VorelAttachHost" is then given the root's services
// (ModuleHost.h). The module is unloaded when the object goes.
#include <memory>
#include <string>
#include <vector>

namespace platform {

class LoadedModule {
public:
    // The first of dirs (full Windows paths) holding fileName, loaded; null
    // when none holds it or the host cannot load it (why() of the last
    // failure is kept in lastError when given).
    static std::unique_ptr<LoadedModule> Load(const std::string& fileName, const std::vector<std::string>& dirs,
                                              std::string* lastError = nullptr);
    ~LoadedModule();
    LoadedModule(const LoadedModule&) = delete;
    LoadedModule& operator=(const LoadedModule&) = delete;

    // The Windows path the module was loaded from.
    const std::string& Path() const { return path_; }
    // The address of an exported entry point; nullptr when the module has none.
    void* Proc(const char* name) const;

private:
    LoadedModule(void* handle, std::string path) : handle_(handle), path_(std::move(path)) {}
    void* handle_;
    std::string path_;
};

// Where Windows looks for a module loaded by its bare name: the program's
// own directory (when given), the current directory, the system directory,
// the Windows directory; each once, in that order.
std::vector<std::string> ModuleSearchDirs(const std::string& programDir);

}  // namespace platform
