#pragma once
// The text form of a stored setup configuration: nested objects, each with
// its name, its class and its property values, as the form designer writes
// them:
//
//   object Install1: TInstall      (children follow the properties)
//     DestDir = '\VorelSoft'       a string; '' stands for one quote, and
//                                  'a' + 'b' joins two parts
//     Order = -1                   an integer
//     DestDirType = psProgramFiles an identifier: a name, enum value, True/False
//     InstallTypes = [itFull, itDefault]   a set
//     PresetupFiles = ('one' 'two')        a list of strings
//     DialogThemeBitmap = @wizard.png      a resource stored beside the text
//   end
//
// "//" starts a comment to the end of the line.
#include <cstdint>
#include <string>
#include <vector>

namespace setupwizard {

struct ConfigValue {
    enum Kind { String, Integer, Identifier, Set, List, Resource };
    Kind kind = String;
    std::string text;                // String, Identifier, Resource
    std::int64_t number = 0;         // Integer
    std::vector<std::string> items;  // Set (identifiers), List (strings)
};

struct ConfigProperty {
    std::string name;  // may be dotted: "Information.ProductName"
    ConfigValue value;
    int line = 0;
};

struct ConfigObject {
    std::string name;
    std::string className;
    int line = 0;
    std::vector<ConfigProperty> properties;
    std::vector<ConfigObject> children;
};

// The root object of the text; raises platform::Exception
// "Setup configuration, line N: ..." on a syntax error and on objects
// nested more than 256 deep.
ConfigObject ParseConfig(const std::string& text);

}  // namespace setupwizard
