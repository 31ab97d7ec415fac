#include "installer/components/MetaVariables.h"

#include "installer/base/ApiRoutines.h"
#include "installer/base/Strings.h"
#include "installer/components/EngineContext.h"
#include "installer/components/InstallContainer.h"
#include "installer/components/ShellFolders.h"
#include "installer/translator/Translator.h"
#include "platform/core/runtime/Text.h"

namespace installer {
namespace {

std::string Expansion(EngineContext& context, char letter, TInstallContainer* link) {
    switch (letter) {
        case 'a':
            if (!link)
                throw EAICannotExpandContainerDirMV(
                    TranslateString("Cannot expand the %a meta variable because the component is Nil"));
            return link->GetFullDestDir();
        case 'b': return GetProgramsDir();
        case 'c': {
            if (!link)
                throw EAICannotExpandContainerDirMV(
                    TranslateString("Cannot expand the %c meta variable because the component is Nil"));
            auto* object = dynamic_cast<TInstallObject*>(link);
            if (!object || !object->Container())
                throw EAICannotExpandContainerDirMV(
                    TranslateString("Cannot expand the %c meta variable because the Container property is Nil"));
            return object->Container()->GetFullDestDir();
        }
        case 'd': return GetDesktopDir();
        case 'f': return GetCommonFilesDir();
        case 'i': {
            TInstallContainer* install = GlobalInstallComponent(context);
            if (!install)
                throw EAICannotExpandInstallDirMV(
                    TranslateString("Cannot expand the %i meta variable because there is no TInstall component"));
            return install->GetFullDestDir();
        }
        case 'm': return GetStartMenuDir();
        case 'p': return GetProgramFilesDir();
        case 's': return GetSystemDir();
        case 'w': return GetWindowsDir();
        default: return {};
    }
}

}  // namespace

std::string ExpandMetaVariables(EngineContext& context, const std::string& text, TInstallContainer* link) {
    std::string result;
    bool pending = false;
    for (char c : text) {
        if (!pending) {
            if (c == '%')
                pending = true;
            else
                result += c;
            continue;
        }
        pending = false;
        if (c == '%') {
            result += '%';
            continue;
        }
        const char letter = platform::AsciiLower(c);
        result += RemoveBackslash(Expansion(context, letter, link));
    }
    return result;
}

}  // namespace installer
