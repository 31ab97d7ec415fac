#pragma once
// The folders of the target machine's shell, read from the registry of the
// system root with defaults when a value is missing. Results carry no
// trailing '\'.
#include <string>

namespace installer {

std::string GetStartMenuDir();
std::string GetProgramsDir();
std::string GetDesktopDir();
std::string GetStartupDir();
std::string GetProgramFilesDir();
std::string GetCommonFilesDir();

}  // namespace installer
