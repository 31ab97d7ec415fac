#pragma once
// Writes of a tab that another copy of the program may have overtaken.
#include <functional>
#include <string>

namespace vorel {

// Runs a post or delete of a record read earlier. When another copy of the
// program changed or removed that record since, nothing was written: the
// user is told `warning` (in the tab's language) and the answer is false;
// the table then stands on the record as stored now.
bool WriteIfUnchanged(const std::function<void()>& write, const std::string& warning);

}  // namespace vorel
