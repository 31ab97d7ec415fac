#pragma once
// Builds the setup form from its stored configuration, as the class library
// loads a form: each object is made in the order of the text while the form
// is loading and its values are set as they are read; references by name
// are resolved afterwards, in the order they were read (so the install tree
// orders its children as the text orders its Container values); then every
// component's Loaded runs in creation order, the install component's among
// them (it reads the command line there).
//
// An unknown class, property or value, a name that no component holds, or a
// missing resource raises platform::Exception naming the component, the
// property and the line.
#include <QByteArray>
#include <functional>
#include <optional>
#include <string>

#include "setupwizard/config/ConfigText.h"

namespace setupwizard {

class TSetupForm;

// The bytes of a resource named by '@name', or nothing when there is none.
using ResourceSource = std::function<std::optional<QByteArray>(const std::string& name)>;

// The resources compiled into the setup program (":/setup/<name>").
ResourceSource CompiledResources();

// Loads root (an object of class TForm1) into form.
void LoadSetupForm(TSetupForm& form, const ConfigObject& root, const ResourceSource& resources);

// The configuration compiled into the setup program, parsed.
ConfigObject ShippedConfiguration();

}  // namespace setupwizard
