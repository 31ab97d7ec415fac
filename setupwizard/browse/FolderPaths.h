#pragma once
// The rules the folder-browse dialog applies to what a user types: a folder
// is an absolute path on a drive of the system root, and a new folder's
// name is one plain path element.
#include <optional>
#include <string>

namespace setupwizard {

// The folder path in canonical form ("C:\" for a drive root, no trailing
// backslash otherwise), or nothing when the text is not an absolute path on
// an existing drive of the root, or holds an empty, "." or ".." element or a
// character that no Windows file name may hold.
std::optional<std::string> ValidFolderPath(const std::string& text);

// Whether a new folder may have that name: not blank, no '\' or '/', not
// "." or "..", no reserved or control character, not ending in a dot or blank.
bool ValidFolderName(const std::string& name);

// The path itself when it is an existing directory, else its nearest
// existing parent; empty when none exists. Drive roots keep their "C:\" form.
std::string NearestExistingFolder(const std::string& path);

}  // namespace setupwizard
