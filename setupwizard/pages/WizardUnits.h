#pragma once
// The start-up of the wizard's units, in the order the program links them:
// the dialog framework, then for each page its form unit (which registers
// the form class without a dialog) and its dialog unit (which removes that
// entry again, so a page exists only for a dialog component on the form).
// The destination and start-menu folder units are not part of this product.
namespace installer {
class EngineContext;
}

namespace setupwizard {

void InitWizardUnits(installer::EngineContext& context);

}  // namespace setupwizard
