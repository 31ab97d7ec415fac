#pragma once
// The %x meta-variables of shell-link texts: %a the link's destination, %c
// its container's, %i the main install directory, %b %d %f %m %p %s %w the
// machine's folders, %% a percent sign. Unknown letters vanish with their
// '%', and so does a '%' at the very end.
#include <string>

#include "installer/base/Exceptions.h"

namespace installer {

class EngineContext;
class TInstallContainer;

class EAICannotExpandContainerDirMV : public EAI {
public:
    using EAI::EAI;
};
class EAICannotExpandInstallDirMV : public EAI {
public:
    using EAI::EAI;
};

std::string ExpandMetaVariables(EngineContext& context, const std::string& text, TInstallContainer* link);

}  // namespace installer
