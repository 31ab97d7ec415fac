#include "platform/windows/modules/LoadedModule.h"

#include <dlfcn.h>

#include <cstring>

#include "platform/core/runtime/PathCase.h"
#include "platform/windows/modules/ModuleHost.h"
#include "platform/windows/registry/RegistryStore.h"
#include "platform/windows/sysroot/SystemRoot.h"

namespace platform {
namespace {

int CopyOut(const std::string& text, char* buffer, std::size_t size) {
    if (!buffer || text.size() + 1 > size) return -1;
    std::memcpy(buffer, text.c_str(), text.size() + 1);
    return static_cast<int>(text.size());
}

int HostPathOf(const char* windowsPath, char* buffer, std::size_t size) {
    if (!windowsPath) return -1;
    try {
        return CopyOut(Files().HostPath(windowsPath).string(), buffer, size) < 0 ? -1 : 0;
    } catch (const std::exception&) {
        return -1;  // refused by the file layer
    }
}

int ReadMachineString(const char* key, const char* name, char* buffer, std::size_t size) {
    if (!key || !name) return -1;
    try {
        const auto value = Registry().ReadString(RegRoot::LocalMachine, key, name);
        return value ? CopyOut(*value, buffer, size) : -1;
    } catch (const std::exception&) {
        return -1;
    }
}

int WriteMachineString(const char* key, const char* name, const char* value) {
    if (!key || !name || !value) return -1;
    try {
        auto& registry = Registry();
        if (!registry.CreateKey(RegRoot::LocalMachine, key)) return -1;
        return registry.WriteString(RegRoot::LocalMachine, key, name, value) ? 0 : -1;
    } catch (const std::exception&) {
        return -1;
    }
}

int MayWrite(const char* windowsPath) {
    if (!windowsPath) return -1;
    try {
        auto& files = Files();
        files.HostPath(windowsPath);
        return files.IsInUse(windowsPath) ? -1 : 0;
    } catch (const std::exception&) {
        return -1;
    }
}

const VorelModuleHost kHost = {1, &HostPathOf, &ReadMachineString, &WriteMachineString, &MayWrite};

}  // namespace

std::vector<std::string> ModuleSearchDirs(const std::string& programDir) {
    auto& files = Files();
    std::vector<std::string> dirs;
    auto add = [&](const std::string& dir) {
        if (dir.empty()) return;
        std::string full;
        try {
            full = files.ExpandFileName(dir);
        } catch (const std::exception&) {
            return;
        }
        for (const std::string& known : dirs)
            if (SameNameIgnoringCase(known, full)) return;
        dirs.push_back(full);
    };
    add(programDir);
    add(files.CurrentDir());
    add(files.Facts().SystemDir());
    add(files.Facts().WindowsDir());
    return dirs;
}

std::unique_ptr<LoadedModule> LoadedModule::Load(const std::string& fileName, const std::vector<std::string>& dirs,
                                                 std::string* lastError) {
    auto& files = Files();
    for (const std::string& dir : dirs) {
        std::string path = dir;
        if (!path.empty() && path.back() != '\\') path += '\\';
        path += fileName;
        std::filesystem::path host;
        try {
            if (!files.FileExists(path)) continue;
            host = files.HostPath(path);
        } catch (const std::exception&) {
            continue;  // a directory the file layer refuses holds nothing
        }
        void* handle = dlopen(host.c_str(), RTLD_NOW | RTLD_LOCAL);
        if (!handle) {
            if (lastError) {
                const char* why = dlerror();
                *lastError = why ? why : "cannot load " + path;
            }
            continue;
        }
        if (auto attach = reinterpret_cast<VorelAttachHostProc>(dlsym(handle, "VorelAttachHost"))) attach(&kHost);
        return std::unique_ptr<LoadedModule>(new LoadedModule(handle, files.ExpandFileName(path)));
    }
    return nullptr;
}

LoadedModule::~LoadedModule() { dlclose(handle_); }

void* LoadedModule::Proc(const char* name) const { return dlsym(handle_, name); }

}  // namespace platform
