#pragma once
// The English lines of the setup's "MainTranslator": every wizard text and
// engine message it knows, by number, grouped under comment lines. A
// translation supplies the same numbers in its own language.
#include <string>
#include <vector>

namespace installer {

const std::vector<std::string>& MainTranslatorEnglishLines();

}  // namespace installer
