#pragma once
// Copies of whole table files, as a backup takes them: the bytes of one
// committed state, and a check of a copy before anyone relies on it.
#include "platform/tables/EDBEngineError.h"

#include <chrono>
#include <cstddef>
#include <functional>
#include <string>

namespace platform {

// Hands `write` the bytes of the table file at path, in order, as one
// committed state: they are read inside one read transaction, so no
// writer (of this program or another) commits half-way; a journal a
// killed writer left is rolled back first. Stops early when `write`
// answers false. Raises EDBEngineError when the file cannot be read as a
// table file, ETableBusy when another program holds it locked for longer
// than busyWait (then `write` was never called).
void ReadCommittedTable(const std::string& path, const std::function<bool(const char*, std::size_t)>& write,
                        std::chrono::milliseconds busyWait = std::chrono::seconds(5));

// Empty when bytes are a sound table file (the engine's integrity check
// passes); else what is wrong, as a text for the user.
std::string CheckTableImage(const std::string& bytes);

}  // namespace platform
