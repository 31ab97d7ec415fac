#include "installer/registry/RegistryRoutines.h"

#include "installer/base/ApiRoutines.h"
#include "platform/core/inifile/IniFile.h"
#include "platform/core/runtime/Format.h"
#include "platform/core/runtime/PathCase.h"
#include "platform/windows/registry/RegistryStore.h"
#include "platform/windows/sysroot/SystemRoot.h"
#include "platform/windows/sysroot/WinPath.h"

namespace installer {

void SetRegistryRoot(platform::TRegistry& registry, int rootNumber) {
    if (auto root = platform::RegRootFromNumber(rootNumber)) registry.SetRootKey(*root);
}

int RootKeyFromHKEY(std::uint32_t rootKey, int defaultNumber) {
    switch (rootKey) {
    case HKEY_CLASSES_ROOT: return 0;
    case HKEY_CURRENT_CONFIG: return 1;
    case HKEY_CURRENT_USER: return 2;
    case HKEY_DYN_DATA: return 3;
    case HKEY_LOCAL_MACHINE: return 4;
    case HKEY_USERS: return 5;
    default: return defaultNumber;
    }
}

std::string RegistryFileProblem() {
    for (platform::RegRoot hive : {platform::RegRoot::LocalMachine, platform::RegRoot::CurrentUser})
        if (std::string problem = platform::Registry().LoadError(hive); !problem.empty()) return problem;
    return {};
}

void RegWriteString(int root, const std::string& key, const std::string& ident, const std::string& value) {
    TtmslRegistry reg;
    SetRegistryRoot(reg, root);
    auto fail = [&] {
        return EIRCannotWriteValue(
            platform::Format("Cannot install into registry. Key: %s Ident: %s Value %s", {key, ident, value}));
    };
    if (!reg.OpenKey(key, true)) throw fail();
    try {
        reg.WriteString(ident, value);
    } catch (const platform::ERegistryException&) {
        throw fail();
    }
}

void RegWriteInteger(int root, const std::string& key, const std::string& ident, std::int32_t value) {
    TtmslRegistry reg;
    SetRegistryRoot(reg, root);
    if (!reg.OpenKey(key, true)) throw EIRCannotWriteValue(key);
    try {
        reg.WriteInteger(ident, value);
    } catch (const platform::ERegistryException&) {
        throw EIRCannotWriteValue(key);
    }
}

std::string RegReadString(int root, const std::string& key, const std::string& ident,
                          const std::string& defaultValue) {
    TtmslRegistry reg;
    SetRegistryRoot(reg, root);
    if (!reg.KeyExists(key) || !reg.OpenKey(key, false) || !reg.ValueExists(ident)) return defaultValue;
    try {
        return reg.ReadString(ident);
    } catch (const platform::ERegistryException&) {
        return defaultValue;
    }
}

std::int32_t RegReadInteger(int root, const std::string& key, const std::string& ident, std::int32_t defaultValue) {
    TtmslRegistry reg;
    SetRegistryRoot(reg, root);
    if (!reg.KeyExists(key) || !reg.OpenKey(key, false) || !reg.ValueExists(ident)) return defaultValue;
    try {
        return reg.ReadInteger(ident);
    } catch (const platform::ERegistryException&) {
        return defaultValue;
    }
}

void RegDeleteKeyTree(int root, const std::string& key) {
    try {
        std::vector<std::string> names;
        {
            TtmslRegistry reg;
            SetRegistryRoot(reg, root);
            if (!reg.OpenKey(key, false)) return;
            names = reg.GetKeyNames();
            reg.CloseKey();
        }
        for (const auto& name : names) RegDeleteKeyTree(root, key + "\\" + name);
        TtmslRegistry reg;
        SetRegistryRoot(reg, root);
        reg.DeleteKey(key);
    } catch (const std::exception&) {
        // Deleting is best effort: leftovers do no harm.
    }
}

void RegDeleteEmptyKeys(const std::string& key, const std::string& top) {
    platform::RegistryStore& registry = platform::Registry();
    constexpr platform::RegRoot kMachine = platform::RegRoot::LocalMachine;
    for (std::string at = key; at.size() > top.size() && platform::SameNameIgnoringCase(at.substr(0, top.size()), top);
         at = at.substr(0, at.rfind('\\'))) {
        if (!registry.KeyExists(kMachine, at)) continue;
        if (!registry.ValueNames(kMachine, at).empty() || !registry.SubKeyNames(kMachine, at).empty()) return;
        registry.DeleteKey(kMachine, at);
    }
}

bool AddRunOnceEntry(const std::string& name, const std::string& commandLine, bool unique) {
    TtmslRegistry reg;
    reg.SetRootKey(platform::RegRoot::LocalMachine);
    if (!reg.OpenKey(kRunOnceKey, true)) return false;
    std::string valueName = name;
    if (unique)
        for (int n = 1; reg.ValueExists(valueName); ++n) valueName = name + std::to_string(n);
    try {
        reg.WriteString(valueName, commandLine);  // every write reaches the hive file at once
    } catch (const platform::ERegistryException&) {
        return false;
    }
    return true;
}

std::string ReadIniString(const std::string& fileName, const std::string& section, const std::string& ident) {
    std::string path = fileName;
    if (platform::ExtractFilePath(fileName).empty()) {
        try {
            path = GetWindowsDir() + "\\" + fileName;
        } catch (const platform::Exception&) {
            return "";
        }
    }
    try {
        return platform::IniFile(platform::Files().HostPath(path)).ReadString(section, ident, "");
    } catch (const platform::Exception&) {
        return "";  // a path out of the root or an unreadable file holds nothing
    }
}

}  // namespace installer
