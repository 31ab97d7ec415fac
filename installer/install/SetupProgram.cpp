#include "installer/install/SetupProgram.h"

#include "installer/components/EngineContext.h"
#include "installer/install/Install.h"
#include "installer/base/services/AppServices.h"
#include "platform/windows/registry/RegistryStore.h"
#include "platform/core/runtime/PathCase.h"
#include "platform/windows/sysroot/SystemRoot.h"

namespace installer {
namespace {
constexpr const char* kRecordsKey = "SOFTWARE\\Tamsel\\Install";
}  // namespace

int RunSetupProgram(const SetupConfiguration& configuration, const std::string& exeName,
                    const std::vector<std::string>& arguments) {
    TComponentOwner form;
    int status = 0;
    try {
        TreeBuilder builder(form);
        configuration(builder);
        TCustomInstall* install = GlobalInstall(form.Context());
        if (!install) throw platform::Exception("The setup program has no install component");
        install->SetExeName(exeName);
        install->SetArguments(arguments);
        builder.Finish();
        install->OwnerFormActivate();
        status = install->Aborted() ? 1 : 0;
    } catch (const std::exception& e) {
        Services().ShowException(e);
        status = 1;
    }
    form.DestroyComponents();
    return status;
}

bool IsResumeCommand(const platform::RunOnceCommand& command) {
    bool resume = false;
    for (const std::string& argument : command.arguments) resume = resume || platform::SameNameIgnoringCase(argument, "-r");
    if (!resume) return false;
    // Only a setup this engine recorded is resumed: its record names the executable.
    auto& registry = platform::Registry();
    auto& files = platform::Files();
    const std::string program = files.ExpandFileName(command.program);
    for (const std::string& name : registry.SubKeyNames(platform::RegRoot::LocalMachine, kRecordsKey)) {
        const auto path = registry.ReadString(platform::RegRoot::LocalMachine, std::string(kRecordsKey) + "\\" + name, "Path");
        if (path && platform::SameNameIgnoringCase(files.ExpandFileName(*path), program)) return true;
    }
    return false;
}

platform::RestartReport PlayRestart(const SetupConfiguration& configuration) {
    return platform::SimulateRestart([&](const platform::RunOnceCommand& command) {
        if (!IsResumeCommand(command)) return false;
        if (RunSetupProgram(configuration, command.program, command.arguments) != 0)
            throw platform::Exception("the setup ended badly");
        return true;
    });
}

}  // namespace installer
